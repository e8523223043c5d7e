// The window's commands run through the core on real files: drops, the search, the popup
// menu, the Delete key, and the rename and move batches started by their buttons.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"
#include "ui/folder_lists.h"
#include "ui/form1.h"
#include "ui/preview_dialog.h"
#include "ui/qt_text.h"
#include "ui/search_form.h"
#include "ui/skipped_entries_dialog.h"
#include "ui/tab_control.h"
#include "ui_test_support.h"

using tagwright::Form1;
using tagwright::FromQt;
using tagwright::ListStore;
using tagwright::ToQt;
using tagwright::test::B;
using tagwright::test::FsOp;
using tagwright::test::TempDir;

namespace {

namespace fs = std::filesystem;

// An MP3 file with an ID3v1.1 tag: the tag kind "v1.1".
std::vector<std::uint8_t> Song(const std::string& title, const std::string& artist,
                               const std::string& album = "Alb") {
    using namespace tagwright::test;
    return Cat({Audio(256), Id3v1Trailer({B(title), B(artist), B(album), B("2001"), {}, 1, 0})});
}

QStringList Column(const ListStore& store, int column) {
    QStringList cells;
    for (int r = 1; r < store.RowCount(); ++r)
        cells.append(ToQt(store.Cell(r, column)));
    return cells;
}

void Drop(Form1& window, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls.append(QUrl::fromLocalFile(ToQt(p)));
    data.setUrls(urls);
    QWidget* viewport = window.table()->viewport();
    const QPoint at(30, 30);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    // The drop's work waits for the event loop; it is done when this returns.
    QApplication::sendPostedEvents(&window, QEvent::MetaCall);
}

void Click(Form1& window, const char* name) {
    auto* button = window.findChild<QAbstractButton*>(QLatin1String(name));
    QVERIFY2(button != nullptr, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void Trigger(Form1& window, const QString& name) {
    for (QAction* action : window.popupMenu()->findChildren<QAction*>()) {
        if (action->objectName() == name) {
            action->trigger();
            return;
        }
    }
    QFAIL(qPrintable(name));
}

void Type(Form1& window, const char* box, const QString& text) {
    auto* edit = window.findChild<QLineEdit*>(QLatin1String(box));
    QVERIFY2(edit != nullptr, box);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Lists the files of `folder` and types `storage` as the storage folder, the Set2 tab in front.
void ListForMove(Form1& window, const std::string& folder, const std::string& storage) {
    Drop(window, {folder});
    window.tabs()->setCurrentIndex(2);
    Type(window, "MP3SaveFolderTxt", ToQt(storage));
}

// Answers every modal window of one name while it lives, and counts them.
class ModalAnswerer {
  public:
    ModalAnswerer(const QString& name, std::function<void(QWidget*)> answer) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, name, answer] {
            QWidget* modal = tagwright::test::ShownDialog(name);
            if (modal == nullptr)
                return;
            ++m_count;
            answer(modal);
        });
        m_timer.start(10);
    }
    int count() const { return m_count; }

  private:
    QTimer m_timer;
    int m_count = 0;
};

// Reads what every shown entry-list dialog of one name says, and closes it.
class EntryListReader {
  public:
    explicit EntryListReader(const QString& name)
        : m_answerer(name, [this](QWidget* modal) {
              auto* dialog = qobject_cast<tagwright::EntryListDialog*>(modal);
              summary = dialog->summary()->text();
              entries = dialog->entries()->toPlainText();
              dialog->accept();
          }) {}
    int count() const { return m_answerer.count(); }

    QString summary, entries;

  private:
    ModalAnswerer m_answerer;
};

}  // namespace

class Form1CommandsTest : public QObject {
    Q_OBJECT

  private slots:
    void dropAddsFilesAndFoldersInOrder();
    void dropOfUnreadableFolderTellsWhatWasSkipped();
    void searchTellsSkippedEntriesAfterItsDialogCloses();
    void searchFollowsTheDialogsControls();
    void popupCommands_data();
    void popupCommands();
    void deleteKey_data();
    void deleteKey();
    void renameByButtonWithRuleAndDefaultsFromControls();
    void moveByButtonAsksBeforeCreatingFolders_data();
    void moveByButtonAsksBeforeCreatingFolders();
    void appendsReachTheViewOneChunkAtATime();
    void draggedColumnWidthsOutliveRemovals();
    void batchTellsWhatTheFileSystemRefused_data();
    void batchTellsWhatTheFileSystemRefused();
    void moveStopsWhileTheFolderQuestionIsUp_data();
    void moveStopsWhileTheFolderQuestionIsUp();
    void previewShowsThePlanAndChangesNothing_data();
    void previewShowsThePlanAndChangesNothing();
    void manualFoundInBuildOrInstallTree();
    void undoByPopupBringsFilesAndRowsBack_data();
    void undoByPopupBringsFilesAndRowsBack();
};

