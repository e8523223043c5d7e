#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/folder_listing_posix.h"
#include "platform/special_folders.h"
#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

using test::FaultFileSystem;
using test::FsOp;
using test::TempDir;

std::vector<std::string> Names(const std::vector<DirEntry>& entries) {
    std::vector<std::string> out;
    for (const DirEntry& e : entries)
        out.push_back(e.name);
    std::sort(out.begin(), out.end());
    return out;
}

TEST(RealFileSystem, ListsFilesFoldersAndLinksApart) {
    TempDir dir;
    dir.Write("a.mp3", "x");
    dir.Write("sub/b.mp3", "y");
    std::filesystem::create_directory_symlink(dir / "sub", dir / "loop");
    std::filesystem::create_symlink(dir / "a.mp3", dir / "alias.mp3");
    auto listing = RealFileSystem().ListFolder(dir.path());
    ASSERT_TRUE(listing.ok()) << listing.error().Message();
    EXPECT_EQ(Names(listing->files), (std::vector<std::string>{"a.mp3", "alias.mp3"}));
    EXPECT_EQ(Names(listing->folders), std::vector<std::string>{"sub"});
    EXPECT_EQ(Names(listing->links), std::vector<std::string>{"loop"});
    for (const DirEntry& e : listing->files)
        EXPECT_EQ(e.path, dir / e.name);
}

// Examines like lstat, but refuses entries named "locked*" and finds "gone*" gone, as a file
// system that reports no entry kinds would show a forbidden or vanished entry.
int ExamineWithRefusals(const char* p, struct stat* st) {
    const std::string name = std::filesystem::path(p).filename().string();
    if (name.rfind("locked", 0) == 0 || name.rfind("gone", 0) == 0) {
        errno = name[0] == 'l' ? EACCES : ENOENT;
        return -1;
    }
    return ::lstat(p, st);
}

TEST(RealFileSystem, EntriesOfUnknownKindAreExaminedAndRefusalsReported) {
    TempDir dir;
    dir.Write("a.mp3", "x");
    dir.Write("sub/b.mp3", "y");
    dir.Write("locked.mp3", "z");
    dir.Write("gone.mp3", "z");
    std::filesystem::create_directory_symlink(dir / "sub", dir / "loop");
    auto listing = posix::ListFolder(dir.path(), ExamineWithRefusals, true);
    ASSERT_TRUE(listing.ok()) << listing.error().Message();
    EXPECT_EQ(Names(listing->files), std::vector<std::string>{"a.mp3"});
    EXPECT_EQ(Names(listing->folders), std::vector<std::string>{"sub"});
    EXPECT_EQ(Names(listing->links), std::vector<std::string>{"loop"});
    ASSERT_EQ(listing->skipped.size(), 1u);
    EXPECT_EQ(listing->skipped[0].path, dir / "locked.mp3");
    EXPECT_EQ(listing->skipped[0].kind, ErrorKind::kPermissionDenied);
}

TEST(RealFileSystem, RenameAndMoveNeverReplace) {
    TempDir dir;
    const std::string a = dir.Write("a.mp3", "AAA");
    const std::string b = dir.Write("b.mp3", "BBB");
    const std::string dest = dir.MakeFolder("dest");
    dir.Write("dest/a.mp3", "OLD");
    FileSystem& fs = RealFileSystem();

    auto renamed = fs.RenameFile(a, "b.mp3", {});
    ASSERT_FALSE(renamed.ok());
    EXPECT_EQ(renamed.error().kind, ErrorKind::kAlreadyExists);
    EXPECT_EQ(test::ReadAll(b), test::B("BBB"));

    auto moved = fs.MoveFile(a, {}, dest, OneName("a.mp3"));
    ASSERT_FALSE(moved.ok());
    EXPECT_EQ(moved.error().kind, ErrorKind::kAlreadyExists);
    EXPECT_EQ(test::ReadAll(dir / "dest/a.mp3"), test::B("OLD"));
    EXPECT_EQ(test::ReadAll(a), test::B("AAA"));

    ASSERT_TRUE(fs.RenameFile(a, "c.mp3", {}).ok());
    EXPECT_FALSE(fs.FileExists(a));
    ASSERT_TRUE(fs.MoveFile(dir / "c.mp3", {}, dest, OneName("c.mp3")).ok());
    EXPECT_EQ(test::ReadAll(dir / "dest/c.mp3"), test::B("AAA"));
}

