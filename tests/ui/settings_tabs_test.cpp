// The settings tabs "Set１" and "Set2": captions, the greying of the priority options, the
// round trip of a Settings record through the controls, and the naming engine's hooks.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "platform/path.h"
#include "ui/form1.h"
#include "ui/qt_text.h"
#include "ui/tab_control.h"
#include "ui_test_support.h"

using tagwright::Form1;
using tagwright::Settings;

class SettingsTabsTest : public QObject {
    Q_OBJECT

  private slots:
    void captions_data();
    void captions();
    void notesInLightBlueTitlesInTheirColours();
    void startControlsEqualStartSettings();
    void greyingOfPriorityOptions_data();
    void greyingOfPriorityOptions();
    void settingsRoundTripThroughControls();
    void optionsFormSeparateGroups();
    void storageFolderGetsItsFinalSeparator();
    void typedTextsAreCleaned_data();
    void typedTextsAreCleaned();
    void nameCutTextHoldsThreeCharacters_data();
    void nameCutTextHoldsThreeCharacters();
    void replacementBoxesRunTheirCheck();
    void ruleButtonsCallTheEditors();
    void resetButtonRestoresTable();
    void storageFolderBoxAndButtonOpenChooser();
};

void SettingsTabsTest::captions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    const char* rows[][2] = {
        {"Label4", "MP3高機能リネーミングツール"},
        {"Frame1", "タグ情報の読み取り設定"},
        {"Frame23", "ファイル名の設定(ネーミング規則）"},
        {"Frame19", "タグ > ファイル名使用文字変換"},
        {"Frame22", "管理＆収納サポート"},
        {"Label5", "Tagwright SupportHome"},
        {"Option1_0", "ID3v1.1or1.0のみから情報を得る"},
        {"Option1_1", "ID3v2のみから情報を得る"},
        {"Option1_2", "ID3v1.1ｏｒ1.0及びｖ2から情報を得る"},
        {"Option1_3", "ID3v1.1or1.0の情報を優先する"},
        {"Option1_4", "ID3ｖ2の情報を優先する"},
        {"Option2_0", "名前を変更しない"},
        {"Option2_1", "代りに指定した文字を入れる"},
        {"Option2_2", "ファイルを移動しない"},
        {"Option2_3", "代りに指定した文字を入れる"},
        {"NameBlankLabel", "ファイル名に使うタグに空白があった場合、"},
        {"Label14", "フォルダ名に使うタグに空白があった場合、"},
        {"Label20_0", "*すでに同じ名前のファイルがある場合番号を振ります。"},
        {"Label20_1", "*すでに同じ名前のファイルがある場合番号を振ります。"},
        {"Text1Label_0", "曲名"},
        {"Text1Label_1", "年"},
        {"Text1Label_2", "アルバム"},
        {"Text1Label_3", "アーティスト"},
        {"Text1Label_4", "ジャンル"},
        {"Text1Label_5", "トラック番号"},
        {"Text1Label_7", "年"},
        {"Text1Label_8", "アルバム"},
        {"Text1Label_9", "アーティスト"},
        {"Text1Label_10", "ジャンル"},
        {"Mp3Label", ".mp3"},
        {"NameCutLabel", "区切り文字"},
        {"FileNameSetBtn_0", "曲名"},
        {"FileNameSetBtn_1", "アルバム"},
        {"FileNameSetBtn_2", "アーティスト"},
        {"FileNameSetBtn_3", "年"},
        {"FileNameSetBtn_4", "ジャンル"},
        {"FileNameSetBtn_5", "トラック番号"},
        {"FileNameSetBtn_6", "クリア"},
        {"FileNameSetBtn_7", "　文字　"},
        {"HintLabel",
         "高度なネーミングは、区切り文字を空白にして、文字ボタンに1文字ずつ入力することで可能!!　*"
         "下の使用禁止文字は使わないように注意してください"},
        {"Command2", "初期化"},
        {"ConversionNote",
         "ファイル名に使用できない文字を変換します。（基本的に半角＞全角すればOKです。特に変更しな"
         "いでいいと思います。）"},
        {"Label1", "MP3ファイル保管フォルダ"},
        {"Command1", "…"},
        {"Label2", "MP3ファイル保管フォルダの構造（Tagの情報を元に移動します。）"},
        {"Label28", "...\\"},
        {"FileMovepPlaceBtn_0", "アーティスト"},
        {"FileMovepPlaceBtn_1", "アルバム"},
        {"FileMovepPlaceBtn_2", "ジャンル"},
        {"FileMovepPlaceBtn_3", "年"},
        {"FileMovepPlaceBtn_4", " クリア "},
        {"FileMovepPlaceBtn_5", " 文字 "},
        {"Label21", "TAG中の使用禁止文字はSet1の設定に従って変更されます。"},
        {"FolderYN", "フォルダ作成時に確認する。"},
    };
    for (const auto& row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[0]) << QString::fromUtf8(row[1]);
    const char* table[] = {"\\", "/", ">", "<", "?", "\"", "|", "*", ":", ",", ";"};
    for (int i = 0; i < 11; ++i) {
        const QString name = QStringLiteral("Prohibitlabel_%1").arg(i);
        QTest::newRow(qPrintable(name)) << name << QString::fromLatin1(table[i]);
    }
}

