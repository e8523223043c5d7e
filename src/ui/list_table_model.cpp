#include "ui/list_table_model.h"

#include "ui/qt_text.h"

namespace tagwright {

namespace {

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

ListTableModel::ListTableModel(ListStore& store, QObject* parent)
    : QAbstractTableModel(parent), m_store(store) {
    m_store.SetObserver(this);
}

ListTableModel::~ListTableModel() {
    m_store.SetObserver(nullptr);
}

int ListTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_store.RowCount() - 1;
}

int ListTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ListStore::kColumnCount;
}

QVariant ListTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() + 1 >= m_store.RowCount() ||
        index.column() >= ListStore::kColumnCount) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(m_store.Cell(index.row() + 1, index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(AlignmentOfCode(m_store.ColumnAlignment(index.column())));
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
        return QVariant::fromValue(AlignmentOfCode(m_store.ColumnAlignment(section)));
    return {};
}

void ListTableModel::RowsAboutToBeAppended(int first, int last) {
    beginInsertRows({}, first - 1, last - 1);
}

void ListTableModel::RowsAppended(int, int) {
    endInsertRows();
}

void ListTableModel::CellsChanged(int firstRow, int lastRow) {
    if (firstRow < 1)
        firstRow = 1;
    if (lastRow < firstRow)
        return;
    emit dataChanged(index(firstRow - 1, 0), index(lastRow - 1, ListStore::kColumnCount - 1));
}

void ListTableModel::LayoutAboutToChange() {
    emit layoutAboutToBeChanged();
}

void ListTableModel::LayoutChanged() {
    emit layoutChanged();
}

void ListTableModel::RowsAboutToBeRemoved(int first, int last) {
    beginRemoveRows({}, first - 1, last - 1);
}

void ListTableModel::RowsRemoved(int, int) {
    endRemoveRows();
}

void ListTableModel::ListAboutToReset() {
    beginResetModel();
}

void ListTableModel::ListReset() {
    endResetModel();
}

void ListTableModel::FileCountChanged(const std::string& text) {
    emit fileCountChanged(ToQt(text));
}

}  // namespace tagwright
