// The two settings tabs of Form1 and the way their controls become a Settings record.
#include <span>
#include <vector>

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

// What a control of the settings tabs is; Control::look adds to it.
enum class Kind { kCaptionFrame, kPlainFrame, kLabel, kNote, kOption, kEdit, kButton, kCheck };
enum Look : unsigned {
    kPlain = 0,
    kSmall = 1,     // kSmallPoints
    kBlueText = 2,  // kLightBlue
    kCentred = 4,
    kReadOnly = 8,
};

// One control of a settings tab, in twips inside the frame named `in` (the page when null).
// The tables list them in creation order, which is also the order Tab moves through them.
struct Control {
    Kind kind;
    const char* in;
    const char* name;
    int index;  // its element of the control array `name`; -1 when it is no array
    const char* caption;
    int left, top, width, height;
    unsigned look = kPlain;
};

constexpr const char* kSameNameNote = "*すでに同じ名前のファイルがある場合番号を振ります。";

QWidget* NewWidget(Kind kind, const QString& caption, QWidget* parent) {
    switch (kind) {
        case Kind::kCaptionFrame:
            return new CaptionFrame(caption, parent);
        case Kind::kLabel:
        case Kind::kNote:
            return new QLabel(caption, parent);
        case Kind::kOption:
            return new QRadioButton(caption, parent);
        case Kind::kEdit:
            return new QLineEdit(parent);
        case Kind::kButton:
            return new QPushButton(caption, parent);
        case Kind::kCheck:
            return new QCheckBox(caption, parent);
        case Kind::kPlainFrame:
            break;
    }
    return new QWidget(parent);
}

QWidget* MakeControl(QWidget* parent, const Control& c) {
    QWidget* widget = NewWidget(c.kind, QString::fromUtf8(c.caption), parent);
    if (c.index < 0) {
        widget->setObjectName(QLatin1String(c.name));
    } else {
        widget->setObjectName(ArrayName(c.name, c.index));
        widget->setProperty("index", c.index);
    }
    SetTwipsGeometry(widget, c.left, c.top, c.width, c.height);
    return widget;
}

void ApplyLook(QWidget* widget, const Control& c) {
    auto* label = qobject_cast<QLabel*>(widget);
    double points = (c.look & kSmall) != 0 ? kSmallPoints : 0;
    if (c.kind == Kind::kNote) {
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        points = kNotePoints;
    }
    if (points > 0) {
        QFont font = widget->font();
        font.setPointSizeF(points);
        widget->setFont(font);
    }
    if ((c.look & kBlueText) != 0)
        SetTextColour(widget, kLightBlue);
    if ((c.look & kCentred) != 0)
        label->setAlignment(Qt::AlignCenter);
    if ((c.look & kReadOnly) != 0)
        qobject_cast<QLineEdit*>(widget)->setReadOnly(true);
}

// Creates the controls of `table` on `page`, each inside the frame its row names.
void BuildControls(QWidget* page, std::span<const Control> table) {
    for (const Control& c : table) {
        QWidget* parent = c.in == nullptr ? page : page->findChild<QWidget*>(QLatin1String(c.in));
        ApplyLook(MakeControl(parent, c), c);
    }
}

// Frame19's conversion table: two rows of a character and the box for what replaces it.
std::vector<Control> ConversionControls() {
    std::vector<Control> table;
    for (int i = 0; i < 11; ++i) {
        const int left = 90 + (i % 6) * 840;
        const int top = i < 6 ? 240 : 570;
        table.push_back(
            {Kind::kLabel, "Frame19", "Prohibitlabel", i, "", left, top, 210, 300, kCentred});
        table.push_back({Kind::kEdit, "Frame19", "Text6", i, "", left + 240, top, 540, 300});
    }
    return table;
}

