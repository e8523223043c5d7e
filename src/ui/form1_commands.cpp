// Form1's commands: the popup menu and the Delete key, drops, the folder search and the rename
// and move batches. The last four work on a thread of their own; the list is written here.
#include <QApplication>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <memory>

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
    // Each list command works on the view's cursor and selection; the view's cursor then goes
    // where the command left it.
    const auto listCommand = [this](auto command) {
        return [this, command](auto... index) {
            if (m_busy)
                return;
            command(GridFromView(), index...);
            // An emptied list starts afresh: its files' tags are not kept for another.
            if (m_store.IsEmptyForBatch())
                m_tags.Clear();
            ShowGridCursor();
        };
    };
    connect(
        this, &Form1::sortFileNameRequested, this,
        listCommand([this](GridState& grid, int index) { SortList(m_store, grid, index == 1); }));
    connect(this, &Form1::delAllRequested, this,
            listCommand([this](GridState& grid) { DeleteAllFiles(m_store, grid); }));
    connect(this, &Form1::delRenameRequested, this, listCommand([this](GridState& grid, int index) {
                PruneList(m_store, grid, RenamePruneCommand(index));
            }));
    connect(this, &Form1::delFMoveRequested, this, listCommand([this](GridState& grid, int index) {
                PruneList(m_store, grid, MovePruneCommand(index));
            }));
    connect(this, &Form1::delTagVRequested, this, listCommand([this](GridState& grid, int index) {
                PruneList(m_store, grid, TagPruneCommand(index));
            }));
    connect(this, &Form1::deleteKeyPressed, this,
            listCommand([this](GridState& grid) { DeleteSelectedRows(m_store, grid); }));
    // A drop is the drop source's own call, which waits for the drop event to return (on
    // Windows the file manager hangs meanwhile): the event only takes the paths, and the work
    // starts once it has returned.
    connect(this, &Form1::pathsDropped, this, &Form1::AddDroppedPaths, Qt::QueuedConnection);
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
    m_found += m_store.AppendFileRows(std::move(rows));
    // The count shows how many have been found so far.
    m_store.UpdateFileCount();
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
    // Files in a list that had none: the cursor comes to the first.
    GridFromView();
    ShowGridCursor();
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
    // while for a long list: nothing writes the list until the first row comes back.
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
        callbacks.tagCache = &m_tags;
        // Called before the row's Path could change: it still names the file that stayed.
        // A blank tag or a Cancel is the user's own choice and shows only as the row's mark.
        callbacks.rowRefused = [&](int row, const Error& error) {
            if (error.kind == ErrorKind::kBlankTag || error.kind == ErrorKind::kCancelled)
                return;
            refused.push_back({copy.Cell(row, ListStore::kPath), error});
        };
        batch(copy, settings, callbacks, journaled);
    });
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

BatchCallbacks Form1::WorkerProgress() {
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
    auto sinceValue = std::make_shared<QElapsedTimer>();
    sinceValue->start();
    callbacks.progressValue = [this, sinceValue](int value) {
        if (value != 0 && sinceValue->elapsed() < kPaintIntervalMs)
            return;
        sinceValue->restart();
        m_work.Post(
            [this, value] { m_progress->setValue(std::min(value, m_progress->maximum())); });
    };
    callbacks.stopRequested = [this] { return m_stopBatch.load(); };
    return callbacks;
}

void Form1::ShowPreview(BatchKind kind) {
    if (m_busy)
        return;
    BeginWork();
    const Settings settings = BuildSettings();
    BatchPlan plan;
    // The plan reads the list from the worker: nothing writes it until the plan is made.
    BatchCallbacks callbacks = WorkerProgress();
    callbacks.tagCache = &m_tags;
    m_work.Run([&] {
        plan = kind == BatchKind::kMove ? PlanMove(m_store, settings, m_fs, callbacks)
                                        : PlanRename(m_store, settings, m_fs, callbacks);
    });
    if (EndWork())
        return;
    PreviewDialog dialog(std::move(plan), this);
    dialog.exec();
}

GridState& Form1::GridFromView() {
    ReadGridSelection(*m_table, m_grid);
    m_grid.Clamp(m_store.RowCount());
    return m_grid;
}

void Form1::ShowGridCursor() {
    m_grid.Clamp(m_store.RowCount());
    tagwright::ShowGridCursor(*m_table, m_grid);
}

}  // namespace tagwright
