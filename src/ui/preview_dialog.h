#pragma once

#include <QAbstractTableModel>
#include <QDialog>

#include "fileops/batch_plan.h"

class QLabel;
class QTableView;

namespace tagwright {

/// A batch plan as a table, one file a row: the mark ("○" it would be done, "×" it would not),
/// the old name, an arrow, the new name (a rename) or the destination folder (a move), and a
/// note: the reason for a "×", the number a clash would add, the folder question, and the
/// other files whose names would collide. Colliding rows are shaded.
class PlanTableModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { kMark, kOldName, kArrow, kTarget, kNote, kColumnCount };

    explicit PlanTableModel(BatchPlan plan, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const BatchPlan& plan() const { return m_plan; }
    /// The note of one line, as the table shows it.
    QString NoteText(std::size_t line) const;

  private:
    BatchPlan m_plan;
};

/// The preview of a rename or a move: a count of what would happen above the plan's table.
class PreviewDialog final : public QDialog {
    Q_OBJECT

  public:
    PreviewDialog(BatchPlan plan, QWidget* parent);

    QLabel* summary() const { return m_summary; }
    QTableView* table() const { return m_table; }
    PlanTableModel* model() const { return m_model; }

    /// "N 件: 実行 a 件、変更なし b 件、× c 件、衝突 d 件"
    static QString SummaryText(const BatchPlan& plan);

  private:
    QLabel* m_summary = nullptr;
    QTableView* m_table = nullptr;
    PlanTableModel* m_model = nullptr;
};

}  // namespace tagwright
