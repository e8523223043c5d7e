// The main window: its shape, the list tab, the popup menu, drops, the Delete key, the
// resize rule, the support link and the batch feedback.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "ui/dir_select_form.h"
#include "ui/form1.h"
#include "ui/list_table_model.h"
#include "ui/qt_text.h"
#include "ui/search_form.h"
#include "ui/tab_control.h"
#include "ui_test_support.h"

using tagwright::Form1;
using tagwright::ListStore;
using tagwright::GridState;

class Form1Test : public QObject {
    Q_OBJECT

  private slots:
    void windowFrame();
    void listTabControls_data();
    void listTabControls();
    void noControlIsCutOrOverlapped();
    void gridStartsWithHeaderAndFollowsStore();
    void popupMenu_data();
    void popupMenu();
    void rightClickShowsPopupOtherButtonsDoNot_data();
    void rightClickShowsPopupOtherButtonsDoNot();
    void deleteKeyReachesItsSignal();
    void gridSelectionReadsIntoGridState();
    void dropForwardsLocalPathsInOrder_data();
    void dropForwardsLocalPathsInOrder();
    void dropOfTextIsRefused();
    void resizeRule_data();
    void resizeRule();
    void resizeAtOrBelowThresholdsKeepsLayout();
    void label5HoverAndReset();
    void supportLinkOpensManual();
    void supportLinkFailureShowsError();
    void progressBarCoversCountOnlyDuringBatch();
    void folderQuestionAnswers();
    void searchButtonOpensTheSingleDialog();
    void closingMainWindowEndsProgram();
};

void Form1Test::windowFrame() {
    Form1 window;
    QCOMPARE(window.windowTitle(), QStringLiteral("Tagwright"));
    QCOMPARE(window.size(), QSize(360, 477));  // 5400 x 7155 twips
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!window.windowIcon().isNull());
    QVERIFY(!window.windowIcon().pixmap(32, 32).isNull());

    tagwright::TabControl* tabs = window.tabs();
    QCOMPARE(tabs->objectName(), QStringLiteral("SSTab1"));
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabBar()->tabText(0), QStringLiteral("Tagwright"));
    QCOMPARE(tabs->tabBar()->tabText(1), QStringLiteral("Set\uFF11"));
    QCOMPARE(tabs->tabBar()->tabText(2), QStringLiteral("Set2"));
    QCOMPARE(tabs->currentIndex(), 0);
}

void Form1Test::listTabControls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("designTwips");  // left, top, width, height; empty: not checked
    QTest::newRow("Label3") << "Label3"
                            << "Tagwright Ver0.0" << QRect();
    QTest::newRow("Label22") << "Label22"
                             << "ファイル数 ： " << QRect();
    QTest::newRow("FileCountLabel") << "FileCountLabel"
                                    << "0" << QRect();
    QTest::newRow("Command4") << "Command4"
                              << "Search" << QRect(30, 240, 735, 795);
    QTest::newRow("MoveBtn") << "MoveBtn"
                             << "Move" << QRect(3690, 240, 735, 795);
    QTest::newRow("ReNameBtn") << "ReNameBtn"
                               << "ReName" << QRect(4530, 240, 735, 795);
    QTest::newRow("MP3Table") << "MP3Table"
                              << "" << QRect(60, 360, 5295, 5565);
    QTest::newRow("ProgressBar1") << "ProgressBar1"
                                  << "" << QRect(30, 0, 5265, 165);
}

void Form1Test::listTabControls() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QRect, designTwips);
    Form1 window;  // not shown: the designed places, before any resize
    auto* widget = window.findChild<QWidget*>(name);
    QVERIFY2(widget != nullptr, qPrintable(name));
    QCOMPARE(tagwright::test::ShownText(widget), text);
    if (!designTwips.isNull()) {
        QCOMPARE(widget->geometry(), QRect(designTwips.x() / 15, designTwips.y() / 15,
                                           designTwips.width() / 15, designTwips.height() / 15));
    }
}

void Form1Test::noControlIsCutOrOverlapped() {
    Form1 window;
    window.show();
    for (int tab = 0; tab < 3; ++tab) {
        window.tabs()->setCurrentIndex(tab);
        const QStringList problems = tagwright::test::LayoutProblems(&window);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }
}

