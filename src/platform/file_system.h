#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace tagwright {

/// Which file a directory entry is: device and inode on POSIX, volume serial and file ID on
/// Windows. The entry itself counts, not what a link points to. All zero means unknown.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool Known() const { return device != 0 || file != 0; }
    bool operator==(const FileIdentity&) const = default;
    // No <=>: its <compare> header is more than Qt's moc can read when a window header
    // includes this one.
    bool operator<(const FileIdentity& o) const {
        return device != o.device ? device < o.device : file < o.file;
    }
};

/// What tells one state of a file's bytes from another: any write changes the size or the
/// modification time, and the change time (inode change on POSIX, ChangeTime on Windows) moves
/// on any write or rename and cannot be set back by a user. Times are nanoseconds since
/// 1970-01-01 UTC, as fine as the file system keeps them. All zero means unknown.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    bool Known() const { return modifiedNs != 0 || changedNs != 0; }
    bool operator==(const FileStamp&) const = default;
};

/// A file's identity and change stamp, taken together.
struct FileStatus {
    FileIdentity id;
    FileStamp stamp;
    /// The entry is a link (a symbolic link, a reparse point), as StatFile sees the entry
    /// itself; a status taken through an open file is never one.
    bool link = false;
};

/// The names a move tries in turn: index 0, 1, ... until it returns nullopt.
using NameCandidates = std::function<std::optional<std::string>(int index)>;

/// Just the one name.
inline NameCandidates OneName(std::string name) {
    return [name = std::move(name)](int index) -> std::optional<std::string> {
        if (index == 0)
            return name;
        return std::nullopt;
    };
}

/// Tries `names` in turn with `place` until one is not taken, and returns the name placed; the
/// first refusal that is not a taken name, or `allTaken` when every name is taken.
Result<std::string> PlaceUnderFirstFreeName(
    const NameCandidates& names, const std::function<Result<void>(const std::string&)>& place,
    const Error& allTaken);

/// One entry of a folder listing. `path` is the folder joined with `name`.
struct DirEntry {
    std::string name;
    std::string path;
    /// A link (to a file: links to folders are listed apart), whose own identity is not that
    /// of the file a read of it reaches.
    bool link = false;
    bool operator==(const DirEntry&) const = default;
};

/// A folder's contents in the order the file system gives them. Links to folders are listed
/// in `links`, not in `folders`, so that a walk never follows them into a loop.
struct FolderListing {
    std::vector<DirEntry> files;
    std::vector<DirEntry> folders;
    std::vector<DirEntry> links;
    /// Entries whose kind could not be learnt (the file system does not say and the entry
    /// cannot be examined), with the OS's reason; they are in none of the lists above.
    std::vector<Error> skipped;
};

/// Positioned reads of one open file. The handle is closed when the object goes.
class ByteReader {
  public:
    virtual ~ByteReader() = default;
    /// The file's length as the file system reports it.
    virtual Result<std::uint64_t> Size() = 0;
    /// Reads up to out.size() bytes at offset; returns how many were read (fewer at the end of
    /// the file, 0 past it). Never reads outside the file.
    virtual Result<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
    /// The open file's identity and stamp, refused as Size is. Taken before a read, a stamp
    /// that still holds afterwards means the bytes read are the file's. Unknown (all zero) where
    /// the file system cannot tell.
    virtual Result<FileStatus> Status() { return FileStatus{}; }
};

/// What a temporary name announced by a cross-device move stands for.
enum class TemporaryKind {
    kCopy,   ///< the copy, in the destination folder, before it is written
    kAside,  ///< the source, in its own folder, once the copy holds its final name and before
             ///< the source is renamed aside to be removed
};

/// Told, before a cross-device move writes anything, the temporary name its copy is about to
/// take, and, before its source is renamed aside, the name it is set aside under: `from` is the
/// file moved. A refusal ends the move before that step, so that a crash never leaves a file
/// under a temporary name that nobody knows of.
using TemporaryNotice = std::function<Result<void>(
    const std::string& from, const std::string& temporary, TemporaryKind kind)>;

