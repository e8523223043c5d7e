#include "filelist/drop_logic.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <tuple>

#include "filelist/filelist_test_util.h"
#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

using test::ColumnOf;

TEST(EndsInMp3, LooksOnlyAtLastThreeCharacters) {
    for (const char* p : {"Song.MP3", "SONG.Mp3", "a/xmp3", "mp3", "/m/Music.mp3"})
        EXPECT_TRUE(EndsInMp3(p)) << p;
    for (const char* p : {"song.mp3.bak", "song.mpeg3", "a.mp3.lnk", "a.txt", "p3", "", "a.MP4"})
        EXPECT_FALSE(EndsInMp3(p)) << p;
}

class DropTest : public ::testing::Test {
  protected:
    FileAddReport Drop(const std::vector<std::string>& paths) {
        return DropPaths(fs, store, search, paths);
    }

    test::TempDir dir;
    test::FaultFileSystem fs;
    ListStore store;
    GetSearchMP3Module search{fs, store};
};

TEST_F(DropTest, FilesInDropOrderWithTagKind) {
    const std::string c = dir.Write("c.MP3", test::Cat({test::Id3v2Tag(3, {}), test::Audio(300)}));
    const std::string a = dir.Write("a.mp3", test::Audio(300));
    const std::string b = dir.Write("b.mp3", test::Cat({test::Audio(300), test::Id3v1Trailer({})}));
    FileAddReport report = Drop({c, a, b});
    EXPECT_EQ(report.added, 3);
    EXPECT_EQ(store.FileCountText(), "3");
    EXPECT_EQ(store.RowAt(1), (ListStore::Row{"", "", "c.MP3", "v2", "", c}));
    EXPECT_EQ(store.RowAt(2), (ListStore::Row{"", "", "a.mp3", "", "", a}));
    EXPECT_EQ(store.RowAt(3), (ListStore::Row{"", "", "b.mp3", "v1.1", "", b}));
}

// A file is listed once, however it comes: dropped twice, found again by a search of its folder,
// or under another hard link. The identity is freed when its row goes.
TEST_F(DropTest, AFileIsListedOnceByItsIdentity) {
    const std::string a = dir.Write("Album/a.mp3", test::Audio(300));
    const std::string b = dir.Write("Album/b.mp3", test::Audio(300));
    const std::string hard = dir / "hard.mp3";
    std::filesystem::create_hard_link(a, hard);
    const struct {
        std::vector<std::string> dropped;
        int rows;
    } cases[] = {
        {{a, b, a}, 2},
        {{a, hard}, 1},
        {{dir / "Album", dir / "Album"}, 2},
        {{a, dir / "Album", hard, b}, 2},
    };
    for (const auto& c : cases) {
        store.ResetFileList();
        const FileAddReport report = Drop(c.dropped);
        EXPECT_EQ(report.added, c.rows);
        EXPECT_EQ(store.RowCount() - 1, c.rows);
    }
    ASSERT_TRUE(store.RemoveRow(1));
    EXPECT_EQ(Drop({a, hard}).added, 1);
    EXPECT_EQ(store.RowCount() - 1, 2);
}

// A dropped folder's files take their rows where the folder stands among the dropped paths;
// inside it only the extension counts, whatever tags other files carry.
TEST_F(DropTest, FolderThenFileKeepsOrder) {
    dir.Write("Album/one.mp3", test::Audio(300));
    dir.Write("Album/Disc2/two.Mp3", test::Audio(300));
    dir.Write("Album/tagged.wav", test::Cat({test::Id3v2Tag(3, {}), test::Audio(300)}));
    const std::string single = dir.Write("single.mp3", test::Audio(300));
    Drop({dir / "Album", single});
    EXPECT_EQ(ColumnOf(store, ListStore::kFileName),
              (std::vector<std::string>{"one.mp3", "two.Mp3", "single.mp3"}));
    EXPECT_EQ(store.FileCountText(), "3");
}

TEST_F(DropTest, IgnoresOtherPathsAndStillRefreshesCount) {
    store.AppendFileRow("x.mp3", 0, "/x.mp3");
    const std::string txt = dir.Write("a.txt", test::Audio(300));
    const std::string lnk = dir.Write("a.mp3.lnk", test::Audio(300));
    FileAddReport report = Drop({txt, lnk, dir / "no such folder"});
    EXPECT_EQ(report.added, 0);
    EXPECT_TRUE(report.skipped.empty());
    EXPECT_EQ(store.FileCountText(), "1");
    Drop({});  // a drop without file paths
    EXPECT_EQ(store.RowCount(), 2);
}

