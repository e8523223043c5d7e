// The POSIX file system: plain system calls, because the tag probe runs once per listed file
// and every saved call shows on a 100,000-file search.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "platform/file_system_steps.h"
#include "platform/folder_listing_posix.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace tagwright {

namespace {

using fs_steps::Step;
using fs_steps::TemporaryNameIn;

Error Errno(const char* op, const std::string& path) {
    return MakeSystemError(op, path, errno);
}

class FdGuard {
  public:
    explicit FdGuard(int fd) : m_fd(fd) {}
    ~FdGuard() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return m_fd; }
    int release() {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

  private:
    int m_fd;
};

FileIdentity IdentityOf(const struct stat& st) {
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                        static_cast<std::uint64_t>(st.st_ino)};
}

std::int64_t Nanoseconds(const struct timespec& t) {
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

FileStamp StampOf(const struct stat& st) {
    return FileStamp{static_cast<std::uint64_t>(st.st_size), Nanoseconds(st.st_mtim),
                     Nanoseconds(st.st_ctim)};
}

class PosixByteReader final : public ByteReader {
  public:
    PosixByteReader(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixByteReader() override { ::close(m_fd); }

    Result<std::uint64_t> Size() override {
        // The stamp's own fstat serves: a tag read asks for both, and each call shows on a
        // long listing.
        if (m_status)
            return m_status->stamp.size;
        struct stat st {};
        if (auto refused = Stat(st))
            return *refused;
        return static_cast<std::uint64_t>(st.st_size);
    }

    Result<FileStatus> Status() override {
        struct stat st {};
        if (auto refused = Stat(st))
            return *refused;
        m_status = FileStatus{IdentityOf(st), StampOf(st)};
        return *m_status;
    }

    Result<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::pread(m_fd, out.data() + done, out.size() - done,
                                      static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return Errno("read", m_path);
            }
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

  private:
    std::optional<Error> Stat(struct stat& st) const {
        if (::fstat(m_fd, &st) != 0)
            return Errno("read", m_path);
        if (S_ISDIR(st.st_mode))
            return MakeSystemError("read", m_path, EISDIR);
        if (!S_ISREG(st.st_mode))
            return Error{"read", m_path, "Not a regular file", EINVAL, ErrorKind::kOther};
        return std::nullopt;
    }

    int m_fd;
    std::string m_path;
    std::optional<FileStatus> m_status;
};

// Extended attributes where both file systems keep them; one the target refuses is left out,
// as mv leaves it.
void CopyAttributes(int in, int out) {
    const ssize_t size = ::flistxattr(in, nullptr, 0);
    if (size <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(size));
    const ssize_t got = ::flistxattr(in, names.data(), names.size());
    if (got <= 0)
        return;
    std::vector<char> value;
    for (ssize_t at = 0; at < got;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        const ssize_t len = ::fgetxattr(in, name, nullptr, 0);
        if (len < 0)
            continue;
        value.resize(static_cast<std::size_t>(len));
        const ssize_t read = ::fgetxattr(in, name, value.data(), value.size());
        if (read >= 0)
            (void)::fsetxattr(out, name, value.data(), static_cast<std::size_t>(read), 0);
    }
}

bool LstatExists(const std::string& p, struct stat* st) {
    return ::lstat(p.c_str(), st) == 0;
}

// rename() that never replaces: renameat2(RENAME_NOREPLACE) where the file system has it,
// else a hard link (which refuses an existing name) and an unlink, else an O_EXCL placeholder
// that reserves the name before rename() takes it. Never a bare rename().
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    const int first = errno;
    if (first != EINVAL && first != ENOSYS && first != EOPNOTSUPP)
        return first;

    if (::link(from.c_str(), to.c_str()) == 0) {
        if (::unlink(from.c_str()) != 0) {
            const int err = errno;
            ::unlink(to.c_str());
            return err;
        }
        return 0;
    }
    const int linkErr = errno;
    if (linkErr != EPERM && linkErr != EOPNOTSUPP && linkErr != ENOSYS && linkErr != EMLINK) {
        return linkErr;
    }
    const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (::rename(from.c_str(), to.c_str()) != 0) {
        const int err = errno;
        ::unlink(to.c_str());
        return err;
    }
    return 0;
}

// Internal code for "the path names another file now"; it never leaves this file as errno.
constexpr int kChanged = -1;
// Internal code for "the file could not be put back"; the caller reports where it is.
constexpr int kStrandedCode = -2;

// 0 when the entry `p` (not followed) is the file `expected`, or nothing is expected.
int CheckEntry(const std::string& p, const FileIdentity& expected) {
    if (!expected.Known())
        return 0;
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0)
        return errno == ENOENT ? kChanged : errno;
    return IdentityOf(st) == expected ? 0 : kChanged;
}

