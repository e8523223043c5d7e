#include "filelist/folder_chooser.h"

#include <gtest/gtest.h>

#include "platform/path.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

class FolderChooserTest : public ::testing::Test {
  protected:
    // The folder the chooser starts at, made before it lists it.
    std::string MakeTree() const {
        for (const char* folder : {"Sub/Deep", "b", "A", ".hidden"})
            dir.MakeFolder(folder);
        dir.Write("song.mp3", std::string("not a folder"));
        return dir.path();
    }

    // What the folder list shows below the opened folder.
    std::vector<std::string> Children() const {
        std::vector<std::string> names;
        const auto& lines = chooser.Lines();
        for (std::size_t i = chooser.OpenedLine() + 1; i < lines.size(); ++i)
            names.push_back(lines[i].name);
        return names;
    }

    test::TempDir dir;
    test::FaultFileSystem fs;
    FolderChooser chooser{fs, {dir.path(), dir / "b"}, MakeTree()};
};

TEST_F(FolderChooserTest, ListsTheChainThenSubfoldersByName) {
    const auto& lines = chooser.Lines();
    ASSERT_GT(lines.size(), chooser.OpenedLine());
    const FolderLine& opened = lines[chooser.OpenedLine()];
    EXPECT_EQ(opened.path, dir.path());
    EXPECT_TRUE(opened.open);
    EXPECT_EQ(lines.front().depth, 0);
    EXPECT_EQ(lines.front().name, lines.front().path);  // a root shows its own path
    EXPECT_EQ(opened.depth, static_cast<int>(chooser.OpenedLine()));
    // Files and hidden folders are not offered; letter case does not decide the order.
    EXPECT_EQ(Children(), (std::vector<std::string>{"A", "b", "Sub"}));
    EXPECT_EQ(lines.back().path, dir / "Sub");
    EXPECT_EQ(lines.back().depth, opened.depth + 1);
    EXPECT_FALSE(lines.back().open);
}

TEST_F(FolderChooserTest, FolderThatCannotBeListedIsRefusedAndChangesNothing) {
    ASSERT_TRUE(chooser.OpenFolder(dir / "Sub/").ok());
    EXPECT_EQ(chooser.CurrentFolder(), dir / "Sub");
    const std::vector<FolderLine> before = chooser.Lines();

    EXPECT_FALSE(chooser.OpenFolder(dir / "missing").ok());
    EXPECT_FALSE(chooser.OpenFolder(dir / "song.mp3").ok());
    EXPECT_FALSE(chooser.OpenFolder("relative").ok());
    fs.Refuse(test::FsOp::kListFolder, "Deep");
    const Result<void> refused = chooser.OpenFolder(dir / "Sub/Deep");
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, ErrorKind::kPermissionDenied);
    // A special folder the shell cannot name leaves the list alone too.
    fs.Refuse(test::FsOp::kSpecialFolder);
    EXPECT_FALSE(chooser.OpenSpecialFolder("Desktop").ok());

    EXPECT_EQ(chooser.CurrentFolder(), dir / "Sub");
    EXPECT_EQ(chooser.Lines(), before);
}

TEST_F(FolderChooserTest, DriveListSnapsBackKeepsOrOpens) {
    ASSERT_TRUE(chooser.OpenFolder(dir / "Sub").ok());
    EXPECT_EQ(chooser.ShownDrive(), dir.path());

    // A drive that cannot be read: the drive list snaps back, the folder stays.
    EXPECT_FALSE(chooser.ChooseDrive(dir / "no medium"));
    EXPECT_EQ(chooser.ShownDrive(), dir.path());
    EXPECT_EQ(chooser.CurrentFolder(), dir / "Sub");
    // The drive already shown keeps the folder; another opens at its root.
    EXPECT_FALSE(chooser.ChooseDrive(dir.path()));
    EXPECT_EQ(chooser.CurrentFolder(), dir / "Sub");
    EXPECT_TRUE(chooser.ChooseDrive(dir / "b"));
    EXPECT_EQ(chooser.CurrentFolder(), dir / "b");
    EXPECT_EQ(chooser.ShownDrive(), dir / "b");

    // A jump to another drive's folder leaves the drive list as it was.
    ASSERT_TRUE(chooser.OpenFolder(dir / "A").ok());
    EXPECT_EQ(chooser.ShownDrive(), dir / "b");
}

TEST_F(FolderChooserTest, OpensAfreshAtTheNearestExistingFolder) {
    ASSERT_TRUE(chooser.OpenFolder(dir / "A").ok());
    dir.MakeFolder("Sub/New");
    chooser.OpenAfresh(path::WithTrailingSeparator(dir / "Sub/not/yet"));
    EXPECT_EQ(chooser.CurrentFolder(), dir / "Sub");
    EXPECT_EQ(Children(), (std::vector<std::string>{"Deep", "New"}));
    EXPECT_EQ(chooser.ShownDrive(), dir.path());

    // An unreadable folder opens at the nearest readable one above it; no folder at all at
    // the folder opened before.
    fs.Refuse(test::FsOp::kListFolder, "Deep");
    chooser.OpenAfresh(dir / "Sub/Deep");
    EXPECT_EQ(chooser.CurrentFolder(), dir / "Sub");
    ASSERT_TRUE(chooser.OpenFolder(dir / "b").ok());
    chooser.OpenAfresh("");
    EXPECT_EQ(chooser.CurrentFolder(), dir / "b");
}

}  // namespace
}  // namespace tagwright
