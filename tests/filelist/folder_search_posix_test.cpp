#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "filelist/drop_logic.h"
#include "support/fault_file_system.h"

#include "filelist/filelist_test_util.h"
#include "filelist/folder_search.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

// Links to folders, a loop among them included, are seen but never entered: the search ends,
// and every file is listed once, by its real folder.
TEST(FolderSearchPosix, LinkLoopIsNotFollowed) {
    test::TempDir dir;
    dir.Write("a.mp3", test::Audio(300));
    dir.Write("A/b.mp3", test::Audio(300));
    ASSERT_EQ(::symlink(dir.path().c_str(), (dir / "A/up").c_str()), 0);
    ASSERT_EQ(::symlink("A", (dir / "again").c_str()), 0);
    ASSERT_EQ(::symlink("a.mp3", (dir / "alias.mp3").c_str()), 0);  // a link to a file is a file

    ListStore store;
    GetSearchMP3Module search(RealFileSystem(), store);
    FileAddReport report = search.SearchMP3Files(dir.path(), "mp3", true);
    std::vector<std::string> names = test::ColumnOf(store, ListStore::kFileName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.mp3", "alias.mp3", "b.mp3"}));
    std::sort(report.linksNotFollowed.begin(), report.linksNotFollowed.end());
    EXPECT_EQ(report.linksNotFollowed, (std::vector<std::string>{dir / "A/up", dir / "again"}));
    EXPECT_TRUE(report.skipped.empty());
}

// A clock far enough ahead that files written by the test count as settled for the cache.
std::int64_t Later() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
               .count() +
           TagCache::kSettleNs * 10;
}

// A dropped link to a file is listed as the link: its own path and identity, the tags of what
// it points to, which the cache does not keep under the link's identity. A link to a folder is
// searched, and ".." after a link to a folder leads where the file system says.
TEST(DropPosix, LinksAreListedAsThemselves) {
    test::TempDir dir;
    const std::string target =
        dir.Write("target.mp3", test::Cat({test::Id3v2Tag(3, {}), test::Audio(300)}));
    dir.Write("Deep/x.mp3", test::Audio(300));
    dir.Write("Music/m.mp3", test::Audio(300));
    dir.MakeFolder("Deep/Er");
    ASSERT_EQ(::symlink(target.c_str(), (dir / "alias.mp3").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "Deep/Er").c_str(), (dir / "up").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "Music").c_str(), (dir / "L.mp3").c_str()), 0);
    const struct {
        std::string dropped, listed;
        std::int16_t kinds;
    } cases[] = {
        {dir / "alias.mp3", dir / "alias.mp3", TagKind::kId3v2},
        {dir / "up/../x.mp3", dir / "Deep/x.mp3", 0},
        {dir / "L.mp3", dir / "L.mp3/m.mp3", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dropped);
        ListStore store;
        TagCache cache(Later);
        GetSearchMP3Module search(RealFileSystem(), store);
        search.SetTagCache(&cache);
        const FileAddReport report = DropPaths(RealFileSystem(), store, search, {c.dropped});
        EXPECT_TRUE(report.skipped.empty());
        ASSERT_EQ(store.RowCount(), 2);
        const FileRow row = store.File(1);
        EXPECT_EQ(row.path, c.listed);
        EXPECT_EQ(row.tagKinds, c.kinds);
        EXPECT_EQ(row.id, *RealFileSystem().IdentifyFile(c.listed));
        const auto kept = cache.Get(*RealFileSystem().StatFile(c.listed));
        EXPECT_EQ(kept.has_value(), c.listed != dir / "alias.mp3");
    }
}

// Another file takes the dropped path after its entry was looked at: before the open (the file
// read is the one the path names now, and is listed as it), or once more before the second
// look (refused). Nothing enters the cache under an identity whose bytes were not read.
TEST(DropPosix, FileReplacedDuringTheDrop) {
    for (const bool twice : {false, true}) {
        SCOPED_TRACE(twice);
        test::TempDir dir;
        const std::string dropped = dir.Write("song.mp3", test::Audio(300));
        const std::string old = dir / "old.mp3";
        std::filesystem::create_hard_link(dropped, old);  // keeps the first identity taken
        const std::string next =
            dir.Write("next.mp3", test::Cat({test::Id3v2Tag(3, {}), test::Audio(300)}));
        const std::string third =
            dir.Write("third.mp3", test::Cat({test::Audio(300), test::Id3v1Trailer({})}));
        test::FaultFileSystem fs;
        int looks = 0;
        fs.OnCall([&](test::FsOp op, const std::string& p) {
            if (p != dropped)
                return;
            if (op == test::FsOp::kOpenRead && looks == 1)
                std::filesystem::rename(next, dropped);
            if (op == test::FsOp::kIdentifyFile && ++looks == 2 && twice)
                std::filesystem::rename(third, dropped);
        });
        ListStore store;
        TagCache cache(Later);
        GetSearchMP3Module search(fs, store);
        search.SetTagCache(&cache);
        const FileAddReport report = DropPaths(fs, store, search, {dropped});
        EXPECT_FALSE(cache.Get(*RealFileSystem().StatFile(old)).has_value());
        if (twice) {
            ASSERT_EQ(report.skipped.size(), 1u);
            EXPECT_EQ(report.skipped[0].kind, ErrorKind::kFileChanged);
            EXPECT_EQ(store.RowCount(), 1);
            EXPECT_EQ(cache.Count(), 0u);
            continue;
        }
        EXPECT_TRUE(report.skipped.empty());
        ASSERT_EQ(store.RowCount(), 2);
        const FileStatus now = *RealFileSystem().StatFile(dropped);
        EXPECT_EQ(store.File(1).id, now.id);
        EXPECT_EQ(store.File(1).tagKinds, TagKind::kId3v2);
        ASSERT_TRUE(cache.Get(now).has_value());
        EXPECT_EQ(cache.Get(now)->kind, TagKind::kId3v2);
    }
}

}  // namespace
}  // namespace tagwright
