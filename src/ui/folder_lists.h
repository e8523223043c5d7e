#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

namespace tagwright {

/// The drive list `Drive1` and the folder list `Dir1` that both folder dialogs show. The
/// folder list's current folder is the one the user opened (double click or Enter), never the
/// one merely highlighted: that is the folder the dialogs act on.
class FolderLists final : public QObject {
    Q_OBJECT

  public:
    /// Creates both lists as children of `dialog`, opened at the process's current folder.
    explicit FolderLists(QWidget* dialog);

    QComboBox* drives() const { return m_drives; }
    QTreeWidget* folders() const { return m_folders; }

    /// The opened folder in native form; only a root ends with a separator.
    QString CurrentFolder() const { return m_current; }
    /// Opens `path` in the folder list. A folder that cannot be listed changes nothing and
    /// gives false. The drive list is left alone, as a jump by the picture buttons needs.
    bool OpenFolder(const QString& path);
    /// Opens the special folder "Desktop" or "mydocuments"; false when there is none.
    bool OpenSpecialFolder(const QString& name);
    /// What picking drive `index` in the drive list does: open its root, or, when it cannot
    /// be read, put the drive list back on the drive of the opened folder, silently. Picking
    /// the drive already shown keeps the opened folder.
    void ChooseDrive(int index);
    /// Reads the lists again from the disk, opened at `folder` (or the nearest folder above it
    /// that exists), else at the folder opened before; the drive list follows.
    void OpenAfresh(const QString& folder);

  private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void ShowDriveOf(const QString& folder);
    int DriveIndexOf(const QString& folder) const;
    void Activate(QTreeWidgetItem* item);

    QComboBox* m_drives = nullptr;
    QTreeWidget* m_folders = nullptr;
    QString m_current;
};

}  // namespace tagwright
