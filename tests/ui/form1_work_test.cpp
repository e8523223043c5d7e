// The long commands work off the window's thread: the window keeps handling events, Cancel,
// Esc and closing stop the work between two files, and every row left tells the truth.
#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
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

QTEST_MAIN(Form1WorkTest)
#include "form1_work_test.moc"