TEST(RealFileSystem, RefusalsCarryPathAndOsReason) {
    TempDir dir;
    FileSystem& fs = RealFileSystem();
    const std::string missing = dir / "missing.mp3";
    auto opened = fs.OpenRead(missing);
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.error().kind, ErrorKind::kNotFound);
    EXPECT_EQ(opened.error().Message(), "cannot open '" + missing + "': No such file or directory");

    auto created = fs.CreateFolder(dir / "no/such/parent");
    ASSERT_FALSE(created.ok());
    EXPECT_EQ(created.error().kind, ErrorKind::kNotFound);
    EXPECT_FALSE(fs.GetFilePath(missing).ok());
    EXPECT_FALSE(fs.ListFolder(missing).ok());
}

// The full path of "link/../x.mp3" is the path of the file the OS opens for it: ".." after a
// link to a folder leads to the parent of the link's target, not back to where the link lies.
TEST(RealFileSystem, FullPathFollowsLinksBeforeDotDot) {
    TempDir dir;
    const std::string x = dir.Write("real/x.mp3", "X");
    dir.MakeFolder("real/sub");
    dir.MakeFolder("elsewhere");
    ASSERT_EQ(::symlink((dir / "real/sub").c_str(), (dir / "elsewhere/link").c_str()), 0);
    FileSystem& fs = RealFileSystem();
    const auto full = fs.GetFilePath(dir / "elsewhere/link/../x.mp3");
    ASSERT_TRUE(full.ok());
    EXPECT_TRUE(fs.FileExists(*full)) << *full;
    EXPECT_TRUE(fs.IsSameFile(*full, x));
    EXPECT_TRUE(fs.IsSameFile(fs.GetFilePath(dir / "real/sub/../x.mp3").value(), x));
    // Without "..", a path keeps its spelling: "." and doubled separators go, links stay.
    EXPECT_EQ(fs.GetFilePath(dir / "real/.//x.mp3").value(), x);
}

TEST(RealFileSystem, ReadOnlyFolderRefusesRename) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores permissions";
    TempDir dir;
    const std::string a = dir.Write("ro/a.mp3", "A");
    ::chmod((dir / "ro").c_str(), 0555);
    auto r = RealFileSystem().RenameFile(a, "b.mp3", {});
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().kind, ErrorKind::kPermissionDenied);
    EXPECT_EQ(r.error().reason, "Permission denied");
}

TEST(RealFileSystem, ExistenceDistinguishesFilesAndFolders) {
    TempDir dir;
    const std::string f = dir.Write("f.mp3", "x");
    const std::string d = dir.MakeFolder("d.mp3");
    FileSystem& fs = RealFileSystem();
    EXPECT_TRUE(fs.FileExists(f));
    EXPECT_FALSE(fs.FolderExists(f));
    EXPECT_TRUE(fs.FolderExists(d));
    EXPECT_FALSE(fs.FileExists(d));
    EXPECT_FALSE(fs.FileExists(""));
    EXPECT_TRUE(fs.IsSameFile(f, dir.path() + "/./f.mp3"));
    EXPECT_FALSE(fs.IsSameFile(f, d));
    // A folder opened for reading is refused when measured, not read as an empty file.
    auto reader = fs.OpenRead(d);
    if (reader.ok()) {
        auto size = (*reader)->Size();
        ASSERT_FALSE(size.ok());
        EXPECT_EQ(size.error().kind, ErrorKind::kIsFolder);
    }
}

TEST(RealFileSystem, WriteFileReplacesAndReadsBack) {
    TempDir dir;
    const std::string p = dir.Write("pic.jpg", "a much longer old content");
    const test::Bytes bytes = {1, 2, 3};
    ASSERT_TRUE(RealFileSystem().WriteFile(p, bytes).ok());
    EXPECT_EQ(test::ReadAll(p), bytes);
    auto reader = RealFileSystem().OpenRead(p);
    ASSERT_TRUE(reader.ok());
    std::uint8_t buf[8] = {};
    EXPECT_EQ((*reader)->ReadAt(1, buf).value(), 2u);
    EXPECT_EQ((*reader)->ReadAt(10, buf).value(), 0u);
    EXPECT_EQ((*reader)->Size().value(), 3u);
}

TEST(RealFileSystem, FifoNamedMp3DoesNotHang) {
    TempDir dir;
    const std::string fifo = dir / "pipe.mp3";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto reader = RealFileSystem().OpenRead(fifo);
    ASSERT_TRUE(reader.ok());
    EXPECT_FALSE((*reader)->Size().ok());
}

