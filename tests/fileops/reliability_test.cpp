// Random lists, random tags (clashes, blanks, hostile names) and random refusals by the file
// system: whatever happens, no file is lost, duplicated or overwritten, and the list tells the
// truth about every file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright::test {
namespace {

int ListCount() {
    // CI runs the default; a longer soak sets TAGWRIGHT_RELIABILITY_LISTS.
    if (const char* n = std::getenv("TAGWRIGHT_RELIABILITY_LISTS"))
        return std::max(1, std::atoi(n));
    return 300;
}

template <class T>
const T& Pick(std::mt19937& rng, const std::vector<T>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(rng)];
}

std::map<Bytes, int> Contents(const std::string& root) {
    std::map<Bytes, int> out;
    for (auto& [p, bytes] : Snapshot(root))
        ++out[bytes];
    return out;
}

struct World {
    std::mt19937 rng;
    TempDir dir;
    std::string storage;
    Settings settings;
    ListStore store;
    std::vector<Bytes> rowContent;  // by row; rows never move here
    std::map<Bytes, int> contents;

    explicit World(std::uint32_t seed) : rng(seed) {
        const std::vector<std::string> titles = {"t0",  "t1",  "Song", "",     " ",        "../up",
                                                 "a/b", "con", "..",   "x:y?", "長い曲名", "t0(0)"};
        const std::vector<std::string> artists = {"A", "B", "", "..", "/etc", "A\\..\\.."};
        const std::vector<std::string> albums = {"X", "Y", "", "../..", "nul"};
        const std::vector<std::string> names = {"a.mp3", "B.mp3",     "t0.mp3",
                                                "x.MP3", "t1(0).mp3", "Song.mp3",
                                                "c.mp3", "d.mp3",     "t0(0).mp3"};
        int id = 0;
        const int folders = std::uniform_int_distribution<int>(1, 3)(rng);
        std::vector<std::string> listed;
        for (int f = 0; f < folders; ++f) {
            for (const std::string& name : names) {
                if (rng() % 3 == 0)
                    continue;
                Song song{Pick(rng, titles), Pick(rng, artists), Pick(rng, albums),
                          static_cast<int>(rng() % 4), ++id};
                const std::string p =
                    dir.Write("in" + std::to_string(f) + kSep + name, SongBytes(song));
                // Some files lie about but are not listed: they must be left alone all the same.
                if (rng() % 5 != 0) {
                    listed.push_back(p);
                    rowContent.push_back(ReadAll(p));
                }
            }
        }
        // Names and folders already taken in the storage folder; a file where a folder would go.
        for (const char* rel : {"Music/A/X/t0.mp3", "Music/A/X/a.mp3", "Music/B", "Music/t0.mp3",
                                "Music/Unknown/single/c.mp3"}) {
            if (rng() % 2 == 0) {
                std::string r = rel;
                for (char& c : r)
                    if (c == '/')
                        c = path::kSeparator;
                dir.Write(r, B("pre-existing " + std::to_string(++id)));
            }
        }
        storage = (dir / "Music") + kSep;
        ListFiles(store, listed);
        contents = Contents(dir.path());

        settings = TestSettings(storage);
        settings.nameFillBlanks = rng() % 2 == 0;
        settings.folderFillBlanks = rng() % 2 == 0;
        settings.FolderYN = rng() % 2 == 0;
        settings.FileNameSetting =
            Pick(rng, std::vector<std::string>{"曲名", "アーティスト-曲名", "", "トラック番号"});
        settings.FileMoveText =
            Pick(rng, std::vector<std::string>{"アーティスト\\アルバム\\", "", "アルバム\\\\年"});
    }

    void Check(bool rename, const std::vector<ListStore::Row>& before) {
        EXPECT_EQ(Contents(dir.path()), contents) << "a file was lost, copied or overwritten";
        ExpectRowsTellTheTruth(store, before, rename, storage);
        for (int i = 1; i < store.RowCount(); ++i) {
            const std::string& p = store.Cell(i, ListStore::kPath);
            if (RealFileSystem().FileExists(p)) {
                EXPECT_EQ(ReadAll(p), rowContent[static_cast<std::size_t>(i - 1)]) << p;
            }
        }
    }
};

TEST(Reliability, RandomListsWithRandomRefusalsNeverLoseOrMisreportAFile) {
    const int lists = ListCount();
    for (int seed = 1; seed <= lists; ++seed) {
        SCOPED_TRACE(::testing::Message() << "seed " << seed);
        World world(static_cast<std::uint32_t>(seed));
        FaultFileSystem fs;
        const int code = Pick(world.rng, std::vector<int>{EACCES, EBUSY, EIO, EEXIST, ENOENT});
        fs.RefuseRandomly({FsOp::kRenameFile, FsOp::kMoveFile, FsOp::kCreateFolder, FsOp::kOpenRead,
                           FsOp::kRead, FsOp::kFolderExists, FsOp::kFileExists, FsOp::kIsSameFile},
                          0.02 * static_cast<double>(seed % 10), static_cast<std::uint32_t>(seed),
                          code);
        BatchCallbacks cb;
        cb.askCreateFolder = [&](const std::string&, const std::string&) {
            return world.rng() % 4 == 0 ? FolderAnswer::kCancel : FolderAnswer::kOk;
        };
        for (int step = 0; step < 4; ++step) {
            const bool rename = world.rng() % 2 == 0;
            const std::vector<ListStore::Row> before = FileRows(world.store);
            if (rename) {
                RunRenameBatch(world.store, world.settings, fs, cb);
            } else {
                RunMoveBatch(world.store, world.settings, fs, cb);
            }
            world.Check(rename, before);
            if (::testing::Test::HasFailure())
                return;
        }
    }
}

}  // namespace
}  // namespace tagwright::test
