#include "filelist/search_dialog.h"

#include "platform/path.h"

namespace tagwright {

SearchDialogLogic::SearchDialogLogic(FileSystem& fs, ListStore& store, std::string startFolder,
                                     std::vector<std::string> drives)
    : m_fs(fs),
      m_store(store),
      m_search(fs, store),
      m_folder(std::move(startFolder)),
      m_drives(std::move(drives)) {
    m_drive = DriveOf(m_folder, m_drives);
}

std::string SearchDialogLogic::DriveOf(const std::string& folder,
                                       const std::vector<std::string>& drives) {
    std::string best = folder.substr(0, path::RootLength(folder));
    for (const std::string& d : drives) {
        if (d.size() <= best.size() || folder.compare(0, d.size(), d) != 0)
            continue;
        // "/media/usb" holds "/media/usb/x" but not "/media/usb2".
        if (folder.size() == d.size() || path::IsSeparator(d.back()) ||
            path::IsSeparator(folder[d.size()])) {
            best = d;
        }
    }
    return best;
}

Result<void> SearchDialogLogic::OpenFolder(const std::string& folder) {
    auto listed = m_fs.ListFolder(folder);
    if (!listed.ok())
        return listed.error();
    m_folder = folder;
    m_drive = DriveOf(m_folder, m_drives);
    return {};
}

FileAddReport SearchDialogLogic::ClickSearch(const std::function<void(bool)>& setBusy) {
    const bool includeSubfolders = check1 != 0;
    const std::string extensionFilter = option1 == kByExtension ? "mp3" : "";
    if (setBusy)
        setBusy(true);
    FileAddReport report = m_search.SearchMP3Files(m_folder, extensionFilter, includeSubfolders);
    if (setBusy)
        setBusy(false);
    m_store.UpdateFileCount();
    return report;
}

Result<void> SearchDialogLogic::ClickSpecialFolder(Button button) {
    auto folder = m_fs.SpecialFolder(button == kDesktop ? "Desktop" : "mydocuments");
    if (!folder.ok())
        return folder.error();
    return OpenFolder(folder.value());
}

bool SearchDialogLogic::ChangeDrive(const std::string& drive) {
    if (OpenFolder(drive).ok())
        return true;
    m_drive = DriveOf(m_folder, m_drives);
    return false;
}

}  // namespace tagwright
