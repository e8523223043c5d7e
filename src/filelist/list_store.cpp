#include "filelist/list_store.h"

#include <algorithm>

#include "platform/path.h"

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
    m_rows[0].marks = {};
}

void ListStore::SetRowCount(int count) {
    count = std::max(count, 1);
    const int old = RowCount();
    if (count == old)
        return;
    if (count < old) {
        Notify().ListAboutToReset();
        for (std::size_t i = static_cast<std::size_t>(count); i < m_rows.size(); ++i)
            Forget(m_rows[i].marks.id);
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

namespace {

const std::string& MarkOf(FileRow::Outcome outcome) {
    static const std::string done = ListStore::kDone;
    static const std::string refused = ListStore::kRefused;
    static const std::string none;
    switch (outcome) {
        case FileRow::Outcome::kDone:
            return done;
        case FileRow::Outcome::kRefused:
            return refused;
        case FileRow::Outcome::kNone:
            break;
    }
    return none;
}

std::string NewNameText(const FileRow& file) {
    switch (file.rename.outcome) {
        case FileRow::Outcome::kDone:
            return file.newName;
        case FileRow::Outcome::kRefused: {
            const Error* e = file.rename.refusal.get();
            // The user's own choice to leave a file shows one text whatever the reason says.
            if (e == nullptr || e->kind == ErrorKind::kBlankTag || e->kind == ErrorKind::kCancelled)
                return std::string(kLackOfTagInfo);
            return std::string(kFailedPrefix) + e->reason;
        }
        case FileRow::Outcome::kNone:
            break;
    }
    return {};
}

// The length of the folder part of `p`, its last separator included.
std::size_t FolderLength(const std::string& p) {
    std::size_t n = p.size();
    while (n > 0 && !path::IsSeparator(p[n - 1]))
        --n;
    return n;
}

void Refuse(FileRow& file, FileRow::Step& step, const Error& error) {
    // The row follows the file to wherever it could not be brought back from.
    if (error.kind == ErrorKind::kStranded)
        file.path = error.path;
    step = {FileRow::Outcome::kRefused, std::make_shared<const Error>(error)};
}

}  // namespace

ListStore::Entry ListStore::EntryOf(FileRow file) {
    Entry entry;
    Row& cells = entry.cells;
    cells[kR] = MarkOf(file.rename.outcome);
    cells[kM] = MarkOf(file.move.outcome);
    cells[kTagType] = TagKindText(file.tagKinds);
    cells[kNewName] = NewNameText(file);
    cells[kFileName] = std::move(file.fileName);
    cells[kPath] = std::move(file.path);
    entry.marks = {file.id, file.tagKinds, std::move(file.rename), std::move(file.move)};
    return entry;
}

FileRow ListStore::File(int row) const {
    const Entry& entry = m_rows[Index(row)];
    const Marks& m = entry.marks;
    FileRow file{
        entry.cells[kPath], entry.cells[kFileName], m.tagKinds, m.id, m.rename, m.move, {}};
    if (m.rename.outcome == FileRow::Outcome::kDone)
        file.newName = entry.cells[kNewName];
    return file;
}

void ListStore::SetFile(int row, FileRow file) {
    Entry& entry = m_rows[Index(row)];
    if (!(entry.marks.id == file.id)) {
        Forget(entry.marks.id);
        Remember(file.id);
    }
    Entry now = EntryOf(std::move(file));
    const bool changed = now.cells != entry.cells;
    entry = std::move(now);
    if (changed)
        Notify().CellsChanged(row, row);
}

void ListStore::RecordRename(int row, Result<std::string> newName) {
    FileRow f = File(row);
    if (newName.ok()) {
        // The name the previous rename gave is the one the file carried until now.
        if (f.rename.outcome == FileRow::Outcome::kDone && !f.newName.empty())
            f.fileName = f.newName;
        f.path.erase(FolderLength(f.path));
        f.path += *newName;
        f.newName = std::move(*newName);
        f.rename = {FileRow::Outcome::kDone, nullptr};
    } else {
        Refuse(f, f.rename, newName.error());
    }
    SetFile(row, std::move(f));
}

void ListStore::RecordMove(int row, Result<std::string> newPath) {
    FileRow f = File(row);
    if (newPath.ok()) {
        f.path = std::move(*newPath);
        f.move = {FileRow::Outcome::kDone, nullptr};
    } else {
        Refuse(f, f.move, newPath.error());
    }
    SetFile(row, std::move(f));
}

void ListStore::RecordUndo(int row, bool rename, std::string path) {
    FileRow f = File(row);
    f.fileName = path::FileName(path);
    f.path = std::move(path);
    // The mark and the new name told of a change that is no more.
    if (rename) {
        f.rename = {};
        f.newName.clear();
    } else {
        f.move = {};
    }
    SetFile(row, std::move(f));
}

bool ListStore::RemoveRow(int row) {
    if (row < 1 || row >= RowCount() || RowCount() <= 2)
        return false;
    Notify().RowsAboutToBeRemoved(row, row);
    Forget(m_rows[Index(row)].marks.id);
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
            Forget(it->marks.id);
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

bool ListStore::AppendFileRow(std::string fileName, std::int16_t tagKinds, std::string fullPath,
                              FileIdentity id) {
    FileRow file;
    file.path = std::move(fullPath);
    file.fileName = std::move(fileName);
    file.tagKinds = tagKinds;
    file.id = id;
    return AppendFileRow(std::move(file));
}

bool ListStore::AppendFileRow(FileRow file) {
    if (Lists(file.id))
        return false;
    Remember(file.id);
    if (HasPlaceholder()) {
        m_rows[1] = EntryOf(std::move(file));
        Notify().CellsChanged(1, 1);
        return true;
    }
    const int index = RowCount();
    Notify().RowsAboutToBeAppended(index, index);
    m_rows.push_back(EntryOf(std::move(file)));
    Notify().RowsAppended(index, index);
    return true;
}

int ListStore::AppendFileRows(std::vector<FileRow> rows) {
    std::vector<Entry> entries;
    entries.reserve(rows.size());
    for (FileRow& file : rows) {
        if (Lists(file.id))
            continue;
        Remember(file.id);
        entries.push_back(EntryOf(std::move(file)));
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
    Forget(entry.marks.id);
    entry.marks.id = id;
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
