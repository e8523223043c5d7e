// What only Windows file systems show: letter case is ignored, and renames must still never
// replace a file.
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/special_folders.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

TEST(WindowsFileSystem, ExistenceIgnoresLetterCase) {
    test::TempDir dir;
    const std::string song = dir.Write("Song.MP3", "x");
    FileSystem& fs = RealFileSystem();
    EXPECT_TRUE(fs.FileExists(dir / "song.mp3"));
    EXPECT_TRUE(fs.IsSameFile(song, dir / "SONG.mp3"));
}

TEST(WindowsFileSystem, CaseOnlyRenameKeepsTheFile) {
    test::TempDir dir;
    const std::string song = dir.Write("Song.MP3", "content");
    ASSERT_TRUE(RealFileSystem().RenameFile(song, "Song.mp3", {}).ok());
    auto listing = RealFileSystem().ListFolder(dir.path());
    ASSERT_TRUE(listing.ok());
    ASSERT_EQ(listing->files.size(), 1u);
    EXPECT_EQ(listing->files[0].name, "Song.mp3");
    EXPECT_EQ(test::ReadAll(dir / "Song.mp3").size(), 7u);
}

TEST(WindowsFileSystem, RenameNeverReplaces) {
    test::TempDir dir;
    const std::string a = dir.Write("a.mp3", "A");
    dir.Write("b.mp3", "B");
    auto r = RealFileSystem().RenameFile(a, "B.MP3", {});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().kind, ErrorKind::kAlreadyExists);
    EXPECT_EQ(test::ReadAll(dir / "b.mp3"), std::vector<std::uint8_t>{'B'});
}

TEST(WindowsFileSystem, StartStorageFolderIsMyDocuments) {
    EXPECT_EQ(DefaultStorageFolder(), "c:\\My Documents\\");
}

TEST(WindowsFileSystem, JapaneseNamesRoundTrip) {
    test::TempDir dir;
    const std::string name = "\u66F2\u540D\u2460.mp3";  // 曲名①.mp3
    dir.Write(name, "x");
    auto listing = RealFileSystem().ListFolder(dir.path());
    ASSERT_TRUE(listing.ok());
    ASSERT_EQ(listing->files.size(), 1u);
    EXPECT_EQ(listing->files[0].name, name);
    EXPECT_TRUE(RealFileSystem().FileExists(listing->files[0].path));
}

}  // namespace
}  // namespace tagwright