void SettingsTabsTest::captions() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    Form1 window;
    QWidget* widget = window.findChild<QWidget*>(name);
    QVERIFY2(widget != nullptr, qPrintable(name));
    QCOMPARE(tagwright::test::ShownText(widget), text);
    const int underscore = static_cast<int>(name.lastIndexOf(QLatin1Char('_')));
    if (underscore > 0 && !name.startsWith(QLatin1String("Text1Label")))
        QCOMPARE(widget->property("index").toInt(), name.mid(underscore + 1).toInt());
}

void SettingsTabsTest::notesInLightBlueTitlesInTheirColours() {
    Form1 window;
    const QColor lightBlue(0x80, 0x80, 0xFF);
    for (const char* name : {"Label20_0", "Label20_1", "Label21"}) {
        auto* label = window.findChild<QLabel*>(QLatin1String(name));
        QCOMPARE(label->palette().color(QPalette::WindowText), lightBlue);
    }
    auto* label3 = window.findChild<QLabel*>(QStringLiteral("Label3"));
    QCOMPARE(label3->palette().color(QPalette::WindowText), QColor(Qt::white));
    auto* label4 = window.findChild<QLabel*>(QStringLiteral("Label4"));
    QCOMPARE(label4->palette().color(QPalette::WindowText),
             window.palette().color(QPalette::HighlightedText));
    for (const char* name : {"Label3", "Label4", "Label5"}) {
        auto* label = window.findChild<QLabel*>(QLatin1String(name));
        QCOMPARE(label->pos(), QPoint(176, 4));  // 2640, 60 twips, in the band of tab headers
    }
}

void SettingsTabsTest::startControlsEqualStartSettings() {
    Form1 window;
    QCOMPARE(window.BuildSettings(), Settings{});
    auto* option2 = window.findChild<QRadioButton*>(QStringLiteral("Option1_2"));
    auto* option4 = window.findChild<QRadioButton*>(QStringLiteral("Option1_4"));
    QVERIFY(option2->isChecked() && option4->isChecked());
    QVERIFY(window.findChild<QLineEdit*>(QStringLiteral("FileNameSetting"))->isReadOnly());
    QVERIFY(window.findChild<QLineEdit*>(QStringLiteral("FileMoveText"))->isReadOnly());
    QVERIFY(window.findChild<QCheckBox*>(QStringLiteral("FolderYN"))->isChecked());
}

void SettingsTabsTest::greyingOfPriorityOptions_data() {
    QTest::addColumn<int>("clicked");
    QTest::addColumn<bool>("grey");
    QTest::newRow("v1 only") << 0 << true;
    QTest::newRow("v2 only") << 1 << true;
    QTest::newRow("both") << 2 << false;
}