void Form1Test::gridStartsWithHeaderAndFollowsStore() {
    Form1 window;
    QTableView* table = window.table();
    QCOMPARE(table->model()->rowCount(), 0);
    const QStringList header = {"R", "M", "FileName", "TagType", "NewName", "Path"};
    const int widths[] = {300, 300, 2000, 800, 2000, 20000};
    for (int c = 0; c < 6; ++c) {
        QCOMPARE(table->model()->headerData(c, Qt::Horizontal).toString(), header[c]);
        QCOMPARE(table->columnWidth(c), widths[c] / 15);
    }
    QVERIFY(table->font().family().contains(QStringLiteral("ゴシック")) ||
            table->font().family().contains(QStringLiteral("CJK")) ||
            table->font().family().contains(QStringLiteral("Gothic")));
    QCOMPARE(table->font().pointSize(), 9);

    ListStore& store = window.store();
    store.AppendFileRow("a.mp3", 8, "/x/a.mp3");
    store.AppendFileRow("b.mp3", 0, "/x/b.mp3");
    store.UpdateFileCount();
    QCOMPARE(window.fileCountLabel()->text(), QStringLiteral("2"));
    QCOMPARE(table->model()->index(0, 2).data().toString(), QStringLiteral("a.mp3"));
    // Alignment code 0 of the store: text at the left and top of the cell.
    QCOMPARE(table->model()->index(0, 3).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignLeft | Qt::AlignTop);

    // Emptying the list gives TagType its 1000 twips; the view follows the grid state.
    emit window.delAllRequested();
    QCOMPARE(window.fileCountLabel()->text(), QStringLiteral("0"));
    QCOMPARE(table->columnWidth(ListStore::kTagType), 1000 / 15);
    QCOMPARE(table->columnWidth(ListStore::kPath), 20000 / 15);
}

void Form1Test::popupMenu_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");    // as shown: "&&" in an action's text shows one "&"
    QTest::addColumn<QByteArray>("signal");  // empty: a submenu
    QTest::addColumn<int>("index");          // -1: the signal has no index
    const QByteArray sort = SIGNAL(sortFileNameRequested(int));
    const QByteArray rename = SIGNAL(delRenameRequested(int));
    const QByteArray move = SIGNAL(delFMoveRequested(int));
    const QByteArray tag = SIGNAL(delTagVRequested(int));
    QTest::newRow("mnuSort") << "mnuSort"
                             << "整列" << QByteArray() << -1;
    QTest::newRow("mnuSortFN") << "mnuSortFN"
                               << "ファイル名" << QByteArray() << -1;
    QTest::newRow("asc") << "mnuSortFileName_0"
                         << "昇順" << sort << 0;
    QTest::newRow("desc") << "mnuSortFileName_1"
                          << "降順" << sort << 1;
    QTest::newRow("mnuDel") << "mnuDel"
                            << "リストから削除" << QByteArray() << -1;
    QTest::newRow("mnuDelAll") << "mnuDelAll"
                               << "すべてのファイル" << QByteArray(SIGNAL(delAllRequested())) << -1;
    QTest::newRow("mnuDelRe") << "mnuDelRe"
                              << "リネーム成否" << QByteArray() << -1;
    QTest::newRow("rename fail") << "mnuDelRename_0"
                                 << "失敗" << rename << 0;
    QTest::newRow("rename ok") << "mnuDelRename_1"
                               << "成功" << rename << 1;
    QTest::newRow("mnuDelFMo") << "mnuDelFMo"
                               << "ファイル移動" << QByteArray() << -1;
    QTest::newRow("move fail") << "mnuDelFMove_0"
                               << "失敗" << move << 0;
    QTest::newRow("move ok") << "mnuDelFMove_1"
                             << "成功" << move << 1;
    QTest::newRow("mnuDelTag") << "mnuDelTag"
                               << "タグ" << QByteArray() << -1;
    QTest::newRow("no tag") << "mnuDelTagV_0"
                            << "タグなし" << tag << 0;
    QTest::newRow("v1") << "mnuDelTagV_1"
                        << "v1&v1.1" << tag << 1;
    QTest::newRow("v2") << "mnuDelTagV_2"
                        << "v2" << tag << 2;
}

