// Form1's commands: the popup menu and the Delete key, drops, the folder search and the rename
// and move batches, each run through the core on the window's thread to its end.
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTableView>

#include "filelist/drop_logic.h"
#include "filelist/list_commands.h"
#include "fileops/journaled_file_system.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "naming/char_conversion.h"
#include "naming/rule_editing.h"
#include "ui/form1.h"
#include "ui/list_table_model.h"
#include "ui/qt_text.h"
#include "ui/skipped_entries_dialog.h"

namespace tagwright {

namespace {

// A batch does not yield, so the bar and the grid are painted by hand. Painting more often
// than this looks no different and would make a 100,000-row batch spend its time painting.
constexpr qint64 kPaintIntervalMs = 30;

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
    connect(this, &Form1::reNameRequested, this, &Form1::RunRename);
    connect(this, &Form1::moveRequested, this, &Form1::RunMove);
    connect(this, &Form1::undoRequested, this, &Form1::RunUndo);
}

void Form1::AddDroppedPaths(const QStringList& paths) {
    if (m_busy)
        return;
    std::vector<std::string> list;
    list.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& p : paths)
        list.push_back(FromQt(p));
    m_storeChanging = true;
    // Single files enter the store one row at a time; the view takes them in chunks.
    m_model->BeginBulkAppend();
    FileAddReport report = DropPaths(m_fs, m_store, m_search, list);
    m_model->EndBulkAppend();
    m_storeChanging = false;
    ShowStoreCursor();
    if (report.skipped.empty())
        return;
    // Told once the drop has returned: a dialog inside the drop would hold the file manager
    // that the files came from until it is closed.
    QMetaObject::invokeMethod(
        this, [this, report = std::move(report)] { TellSkipped(report); }, Qt::QueuedConnection);
}

FileAddReport Form1::SearchFolder(const QString& folder, const QString& extensionFilter,
                                  bool includeSubfolders) {
    m_storeChanging = true;
    FileAddReport report =
        m_search.SearchMP3Files(FromQt(folder), FromQt(extensionFilter), includeSubfolders);
    m_store.UpdateFileCount();
    m_storeChanging = false;
    ShowStoreCursor();
    return report;
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
    m_busy = true;
    m_stopBatch = false;
    std::vector<RefusedFile> refused;
    QElapsedTimer sincePaint;
    sincePaint.start();
    BatchCallbacks callbacks;
    callbacks.progressVisible = [this](bool visible) {
        if (visible)
            BeginProgress(1);
        else
            EndProgress();
    };
    callbacks.progressMaximum = [this](int maximum) {
        m_progress->setMaximum(std::max(maximum, 1));
    };
    callbacks.progressValue = [this, &sincePaint](int value) {
        m_progress->setValue(std::min(value, m_progress->maximum()));
        // The rows written so far and the bar, painted now: the batch hands no events to the
        // window, input included, until it ends.
        const bool last = value >= m_progress->maximum() - 1;
        if (value == 0 || last || sincePaint.elapsed() >= kPaintIntervalMs) {
            m_table->viewport()->repaint();
            m_progress->repaint();
            sincePaint.restart();
        }
    };
    callbacks.askCreateFolder = [this](const std::string& prompt, const std::string& title) {
        return AskCreateFolder(ToQt(prompt), ToQt(title)) ? FolderAnswer::kOk
                                                          : FolderAnswer::kCancel;
    };
    callbacks.stopRequested = [this] { return m_stopBatch; };
    // Called before the row's Path could change: it still names the file that stayed.
    // A blank tag or a Cancel is the user's own choice and shows only as the row's mark.
    callbacks.rowRefused = [this, &refused](int row, const Error& error) {
        if (error.kind == ErrorKind::kBlankTag || error.kind == ErrorKind::kCancelled)
            return;
        refused.push_back({m_store.Cell(row, ListStore::kPath), error});
    };
    // No batch changes a file without a journal to undo it by.
    auto journal =
        BatchJournal::Begin(m_fs, m_journalFolder, kind == BatchKind::kMove ? "move" : "rename");
    if (!journal.ok()) {
        m_busy = false;
        QMessageBox::warning(this, QStringLiteral("Tagwright"),
                             QStringLiteral("元に戻すための記録を書けないため、実行しませんでした。"
                                            "\n\n") +
                                 ToQt(journal.error().Message()));
        return;
    }
    JournaledFileSystem journaled(m_fs, **journal);
    batch(BuildSettings(), callbacks, journaled);
    m_busy = false;
    m_stopBatch = false;
    if (std::exchange(m_closeAfterBatch, false)) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
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
             [this](const Settings& settings, const BatchCallbacks& callbacks, FileSystem& fs) {
                 RunRenameBatch(m_store, settings, fs, callbacks);
             });
}

void Form1::RunMove() {
    RunBatch(BatchKind::kMove,
             [this](const Settings& settings, const BatchCallbacks& callbacks, FileSystem& fs) {
                 RunMoveBatch(m_store, settings, fs, callbacks);
             });
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
