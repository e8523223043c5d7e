#pragma once

#include "platform/file_system.h"
#include "ui/folder_dialog.h"

class QCheckBox;
class QRadioButton;

namespace tagwright {

/// "MP3File検索&追加": picks the folder and the way to search it. Created once and hidden, not
/// destroyed, after use, so the folder, the tick and the option stay for the next time.
class SearchForm final : public FolderDialog {
    Q_OBJECT

  public:
    /// The folder list reads folders through `fs`.
    explicit SearchForm(QWidget* parent, FileSystem& fs = RealFileSystem());

    /// The search the dialog asks for: the opened folder, "mp3" or "" (also files with tags of
    /// any extension), and whether the folders below it are searched too.
    struct Request {
        QString folder;
        QString extensionFilter;
        bool includeSubfolders = false;
    };
    Request CurrentRequest() const;

  signals:
    /// Runs the search, the dialog hidden; the connected slot runs to its end under the busy
    /// pointer.
    void searchRequested(const QString& folder, const QString& extensionFilter,
                         bool includeSubfolders);

  private:
    void Command1Action() override;

    QCheckBox* m_check1 = nullptr;
    QRadioButton* m_option1[2] = {};
};

}  // namespace tagwright
