#pragma once

#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/file_system.h"

namespace tagwright {

/// A file system that answers from the real one but only pretends to change it: renames, moves
/// and new folders are kept in memory, and later questions see them, so a batch run over it shows
/// what each file would become while nothing on disk changes. Reads of a pretended new path read
/// the file at its real place.
///
/// Names are compared as texts: on a file system that ignores letter case a pretended file is
/// only found under the spelling it was given. Folder listings show the disk as it is, and a
/// real folder once found is taken to stay for the run.
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
    /// How many times a rename or move found the name it asked for taken: the batch then tries
    /// the next number, so the count since a file's turn began is the number it gets, plus one.
    int TakenNames() const { return m_takenNames; }

    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    Result<std::string> GetFilePath(const std::string& path) override;
    bool IsSameFile(const std::string& a, const std::string& b) override;
    Result<FolderListing> ListFolder(const std::string& folder) override;
    Result<FileIdentity> IdentifyFile(const std::string& path) override;
    Result<FileStatus> StatFile(const std::string& path) override;
    Result<void> RenameFile(const std::string& path, const std::string& newName,
                            const FileIdentity& expected) override;
    Result<std::string> MoveFile(const std::string& path, const FileIdentity& expected,
                                 const std::string& destFolder, const NameCandidates& names,
                                 FileIdentity* movedAs = nullptr) override;
    Result<void> CreateFolder(const std::string& path) override;
    /// Refused: a dry run writes nothing.
    Result<void> WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& path) override;
    Result<std::string> SpecialFolder(const std::string& name) override;
    /// Pretends to remove the folder when nothing is left in it as the dry run sees it.
    Result<void> RemoveEmptyFolder(const std::string& path) override;

  private:
    // The real path behind a path the pretended changes touched ("" when its file has left);
    // nullopt when they did not, and the disk answers for the path itself.
    std::optional<std::string> Pretended(const std::string& path) const;
    // The real path behind a path as the dry run sees it; empty when no file is there.
    std::string RealPathOf(const std::string& path);
    // True when a file or folder is at the path, pretended or real.
    bool Occupied(const std::string& path);
    // True when both paths name one entry, a link taken as itself.
    bool SameEntry(const std::string& a, const std::string& b);
    // `fromChecked`: a file was found at `from` a moment ago, so the disk need not be asked.
    Result<void> Relocate(const char* op, const std::string& from, const std::string& to,
                          Action::Kind kind, bool fromChecked);

    FileSystem& m_inner;
    // Each path a pretended change touched -> the real path of the file there now, or "" when
    // none is. Hashed: a batch of 10,000 files looks each of its paths up several times.
    std::unordered_map<std::string, std::string> m_touched;
    // The real file identified last, until the next pretended change.
    std::string m_lastIdentified;
    FileIdentity m_lastIdentity;
    std::set<std::string> m_folders;                // pretended new folders, no final separator
    std::unordered_set<std::string> m_seenFolders;  // real folders found, no final separator
    std::set<std::string> m_removedFolders;         // pretended gone, no final separator
    std::vector<Action> m_actions;
    int m_takenNames = 0;
};

}  // namespace tagwright