void Form1Test::popupMenu() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QByteArray, signal);
    QFETCH(int, index);
    Form1 window;
    QCOMPARE(window.popupMenu()->objectName(), QStringLiteral("mnuA"));
    QAction* action = nullptr;
    for (QAction* a : window.popupMenu()->findChildren<QAction*>()) {
        if (a->objectName() == name)
            action = a;
    }
    QVERIFY2(action != nullptr, qPrintable(name));
    QCOMPARE(action->text().replace(QStringLiteral("&&"), QStringLiteral("&")), caption);
    if (signal.isEmpty()) {
        QVERIFY(action->menu() != nullptr);
        return;
    }
    QSignalSpy spy(&window, signal.constData());
    // Every other command signal must stay silent.
    QSignalSpy sort(&window, &Form1::sortFileNameRequested);
    QSignalSpy all(&window, &Form1::delAllRequested);
    QSignalSpy rename(&window, &Form1::delRenameRequested);
    QSignalSpy move(&window, &Form1::delFMoveRequested);
    QSignalSpy tag(&window, &Form1::delTagVRequested);
    action->trigger();
    QCOMPARE(spy.count(), 1);
    if (index >= 0)
        QCOMPARE(spy.first().first().toInt(), index);
    QCOMPARE(sort.count() + all.count() + rename.count() + move.count() + tag.count(), 1);
}

void Form1Test::rightClickShowsPopupOtherButtonsDoNot_data() {
    QTest::addColumn<bool>("header");
    QTest::newRow("rows") << false;
    QTest::newRow("header row") << true;
}

void Form1Test::rightClickShowsPopupOtherButtonsDoNot() {
    QFETCH(bool, header);
    Form1 window;
    window.show();
    QWidget* viewport =
        header ? window.table()->horizontalHeader()->viewport() : window.table()->viewport();
    const QPoint at(20, header ? 5 : 20);
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
        QTest::mousePress(viewport, button, {}, at);
        QTest::mouseRelease(viewport, button, {}, at);
        QVERIFY(!window.popupMenu()->isVisible());
    }
    QSignalSpy shown(window.popupMenu(), &QMenu::aboutToShow);
    QTest::mousePress(viewport, Qt::RightButton, {}, at);
    QCOMPARE(shown.count(), 1);
    window.popupMenu()->hide();
}