void SettingsTabsTest::greyingOfPriorityOptions() {
    QFETCH(int, clicked);
    QFETCH(bool, grey);
    Form1 window;
    window.show();
    window.tabs()->setCurrentIndex(1);
    auto option = [&window](int i) {
        return window.findChild<QRadioButton*>(QStringLiteral("Option1_%1").arg(i));
    };
    const QColor normal = window.palette().color(QPalette::WindowText);
    QCOMPARE(option(3)->palette().color(QPalette::WindowText), normal);
    // Start from the other state so that each row sees a change.
    option(clicked == 2 ? 1 : 2)->click();
    option(clicked)->click();
    const QColor expected = grey ? QColor(0xC0, 0xC0, 0xC0) : normal;
    for (int i : {3, 4}) {
        QCOMPARE(option(i)->palette().color(QPalette::WindowText), expected);
        QVERIFY(option(i)->isEnabled());
    }
    // Clicking a priority option re-applies the same rule.
    option(3)->click();
    QCOMPARE(option(4)->palette().color(QPalette::WindowText), expected);
    QVERIFY(option(3)->isChecked());
}

void SettingsTabsTest::settingsRoundTripThroughControls() {
    Settings s;
    s.tagSource = Settings::TagSource::kId3v2Only;
    s.priority = Settings::Priority::kId3v1First;
    s.nameFillBlanks = true;
    s.folderFillBlanks = true;
    for (std::size_t i = 0; i < s.Text1.size(); ++i)
        s.Text1[i] = i == 6 ? std::string() : "既定" + std::to_string(i);
    s.FileNameSetting = "トラック番号_曲名";
    s.NameCutText = "_";
    s.OriTxt = "（Live）";
    s.FileMoveText = "ジャンル\\年";
    s.OriTxt2 = "x";
    s.MP3SaveFolderTxt = "/srv/音楽/";
    s.FolderYN = false;
    s.conversion[5].replacement = "\uFF02";
    s.conversion[4].replacement = "";
    s.conversion[1].replacement = "ab";

    Form1 window;
    window.LoadSettings(s);
    QCOMPARE(window.BuildSettings(), s);
    // Through the controls themselves, not a copy kept aside.
    QVERIFY(window.findChild<QRadioButton*>(QStringLiteral("Option1_1"))->isChecked());
    QVERIFY(window.findChild<QRadioButton*>(QStringLiteral("Option2_3"))->isChecked());
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("Text1_10"))->text(),
             QStringLiteral("既定10"));
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("Text6_1"))->text(), QStringLiteral("ab"));

    // And back to the start values, every choice flipped again.
    window.LoadSettings(Settings{});
    QCOMPARE(window.BuildSettings(), Settings{});
}

// Whatever way the folder was typed, moves go into it, not beside it.
void SettingsTabsTest::storageFolderGetsItsFinalSeparator() {
    Form1 window;
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("MP3SaveFolderTxt"));
    const std::string sep(1, tagwright::path::kSeparator);
    const std::pair<std::string, std::string> cases[] = {
        {"/x/Music", "/x/Music" + sep},
        {"/x/Music" + sep, "/x/Music" + sep},
        {"", ""},
    };
    for (const auto& [typed, used] : cases) {
        box->setText(QString::fromStdString(typed));
        QCOMPARE(window.BuildSettings().MP3SaveFolderTxt, used);
    }
}

void SettingsTabsTest::optionsFormSeparateGroups() {
    Form1 window;
    window.show();
    auto radio = [&window](const char* name) {
        return window.findChild<QRadioButton*>(QLatin1String(name));
    };
    radio("Option1_0")->click();
    radio("Option1_3")->click();
    radio("Option2_1")->click();
    radio("Option2_3")->click();
    // One choice in each group of options stays independent of the others.
    QVERIFY(radio("Option1_0")->isChecked());
    QVERIFY(radio("Option1_3")->isChecked());
    QVERIFY(radio("Option2_1")->isChecked());
    QVERIFY(radio("Option2_3")->isChecked());
    const Settings s = window.BuildSettings();
    QCOMPARE(s.tagSource, Settings::TagSource::kId3v1Only);
    QCOMPARE(s.priority, Settings::Priority::kId3v1First);
    QVERIFY(s.nameFillBlanks);
    QVERIFY(s.folderFillBlanks);
}

