// The window's settings file: what the window saves is what the next start and tagwright-cli
// --settings read, and a damaged or hand-edited file never stops the window from starting.
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "naming/settings_file.h"
#include "platform/file_system.h"
#include "ui/form1.h"
#include "ui/qt_text.h"
#include "ui/settings_store.h"

using tagwright::Form1;
using tagwright::Settings;

class SettingsStoreTest : public QObject {
    Q_OBJECT

  private slots:
    void savedSettingsComeBackInTheWindowAndTheCli();
    void unusableValuesFallBackAndAreNamed();
    void anUnreadableFileIsKeptAsideAndReplaced();
};

void SettingsStoreTest::savedSettingsComeBackInTheWindowAndTheCli() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tagwright.ini"));
    Settings custom;
    custom.tagSource = Settings::TagSource::kId3v1Only;
    custom.priority = Settings::Priority::kId3v1First;
    custom.nameFillBlanks = true;
    custom.Text1[0] = "既定の曲名";
    // Texts QSettings has to quote or escape: a leading @, commas, semicolons, quotes,
    // backslashes, outer blanks, a character outside the BMP.
    custom.FileNameSetting = "@曲名, \"年\"; x ";
    custom.FileMoveText = "アーティスト\\年\\";
    custom.MP3SaveFolderTxt = " /music/𠮷, lib/";
    custom.NameCutText = " ~ ";
    custom.FolderYN = false;
    custom.conversion[3].replacement = "＜＜";

    Form1 first;
    first.LoadSettings(custom);
    first.resize(1000, 720);
    {
        QSettings store(path, QSettings::IniFormat);
        tagwright::SaveWindow(first, store);
    }
    const Settings saved = first.BuildSettings();

    const auto fromCli =
        tagwright::ReadSettingsFile(tagwright::RealFileSystem(), tagwright::FromQt(path));
    QVERIFY(fromCli.ok());
    QVERIFY(fromCli->refused.empty());
    QVERIFY(fromCli->settings == saved);

    Form1 next;
    QSettings store(path, QSettings::IniFormat);
    QCOMPARE(tagwright::RestoreWindow(next, store), QStringList());
    QVERIFY(next.BuildSettings() == saved);
    QCOMPARE(next.size(), first.size());
}

void SettingsStoreTest::unusableValuesFallBackAndAreNamed() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("edited.ini"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "[Tags]\nSource=v9\n[Rules]\nFileNameSetting=年\nNameCutText=a, b\n"
        "[Storage]\nFolderYN=@Variant(\\0\\0\\0\\x1\\x1)\n");
    file.close();

    Form1 window;
    QSettings store(path, QSettings::IniFormat);
    const QStringList problems = tagwright::RestoreWindow(window, store);
    QCOMPARE(problems.size(), 3);
    QVERIFY(problems.contains(QStringLiteral("Tags/Source=v9")));
    Settings want;
    want.FileNameSetting = "年";
    QVERIFY(window.BuildSettings() == want);
}

void SettingsStoreTest::anUnreadableFileIsKeptAsideAndReplaced() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.ini"));
    const QByteArray damaged("\x00\xFF[Rules\n\"=\\\n[[[\n=\n\xFE\xFF", 20);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();

    Form1 window;
    {
        QSettings store(path, QSettings::IniFormat);
        tagwright::RestoreWindow(window, store);
        QVERIFY(window.BuildSettings() == Settings{});
        const bool unreadable = store.status() == QSettings::FormatError;
        tagwright::SaveWindow(window, store);
        if (unreadable) {
            QFile kept(path + QStringLiteral(".bad"));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), damaged);
        }
    }
    Form1 next;
    QSettings store(path, QSettings::IniFormat);
    QCOMPARE(tagwright::RestoreWindow(next, store), QStringList());
}

QTEST_MAIN(SettingsStoreTest)
#include "settings_store_test.moc"