void Form1CommandsTest::dropAddsFilesAndFoldersInOrder() {
    TempDir dir;
    const std::string one = dir.Write("one.mp3", Song("One", "A"));
    dir.Write("x.txt", "not a song");
    dir.Write("album/two.mp3", Song("Two", "A"));
    dir.Write("album/notes.txt", "no");
    dir.Write("album/sub/three.MP3", std::vector<std::uint8_t>{});
    Form1 window;
    window.show();
    ModalAnswerer noDialog(QStringLiteral("SkippedEntries"),
                           [](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });

    Drop(window, {one, dir / "album", dir / "x.txt"});
    const ListStore& store = window.store();
    QCOMPARE(Column(store, ListStore::kFileName), QStringList({"one.mp3", "two.mp3", "three.MP3"}));
    QCOMPARE(Column(store, ListStore::kTagType), QStringList({"v1.1", "v1.1", ""}));
    QCOMPARE(store.Cell(1, ListStore::kPath), one);
    QCOMPARE(window.table()->model()->rowCount(), 3);
    QCOMPARE(window.fileCountLabel()->text(), QStringLiteral("3"));
    QCOMPARE(window.table()->currentIndex().row(), 0);

    // The same file again is not listed a second time.
    Drop(window, {one});
    QCOMPARE(Column(store, ListStore::kFileName).last(), QStringLiteral("three.MP3"));
    QCOMPARE(window.fileCountLabel()->text(), QStringLiteral("3"));
    QTest::qWait(50);
    QCOMPARE(noDialog.count(), 0);
}

void Form1CommandsTest::dropOfUnreadableFolderTellsWhatWasSkipped() {
    TempDir dir;
    dir.Write("a/x.mp3", Song("X", "A"));
    dir.Write("a/locked/y.mp3", Song("Y", "A"));
    dir.Write("a/z/w.mp3", Song("W", "A"));
    tagwright::test::FaultFileSystem faults;
    faults.Refuse(FsOp::kListFolder, "locked");
    Form1 window(faults);
    window.show();
    EntryListReader told(QStringLiteral("SkippedEntries"));

    Drop(window, {dir / "a"});
    QStringList names = Column(window.store(), ListStore::kFileName);
    names.sort();
    QCOMPARE(names, QStringList({"w.mp3", "x.mp3"}));
    QTRY_COMPARE(told.count(), 1);
    QCOMPARE(told.summary, QStringLiteral("読み込めなかった項目があります（1 件）"));
    QCOMPARE(told.entries, ToQt(dir / "a/locked") + QStringLiteral(": Permission denied"));
}

void Form1CommandsTest::searchTellsSkippedEntriesAfterItsDialogCloses() {
    TempDir dir;
    dir.Write("a/x.mp3", Song("X", "A"));
    dir.Write("a/locked/y.mp3", Song("Y", "A"));
    dir.Write("a/b/w.mp3", Song("W", "A"));
    tagwright::test::FaultFileSystem faults;
    faults.Refuse(FsOp::kListFolder, "locked");
    Form1 window(faults);
    window.show();
    tagwright::SearchForm& search = window.searchForm();
    QVERIFY(search.lists().OpenFolder(ToQt(dir / "a")));
    search.findChild<QCheckBox*>(QStringLiteral("Check1"))->setChecked(true);

    Qt::CursorShape duringSearch = Qt::ArrowCursor;
    connect(&window, &Form1::searchRequested, this, [&duringSearch] {
        if (const QCursor* cursor = QApplication::overrideCursor())
            duringSearch = cursor->shape();
    });
    bool searchStillShown = true;
    QString entries;
    ModalAnswerer told(QStringLiteral("SkippedEntries"), [&](QWidget* modal) {
        searchStillShown = window.searchForm().isVisible();
        entries = qobject_cast<tagwright::SkippedEntriesDialog*>(modal)->entries()->toPlainText();
        qobject_cast<QDialog*>(modal)->accept();
    });
    for (int round = 0; round < 2; ++round) {
        tagwright::test::WhenModalOpens(
            [](QWidget* modal) {
                QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("Command1_0")),
                                  Qt::LeftButton);
            },
            QStringLiteral("SearchForm"));
        Click(window, "Command4");
        QCOMPARE(duringSearch, Qt::WaitCursor);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // The second search finds nothing to skip and tells nothing.
        faults.ClearFaults();
    }
    QCOMPARE(told.count(), 1);
    QVERIFY(!searchStillShown);
    QVERIFY(entries.startsWith(ToQt(dir / "a/locked") + QStringLiteral(": ")));
    // 2, then the one the first search could not read; the others are listed already.
    QCOMPARE(window.fileCountLabel()->text(), QStringLiteral("3"));
}

