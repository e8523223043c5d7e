// The two settings tabs of Form1 and the way their controls become a Settings record.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/path.h"
#include "ui/form1.h"
#include "ui/qt_text.h"
#include "ui/widgets.h"

namespace tagwright {

namespace {

const QColor kLightBlue(0x80, 0x80, 0xFF);
const QColor kLightGrey(0xC0, 0xC0, 0xC0);

// The designed sizes were made for a narrower font; notes and hints that must wrap inside
// them use a smaller size of the same family.
constexpr double kNotePoints = 7.5;
constexpr double kSmallPoints = 8;

// Positions inside these frames are in twips, like the frames themselves.
QRadioButton* MakeOption(QWidget* parent, const char* name, int index, const QString& caption,
                         int left, int top, int width) {
    auto* option = new QRadioButton(caption, parent);
    option->setObjectName(ArrayName(name, index));
    option->setProperty("index", index);
    SetTwipsGeometry(option, left, top, width, 255);
    return option;
}

QLineEdit* MakeEdit(QWidget* parent, const QString& objectName, int left, int top, int width,
                    int height) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    SetTwipsGeometry(edit, left, top, width, height);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, int index, const QString& caption,
                        int left, int top, int width) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(ArrayName(name, index));
    button->setProperty("index", index);
    SetTwipsGeometry(button, left, top, width, 330);
    return button;
}

QLabel* MakeNote(QWidget* parent, const QString& objectName, const QString& caption, int left,
                 int top, int width, int height, double points) {
    QLabel* note = MakeLabel(parent, objectName, caption, left, top, width, height);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont font = note->font();
    font.setPointSizeF(points);
    note->setFont(font);
    return note;
}

QWidget* MakePlainFrame(QWidget* parent, const QString& objectName, int left, int top, int width,
                        int height) {
    auto* frame = new QWidget(parent);
    frame->setObjectName(objectName);
    SetTwipsGeometry(frame, left, top, width, height);
    return frame;
}

CaptionFrame* MakeFrame(QWidget* page, const char* name, const QString& caption, int top,
                        int height) {
    auto* frame = new CaptionFrame(caption, page);
    frame->setObjectName(QLatin1String(name));
    SetTwipsGeometry(frame, 90, top, 5205, height);
    return frame;
}

const QString kSameNameNote = QStringLiteral("*すでに同じ名前のファイルがある場合番号を振ります。");

}  // namespace

