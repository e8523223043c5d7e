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

    ListStore& m_store;
};

}  // namespace tagwright
