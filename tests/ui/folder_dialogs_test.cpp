// The folder chooser "ファイル保存先" and the search dialog "MP3File検索&追加": the opened
// folder (not the highlighted one) is what they act on, OK and Cancel, the special-folder
// buttons, the drive list's snap-back, and their state kept while hidden.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "ui/dir_select_form.h"
#include "ui/folder_lists.h"
#include "ui/form1.h"
#include "ui/search_form.h"
#include "ui_test_support.h"

using tagwright::DirSelectForm;
using tagwright::FolderLists;
using tagwright::SearchForm;

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QTreeWidgetItem* ChildNamed(QTreeWidget* tree, const QString& name) {
    const QList<QTreeWidgetItem*> found =
        tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

}  // namespace

class FolderDialogsTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void dialogShapes_data();
    void dialogShapes();
    void noControlIsCutOrOverlapped();
    void okWritesOpenedFolderWithOneSeparator_data();
    void okWritesOpenedFolderWithOneSeparator();
    void highlightedFolderIsNotTheOpenedOne();
    void enterOpensAndDoesNotPressOk();
    void chooserOpensAfreshAtTheBoxFolder();
    void pictureButtonsJumpToSpecialFolders();
    void unreadableDriveSnapsBack();
    void searchRequestFollowsControls();
    void searchRunsUnderBusyPointerThenHides();
    void searchCancelDoesNothing();

  private:
    QTemporaryDir m_home;
    QString m_tree;  // <home>/tree with the folders a, a/a1, b
};

void FolderDialogsTest::initTestCase() {
    QVERIFY(m_home.isValid());
    // The special folders come from the user's home; point it at a folder we control.
    QDir home(m_home.path());
    for (const char* sub : {"Desktop", "Documents", "config", "tree/a/a1", "tree/b"})
        QVERIFY(home.mkpath(QLatin1String(sub)));
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    m_tree = Native(home.filePath(QStringLiteral("tree")));
}

void FolderDialogsTest::dialogShapes_data() {
    QTest::addColumn<bool>("search");  // else the folder chooser
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("OK") << false << "Command1_0"
                        << "OK";
    QTest::newRow("Cancel") << false << "Command1_1"
                            << "Cancel";
    QTest::newRow("desktop") << false << "Command1_2"
                             << "";
    QTest::newRow("documents") << false << "Command1_3"
                               << "";
    QTest::newRow("search") << true << "Command1_0"
                            << "MP3File　Search！！";
    QTest::newRow("search cancel") << true << "Command1_1"
                                   << "Cancel";
    QTest::newRow("Check1") << true << "Check1"
                            << "サブフォルダ以下も探す。";
    QTest::newRow("by extension") << true << "Option1_0"
                                  << "拡張子MP3のみ探す。";
    QTest::newRow("by tags") << true << "Option1_1"
                             << "タグ情報を読みMP3を探す";
    QTest::newRow("Label1") << true << "Label1"
                            << "拡張子mp3は必ずリストに加わります。";
    QTest::newRow("search desktop") << true << "Command1_2"
                                    << "";
}

