#include "platform/durable_log.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/path.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

std::filesystem::path U8Path(const std::string& s) {
    return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

#ifdef _WIN32

Error WinLogError(const char* op, const std::string& p, DWORD code) {
    return Error{op, p, std::system_category().message(static_cast<int>(code)),
                 static_cast<int>(code), ErrorKind::kOther};
}

class WinDurableLog final : public DurableLog {
  public:
    WinDurableLog(HANDLE h, std::string path) : m_handle(h), m_path(std::move(path)) {}
    ~WinDurableLog() override { ::CloseHandle(m_handle); }

    Result<void> Append(std::string_view line, bool flush) override {
        std::string& data = m_data;
        data.assign(line);
        data += '\n';
        DWORD written = 0;
        // FILE_APPEND_DATA alone: every write lands at the end, whatever else has the file.
        if (!::WriteFile(m_handle, data.data(), static_cast<DWORD>(data.size()), &written,
                         nullptr) ||
            written != data.size()) {
            return WinLogError("write", m_path, ::GetLastError());
        }
        return flush ? Sync() : Result<void>{};
    }
    Result<void> Sync() override {
        if (!::FlushFileBuffers(m_handle))
            return WinLogError("flush", m_path, ::GetLastError());
        return {};
    }

  private:
    HANDLE m_handle;
    std::string m_path;
    std::string m_data;  // kept: a batch appends a record per file
};

#else

class PosixDurableLog final : public DurableLog {
  public:
    PosixDurableLog(int fd, std::string path) : m_fd(fd), m_path(std::move(path)) {}
    ~PosixDurableLog() override { ::close(m_fd); }

    Result<void> Append(std::string_view line, bool flush) override {
        std::string& data = m_data;
        data.assign(line);
        data += '\n';
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(m_fd, data.data() + done, data.size() - done);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return MakeSystemError("write", m_path, errno);
            }
            done += static_cast<std::size_t>(n);
        }
        return flush ? Sync() : Result<void>{};
    }
    Result<void> Sync() override {
        if (::fdatasync(m_fd) != 0)
            return MakeSystemError("flush", m_path, errno);
        return {};
    }

  private:
    int m_fd;
    std::string m_path;
    std::string m_data;  // kept: a batch appends a record per file
};

#endif

}  // namespace

Result<std::unique_ptr<DurableLog>> OpenDurableLog(const std::string& p) {
#ifdef _WIN32
    HANDLE h = ::CreateFileW(utf8::ToWide(p).c_str(), FILE_APPEND_DATA,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return WinLogError("open", p, ::GetLastError());
    return std::unique_ptr<DurableLog>(std::make_unique<WinDurableLog>(h, p));
#else
    const int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return MakeSystemError("open", p, errno);
    // The new entry in the folder must outlive a crash as much as the lines in the file.
    const int dir = ::open(path::ParentFolder(p).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return std::unique_ptr<DurableLog>(std::make_unique<PosixDurableLog>(fd, p));
#endif
}

Result<void> CreateFolderTree(const std::string& p) {
    std::error_code ec;
    std::filesystem::create_directories(U8Path(p), ec);
    if (ec)
        return MakeSystemError("create folder", p, ec.value());
    return {};
}

}  // namespace tagwright
