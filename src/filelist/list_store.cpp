#include "filelist/list_store.h"

#include <algorithm>

namespace tagwright {

std::string TagKindText(std::int16_t flags) {
    std::string text;
    // Bit 2 alone decides v1.1; bit 1 counts only when bit 2 is clear.
    if ((flags & 2) == 2) {
        text = "v1.1";
    } else if ((flags & 1) == 1) {
        text = "v1.0";
    }
    if ((flags & 8) == 8)
        text += text.empty() ? "v2" : "&v2";
    return text;
}

const ListStore::Row& ListStore::HeaderTexts() {
    static const Row header = {"R", "M", "FileName", "TagType", "NewName", "Path"};
    return header;
}

ListStore::ListStore() : m_rows(1) {
    WriteHeader();
}

void ListStore::WriteHeader() {
    m_rows[0].cells = HeaderTexts();
    m_rows[0].id = {};
}

void ListStore::SetRowCount(int count) {
    count = std::max(count, 1);
    const int old = RowCount();
    if (count == old)
        return;
    if (count < old) {
        Notify().ListAboutToReset();
        for (std::size_t i = static_cast<std::size_t>(count); i < m_rows.size(); ++i)
            Forget(m_rows[i].id);
        m_rows.resize(static_cast<std::size_t>(count));
        Notify().ListReset();
    } else {
        Notify().RowsAboutToBeAppended(old, count - 1);
        m_rows.resize(static_cast<std::size_t>(count));
        Notify().RowsAppended(old, count - 1);
    }
}

void ListStore::SetCell(int row, int column, std::string text) {
    m_rows[Index(row)].cells[Col(column)] = std::move(text);
    Notify().CellsChanged(row, row);
}

bool ListStore::RemoveRow(int row) {
    if (row < 1 || row >= RowCount() || RowCount() <= 2)
        return false;
    Notify().RowsAboutToBeRemoved(row, row);
    Forget(m_rows[Index(row)].id);
    m_rows.erase(m_rows.begin() + row);
    Notify().RowsRemoved(row, row);
    return true;
}

int ListStore::RemoveRowsIf(const std::function<bool(const Row&)>& pred) {
    const auto keep = [&](const Entry& r) { return !pred(r.cells); };
    if (std::all_of(m_rows.begin() + 1, m_rows.end(), keep))
        return 0;
    Notify().ListAboutToReset();
    for (auto it = m_rows.begin() + 1; it != m_rows.end(); ++it) {
        if (pred(it->cells))
            Forget(it->id);
    }
    const auto end = std::stable_partition(m_rows.begin() + 1, m_rows.end(), keep);
    const int removed = static_cast<int>(m_rows.end() - end);
    m_rows.erase(end, m_rows.end());
    Notify().ListReset();
    return removed;
}

void ListStore::ReorderRows(int first, const std::vector<int>& order) {
    if (order.size() < 2)
        return;
    Notify().LayoutAboutToChange();
    std::vector<Entry> moved;
    moved.reserve(order.size());
    for (int k : order)
        moved.push_back(std::move(m_rows[Index(first + k)]));
    std::move(moved.begin(), moved.end(), m_rows.begin() + first);
    Notify().LayoutChanged();
}

bool ListStore::AppendFileRow(std::string fileName, std::string tagKindText, std::string fullPath,
                              FileIdentity id) {
    if (Lists(id))
        return false;
    Entry entry;
    entry.cells[kFileName] = std::move(fileName);
    entry.cells[kTagType] = std::move(tagKindText);
    entry.cells[kPath] = std::move(fullPath);
    entry.id = id;
    Remember(id);
    if (HasPlaceholder()) {
        m_rows[1] = std::move(entry);
        Notify().CellsChanged(1, 1);
        return true;
    }
    const int index = RowCount();
    Notify().RowsAboutToBeAppended(index, index);
    m_rows.push_back(std::move(entry));
    Notify().RowsAppended(index, index);
    return true;
}

int ListStore::AppendFileRows(std::vector<Row> rows, const std::vector<FileIdentity>& ids) {
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FileIdentity id = i < ids.size() ? ids[i] : FileIdentity{};
        if (Lists(id))
            continue;
        Remember(id);
        entries.push_back(Entry{std::move(rows[i]), id});
    }
    const int added = static_cast<int>(entries.size());
    auto it = entries.begin();
    if (it != entries.end() && HasPlaceholder()) {
        m_rows[1] = std::move(*it++);
        Notify().CellsChanged(1, 1);
    }
    if (it == entries.end())
        return added;
    const int first = RowCount();
    const int last = first + static_cast<int>(entries.end() - it) - 1;
    Notify().RowsAboutToBeAppended(first, last);
    m_rows.insert(m_rows.end(), std::make_move_iterator(it),
                  std::make_move_iterator(entries.end()));
    Notify().RowsAppended(first, last);
    return added;
}

void ListStore::SetIdentity(int row, FileIdentity id) {
    Entry& entry = m_rows[Index(row)];
    Forget(entry.id);
    entry.id = id;
    Remember(id);
}

bool ListStore::Lists(const FileIdentity& id) const {
    return id.Known() && m_listed.count(id) != 0;
}

void ListStore::Remember(const FileIdentity& id) {
    if (id.Known())
        m_listed.insert(id);
}

void ListStore::Forget(const FileIdentity& id) {
    if (!id.Known())
        return;
    if (const auto it = m_listed.find(id); it != m_listed.end())
        m_listed.erase(it);
}

void ListStore::UpdateFileCount() {
    m_fileCountText = std::to_string(RowCount() - 1);
    Notify().FileCountChanged(m_fileCountText);
}

void ListStore::ResetFileList() {
    Notify().ListAboutToReset();
    m_rows.resize(1);
    m_listed.clear();
    WriteHeader();
    Notify().ListReset();
    UpdateFileCount();
}

}  // namespace tagwright