TEST_F(DropTest, FillsPlaceholderFirst) {
    store.AppendFileRow("old.mp3", 0, "/old.mp3");
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        store.SetCell(1, c, "");
    Drop({dir.Write("new.mp3", test::Audio(300))});
    EXPECT_EQ(store.RowCount(), 2);
    EXPECT_EQ(store.Cell(1, ListStore::kFileName), "new.mp3");
    EXPECT_EQ(store.FileCountText(), "1");
}

// Paths that end in "mp3" but cannot be read as files: a file the system refuses to open, a
// file whose lookup fails, one that is gone. Each is skipped and reported; the rows before and
// after are whole. A folder named so is no file: it is searched like any folder.
TEST_F(DropTest, UnreadableMp3PathsAreSkippedWithoutHalfRowsAndFoldersSearched) {
    const std::string good1 = dir.Write("good1.mp3", test::Audio(300));
    const std::string folder = dir.MakeFolder("Music.mp3");
    dir.Write("Music.mp3/inside.mp3", test::Audio(300));
    const std::string bare = dir.MakeFolder("mp3");
    dir.Write("mp3/bare.MP3", test::Audio(300));
    const std::string locked = dir.Write("locked.mp3", test::Audio(300));
    dir.Write("lookup.mp3", test::Audio(300));
    // Only a path not yet in its normal form is looked up.
    const std::string lookup = dir / "./lookup.mp3";
    const std::string good2 = dir.Write("good2.mp3", test::Audio(300));
    fs.Refuse(test::FsOp::kOpenRead, "locked.mp3");
    fs.Refuse(test::FsOp::kGetFilePath, "lookup.mp3");

    FileAddReport report = Drop({good1, folder, locked, bare, lookup, dir / "gone.mp3", good2});
    EXPECT_EQ(ColumnOf(store, ListStore::kFileName),
              (std::vector<std::string>{"good1.mp3", "inside.mp3", "bare.MP3", "good2.mp3"}));
    EXPECT_EQ(report.added, 4);
    ASSERT_EQ(report.skipped.size(), 3u);
    EXPECT_EQ(report.skipped[0].path, locked);
    EXPECT_EQ(report.skipped[1].path, lookup);
    EXPECT_EQ(report.skipped[2].kind, ErrorKind::kNotFound);
    EXPECT_EQ(store.FileCountText(), "4");
}

// A dropped file costs one look at its entry and its read; its normal form is asked only when
// the path is not in it, and a folder named like a file is searched, never opened.
TEST_F(DropTest, AsksTheFileSystemOnlyWhatThePathNeeds) {
    dir.Write("a.mp3", test::Audio(300));
    dir.MakeFolder("Disc.mp3");
    const std::tuple<std::string, int, int, int> cases[] = {
        {"a.mp3", 1, 0, 1}, {"Disc.mp3/../a.mp3", 1, 1, 1}, {"Disc.mp3", 1, 0, 0}};
    for (const auto& [dropped, entries, lookups, opens] : cases) {
        fs.ResetCounts();
        Drop({dir / dropped});
        EXPECT_EQ(fs.Calls(test::FsOp::kIdentifyFile), entries) << dropped;
        EXPECT_EQ(fs.Calls(test::FsOp::kGetFilePath), lookups) << dropped;
        EXPECT_EQ(fs.Calls(test::FsOp::kOpenRead), opens) << dropped;
        EXPECT_EQ(fs.Calls(test::FsOp::kFolderExists), 0) << dropped;
    }
    EXPECT_EQ(ColumnOf(store, ListStore::kPath), (std::vector<std::string>{dir / "a.mp3"}));
}