void Form1Test::deleteKeyReachesItsSignal() {
    Form1 window;
    window.show();
    ListStore& store = window.store();
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        store.AppendFileRow(name, 0, std::string("/x/") + name);
    QTableView* table = window.table();
    table->setCurrentIndex(table->model()->index(1, 2));

    QSignalSpy spy(&window, &Form1::deleteKeyPressed);
    QTest::keyClick(table, Qt::Key_Delete);
    QTest::keyClick(table, Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(table, Qt::Key_Backspace);
    QTest::keyClick(table, Qt::Key_A);
    QCOMPARE(spy.count(), 2);

    // Tab leaves the grid for the buttons below it.
    table->setFocus();
    QCOMPARE(window.focusWidget(), static_cast<QWidget*>(table));
    QTest::keyClick(table, Qt::Key_Tab);
    QVERIFY(window.focusWidget() != table);
}

void Form1Test::gridSelectionReadsIntoGridState() {
    Form1 window;
    window.show();
    for (const char* name : {"c.mp3", "a.mp3", "d.mp3", "b.mp3"})
        window.store().AppendFileRow(name, 0, std::string("/x/") + name);
    QTableView* table = window.table();
    QAbstractItemModel* model = table->model();

    // No cell cursor yet: the grid state stays as it was.
    GridState grid;
    grid.SetSelection(4, 1, 4, 1);
    tagwright::ReadGridSelection(*table, grid);
    QCOMPARE(grid.CurrentRow(), 4);

    table->setCurrentIndex(model->index(2, ListStore::kFileName));
    tagwright::ReadGridSelection(*table, grid);
    QCOMPARE(grid.CurrentRow(), 3);
    QCOMPARE(grid.CurrentColumn(), int(ListStore::kFileName));
    QCOMPARE(grid.SelectionEndRow(), 3);

    // A block over rows 2-3 and two columns, the cursor at its top left: the far corner is
    // its bottom right.
    table->setCurrentIndex(model->index(1, ListStore::kFileName));
    table->selectionModel()->select(
        QItemSelection(model->index(1, ListStore::kFileName), model->index(2, ListStore::kTagType)),
        QItemSelectionModel::ClearAndSelect);
    tagwright::ReadGridSelection(*table, grid);
    QCOMPARE(grid.CurrentRow(), 2);
    QCOMPARE(grid.SelectionEndRow(), 3);
    QCOMPARE(grid.CurrentColumn(), int(ListStore::kFileName));
    QCOMPARE(grid.SelectionEndColumn(), int(ListStore::kTagType));

    // The cursor at the block's bottom right: the far corner is its top left.
    table->selectionModel()->setCurrentIndex(model->index(2, ListStore::kTagType),
                                             QItemSelectionModel::NoUpdate);
    tagwright::ReadGridSelection(*table, grid);
    QCOMPARE(grid.CurrentRow(), 3);
    QCOMPARE(grid.SelectionEndRow(), 2);
    QCOMPARE(grid.SelectionEndColumn(), int(ListStore::kFileName));

    // And back: the view's cursor goes where the grid state's is, on file rows only.
    grid.SetCurrentRow(4);
    tagwright::ShowGridCursor(*table, grid);
    QCOMPARE(table->currentIndex(), model->index(3, ListStore::kTagType));
    grid.SetCurrentRow(0);
    tagwright::ShowGridCursor(*table, grid);
    QCOMPARE(table->currentIndex(), model->index(3, ListStore::kTagType));
}

namespace {

void SendDrop(QWidget* target, QMimeData* data, bool* accepted) {
    const QPoint at(30, 30);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    *accepted = enter.isAccepted();
    if (!*accepted)
        return;
    QDropEvent drop(QPointF(at), Qt::CopyAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
}

}  // namespace

void Form1Test::dropForwardsLocalPathsInOrder_data() {
    QTest::addColumn<bool>("header");
    QTest::newRow("rows") << false;
    QTest::newRow("header row") << true;
}

void Form1Test::dropForwardsLocalPathsInOrder() {
    QFETCH(bool, header);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("アルバム"));
    QVERIFY(QDir().mkpath(folder));
    const QString song = dir.filePath(QStringLiteral("b.mp3"));
    const QString other = dir.filePath(QStringLiteral("a.MP3"));
    for (const QString& path : {song, other}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    Form1 window;
    window.show();
    QSignalSpy spy(&window, &Form1::pathsDropped);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(song), QUrl::fromLocalFile(folder),
                  QUrl(QStringLiteral("https://example.com/x.mp3")), QUrl::fromLocalFile(other)});
    bool accepted = false;
    SendDrop(header ? window.table()->horizontalHeader()->viewport() : window.table()->viewport(),
             &data, &accepted);
    QVERIFY(accepted);
    QCOMPARE(spy.count(), 1);
    const QStringList expected = {QDir::toNativeSeparators(song), QDir::toNativeSeparators(folder),
                                  QDir::toNativeSeparators(other)};
    QCOMPARE(spy.first().first().toStringList(), expected);
}

void Form1Test::dropOfTextIsRefused() {
    Form1 window;
    window.show();
    QSignalSpy spy(&window, &Form1::pathsDropped);
    QMimeData data;
    data.setText(QStringLiteral("/x/a.mp3"));
    bool accepted = true;
    SendDrop(window.table()->viewport(), &data, &accepted);
    QVERIFY(!accepted);
    QCOMPARE(spy.count(), 0);
}