// The dialog's controls decide the search: at first the opened folder's mp3 files only; a
// greyed tick counts as ticked, and by tags adds tagged files of any name.
void Form1CommandsTest::searchFollowsTheDialogsControls() {
    using namespace tagwright::test;
    TempDir dir;
    dir.Write("a.mp3", Audio(300));
    dir.Write("tagged.dat", Cat({Id3v2Tag(3, {}), Audio(300)}));
    dir.Write("Sub/b.mp3", Audio(300));
    Form1 window;
    window.show();
    tagwright::SearchForm& search = window.searchForm();
    QVERIFY(search.lists().OpenFolder(ToQt(dir.path())));
    const auto searchOnce = [&window] {
        WhenModalOpens(
            [](QWidget* modal) {
                QTest::mouseClick(modal->findChild<QPushButton*>(QStringLiteral("Command1_0")),
                                  Qt::LeftButton);
            },
            QStringLiteral("SearchForm"));
        Click(window, "Command4");
    };
    searchOnce();
    QCOMPARE(Column(window.store(), ListStore::kFileName), QStringList({"a.mp3"}));
    QCOMPARE(window.fileCountLabel()->text(), QStringLiteral("1"));

    auto* check1 = search.findChild<QCheckBox*>(QStringLiteral("Check1"));
    check1->setTristate(true);
    check1->setCheckState(Qt::PartiallyChecked);
    search.findChild<QRadioButton*>(QStringLiteral("Option1_1"))->setChecked(true);
    searchOnce();
    // a.mp3 is listed already; the sub-folder's file and the tagged one join it.
    QCOMPARE(Column(window.store(), ListStore::kFileName),
             QStringList({"a.mp3", "tagged.dat", "b.mp3"}));
}

void Form1CommandsTest::popupCommands_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("left");
    // Rows: a (R ○, M ×, v1.0), b (R ×, M ○, v2), c (no marks, no tag), d (○, ○, v1.1&v2).
    QTest::newRow("rename failed") << "mnuDelRename_0" << QStringList{"a", "c", "d"};
    QTest::newRow("rename done") << "mnuDelRename_1" << QStringList{"b", "c"};
    QTest::newRow("move failed") << "mnuDelFMove_0" << QStringList{"b", "c", "d"};
    QTest::newRow("move done") << "mnuDelFMove_1" << QStringList{"a", "c"};
    QTest::newRow("no tag") << "mnuDelTagV_0" << QStringList{"a", "b", "d"};
    QTest::newRow("v1 and v1.1 alone") << "mnuDelTagV_1" << QStringList{"b", "c", "d"};
    QTest::newRow("v2 alone") << "mnuDelTagV_2" << QStringList{"a", "c", "d"};
    QTest::newRow("all files") << "mnuDelAll" << QStringList{};
    QTest::newRow("descending") << "mnuSortFileName_1" << QStringList{"d", "c", "b", "a"};
}

void Form1CommandsTest::popupCommands() {
    QFETCH(QString, action);
    QFETCH(QStringList, left);
    Form1 window;
    window.show();
    ListStore& store = window.store();
    const char* rows[][4] = {{"a", "\u25CB", "\u00D7", "v1.0"},
                             {"b", "\u00D7", "\u25CB", "v2"},
                             {"c", "", "", ""},
                             {"d", "\u25CB", "\u25CB", "v1.1&v2"}};
    for (const auto& row : rows) {
        store.AppendFileRow(row[0], 0, std::string("/x/") + row[0]);
        store.SetCell(store.RowCount() - 1, ListStore::kTagType, row[3]);
        store.SetCell(store.RowCount() - 1, ListStore::kR, row[1]);
        store.SetCell(store.RowCount() - 1, ListStore::kM, row[2]);
    }
    store.UpdateFileCount();
    window.table()->setCurrentIndex(window.table()->model()->index(0, ListStore::kFileName));

    Trigger(window, action);
    QCOMPARE(Column(store, ListStore::kFileName), left);
    QCOMPARE(window.table()->model()->rowCount(), static_cast<int>(left.size()));
    QCOMPARE(window.fileCountLabel()->text(), QString::number(left.size()));
    QCOMPARE(window.table()->model()->index(0, ListStore::kFileName).data().toString(),
             left.value(0));
}

