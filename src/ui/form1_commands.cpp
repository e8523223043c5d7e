// Form1's commands: the popup menu and the Delete key, drops, the folder search and the rename
// and move batches. The last four work on a thread of their own; the list is written here.
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include "filelist/drop_logic.h"
#include "filelist/list_commands.h"
#include "fileops/batch_plan.h"
#include "fileops/journaled_file_system.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "naming/char_conversion.h"
#include "naming/rule_editing.h"
#include "ui/form1.h"
#include "ui/list_table_model.h"
#include "ui/preview_dialog.h"
#include "ui/qt_text.h"
#include "ui/skipped_entries_dialog.h"

namespace tagwright {

namespace {

// How often a worker hands its results to the window. More often looks no different and would
// make a 100,000-row search spend its time updating the view; a chunk also has a size limit so
// that appending it never holds the window up for long.
constexpr qint64 kHandOverMs = 100;
// How often a preview moves the bar on.
constexpr qint64 kPaintIntervalMs = 30;
constexpr std::size_t kMostFoundRows = 4096;
constexpr std::size_t kMostOutcomes = 1024;

// A row a batch has finished, as the batch's own copy of the list has it.
struct RowOutcome {
    int row;
    FileRow file;
};

}  // namespace

Form1::NamingHooks Form1::CoreNamingHooks() {
    NamingHooks hooks;
    hooks.clean = [](const std::string& text, const ConversionTable& table) {
        return CleanTypedText(text, table);
    };
    hooks.cleanSeparator = [](const std::string& text, const ConversionTable& table) {
        return CleanNameCutText(text, table);
    };
    // The check compares with the table's characters, which never change.
    hooks.checkReplacement = [](int row, const std::string& text) {
        return CheckReplacementInput(static_cast<std::size_t>(row), text, StartConversionTable());
    };
    hooks.editNamingRule = [](const std::string& rule, int index, const std::string& separator,
                              const std::string& literal) {
        return PressFileNameSetBtn(rule, index, separator, literal);
    };
    hooks.editFolderRule = [](const std::string& rule, int index, const std::string& literal) {
        return PressFileMovepPlaceBtn(rule, index, literal);
    };
    hooks.resetTable = [] {
        ConversionTable table = StartConversionTable();
        ResetConversionTable(table);
        return table;
    };
    return hooks;
}

void Form1::ConnectCommands() {
    // Each list command changes the store; the grid's cursor then shows where the store's is.
    const auto listCommand = [this](auto command) {
        return [this, command](auto... index) {
            if (m_busy)
                return;
            m_storeChanging = true;
            command(index...);
            m_storeChanging = false;
            ShowStoreCursor();
        };
    };
    connect(this, &Form1::sortFileNameRequested, this,
            listCommand([this](int index) { SortList(m_store, index == 1); }));
    connect(this, &Form1::delAllRequested, this, listCommand([this] { DeleteAllFiles(m_store); }));
    connect(this, &Form1::delRenameRequested, this,
            listCommand([this](int index) { PruneList(m_store, RenamePruneCommand(index)); }));
    connect(this, &Form1::delFMoveRequested, this,
            listCommand([this](int index) { PruneList(m_store, MovePruneCommand(index)); }));
    connect(this, &Form1::delTagVRequested, this,
            listCommand([this](int index) { PruneList(m_store, TagPruneCommand(index)); }));
    connect(this, &Form1::deleteKeyPressed, this,
            listCommand([this] { DeleteSelectedRows(m_store); }));
    connect(this, &Form1::pathsDropped, this, &Form1::AddDroppedPaths);
    connect(this, &Form1::searchRequested, this,
            [this](const QString& folder, const QString& extensionFilter, bool includeSubfolders) {
                m_searchReport.Merge(SearchFolder(folder, extensionFilter, includeSubfolders));
            });
    connect(this, &Form1::previewRequested, this,
            [this](int index) { ShowPreview(index == 1 ? BatchKind::kMove : BatchKind::kRename); });
    connect(this, &Form1::reNameRequested, this, &Form1::RunRename);
    connect(this, &Form1::moveRequested, this, &Form1::RunMove);
    connect(this, &Form1::undoRequested, this, &Form1::RunUndo);
}

void Form1::BeginWork() {
    m_busy = true;
    m_stopBatch = false;
    m_cancel->show();
    m_cancel->raise();
}

bool Form1::EndWork() {
    m_cancel->hide();
    m_busy = false;
    m_stopBatch = false;
    if (!std::exchange(m_closeAfterBatch, false))
        return false;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    return true;
}

void Form1::AppendFound(std::vector<FileRow> rows) {
    m_storeChanging = true;
    m_found += m_store.AppendFileRows(std::move(rows));
    // The count shows how many have been found so far.
    m_store.UpdateFileCount();
    m_storeChanging = false;
}

FileAddReport Form1::AddFiles(const std::function<FileAddReport(const FileAddHooks&)>& add) {
    BeginWork();
    m_found = 0;
    FileAddReport report;
    m_work.Run([&] {
        std::vector<FileRow> rows;
        HandOverPace pace(kMostFoundRows, kHandOverMs);
        const auto handOver = [&] {
            m_work.HandOver(
                [this, rows = std::move(rows)]() mutable { AppendFound(std::move(rows)); });
            rows.clear();
            pace.HandedOver();
        };
        FileAddHooks hooks;
        hooks.row = [&](FileRow row) {
            rows.push_back(std::move(row));
            if (pace.Due(rows.size(), m_work.Handing()))
                handOver();
        };
        hooks.stop = [this] { return m_stopBatch.load(); };
        report = add(hooks);
        handOver();
    });
    report.added = m_found;
    m_store.UpdateFileCount();
    ShowStoreCursor();
    if (EndWork())
        report.skipped.clear();
    return report;
}

void Form1::AddDroppedPaths(const QStringList& paths) {
    if (m_busy)
        return;
    std::vector<std::string> list;
    list.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& p : paths)
        list.push_back(FromQt(p));
    FileAddReport report = AddFiles([this, &list](const FileAddHooks& hooks) {
        return DropPaths(m_fs, m_store, m_search, list, hooks);
    });
    if (report.skipped.empty())
        return;
    // Told once the drop has returned: a dialog inside the drop would hold the file manager
    // that the files came from until it is closed.
    QMetaObject::invokeMethod(
        this, [this, report = std::move(report)] { TellSkipped(report); }, Qt::QueuedConnection);
}

