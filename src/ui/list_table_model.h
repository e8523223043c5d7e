#pragma once

#include <QAbstractTableModel>

#include "filelist/list_store.h"

namespace tagwright {

/// A view of the ListStore for QTableView. It owns no row data: store row 0 feeds the header,
/// view row r is store row r + 1, and texts are converted only when the view asks for them.
class ListTableModel final : public QAbstractTableModel, private ListObserver {
    Q_OBJECT

  public:
    explicit ListTableModel(ListStore& store, QObject* parent = nullptr);
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
    // The file rows the view has been told of; all of the store's unless appends are pending.
    int m_shownRows = 0;
    bool m_bulk = false;
};

}  // namespace tagwright