void Form1CommandsTest::deleteKey_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("shiftClickRow");  // -1: no selection beyond the cursor
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<QString>("count");
    QTest::newRow("three rows, cursor on the second") << 3 << -1 << QStringList{"a", "c"} << "2";
    // The only row stays as the placeholder, emptied.
    QTest::newRow("one row") << 1 << -1 << QStringList{""} << "1";
    QTest::newRow("shift-click down") << 6 << 5 << QStringList{"a", "b", "c"} << "3";
    QTest::newRow("shift-click up") << 6 << 0 << QStringList{"e", "f"} << "2";
}

void Form1CommandsTest::deleteKey() {
    QFETCH(int, rows);
    QFETCH(int, shiftClickRow);
    QFETCH(QStringList, left);
    QFETCH(QString, count);
    TempDir dir;
    const std::string song = dir.Write("s.mp3", Song("S", "A"));
    Form1 window;
    window.show();
    ListStore& store = window.store();
    for (int i = 0; i < rows; ++i) {
        const std::string name(1, static_cast<char>('a' + i));
        store.AppendFileRow(name, 0, "/x/" + name);
    }
    store.UpdateFileCount();
    QTableView* table = window.table();
    table->setCurrentIndex(table->model()->index(rows / 2, ListStore::kTagType));
    if (shiftClickRow >= 0) {
        const QRect cell =
            table->visualRect(table->model()->index(shiftClickRow, ListStore::kFileName));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier, cell.center());
    }
    QTest::keyClick(table, Qt::Key_Delete);
    QCOMPARE(Column(store, ListStore::kFileName), left);
    QCOMPARE(store.Cell(1, ListStore::kPath).empty(), rows == 1);
    QCOMPARE(table->model()->rowCount(), static_cast<int>(left.size()));
    QCOMPARE(window.fileCountLabel()->text(), count);
    QVERIFY(table->currentIndex().isValid());
    QCOMPARE(table->currentIndex().row() + 1, window.grid().CurrentRow());

    // A drop after deleting the only row fills that row first.
    Drop(window, {song});
    QCOMPARE(Column(store, ListStore::kFileName).last(), QStringLiteral("s.mp3"));
    QCOMPARE(store.RowCount(), rows == 1 ? 2 : static_cast<int>(left.size()) + 2);
}

void Form1CommandsTest::renameByButtonWithRuleAndDefaultsFromControls() {
    TempDir dir;
    dir.Write("s1.mp3", Song("Song", "Art"));
    dir.Write("s2.mp3", Song("Other", ""));
    Form1 window;
    window.show();
    Drop(window, {dir.path()});
    ListStore& store = window.store();
    window.table()->setCurrentIndex(window.table()->model()->index(0, ListStore::kFileName));
    Trigger(window, QStringLiteral("mnuSortFileName_0"));

    // The naming rule from its buttons, blank fields filled, the artist default typed with a
    // character that file names may not hold.
    window.tabs()->setCurrentIndex(1);
    for (const char* button : {"FileNameSetBtn_6", "FileNameSetBtn_2", "FileNameSetBtn_0"})
        Click(window, button);
    QCOMPARE(window.BuildSettings().FileNameSetting, std::string("アーティスト-曲名"));
    Click(window, "Option2_1");
    Type(window, "Text1_3", QStringLiteral("Nobody?"));

    // Rows are written while the bar is up, and the bar is gone afterwards.
    window.tabs()->setCurrentIndex(0);
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    int writtenUnderBar = 0;
    connect(window.table()->model(), &QAbstractItemModel::dataChanged, this,
            [&] { writtenUnderBar += bar->isVisible() ? 1 : 0; });
    Click(window, "ReNameBtn");
    QVERIFY(writtenUnderBar > 0);
    QVERIFY(!bar->isVisible());
    QVERIFY(window.fileCountLabel()->isVisible());

    QVERIFY(fs::exists(dir / "Art-Song.mp3"));
    QVERIFY(fs::exists(dir / "Nobody\uFF1F-Other.mp3"));
    QVERIFY(!fs::exists(dir / "s1.mp3") && !fs::exists(dir / "s2.mp3"));
    QCOMPARE(Column(store, ListStore::kR), QStringList({"\u25CB", "\u25CB"}));
    QCOMPARE(Column(store, ListStore::kNewName),
             QStringList({"Art-Song.mp3", "Nobody\uFF1F-Other.mp3"}));
    QCOMPARE(store.Cell(2, ListStore::kPath), dir / "Nobody\uFF1F-Other.mp3");

    // "名前を変更しない": the blank artist now refuses the second file and leaves it alone.
    window.tabs()->setCurrentIndex(1);
    Click(window, "Option2_0");
    Click(window, "ReNameBtn");
    QCOMPARE(Column(store, ListStore::kR), QStringList({"\u25CB", "\u00D7"}));
    QCOMPARE(Column(store, ListStore::kNewName),
             QStringList({"Art-Song.mp3", "Faild:lack of TagInfo"}));
    QVERIFY(fs::exists(dir / "Nobody\uFF1F-Other.mp3"));
}