constexpr Control kSet1Controls[] = {
    // Frame1: where tag values come from, and what blank ones become in file names.
    {Kind::kCaptionFrame, nullptr, "Frame1", -1, "タグ情報の読み取り設定", 90, 420, 5205, 2955},
    {Kind::kOption, "Frame1", "Option1", 0, "ID3v1.1or1.0のみから情報を得る", 120, 240, 3045, 255},
    {Kind::kOption, "Frame1", "Option1", 1, "ID3v2のみから情報を得る", 120, 495, 3000, 255},
    {Kind::kOption, "Frame1", "Option1", 2, "ID3v1.1ｏｒ1.0及びｖ2から情報を得る", 120, 750, 4950,
     255},
    {Kind::kPlainFrame, "Frame1", "PriorityFrame", -1, "", 360, 1005, 4500, 510},
    {Kind::kOption, "PriorityFrame", "Option1", 3, "ID3v1.1or1.0の情報を優先する", 0, 0, 4500, 255},
    {Kind::kOption, "PriorityFrame", "Option1", 4, "ID3ｖ2の情報を優先する", 0, 255, 4500, 255},
    {Kind::kNote, "Frame1", "Label20", 0, kSameNameNote, 3180, 240, 1950, 480, kBlueText},
    {Kind::kLabel, "Frame1", "NameBlankLabel", -1, "ファイル名に使うタグに空白があった場合、", 120,
     1545, 4950, 255},
    {Kind::kPlainFrame, "Frame1", "NameBlankFrame", -1, "", 360, 1800, 4740, 255},
    {Kind::kOption, "NameBlankFrame", "Option2", 0, "名前を変更しない", 0, 0, 1860, 255},
    {Kind::kOption, "NameBlankFrame", "Option2", 1, "代りに指定した文字を入れる", 1890, 0, 2760,
     255},
    // Text1(0..5) in two rows of three: label, then box.
    {Kind::kLabel, "Frame1", "Text1Label", 0, "曲名", 120, 2100, 360, 300, kSmall},
    {Kind::kEdit, "Frame1", "Text1", 0, "", 510, 2100, 900, 300, kSmall},
    {Kind::kLabel, "Frame1", "Text1Label", 2, "アルバム", 1410, 2100, 990, 300, kSmall},
    {Kind::kEdit, "Frame1", "Text1", 2, "", 2430, 2100, 900, 300, kSmall},
    {Kind::kLabel, "Frame1", "Text1Label", 4, "ジャンル", 3360, 2100, 990, 300, kSmall},
    {Kind::kEdit, "Frame1", "Text1", 4, "", 4380, 2100, 630, 300, kSmall},
    {Kind::kLabel, "Frame1", "Text1Label", 1, "年", 120, 2430, 360, 300, kSmall},
    {Kind::kEdit, "Frame1", "Text1", 1, "", 510, 2430, 900, 300, kSmall},
    {Kind::kLabel, "Frame1", "Text1Label", 3, "アーティスト", 1410, 2430, 990, 300, kSmall},
    {Kind::kEdit, "Frame1", "Text1", 3, "", 2430, 2430, 900, 300, kSmall},
    {Kind::kLabel, "Frame1", "Text1Label", 5, "トラック番号", 3360, 2430, 990, 300, kSmall},
    {Kind::kEdit, "Frame1", "Text1", 5, "", 4380, 2430, 630, 300, kSmall},
    // Frame23: the naming rule and its buttons.
    {Kind::kCaptionFrame, nullptr, "Frame23", -1, "ファイル名の設定(ネーミング規則）", 90, 3450,
     5205, 2085},
    {Kind::kEdit, "Frame23", "FileNameSetting", -1, "", 90, 240, 4380, 330, kReadOnly},
    {Kind::kLabel, "Frame23", "Mp3Label", -1, ".mp3", 4530, 240, 600, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 0, "曲名", 90, 615, 630, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 1, "アルバム", 750, 615, 870, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 2, "アーティスト", 1650, 615, 1200, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 3, "年", 2880, 615, 420, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 4, "ジャンル", 90, 975, 870, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 5, "トラック番号", 990, 975, 1200, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 6, "クリア", 2220, 975, 690, 330},
    {Kind::kButton, "Frame23", "FileNameSetBtn", 7, "　文字　", 2940, 975, 810, 330},
    {Kind::kLabel, "Frame23", "NameCutLabel", -1, "区切り文字", 3360, 615, 900, 330},
    {Kind::kEdit, "Frame23", "NameCutText", -1, "", 4290, 615, 810, 330},
    {Kind::kEdit, "Frame23", "OriTxt", -1, "", 3780, 975, 1320, 330},
    {Kind::kNote, "Frame23", "HintLabel", -1,
     "高度なネーミングは、区切り文字を空白にして、文字ボタンに1文字ずつ入力することで可能!!"
     "　*下の使用禁止文字は使わないように注意してください",
     90, 1350, 5040, 690},
    // Frame19: the character conversion table.
    {Kind::kCaptionFrame, nullptr, "Frame19", -1, "タグ > ファイル名使用文字変換", 90, 5610, 5205,
     1455},
};