/// Every operation the program asks of the file system and the shell. All paths are UTF-8.
/// Renames and moves never replace an existing file: a taken name is refused with
/// ErrorKind::kAlreadyExists.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    /// True when a folder of that path exists; a file of that path is no folder.
    virtual bool FolderExists(const std::string& path) = 0;
    /// True when a file (not a folder) of that path exists, by the file system's own rules
    /// on letter case.
    virtual bool FileExists(const std::string& path) = 0;
    /// The absolute, normalised path of an existing file; an error when there is none.
    virtual Result<std::string> GetFilePath(const std::string& path) = 0;
    /// True when both paths name one and the same existing file (same device and inode, or
    /// the same file index on Windows): a case-only difference on a case-insensitive file
    /// system, for example.
    virtual bool IsSameFile(const std::string& a, const std::string& b) = 0;
    /// The identity of the directory entry `path` (a link is not followed); refused for a
    /// folder.
    virtual Result<FileIdentity> IdentifyFile(const std::string& path) = 0;
    /// IdentifyFile and the entry's stamp in one question. Where the file system keeps no
    /// stamp, it is unknown (all zero).
    virtual Result<FileStatus> StatFile(const std::string& path);

    /// Files, sub-folders and folder links of a folder, in the order the file system gives.
    virtual Result<FolderListing> ListFolder(const std::string& folder) = 0;

    /// Gives the file `path` the name `newName` in its own folder; refuses to replace. When
    /// `expected` is known, acts only while `path` names that file (ErrorKind::kFileChanged
    /// otherwise), at every step of its own.
    virtual Result<void> RenameFile(const std::string& path, const std::string& newName,
                                    const FileIdentity& expected) = 0;
    /// RenameFile for a caller that has itself just found `path` to be `expected` (a batch
    /// checks each listed file before it reads its tags): the file system then checks only
    /// what its own steps do, after each of them, and still undoes a swap made in between.
    virtual Result<void> RenameCheckedFile(const std::string& path, const std::string& newName,
                                           const FileIdentity& expected) {
        return RenameFile(path, newName, expected);
    }
    /// Moves the file `path` into the existing folder `destFolder` under the first of `names`
    /// that is free, and returns that name; refuses to replace (kAlreadyExists when every name
    /// is taken). `expected` as for RenameFile. Across devices the file is copied once under a
    /// temporary name, and the source is removed only after the copy has its final name and
    /// the entry removed is checked to be the file that was copied. A link is moved as a link
    /// that points where it pointed before. `movedAs`, when given, receives the identity of the
    /// file at its new place: the entry's own after a rename, a new one for a copy or a link
    /// made anew (left as it was when the move is refused).
    virtual Result<std::string> MoveFile(const std::string& path, const FileIdentity& expected,
                                         const std::string& destFolder, const NameCandidates& names,
                                         FileIdentity* movedAs = nullptr) = 0;
    /// MoveFile of a file the caller has just found to be `expected` (known) and no link, as
    /// RenameCheckedFile is to RenameFile.
    virtual Result<std::string> MoveCheckedFile(const std::string& path,
                                                const FileIdentity& expected,
                                                const std::string& destFolder,
                                                const NameCandidates& names,
                                                FileIdentity* movedAs = nullptr) {
        return MoveFile(path, expected, destFolder, names, movedAs);
    }
    /// Creates one folder whose parent exists.
    virtual Result<void> CreateFolder(const std::string& path) = 0;
    /// Creates the file, or replaces an existing one, with exactly these bytes.
    virtual Result<void> WriteFile(const std::string& path,
                                   std::span<const std::uint8_t> bytes) = 0;
    /// Opens a file for positioned reads.
    virtual Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& path) = 0;
    /// Opens the plain file that the entry `path` itself is, and gives its Status as taken
    /// before any read: for a caller that would otherwise ask IdentifyFile first. A link (not
    /// followed), a folder (kIsFolder) or any other kind of entry is refused, as is an entry
    /// replaced while it was opened; such a caller then takes the long way.
    virtual Result<std::unique_ptr<ByteReader>> OpenFileEntry(const std::string& path,
                                                              FileStatus& status);

    /// The user's special folder by its shell name: "Desktop" or "mydocuments".
    virtual Result<std::string> SpecialFolder(const std::string& name) = 0;

    /// Removes the folder `path` when it is empty; a folder holding anything is refused and
    /// stays as it is. Refused with kNotSupported where the file system has no such step.
    virtual Result<void> RemoveEmptyFolder(const std::string& path);
    /// Removes the file (or link) `path`. Refused with kNotSupported as above.
    virtual Result<void> RemoveFile(const std::string& path);
    /// From now on, cross-device moves tell `notice` their temporary names first; an empty
    /// function stops that. A file system that wraps another passes it on.
    virtual void SetTemporaryNotice(TemporaryNotice notice) {
        m_temporaryNotice = std::move(notice);
    }

    /// Puts out what the file system holds back about the changes made so far (a journal's
    /// last record): called before a batch waits on something outside it, a question to the
    /// user or the end of its work. A file system that wraps another passes it on.
    virtual void SettleRecords() {}

    /// True when OpenRead, the readers it gives, IdentifyFile, StatFile, FolderExists and, for
    /// absolute paths, GetFilePath may be used from several threads at once, so that reads can
    /// be kept in flight together.
    virtual bool ConcurrentReads() const { return false; }

  protected:
    Result<void> NoteTemporary(const std::string& from, const std::string& temporary,
                               TemporaryKind kind) const {
        if (m_temporaryNotice)
            return m_temporaryNotice(from, temporary, kind);
        return {};
    }

  private:
    TemporaryNotice m_temporaryNotice;
};

/// The process's real file system.
FileSystem& RealFileSystem();

/// Points inside the real file system's multi-step operations, where a test can step in to
/// force a race that timing alone would seldom show.
enum class FsStep {
    kCopyMade,       ///< a cross-device copy is complete under its temporary name
    kCopyInPlace,    ///< a cross-device copy holds its final name; the source is still there
    kTemporaryName,  ///< a file was renamed to a private temporary name beside it
    kSourceAside,    ///< a moved file's source is under a private name, about to be removed
};
/// Called with the step and the path concerned; an empty function (the default) does nothing.
using FsStepHook = std::function<void(FsStep step, const std::string& path)>;
void SetFsStepHook(FsStepHook hook);

}  // namespace tagwright