void Form1CommandsTest::moveByButtonAsksBeforeCreatingFolders_data() {
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("questions");
    // After OK the second file finds its folders made; after Cancel it is refused for the same
    // folder without a second question.
    QTest::newRow("OK") << true << 1;
    QTest::newRow("Cancel") << false << 1;
}

void Form1CommandsTest::moveByButtonAsksBeforeCreatingFolders() {
    QFETCH(bool, ok);
    QFETCH(int, questions);
    TempDir dir;
    dir.Write("in/t1.mp3", Song("T1", "Art", "Alb"));
    dir.Write("in/t2.mp3", Song("T2", "Art", "Alb"));
    const std::string storage = dir.MakeFolder("music") + "/";
    Form1 window;
    window.show();
    ListForMove(window, dir / "in", storage);

    QStringList prompts;
    QString title;
    bool noIcon = true;
    ModalAnswerer answerer(QStringLiteral("FolderQuestion"), [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        prompts.append(box->text());
        title = box->windowTitle();
        noIcon = noIcon && box->icon() == QMessageBox::NoIcon;
        box->button(ok ? QMessageBox::Ok : QMessageBox::Cancel)->click();
    });
    window.tabs()->setCurrentIndex(0);
    Click(window, "MoveBtn");

    QCOMPARE(answerer.count(), questions);
    QCOMPARE(prompts.first(), QStringLiteral("フォルダがありません。作成しますか？\r\n") +
                                  ToQt(storage) + QStringLiteral("Art/Alb/"));
    QCOMPARE(title, QStringLiteral("フォルダの作成"));
    QVERIFY(noIcon);
    const ListStore& store = window.store();
    const QString mark = ok ? QStringLiteral("\u25CB") : QStringLiteral("\u00D7");
    QCOMPARE(Column(store, ListStore::kM), QStringList({mark, mark}));
    QCOMPARE(fs::exists(storage + "Art"), ok);
    for (int row = 1; row <= 2; ++row) {
        const std::string name = store.Cell(row, ListStore::kFileName);
        const std::string expected = ok ? storage + "Art/Alb/" + name : dir / ("in/" + name);
        QCOMPARE(store.Cell(row, ListStore::kPath), expected);
        QVERIFY(fs::exists(expected));
    }
}

void Form1CommandsTest::appendsReachTheViewOneChunkAtATime() {
    Form1 window;
    window.show();
    QTableView* table = window.table();
    QCOMPARE(table->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QSignalSpy inserted(table->model(), &QAbstractItemModel::rowsInserted);

    std::vector<tagwright::FileRow> rows(100000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].fileName = std::to_string(i) + ".mp3";
        rows[i].path = "/x/" + std::to_string(i) + ".mp3";
    }
    window.store().AppendFileRows(std::move(rows));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(table->model()->rowCount(), 100000);

    // A dropped folder's files come in chunks, not one by one; how many chunks depends on how
    // fast they are found.
    TempDir dir;
    for (int i = 0; i < 2500; ++i)
        dir.Write("many/" + std::to_string(i) + ".mp3", std::vector<std::uint8_t>{});
    inserted.clear();
    Drop(window, {dir / "many"});
    QCOMPARE(table->model()->rowCount(), 102500);
    QVERIFY2(inserted.count() <= 50, qPrintable(QString::number(inserted.count())));

    // So do files dropped one by one, and the view knows all of them once the drop is done.
    std::vector<std::string> files;
    for (int i = 0; i < 2500; ++i)
        files.push_back(
            dir.Write("one/" + std::to_string(i) + ".mp3", std::vector<std::uint8_t>{}));
    inserted.clear();
    Drop(window, files);
    QCOMPARE(table->model()->rowCount(), 105000);
    QVERIFY2(inserted.count() <= 50, qPrintable(QString::number(inserted.count())));
    QCOMPARE(table->model()->index(104999, ListStore::kFileName).data().toString(),
             QStringLiteral("2499.mp3"));
}

