#include "filelist/folder_search.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "filelist/filelist_test_util.h"
#include "platform/path.h"
#include "support/fault_file_system.h"
#include "support/memory_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

using test::ColumnOf;

// A relative path written with "/" in the platform's spelling under `dir`.
std::string Under(const test::TempDir& dir, std::string relative) {
    std::replace(relative.begin(), relative.end(), '/', path::kSeparator);
    return dir / relative;
}

TEST(ExtensionOf, TakesTextAfterLastDot) {
    const std::pair<const char*, const char*> cases[] = {
        {"song.MP3", "MP3"}, {"archive.tar.mp3", "mp3"}, {"ends.", ""}, {"noext", ""}, {"", ""},
        {".mp3", "mp3"},     {"x.mp3.txt", "txt"},
    };
    for (const auto& [name, ext] : cases)
        EXPECT_EQ(ExtensionOf(name), ext) << name;
    for (const char* name : {"a.mp3", "b.MP3", "c.Mp3", ".mp3"})
        EXPECT_TRUE(HasMp3Extension(name)) << name;
    for (const char* name : {"x.mp3.txt", "xmp3", "a.mp33", "a.mp", "mp3", "a.mp4"})
        EXPECT_FALSE(HasMp3Extension(name)) << name;
}

class FolderSearchTest : public ::testing::Test {
  protected:
    std::vector<std::pair<std::string, std::string>> NameAndTag() const {
        std::vector<std::pair<std::string, std::string>> out;
        for (int r = 1; r < store.RowCount(); ++r) {
            out.emplace_back(store.Cell(r, ListStore::kFileName),
                             store.Cell(r, ListStore::kTagType));
        }
        std::sort(out.begin(), out.end());
        return out;
    }

    test::TempDir dir;
    test::FaultFileSystem fs;
    ListStore store;
    GetSearchMP3Module search{fs, store};
};

// By extension only mp3 files in any letter case; by tag also any other file that carries a
// tag. The dot-file ".mp3" has the extension mp3; "x.mp3.txt" has the extension txt.
TEST_F(FolderSearchTest, ExtensionVersusTagSearch) {
    dir.Write("a.mp3", test::Audio(400));
    dir.Write("b.MP3", test::Cat({test::Audio(400), test::Id3v1Trailer({})}));
    dir.Write("c.wav", test::Cat({test::Id3v2Tag(3, {}, 16), test::Audio(400)}));
    dir.Write("x.mp3.txt", test::Audio(400));
    dir.Write(".mp3", test::Audio(10));

    FileAddReport byExt = search.SearchMP3Files(dir.path(), "mp3", false);
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(NameAndTag(), (std::vector<P>{{".mp3", ""}, {"a.mp3", ""}, {"b.MP3", "v1.1"}}));
    EXPECT_EQ(byExt.added, 3);
    EXPECT_TRUE(byExt.ranToEnd);
    EXPECT_TRUE(byExt.skipped.empty());
    EXPECT_EQ(store.FileCountText(), "0");  // the count is the caller's to refresh

    store.ResetFileList();
    search.SearchMP3Files(dir.path(), "", false);
    EXPECT_EQ(NameAndTag(),
              (std::vector<P>{{".mp3", ""}, {"a.mp3", ""}, {"b.MP3", "v1.1"}, {"c.wav", "v2"}}));
    for (int r = 1; r < store.RowCount(); ++r) {
        EXPECT_EQ(store.Cell(r, ListStore::kPath), dir / store.Cell(r, ListStore::kFileName));
        EXPECT_EQ(store.Cell(r, ListStore::kR) + store.Cell(r, ListStore::kM) +
                      store.Cell(r, ListStore::kNewName),
                  "");
    }
}

// Searching from a root-like folder given with its trailing separator: rows come folder by
// folder, parent before children, and no path holds a doubled separator.
TEST_F(FolderSearchTest, DepthFirstOrderFromFolderWithTrailingSeparator) {
    for (const char* f : {"s1.mp3", "s2.mp3", "A/a.mp3", "A/A1/a1.mp3", "A/A1/x/deep.mp3",
                          "A/A2/a2.mp3", "B/b.mp3", "C/D/E/e.mp3"}) {
        dir.Write(f, test::Audio(300));
    }
    const std::string start = dir.path() + "/";
    search.SearchMP3Files(start, "mp3", true);

    std::vector<std::string> expected;
    for (const char* f : {"s1.mp3", "s2.mp3", "A/a.mp3", "A/A1/a1.mp3", "A/A1/x/deep.mp3",
                          "A/A2/a2.mp3", "B/b.mp3", "C/D/E/e.mp3"}) {
        expected.push_back(Under(dir, f));
    }
    EXPECT_EQ(ColumnOf(store, ListStore::kPath), expected);
    EXPECT_EQ(search.FolderList().front(), start);
    EXPECT_EQ(search.FolderList().size(), 9u);
    for (const std::string& p : search.FolderList())
        EXPECT_EQ(p.find("//"), std::string::npos) << p;
    for (const std::string& p : ColumnOf(store, ListStore::kPath))
        EXPECT_EQ(p.find("//"), std::string::npos) << p;
    // The start folder's own files come first.
    EXPECT_EQ(path::ParentFolder(expected[0]), dir.path());

    std::vector<std::string> below{"kept"};
    EXPECT_TRUE(search.CollectSubfolders(start, below));
    EXPECT_EQ(below.front(), "kept");
    EXPECT_TRUE(std::equal(below.begin() + 1, below.end(), search.FolderList().begin() + 1,
                           search.FolderList().end()));
    std::vector<std::string> none;
    EXPECT_FALSE(search.CollectSubfolders(dir / "missing", none));
    EXPECT_TRUE(none.empty());
}

