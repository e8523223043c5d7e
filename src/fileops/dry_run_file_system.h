#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tagwright {

/// A file system that answers from the real one but only pretends to change it: renames, moves
/// and new folders are kept in memory, and later questions see them, so a batch run over it shows
/// what each file would become while nothing on disk changes. Reads of a pretended new path read
/// the file at its real place.
///
/// Names are compared as texts: on a file system that ignores letter case a pretended file is
/// only found under the spelling it was given. Folder listings show the disk as it is.
class DryRunFileSystem final : public FileSystem {
  public:
    /// One pretended change, in the order it was asked for.
    struct Action {
        enum class Kind { kRename, kMove, kCreateFolder };
        Kind kind;
        std::string from;  ///< the file's path before (empty for kCreateFolder)
        std::string to;    ///< its path after, or the new folder
        bool operator==(const Action&) const = default;
    };

    explicit DryRunFileSystem(FileSystem& inner = RealFileSystem()) : m_inner(inner) {}

    const std::vector<Action>& Actions() const { return m_actions; }

    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    Result<std::string> GetFilePath(const std::string& path) override;
    bool IsSameFile(const std::string& a, const std::string& b) override;
    Result<FolderListing> ListFolder(const std::string& folder) override;
    Result<FileIdentity> IdentifyFile(const std::string& path) override;
    Result<void> RenameFile(const std::string& path, const std::string& newName,
                            const FileIdentity& expected) override;
    Result<std::string> MoveFile(const std::string& path, const FileIdentity& expected,
                                 const std::string& destFolder,
                                 const NameCandidates& names) override;
    Result<void> CreateFolder(const std::string& path) override;
    /// Refused: a dry run writes nothing.
    Result<void> WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& path) override;
    Result<std::string> SpecialFolder(const std::string& name) override;
    /// Pretends to remove the folder when nothing is left in it as the dry run sees it.
    Result<void> RemoveEmptyFolder(const std::string& path) override;

  private:
    // The real path behind a path as the dry run sees it; empty when no file is there.
    std::string RealPathOf(const std::string& path);
    Result<void> Relocate(const char* op, const std::string& from, const std::string& to,
                          Action::Kind kind);

    FileSystem& m_inner;
    std::map<std::string, std::string> m_placed;  // pretended path -> real path
    std::set<std::string> m_vacated;              // real paths whose file has left
    std::set<std::string> m_folders;              // pretended new folders, no final separator
    std::set<std::string> m_removedFolders;       // pretended gone, no final separator
    std::vector<Action> m_actions;
};

}  // namespace tagwright