void Form1CommandsTest::draggedColumnWidthsOutliveRemovals() {
    Form1 window;
    window.show();
    ListStore& store = window.store();
    for (const char* name : {"a", "b", "c", "d"})
        store.AppendFileRow(name, name == std::string("a") ? 0 : 8, std::string("/x/") + name);
    store.UpdateFileCount();
    QTableView* table = window.table();
    QHeaderView* header = table->horizontalHeader();
    header->resizeSection(ListStore::kFileName, 250);  // as a drag of its edge does
    header->resizeSection(ListStore::kTagType, 90);

    Trigger(window, QStringLiteral("mnuDelTagV_0"));  // a prune: one row goes
    table->setCurrentIndex(table->model()->index(0, ListStore::kFileName));
    QTest::keyClick(table, Qt::Key_Delete);
    QCOMPARE(Column(store, ListStore::kFileName), QStringList({"c", "d"}));
    QCOMPARE(header->sectionSize(ListStore::kFileName), 250);
    QCOMPARE(header->sectionSize(ListStore::kTagType), 90);

    // Emptying the list restores the TagType width it defines; the others stay as dragged.
    Trigger(window, QStringLiteral("mnuDelTagV_2"));
    QCOMPARE(store.RowCount(), 1);
    QCOMPARE(header->sectionSize(ListStore::kTagType),
             tagwright::TwipsToPixels(window.grid().ColumnWidth(ListStore::kTagType)));
    QCOMPARE(header->sectionSize(ListStore::kFileName), 250);
}

void Form1CommandsTest::batchTellsWhatTheFileSystemRefused_data() {
    QTest::addColumn<bool>("move");
    QTest::addColumn<QString>("summary");
    QTest::newRow("move") << true << "移動できなかったファイルがあります（1 件）";
    QTest::newRow("rename") << false << "名前を変更できなかったファイルがあります（1 件）";
}

void Form1CommandsTest::batchTellsWhatTheFileSystemRefused() {
    QFETCH(bool, move);
    QFETCH(QString, summary);
    TempDir dir;
    dir.Write("in/t1.mp3", Song("T1", "Art", "Alb"));
    const std::string refused = dir.Write("in/t2.mp3", Song("T2", "Art", "Alb"));
    const std::string storage = dir.MakeFolder("music") + "/";
    tagwright::test::FaultFileSystem faults;
    faults.Refuse(move ? FsOp::kMoveFile : FsOp::kRenameFile, "t2");
    Form1 window(faults);
    window.show();
    ListForMove(window, dir / "in", storage);
    Click(window, "FolderYN");  // no question: folders are made as needed

    EntryListReader told(QStringLiteral("RefusedFiles"));
    window.tabs()->setCurrentIndex(0);
    Click(window, move ? "MoveBtn" : "ReNameBtn");

    QCOMPARE(told.count(), 1);
    QCOMPARE(told.summary, summary);
    const QString& entries = told.entries;
    QVERIFY2(entries.startsWith(ToQt(refused) + QStringLiteral(": ")), qPrintable(entries));
    QVERIFY2(entries.endsWith(QStringLiteral("Permission denied")), qPrintable(entries));
    QVERIFY(!entries.contains(QLatin1Char('\n')));
    // The marks are as before: the refused row "×", the other done.
    QStringList marks = Column(window.store(), move ? ListStore::kM : ListStore::kR);
    marks.sort();
    QCOMPARE(marks, QStringList({"\u00D7", "\u25CB"}));
    QVERIFY(fs::exists(refused));

    // A batch without refusals tells nothing.
    faults.ClearFaults();
    Click(window, "ReNameBtn");
    QTest::qWait(30);
    QCOMPARE(told.count(), 1);
}

void Form1CommandsTest::moveStopsWhileTheFolderQuestionIsUp_data() {
    QTest::addColumn<bool>("byClose");  // else Esc on the main window
    QTest::newRow("Esc") << false;
    QTest::newRow("closing the window") << true;
}

