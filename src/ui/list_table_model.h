#pragma once

#include <QAbstractTableModel>

#include "filelist/grid_state.h"
#include "filelist/list_store.h"

class QTableView;

namespace tagwright {

/// A view of the ListStore for QTableView. It owns no row data: store row 0 feeds the header,
/// view row r is store row r + 1, and texts are converted only when the view asks for them.
/// The columns' alignments come from the grid state.
class ListTableModel final : public QAbstractTableModel, private ListObserver {
    Q_OBJECT

  public:
    /// `grid` must outlive the model.
    ListTableModel(ListStore& store, const GridState& grid, QObject* parent = nullptr);
    ~ListTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    ListStore& store() { return m_store; }

    /// Until EndBulkAppend, rows the store appends one at a time reach the view in chunks,
    /// as a search's do: a view told of each row alone would spend a large drop updating
    /// itself. Any other change of the store shows the rows appended so far first.
    void BeginBulkAppend() { m_bulk = true; }
    void EndBulkAppend();

  signals:
    void fileCountChanged(const QString& text);

  private:
    void RowsAboutToBeAppended(int first, int last) override;
    void RowsAppended(int first, int last) override;
    void CellsChanged(int firstRow, int lastRow) override;
    void RowsAboutToBeRemoved(int first, int last) override;
    void RowsRemoved(int first, int last) override;
    void LayoutAboutToChange() override;
    void LayoutChanged() override;
    void ListAboutToReset() override;
    void ListReset() override;
    void FileCountChanged(const std::string& text) override;

    // Tells the view of the rows appended but not yet shown.
    void ShowPendingRows();

    ListStore& m_store;
    const GridState& m_grid;
    // The file rows the view has been told of; all of the store's unless appends are pending.
    int m_shownRows = 0;
    bool m_bulk = false;
};

/// Puts the view's cell cursor and the far corner of the block it stands in into `grid`, in
/// store rows (view row + 1). A view without a current cell leaves `grid` as it is.
void ReadGridSelection(const QTableView& view, GridState& grid);

/// Moves the view's cell cursor to `grid`'s, when that is on a file row the view shows.
void ShowGridCursor(QTableView& view, const GridState& grid);

}  // namespace tagwright
