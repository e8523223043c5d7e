// The POSIX file system: plain system calls, because the tag probe runs once per listed file
// and every saved call shows on a 100,000-file search.
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "platform/folder_listing_posix.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace tagwright {

namespace {

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

class PosixByteReader final : public ByteReader {
  public:
    PosixByteReader(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixByteReader() override { ::close(m_fd); }

    Result<std::uint64_t> Size() override {
        struct stat st {};
        if (::fstat(m_fd, &st) != 0)
            return Errno("read", m_path);
        if (S_ISDIR(st.st_mode))
            return MakeSystemError("read", m_path, EISDIR);
        if (!S_ISREG(st.st_mode)) {
            return Error{"read", m_path, "Not a regular file", EINVAL, ErrorKind::kOther};
        }
        return static_cast<std::uint64_t>(st.st_size);
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
    int m_fd;
    std::string m_path;
};

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

// Copies `from` into a new file `tmp` (which must not exist), with its mode and times, and
// flushes it to disk.
int CopyToNewFile(const std::string& from, const std::string& tmp) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    FdGuard inGuard(in);
    struct stat st {};
    if (::fstat(in, &st) != 0)
        return errno;
    const int out =
        ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 07777);
    if (out < 0)
        return errno;
    FdGuard outGuard(out);
    std::vector<char> buf(1 << 20);
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            break;
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
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::futimens(out, times);
    if (::fsync(out) != 0)
        return errno;
    if (::close(outGuard.release()) != 0)
        return errno;
    return 0;
}

// Two no-replace renames through a fresh name beside the file.
int RenameThroughTemporary(const std::string& from, const std::string& to) {
    for (int i = 0; i < 100; ++i) {
        const std::string tmp = from + ".tagwright-case" + std::to_string(i);
        const int err = RenameNoReplace(from, tmp);
        if (err == EEXIST)
            continue;
        if (err != 0)
            return err;
        const int second = RenameNoReplace(tmp, to);
        if (second != 0)
            RenameNoReplace(tmp, from);  // put it back under its old name
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

    Result<void> RenameFile(const std::string& p, const std::string& newName) override {
        const std::string target = path::Join(path::ParentFolder(p), newName);
        int err = RenameNoReplace(p, target);
        // On a case-insensitive file system a case-only rename meets the file itself.
        if (err == EEXIST && target != p && IsSameFile(p, target)) {
            err = RenameThroughTemporary(p, target);
        }
        if (err != 0)
            return MakeSystemError("rename", p, err);
        return {};
    }

    Result<void> MoveFile(const std::string& p, const std::string& destFolder,
                          const std::string& newName) override {
        const std::string target = path::Join(destFolder, newName);
        const int err = RenameNoReplace(p, target);
        if (err == 0)
            return {};
        if (err != EXDEV)
            return MakeSystemError("move", p, err);
        return MoveAcrossDevices(p, target);
    }

    Result<void> CreateFolder(const std::string& p) override {
        if (::mkdir(p.c_str(), 0777) != 0)
            return Errno("create folder", p);
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

    Result<std::string> SpecialFolder(const std::string& name) override {
        return SpecialFolderPath(name);
    }

  private:
    static Result<void> MoveAcrossDevices(const std::string& from, const std::string& target) {
        // Copy under a temporary name beside the target, so that a half-written copy never
        // carries the final name; the source goes only once the copy holds that name.
        std::string tmp;
        int err = EEXIST;
        for (int i = 0; i < 100 && err == EEXIST; ++i) {
            tmp = target + ".tagwright-tmp" + std::to_string(::getpid()) + "-" + std::to_string(i);
            err = CopyToNewFile(from, tmp);
            if (err != 0 && err != EEXIST)
                ::unlink(tmp.c_str());
        }
        if (err != 0)
            return MakeSystemError("copy", from, err);
        if (const int e = RenameNoReplace(tmp, target); e != 0) {
            ::unlink(tmp.c_str());
            return MakeSystemError("move", from, e);
        }
        if (::unlink(from.c_str()) != 0) {
            // The copy is complete; keep the original rather than risk losing either.
            const int e = errno;
            ::unlink(target.c_str());
            return MakeSystemError("remove", from, e);
        }
        return {};
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace tagwright