void Form1CommandsTest::moveStopsWhileTheFolderQuestionIsUp() {
    QFETCH(bool, byClose);
    TempDir dir;
    // Three artists: each file would need a folder of its own and ask anew.
    std::vector<std::string> songs;
    for (const char* artist : {"A1", "A2", "A3"})
        songs.push_back(dir.Write(std::string("in/") + artist + ".mp3", Song("T", artist)));
    const std::string storage = dir.MakeFolder("music") + "/";
    Form1 window;
    window.show();
    ListForMove(window, dir / "in", storage);
    window.tabs()->setCurrentIndex(0);

    bool mainWindowFree = false;
    bool controlsWait = false;
    auto answerer =
        std::make_unique<ModalAnswerer>(QStringLiteral("FolderQuestion"), [&](QWidget* box) {
            // The main window still hears its close button and keys; its controls do not.
            mainWindowFree = QApplication::activeModalWidget() == nullptr;
            controlsWait = !window.tabs()->isEnabled();
            if (byClose)
                window.close();
            else
                QTest::keyClick(&window, Qt::Key_Escape);
            if (box->isVisible())  // not stopped: the user has to answer
                qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        });
    Click(window, "MoveBtn");

    QCOMPARE(answerer->count(), 1);
    answerer.reset();
    QVERIFY(mainWindowFree);
    QVERIFY(controlsWait);
    // The file asked about stays and says so; the batch never reached the others.
    QStringList marks = Column(window.store(), ListStore::kM);
    marks.sort();
    QCOMPARE(marks, QStringList({"", "", "\u00D7"}));
    for (const std::string& song : songs)
        QVERIFY(fs::exists(song));
    QVERIFY(fs::is_empty(storage));
    if (byClose) {
        QTRY_VERIFY(!window.isVisible());
    } else {
        QVERIFY(window.isVisible());
        QVERIFY(window.tabs()->isEnabled());
        // The next batch runs in full again.
        ModalAnswerer ok(QStringLiteral("FolderQuestion"), [](QWidget* box) {
            qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        });
        Click(window, "MoveBtn");
        QCOMPARE(Column(window.store(), ListStore::kM),
                 QStringList({"\u25CB", "\u25CB", "\u25CB"}));
    }
}

void Form1CommandsTest::previewShowsThePlanAndChangesNothing_data() {
    QTest::addColumn<bool>("move");
    QTest::newRow("rename") << false;
    QTest::newRow("move") << true;
}

// Two files would collide (rename: "Same.mp3" and "same.mp3" side by side; move: two "x.mp3"
// into one folder), one cannot be read: the dialog counts them, shades the pair and gives the
// reason, and neither the disk nor the list has changed.
void Form1CommandsTest::previewShowsThePlanAndChangesNothing() {
    QFETCH(bool, move);
    TempDir dir;
    dir.Write("in/x.mp3", Song("Same", "Art"));
    dir.Write("in/y.mp3", Song("same", "Art"));
    dir.Write("in/sub/x.mp3", Song("Other", "Art"));
    dir.Write("in/z.mp3", Song("Zed", "Art"));
    const std::string storage = dir.MakeFolder("music") + "/";
    tagwright::test::FaultFileSystem faults;
    Form1 window(faults);
    window.show();
    ListForMove(window, dir / "in", storage);
    faults.Refuse(FsOp::kOpenRead, "z.mp3");  // listed, then no longer readable
    const std::vector<ListStore::Row> before = [&] {
        std::vector<ListStore::Row> rows;
        for (int r = 1; r < window.store().RowCount(); ++r)
            rows.push_back(window.store().RowAt(r));
        return rows;
    }();
    QCOMPARE(before.size(), std::size_t{4});

    QString summary;
    int shaded = 0;
    QString refusedNote;
    ModalAnswerer read(QStringLiteral("Preview"), [&](QWidget* modal) {
        auto* dialog = qobject_cast<tagwright::PreviewDialog*>(modal);
        summary = dialog->summary()->text();
        const auto* model = dialog->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->index(r, 0).data(Qt::BackgroundRole).isValid())
                ++shaded;
            if (model->index(r, 0).data().toString() == QStringLiteral("\u00D7"))
                refusedNote = model->index(r, tagwright::PlanTableModel::kNote).data().toString();
        }
        dialog->reject();
    });
    window.tabs()->setCurrentIndex(0);
    Trigger(window,
            move ? QStringLiteral("mnuPreviewBatch_1") : QStringLiteral("mnuPreviewBatch_0"));

    QCOMPARE(read.count(), 1);
    QCOMPARE(summary, QStringLiteral("4 件: 実行 3 件、変更なし 0 件、× 1 件、衝突 2 件"));
    QCOMPARE(shaded, 2);
    QVERIFY2(refusedNote.contains(QStringLiteral("Permission denied")), qPrintable(refusedNote));
    for (int r = 1; r < window.store().RowCount(); ++r)
        QVERIFY(window.store().RowAt(r) == before[static_cast<std::size_t>(r - 1)]);
    QVERIFY(fs::exists(dir / "in/x.mp3") && fs::exists(dir / "in/y.mp3"));
    QVERIFY(fs::is_empty(storage));
    QCOMPARE(faults.Calls(FsOp::kRenameFile) + faults.Calls(FsOp::kMoveFile) +
                 faults.Calls(FsOp::kCreateFolder),
             0);
}