void Form1Test::resizeRule_data() {
    QTest::addColumn<QSize>("client");  // pixels
    QTest::addColumn<QSize>("table");
    // (w*15 - 120) / 15 and (h*15 - 1600) / 15 pixels.
    QTest::newRow("start") << QSize(360, 477) << QSize(352, 370);
    QTest::newRow("wider and higher") << QSize(600, 700) << QSize(592, 593);
    QTest::newRow("narrow and low") << QSize(200, 300) << QSize(192, 193);
}

void Form1Test::resizeRule() {
    QFETCH(QSize, client);
    QFETCH(QSize, table);
    Form1 window;
    window.show();
    window.resize(client);
    QCOMPARE(window.tabs()->size(), client);
    QCOMPARE(window.table()->size(), table);
    QCOMPARE(window.table()->pos(), QPoint(4, 24));  // left and top never move
    QWidget* strip = window.findChild<QWidget*>(QStringLiteral("Frame5"));
    QCOMPARE(strip->y(), window.table()->y() + table.height());
    QCOMPARE(strip->x(), 4);
    QCOMPARE(strip->width(), 353);
}

void Form1Test::resizeAtOrBelowThresholdsKeepsLayout() {
    Form1 window;
    window.show();
    window.resize(300, 400);
    const QRect table = window.table()->geometry();
    const QRect tabs = window.tabs()->geometry();
    // The thresholds are on the outer size: 2000 twips high (133 px) and 200 wide (13 px).
    const QSize frame = window.frameGeometry().size() - window.size();
    const QSize atThresholds[] = {QSize(300, 133) - QSize(0, frame.height()),
                                  QSize(13, 400) - QSize(frame.width(), 0)};
    for (const QSize size : atThresholds) {
        window.resize(size);
        QCOMPARE(window.frameGeometry().size(), size + frame);
        QCOMPARE(window.table()->geometry(), table);
        QCOMPARE(window.tabs()->geometry(), tabs);
    }
    // One pixel above them lays out again, and the grid is never given a negative size.
    const int clientHeight = 134 - frame.height();
    window.resize(300, clientHeight);
    QCOMPARE(window.table()->height(), std::max(0, (clientHeight * 15 - 1600) / 15));
    const int clientWidth = 14 - frame.width();
    window.resize(clientWidth, 400);
    QCOMPARE(window.table()->width(), std::max(0, (clientWidth * 15 - 120) / 15));
    window.resize(320, 420);
    QCOMPARE(window.table()->size(), QSize(312, 313));
}

