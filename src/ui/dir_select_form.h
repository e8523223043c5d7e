#pragma once

#include "platform/file_system.h"
#include "ui/folder_dialog.h"

class QLineEdit;

namespace tagwright {

/// "ファイル保存先": picks the storage folder. OK writes the opened folder, with exactly one
/// trailing separator, into the main window's storage-folder box; Cancel leaves the box alone.
/// Created once and hidden, not destroyed, so it opens again where the user left it.
class DirSelectForm final : public FolderDialog {
    Q_OBJECT

  public:
    /// The folder list reads folders through `fs`.
    DirSelectForm(QLineEdit* storageFolderBox, QWidget* parent, FileSystem& fs = RealFileSystem());

  private:
    void Command1Action() override;

    QLineEdit* m_target;
};

}  // namespace tagwright
