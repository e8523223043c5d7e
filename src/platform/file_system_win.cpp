// The Windows file system: wide-character Win32 calls. Paths arrive as UTF-8 and are converted
// only here; paths longer than MAX_PATH get the "\\?\" prefix.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/file_system.h"
#include "platform/file_system_steps.h"
#include "platform/path.h"
#include "platform/special_folders.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

using fs_steps::Step;
using fs_steps::TemporaryNameIn;

// A native path: long absolute paths get the extended-length prefix so that deep collections
// are not cut off at 260 characters.
std::wstring Native(const std::string& p) {
    std::wstring w = utf8::ToWide(p);
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
    return utf8::FromWide(text);
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

FileIdentity IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    return FileIdentity{
        info.dwVolumeSerialNumber + 1ULL,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

// FILETIME counts 100 ns from 1601; stamps count nanoseconds from 1970.
std::int64_t Nanoseconds(std::int64_t fileTime) {
    constexpr std::int64_t k1601To1970 = 116444736000000000LL;
    return (fileTime - k1601To1970) * 100;
}

// The handle's identity, size, last write and change times (FILE_BASIC_INFO's ChangeTime moves
// on any write or rename, which LastWriteTime, settable by anyone, does not promise).
DWORD StatusOf(HANDLE h, FileStatus* status, bool* folder = nullptr) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(h, &info) ||
        !::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic)) {
        return ::GetLastError();
    }
    status->id = IdentityOf(info);
    status->stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    status->stamp.modifiedNs = Nanoseconds(basic.LastWriteTime.QuadPart);
    status->stamp.changedNs = Nanoseconds(basic.ChangeTime.QuadPart);
    status->link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (folder != nullptr)
        *folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return ERROR_SUCCESS;
}

class WinByteReader final : public ByteReader {
  public:
    WinByteReader(HANDLE h, std::string path) : m_h(h), m_path(std::move(path)) {}
    ~WinByteReader() override { ::CloseHandle(m_h); }