void Form1::BuildSet1Tab(QWidget* page) {
    MakeTitleLabel(page, "Label4", QStringLiteral("MP3高機能リネーミングツール"),
                   palette().color(QPalette::HighlightedText));

    // Frame1: where tag values come from, and what blank ones become in file names.
    CaptionFrame* frame1 =
        MakeFrame(page, "Frame1", QStringLiteral("タグ情報の読み取り設定"), 420, 2955);
    m_option1[0] = MakeOption(frame1, "Option1", 0,
                              QStringLiteral("ID3v1.1or1.0のみから情報を得る"), 120, 240, 3045);
    m_option1[1] =
        MakeOption(frame1, "Option1", 1, QStringLiteral("ID3v2のみから情報を得る"), 120, 495, 3000);
    m_option1[2] =
        MakeOption(frame1, "Option1", 2, QStringLiteral("ID3v1.1ｏｒ1.0及びｖ2から情報を得る"), 120,
                   750, 4950);
    QWidget* priority =
        MakePlainFrame(frame1, QStringLiteral("PriorityFrame"), 360, 1005, 4500, 510);
    m_option1[3] = MakeOption(priority, "Option1", 3,
                              QStringLiteral("ID3v1.1or1.0の情報を優先する"), 0, 0, 4500);
    m_option1[4] =
        MakeOption(priority, "Option1", 4, QStringLiteral("ID3ｖ2の情報を優先する"), 0, 255, 4500);
    for (QRadioButton* option : m_option1)
        connect(option, &QRadioButton::clicked, this, &Form1::Option1Click);
    SetTextColour(
        MakeNote(frame1, ArrayName("Label20", 0), kSameNameNote, 3180, 240, 1950, 480, kNotePoints),
        kLightBlue);

    MakeLabel(frame1, QStringLiteral("NameBlankLabel"),
              QStringLiteral("ファイル名に使うタグに空白があった場合、"), 120, 1545, 4950, 255);
    QWidget* nameBlank =
        MakePlainFrame(frame1, QStringLiteral("NameBlankFrame"), 360, 1800, 4740, 255);
    m_option2[0] =
        MakeOption(nameBlank, "Option2", 0, QStringLiteral("名前を変更しない"), 0, 0, 1860);
    m_option2[1] = MakeOption(nameBlank, "Option2", 1, QStringLiteral("代りに指定した文字を入れる"),
                              1890, 0, 2760);

    // Text1(0..5) in two rows of three: label, then box.
    struct DefaultBox {
        int index;
        const char* caption;
        int left, top, labelWidth, boxWidth;
    };
    const DefaultBox nameDefaults[] = {
        {0, "曲名", 120, 2100, 360, 900},          {2, "アルバム", 1410, 2100, 990, 900},
        {4, "ジャンル", 3360, 2100, 990, 630},     {1, "年", 120, 2430, 360, 900},
        {3, "アーティスト", 1410, 2430, 990, 900}, {5, "トラック番号", 3360, 2430, 990, 630},
    };
    QFont small = font();
    small.setPointSizeF(kSmallPoints);
    for (const DefaultBox& d : nameDefaults) {
        QLabel* label = MakeLabel(frame1, ArrayName("Text1Label", d.index),
                                  QString::fromUtf8(d.caption), d.left, d.top, d.labelWidth, 300);
        label->setFont(small);
        m_text1[d.index] = MakeEdit(frame1, ArrayName("Text1", d.index), d.left + d.labelWidth + 30,
                                    d.top, d.boxWidth, 300);
        m_text1[d.index]->setFont(small);
        m_text1[d.index]->setProperty("index", d.index);
    }

    // Frame23: the naming rule and its buttons.
    CaptionFrame* frame23 =
        MakeFrame(page, "Frame23", QStringLiteral("ファイル名の設定(ネーミング規則）"), 3450, 2085);
    m_fileNameSetting = MakeEdit(frame23, QStringLiteral("FileNameSetting"), 90, 240, 4380, 330);
    m_fileNameSetting->setReadOnly(true);
    MakeLabel(frame23, QStringLiteral("Mp3Label"), QStringLiteral(".mp3"), 4530, 240, 600, 330);
    struct RuleButton {
        const char* caption;
        int left, top, width;
    };
    const RuleButton nameButtons[] = {
        {"曲名", 90, 615, 630},     {"アルバム", 750, 615, 870},  {"アーティスト", 1650, 615, 1200},
        {"年", 2880, 615, 420},     {"ジャンル", 90, 975, 870},   {"トラック番号", 990, 975, 1200},
        {"クリア", 2220, 975, 690}, {"　文字　", 2940, 975, 810},
    };
    for (int i = 0; i < 8; ++i) {
        const RuleButton& b = nameButtons[i];
        QPushButton* button = MakeButton(frame23, "FileNameSetBtn", i, QString::fromUtf8(b.caption),
                                         b.left, b.top, b.width);
        connect(button, &QPushButton::clicked, this, [this, i] { FileNameSetBtnClick(i); });
    }
    MakeLabel(frame23, QStringLiteral("NameCutLabel"), QStringLiteral("区切り文字"), 3360, 615, 900,
              330);
    m_nameCutText = MakeEdit(frame23, QStringLiteral("NameCutText"), 4290, 615, 810, 330);
    m_nameCutText->setValidator(new CodePointLimit(3, m_nameCutText));
    m_oriTxt = MakeEdit(frame23, QStringLiteral("OriTxt"), 3780, 975, 1320, 330);
    MakeNote(
        frame23, QStringLiteral("HintLabel"),
        QStringLiteral("高度なネーミングは、区切り文字を空白にして、文字ボタンに1文字ずつ入力する"
                       "ことで可能!!　*下の使用禁止文字は使わないように注意してください"),
        90, 1350, 5040, 690, kNotePoints);

    // Frame19: the character conversion table.
    CaptionFrame* frame19 =
        MakeFrame(page, "Frame19", QStringLiteral("タグ > ファイル名使用文字変換"), 5610, 1455);
    for (int i = 0; i < 11; ++i) {
        const int left = 90 + (i % 6) * 840;
        const int top = i < 6 ? 240 : 570;
        m_prohibitLabel[i] =
            MakeLabel(frame19, ArrayName("Prohibitlabel", i), {}, left, top, 210, 300);
        m_prohibitLabel[i]->setAlignment(Qt::AlignCenter);
        m_prohibitLabel[i]->setProperty("index", i);
        m_text6[i] = MakeEdit(frame19, ArrayName("Text6", i), left + 240, top, 540, 300);
        m_text6[i]->setProperty("index", i);
        connect(m_text6[i], &QLineEdit::textChanged, this, [this, i] { CheckReplacement(i); });
    }
    auto* command2 = new QPushButton(QStringLiteral("初期化"), frame19);
    command2->setObjectName(QStringLiteral("Command2"));
    SetTwipsGeometry(command2, 4290, 570, 810, 330);
    connect(command2, &QPushButton::clicked, this, &Form1::Command2Click);
    MakeNote(frame19, QStringLiteral("ConversionNote"),
             QStringLiteral(
                 "ファイル名に使用できない文字を変換します。（基本的に半角＞全角すればOKです。"
                 "特に変更しないでいいと思います。）"),
             90, 930, 5040, 480, kNotePoints);

    for (QLineEdit* box : {m_oriTxt, m_nameCutText})
        WatchCleaning(box);
    for (int i = 0; i <= 5; ++i)
        WatchCleaning(m_text1[i]);
}

