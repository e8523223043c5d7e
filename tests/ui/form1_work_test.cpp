// The long commands work off the window's thread: the window keeps handling events, Cancel,
// Esc and closing stop the work between two files, and every row left tells the truth.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "support/fault_file_system.h"
#include "support/memory_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"
#include "ui/form1.h"
#include "ui/qt_text.h"
#include "ui_test_support.h"

using tagwright::Form1;
using tagwright::ListStore;
using tagwright::ToQt;
using tagwright::test::FaultFileSystem;
using tagwright::test::FsOp;

namespace {

namespace fs = std::filesystem;

// The longest the window's thread went without handling events, from construction on.
class EventGaps {
  public:
    EventGaps() {
        QObject::connect(&m_tick, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_since.restart()); });
        m_since.start();
        m_tick.start(0);
    }
    qint64 Longest() const { return std::max(m_longest, m_since.elapsed()); }

  private:
    QTimer m_tick;
    QElapsedTimer m_since;
    qint64 m_longest = 0;
};

// Holds the worker in the first call of `op` on a path ending in `at` until released.
class Gate {
  public:
    Gate(FaultFileSystem& fs, FsOp op, std::string at) {
        fs.OnCall([this, op, at = std::move(at)](FsOp called, const std::string& path) {
            if (called != op || !path.ends_with(at) || m_reached.exchange(true))
                return;
            while (!m_open)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }
    bool Reached() const { return m_reached; }
    void Release() { m_open = true; }

  private:
    std::atomic<bool> m_reached{false};
    std::atomic<bool> m_open{false};
};

// Runs `act` on the window's thread once the gate holds the worker, then releases it.
class WhenHeld {
  public:
    WhenHeld(Gate& gate, std::function<void()> act) {
        QObject::connect(&m_poll, &QTimer::timeout, [this, &gate, act = std::move(act)] {
            if (!gate.Reached() || m_done)
                return;
            m_done = true;
            act();
            gate.Release();
        });
        m_poll.start(2);
    }
    bool Done() const { return m_done; }

  private:
    QTimer m_poll;
    bool m_done = false;
};

std::string Numbered(const char* prefix, int i, int digits) {
    std::string n = std::to_string(i);
    return prefix + std::string(static_cast<std::size_t>(digits) - n.size(), '0') + n + ".mp3";
}

}  // namespace

class Form1WorkTest : public QObject {
    Q_OBJECT

  private slots:
    void searchOfManyFilesKeepsTheWindowAnswering_data();
    void searchOfManyFilesKeepsTheWindowAnswering();
    void batchStopsBetweenTwoFiles_data();
    void batchStopsBetweenTwoFiles();
    void undoStopsBetweenTwoSteps();
    void dropReturnsBeforeAnyFileIsRead();
};

void Form1WorkTest::searchOfManyFilesKeepsTheWindowAnswering_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("to the end") << false;
    QTest::newRow("cancelled halfway") << true;
}

void Form1WorkTest::searchOfManyFilesKeepsTheWindowAnswering() {
    QFETCH(bool, cancel);
    constexpr int kFiles = 100'000;
    tagwright::test::MemoryFileSystem memory;
    for (int i = 0; i < kFiles; ++i)
        memory.Put(Numbered("/music/", i, 6), {});
    FaultFileSystem faults(memory);
    Gate gate(faults, FsOp::kIdentifyFile, Numbered("/", kFiles / 2, 6));
    Form1 window(faults);
    window.show();
    // The first paint loads the fonts, which is no part of the search.
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.repaint();

    int foundWhenHeld = -1;
    bool cancelShown = false;
    WhenHeld atHalf(gate, [&] {
        // What was found so far shows while the search runs, and so does the way to stop it.
        foundWhenHeld = window.fileCountLabel()->text().toInt();
        auto* button = window.findChild<QPushButton*>(QStringLiteral("CancelBtn"));
        cancelShown = button->isVisible();
        if (cancel)
            QTest::mouseClick(button, Qt::LeftButton);
    });
    EventGaps gaps;
    window.SearchFolder(QStringLiteral("/music"), QStringLiteral("mp3"), false);
    const qint64 longest = gaps.Longest();

    QVERIFY(atHalf.Done());
    QVERIFY2(longest <= 100, qPrintable(QString::number(longest)));
    QVERIFY2(foundWhenHeld > 0 && foundWhenHeld <= kFiles / 2,
             qPrintable(QString::number(foundWhenHeld)));
    QVERIFY(cancelShown);
    // The file in hand when Cancel came is finished, and nothing after it is listed.
    const int expected = cancel ? kFiles / 2 + 1 : kFiles;
    const ListStore& store = window.store();
    QCOMPARE(store.RowCount() - 1, expected);
    QCOMPARE(window.fileCountLabel()->text(), QString::number(expected));
    QCOMPARE(window.table()->model()->rowCount(), expected);
    for (int r = 1; r < store.RowCount(); ++r) {
        const std::string& path = store.Cell(r, ListStore::kPath);
        QCOMPARE(path, Numbered("/music/", r - 1, 6));
        QVERIFY(memory.Get(path) != nullptr);
    }
    QVERIFY(!window.Busy());
    QVERIFY(!window.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->isVisible());
}

