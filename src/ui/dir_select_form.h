#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tagwright {

class FolderLists;

/// "ファイル保存先": picks the storage folder. OK writes the opened folder, with exactly one
/// trailing separator, into the main window's storage-folder box; Cancel leaves the box alone.
/// Created once and hidden, not destroyed, so it opens again where the user left it.
class DirSelectForm final : public QDialog {
    Q_OBJECT

  public:
    DirSelectForm(QLineEdit* storageFolderBox, QWidget* parent);

    FolderLists& lists() const { return *m_lists; }
    /// Command1(0..3): OK, Cancel, desktop, documents.
    QPushButton* command(int index) const { return m_commands[index]; }

  private:
    void Command1Click(int index);

    QLineEdit* m_target;
    FolderLists* m_lists = nullptr;
    QPushButton* m_commands[4] = {};
};

/// Picture buttons of both folder dialogs, and the layout they share.
QPushButton* MakeDialogButton(QWidget* dialog, int index, const QString& caption,
                              const QString& iconName);
/// A dialog's fixed client size in twips, with no minimize, maximize or task bar entry.
void SetFixedDialogFrame(QDialog* dialog, int widthTwips, int heightTwips);

}  // namespace tagwright
