#include "ui/search_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include "ui/folder_lists.h"
#include "ui/widgets.h"

namespace tagwright {

SearchForm::SearchForm(QWidget* parent, FileSystem& fs)
    : FolderDialog(parent, fs, "SearchForm", QStringLiteral("MP3File検索&追加"), QSize(5700, 3195),
                   QStringLiteral("MP3File　Search！！"),
                   {QRect(3270, 90, 2385, 465), QRect(3270, 570, 2385, 435),
                    QRect(3210, 2820, 360, 360), QRect(3600, 2820, 360, 360)}) {
    m_check1 = new QCheckBox(QStringLiteral("サブフォルダ以下も探す。"), this);
    m_check1->setObjectName(QStringLiteral("Check1"));
    SetTwipsGeometry(m_check1, 3270, 1080, 2415, 255);

    m_option1[0] = new QRadioButton(QStringLiteral("拡張子MP3のみ探す。"), this);
    m_option1[1] = new QRadioButton(QStringLiteral("タグ情報を読みMP3を探す"), this);
    for (int i = 0; i < 2; ++i) {
        m_option1[i]->setObjectName(ArrayName("Option1", i));
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
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_check1, m_option1[0], m_option1[1], label1}) {
        w->setFont(choices);
    }
}

SearchForm::Request SearchForm::CurrentRequest() const {
    Request request;
    request.folder = lists().CurrentFolder();
    request.extensionFilter = m_option1[0]->isChecked() ? QStringLiteral("mp3") : QString();
    request.includeSubfolders = m_check1->checkState() != Qt::Unchecked;
    return request;
}

void SearchForm::Command1Action() {
    const Request request = CurrentRequest();
    // Out of the way first: the main window shows what the search has found so far, and its
    // Cancel button and Esc stop it.
    hide();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    emit searchRequested(request.folder, request.extensionFilter, request.includeSubfolders);
    QApplication::restoreOverrideCursor();
}

}  // namespace tagwright