namespace {

void MoveMouseOver(QWidget* widget) {
    const QPointF at(5, 5);
    QEnterEvent enter(at, widget->mapTo(widget->window(), at), widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &enter);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

}  // namespace

void Form1Test::label5HoverAndReset() {
    Form1 window;
    window.show();
    window.tabs()->setCurrentIndex(2);
    auto* label5 = window.findChild<QLabel*>(QStringLiteral("Label5"));
    QVERIFY(label5 != nullptr);
    const QColor highlightText = window.palette().color(QPalette::HighlightedText);
    const QColor cyan(0x80, 0xFF, 0xFF);
    QCOMPARE(label5->palette().color(QPalette::WindowText), highlightText);

    MoveMouseOver(label5);
    QCOMPARE(label5->palette().color(QPalette::WindowText), cyan);
    // Stays cyan when the mouse leaves, and a press on a control of the page is no press on
    // the tab control.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(label5, &leave);
    auto* folderYN = window.findChild<QWidget*>(QStringLiteral("FolderYN"));
    QTest::mousePress(folderYN, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(folderYN, Qt::LeftButton, {}, QPoint(2, 2));
    QCOMPARE(label5->palette().color(QPalette::WindowText), cyan);
    // The free area of the page resets it...
    QTest::mousePress(window.tabs()->page(2), Qt::LeftButton, {}, QPoint(300, 460));
    QCOMPARE(label5->palette().color(QPalette::WindowText), highlightText);
    // ...and so does a tab header.
    MoveMouseOver(label5);
    QCOMPARE(label5->palette().color(QPalette::WindowText), cyan);
    QTabBar* bar = window.tabs()->tabBar();
    QTest::mousePress(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
    QCOMPARE(label5->palette().color(QPalette::WindowText), highlightText);
}

void Form1Test::supportLinkOpensManual() {
    Form1 window;
    window.show();
    window.tabs()->setCurrentIndex(2);
    QList<QUrl> opened;
    window.SetUrlOpener([&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });
    QSignalSpy failed(&window, &Form1::supportHomeFailed);
    auto* label5 = window.findChild<QLabel*>(QStringLiteral("Label5"));
    QTest::mouseClick(label5, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened.first(), QUrl::fromLocalFile(Form1::ManualPath()));
    QVERIFY(opened.first().toLocalFile().endsWith(QStringLiteral("manual.html")));
    QFile manual(Form1::ManualPath());
    QVERIFY(manual.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(manual.readAll()).contains(QStringLiteral("lang=\"ja\"")));
    QCOMPARE(failed.count(), 0);
}

void Form1Test::supportLinkFailureShowsError() {
    Form1 window;
    window.show();
    window.SetUrlOpener([](const QUrl&) { return false; });
    QString shown;
    tagwright::test::WhenModalOpens([&shown](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box != nullptr) {
            shown = box->text();
            box->button(QMessageBox::Ok)->click();
        }
    });
    QSignalSpy failed(&window, &Form1::supportHomeFailed);
    window.OpenSupportHome();
    QCOMPARE(failed.count(), 1);
    QCOMPARE(shown, QStringLiteral("error"));
}

void Form1Test::progressBarCoversCountOnlyDuringBatch() {
    Form1 window;
    window.show();
    auto* bar = window.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
    QVERIFY(!bar->isVisible());
    window.BeginProgress(3);
    QVERIFY(bar->isVisible());
    QVERIFY(bar->geometry().intersects(window.fileCountLabel()->geometry()));
    QVERIFY(!window.fileCountLabel()->isVisible());
    QCOMPARE(bar->value(), 0);
    QCOMPARE(bar->maximum(), 3);
    window.AdvanceProgress();
    window.AdvanceProgress();
    QCOMPARE(bar->value(), 2);
    window.EndProgress();
    QVERIFY(!bar->isVisible());
    QVERIFY(window.fileCountLabel()->isVisible());
}

void Form1Test::folderQuestionAnswers() {
    Form1 window;
    window.show();
    for (QMessageBox::StandardButton answer : {QMessageBox::Ok, QMessageBox::Cancel}) {
        QString title, text;
        tagwright::test::WhenModalOpens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            title = box->windowTitle();
            text = box->text();
            box->button(answer)->click();
        });
        const QString prompt = QStringLiteral("フォルダがありません。作成しますか？\r\n/m/A/B/");
        const bool ok = window.AskCreateFolder(prompt, QStringLiteral("フォルダの作成"));
        QCOMPARE(ok, answer == QMessageBox::Ok);
        QCOMPARE(title, QStringLiteral("フォルダの作成"));
        QCOMPARE(text, prompt);
    }
}

void Form1Test::searchButtonOpensTheSingleDialog() {
    Form1 window;
    window.show();
    auto* command4 = window.findChild<QPushButton*>(QStringLiteral("Command4"));
    QPointer<QWidget> first;
    for (int round = 0; round < 2; ++round) {
        QPointer<QWidget> seen;
        tagwright::test::WhenModalOpens([&seen](QWidget* modal) {
            seen = modal;
            qobject_cast<QDialog*>(modal)->reject();
        });
        command4->click();
        QVERIFY(seen != nullptr);
        QCOMPARE(seen->objectName(), QStringLiteral("SearchForm"));
        QCOMPARE(seen->windowTitle(), QStringLiteral("MP3File検索&追加"));
        QVERIFY(!seen->isVisible());  // hidden, not destroyed
        if (round == 0)
            first = seen;
        else
            QCOMPARE(seen.data(), first.data());
    }
}

void Form1Test::closingMainWindowEndsProgram() {
    // The dialogs exist, hidden, as after use; closing the main window must still end the
    // event loop.
    auto* window = new Form1;
    window->show();
    window->searchForm();
    window->dirSelectForm();
    QTimer::singleShot(0, window, [window] { window->close(); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(2); });
    QCOMPARE(QApplication::exec(), 0);
    delete window;
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
