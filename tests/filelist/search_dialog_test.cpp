#include "filelist/search_dialog.h"

#include <gtest/gtest.h>

#include "filelist/filelist_test_util.h"
#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

class SearchDialogTest : public ::testing::Test {
  protected:
    SearchDialogTest() {
        dir.Write("a.mp3", test::Audio(300));
        dir.Write("tagged.dat", test::Cat({test::Id3v2Tag(3, {}), test::Audio(300)}));
        dir.Write("Sub/b.mp3", test::Audio(300));
    }

    test::TempDir dir;
    test::FaultFileSystem fs;
    ListStore store;
    SearchDialogLogic dialog{fs, store, dir.path(), {dir.path()}};
};

// Starts with the box unticked and "拡張子MP3のみ探す。" chosen: the start folder's mp3 files.
TEST_F(SearchDialogTest, SearchReadsControlsShowsBusyAndCounts) {
    std::vector<bool> busy;
    dialog.ClickSearch([&](bool b) { busy.push_back(b); });
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(test::ColumnOf(store, ListStore::kFileName), std::vector<std::string>{"a.mp3"});
    EXPECT_EQ(store.FileCountText(), "1");

    store.ResetFileList();
    dialog.check1 = 2;  // greyed counts as ticked
    dialog.option1 = SearchDialogLogic::kByTag;
    FileAddReport report = dialog.ClickSearch();
    EXPECT_EQ(report.added, 3);
    EXPECT_EQ(store.FileCountText(), "3");
}

TEST_F(SearchDialogTest, FolderAndDriveChanges) {
    EXPECT_EQ(dialog.CurrentDrive(), dir.path());
    EXPECT_TRUE(dialog.OpenFolder(dir / "Sub").ok());
    EXPECT_EQ(dialog.CurrentFolder(), dir / "Sub");
    EXPECT_FALSE(dialog.OpenFolder(dir / "missing").ok());
    EXPECT_EQ(dialog.CurrentFolder(), dir / "Sub");

    // A drive that cannot be opened: the drive list snaps back to the folder's drive.
    EXPECT_FALSE(dialog.ChangeDrive(dir / "no medium"));
    EXPECT_EQ(dialog.CurrentDrive(), dir.path());
    EXPECT_EQ(dialog.CurrentFolder(), dir / "Sub");
    EXPECT_TRUE(dialog.ChangeDrive(dir.path()));
    EXPECT_EQ(dialog.CurrentFolder(), dir.path());

    // A special folder the shell cannot name leaves the folder list alone.
    fs.Refuse(test::FsOp::kSpecialFolder);
    EXPECT_FALSE(dialog.ClickSpecialFolder(SearchDialogLogic::kDesktop).ok());
    EXPECT_EQ(dialog.CurrentFolder(), dir.path());
}

}  // namespace
}  // namespace tagwright