void SettingsTabsTest::typedTextsAreCleaned_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    // The stand-in cleaner replaces each table character by its replacement.
    QTest::newRow("literal") << "OriTxt"
                             << "a?"
                             << "a\uFF1F";
    QTest::newRow("folder literal") << "OriTxt2"
                                    << "a\\b"
                                    << "a_b";
    QTest::newRow("separator space kept") << "NameCutText"
                                          << " "
                                          << " ";
    QTest::newRow("separator") << "NameCutText"
                               << "/"
                               << "\uFF0F";
    QTest::newRow("name default") << "Text1_3"
                                  << "<x>"
                                  << "\uFF1Cx\uFF1E";
    QTest::newRow("folder default") << "Text1_9"
                                    << "AC/DC"
                                    << "AC\uFF0FDC";
    QTest::newRow("default lone space") << "Text1_0"
                                        << " "
                                        << " ";
    QTest::newRow("rule boxes are not typed into") << "FileNameSetting"
                                                   << "x"
                                                   << "曲名";
}

void SettingsTabsTest::typedTextsAreCleaned() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    Form1 window;
    window.show();
    int calls = 0;
    Form1::NamingHooks hooks;
    hooks.clean = [&calls](const std::string& text, const tagwright::ConversionTable& table) {
        ++calls;
        std::string out;
        for (char c : text) {
            bool replaced = false;
            for (const auto& row : table) {
                if (row.character == std::string(1, c)) {
                    out += row.replacement;
                    replaced = true;
                    break;
                }
            }
            if (!replaced)
                out += c;
        }
        return out == " " ? std::string() : out;
    };
    window.SetNamingHooks(hooks);
    auto* edit = window.findChild<QLineEdit*>(box);
    QVERIFY(edit != nullptr);
    window.tabs()->setCurrentIndex(
        box == QLatin1String("OriTxt2") || box == QLatin1String("Text1_9") ? 2 : 1);
    edit->setFocus();
    if (!edit->isReadOnly())
        edit->clear();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), kept);
    if (!edit->isReadOnly() && typed != QLatin1String(" "))
        QVERIFY(calls > 0);
}

void SettingsTabsTest::nameCutTextHoldsThreeCharacters_data() {
    QTest::addColumn<QString>("before");  // in the box, the caret at its end
    QTest::addColumn<QString>("typed");   // typed key by key, or pasted at once
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("kept");
    const QString yoshi = QString::fromUcs4(U"\U00020BB7");  // two UTF-16 units
    QTest::newRow("typed") << ""
                           << "ab c" << false << "ab ";
    QTest::newRow("three outside the BMP fit")
        << "" << yoshi.repeated(4) << true << yoshi.repeated(3);
    QTest::newRow("a pair is never halved") << "ab" << yoshi + yoshi << true << "ab" + yoshi;
    QTest::newRow("pasted into a full box") << "a" + yoshi + "b"
                                            << "cd" << true << "a" + yoshi + "b";
    QTest::newRow("pasted, cut to fit") << ""
                                        << "xy" + yoshi + "z" << true << "xy" + yoshi;
}

void SettingsTabsTest::nameCutTextHoldsThreeCharacters() {
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(bool, paste);
    QFETCH(QString, kept);
    Form1 window;
    window.show();
    window.tabs()->setCurrentIndex(1);
    auto* edit = window.findChild<QLineEdit*>(QStringLiteral("NameCutText"));
    edit->setText(before);
    QCOMPARE(edit->text(), before);
    edit->setFocus();
    edit->end(false);
    if (paste)
        edit->insert(typed);
    else
        QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), kept);

    // Settings loaded into the box are held to three whole characters too.
    Settings s = window.BuildSettings();
    s.NameCutText = tagwright::FromQt(before + typed);
    window.LoadSettings(s);
    const QString loaded = tagwright::ToQt(window.BuildSettings().NameCutText);
    QString firstThree = before + typed;
    qsizetype end = 0;
    for (int n = 0; n < 3 && end < firstThree.size(); ++n)
        end += firstThree[end].isHighSurrogate() ? 2 : 1;
    firstThree.truncate(end);
    QCOMPARE(loaded, firstThree);
}

void SettingsTabsTest::replacementBoxesRunTheirCheck() {
    Form1 window;
    window.show();
    window.tabs()->setCurrentIndex(1);
    QList<QPair<int, QString>> seen;
    Form1::NamingHooks hooks;
    hooks.checkReplacement = [&seen](int row, const std::string& text) {
        seen.append({row, tagwright::ToQt(text)});
        return text == "<" ? std::string("\uFF1E") : text;
    };
    window.SetNamingHooks(hooks);
    auto* edit = window.findChild<QLineEdit*>(QStringLiteral("Text6_2"));
    edit->clear();
    QTest::keyClicks(edit, QStringLiteral("<"));
    QCOMPARE(edit->text(), QStringLiteral("\uFF1E"));
    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last().first, 2);
    QCOMPARE(window.BuildSettings().conversion[2].replacement, std::string("\uFF1E"));
}