// What follows the conversion table in Frame19.
constexpr Control kFrame19Controls[] = {
    {Kind::kButton, "Frame19", "Command2", -1, "初期化", 4290, 570, 810, 330},
    {Kind::kNote, "Frame19", "ConversionNote", -1,
     "ファイル名に使用できない文字を変換します。（基本的に半角＞全角すればOKです。"
     "特に変更しないでいいと思います。）",
     90, 930, 5040, 480},
};

constexpr Control kSet2Controls[] = {
    {Kind::kCaptionFrame, nullptr, "Frame22", -1, "管理＆収納サポート", 90, 510, 5205, 4335},
    // 255 high would reach into the box below.
    {Kind::kLabel, "Frame22", "Label1", -1, "MP3ファイル保管フォルダ", 90, 300, 2400, 240},
    {Kind::kEdit, "Frame22", "MP3SaveFolderTxt", -1, "", 90, 540, 4575, 345},
    {Kind::kButton, "Frame22", "Command1", -1, "…", 4710, 570, 375, 285},
    {Kind::kLabel, "Frame22", "Label2", -1,
     "MP3ファイル保管フォルダの構造（Tagの情報を元に移動します。）", 90, 1110, 5085, 240, kSmall},
    {Kind::kLabel, "Frame22", "Label28", -1, "...\\", 90, 1380, 270, 345},
    {Kind::kEdit, "Frame22", "FileMoveText", -1, "", 360, 1350, 3240, 345, kReadOnly},
    {Kind::kEdit, "Frame22", "OriTxt2", -1, "", 3660, 1350, 1440, 345},
    {Kind::kButton, "Frame22", "FileMovepPlaceBtn", 0, "アーティスト", 330, 1740, 1155, 330},
    {Kind::kButton, "Frame22", "FileMovepPlaceBtn", 1, "アルバム", 1515, 1740, 810, 330},
    {Kind::kButton, "Frame22", "FileMovepPlaceBtn", 2, "ジャンル", 2355, 1740, 810, 330},
    {Kind::kButton, "Frame22", "FileMovepPlaceBtn", 3, "年", 3195, 1740, 420, 330},
    {Kind::kButton, "Frame22", "FileMovepPlaceBtn", 4, " クリア ", 3645, 1740, 720, 330},
    {Kind::kButton, "Frame22", "FileMovepPlaceBtn", 5, " 文字 ", 4395, 1740, 720, 330},
    {Kind::kLabel, "Frame22", "Label21", -1,
     "TAG中の使用禁止文字はSet1の設定に従って変更されます。", 150, 2340, 4875, 255, kBlueText},
    {Kind::kCheck, "Frame22", "FolderYN", -1, "フォルダ作成時に確認する。", 90, 2595, 2715, 255},
    {Kind::kLabel, "Frame22", "Label14", -1, "フォルダ名に使うタグに空白があった場合、", 90, 2850,
     3600, 255},
    {Kind::kPlainFrame, "Frame22", "Frame4", -1, "", 90, 3120, 5070, 1170},
    {Kind::kOption, "Frame4", "Option2", 2, "ファイルを移動しない", 210, 0, 2760, 255},
    {Kind::kOption, "Frame4", "Option2", 3, "代りに指定した文字を入れる", 210, 255, 2760, 255},
    {Kind::kLabel, "Frame4", "Text1Label", 7, "年", 210, 540, 990, 300, kSmall},
    {Kind::kEdit, "Frame4", "Text1", 7, "", 1230, 540, 1080, 300, kSmall},
    {Kind::kLabel, "Frame4", "Text1Label", 8, "アルバム", 2520, 540, 990, 300, kSmall},
    {Kind::kEdit, "Frame4", "Text1", 8, "", 3540, 540, 1080, 300, kSmall},
    {Kind::kLabel, "Frame4", "Text1Label", 9, "アーティスト", 210, 855, 990, 300, kSmall},
    {Kind::kEdit, "Frame4", "Text1", 9, "", 1230, 855, 1080, 300, kSmall},
    {Kind::kLabel, "Frame4", "Text1Label", 10, "ジャンル", 2520, 855, 990, 300, kSmall},
    {Kind::kEdit, "Frame4", "Text1", 10, "", 3540, 855, 1080, 300, kSmall},
    {Kind::kNote, "Frame22", "Label20", 1, kSameNameNote, 3180, 3180, 1995, 450, kBlueText},
};

