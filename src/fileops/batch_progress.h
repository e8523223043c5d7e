#pragma once

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

}  // namespace tagwright