Error ErrorOf(const char* op, const std::string& p, int code) {
    if (code == kChanged)
        return Error{op, p, kFileChangedReason, 0, ErrorKind::kFileChanged};
    return MakeSystemError(op, p, code);
}

// A no-replace rename of the file `expected` from `from` to `to`: refused before it starts when
// `from` names another file, and undone when the entry that arrived is not that file (it was
// swapped in between the check and the rename). A caller that has just examined `from` itself
// says so with `checked`: the check after the rename still catches a swap in between.
int CheckedRename(const std::string& from, const std::string& to, const FileIdentity& expected,
                  bool checked = false) {
    if (const int e = checked ? 0 : CheckEntry(from, expected); e != 0)
        return e;
    if (const int e = RenameNoReplace(from, to); e != 0)
        return e;
    if (CheckEntry(to, expected) != 0) {
        RenameNoReplace(to, from);
        return kChanged;
    }
    return 0;
}

// Copies the open file `in` (described by `st`) into the new file `tmp` with its mode, owner
// where the process may set it, extended attributes where both file systems keep them, and its
// times, and flushes it to disk. `copied` receives the copy's identity.
int CopyToNewFile(int in, const struct stat& st, const std::string& tmp, FileIdentity& copied) {
    const int out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0)
        return errno;
    FdGuard outGuard(out);
    std::vector<char> buf(1 << 20);
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(in, buf.data(), buf.size(), at);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
        at += n;
        ssize_t off = 0;
        while (off < n) {
            const ssize_t w = ::write(out, buf.data() + off, static_cast<std::size_t>(n - off));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            off += w;
        }
    }
    CopyAttributes(in, out);
    // Owner first: a change of owner clears the set-id bits that the mode then restores.
    (void)::fchown(out, st.st_uid, st.st_gid);
    if (::fchmod(out, st.st_mode & 07777) != 0)
        return errno;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (::fsync(out) != 0)
        return errno;
    struct stat cs {};
    if (::fstat(out, &cs) != 0)
        return errno;
    copied = IdentityOf(cs);
    if (::close(outGuard.release()) != 0)
        return errno;
    return 0;
}

// Renames `from` to `to` through a private name beside it, checking at every step that the
// file moved is `id`. When the second step fails the file is put back; when that fails too
// (another file took the old name meanwhile) `stranded` receives where the file is.
int RenameThroughTemporary(const std::string& from, const std::string& to, const FileIdentity& id,
                           std::string& stranded) {
    const std::string folder = path::ParentFolder(from);
    for (int i = 0; i < 100; ++i) {
        const std::string tmp = TemporaryNameIn(folder);
        const int err = CheckedRename(from, tmp, id);
        if (err == EEXIST)
            continue;
        if (err != 0)
            return err;
        Step(FsStep::kTemporaryName, tmp);
        const int second = CheckedRename(tmp, to, id);
        if (second == 0)
            return 0;
        if (CheckedRename(tmp, from, id) != 0) {
            stranded = tmp;
            return kStrandedCode;
        }
        return second;
    }
    return EEXIST;
}

}  // namespace

namespace posix {

Result<FolderListing> ListFolder(const std::string& folder, ExamineFunction examine,
                                 bool kindsUnknown) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return Errno("open folder", folder);
    FolderListing out;
    const std::string prefix = path::WithTrailingSeparator(folder);
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) {
            if (errno != 0) {
                Error err = Errno("list folder", folder);
                ::closedir(dir);
                return err;
            }
            break;
        }
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        DirEntry entry{name, prefix + name};
        unsigned char type = kindsUnknown ? static_cast<unsigned char>(DT_UNKNOWN) : e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st {};
            if (examine(entry.path.c_str(), &st) != 0) {
                // Gone meanwhile is no loss; anything else the user must hear of.
                if (errno != ENOENT)
                    out.skipped.push_back(Errno("examine", entry.path));
                continue;
            }
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_DIR) {
            out.folders.push_back(std::move(entry));
        } else if (type == DT_LNK) {
            struct stat st {};
            if (::stat(entry.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
                out.links.push_back(std::move(entry));
            } else {
                entry.link = true;
                out.files.push_back(std::move(entry));
            }
        } else {
            out.files.push_back(std::move(entry));
        }
    }
    ::closedir(dir);
    return out;
}

}  // namespace posix

namespace {

class PosixFileSystem final : public FileSystem {
  public:
    // Every call stands alone: no state is shared between calls.
    bool ConcurrentReads() const override { return true; }