template <class T>
T* Child(const QWidget* page, const char* name, int index = -1) {
    return page->findChild<T*>(index < 0 ? QString::fromLatin1(name) : ArrayName(name, index));
}

}  // namespace

void Form1::BuildSet1Tab(QWidget* page) {
    MakeTitleLabel(page, "Label4", QStringLiteral("MP3高機能リネーミングツール"),
                   palette().color(QPalette::HighlightedText));
    BuildControls(page, kSet1Controls);
    BuildControls(page, ConversionControls());
    BuildControls(page, kFrame19Controls);

    for (int i = 0; i < 5; ++i) {
        m_option1[i] = Child<QRadioButton>(page, "Option1", i);
        connect(m_option1[i], &QRadioButton::clicked, this, &Form1::Option1Click);
    }
    for (int i = 0; i < 2; ++i)
        m_option2[i] = Child<QRadioButton>(page, "Option2", i);
    for (int i = 0; i <= 5; ++i)
        m_text1[i] = Child<QLineEdit>(page, "Text1", i);
    m_fileNameSetting = Child<QLineEdit>(page, "FileNameSetting");
    for (int i = 0; i < 8; ++i) {
        connect(Child<QPushButton>(page, "FileNameSetBtn", i), &QPushButton::clicked, this,
                [this, i] { FileNameSetBtnClick(i); });
    }
    m_nameCutText = Child<QLineEdit>(page, "NameCutText");
    m_nameCutText->setValidator(new CodePointLimit(3, m_nameCutText));
    m_oriTxt = Child<QLineEdit>(page, "OriTxt");
    for (int i = 0; i < 11; ++i) {
        m_prohibitLabel[i] = Child<QLabel>(page, "Prohibitlabel", i);
        m_text6[i] = Child<QLineEdit>(page, "Text6", i);
        connect(m_text6[i], &QLineEdit::textChanged, this, [this, i] { CheckReplacement(i); });
    }
    connect(Child<QPushButton>(page, "Command2"), &QPushButton::clicked, this,
            &Form1::Command2Click);

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
    BuildControls(page, kSet2Controls);

    m_mp3SaveFolderTxt = Child<QLineEdit>(page, "MP3SaveFolderTxt");
    m_mp3SaveFolderTxt->installEventFilter(this);
    connect(Child<QPushButton>(page, "Command1"), &QPushButton::clicked, this,
            &Form1::ShowDirSelectForm);
    m_fileMoveText = Child<QLineEdit>(page, "FileMoveText");
    m_oriTxt2 = Child<QLineEdit>(page, "OriTxt2");
    for (int i = 0; i < 6; ++i) {
        connect(Child<QPushButton>(page, "FileMovepPlaceBtn", i), &QPushButton::clicked, this,
                [this, i] { FileMovepPlaceBtnClick(i); });
    }
    m_folderYN = Child<QCheckBox>(page, "FolderYN");
    for (int i = 2; i < 4; ++i)
        m_option2[i] = Child<QRadioButton>(page, "Option2", i);
    for (int i = 7; i <= 10; ++i) {
        m_text1[i] = Child<QLineEdit>(page, "Text1", i);
        WatchCleaning(m_text1[i]);
    }
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