FileAddReport Form1::SearchFolder(const QString& folder, const QString& extensionFilter,
                                  bool includeSubfolders) {
    if (m_busy)
        return {};
    const std::string start = FromQt(folder);
    const std::string filter = FromQt(extensionFilter);
    return AddFiles([&](const FileAddHooks& hooks) {
        return m_search.SearchMP3Files(start, filter, includeSubfolders, hooks);
    });
}

void Form1::TellSkipped(const FileAddReport& report) {
    if (report.skipped.empty())
        return;
    SkippedEntriesDialog dialog(report.skipped, this);
    dialog.exec();
}

template <class Batch>
void Form1::RunBatch(BatchKind kind, Batch&& batch) {
    if (m_busy)
        return;
    // No batch changes a file without a journal to undo it by.
    auto journal =
        BatchJournal::Begin(m_fs, m_journalFolder, kind == BatchKind::kMove ? "move" : "rename");
    if (!journal.ok()) {
        QMessageBox::warning(this, QStringLiteral("Tagwright"),
                             QStringLiteral("元に戻すための記録を書けないため、実行しませんでした。"
                                            "\n\n") +
                                 ToQt(journal.error().Message()));
        return;
    }
    JournaledFileSystem journaled(m_fs, **journal);
    BeginWork();
    const Settings settings = BuildSettings();
    std::vector<RefusedFile> refused;
    // The batch works on a copy of the list of its own and hands each finished row back; the
    // list the window shows is written here only. The worker makes the copy, which takes a
    // while for a long list: nothing writes the list until the first row comes back, the
    // cursor and selection included, which follow the grid again afterwards.
    m_storeChanging = true;
    m_work.Run([&] {
        ListStore copy = m_store;
        copy.SetObserver(nullptr);
        std::vector<RowOutcome> done;
        HandOverPace pace(kMostOutcomes, kHandOverMs);
        int value = 0;
        const auto handOver = [&] {
            m_work.HandOver([this, done = std::move(done), value]() mutable {
                for (RowOutcome& outcome : done)
                    m_store.SetFile(outcome.row, std::move(outcome.file));
                m_progress->setValue(std::min(value, m_progress->maximum()));
            });
            done.clear();
            pace.HandedOver();
        };
        BatchCallbacks callbacks;
        callbacks.progressVisible = [&](bool visible) {
            if (!visible)
                handOver();
            m_work.Post([this, visible] {
                if (visible)
                    BeginProgress(1);
                else
                    EndProgress();
            });
        };
        callbacks.progressMaximum = [&](int maximum) {
            m_work.Post([this, maximum] { m_progress->setMaximum(std::max(maximum, 1)); });
        };
        callbacks.rowFinished = [&](int row) { done.push_back({row, copy.File(row)}); };
        callbacks.progressValue = [&](int v) {
            value = v;
            if (pace.Due(done.size(), m_work.Handing()))
                handOver();
        };
        callbacks.askCreateFolder = [&](const std::string& prompt, const std::string& title) {
            // The rows done so far are shown before the question.
            handOver();
            return m_work.Ask<FolderAnswer>(
                [this, prompt, title] {
                    return AskCreateFolder(ToQt(prompt), ToQt(title)) ? FolderAnswer::kOk
                                                                      : FolderAnswer::kCancel;
                },
                FolderAnswer::kCancel);
        };
        callbacks.stopRequested = [this] { return m_stopBatch.load(); };
        // Called before the row's Path could change: it still names the file that stayed.
        // A blank tag or a Cancel is the user's own choice and shows only as the row's mark.
        callbacks.rowRefused = [&](int row, const Error& error) {
            if (error.kind == ErrorKind::kBlankTag || error.kind == ErrorKind::kCancelled)
                return;
            refused.push_back({copy.Cell(row, ListStore::kPath), error});
        };
        batch(copy, settings, callbacks, journaled);
    });
    m_storeChanging = false;
    MirrorSelectionIntoStore();
    if (EndWork())
        return;
    if (!refused.empty()) {
        RefusedFilesDialog dialog(kind, refused, this);
        dialog.exec();
    }
    TellJournalFailure(journaled);
}

