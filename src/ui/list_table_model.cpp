#include "ui/list_table_model.h"

#include <algorithm>

#include <QTableView>

#include "ui/qt_text.h"

namespace tagwright {

namespace {

// The same chunk as the folder search's.
constexpr int kBulkChunk = 1024;

// The grid's alignment codes: 0-2 left, 3-5 centre, 6-8 right, each top, middle, bottom;
// 9 (general) puts text at the left.
Qt::Alignment AlignmentOfCode(int code) {
    if (code < 0 || code > 8)
        return Qt::AlignLeft | Qt::AlignVCenter;
    static constexpr Qt::AlignmentFlag kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter,
                                                        Qt::AlignRight};
    static constexpr Qt::AlignmentFlag kVertical[] = {Qt::AlignTop, Qt::AlignVCenter,
                                                      Qt::AlignBottom};
    return kHorizontal[code / 3] | kVertical[code % 3];
}

}  // namespace

ListTableModel::ListTableModel(ListStore& store, const GridState& grid, QObject* parent)
    : QAbstractTableModel(parent), m_store(store), m_grid(grid), m_shownRows(store.RowCount() - 1) {
    m_store.SetObserver(this);
}

ListTableModel::~ListTableModel() {
    m_store.SetObserver(nullptr);
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_shownRows;
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ListStore::kColumnCount;
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_shownRows ||
        index.column() >= ListStore::kColumnCount) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(m_store.Cell(index.row() + 1, index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(AlignmentOfCode(m_grid.ColumnAlignment(index.column())));
        default:
            return {};
    }
}

QVariant ListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ListStore::kColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole)
        return ToQt(m_store.Cell(0, section));
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(AlignmentOfCode(m_grid.ColumnAlignment(section)));
    return {};
}

void ListTableModel::EndBulkAppend() {
    m_bulk = false;
    ShowPendingRows();
}

void ListTableModel::ShowPendingRows() {
    const int rows = m_store.RowCount() - 1;
    if (rows <= m_shownRows)
        return;
    beginInsertRows({}, m_shownRows, rows - 1);
    m_shownRows = rows;
    endInsertRows();
}

void ListTableModel::RowsAboutToBeAppended(int first, int last) {
    if (!m_bulk)
        beginInsertRows({}, first - 1, last - 1);
}

void ListTableModel::RowsAppended(int, int last) {
    if (!m_bulk) {
        m_shownRows = last;
        endInsertRows();
    } else if (last - m_shownRows >= kBulkChunk) {
        ShowPendingRows();
    }
}

void ListTableModel::CellsChanged(int firstRow, int lastRow) {
    ShowPendingRows();
    if (firstRow < 1)
        firstRow = 1;
    if (lastRow < firstRow)
        return;
    emit dataChanged(index(firstRow - 1, 0), index(lastRow - 1, ListStore::kColumnCount - 1));
}

void ListTableModel::LayoutAboutToChange() {
    ShowPendingRows();
    emit layoutAboutToBeChanged();
}

void ListTableModel::LayoutChanged() {
    emit layoutChanged();
}

void ListTableModel::RowsAboutToBeRemoved(int first, int last) {
    ShowPendingRows();
    beginRemoveRows({}, first - 1, last - 1);
}

void ListTableModel::RowsRemoved(int, int) {
    m_shownRows = m_store.RowCount() - 1;
    endRemoveRows();
}

void ListTableModel::ListAboutToReset() {
    beginResetModel();
}

void ListTableModel::ListReset() {
    m_shownRows = m_store.RowCount() - 1;
    endResetModel();
}

void ListTableModel::FileCountChanged(const std::string& text) {
    ShowPendingRows();
    emit fileCountChanged(ToQt(text));
}

void ReadGridSelection(const QTableView& view, GridState& grid) {
    const QModelIndex current = view.currentIndex();
    if (!current.isValid())
        return;
    // The far corner of the block the cursor stands in; the cursor itself without one.
    int endRow = current.row();
    int endColumn = current.column();
    const QItemSelection selection = view.selectionModel()->selection();
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
    grid.SetSelection(current.row() + 1, current.column(), endRow + 1, endColumn);
}

void ShowGridCursor(QTableView& view, const GridState& grid) {
    if (grid.CurrentRow() < 1 || view.model() == nullptr)
        return;
    const QModelIndex at = view.model()->index(grid.CurrentRow() - 1, grid.CurrentColumn());
    if (at.isValid() && view.currentIndex() != at)
        view.setCurrentIndex(at);
}

}  // namespace tagwright
