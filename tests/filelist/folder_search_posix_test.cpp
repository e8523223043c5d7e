#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>

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

}  // namespace
}  // namespace tagwright
