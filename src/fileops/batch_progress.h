#pragma once

#include <string>

#include "filelist/list_store.h"
#include "fileops/batch_callbacks.h"

namespace tagwright {

// ProgressBar1 over one batch: shown with value 0 and the row count as maximum, one step per
// row, hidden when the batch ends however it ends.
class BatchProgress {
  public:
    BatchProgress(const BatchCallbacks& callbacks, int maximum) : m_cb(callbacks) {
        if (m_cb.progressVisible)
            m_cb.progressVisible(true);
        if (m_cb.progressValue)
            m_cb.progressValue(0);
        if (m_cb.progressMaximum)
            m_cb.progressMaximum(maximum);
    }
    ~BatchProgress() {
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

}  // namespace tagwright
