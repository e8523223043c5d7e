#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/result.h"

namespace tagwright {

/// NewName of a row whose rename was refused starts with this, followed by the reason.
/// Composed names never hold an ASCII ":", so no real name starts this way.
inline constexpr std::string_view kFailedPrefix = "Faild:";
/// NewName of a row refused for a blank tag.
inline constexpr std::string_view kLackOfTagInfo = "Faild:lack of TagInfo";

/// One listed file as the list keeps it. The six texts its row shows are made from this.
struct FileRow {
    enum class Outcome : std::uint8_t { kNone, kDone, kRefused };
    /// What became of the file in the last rename, or in the last move.
    struct Step {
        Outcome outcome = Outcome::kNone;
        /// kRefused: why. Shared, as copies of the list made for a batch share it.
        std::shared_ptr<const Error> refusal;
    };

    /// Where the file is now: its folder and its name.
    std::string path;
    /// The name shown in FileName: the listed name, or the one the file carried before its
    /// last rename.
    std::string fileName;
    /// The Tag kind flags found when listed (TagKindText gives TagType).
    std::int16_t tagKinds = 0;
    /// The file's identity recorded when listed (unknown for rows listed without one).
    FileIdentity id;
    Step rename;
    Step move;
    /// The name the last rename gave; meaningful while `rename` is kDone.
    std::string newName;
};

/// The Tag kind text of Tag kind flags: "", "v1.0", "v1.1", "v2", "v1.0&v2", "v1.1&v2".
std::string TagKindText(std::int16_t flags);

/// What changed in a ListStore, for a view that mirrors it. Rows are store rows (0 = header).
class ListObserver {
  public:
    virtual ~ListObserver() = default;
    virtual void RowsAboutToBeAppended(int /*first*/, int /*last*/) {}
    virtual void RowsAppended(int /*first*/, int /*last*/) {}
    virtual void CellsChanged(int /*firstRow*/, int /*lastRow*/) {}
    virtual void RowsAboutToBeRemoved(int /*first*/, int /*last*/) {}
    virtual void RowsRemoved(int /*first*/, int /*last*/) {}
    virtual void LayoutAboutToChange() {}
    virtual void LayoutChanged() {}
    virtual void ListAboutToReset() {}
    virtual void ListReset() {}
    virtual void FileCountChanged(const std::string& /*text*/) {}
};

/// The file list: the only copy of the listed files. Row 0 is the header; each file row is a
/// FileRow and shows six texts made from it (R, M, FileName, TagType, NewName, Path). A single
/// file row whose Path is empty is the placeholder row and stands for an empty list.
class ListStore {
  public:
    enum Column { kR = 0, kM = 1, kFileName = 2, kTagType = 3, kNewName = 4, kPath = 5 };
    static constexpr int kColumnCount = 6;
    using Row = std::array<std::string, kColumnCount>;

    /// The outcome marks of R and M.
    static constexpr const char* kDone = "\u25CB";     // ○
    static constexpr const char* kRefused = "\u00D7";  // ×

    /// A new list: the header row only, the count text "0".
    ListStore();

    /// Rows including the header; an empty list has 1.
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    /// Shrinks the list to `count` rows (at least 1, the header) or grows it with empty rows.
    void SetRowCount(int count);

    const std::string& Cell(int row, int column) const {
        return m_rows[Index(row)].cells[Col(column)];
    }
    /// Free text that leaves the row's file as it is: for the Delete key, which empties the
    /// last file row's cells and so makes it the placeholder.
    void SetCell(int row, int column, std::string text);
    const Row& RowAt(int row) const { return m_rows[Index(row)].cells; }

    /// The file a row lists (nothing for the header).
    FileRow File(int row) const;
    /// Puts `file` in a file row, as a batch's own copy of the list has left it.
    void SetFile(int row, FileRow file);
    /// A rename's outcome: the file's new name, or why it was refused. A refusal of kind
    /// kStranded moves the row to where the file was left.
    void RecordRename(int row, Result<std::string> newName);
    /// A move's outcome: the file's new full path, or why it was refused (kStranded as above).
    void RecordMove(int row, Result<std::string> newPath);
    /// An undone rename or move brought the file back to `path`: the row forgets that step.
    void RecordUndo(int row, bool rename, std::string path);

