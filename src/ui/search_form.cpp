#include "ui/search_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>

#include "ui/dir_select_form.h"
#include "ui/folder_lists.h"
#include "ui/widgets.h"

namespace tagwright {

SearchForm::SearchForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SearchForm"));
    setWindowTitle(QStringLiteral("MP3File検索&追加"));
    SetFixedDialogFrame(this, 5700, 3195);

    m_lists = new FolderLists(this);
    SetTwipsGeometry(m_lists->drives(), 30, 30, 3165, 300);
    SetTwipsGeometry(m_lists->folders(), 30, 360, 3135, 2820);

    m_commands[0] = MakeDialogButton(this, 0, QStringLiteral("MP3File　Search！！"), {});
    m_commands[1] = MakeDialogButton(this, 1, QStringLiteral("Cancel"), {});
    SetTwipsGeometry(m_commands[0], 3270, 90, 2385, 465);
    SetTwipsGeometry(m_commands[1], 3270, 570, 2385, 435);

    m_check1 = new QCheckBox(QStringLiteral("サブフォルダ以下も探す。"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    SetTwipsGeometry(m_check1, 3270, 1080, 2415, 255);

    m_option1[0] = new QRadioButton(QStringLiteral("拡張子MP3のみ探す。"), this);
    m_option1[1] = new QRadioButton(QStringLiteral("タグ情報を読みMP3を探す"), this);
    for (int i = 0; i < 2; ++i) {
        m_option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        m_option1[i]->setProperty("index", i);
    }
    m_option1[0]->setChecked(true);
    SetTwipsGeometry(m_option1[0], 3210, 1830, 2445, 225);
    SetTwipsGeometry(m_option1[1], 3210, 2070, 2445, 255);

    auto* label1 = new QLabel(QStringLiteral("拡張子mp3は必ずリストに加わります。"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setWordWrap(true);
    label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTwipsGeometry(label1, 3210, 2340, 2445, 480);

    // The designed widths were made for a narrower font than a CJK one at 9 points; the
    // column of choices uses 8 points to keep its captions whole.
    QFont choices = font();
    choices.setPointSizeF(8);
    for (QWidget* w : std::initializer_list<QWidget*>{m_check1, m_option1[0], m_option1[1], label1})
        w->setFont(choices);

    m_commands[2] = MakeDialogButton(this, 2, {}, QStringLiteral("desktop"));
    m_commands[3] = MakeDialogButton(this, 3, {}, QStringLiteral("documents"));
    SetTwipsGeometry(m_commands[2], 3210, 2820, 360, 360);
    SetTwipsGeometry(m_commands[3], 3600, 2820, 360, 360);
    for (int i = 0; i < 4; ++i)
        connect(m_commands[i], &QPushButton::clicked, this, [this, i] { Command1Click(i); });
}

SearchForm::Request SearchForm::CurrentRequest() const {
    Request request;
    request.folder = m_lists->CurrentFolder();
    request.extensionFilter = m_option1[0]->isChecked() ? QStringLiteral("mp3") : QString();
    request.includeSubfolders = m_check1->checkState() != Qt::Unchecked;
    return request;
}

void SearchForm::Command1Click(int index) {
    switch (index) {
        case 0: {
            const Request request = CurrentRequest();
            // The search does not yield; the busy pointer is its only sign of life.
            QApplication::setOverrideCursor(Qt::WaitCursor);
            emit searchRequested(request.folder, request.extensionFilter,
                                 request.includeSubfolders);
            QApplication::restoreOverrideCursor();
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
