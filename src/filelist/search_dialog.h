#pragma once

#include <functional>
#include <string>
#include <vector>

#include "filelist/folder_search.h"
#include "filelist/list_store.h"
#include "platform/file_system.h"
#include "platform/result.h"

namespace tagwright {

/// What the search dialog's controls hold, and what its buttons do, without the widgets. The
/// GUI keeps one instance for the whole run (the dialog is hidden, not destroyed), mirrors the
/// check box and the options into it and shows CurrentFolder() and CurrentDrive().
class SearchDialogLogic {
  public:
    /// The elements of the button array `Command1`.
    enum Button { kSearch = 0, kCancel = 1, kDesktop = 2, kDocuments = 3 };
    /// The elements of the option array `Option1`.
    enum Way { kByExtension = 0, kByTag = 1 };

    /// `startFolder` is the process's current folder; `drives` the roots offered in place of
    /// drives (FileSystemRoots()).
    SearchDialogLogic(FileSystem& fs, ListStore& store, std::string startFolder,
                      std::vector<std::string> drives);

    /// `Check1`: 0 unticked, 1 ticked, 2 greyed. Any state but unticked searches sub-folders.
    int check1 = 0;
    /// The selected element of `Option1`.
    int option1 = kByExtension;

    /// The folder the folder list has opened (not one only highlighted).
    const std::string& CurrentFolder() const { return m_folder; }
    /// The drive (root) shown by the drive list.
    const std::string& CurrentDrive() const { return m_drive; }
    const std::vector<std::string>& Drives() const { return m_drives; }

    /// Opens a folder in the folder list; an error, and nothing changed, when it cannot be
    /// listed. The drive list follows the folder.
    Result<void> OpenFolder(const std::string& folder);

    /// "MP3File　Search！！": searches the current folder the way the check box and options
    /// say, between setBusy(true) and setBusy(false), then refreshes the count. The caller
    /// hides the dialog afterwards and tells the user about any skipped entries.
    FileAddReport ClickSearch(const std::function<void(bool)>& setBusy = {});

    /// A special-folder button: opens "Desktop" (kDesktop) or "mydocuments" (kDocuments). When
    /// the shell names no such folder, or it cannot be opened, the folder list stays as it was.
    Result<void> ClickSpecialFolder(Button button);

    /// A new drive chosen in the drive list: the folder list opens its root. When that fails
    /// (a removable drive without a medium), the drive list snaps back to the drive of the
    /// current folder, without a message, and false is returned.
    bool ChangeDrive(const std::string& drive);

    /// The root of `folder` among `drives`: the longest one that holds it, else its own root.
    static std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives);

  private:
    FileSystem& m_fs;
    ListStore& m_store;
    GetSearchMP3Module m_search;
    std::string m_folder;
    std::string m_drive;
    std::vector<std::string> m_drives;
};

}  // namespace tagwright