// Opening an entry as itself: a plain file opens with the status its entry has; a link is not
// followed, and a folder, a FIFO or a missing file is refused. The file system's own way and
// the general one (a look at the entry, then an open) agree on each.
TEST(RealFileSystem, OpenFileEntryOpensOnlyAPlainFileAsItself) {
    TempDir dir;
    const std::string plain = dir.Write("a.mp3", test::Audio(300));
    std::filesystem::create_symlink(plain, dir / "alias.mp3");
    dir.MakeFolder("Disc.mp3");
    ASSERT_EQ(::mkfifo((dir / "pipe.mp3").c_str(), 0600), 0);
    const struct {
        const char* name;
        std::optional<ErrorKind> refused;
    } cases[] = {
        {"a.mp3", std::nullopt},
        {"alias.mp3", ErrorKind::kNotRegularFile},
        {"Disc.mp3", ErrorKind::kIsFolder},
        {"pipe.mp3", ErrorKind::kOther},
        {"none.mp3", ErrorKind::kNotFound},
    };
    FaultFileSystem general;  // no override: the general way over the real file system
    for (FileSystem* fs : {&RealFileSystem(), static_cast<FileSystem*>(&general)}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (fs == &general ? " (general)" : ""));
            FileStatus status;
            auto opened = fs->OpenFileEntry(dir / c.name, status);
            if (c.refused) {
                ASSERT_FALSE(opened.ok());
                EXPECT_EQ(opened.error().kind, *c.refused);
                continue;
            }
            ASSERT_TRUE(opened.ok()) << opened.error().Message();
            EXPECT_EQ(status.id, fs->StatFile(plain)->id);
            EXPECT_EQ(status.stamp, fs->StatFile(plain)->stamp);
            std::uint8_t head[3] = {};
            EXPECT_EQ(*(*opened)->ReadAt(0, head), 3u);
        }
    }
}

TEST(SpecialFolders, MountPointsAreUnescaped) {
    const std::pair<std::string_view, std::string> cases[] = {
        {"/media/usb", "/media/usb"},
        {"/media/My\\040Disk", "/media/My Disk"},
        {"/mnt/a\\011b\\012c\\134d", "/mnt/a\tb\nc\\d"},
        {"/mnt/\\04", "/mnt/\\04"},      // cut short: kept as written
        {"/mnt/\\999", "/mnt/\\999"},    // not octal
        {"/mnt/\\101\\040", "/mnt/A "},  // an escape at the very end
    };
    for (const auto& [field, path] : cases)
        EXPECT_EQ(UnescapeMountPath(field), path) << field;
}

TEST(SpecialFolders, ReadXdgUserDirsWithFallback) {
    TempDir home;
    home.Write(".config/user-dirs.dirs",
               "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n");
    const char* oldHome = std::getenv("HOME");
    const std::string saved = oldHome ? oldHome : "";
    const char* oldConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string savedConfig = oldConfig ? oldConfig : "";
    ::setenv("HOME", home.path().c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(SpecialFolderPath("Desktop").value(), home.path() + "/デスクトップ");
    EXPECT_EQ(SpecialFolderPath("mydocuments").value(), home.path() + "/Documents");
    EXPECT_FALSE(SpecialFolderPath("Startup").ok());
    ::setenv("HOME", saved.c_str(), 1);
    if (oldConfig)
        ::setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}

TEST(FaultFileSystem, RefusesChosenCallsOnly) {
    TempDir dir;
    const std::string a = dir.Write("a.mp3", "A");
    const std::string b = dir.Write("b.mp3", "B");
    FaultFileSystem fs;
    fs.Refuse(FsOp::kOpenRead, "a.mp3", ENOENT);
    fs.Refuse(FsOp::kRenameFile, "", EACCES, 2);

    auto ra = fs.OpenRead(a);
    ASSERT_FALSE(ra.ok());
    EXPECT_EQ(ra.error().reason, "No such file or directory");
    EXPECT_TRUE(fs.OpenRead(b).ok());

    EXPECT_TRUE(fs.RenameFile(b, "c.mp3", {}).ok());          // first rename passes
    auto second = fs.RenameFile(dir / "c.mp3", "d.mp3", {});  // second is refused
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().kind, ErrorKind::kPermissionDenied);
    EXPECT_TRUE(fs.FileExists(dir / "c.mp3"));
    EXPECT_TRUE(fs.RenameFile(dir / "c.mp3", "d.mp3", {}).ok());  // third passes
    EXPECT_EQ(fs.Calls(FsOp::kRenameFile), 3);
    EXPECT_EQ(fs.Refusals(), 2);
}

TEST(FaultFileSystem, RefusesReadsThroughItsReaders) {
    TempDir dir;
    const std::string a = dir.Write("a.mp3", "A");
    FaultFileSystem fs;
    fs.Refuse(FsOp::kRead, "a.mp3", EIO);
    auto reader = fs.OpenRead(a);
    ASSERT_TRUE(reader.ok());
    std::uint8_t buf[1];
    auto read = (*reader)->ReadAt(0, buf);
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.error().reason, "Input/output error");
}

}  // namespace
}  // namespace tagwright
