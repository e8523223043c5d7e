#include "ui/dir_select_form.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/folder_lists.h"
#include "ui/widgets.h"

namespace tagwright {

QPushButton* MakeDialogButton(QWidget* dialog, int index, const QString& caption,
                              const QString& iconName) {
    auto* button = new QPushButton(caption, dialog);
    button->setObjectName(QStringLiteral("Command1_%1").arg(index));
    button->setProperty("index", index);
    // Enter belongs to the folder list (it opens a folder), never to a default button.
    button->setAutoDefault(false);
    if (!iconName.isEmpty()) {
        button->setIcon(QIcon(IconPixmap(iconName, 20)));
        button->setIconSize(QSize(20, 20));
        button->setToolTip(iconName == QLatin1String("desktop") ? QStringLiteral("デスクトップ")
                                                                : QStringLiteral("ドキュメント"));
    }
    return button;
}

void SetFixedDialogFrame(QDialog* dialog, int widthTwips, int heightTwips) {
    dialog->setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog->setFixedSize(widthTwips / 15, heightTwips / 15);
    dialog->setModal(true);
    dialog->setFont(JapaneseFont(9));
}

DirSelectForm::DirSelectForm(QLineEdit* storageFolderBox, QWidget* parent)
    : QDialog(parent), m_target(storageFolderBox) {
    setObjectName(QStringLiteral("DirSelectForm"));
    setWindowTitle(QStringLiteral("ファイル保存先"));
    SetFixedDialogFrame(this, 4680, 3195);

    m_lists = new FolderLists(this);
    SetTwipsGeometry(m_lists->drives(), 30, 30, 3165, 300);
    SetTwipsGeometry(m_lists->folders(), 30, 360, 3135, 2820);

    m_commands[0] = MakeDialogButton(this, 0, QStringLiteral("OK"), {});
    m_commands[1] = MakeDialogButton(this, 1, QStringLiteral("Cancel"), {});
    m_commands[2] = MakeDialogButton(this, 2, {}, QStringLiteral("desktop"));
    m_commands[3] = MakeDialogButton(this, 3, {}, QStringLiteral("documents"));
    SetTwipsGeometry(m_commands[0], 3270, 30, 1155, 375);
    SetTwipsGeometry(m_commands[1], 3270, 450, 1155, 375);
    SetTwipsGeometry(m_commands[2], 3210, 2430, 360, 360);
    SetTwipsGeometry(m_commands[3], 3210, 2820, 360, 360);
    for (int i = 0; i < 4; ++i)
        connect(m_commands[i], &QPushButton::clicked, this, [this, i] { Command1Click(i); });

    setTabOrder(m_lists->drives(), m_lists->folders());
    setTabOrder(m_lists->folders(), m_commands[0]);
    for (int i = 0; i < 3; ++i)
        setTabOrder(m_commands[i], m_commands[i + 1]);
}

void DirSelectForm::Command1Click(int index) {
    switch (index) {
        case 0: {
            QString folder = m_lists->CurrentFolder();
            if (!folder.endsWith(QDir::separator()))
                folder += QDir::separator();
            m_target->setText(folder);
            accept();
            break;
        }
        case 1:
            reject();
            break;
        case 2:
            m_lists->OpenSpecialFolder(QStringLiteral("Desktop"));
            break;
        case 3:
            m_lists->OpenSpecialFolder(QStringLiteral("mydocuments"));
            break;
        default:
            break;
    }
}

}  // namespace tagwright
