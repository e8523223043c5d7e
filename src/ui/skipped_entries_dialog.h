#pragma once

#include <QDialog>
#include <vector>

#include "platform/result.h"

class QLabel;
class QPlainTextEdit;

namespace tagwright {

/// Told after a search or a drop that had to leave out entries it could not read: how many,
/// and which, one "path: reason" a line in a list the user can scroll and copy from.
class SkippedEntriesDialog final : public QDialog {
    Q_OBJECT

  public:
    SkippedEntriesDialog(const std::vector<Error>& skipped, QWidget* parent);

    QLabel* summary() const { return m_summary; }
    QPlainTextEdit* entries() const { return m_entries; }

    /// "読み込めなかった項目があります（N 件）"
    static QString SummaryText(std::size_t count);

  private:
    QLabel* m_summary = nullptr;
    QPlainTextEdit* m_entries = nullptr;
};

}  // namespace tagwright