void Form1::BuildSet2Tab(QWidget* page) {
    m_label5 = MakeTitleLabel(page, "Label5", QStringLiteral("Tagwright SupportHome"),
                              palette().color(QPalette::HighlightedText));
    m_label5->setMouseTracking(true);
    m_label5->setCursor(Qt::PointingHandCursor);
    m_label5->installEventFilter(this);

    CaptionFrame* frame22 = new CaptionFrame(QStringLiteral("管理＆収納サポート"), page);
    frame22->setObjectName(QStringLiteral("Frame22"));
    SetTwipsGeometry(frame22, 90, 510, 5205, 4335);

    MakeLabel(frame22, QStringLiteral("Label1"), QStringLiteral("MP3ファイル保管フォルダ"), 90, 300,
              2400, 240);  // 255 would reach into the box below
    m_mp3SaveFolderTxt = MakeEdit(frame22, QStringLiteral("MP3SaveFolderTxt"), 90, 540, 4575, 345);
    m_mp3SaveFolderTxt->installEventFilter(this);
    auto* command1 = new QPushButton(QStringLiteral("…"), frame22);
    command1->setObjectName(QStringLiteral("Command1"));
    SetTwipsGeometry(command1, 4710, 570, 375, 285);
    connect(command1, &QPushButton::clicked, this, &Form1::ShowDirSelectForm);

    QLabel* label2 =
        MakeLabel(frame22, QStringLiteral("Label2"),
                  QStringLiteral("MP3ファイル保管フォルダの構造（Tagの情報を元に移動します。）"),
                  90, 1110, 5085, 240);
    QFont small = font();
    small.setPointSizeF(kSmallPoints);
    label2->setFont(small);
    MakeLabel(frame22, QStringLiteral("Label28"), QStringLiteral("...\\"), 90, 1380, 270, 345);
    m_fileMoveText = MakeEdit(frame22, QStringLiteral("FileMoveText"), 360, 1350, 3240, 345);
    m_fileMoveText->setReadOnly(true);
    m_oriTxt2 = MakeEdit(frame22, QStringLiteral("OriTxt2"), 3660, 1350, 1440, 345);
    struct RuleButton {
        const char* caption;
        int left, width;
    };
    const RuleButton folderButtons[] = {
        {"アーティスト", 330, 1155}, {"アルバム", 1515, 810}, {"ジャンル", 2355, 810},
        {"年", 3195, 420},           {" クリア ", 3645, 720}, {" 文字 ", 4395, 720},
    };
    for (int i = 0; i < 6; ++i) {
        const RuleButton& b = folderButtons[i];
        QPushButton* button = MakeButton(frame22, "FileMovepPlaceBtn", i,
                                         QString::fromUtf8(b.caption), b.left, 1740, b.width);
        connect(button, &QPushButton::clicked, this, [this, i] { FileMovepPlaceBtnClick(i); });
    }

    SetTextColour(MakeLabel(frame22, QStringLiteral("Label21"),
                            QStringLiteral("TAG中の使用禁止文字はSet1の設定に従って変更されます。"),
                            150, 2340, 4875, 255),
                  kLightBlue);
    m_folderYN = new QCheckBox(QStringLiteral("フォルダ作成時に確認する。"), frame22);
    m_folderYN->setObjectName(QStringLiteral("FolderYN"));
    SetTwipsGeometry(m_folderYN, 90, 2595, 2715, 255);

    MakeLabel(frame22, QStringLiteral("Label14"),
              QStringLiteral("フォルダ名に使うタグに空白があった場合、"), 90, 2850, 3600, 255);
    QWidget* frame4 = MakePlainFrame(frame22, QStringLiteral("Frame4"), 90, 3120, 5070, 1170);
    m_option2[2] =
        MakeOption(frame4, "Option2", 2, QStringLiteral("ファイルを移動しない"), 210, 0, 2760);
    m_option2[3] = MakeOption(frame4, "Option2", 3, QStringLiteral("代りに指定した文字を入れる"),
                              210, 255, 2760);
    struct DefaultBox {
        int index;
        const char* caption;
        int left, top;
    };
    const DefaultBox folderDefaults[] = {
        {7, "年", 210, 540},
        {8, "アルバム", 2520, 540},
        {9, "アーティスト", 210, 855},
        {10, "ジャンル", 2520, 855},
    };
    for (const DefaultBox& d : folderDefaults) {
        QLabel* label = MakeLabel(frame4, ArrayName("Text1Label", d.index),
                                  QString::fromUtf8(d.caption), d.left, d.top, 990, 300);
        label->setFont(small);
        m_text1[d.index] =
            MakeEdit(frame4, ArrayName("Text1", d.index), d.left + 1020, d.top, 1080, 300);
        m_text1[d.index]->setFont(small);
        m_text1[d.index]->setProperty("index", d.index);
        WatchCleaning(m_text1[d.index]);
    }
    QLabel* label20 = MakeNote(frame22, ArrayName("Label20", 1), kSameNameNote, 3180, 3180, 1995,
                               450, kNotePoints);
    label20->setProperty("index", 1);
    SetTextColour(label20, kLightBlue);
    WatchCleaning(m_oriTxt2);
}