void FolderDialogsTest::dialogShapes() {
    QFETCH(bool, search);
    QFETCH(QString, name);
    QFETCH(QString, text);
    QLineEdit box;
    std::unique_ptr<QDialog> dialog;
    if (search)
        dialog = std::make_unique<SearchForm>(nullptr);
    else
        dialog = std::make_unique<DirSelectForm>(&box, nullptr);
    QCOMPARE(dialog->windowTitle(),
             search ? QStringLiteral("MP3File検索&追加") : QStringLiteral("ファイル保存先"));
    // 5700 or 4680 twips by 3195, fixed, modal, without minimize or maximize buttons.
    QCOMPARE(dialog->size(), search ? QSize(380, 213) : QSize(312, 213));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QVERIFY(dialog->isModal());
    QVERIFY(
        !(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    auto* widget = dialog->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(tagwright::test::ShownText(widget), text);
    if (auto* button = qobject_cast<QPushButton*>(widget); button && text.isEmpty())
        QVERIFY(!button->icon().isNull());
    QCOMPARE(dialog->findChild<QWidget*>(QStringLiteral("Drive1"))->geometry(),
             QRect(2, 2, 211, 20));
    QCOMPARE(dialog->findChild<QWidget*>(QStringLiteral("Dir1"))->geometry(),
             QRect(2, 24, 209, 188));
}

void FolderDialogsTest::noControlIsCutOrOverlapped() {
    tagwright::Form1 window;
    window.show();
    for (QDialog* dialog : {static_cast<QDialog*>(&window.searchForm()),
                            static_cast<QDialog*>(&window.dirSelectForm())}) {
        dialog->show();
        const QStringList problems = tagwright::test::LayoutProblems(dialog);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
        dialog->hide();
    }
}

void FolderDialogsTest::okWritesOpenedFolderWithOneSeparator_data() {
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("written");
    QTest::newRow("root") << QDir::rootPath() << Native(QDir::rootPath());
    QTest::newRow("folder") << m_tree + "/a" << Native(m_tree + "/a/");
    QTest::newRow("opened with a separator") << m_tree + "/b/" << Native(m_tree + "/b/");
}

void FolderDialogsTest::okWritesOpenedFolderWithOneSeparator() {
    QFETCH(QString, open);
    QFETCH(QString, written);
    QLineEdit box(QStringLiteral("before"));
    DirSelectForm form(&box, nullptr);
    QVERIFY(form.lists().OpenFolder(open));
    form.show();
    form.command(0)->click();
    QCOMPARE(box.text(), written);
    QVERIFY(!form.isVisible());
}

void FolderDialogsTest::highlightedFolderIsNotTheOpenedOne() {
    QLineEdit box;
    DirSelectForm form(&box, nullptr);
    form.show();
    QVERIFY(form.lists().OpenFolder(m_tree));
    QTreeWidget* tree = form.lists().folders();
    QTreeWidgetItem* a = ChildNamed(tree, QStringLiteral("a"));
    QVERIFY(a != nullptr);
    // A single click only highlights.
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(a).center());
    QCOMPARE(tree->currentItem(), a);
    QCOMPARE(form.lists().CurrentFolder(), m_tree);
    form.command(0)->click();
    QCOMPARE(box.text(), Native(m_tree + "/"));

    // A double click opens.
    form.show();
    a = ChildNamed(tree, QStringLiteral("a"));
    const QPoint at = tree->visualItemRect(a).center();
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(form.lists().CurrentFolder(), Native(m_tree + "/a"));
    QVERIFY(ChildNamed(tree, QStringLiteral("a1")) != nullptr);
    QVERIFY(ChildNamed(tree, QStringLiteral("b")) == nullptr);
}

void FolderDialogsTest::enterOpensAndDoesNotPressOk() {
    QLineEdit box(QStringLiteral("before"));
    DirSelectForm form(&box, nullptr);
    form.show();
    QVERIFY(form.lists().OpenFolder(m_tree));
    QTreeWidget* tree = form.lists().folders();
    tree->setFocus();
    tree->setCurrentItem(ChildNamed(tree, QStringLiteral("b")));
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(form.lists().CurrentFolder(), Native(m_tree + "/b"));
    QVERIFY(form.isVisible());
    QCOMPARE(box.text(), QStringLiteral("before"));
    // Going up: the chain above the opened folder opens its parents.
    tree->setCurrentItem(ChildNamed(tree, QStringLiteral("tree")));
    QTest::keyClick(tree, Qt::Key_Enter);
    QCOMPARE(form.lists().CurrentFolder(), m_tree);
}

void FolderDialogsTest::chooserOpensAfreshAtTheBoxFolder() {
    tagwright::Form1 window;
    window.show();
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("MP3SaveFolderTxt"));
    box->setText(Native(m_tree + "/a/"));
    DirSelectForm* first = &window.dirSelectForm();
    QString shownAt;
    bool listsHaveFocus = false;
    tagwright::test::WhenModalOpens([&, first](QWidget* modal) {
        QCOMPARE(modal, static_cast<QWidget*>(first));
        shownAt = first->lists().CurrentFolder();
        listsHaveFocus = first->focusWidget() == first->lists().folders();
        first->lists().OpenFolder(m_tree + "/b");
        first->command(1)->click();
    });
    window.ShowDirSelectForm();
    QCOMPARE(shownAt, Native(m_tree + "/a"));
    QVERIFY(listsHaveFocus);
    QCOMPARE(box->text(), Native(m_tree + "/a/"));
    QVERIFY(!first->isVisible());

    // Folders made while it was hidden (as a move makes them) are listed at the next opening,
    // which starts at the box's folder again, not where Cancel left it. A box naming a folder
    // not made yet opens at what there is of it.
    QVERIFY(QDir(m_tree).mkpath(QStringLiteral("a/new")));
    for (const QString& inBox : {Native(m_tree + "/a/"), Native(m_tree + "/a/not/yet/")}) {
        box->setText(inBox);
        bool listed = false;
        tagwright::test::WhenModalOpens([&](QWidget*) {
            DirSelectForm& form = window.dirSelectForm();
            shownAt = form.lists().CurrentFolder();
            listed = ChildNamed(form.lists().folders(), QStringLiteral("new")) != nullptr;
            form.command(0)->click();
        });
        window.ShowDirSelectForm();
        QCOMPARE(&window.dirSelectForm(), first);
        QCOMPARE(shownAt, Native(m_tree + "/a"));
        QVERIFY(listed);
        QCOMPARE(box->text(), Native(m_tree + "/a/"));
    }
    QVERIFY(QDir(m_tree).rmdir(QStringLiteral("a/new")));
}

