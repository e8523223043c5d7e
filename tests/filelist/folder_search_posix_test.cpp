#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
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
    // Each row holds its entry's own identity, the link's included, as a batch will check it.
    for (int row = 1; row < store.RowCount(); ++row) {
        const std::string path(store.Cell(row, ListStore::kPath));
        EXPECT_EQ(store.Identity(row), *RealFileSystem().IdentifyFile(path)) << path;
    }
    std::sort(report.linksNotFollowed.begin(), report.linksNotFollowed.end());
    EXPECT_EQ(report.linksNotFollowed, (std::vector<std::string>{dir / "A/up", dir / "again"}));
    EXPECT_TRUE(report.skipped.empty());
}

// Dropped links and files that another file replaces meanwhile are listed as what the path
// names: a link as itself (its tags are its target's, which the cache does not keep under the
// link's identity), a link to a folder searched, ".." after a link resolved by the file system,
// a file replaced before its open as the file read; one replaced again before the check after
// the read is refused. No tags enter the cache under an identity whose bytes were not read.
TEST(DropPosix, LinksAndReplacedFilesAreListedAsWhatThePathNames) {
    test::TempDir dir;
    const test::Bytes v2 = test::Cat({test::Id3v2Tag(3, {}), test::Audio(300)});
    const std::string target = dir.Write("target.mp3", v2);
    dir.Write("Deep/x.mp3", test::Audio(300));
    dir.Write("Music/m.mp3", test::Audio(300));
    ASSERT_EQ(::symlink(target.c_str(), (dir / "alias.mp3").c_str()), 0);
    ASSERT_EQ(::symlink(dir.MakeFolder("Deep/Er").c_str(), (dir / "up").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "Music").c_str(), (dir / "L.mp3").c_str()), 0);
    const struct {
        std::string dropped, listed;
        // Times another file takes the path as it is opened; at 2 once more before the check
        // after the read.
        int replaced;
        bool cached;
    } cases[] = {
        {"alias.mp3", "alias.mp3", 0, false}, {"up/../x.mp3", "Deep/x.mp3", 0, true},
        {"L.mp3", "L.mp3/m.mp3", 0, true},    {"song.mp3", "song.mp3", 1, true},
        {"song.mp3", "", 2, false},
    };
    int kept = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dropped + std::to_string(c.replaced));
        const std::string song = dir.Write("song.mp3", test::Audio(300));
        std::filesystem::remove(dir / "old.mp3");
        std::filesystem::create_hard_link(song, dir / "old.mp3");  // keeps its identity taken
        test::FaultFileSystem fs;
        int looks = 0;
        fs.OnCall([&](test::FsOp op, const std::string& p) {
            looks += p == song && op == test::FsOp::kIdentifyFile;
            if (p == song && ((op == test::FsOp::kOpenRead && looks <= c.replaced) ||
                              (op == test::FsOp::kIdentifyFile && c.replaced == 2 && looks == 3))) {
                // Each file replaced keeps a name, so that no later one gets its identity.
                std::filesystem::create_hard_link(song, dir / ("kept" + std::to_string(++kept)));
                std::filesystem::rename(dir.Write("next.mp3", v2), song);
            }
        });
        ListStore store;
        static const TagCache clock;  // with files older than the cache lets in
        TagCache cache([] { return clock.Now() + TagCache::kSettleNs * 10; });
        GetSearchMP3Module search(fs, store);
        search.SetTagCache(&cache);
        const FileAddReport report = DropPaths(fs, store, search, {dir / c.dropped});
        EXPECT_FALSE(cache.Get(*fs.StatFile(dir / "old.mp3")));
        ASSERT_EQ(store.RowCount(), c.listed.empty() ? 1 : 2);
        if (c.listed.empty()) {
            EXPECT_EQ(report.skipped.at(0).kind, ErrorKind::kFileChanged);
            continue;
        }
        const FileStatus now = *fs.StatFile(dir / c.listed);
        EXPECT_EQ(store.File(1).path, dir / c.listed);
        EXPECT_EQ(store.File(1).id, now.id);
        EXPECT_EQ(cache.Get(now).has_value(), c.cached);
    }
}

}  // namespace
}  // namespace tagwright