void Form1CommandsTest::manualFoundInBuildOrInstallTree() {
    TempDir dir;
    const QString bin = ToQt(dir.MakeFolder("prefix/bin"));
    const QString beside = bin + QStringLiteral("/manual.html");
    // Neither: the path beside the program, which the link then reports as missing.
    QCOMPARE(Form1::ManualPathFor(bin), beside);
    const std::string installed = dir.Write("prefix/share/tagwright/manual.html", "<html>");
    QCOMPARE(Form1::ManualPathFor(bin), ToQt(installed));
    dir.Write("prefix/bin/manual.html", "<html>");
    QCOMPARE(Form1::ManualPathFor(bin), beside);
}

void Form1CommandsTest::undoByPopupBringsFilesAndRowsBack_data() {
    QTest::addColumn<bool>("move");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<bool>("oldNameTaken");
    QTest::newRow("rename") << false << true << false;
    QTest::newRow("move") << true << true << false;
    QTest::newRow("declined") << false << false << false;
    QTest::newRow("old name taken") << false << true << true;
}

void Form1CommandsTest::undoByPopupBringsFilesAndRowsBack() {
    QFETCH(bool, move);
    QFETCH(bool, confirm);
    QFETCH(bool, oldNameTaken);
    TempDir dir;
    const std::string a = dir.Write("in/a.mp3", Song("T1", "Art", "Alb"));
    const std::string b = dir.Write("in/b.mp3", Song("T2", "Art", "Alb"));
    const std::string storage = dir.MakeFolder("music") + "/";
    Form1 window;
    window.SetJournalFolder(dir / "state");
    window.show();
    ListForMove(window, dir / "in", storage);
    Click(window, "FolderYN");
    window.tabs()->setCurrentIndex(0);
    Click(window, move ? "MoveBtn" : "ReNameBtn");
    QVERIFY(!fs::exists(a) && !fs::exists(b));
    if (oldNameTaken)
        dir.Write("in/b.mp3", std::string("a newcomer"));

    QStringList told;
    QString details;
    ModalAnswerer answerer({}, [&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        told << box->text();
        details = box->detailedText();
        QAbstractButton* yes = box->button(QMessageBox::Yes);
        if (yes != nullptr && confirm)
            yes->click();
        else if (yes != nullptr)
            box->button(QMessageBox::No)->click();
        else
            box->accept();
    });
    Trigger(window, QStringLiteral("mnuUndo"));
    QTRY_COMPARE(answerer.count(), confirm ? 2 : 1);
    if (!confirm) {
        QVERIFY(!fs::exists(a));
        return;
    }
    QVERIFY(fs::exists(a));
    QCOMPARE(fs::file_size(b), oldNameTaken ? std::uintmax_t{10} : fs::file_size(a));
    QVERIFY2(told.last().contains(oldNameTaken ? QStringLiteral("戻せなかったもの: 1 件")
                                               : QStringLiteral("戻せなかったもの: 0 件")),
             qPrintable(told.last()));
    QCOMPARE(details.isEmpty(), !oldNameTaken);
    // The rows follow the files they name.
    ListStore& store = window.store();
    for (int r = 1; r < store.RowCount(); ++r)
        QVERIFY2(fs::exists(fs::u8path(store.Cell(r, ListStore::kPath))),
                 store.Cell(r, ListStore::kPath).c_str());
    QCOMPARE(Column(store, ListStore::kPath).contains(ToQt(a)), true);
    if (move)
        QVERIFY(fs::is_empty(storage));

    // Nothing is left to undo.
    Trigger(window, QStringLiteral("mnuUndo"));
    QTRY_COMPARE(answerer.count(), 3);
    QCOMPARE(told.last(), QStringLiteral("元に戻せる操作はありません。"));
}

QTEST_MAIN(Form1CommandsTest)
#include "form1_commands_test.moc"