    /// The identity of the file a row was listed for (unknown for the header, the placeholder
    /// and rows listed without one). A batch acts on a row's path only while it names this file.
    const FileIdentity& Identity(int row) const { return m_rows[Index(row)].marks.id; }
    /// After a move that made a new file of the same content (a copy across devices).
    void SetIdentity(int row, FileIdentity id);
    /// True when a row holds the file `id` (never for an unknown identity).
    bool Lists(const FileIdentity& id) const;

    /// True when the list holds only the placeholder row.
    bool HasPlaceholder() const { return m_rows.size() > 1 && m_rows[1].cells[kPath].empty(); }
    /// True when there is no file to work on: no file row, or only the placeholder.
    bool IsEmptyForBatch() const { return m_rows.size() <= 1 || m_rows[1].cells[kPath].empty(); }

    /// Removes one file row. The last file row cannot be removed this way: returns false and
    /// changes nothing (the Delete key then empties its cells instead).
    bool RemoveRow(int row);
    /// Removes every file row for which `pred` is true in one pass (the view is told once, as a
    /// reset); returns how many went.
    /// Removing the last file row this way leaves the list empty (row count 1).
    int RemoveRowsIf(const std::function<bool(const Row&)>& pred);
    /// Puts the rows first + order[0], first + order[1], ... at first, first + 1, ...; `order`
    /// must be a permutation of 0..order.size()-1 and the rows must be file rows.
    void ReorderRows(int first, const std::vector<int>& order);

    /// Puts one file into the list: fills the placeholder row, or appends a row. A file the
    /// list holds already (the same identity: listed twice, or a hard link to a listed file)
    /// is not added again; returns whether it was added. Does not refresh the count.
    bool AppendFileRow(std::string fileName, std::int16_t tagKinds, std::string fullPath,
                       FileIdentity id = {});
    /// Appends many files at once (one notification for the whole batch). Files already listed
    /// are left out; returns how many were added.
    int AppendFileRows(std::vector<FileRow> rows);
    /// The same for a whole row.
    bool AppendFileRow(FileRow file);

    /// The count text (row count - 1 in decimal) after the last UpdateFileCount.
    const std::string& FileCountText() const { return m_fileCountText; }
    void UpdateFileCount();
    /// Empties the list and restores the header. Refreshes the count.
    void ResetFileList();

    /// One observer (the view's adapter) at a time; nullptr detaches.
    void SetObserver(ListObserver* observer) { m_observer = observer; }

    static const Row& HeaderTexts();

  private:
    static std::size_t Col(int column) { return static_cast<std::size_t>(column); }
    static std::size_t Index(int row) { return static_cast<std::size_t>(row); }
    void WriteHeader();
    void Remember(const FileIdentity& id);
    void Forget(const FileIdentity& id);

    // A FileRow less the texts that its row shows as they are (Path, FileName and a done
    // rename's NewName): each string is held once, which keeps the rows small to sort.
    struct Marks {
        FileIdentity id;
        std::int16_t tagKinds = 0;
        FileRow::Step rename;
        FileRow::Step move;
    };
    struct Entry {
        Row cells;
        Marks marks;
    };
    static Entry EntryOf(FileRow file);
    // A deque: a list growing by a search's chunks never moves all its rows to a new block at
    // once, which at 100,000 rows would hold up the window that appends them.
    std::deque<Entry> m_rows;
    std::multiset<FileIdentity> m_listed;
    std::string m_fileCountText = "0";
    ListObserver* m_observer = nullptr;
    ListObserver m_null;
    ListObserver& Notify() { return m_observer != nullptr ? *m_observer : m_null; }
};

}  // namespace tagwright