// Whatever order the file system lists in (hash order on ext4, byte order in memory), each
// folder's files and sub-folders come in one name order, letters without regard to case.
TEST_F(FolderSearchTest, EachFolderInNameOrderOnEveryFileSystem) {
    const std::vector<std::string> files = {"track10.mp3", "b.mp3",    "Track02.mp3", "_x.mp3",
                                            "A.mp3",       "B/in.mp3", "a/in.mp3",    "Z/in.mp3"};
    const std::vector<std::string> order = {"_x.mp3",      "A.mp3",    "b.mp3",    "Track02.mp3",
                                            "track10.mp3", "a/in.mp3", "B/in.mp3", "Z/in.mp3"};
    test::MemoryFileSystem memory;
    for (const std::string& f : files) {
        dir.Write(f, test::Audio(300));
        memory.Put("/m/" + f, test::Audio(300));
    }
    search.SearchMP3Files(dir.path(), "mp3", true);
    ListStore inMemory;
    GetSearchMP3Module(memory, inMemory).SearchMP3Files("/m", "mp3", true);
    std::vector<std::string> onDisk, held;
    for (const std::string& f : order) {
        onDisk.push_back(Under(dir, f));
        held.push_back("/m/" + f);
    }
    EXPECT_EQ(ColumnOf(store, ListStore::kPath), onDisk);
    EXPECT_EQ(ColumnOf(inMemory, ListStore::kPath), held);
}

TEST_F(FolderSearchTest, FillsPlaceholderFirst) {
    store.AppendFileRow("old.mp3", 0, "/gone/old.mp3");
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        store.SetCell(1, c, "");
    ASSERT_TRUE(store.HasPlaceholder());
    dir.Write("a.mp3", test::Audio(300));
    dir.Write("b.mp3", test::Audio(300));
    search.SearchMP3Files(dir.path(), "mp3", false);
    EXPECT_EQ(store.RowCount(), 3);
    EXPECT_FALSE(store.Cell(1, ListStore::kPath).empty());
}

// A folder that cannot be listed and a file that cannot be probed are skipped with the OS's
// reason; the search goes on with everything else.
TEST_F(FolderSearchTest, SkipsAndReportsUnreadableFolderAndFile) {
    for (const char* f : {"a.mp3", "locked.mp3", "Closed/c.mp3", "Closed/In/ci.mp3", "Open/o.mp3",
                          "Open/In/oi.mp3", "z/z.mp3"}) {
        dir.Write(f, test::Audio(300));
    }
    fs.Refuse(test::FsOp::kListFolder, "Closed");
    fs.Refuse(test::FsOp::kOpenRead, "locked.mp3");
    FileAddReport report = search.SearchMP3Files(dir.path(), "mp3", true);

    std::vector<std::string> names = ColumnOf(store, ListStore::kFileName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.mp3", "o.mp3", "oi.mp3", "z.mp3"}));
    EXPECT_TRUE(report.ranToEnd);
    EXPECT_EQ(report.added, 4);
    ASSERT_EQ(report.skipped.size(), 2u);
    std::vector<std::string> skipped{report.skipped[0].path, report.skipped[1].path};
    std::sort(skipped.begin(), skipped.end());
    EXPECT_EQ(skipped, (std::vector<std::string>{dir / "Closed", dir / "locked.mp3"}));
    for (const Error& e : report.skipped) {
        EXPECT_EQ(e.reason, "Permission denied");
        EXPECT_EQ(e.kind, ErrorKind::kPermissionDenied);
    }
    // The unreadable folder stays in the folder list, its branch does not.
    const auto& folders = search.FolderList();
    EXPECT_EQ(std::count(folders.begin(), folders.end(), dir / "Closed"), 1);
    EXPECT_EQ(std::count(folders.begin(), folders.end(), path::Join(dir / "Closed", "In")), 0);
}

TEST_F(FolderSearchTest, MissingStartFolderAddsNothing) {
    FileAddReport report = search.SearchMP3Files(dir / "gone", "mp3", true);
    EXPECT_FALSE(report.ranToEnd);
    EXPECT_EQ(report.added, 0);
    ASSERT_EQ(report.skipped.size(), 1u);
    EXPECT_EQ(report.skipped[0].kind, ErrorKind::kNotFound);
    EXPECT_EQ(store.RowCount(), 1);
}

// Far more folders than a fixed table of ten thousand holds: every one is searched.
TEST_F(FolderSearchTest, FindsWholeTreeOf12000Folders) {
    constexpr int kArtists = 120, kAlbums = 99;  // 120 + 120 * 99 = 12,000 folders
    for (int a = 0; a < kArtists; ++a) {
        const std::string artist = "artist" + std::to_string(a);
        for (int b = 0; b < kAlbums; ++b)
            dir.Write(artist + "/album" + std::to_string(b) + "/t.mp3", test::B("x"));
    }
    FileAddReport report = search.SearchMP3Files(dir.path(), "mp3", true);
    EXPECT_EQ(search.FolderList().size(), 12'001u);
    EXPECT_EQ(report.added, kArtists * kAlbums);
    EXPECT_EQ(store.RowCount(), kArtists * kAlbums + 1);

    std::vector<std::string> below;
    EXPECT_TRUE(search.CollectSubfolders(dir.path(), below));
    EXPECT_EQ(below.size(), 12'000u);
}

}  // namespace
}  // namespace tagwright