Settings Form1::BuildSettings() const {
    Settings s;
    s.tagSource = m_option1[0]->isChecked()   ? Settings::TagSource::kId3v1Only
                  : m_option1[1]->isChecked() ? Settings::TagSource::kId3v2Only
                                              : Settings::TagSource::kBoth;
    s.priority = m_option1[3]->isChecked() ? Settings::Priority::kId3v1First
                                           : Settings::Priority::kId3v2First;
    s.nameFillBlanks = m_option2[1]->isChecked();
    s.folderFillBlanks = m_option2[3]->isChecked();
    for (std::size_t i = 0; i < m_text1.size(); ++i)
        s.Text1[i] = m_text1[i] != nullptr ? FromQt(m_text1[i]->text()) : std::string();
    s.FileNameSetting = FromQt(m_fileNameSetting->text());
    s.NameCutText = FromQt(m_nameCutText->text());
    s.OriTxt = FromQt(m_oriTxt->text());
    s.FileMoveText = FromQt(m_fileMoveText->text());
    s.OriTxt2 = FromQt(m_oriTxt2->text());
    // Typed without its final separator, "/x/Music" would file into "/x/MusicArtist/".
    s.MP3SaveFolderTxt = FromQt(m_mp3SaveFolderTxt->text());
    if (!s.MP3SaveFolderTxt.empty())
        s.MP3SaveFolderTxt = path::WithTrailingSeparator(s.MP3SaveFolderTxt);
    s.FolderYN = m_folderYN->isChecked();
    for (std::size_t i = 0; i < s.conversion.size(); ++i)
        s.conversion[i] = {FromQt(m_prohibitLabel[i]->text()), FromQt(m_text6[i]->text())};
    return s;
}

