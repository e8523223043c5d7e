#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/result.h"

namespace tagwright {

/// One entry of a folder listing. `path` is the folder joined with `name`.
struct DirEntry {
    std::string name;
    std::string path;
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
};

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

    /// Files, sub-folders and folder links of a folder, in the order the file system gives.
    virtual Result<FolderListing> ListFolder(const std::string& folder) = 0;

    /// Gives the file `path` the name `newName` in its own folder; refuses to replace.
    virtual Result<void> RenameFile(const std::string& path, const std::string& newName) = 0;
    /// Moves the file `path` into the existing folder `destFolder` under `newName`; refuses to
    /// replace. Across devices the file is copied and the source removed only after the copy
    /// has its final name.
    virtual Result<void> MoveFile(const std::string& path, const std::string& destFolder,
                                  const std::string& newName) = 0;
    /// Creates one folder whose parent exists.
    virtual Result<void> CreateFolder(const std::string& path) = 0;
    /// Creates the file, or replaces an existing one, with exactly these bytes.
    virtual Result<void> WriteFile(const std::string& path,
                                   std::span<const std::uint8_t> bytes) = 0;
    /// Opens a file for positioned reads.
    virtual Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& path) = 0;

    /// The user's special folder by its shell name: "Desktop" or "mydocuments".
    virtual Result<std::string> SpecialFolder(const std::string& name) = 0;
};

/// The process's real file system.
FileSystem& RealFileSystem();

}  // namespace tagwright