void SettingsTabsTest::ruleButtonsCallTheEditors() {
    Form1 window;
    window.show();
    Form1::NamingHooks hooks;
    hooks.editNamingRule = [](const std::string& rule, int index, const std::string& separator,
                              const std::string& literal) {
        return rule + "|" + std::to_string(index) + "|" + separator + "|" + literal;
    };
    hooks.editFolderRule = [](const std::string& rule, int index, const std::string& literal) {
        return rule + "#" + std::to_string(index) + "#" + literal;
    };
    window.SetNamingHooks(hooks);
    window.findChild<QLineEdit*>(QStringLiteral("OriTxt"))->setText(QStringLiteral("L"));
    window.findChild<QLineEdit*>(QStringLiteral("OriTxt2"))->setText(QStringLiteral("F"));

    window.tabs()->setCurrentIndex(1);
    window.findChild<QPushButton*>(QStringLiteral("FileNameSetBtn_7"))->click();
    QCOMPARE(window.BuildSettings().FileNameSetting, std::string("曲名|7|-|L"));
    window.tabs()->setCurrentIndex(2);
    window.findChild<QPushButton*>(QStringLiteral("FileMovepPlaceBtn_3"))->click();
    QCOMPARE(window.BuildSettings().FileMoveText, std::string("アーティスト\\アルバム\\#3#F"));
}

void SettingsTabsTest::resetButtonRestoresTable() {
    Form1 window;
    window.show();
    window.tabs()->setCurrentIndex(1);
    auto* box5 = window.findChild<QLineEdit*>(QStringLiteral("Text6_5"));
    auto* reset = window.findChild<QPushButton*>(QStringLiteral("Command2"));
    // The naming engine's reset gives the quotation mark its full-width form.
    reset->click();
    QCOMPARE(box5->text(), QStringLiteral("\uFF02"));
    QCOMPARE(window.findChild<QLineEdit*>(QStringLiteral("Text6_0"))->text(), QStringLiteral("_"));
    Form1::NamingHooks hooks;
    hooks.resetTable = [] {
        tagwright::ConversionTable table = tagwright::StartConversionTable();
        table[5].replacement = "q";
        return table;
    };
    window.SetNamingHooks(hooks);
    box5->setText(QStringLiteral("x"));
    reset->click();
    QCOMPARE(box5->text(), QStringLiteral("q"));
}

void SettingsTabsTest::storageFolderBoxAndButtonOpenChooser() {
    Form1 window;
    window.show();
    window.tabs()->setCurrentIndex(2);
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("MP3SaveFolderTxt"));
    auto* button = window.findChild<QPushButton*>(QStringLiteral("Command1"));
    const QString before = box->text();
    int opened = 0;
    for (int round = 0; round < 2; ++round) {
        tagwright::test::WhenModalOpens([&opened](QWidget* modal) {
            QCOMPARE(modal->windowTitle(), QStringLiteral("ファイル保存先"));
            ++opened;
            qobject_cast<QDialog*>(modal)->reject();
        });
        if (round == 0)
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(10, 10));
        else
            button->click();
    }
    QCOMPARE(opened, 2);
    QCOMPARE(box->text(), before);  // Cancel leaves it

    // Only a left click opens it: not a right click, nor a press that dragged over the text.
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&opened] {
        if (QWidget* modal = tagwright::test::ShownDialog(QStringLiteral("DirSelectForm"))) {
            ++opened;
            qobject_cast<QDialog*>(modal)->reject();
        }
    });
    answerer.start(10);
    QTest::mouseClick(box, Qt::RightButton, {}, QPoint(10, 10));
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(5, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(60, 10), box->mapToGlobal(QPointF(60, 10)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(box, &move);
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(60, 10));
    QTest::qWait(50);
    QCOMPARE(opened, 2);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(12, 10));
    QCOMPARE(opened, 3);
}

QTEST_MAIN(SettingsTabsTest)
#include "settings_tabs_test.moc"