    bool FolderExists(const std::string& p) override {
        struct stat st {};
        return !p.empty() && ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }

    bool FileExists(const std::string& p) override {
        struct stat st {};
        return !p.empty() && LstatExists(p, &st) && !S_ISDIR(st.st_mode);
    }

    Result<std::string> GetFilePath(const std::string& p) override {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0)
            return Errno("open file", p);
        if (S_ISDIR(st.st_mode))
            return MakeSystemError("open file", p, EISDIR);
        std::error_code ec;
        auto abs = std::filesystem::absolute(std::filesystem::path(p), ec);
        if (ec)
            return MakeSystemError("open file", p, ec.value());
        // ".." after a link to a folder leads to the parent of the link's target, which a
        // textual clean-up cannot know: "link/../x.mp3" would become a path naming no file, or
        // another one. Such a folder part is resolved through the file system; the file keeps
        // its own name, even when it is a link itself.
        for (const auto& part : abs) {
            if (part == "..") {
                auto folder = std::filesystem::canonical(abs.parent_path(), ec);
                if (ec)
                    return MakeSystemError("open file", p, ec.value());
                return (folder / abs.filename()).string();
            }
        }
        return abs.lexically_normal().string();
    }

    bool IsSameFile(const std::string& a, const std::string& b) override {
        struct stat sa {
        }, sb{};
        if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
            return false;
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    }

    Result<FolderListing> ListFolder(const std::string& folder) override {
        return posix::ListFolder(folder);
    }

    Result<FileIdentity> IdentifyFile(const std::string& p) override {
        Result<FileStatus> status = StatFile(p);
        if (!status)
            return status.error();
        return status->id;
    }

