#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/result.h"

namespace tagwright {

/// One line of a folder chooser's folder list.
struct FolderLine {
    /// What the line shows: the folder's name, or a root's own path.
    std::string name;
    /// The folder it opens.
    std::string path;
    /// 0 for the root; the opened folder's sub-folders lie one deeper than it.
    int depth = 0;
    /// On the chain from the root down to the opened folder (an open folder's picture).
    bool open = false;
    bool operator==(const FolderLine&) const = default;
};

/// The drive list and the folder list of a folder dialog, and what picking in them does,
/// without the widgets: both folder dialogs are views of one. The opened folder is the one
/// the user opened (double click or Enter), never one merely highlighted; it is the folder the
/// dialogs act on. Folders are listed through the FileSystem on every opening, so folders
/// made meanwhile show up and an unreadable one is refused, not shown.
class FolderChooser {
  public:
    /// `drives` are the roots the drive list offers (FileSystemRoots()). Opens `startFolder`,
    /// else the first drive that can be read.
    FolderChooser(FileSystem& fs, std::vector<std::string> drives, const std::string& startFolder);

    const std::vector<std::string>& Drives() const { return m_drives; }
    /// The drive the drive list shows; empty when no drive holds the folders shown so far.
    const std::string& ShownDrive() const { return m_drive; }
    /// The opened folder; only a root ends with a separator.
    const std::string& CurrentFolder() const { return m_current; }
    /// The chain from the root down to the opened folder, then its sub-folders by name.
    const std::vector<FolderLine>& Lines() const { return m_lines; }
    /// The opened folder's place in Lines().
    std::size_t OpenedLine() const { return m_opened; }

    /// Opens `folder`. One that cannot be listed changes nothing and gives the error. The
    /// drive list is left alone, as a jump by the picture buttons needs.
    Result<void> OpenFolder(const std::string& folder);
    /// Opens the special folder "Desktop" or "mydocuments" the same way.
    Result<void> OpenSpecialFolder(const std::string& name);
    /// A drive picked in the drive list: its root opens, and true is given. Picking the drive
    /// already shown keeps the opened folder; a drive that cannot be read puts the drive list
    /// back on the drive of the opened folder, silently. Both give false.
    bool ChooseDrive(const std::string& drive);
    /// Lists again from the disk, opened at `folder` (or the nearest folder above it that
    /// exists), else at the folder opened before; the drive list follows.
    void OpenAfresh(const std::string& folder);

    /// The longest of `drives` that holds `folder` ("/media/usb" holds "/media/usb/x", not
    /// "/media/usb2"), letter case aside; empty when none does.
    static std::string DriveOf(std::string_view folder, const std::vector<std::string>& drives);
    /// An absolute folder path in the platform's form: one kind of separator, no "." or ".."
    /// and no trailing separator except a root's own. A relative path gives the empty text.
    static std::string CleanFolder(std::string_view folder);

  private:
    void OpenFirstReadable(const std::vector<std::string>& candidates);

    FileSystem& m_fs;
    std::vector<std::string> m_drives;
    std::string m_start;
    std::string m_current;
    std::string m_drive;
    std::vector<FolderLine> m_lines;
    std::size_t m_opened = 0;
};

}  // namespace tagwright