// Hooks that take the rows leave the store alone and receive, in order, the very rows the store
// would have got; a stop ends the work between two files, keeping those found before it.
TEST_F(DropTest, HooksTakeTheRowsTheStoreWouldGetAndStopBetweenFiles) {
    const std::string one =
        dir.Write("one.mp3", test::Cat({test::Audio(300), test::Id3v1Trailer({})}));
    dir.Write("f/a.mp3", test::Audio(300));
    dir.Write("f/b.txt", "no");
    dir.Write("f/g/c.MP3", test::Cat({test::Id3v2Tag(3, {}), test::Audio(300)}));
    dir.Write("f/h/d.mp3", test::Audio(300));
    const std::vector<std::string> drop{one, dir / "f", one};
    Drop(drop);
    std::vector<ListStore::Row> expected;
    for (int r = 1; r < store.RowCount(); ++r)
        expected.push_back(store.RowAt(r));
    ASSERT_EQ(expected.size(), 4u);

    for (std::size_t stopAfter : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{9}}) {
        ListStore untouched;
        GetSearchMP3Module own{fs, untouched};
        std::vector<FileRow> got;
        FileAddHooks hooks;
        hooks.row = [&](FileRow row) { got.push_back(std::move(row)); };
        hooks.stop = [&] { return got.size() >= stopAfter; };
        DropPaths(fs, untouched, own, drop, hooks);
        EXPECT_EQ(untouched.RowCount(), 1) << stopAfter;
        EXPECT_EQ(untouched.FileCountText(), "0") << stopAfter;
        // The same file twice is for the receiver to drop, as the store does.
        untouched.AppendFileRows(got);
        const std::size_t kept = std::min(stopAfter, expected.size());
        ASSERT_EQ(untouched.RowCount() - 1, static_cast<int>(kept)) << stopAfter;
        for (std::size_t i = 0; i < kept; ++i)
            EXPECT_EQ(untouched.RowAt(static_cast<int>(i) + 1), expected[i]) << stopAfter;
    }
}

// Reads in flight together, finishing out of order (each open is held, as by a slow device, for
// a time that varies by file), give what reads one at a time give: rows in the order of the dropped
// paths, each folder's files where it stands, refusals in the order met; a stop keeps the rows
// taken.
TEST(ParallelDrop, OrderRefusalsAndStopsAsOneAtATime) {
    test::TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 80; ++i) {
        const std::string n = std::to_string(i);
        if (i % 5 == 1) {
            dir.Write(n + ".mp3/a.mp3", test::Audio(300));
            dir.Write(n + ".mp3/sub/b.MP3", test::Audio(300));
            paths.push_back(dir / (n + ".mp3"));
        } else if (i % 7 == 3 || i % 9 == 4) {
            paths.push_back(i % 7 == 3 ? dir.Write(n + " bad.mp3", test::Audio(300))
                                       : dir / (n + " gone.mp3"));
        } else if (i % 6 == 2) {
            paths.push_back(paths[static_cast<std::size_t>(i) / 2]);
        } else {
            const test::Bytes tail = i % 2 ? test::Id3v1Trailer({}) : test::Audio(10);
            paths.push_back(dir.Write(n + "f.mp3", test::Cat({test::Audio(300), tail})));
        }
    }
    std::atomic<bool> overlapped = false;
    const auto drop = [&](int jobs, long stopAfter) {
        test::FaultFileSystem fs;
        fs.AllowConcurrentReads();
        fs.Refuse(test::FsOp::kOpenRead, "bad", EIO);
        std::atomic<int> reading = 0;
        fs.OnCall([&](test::FsOp op, const std::string& p) {
            if (op != test::FsOp::kOpenRead)
                return;
            overlapped = overlapped || ++reading > 1;
            std::this_thread::sleep_for(std::chrono::microseconds(100 + 300 * (p.size() % 7)));
            --reading;
        });
        ListStore store;
        GetSearchMP3Module search(fs, store);
        search.SetReadJobs(jobs);
        std::pair<std::vector<std::string>, std::vector<std::string>> seen;  // rows, refusals
        FileAddHooks hooks;
        hooks.row = [&](FileRow r) {
            seen.first.push_back(r.path + TagKindText(r.tagKinds) + std::to_string(r.id.file));
        };
        hooks.stop = [&] { return static_cast<long>(seen.first.size()) >= stopAfter; };
        for (const Error& e : DropPaths(fs, store, search, paths, hooks).skipped)
            seen.second.push_back(e.Message());
        return seen;
    };
    const auto serial = drop(1, 1000);
    ASSERT_GT(serial.first.size(), 60u);
    ASSERT_GT(serial.second.size(), 16u);
    EXPECT_EQ(drop(8, 1000), serial);
    EXPECT_TRUE(overlapped);
    for (const long stopAfter : {0, 17, 50}) {
        EXPECT_EQ(drop(8, stopAfter).first,
                  std::vector(serial.first.begin(), serial.first.begin() + stopAfter));
    }
}

}  // namespace
}  // namespace tagwright