// The batch's journal failed after it had begun: the dialog above has listed the files that
// were then refused; this says why.
void Form1::TellJournalFailure(const JournaledFileSystem& fs) {
    if (!fs.JournalFailure())
        return;
    QMessageBox::warning(this, QStringLiteral("Tagwright"),
                         QStringLiteral("元に戻すための記録を書けなくなったため、以降のファイルは"
                                        "変更していません。\n\n") +
                             ToQt(fs.JournalFailure()->Message()));
}

void Form1::RunRename() {
    RunBatch(BatchKind::kRename,
             [](ListStore& rows, const Settings& settings, const BatchCallbacks& callbacks,
                FileSystem& fs) { RunRenameBatch(rows, settings, fs, callbacks); });
}

void Form1::RunMove() {
    RunBatch(BatchKind::kMove,
             [](ListStore& rows, const Settings& settings, const BatchCallbacks& callbacks,
                FileSystem& fs) { RunMoveBatch(rows, settings, fs, callbacks); });
}

void Form1::ShowPreview(BatchKind kind) {
    if (m_busy)
        return;
    BeginWork();
    const Settings settings = BuildSettings();
    BatchPlan plan;
    // The plan reads the list from the worker: nothing writes it until the plan is made.
    m_storeChanging = true;
    m_work.Run([&] {
        QElapsedTimer sinceValue;
        sinceValue.start();
        BatchCallbacks callbacks;
        callbacks.progressVisible = [this](bool visible) {
            m_work.Post([this, visible] {
                if (visible)
                    BeginProgress(1);
                else
                    EndProgress();
            });
        };
        callbacks.progressMaximum = [this](int maximum) {
            m_work.Post([this, maximum] { m_progress->setMaximum(std::max(maximum, 1)); });
        };
        // One value per few milliseconds: a value per row would flood the window's queue.
        callbacks.progressValue = [this, &sinceValue](int value) {
            if (value != 0 && sinceValue.elapsed() < kPaintIntervalMs)
                return;
            sinceValue.restart();
            m_work.Post(
                [this, value] { m_progress->setValue(std::min(value, m_progress->maximum())); });
        };
        callbacks.stopRequested = [this] { return m_stopBatch.load(); };
        plan = kind == BatchKind::kMove ? PlanMove(m_store, settings, m_fs, callbacks)
                                        : PlanRename(m_store, settings, m_fs, callbacks);
    });
    m_storeChanging = false;
    if (EndWork())
        return;
    PreviewDialog dialog(std::move(plan), this);
    dialog.exec();
}

void Form1::MirrorSelectionIntoStore() {
    const QModelIndex current = m_table->currentIndex();
    if (m_storeChanging || !current.isValid())
        return;
    // The far corner of the block the cursor stands in; the cursor itself without one.
    int endRow = current.row();
    int endColumn = current.column();
    const QItemSelection selection = m_table->selectionModel()->selection();
    if (!selection.isEmpty()) {
        int top = current.row(), bottom = current.row();
        int left = current.column(), right = current.column();
        for (const QItemSelectionRange& range : selection) {
            top = std::min(top, range.top());
            bottom = std::max(bottom, range.bottom());
            left = std::min(left, range.left());
            right = std::max(right, range.right());
        }
        endRow = current.row() == top ? bottom : top;
        endColumn = current.column() == left ? right : left;
    }
    m_store.SetSelection(current.row() + 1, current.column(), endRow + 1, endColumn);
}

void Form1::ShowStoreCursor() {
    if (m_store.RowCount() <= 1 || m_store.CurrentRow() < 1)
        return;
    const QModelIndex at = m_model->index(m_store.CurrentRow() - 1, m_store.CurrentColumn());
    if (at.isValid() && m_table->currentIndex() != at)
        m_table->setCurrentIndex(at);
}

}  // namespace tagwright