void Form1WorkTest::batchStopsBetweenTwoFiles_data() {
    QTest::addColumn<bool>("move");
    QTest::addColumn<QString>("stopBy");
    QTest::newRow("rename, Cancel") << false << "cancel";
    QTest::newRow("move, Cancel") << true << "cancel";
    QTest::newRow("rename, Esc") << false << "esc";
    QTest::newRow("move, closing the window") << true << "close";
}

void Form1WorkTest::batchStopsBetweenTwoFiles() {
    QFETCH(bool, move);
    QFETCH(QString, stopBy);
    using namespace tagwright::test;
    constexpr int kFiles = 40;
    constexpr int kHeldAt = 19;  // the batch stops after this file, the 20th
    TempDir dir;
    for (int i = 0; i < kFiles; ++i) {
        const std::string title = Numbered("T", i, 2);
        dir.Write(
            "in/" + Numbered("s", i, 2),
            Cat({Audio(256),
                 Id3v1Trailer({B(title.substr(0, 3)), B("Art"), B("Alb"), B("2001"), {}, 1, 0})}));
    }
    const std::string storage = dir.MakeFolder("music") + "/";
    FaultFileSystem faults;
    Gate gate(faults, move ? FsOp::kMoveFile : FsOp::kRenameFile, Numbered("/s", kHeldAt, 2));
    Form1 window(faults);
    window.show();
    tagwright::Settings settings;
    settings.MP3SaveFolderTxt = storage;
    settings.FolderYN = false;
    window.LoadSettings(settings);
    window.AddDroppedPaths({ToQt(dir / "in")});
    ListStore& store = window.store();
    QCOMPARE(store.RowCount() - 1, kFiles);

    bool refusedWhileBusy = true;
    WhenHeld held(gate, [&] {
        // A second command while the batch runs is refused.
        for (QAction* action : window.popupMenu()->findChildren<QAction*>()) {
            if (action->objectName() == QStringLiteral("mnuDelAll"))
                action->trigger();
        }
        window.AddDroppedPaths({ToQt(dir / "in")});
        refusedWhileBusy = window.Busy() && store.RowCount() - 1 == kFiles;
        if (stopBy == QStringLiteral("cancel"))
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("CancelBtn")),
                              Qt::LeftButton);
        else if (stopBy == QStringLiteral("esc"))
            QTest::keyClick(&window, Qt::Key_Escape);
        else
            window.close();
    });
    EventGaps gaps;
    if (move)
        window.RunMove();
    else
        window.RunRename();
    const qint64 longest = gaps.Longest();

    QVERIFY(held.Done());
    QVERIFY(refusedWhileBusy);
    QVERIFY2(longest <= 100, qPrintable(QString::number(longest)));
    const int mark = move ? ListStore::kM : ListStore::kR;
    std::set<std::string> listed;
    for (int r = 1; r <= kFiles; ++r) {
        const std::string& path = store.Cell(r, ListStore::kPath);
        listed.insert(path);
        const std::string original = dir / ("in/" + Numbered("s", r - 1, 2));
        if (r > kHeldAt + 1) {
            QCOMPARE(store.Cell(r, mark), std::string());
            QCOMPARE(store.Cell(r, ListStore::kNewName), std::string());
            QCOMPARE(path, original);
            continue;
        }
        QCOMPARE(store.Cell(r, mark), std::string(ListStore::kDone));
        const std::string expected = move ? storage + "Art/Alb/" + Numbered("s", r - 1, 2)
                                          : dir / ("in/" + Numbered("T", r - 1, 2));
        QCOMPARE(path, expected);
    }
    // The files on disk are the files the rows name.
    std::set<std::string> onDisk;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        if (entry.is_regular_file())
            onDisk.insert(entry.path().string());
    }
    QCOMPARE(onDisk, listed);
    // The bar came and went; the one Cancel button is hidden again.
    const auto cancels = window.findChildren<QPushButton*>(QStringLiteral("CancelBtn"));
    QCOMPARE(cancels.size(), 1);
    QVERIFY(!cancels.front()->isVisible());
    if (stopBy == QStringLiteral("close"))
        QTRY_VERIFY(!window.isVisible());
    else
        QVERIFY(window.isVisible());
}

