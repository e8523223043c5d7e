#pragma once

#include <optional>
#include <string>
#include <vector>

#include "filelist/list_store.h"
#include "fileops/batch_callbacks.h"
#include "fileops/file_outcome.h"
#include "platform/read_ahead.h"

namespace tagwright {

// ProgressBar1 over one batch: shown with value 0 and the row count as maximum, one step per
// row, hidden when the batch ends however it ends. The batch's file system `fs`, when given,
// settles its records before the bar is hidden: the front end may then wait on the user.
class BatchProgress {
  public:
    BatchProgress(const BatchCallbacks& callbacks, int maximum, FileSystem* fs = nullptr)
        : m_cb(callbacks), m_fs(fs) {
        if (m_cb.progressVisible)
            m_cb.progressVisible(true);
        if (m_cb.progressValue)
            m_cb.progressValue(0);
        if (m_cb.progressMaximum)
            m_cb.progressMaximum(maximum);
    }
    ~BatchProgress() {
        if (m_fs)
            m_fs->SettleRecords();
        if (m_cb.progressVisible)
            m_cb.progressVisible(false);
    }
    BatchProgress(const BatchProgress&) = delete;
    BatchProgress& operator=(const BatchProgress&) = delete;

    void RowDone(int row) {
        if (m_cb.rowFinished)
            m_cb.rowFinished(row);
        if (m_cb.progressValue)
            m_cb.progressValue(++m_value);
    }

  private:
    const BatchCallbacks& m_cb;
    FileSystem* m_fs;
    int m_value = 0;
};

// The rows of one batch, in order, between the bar's show and hide: `doRow(row, path)` for each
// file row. Nothing at all when the list is empty or holds only the placeholder.
template <class DoRow>
void ForEachFileRow(ListStore& store, const BatchCallbacks& callbacks, DoRow&& doRow) {
    if (store.IsEmptyForBatch())
        return;
    BatchProgress progress(callbacks, store.RowCount());
    const int rows = store.RowCount();
    for (int i = 1; i < rows && i < store.RowCount(); ++i) {
        if (callbacks.stopRequested && callbacks.stopRequested())
            break;
        doRow(i, std::string(store.Cell(i, ListStore::kPath)));
        progress.RowDone(i);
    }
}

// A row's file as read ahead of its turn: its fields, or why they could not be had.
struct RowRead {
    std::optional<TagFields> fields;
    Error error;
    // The check before the read found the listed file itself, and no link.
    bool checkedFile = false;
};

// ForEachFileRow with each row's fields read first: `doRow(row, path, read)`. The reads of
// later rows run ahead on up to callbacks.readJobs threads while earlier rows are done, so a
// cold disk is kept busy; `doRow` still runs on the calling thread, row by row. A file that is
// no longer the one listed, or cannot be read, comes with its refusal, as `op` would meet it.
template <class DoRow>
void ForEachFileRowRead(ListStore& store, const BatchCallbacks& callbacks, FileSystem& fs,
                        const char* op, std::int16_t mode, const Settings& settings,
                        DoRow&& doRow) {
    if (store.IsEmptyForBatch())
        return;
    BatchProgress progress(callbacks, store.RowCount(), &fs);
    struct Listed {
        std::string path;
        FileIdentity id;
    };
    // Taken before any thread starts: the reads never touch the store.
    std::vector<Listed> rows;
    for (int i = 1; i < store.RowCount(); ++i)
        rows.push_back({store.Cell(i, ListStore::kPath), store.Identity(i)});
    const auto read = [&](std::size_t k) {
        RowRead r;
        FileStatus found;
        if (auto changed = CheckListedFile(fs, op, rows[k].path, rows[k].id, &found)) {
            r.error = *changed;
        } else {
            r.checkedFile = rows[k].id.Known() && !found.link;
            r.fields = ReadFieldsForRow(fs, rows[k].path, mode, settings, &r.error,
                                        callbacks.tagCache, found);
        }
        return r;
    };
    const int jobs = fs.ConcurrentReads() ? callbacks.readJobs : 1;
    ReadInOrder<RowRead>(rows.size(), jobs, read, [&](std::size_t k, RowRead& r) {
        if (callbacks.stopRequested && callbacks.stopRequested())
            return false;
        const int row = static_cast<int>(k) + 1;
        doRow(row, rows[k].path, r);
        progress.RowDone(row);
        return true;
    });
}

}  // namespace tagwright
