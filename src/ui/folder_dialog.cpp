#include "ui/folder_dialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/folder_lists.h"
#include "ui/widgets.h"

namespace tagwright {

namespace {

QPushButton* MakeDialogButton(QWidget* dialog, int index, const QString& caption,
                              const QString& iconName, const QRect& twips) {
    auto* button = new QPushButton(caption, dialog);
    button->setObjectName(ArrayName("Command1", index));
    button->setProperty("index", index);
    // Enter belongs to the folder list (it opens a folder), never to a default button.
    button->setAutoDefault(false);
    if (!iconName.isEmpty()) {
        button->setIcon(QIcon(IconPixmap(iconName, 20)));
        button->setIconSize(QSize(20, 20));
    }
    SetTwipsGeometry(button, twips.x(), twips.y(), twips.width(), twips.height());
    return button;
}

}  // namespace

FolderDialog::FolderDialog(QWidget* parent, const char* name, const QString& caption,
                           QSize clientTwips, const QString& actionCaption,
                           const ButtonPlaces& places)
    : QDialog(parent) {
    setObjectName(QLatin1String(name));
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(clientTwips.width() / 15, clientTwips.height() / 15);
    setModal(true);
    setFont(JapaneseFont(9));

    m_lists = new FolderLists(this);
    SetTwipsGeometry(m_lists->drives(), 30, 30, 3165, 300);
    SetTwipsGeometry(m_lists->folders(), 30, 360, 3135, 2820);

    m_commands[0] = MakeDialogButton(this, 0, actionCaption, {}, places.action);
    m_commands[1] = MakeDialogButton(this, 1, QStringLiteral("Cancel"), {}, places.cancel);
    m_commands[2] = MakeDialogButton(this, 2, {}, QStringLiteral("desktop"), places.desktop);
    m_commands[3] = MakeDialogButton(this, 3, {}, QStringLiteral("documents"), places.documents);
    m_commands[2]->setToolTip(QStringLiteral("デスクトップ"));
    m_commands[3]->setToolTip(QStringLiteral("ドキュメント"));
    for (int i = 0; i < 4; ++i)
        connect(m_commands[i], &QPushButton::clicked, this, [this, i] { Command1Click(i); });
}

void FolderDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The folder list is what the user works in: arrow keys, Enter and typing go to it at once.
    m_lists->folders()->setFocus();
}

void FolderDialog::Command1Click(int index) {
    switch (index) {
        case 0:
            Command1Action();
            accept();
            break;
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
