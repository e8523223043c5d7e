// A large list through two rounds of rename and move, with name clashes, blank tags, random
// refusals by the file system and one read-only folder: no file is lost or duplicated, and every
// row tells the truth about its file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include "filelist/folder_search.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright::test {
namespace {

int FileCount() {
    // 20,000 in the default build; sanitizer and emulator builds set a smaller number.
    if (const char* n = std::getenv("TAGWRIGHT_STRESS_FILES"))
        return std::max(100, std::atoi(n));
    return 20000;
}

std::uint64_t Fnv1a(const Bytes& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (const std::uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h ^ bytes.size();
}

// The hash of every file under `root`, as a multiset.
std::map<std::uint64_t, int> Hashes(const std::string& root) {
    std::map<std::uint64_t, int> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(U8Path(root))) {
        if (e.is_regular_file())
            ++out[Fnv1a(ReadAll(U8String(e.path())))];
    }
    return out;
}

// A folder that refuses changes for real when the process is bound by folder modes, or by the
// fault-injecting file system when it is not (root, or a system whose folders have no modes).
bool MakeReallyReadOnly(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::permissions(U8Path(folder), fs::perms::owner_write | fs::perms::group_write,
                    fs::perm_options::remove);
    const std::string probe = path::Join(folder, "probe");
    if (!RealFileSystem().CreateFolder(probe).ok())
        return true;
    fs::remove(U8Path(probe));
    return false;
}

TEST(Stress, TwentyThousandFilesRenamedAndMovedTwiceLoseNothing) {
    const int files = FileCount();
    constexpr int kFolders = 20;
    TempDir dir;
    const std::string in = dir.MakeFolder("in");
    for (int i = 0; i < files; ++i) {
        // Few titles per folder, so names clash; every 97th title blank; ten artists and
        // albums, so folders fill up with the same names.
        const int id = i + 1;
        Song song{id % 97 == 0 ? "" : "T" + std::to_string(id % 311), "A" + std::to_string(id % 10),
                  "L" + std::to_string(id % 7), id % 20 + 1, id};
        dir.Write("in" + std::string(1, path::kSeparator) + "f" + std::to_string(i % kFolders) +
                      path::kSeparator + "n" + std::to_string(i) + ".mp3",
                  SongBytes(song));
    }
    const std::map<std::uint64_t, int> before = Hashes(dir.path());
    ASSERT_EQ(before.size(), static_cast<std::size_t>(files)) << "contents are unique";

    FaultFileSystem fs;
    const std::string readOnly = path::Join(in, "f7");
    const bool realReadOnly = MakeReallyReadOnly(readOnly);
    if (!realReadOnly)
        fs.RefuseChangesIn(readOnly);

    ListStore store;
    GetSearchMP3Module search(fs, store);
    const FileAddReport listed = search.SearchMP3Files(in, "mp3", true);
    ASSERT_EQ(listed.added, files);
    ASSERT_TRUE(listed.skipped.empty());
    std::vector<std::uint64_t> rowHash;
    for (int i = 1; i < store.RowCount(); ++i)
        rowHash.push_back(Fnv1a(ReadAll(store.Cell(i, ListStore::kPath))));

    const std::string storage = dir.MakeFolder("Music") + path::kSeparator;
    Settings settings = TestSettings(storage);
    fs.RefuseRandomly({FsOp::kRenameFile, FsOp::kMoveFile, FsOp::kCreateFolder, FsOp::kOpenRead,
                       FsOp::kRead, FsOp::kFileExists, FsOp::kIsSameFile},
                      0.01, 20251207, EACCES);
    int reportedRefusals = 0;
    std::map<int, ErrorKind> reported;  // rows of the current batch
    BatchCallbacks cb;
    cb.rowRefused = [&](int row, const Error& e) {
        ++reportedRefusals;
        reported[row] = e.kind;
        EXPECT_FALSE(e.reason.empty());
    };

    struct Batch {
        bool rename;
        const char* rule;
    };
    const Batch batches[] = {{true, "曲名"},
                             {false, "アーティスト\\アルバム\\"},
                             {true, "トラック番号-曲名"},
                             {false, "アルバム\\"}};
    int refusedRows = 0;
    for (const Batch& b : batches) {
        SCOPED_TRACE(b.rule);
        const std::vector<ListStore::Row> rowsBefore = FileRows(store);
        reported.clear();
        if (b.rename) {
            settings.FileNameSetting = b.rule;
            RunRenameBatch(store, settings, fs, cb);
        } else {
            settings.FileMoveText = b.rule;
            RunMoveBatch(store, settings, fs, cb);
        }
        EXPECT_EQ(Hashes(dir.path()), before) << "a file was lost, copied or overwritten";
        ExpectRowsTellTheTruth(store, rowsBefore, b.rename, storage);
        const int mark = b.rename ? ListStore::kR : ListStore::kM;
        for (int i = 1; i < store.RowCount(); ++i) {
            const std::string& p = store.Cell(i, ListStore::kPath);
            ASSERT_EQ(Fnv1a(ReadAll(p)), rowHash[static_cast<std::size_t>(i - 1)]) << p;
            // Nothing leaves the read-only folder, whatever else happens.
            if (rowsBefore[static_cast<std::size_t>(i - 1)][ListStore::kPath].rfind(readOnly, 0) ==
                0) {
                EXPECT_EQ(store.Cell(i, mark), ListStore::kRefused) << p;
            }
            // Every "×" is reported with its reason: a refusal by the file system (its reason
            // in NewName after a rename), or, after a rename, a blank tag.
            const bool refused = store.Cell(i, mark) == ListStore::kRefused;
            const std::string& newName = store.Cell(i, ListStore::kNewName);
            EXPECT_EQ(reported.count(i) != 0, refused) << p;
            if (refused && b.rename) {
                if (reported[i] == ErrorKind::kBlankTag) {
                    EXPECT_EQ(newName, kLackOfTagInfo);
                } else {
                    EXPECT_EQ(newName.rfind(kFailedPrefix, 0), 0u);
                    EXPECT_NE(newName, kLackOfTagInfo);
                }
            }
            refusedRows += refused ? 1 : 0;
        }
        if (::testing::Test::HasFatalFailure())
            return;
    }
    // The read-only folder alone refuses its files in all four batches.
    EXPECT_GE(reportedRefusals, files / kFolders * 4);
    std::cout << "stress: " << files << " files, 4 batches, " << fs.Refusals()
              << " refusals injected (" << (realReadOnly ? "real" : "simulated")
              << " read-only folder), " << refusedRows << " rows marked refused, "
              << reportedRefusals << " refusals reported, 0 files lost\n";
    RecordProperty("refusals_injected", fs.Refusals());
}

}  // namespace
}  // namespace tagwright::test
