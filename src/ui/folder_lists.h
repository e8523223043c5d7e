#pragma once

#include <QObject>
#include <QString>

#include "filelist/folder_chooser.h"

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace tagwright {

class FileSystem;

/// The drive list `Drive1` and the folder list `Dir1` that both folder dialogs show: a view of
/// one FolderChooser, which decides what they list and what picking in them does.
class FolderLists final : public QObject {
    Q_OBJECT

  public:
    /// Creates both lists as children of `dialog`, opened at the process's current folder.
    FolderLists(QWidget* dialog, FileSystem& fs);

    QComboBox* drives() const { return m_drives; }
    QTreeWidget* folders() const { return m_folders; }

    /// The opened folder in native form; only a root ends with a separator.
    QString CurrentFolder() const;
    /// Opens `path` in the folder list. A folder that cannot be listed changes nothing and
    /// gives false. The drive list is left alone, as a jump by the picture buttons needs.
    bool OpenFolder(const QString& path);
    /// Opens the special folder "Desktop" or "mydocuments"; false when there is none.
    bool OpenSpecialFolder(const QString& name);
    /// Picking drive `index` in the drive list (see FolderChooser::ChooseDrive).
    void ChooseDrive(int index);
    /// Reads the lists again from the disk, opened at `folder` (or the nearest folder above it
    /// that exists), else at the folder opened before; the drive list follows.
    void OpenAfresh(const QString& folder);

  private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ShowFolders();
    void ShowDrive();
    void Activate(QTreeWidgetItem* item);

    FolderChooser m_chooser;
    QComboBox* m_drives = nullptr;
    QTreeWidget* m_folders = nullptr;
};

}  // namespace tagwright
