#pragma once

#include <optional>
#include <string>

#include "filelist/grid_state.h"
#include "filelist/list_store.h"

namespace tagwright {

/// The number a cell holds for the generic order: optional blanks, an optional sign, digits
/// with at most one decimal point, an optional exponent, optional blanks ("12", " -3.5 ",
/// "1e3"). Anything else, the empty cell included, is text.
std::optional<double> GenericNumber(const std::string& cell);

/// The grid's generic order of two cells: by value when both hold numbers, otherwise as text
/// (code point order). Negative, zero or positive.
int GenericCompare(const std::string& a, const std::string& b);

/// "昇順" (ascending) and "降順" (descending): sorts whole rows in the generic order, keyed on
/// the selected columns from left to right (the cell cursor's column when only one is
/// selected). The rows sorted run from the cell cursor's row to the selection's far row, or
/// are all file rows when the selection lies in a single row. Stable; the header never moves;
/// the count is not refreshed (it cannot change). The cursor stays where it is.
void SortList(ListStore& store, GridState& grid, bool descending);

/// The seven prune entries of the popup menu. Every test compares the whole cell, exactly.
enum class PruneCommand {
    kRenameFailed,  ///< "リネーム成否" / "失敗": R is "×"
    kRenameDone,    ///< "リネーム成否" / "成功": R is "○"
    kMoveFailed,    ///< "ファイル移動" / "失敗": M is "×"
    kMoveDone,      ///< "ファイル移動" / "成功": M is "○"
    kNoTag,         ///< "タグ" / "タグなし": TagType is empty
    kTagV1,         ///< "タグ" / "v1&v1.1": TagType is "v1.0" or "v1.1" (not with "&v2")
    kTagV2,         ///< "タグ" / "v2": TagType is "v2"
};

/// The prune command of a menu array element: the rename and move arrays give failed (0) and
/// done (1); the tag array gives no tag (0), v1 (1) and v2 (2).
PruneCommand RenamePruneCommand(int index);
PruneCommand MovePruneCommand(int index);
PruneCommand TagPruneCommand(int index);

/// True when the row is one the command removes.
bool PruneMatches(PruneCommand command, const ListStore::Row& row);

/// Removes every file row the command matches, keeping the order of the rest. When the last
/// file row goes, the list is emptied as by DeleteAllFiles, not left with a placeholder row.
/// Refreshes the count; returns how many rows went. The cursor stays within the rows left.
int PruneList(ListStore& store, GridState& grid, PruneCommand command);

/// "すべてのファイル": empties the list, restores the header texts and the grid's widths and
/// alignments (ResetForEmptyList), and refreshes the count.
void DeleteAllFiles(ListStore& store, GridState& grid);

/// The Delete key: removes the cell cursor's row. The only file row is not removed but
/// emptied, and becomes the placeholder row. Does nothing on a list without file rows.
/// Refreshes the count; the cursor stays on its row, or on the last row when it was on the
/// last one.
void DeleteCurrentRow(ListStore& store, GridState& grid);

/// The Delete key over a selection: removes every row from the cell cursor's to the
/// selection's far row, keeping the order of the rest; the cursor lands on the row after them,
/// or on the last row. When they are all the file rows, the first stays, emptied, as the
/// placeholder row, as deleting them one by one would leave it. Refreshes the count.
void DeleteSelectedRows(ListStore& store, GridState& grid);

}  // namespace tagwright
