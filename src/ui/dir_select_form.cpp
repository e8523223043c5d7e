#include "ui/dir_select_form.h"

#include <QLineEdit>

#include "platform/path.h"
#include "ui/folder_lists.h"
#include "ui/qt_text.h"

namespace tagwright {

DirSelectForm::DirSelectForm(QLineEdit* storageFolderBox, QWidget* parent, FileSystem& fs)
    : FolderDialog(parent, fs, "DirSelectForm", QStringLiteral("ファイル保存先"), QSize(4680, 3195),
                   QStringLiteral("OK"),
                   {QRect(3270, 30, 1155, 375), QRect(3270, 450, 1155, 375),
                    QRect(3210, 2430, 360, 360), QRect(3210, 2820, 360, 360)}),
      m_target(storageFolderBox) {}

void DirSelectForm::Command1Action() {
    // A root ("C:\", "/") already ends with its separator.
    m_target->setText(ToQt(path::WithTrailingSeparator(FromQt(lists().CurrentFolder()))));
}

}  // namespace tagwright