// Answers the undo's question with Yes and gives the text of the report that follows.
class UndoAnswers {
  public:
    UndoAnswers() {
        tagwright::test::WhenModalOpens([this](QWidget* modal) {
            tagwright::test::WhenModalOpens(
                [this](QWidget* box) {
                    report = qobject_cast<QMessageBox*>(box)->text();
                    qobject_cast<QMessageBox*>(box)->accept();
                },
                QStringLiteral("undoResult"));
            qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
        });
    }
    QString report;
};

void Form1WorkTest::undoStopsBetweenTwoSteps() {
    using namespace tagwright::test;
    constexpr int kFiles = 8;
    TempDir dir;
    std::set<std::string> originals;
    for (int i = 0; i < kFiles; ++i) {
        originals.insert(
            dir.Write("in/" + Numbered("s", i, 2),
                      Cat({Audio(256), Id3v1Trailer({B(Numbered("T", i, 2).substr(0, 3)),
                                                     B("Art"),
                                                     B("Alb"),
                                                     B("2001"),
                                                     {},
                                                     1,
                                                     0})})));
    }
    FaultFileSystem faults;
    Form1 window(faults);
    window.SetJournalFolder(dir / "state");
    window.show();
    window.AddDroppedPaths({ToQt(dir / "in")});
    window.RunRename();
    ListStore& store = window.store();
    const auto rowsAtOldPaths = [&] {
        int n = 0;
        for (int r = 1; r < store.RowCount(); ++r)
            n += originals.count(store.Cell(r, ListStore::kPath)) != 0 ? 1 : 0;
        return n;
    };
    QCOMPARE(rowsAtOldPaths(), 0);

    Gate gate(faults, FsOp::kRenameFile, "");
    bool refusedWhileBusy = false;
    WhenHeld held(gate, [&] {
        QVERIFY(window.findChild<QPushButton*>(QStringLiteral("CancelBtn"))->isVisible());
        for (QAction* action : window.popupMenu()->findChildren<QAction*>()) {
            if (action->objectName() == QStringLiteral("mnuDelAll"))
                action->trigger();
        }
        refusedWhileBusy = window.Busy() && store.RowCount() - 1 == kFiles;
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("CancelBtn")),
                          Qt::LeftButton);
    });
    UndoAnswers stopped;
    window.RunUndo();
    QVERIFY(held.Done());
    QVERIFY(refusedWhileBusy);
    // The step in hand when Cancel came is finished; its row follows it, and no other row moves.
    QVERIFY2(stopped.report.contains(QStringLiteral("元に戻しました: 1 件")),
             qPrintable(stopped.report));
    QCOMPARE(rowsAtOldPaths(), 1);
    std::set<std::string> listed, onDisk;
    for (int r = 1; r < store.RowCount(); ++r)
        listed.insert(store.Cell(r, ListStore::kPath));
    for (const auto& entry : fs::directory_iterator(dir / "in"))
        onDisk.insert(entry.path().string());
    QCOMPARE(onDisk, listed);
    QVERIFY(!window.Busy());

    // The next undo takes back the rest.
    UndoAnswers rest;
    window.RunUndo();
    QVERIFY2(rest.report.contains(QStringLiteral("元に戻しました: %1 件").arg(kFiles - 1)),
             qPrintable(rest.report));
    QCOMPARE(rowsAtOldPaths(), kFiles);
}

void Form1WorkTest::dropReturnsBeforeAnyFileIsRead() {
    constexpr int kFiles = 3;
    tagwright::test::MemoryFileSystem memory;
    for (int i = 0; i < kFiles; ++i)
        memory.Put(Numbered("/music/", i, 2), {});
    FaultFileSystem faults(memory);
    Form1 window(faults);
    window.show();
    faults.ResetCounts();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/music"))});
    const QPoint at(30, 30);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window.table()->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window.table()->viewport(), &drop);
    for (int op = 0; op < static_cast<int>(FsOp::kCount_); ++op)
        QCOMPARE(faults.Calls(static_cast<FsOp>(op)), 0);
    QCOMPARE(window.fileCountLabel()->text(), QStringLiteral("0"));
    QTRY_COMPARE(window.fileCountLabel()->text(), QString::number(kFiles));
}

QTEST_MAIN(Form1WorkTest)
#include "form1_work_test.moc"