    Result<FileStatus> StatFile(const std::string& p) override {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0)
            return Errno("identify", p);
        if (S_ISDIR(st.st_mode))
            return MakeSystemError("identify", p, EISDIR);
        return FileStatus{IdentityOf(st), StampOf(st), S_ISLNK(st.st_mode)};
    }

    Result<void> RenameFile(const std::string& p, const std::string& newName,
                            const FileIdentity& expected) override {
        return Rename(p, newName, expected, false);
    }

    Result<void> RenameCheckedFile(const std::string& p, const std::string& newName,
                                   const FileIdentity& expected) override {
        return Rename(p, newName, expected, true);
    }

    Result<void> Rename(const std::string& p, const std::string& newName,
                        const FileIdentity& expected, bool checked) {
        const std::string target = path::Join(path::ParentFolder(p), newName);
        FileIdentity id = expected;
        if (!id.Known()) {
            // Still followed through every step of its own.
            auto known = IdentifyFile(p);
            if (!known.ok())
                return Error{"rename", p, known.error().reason, known.error().code,
                             known.error().kind};
            id = *known;
            checked = true;
        }
        int err = CheckedRename(p, target, id, checked);
        std::string stranded;
        // A case-only rename on a case-insensitive file system, or a target that is another
        // link to the file itself, meets the file itself.
        if (err == EEXIST && target != p && CheckEntry(target, id) == 0)
            err = RenameThroughTemporary(p, target, id, stranded);
        if (err == kStrandedCode) {
            return Error{"rename", stranded,
                         "another file took its name meanwhile; it could not be put back", 0,
                         ErrorKind::kStranded};
        }
        if (err != 0)
            return ErrorOf("rename", p, err);
        return {};
    }

    Result<std::string> MoveFile(const std::string& p, const FileIdentity& expected,
                                 const std::string& destFolder, const NameCandidates& names,
                                 FileIdentity* movedAs = nullptr) override {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0)
            return Errno("move", p);
        const FileIdentity id = IdentityOf(st);
        if (expected.Known() && id != expected)
            return ErrorOf("move", p, kChanged);
        if (S_ISDIR(st.st_mode))
            return MakeSystemError("move", p, EISDIR);
        if (S_ISLNK(st.st_mode))
            return MoveLink(p, id, destFolder, names, movedAs);
        // The lstat above is the first try's check.
        return MoveChecked(p, id, destFolder, names, movedAs);
    }

    Result<std::string> MoveCheckedFile(const std::string& p, const FileIdentity& expected,
                                        const std::string& destFolder, const NameCandidates& names,
                                        FileIdentity* movedAs = nullptr) override {
        if (!expected.Known())
            return MoveFile(p, expected, destFolder, names, movedAs);
        return MoveChecked(p, expected, destFolder, names, movedAs);
    }

    // The move of a file `id`, no link, checked just before: the first rename checks only after
    // itself (and undoes a swap made in between); a later try follows a refusal.
    Result<std::string> MoveChecked(const std::string& p, const FileIdentity& id,
                                    const std::string& destFolder, const NameCandidates& names,
                                    FileIdentity* movedAs) {
        for (int i = 0;; ++i) {
            const auto name = names(i);
            if (!name)
                return MakeSystemError("move", p, EEXIST);
            const int err = CheckedRename(p, path::Join(destFolder, *name), id, i == 0);
            if (err == 0) {
                // The rename's own check found the file itself at the new name.
                if (movedAs != nullptr)
                    *movedAs = id;
                return *name;
            }
            if (err == EXDEV)
                return MoveAcrossDevices(p, id, destFolder, names, i, movedAs);
            if (err != EEXIST)
                return ErrorOf("move", p, err);
        }
    }

    Result<void> CreateFolder(const std::string& p) override {
        if (::mkdir(p.c_str(), 0777) != 0)
            return Errno("create folder", p);
        return {};
    }

    Result<void> RemoveEmptyFolder(const std::string& p) override {
        // rmdir() itself refuses a folder that holds anything.
        if (::rmdir(p.c_str()) != 0)
            return Errno("remove folder", p);
        return {};
    }

    Result<void> RemoveFile(const std::string& p) override {
        struct stat st {};
        if (LstatExists(p, &st) && S_ISDIR(st.st_mode))
            return MakeSystemError("remove", p, EISDIR);
        if (::unlink(p.c_str()) != 0)
            return Errno("remove", p);
        return {};
    }

    Result<void> WriteFile(const std::string& p, std::span<const std::uint8_t> bytes) override {
        const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0)
            return Errno("write", p);
        FdGuard guard(fd);
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return Errno("write", p);
            }
            done += static_cast<std::size_t>(n);
        }
        if (::close(guard.release()) != 0)
            return Errno("write", p);
        return {};
    }

    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& p) override {
        // O_NONBLOCK: a FIFO that happens to be named *.mp3 must not hang the probe.
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return Errno("open", p);
        return std::unique_ptr<ByteReader>(std::make_unique<PosixByteReader>(fd, p));
    }

    Result<std::unique_ptr<ByteReader>> OpenFileEntry(const std::string& p,
                                                      FileStatus& status) override {
        // The open itself refuses a link, and the reader's fstat is then the entry's own: no
        // lstat before it. O_NOCTTY: a terminal named *.mp3 must not become this process's.
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY);
        if (fd < 0) {
            if (errno == ELOOP)
                return Error{"open", p, "Not a plain file", ELOOP, ErrorKind::kNotRegularFile};
            return Errno("open", p);
        }
        auto reader = std::make_unique<PosixByteReader>(fd, p);
        Result<FileStatus> now = reader->Status();
        if (!now)
            return now.error();
        status = *now;
        return std::unique_ptr<ByteReader>(std::move(reader));
    }

    Result<std::string> SpecialFolder(const std::string& name) override {
        return SpecialFolderPath(name);
    }

  private:
    // Removes the entry `p` only when it is the file `id`: the entry is first moved aside
    // under a private name, so that a file renamed into `p` in the meantime is never the one
    // unlinked, and put back when it turns out to be another file.
    // The name set aside is announced first, so that a crash before the unlink leaves a file
    // the next start can find; a refusal of that notice comes back in `refused`.
    int RemoveChecked(const std::string& p, const FileIdentity& id,
                      std::optional<Error>& refused) const {
        const std::string folder = path::ParentFolder(p);
        for (int i = 0; i < 100; ++i) {
            const std::string aside = TemporaryNameIn(folder);
            if (Result<void> noted = NoteTemporary(p, aside, TemporaryKind::kAside); !noted.ok()) {
                refused = noted.error();
                return EIO;
            }
            const int err = RenameNoReplace(p, aside);
            if (err == EEXIST)
                continue;
            if (err != 0)
                return err;
            Step(FsStep::kSourceAside, aside);
            if (CheckEntry(aside, id) != 0) {
                RenameNoReplace(aside, p);
                return kChanged;
            }
            if (::unlink(aside.c_str()) != 0) {
                const int e = errno;
                RenameNoReplace(aside, p);
                return e;
            }
            return 0;
        }
        return EEXIST;
    }

    // Unlinks a file this process made, unless something else has its name by now.
    static void RemoveOwn(const std::string& p, const FileIdentity& id) {
        if (CheckEntry(p, id) == 0)
            ::unlink(p.c_str());
    }

    // Tries `names` from `first` on for the file `tmp` (a temporary in `destFolder`); removes
    // the temporary when none is free or a rename fails.
    static Result<std::string> PlaceTemporary(const std::string& from, const std::string& tmp,
                                              const std::string& destFolder,
                                              const NameCandidates& names, int first) {
        for (int i = first;; ++i) {
            const auto name = names(i);
            if (!name) {
                ::unlink(tmp.c_str());
                return MakeSystemError("move", from, EEXIST);
            }
            const int err = RenameNoReplace(tmp, path::Join(destFolder, *name));
            if (err == 0)
                return *name;
            if (err != EEXIST) {
                ::unlink(tmp.c_str());
                return MakeSystemError("move", from, err);
            }
        }
    }

    // After the new entry holds its name: removes the source `from` (the file `id`), or, when
    // that cannot be done safely, removes the new entry again and refuses.
    Result<std::string> FinishMove(const std::string& from, const FileIdentity& id,
                                   const std::string& placed, const FileIdentity& placedId,
                                   std::string name) const {
        Step(FsStep::kCopyInPlace, from);
        std::optional<Error> refused;
        const int err = RemoveChecked(from, id, refused);
        if (err == 0)
            return name;
        RemoveOwn(placed, placedId);
        if (refused)
            return *refused;
        return ErrorOf("move", from, err);
    }

    // Copy once under a temporary name beside the target, so that a half-written copy never
    // carries a final name and each taken name costs a rename, not a copy.
    Result<std::string> MoveAcrossDevices(const std::string& from, const FileIdentity& id,
                                          const std::string& destFolder,
                                          const NameCandidates& names, int first,
                                          FileIdentity* movedAs) {
        // O_NONBLOCK: a FIFO swapped in after listing must not hang the open; O_NOFOLLOW: a
        // link swapped in is not the listed file.
        const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
        if (in < 0)
            return ErrorOf("move", from, errno == ELOOP ? kChanged : errno);
        FdGuard inGuard(in);
        struct stat st {};
        if (::fstat(in, &st) != 0)
            return Errno("move", from);
        if (IdentityOf(st) != id)
            return ErrorOf("move", from, kChanged);
        if (!S_ISREG(st.st_mode))
            return Error{"move", from, "Not a regular file", 0, ErrorKind::kNotRegularFile};
        std::string tmp;
        FileIdentity copied;
        int err = EEXIST;
        for (int i = 0; i < 100 && err == EEXIST; ++i) {
            tmp = TemporaryNameIn(destFolder);
            if (Result<void> noted = NoteTemporary(from, tmp, TemporaryKind::kCopy); !noted.ok())
                return noted.error();
            err = CopyToNewFile(in, st, tmp, copied);
            if (err != 0 && err != EEXIST)
                ::unlink(tmp.c_str());
        }
        if (err != 0)
            return MakeSystemError("copy", from, err);
        Step(FsStep::kCopyMade, tmp);
        auto placed = PlaceTemporary(from, tmp, destFolder, names, first);
        if (!placed.ok())
            return placed;
        auto finished = FinishMove(from, id, path::Join(destFolder, *placed), copied, *placed);
        if (finished.ok() && movedAs != nullptr)
            *movedAs = copied;
        return finished;
    }

    // A link moves as a link that points where it pointed: a relative target is made absolute
    // from the folder it was written for. Same device or not, nothing is copied.
    Result<std::string> MoveLink(const std::string& from, const FileIdentity& id,
                                 const std::string& destFolder, const NameCandidates& names,
                                 FileIdentity* movedAs) const {
        std::string target(4096, '\0');
        const ssize_t len = ::readlink(from.c_str(), target.data(), target.size());
        if (len < 0 || static_cast<std::size_t>(len) >= target.size())
            return Errno("move", from);
        target.resize(static_cast<std::size_t>(len));
        if (target.empty() || target[0] != '/') {
            char* folder = ::realpath(path::ParentFolder(from).c_str(), nullptr);
            if (folder == nullptr)
                return Errno("move", from);
            target = path::Join(folder, target);
            std::free(folder);
        }
        for (int i = 0;; ++i) {
            const auto name = names(i);
            if (!name)
                return MakeSystemError("move", from, EEXIST);
            const std::string placed = path::Join(destFolder, *name);
            if (::symlink(target.c_str(), placed.c_str()) != 0) {
                if (errno == EEXIST)
                    continue;
                return Errno("move", from);
            }
            struct stat st {};
            if (::lstat(placed.c_str(), &st) != 0)
                return Errno("move", from);
            auto finished = FinishMove(from, id, placed, IdentityOf(st), *name);
            if (finished.ok() && movedAs != nullptr)
                *movedAs = IdentityOf(st);
            return finished;
        }
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace tagwright