void Form1::LoadSettings(const Settings& s) {
    m_option1[static_cast<int>(s.tagSource)]->setChecked(true);
    m_option1[static_cast<int>(s.priority)]->setChecked(true);
    m_option2[s.nameFillBlanks ? 1 : 0]->setChecked(true);
    m_option2[s.folderFillBlanks ? 3 : 2]->setChecked(true);
    Option1Click();
    // The table first: the other boxes are cleaned with it.
    for (std::size_t i = 0; i < s.conversion.size(); ++i) {
        m_prohibitLabel[i]->setText(ToQt(s.conversion[i].character));
        m_text6[i]->setText(ToQt(s.conversion[i].replacement));
    }
    for (std::size_t i = 0; i < m_text1.size(); ++i) {
        if (m_text1[i] != nullptr)
            m_text1[i]->setText(ToQt(s.Text1[i]));
    }
    m_fileNameSetting->setText(ToQt(s.FileNameSetting));
    m_nameCutText->setText(ToQt(s.NameCutText));
    m_oriTxt->setText(ToQt(s.OriTxt));
    m_fileMoveText->setText(ToQt(s.FileMoveText));
    m_oriTxt2->setText(ToQt(s.OriTxt2));
    m_mp3SaveFolderTxt->setText(ToQt(s.MP3SaveFolderTxt));
    m_folderYN->setChecked(s.FolderYN);
}

void Form1::Option1Click() {
    // Only the colour changes: the priority options stay usable whatever the source.
    const QColor colour =
        m_option1[2]->isChecked() ? palette().color(QPalette::WindowText) : kLightGrey;
    SetTextColour(m_option1[3], colour);
    SetTextColour(m_option1[4], colour);
}

void Form1::WatchCleaning(QLineEdit* box) {
    connect(box, &QLineEdit::textChanged, this, [this, box] { CleanBox(box); });
}

void Form1::CleanBox(QLineEdit* box) {
    const QString text = box->text();
    // A lone space is a valid separator, literal or default and is kept as typed.
    const auto& clean =
        box == m_nameCutText && m_hooks.cleanSeparator ? m_hooks.cleanSeparator : m_hooks.clean;
    if (!clean || text == QLatin1String(" "))
        return;
    ConversionTable table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = {FromQt(m_prohibitLabel[i]->text()), FromQt(m_text6[i]->text())};
    const QString cleaned = ToQt(clean(FromQt(text), table));
    if (cleaned == text)
        return;
    // Keep the caret where the user was typing, shifted by what the cleaning changed.
    const int caret = box->cursorPosition() + static_cast<int>(cleaned.size() - text.size());
    box->setText(cleaned);
    box->setCursorPosition(std::clamp(caret, 0, static_cast<int>(cleaned.size())));
}

void Form1::CheckReplacement(int row) {
    if (!m_hooks.checkReplacement)
        return;
    QLineEdit* box = m_text6[static_cast<std::size_t>(row)];
    const QString checked = ToQt(m_hooks.checkReplacement(row, FromQt(box->text())));
    if (checked != box->text())
        box->setText(checked);
}

void Form1::FileNameSetBtnClick(int index) {
    if (!m_hooks.editNamingRule)
        return;
    m_fileNameSetting->setText(
        ToQt(m_hooks.editNamingRule(FromQt(m_fileNameSetting->text()), index,
                                    FromQt(m_nameCutText->text()), FromQt(m_oriTxt->text()))));
}

void Form1::FileMovepPlaceBtnClick(int index) {
    if (!m_hooks.editFolderRule)
        return;
    m_fileMoveText->setText(ToQt(
        m_hooks.editFolderRule(FromQt(m_fileMoveText->text()), index, FromQt(m_oriTxt2->text()))));
}

void Form1::Command2Click() {
    if (!m_hooks.resetTable)
        return;
    const ConversionTable table = m_hooks.resetTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        m_text6[i]->setText(ToQt(table[i].replacement));
}

}  // namespace tagwright
