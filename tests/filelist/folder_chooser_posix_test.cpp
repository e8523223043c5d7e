#include <gtest/gtest.h>

#include "filelist/folder_chooser.h"

namespace tagwright {
namespace {

TEST(FolderChooserPosix, DriveOfPicksLongestHoldingRoot) {
    const std::vector<std::string> roots{"/", "/media/usb", "/mnt/"};
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/Music", "/"},       {"/media/usb/Music", "/media/usb"},
        {"/media/usb", "/media/usb"}, {"/media/usb2/x", "/"},
        {"/mnt/disk", "/mnt/"},
    };
    for (const auto& [folder, drive] : cases)
        EXPECT_EQ(FolderChooser::DriveOf(folder, roots), drive) << folder;
    EXPECT_EQ(FolderChooser::DriveOf("/home", {"/media/usb"}), "");
}

TEST(FolderChooserPosix, CleanFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"/", "/"},   {"//", "/"},       {"/a/b/", "/a/b"},  {"/a//b/./c/..", "/a/b"},
        {"/..", "/"}, {"/a/../..", "/"}, {"relative/a", ""}, {"", ""},
    };
    for (const auto& [folder, clean] : cases)
        EXPECT_EQ(FolderChooser::CleanFolder(folder), clean) << folder;
}

}  // namespace
}  // namespace tagwright
