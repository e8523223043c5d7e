// The Windows file system: wide-character Win32 calls. Paths arrive as UTF-8 and are converted
// only here; paths longer than MAX_PATH get the "\\?\" prefix.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/special_folders.h"

namespace tagwright {

namespace {

std::wstring Wide(const std::string& s) {
    if (s.empty())
        return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& w) {
    if (w.empty())
        return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr,
                          nullptr);
    return out;
}

// A native path: long absolute paths get the extended-length prefix so that deep collections
// are not cut off at 260 characters.
std::wstring Native(const std::string& p) {
    std::wstring w = Wide(p);
    for (wchar_t& c : w) {
        if (c == L'/')
            c = L'\\';
    }
    if (w.size() >= MAX_PATH - 12 && w.rfind(L"\\\\?\\", 0) != 0) {
        if (w.size() > 2 && w[1] == L':')
            return L"\\\\?\\" + w;
        if (w.rfind(L"\\\\", 0) == 0)
            return L"\\\\?\\UNC\\" + w.substr(2);
    }
    return w;
}

ErrorKind KindOfWin(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_BAD_NETPATH:
            return ErrorKind::kNotFound;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return ErrorKind::kAlreadyExists;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return ErrorKind::kPermissionDenied;
        case ERROR_NOT_SAME_DEVICE:
            return ErrorKind::kCrossDevice;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return ErrorKind::kNotSupported;
        case ERROR_INVALID_NAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:
            return ErrorKind::kInvalidName;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return ErrorKind::kInUse;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ErrorKind::kNoSpace;
        default:
            return ErrorKind::kOther;
    }
}

std::string WinReason(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n != 0 && buffer != nullptr ? std::wstring(buffer, n) : std::wstring();
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty())
        return "Windows error " + std::to_string(code);
    return Narrow(text);
}

Error WinError(const char* op, const std::string& p, DWORD code = ::GetLastError()) {
    return Error{op, p, WinReason(code), static_cast<int>(code), KindOfWin(code)};
}

class HandleGuard {
  public:
    explicit HandleGuard(HANDLE h) : m_h(h) {}
    ~HandleGuard() {
        if (m_h != INVALID_HANDLE_VALUE)
            ::CloseHandle(m_h);
    }
    HandleGuard(const HandleGuard&) = delete;
    HandleGuard& operator=(const HandleGuard&) = delete;
    HANDLE get() const { return m_h; }

  private:
    HANDLE m_h;
};

class WinByteReader final : public ByteReader {
  public:
    WinByteReader(HANDLE h, std::string path) : m_h(h), m_path(std::move(path)) {}
    ~WinByteReader() override { ::CloseHandle(m_h); }

    Result<std::uint64_t> Size() override {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(m_h, &size))
            return WinError("read", m_path);
        return static_cast<std::uint64_t>(size.QuadPart);
    }

    Result<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        std::size_t done = 0;
        while (done < out.size()) {
            OVERLAPPED ov{};
            const std::uint64_t at = offset + done;
            ov.Offset = static_cast<DWORD>(at & 0xFFFFFFFFu);
            ov.OffsetHigh = static_cast<DWORD>(at >> 32);
            const DWORD want =
                static_cast<DWORD>(std::min<std::size_t>(out.size() - done, 1u << 30));
            DWORD got = 0;
            if (!::ReadFile(m_h, out.data() + done, want, &got, &ov)) {
                const DWORD err = ::GetLastError();
                if (err == ERROR_HANDLE_EOF)
                    break;
                return WinError("read", m_path, err);
            }
            if (got == 0)
                break;
            done += got;
        }
        return done;
    }

  private:
    HANDLE m_h;
    std::string m_path;
};

DWORD Attributes(const std::string& p) {
    return ::GetFileAttributesW(Native(p).c_str());
}