    Result<std::uint64_t> Size() override {
        // The stamp's own query serves: a tag read asks for both.
        if (m_status)
            return m_status->stamp.size;
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

    Result<FileStatus> Status() override {
        FileStatus status;
        if (const DWORD err = StatusOf(m_h, &status); err != ERROR_SUCCESS)
            return WinError("read", m_path, err);
        m_status = status;
        return status;
    }

  private:
    HANDLE m_h;
    std::string m_path;
    std::optional<FileStatus> m_status;
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

// Internal codes beside the system's: "the path names another file now", and "the file could
// not be put back".
constexpr DWORD kChanged = 0xE0000001;
constexpr DWORD kStrandedCode = 0xE0000002;

bool Taken(DWORD err) {
    return err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS;
}

// The directory entry itself: a link is opened, not followed.
HANDLE OpenEntry(const std::string& p, DWORD access, DWORD share) {
    return ::CreateFileW(Native(p).c_str(), access, share, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD EntryIdentity(const std::string& p, FileIdentity* id, bool* folder = nullptr) {
    HandleGuard h(OpenEntry(p, 0, kShareAll));
    BY_HANDLE_FILE_INFORMATION info{};
    if (h.get() == INVALID_HANDLE_VALUE || !::GetFileInformationByHandle(h.get(), &info))
        return ::GetLastError();
    *id = IdentityOf(info);
    if (folder != nullptr)
        *folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return ERROR_SUCCESS;
}

DWORD CheckEntry(const std::string& p, const FileIdentity& expected) {
    if (!expected.Known())
        return ERROR_SUCCESS;
    FileIdentity id;
    const DWORD err = EntryIdentity(p, &id);
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND)
        return kChanged;
    if (err != ERROR_SUCCESS)
        return err;
    return id == expected ? ERROR_SUCCESS : kChanged;
}

DWORD MoveNoReplace(const std::string& from, const std::string& to) {
    return ::MoveFileExW(Native(from).c_str(), Native(to).c_str(), 0) ? ERROR_SUCCESS
                                                                      : ::GetLastError();
}

Error ErrorOf(const char* op, const std::string& p, DWORD code) {
    if (code == kChanged)
        return Error{op, p, kFileChangedReason, 0, ErrorKind::kFileChanged};
    return WinError(op, p, code);
}

// A no-replace move of the file `expected`, refused before it starts when `from` names another
// file and undone when the entry that arrived is not that file.
DWORD CheckedMove(const std::string& from, const std::string& to, const FileIdentity& expected) {
    if (const DWORD e = CheckEntry(from, expected); e != ERROR_SUCCESS)
        return e;
    if (const DWORD e = MoveNoReplace(from, to); e != ERROR_SUCCESS)
        return e;
    if (CheckEntry(to, expected) != ERROR_SUCCESS) {
        MoveNoReplace(to, from);
        return kChanged;
    }
    return ERROR_SUCCESS;
}

class WinFileSystem final : public FileSystem {
  public:
    // Every call stands alone: no state is shared between calls.
    bool ConcurrentReads() const override { return true; }

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
        const std::wstring w = utf8::ToWide(p);
        const DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
        std::wstring full(n, L'\0');
        const DWORD m = ::GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
        if (m == 0 || m >= n)
            return WinError("open file", p);
        full.resize(m);
        return utf8::FromWide(full);
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
            std::string utf8Name = utf8::FromWide(name);
            DirEntry entry{utf8Name, prefix + utf8Name};
            const DWORD a = data.dwFileAttributes;
            if ((a & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                // Junctions and directory links are listed apart so that a walk never loops.
                if ((a & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                    out.links.push_back(std::move(entry));
                } else {
                    out.folders.push_back(std::move(entry));
                }
            } else {
                entry.link = (a & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                out.files.push_back(std::move(entry));
            }
        } while (::FindNextFileW(find, &data));
        const DWORD err = ::GetLastError();
        ::FindClose(find);
        if (err != ERROR_NO_MORE_FILES)
            return WinError("list folder", folder, err);
        return out;
    }

    Result<FileIdentity> IdentifyFile(const std::string& p) override {
        FileIdentity id;
        bool folder = false;
        if (const DWORD err = EntryIdentity(p, &id, &folder); err != ERROR_SUCCESS)
            return WinError("identify", p, err);
        if (folder)
            return Error{"identify", p, "Is a directory", EISDIR, ErrorKind::kIsFolder};
        return id;
    }

    Result<FileStatus> StatFile(const std::string& p) override {
        HandleGuard h(OpenEntry(p, FILE_READ_ATTRIBUTES, kShareAll));
        if (h.get() == INVALID_HANDLE_VALUE)
            return WinError("identify", p);
        FileStatus status;
        bool folder = false;
        if (const DWORD err = StatusOf(h.get(), &status, &folder); err != ERROR_SUCCESS)
            return WinError("identify", p, err);
        if (folder)
            return Error{"identify", p, "Is a directory", EISDIR, ErrorKind::kIsFolder};
        return status;
    }

    Result<void> RenameFile(const std::string& p, const std::string& newName,
                            const FileIdentity& expected) override {
        const std::string to = path::Join(path::ParentFolder(p), newName);
        FileIdentity id = expected;
        if (!id.Known()) {
            if (const DWORD err = EntryIdentity(p, &id); err != ERROR_SUCCESS)
                return WinError("rename", p, err);
        }
        std::string stranded;
        // A case-only rename names the file itself, and a direct move may succeed without
        // changing the spelling; going through a private name makes it stick everywhere.
        const DWORD err = to != p && CheckEntry(to, id) == ERROR_SUCCESS
                              ? RenameThroughTemporary(p, to, id, stranded)
                              : CheckedMove(p, to, id);
        if (err == kStrandedCode) {
            return Error{"rename", stranded,
                         "another file took its name meanwhile; it could not be put back", 0,
                         ErrorKind::kStranded};
        }
        if (err != ERROR_SUCCESS)
            return ErrorOf("rename", p, err);
        return {};
    }

    Result<std::string> MoveFile(const std::string& p, const FileIdentity& expected,
                                 const std::string& destFolder, const NameCandidates& names,
                                 FileIdentity* movedAs = nullptr) override {
        FileIdentity id;
        bool folder = false;
        if (const DWORD err = EntryIdentity(p, &id, &folder); err != ERROR_SUCCESS)
            return WinError("move", p, err);
        if (expected.Known() && id != expected)
            return ErrorOf("move", p, kChanged);
        if (folder)
            return Error{"move", p, "Is a directory", EISDIR, ErrorKind::kIsFolder};
        for (int i = 0;; ++i) {
            const auto name = names(i);
            if (!name)
                return WinError("move", p, ERROR_FILE_EXISTS);
            const DWORD err = CheckedMove(p, path::Join(destFolder, *name), id);
            if (err == ERROR_SUCCESS) {
                // The move's own check found the file itself at the new name.
                if (movedAs != nullptr)
                    *movedAs = id;
                return *name;
            }
            if (err == ERROR_NOT_SAME_DEVICE)
                return MoveAcrossVolumes(p, id, destFolder, names, i, movedAs);
            if (!Taken(err))
                return ErrorOf("move", p, err);
        }
    }

    Result<void> CreateFolder(const std::string& p) override {
        if (!::CreateDirectoryW(Native(p).c_str(), nullptr))
            return WinError("create folder", p);
        return {};
    }

    Result<void> RemoveEmptyFolder(const std::string& p) override {
        // RemoveDirectoryW itself refuses a folder that holds anything.
        if (!::RemoveDirectoryW(Native(p).c_str()))
            return WinError("remove folder", p);
        return {};
    }

    Result<void> RemoveFile(const std::string& p) override {
        if (!::DeleteFileW(Native(p).c_str()))
            return WinError("remove", p);
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
    static DWORD RenameThroughTemporary(const std::string& from, const std::string& to,
                                        const FileIdentity& id, std::string& stranded) {
        const std::string folder = path::ParentFolder(from);
        for (int i = 0; i < 100; ++i) {
            const std::string tmp = TemporaryNameIn(folder);
            const DWORD err = CheckedMove(from, tmp, id);
            if (Taken(err))
                continue;
            if (err != ERROR_SUCCESS)
                return err;
            Step(FsStep::kTemporaryName, tmp);
            const DWORD second = CheckedMove(tmp, to, id);
            if (second == ERROR_SUCCESS)
                return ERROR_SUCCESS;
            if (CheckedMove(tmp, from, id) != ERROR_SUCCESS) {
                stranded = tmp;
                return kStrandedCode;
            }
            return second;
        }
        return ERROR_FILE_EXISTS;
    }

    // Deletes the entry `p` only when it is the file `id` and nobody else holds it open: the
    // entry is first moved aside under a private name, then opened alone (a file another
    // program holds open with delete sharing would only be marked for deletion, and live on),
    // checked, and deleted through that handle. Anything else puts it back.
    // The name set aside is announced first, as on POSIX; a refusal comes back in `refused`.
    DWORD RemoveChecked(const std::string& p, const FileIdentity& id,
                        std::optional<Error>& refused) const {
        const std::string folder = path::ParentFolder(p);
        for (int i = 0; i < 100; ++i) {
            const std::string aside = TemporaryNameIn(folder);
            if (Result<void> noted = NoteTemporary(p, aside, TemporaryKind::kAside); !noted.ok()) {
                refused = noted.error();
                return ERROR_GEN_FAILURE;
            }
            const DWORD err = MoveNoReplace(p, aside);
            if (Taken(err))
                continue;
            if (err != ERROR_SUCCESS)
                return err;
            Step(FsStep::kSourceAside, aside);
            const std::wstring n = Native(aside);
            const DWORD attributes = ::GetFileAttributesW(n.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
                ::SetFileAttributesW(n.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
            }
            DWORD result = ERROR_SUCCESS;
            {
                HandleGuard h(OpenEntry(aside, DELETE | FILE_READ_ATTRIBUTES, 0));
                BY_HANDLE_FILE_INFORMATION info{};
                FILE_DISPOSITION_INFO dispose{TRUE};
                if (h.get() == INVALID_HANDLE_VALUE ||
                    !::GetFileInformationByHandle(h.get(), &info)) {
                    result = ::GetLastError();
                } else if (IdentityOf(info) != id) {
                    result = kChanged;
                } else if (!::SetFileInformationByHandle(h.get(), FileDispositionInfo, &dispose,
                                                         sizeof dispose)) {
                    result = ::GetLastError();
                }
            }
            if (result == ERROR_SUCCESS &&
                ::GetFileAttributesW(n.c_str()) != INVALID_FILE_ATTRIBUTES)
                result = ERROR_SHARING_VIOLATION;  // still there: not really removed
            if (result != ERROR_SUCCESS) {
                if (attributes != INVALID_FILE_ATTRIBUTES)
                    ::SetFileAttributesW(n.c_str(), attributes);
                MoveNoReplace(aside, p);
            }
            return result;
        }
        return ERROR_FILE_EXISTS;
    }

    // Deletes a file this process made, unless something else has its name by now.
    static void RemoveOwn(const std::string& p, const FileIdentity& id) {
        if (CheckEntry(p, id) == ERROR_SUCCESS)
            ::DeleteFileW(Native(p).c_str());
    }

    // Copies the open file `in` into the new file `tmp`, with its times and attributes, and
    // flushes it to disk. `copied` receives the copy's identity.
    static DWORD CopyToNewFile(HANDLE in, const BY_HANDLE_FILE_INFORMATION& info,
                               const std::string& tmp, FileIdentity& copied) {
        HandleGuard out(::CreateFileW(Native(tmp).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (out.get() == INVALID_HANDLE_VALUE)
            return ::GetLastError();
        std::vector<char> buf(1 << 20);
        LARGE_INTEGER zero{};
        if (!::SetFilePointerEx(in, zero, nullptr, FILE_BEGIN))
            return ::GetLastError();
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(in, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr))
                return ::GetLastError();
            if (got == 0)
                break;
            for (DWORD off = 0; off < got;) {
                DWORD wrote = 0;
                if (!::WriteFile(out.get(), buf.data() + off, got - off, &wrote, nullptr))
                    return ::GetLastError();
                off += wrote;
            }
        }
        ::SetFileTime(out.get(), &info.ftCreationTime, &info.ftLastAccessTime,
                      &info.ftLastWriteTime);
        if (!::FlushFileBuffers(out.get()))
            return ::GetLastError();
        BY_HANDLE_FILE_INFORMATION made{};
        if (!::GetFileInformationByHandle(out.get(), &made))
            return ::GetLastError();
        copied = IdentityOf(made);
        return ERROR_SUCCESS;
    }

    // Another volume: copy once under a private name beside the target, give it the first
    // free name by renames, and only then remove the source, after checking that the entry
    // removed is the file that was copied and that it is really gone.
    Result<std::string> MoveAcrossVolumes(const std::string& from, const FileIdentity& id,
                                          const std::string& destFolder,
                                          const NameCandidates& names, int first,
                                          FileIdentity* movedAs) {
        std::string tmp;
        FileIdentity copied;
        DWORD attributes = 0;
        {
            // Delete sharing, so that the source can be moved aside once the copy is placed.
            HandleGuard in(::CreateFileW(Native(from).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
            if (in.get() == INVALID_HANDLE_VALUE)
                return WinError("move", from);
            BY_HANDLE_FILE_INFORMATION info{};
            if (!::GetFileInformationByHandle(in.get(), &info))
                return WinError("move", from);
            if (IdentityOf(info) != id)
                return ErrorOf("move", from, kChanged);
            if (::GetFileType(in.get()) != FILE_TYPE_DISK ||
                (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                return Error{"move", from, "Not a regular file", 0, ErrorKind::kNotRegularFile};
            }
            attributes = info.dwFileAttributes;
            DWORD err = ERROR_FILE_EXISTS;
            for (int i = 0; i < 100 && Taken(err); ++i) {
                tmp = TemporaryNameIn(destFolder);
                if (Result<void> noted = NoteTemporary(from, tmp, TemporaryKind::kCopy);
                    !noted.ok())
                    return noted.error();
                err = CopyToNewFile(in.get(), info, tmp, copied);
                if (err != ERROR_SUCCESS && !Taken(err))
                    ::DeleteFileW(Native(tmp).c_str());  // a partial copy
            }
            if (err != ERROR_SUCCESS)
                return WinError("copy", from, err);
        }
        Step(FsStep::kCopyMade, tmp);
        std::string placed;
        for (int i = first;; ++i) {
            const auto name = names(i);
            if (!name) {
                ::DeleteFileW(Native(tmp).c_str());
                return WinError("move", from, ERROR_FILE_EXISTS);
            }
            const DWORD err = MoveNoReplace(tmp, path::Join(destFolder, *name));
            if (err == ERROR_SUCCESS) {
                placed = *name;
                break;
            }
            if (!Taken(err)) {
                ::DeleteFileW(Native(tmp).c_str());
                return WinError("move", from, err);
            }
        }
        const std::string target = path::Join(destFolder, placed);
        const DWORD keep = attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
        Step(FsStep::kCopyInPlace, from);
        std::optional<Error> refused;
        if (const DWORD err = RemoveChecked(from, id, refused); err != ERROR_SUCCESS) {
            RemoveOwn(target, copied);
            if (refused)
                return *refused;
            return ErrorOf("move", from, err);
        }
        if (keep != 0)
            ::SetFileAttributesW(Native(target).c_str(), keep);
        if (movedAs != nullptr)
            *movedAs = copied;
        return placed;
    }
};

}  // namespace

FileSystem& RealFileSystem() {
    static WinFileSystem fs;
    return fs;
}

}  // namespace tagwright