void FolderDialogsTest::pictureButtonsJumpToSpecialFolders() {
    for (int kind = 0; kind < 2; ++kind) {
        QLineEdit box;
        DirSelectForm chooser(&box, nullptr);
        SearchForm search(nullptr);
        for (QDialog* dialog : {static_cast<QDialog*>(&chooser), static_cast<QDialog*>(&search)}) {
            FolderLists& lists = dialog == &chooser ? chooser.lists() : search.lists();
            QPushButton* desktop = dialog == &chooser ? chooser.command(2) : search.command(2);
            QPushButton* documents = dialog == &chooser ? chooser.command(3) : search.command(3);
            dialog->show();
            QVERIFY(lists.OpenFolder(QDir::rootPath()));
            const int drive = lists.drives()->currentIndex();
            (kind == 0 ? desktop : documents)->click();
            const QString expected =
                Native(m_home.path() + (kind == 0 ? "/Desktop" : "/Documents"));
            QCOMPARE(lists.CurrentFolder(), expected);
            QVERIFY(dialog->isVisible());  // the dialog stays open
            QCOMPARE(lists.drives()->currentIndex(), drive);
        }
    }
}

void FolderDialogsTest::unreadableDriveSnapsBack() {
    QLineEdit box;
    DirSelectForm form(&box, nullptr);
    FolderLists& lists = form.lists();
    QVERIFY(lists.OpenFolder(m_tree));
    const int drive = lists.drives()->currentIndex();
    QVERIFY(drive >= 0);
    lists.drives()->addItem(Native(m_home.path() + "/no-medium"));
    const int missing = lists.drives()->count() - 1;
    lists.drives()->setCurrentIndex(missing);
    lists.ChooseDrive(missing);
    QCOMPARE(lists.CurrentFolder(), m_tree);
    QCOMPARE(lists.drives()->currentIndex(), drive);

    // Picking the drive already shown keeps the folder; another readable one opens at its
    // root.
    QVERIFY(lists.OpenFolder(m_tree + "/a"));
    lists.ChooseDrive(drive);
    QCOMPARE(lists.CurrentFolder(), Native(m_tree + "/a"));
    lists.drives()->addItem(m_tree + QDir::separator() + QStringLiteral("b"));
    const int other = lists.drives()->count() - 1;
    lists.ChooseDrive(other);
    QCOMPARE(lists.CurrentFolder(), Native(m_tree + "/b"));
}

void FolderDialogsTest::searchRequestFollowsControls() {
    SearchForm form(nullptr);
    QVERIFY(form.lists().OpenFolder(m_tree));
    SearchForm::Request request = form.CurrentRequest();
    QCOMPARE(request.folder, m_tree);
    QCOMPARE(request.extensionFilter, QStringLiteral("mp3"));
    QVERIFY(!request.includeSubfolders);

    form.findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);
    form.findChild<QRadioButton*>(QStringLiteral("Option1_1"))->setChecked(true);
    request = form.CurrentRequest();
    QCOMPARE(request.extensionFilter, QString());
    QVERIFY(request.includeSubfolders);
    QVERIFY(!form.findChild<QRadioButton*>(QStringLiteral("Option1_0"))->isChecked());
}

void FolderDialogsTest::searchRunsUnderBusyPointerThenHides() {
    tagwright::Form1 window;
    window.show();
    SearchForm& form = window.searchForm();
    QVERIFY(form.lists().OpenFolder(m_tree));
    QStringList received;
    bool busy = false;
    connect(&window, &tagwright::Form1::searchRequested, this,
            [&](const QString& folder, const QString& filter, bool subfolders) {
                received << folder << filter << (subfolders ? "sub" : "flat");
                busy = QApplication::overrideCursor() != nullptr &&
                       QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            });
    bool listsHaveFocus = false;
    tagwright::test::WhenModalOpens([&form, &listsHaveFocus](QWidget*) {
        // Arrow keys, Enter and typing reach the folder list at once.
        listsHaveFocus = form.focusWidget() == form.lists().folders();
        // Highlighting a folder does not change what is searched.
        QTreeWidget* tree = form.lists().folders();
        tree->setCurrentItem(ChildNamed(tree, QStringLiteral("a")));
        form.command(0)->click();
    });
    window.ShowSearchForm();
    QVERIFY(listsHaveFocus);
    QCOMPARE(received, QStringList({m_tree, QStringLiteral("mp3"), QStringLiteral("flat")}));
    QVERIFY(busy);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(!form.isVisible());
}

void FolderDialogsTest::searchCancelDoesNothing() {
    tagwright::Form1 window;
    window.show();
    QSignalSpy spy(&window, &tagwright::Form1::searchRequested);
    tagwright::test::WhenModalOpens(
        [&window](QWidget*) { window.searchForm().command(1)->click(); });
    window.ShowSearchForm();
    QCOMPARE(spy.count(), 0);
    QVERIFY(!window.searchForm().isVisible());
}

QTEST_MAIN(FolderDialogsTest)
#include "folder_dialogs_test.moc"