bool GetIdentity(const std::string& p, BY_HANDLE_FILE_INFORMATION* info) {
    HandleGuard h(::CreateFileW(Native(p).c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.get() != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(h.get(), info);
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (!GetIdentity(a, &ia) || !GetIdentity(b, &ib))
        return false;
    return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

class WinFileSystem final : public FileSystem {
  public:
    bool FolderExists(const std::string& p) override {
        const DWORD a = Attributes(p);
        return !p.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    bool FileExists(const std::string& p) override {
        const DWORD a = Attributes(p);
        return !p.empty() && a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    Result<std::string> GetFilePath(const std::string& p) override {
        const DWORD a = Attributes(p);
        if (a == INVALID_FILE_ATTRIBUTES)
            return WinError("open file", p);
        if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return Error{"open file", p, "Is a directory", EISDIR, ErrorKind::kIsFolder};
        }
        const std::wstring w = Wide(p);
        const DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
        std::wstring full(n, L'\0');
        const DWORD m = ::GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
        if (m == 0 || m >= n)
            return WinError("open file", p);
        full.resize(m);
        return Narrow(full);
    }

    bool IsSameFile(const std::string& a, const std::string& b) override { return SameFile(a, b); }

    Result<FolderListing> ListFolder(const std::string& folder) override {
        const std::string prefix = path::WithTrailingSeparator(folder);
        WIN32_FIND_DATAW data{};
        HANDLE find = ::FindFirstFileExW(Native(prefix + "*").c_str(), FindExInfoBasic, &data,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find == INVALID_HANDLE_VALUE) {
            const DWORD err = ::GetLastError();
            // A drive root has no "." or ".." entries: an empty one finds nothing at all.
            if (err == ERROR_FILE_NOT_FOUND && FolderExists(folder))
                return FolderListing{};
            return WinError("open folder", folder, err);
        }
        FolderListing out;
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            DirEntry entry{Narrow(name), prefix + Narrow(name)};
            const DWORD a = data.dwFileAttributes;
            if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                // Junctions and directory links are listed apart so that a walk never loops.
                if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                    out.links.push_back(std::move(entry));
                } else {
                    out.folders.push_back(std::move(entry));
                }
            } else {
                out.files.push_back(std::move(entry));
            }
        } while (::FindNextFileW(find, &data));
        const DWORD err = ::GetLastError();
        ::FindClose(find);
        if (err != ERROR_NO_MORE_FILES)
            return WinError("list folder", folder, err);
        return out;
    }

    Result<void> RenameFile(const std::string& p, const std::string& newName) override {
        return MoveNoReplace("rename", p, path::Join(path::ParentFolder(p), newName));
    }

    Result<void> MoveFile(const std::string& p, const std::string& destFolder,
                          const std::string& newName) override {
        return MoveNoReplace("move", p, path::Join(destFolder, newName));
    }

    Result<void> CreateFolder(const std::string& p) override {
        if (!::CreateDirectoryW(Native(p).c_str(), nullptr))
            return WinError("create folder", p);
        return {};
    }

    Result<void> WriteFile(const std::string& p, std::span<const std::uint8_t> bytes) override {
        HandleGuard h(::CreateFileW(Native(p).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h.get() == INVALID_HANDLE_VALUE)
            return WinError("write", p);
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD wrote = 0;
            const DWORD want =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
            if (!::WriteFile(h.get(), bytes.data() + done, want, &wrote, nullptr)) {
                return WinError("write", p);
            }
            done += wrote;
        }
        return {};
    }

    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& p) override {
        const DWORD a = Attributes(p);
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return Error{"open", p, "Is a directory", EISDIR, ErrorKind::kIsFolder};
        }
        // Shared for delete and write: listing a file must never stop another program using it.
        HANDLE h = ::CreateFileW(Native(p).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return WinError("open", p);
        return std::unique_ptr<ByteReader>(std::make_unique<WinByteReader>(h, p));
    }

    Result<std::string> SpecialFolder(const std::string& name) override {
        return SpecialFolderPath(name);
    }

  private:
    // MoveFileExW without MOVEFILE_REPLACE_EXISTING refuses a taken name.
    static Result<void> MoveNoReplace(const char* op, const std::string& from,
                                      const std::string& to) {
        // A case-only rename names the file itself; going through a fresh name makes the new
        // spelling stick on every file system.
        if (to != from && SameFile(from, to)) {
            for (int i = 0; i < 100; ++i) {
                const std::string tmp = from + ".tagwright-case" + std::to_string(i);
                if (Attributes(tmp) != INVALID_FILE_ATTRIBUTES)
                    continue;
                if (!::MoveFileExW(Native(from).c_str(), Native(tmp).c_str(), 0)) {
                    return WinError(op, from);
                }
                if (!::MoveFileExW(Native(tmp).c_str(), Native(to).c_str(), 0)) {
                    const DWORD err = ::GetLastError();
                    ::MoveFileExW(Native(tmp).c_str(), Native(from).c_str(), 0);
                    return WinError(op, from, err);
                }
                return {};
            }
        }
        if (::MoveFileExW(Native(from).c_str(), Native(to).c_str(), 0))
            return {};
        const DWORD err = ::GetLastError();
        if (err != ERROR_NOT_SAME_DEVICE)
            return WinError(op, from, err);
        return MoveAcrossVolumes(op, from, to);
    }

    // Deletes a file, read-only or not.
    static BOOL RemoveFile(const std::string& p) {
        const std::wstring n = Native(p);
        const DWORD a = ::GetFileAttributesW(n.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0)
            ::SetFileAttributesW(n.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
        if (::DeleteFileW(n.c_str()))
            return TRUE;
        const DWORD err = ::GetLastError();
        if (a != INVALID_FILE_ATTRIBUTES)
            ::SetFileAttributesW(n.c_str(), a);
        ::SetLastError(err);
        return FALSE;
    }

    // Writes the copy's data to the disk before it takes the final name.
    static BOOL Flush(const std::string& p) {
        const std::wstring n = Native(p);
        const DWORD a = ::GetFileAttributesW(n.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY) != 0)
            ::SetFileAttributesW(n.c_str(), a & ~FILE_ATTRIBUTE_READONLY);
        BOOL ok = FALSE;
        {
            HandleGuard h(::CreateFileW(n.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
            ok = h.get() != INVALID_HANDLE_VALUE && ::FlushFileBuffers(h.get());
        }
        const DWORD err = ::GetLastError();
        if (a != INVALID_FILE_ATTRIBUTES)
            ::SetFileAttributesW(n.c_str(), a);
        ::SetLastError(err);
        return ok;
    }

    // Another volume: copy under a temporary name beside the target, flush it, give it the final
    // name without replacing, and only then delete the source, so that a half-written copy never
    // carries the final name and any failure leaves the source as it was.
    static Result<void> MoveAcrossVolumes(const char* op, const std::string& from,
                                          const std::string& to) {
        std::string tmp;
        DWORD err = ERROR_FILE_EXISTS;
        for (int i = 0; i < 100 && (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS); ++i) {
            tmp = to + ".tagwright-tmp" + std::to_string(::GetCurrentProcessId()) + "-" +
                  std::to_string(i);
            err = ::CopyFileExW(Native(from).c_str(), Native(tmp).c_str(), nullptr, nullptr,
                                nullptr, COPY_FILE_FAIL_IF_EXISTS)
                      ? ERROR_SUCCESS
                      : ::GetLastError();
            if (err != ERROR_SUCCESS && err != ERROR_FILE_EXISTS && err != ERROR_ALREADY_EXISTS)
                RemoveFile(tmp);  // a partial copy
        }
        if (err != ERROR_SUCCESS)
            return WinError("copy", from, err);
        if (!Flush(tmp) || !::MoveFileExW(Native(tmp).c_str(), Native(to).c_str(), 0)) {
            err = ::GetLastError();
            RemoveFile(tmp);
            return WinError(op, from, err);
        }
        if (!RemoveFile(from)) {
            // The copy is complete, but two files must never stand where the user had one.
            err = ::GetLastError();
            RemoveFile(to);
            return WinError("remove", from, err);
        }
        return {};
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static WinFileSystem fs;
    return fs;
}

}  // namespace tagwright
