#pragma once

#include <array>

#include "filelist/list_store.h"

namespace tagwright {

/// What the grid shows of the list beside its rows: the cell cursor, the far corner of the
/// selection, and the columns' widths and alignments. The front end keeps one for its grid and
/// hands it to the list commands, which work on the selection and move the cursor. Rows and
/// columns are those of the ListStore (row 0 is the header).
class GridState {
  public:
    static constexpr int kColumnCount = ListStore::kColumnCount;

    /// The cursor on row 0, column 0, with no selection of its own; widths 300, 300, 2000,
    /// 800, 2000, 20000 twips; every column aligned left-top (code 0).
    GridState();

    /// The row of the cell cursor.
    int CurrentRow() const { return m_currentRow; }
    /// The column of the cell cursor.
    int CurrentColumn() const { return m_currentColumn; }
    /// The far corner of the selection, which spans from the cell cursor to it. Without a
    /// selection of its own it is the cell cursor.
    int SelectionEndRow() const { return m_selectionEndRow; }
    int SelectionEndColumn() const { return m_selectionEndColumn; }
    /// Moves the cell cursor to `row` in its column and shrinks the selection to that row.
    void SetCurrentRow(int row);
    /// Sets the cell cursor and the far corner of the selection.
    void SetSelection(int row, int column, int endRow, int endColumn);
    /// Brings the cursor and the far corner inside a list of `rowCount` rows, header
    /// included. The cursor stands on the header only when there is no file row; when file
    /// rows come, it moves to the first.
    void Clamp(int rowCount);

    /// Column widths in twips, and alignment codes (0-8: left, centre, right times top,
    /// middle, bottom; 9 general).
    int ColumnWidth(int column) const { return m_widths[Col(column)]; }
    void SetColumnWidth(int column, int twips) { m_widths[Col(column)] = twips; }
    int ColumnAlignment(int column) const { return m_alignments[Col(column)]; }
    void SetColumnAlignment(int column, int code) { m_alignments[Col(column)] = code; }

    /// What emptying the list does to the grid: the cursor goes to the header, every column is
    /// aligned left-top again, and the widths are those at start but for TagType, which
    /// becomes 1000 twips, and Path, which keeps its width.
    void ResetForEmptyList();

  private:
    static std::size_t Col(int column) { return static_cast<std::size_t>(column); }

    int m_currentRow = 0;
    int m_currentColumn = 0;
    int m_selectionEndRow = 0;
    int m_selectionEndColumn = 0;
    std::array<int, kColumnCount> m_widths{};
    std::array<int, kColumnCount> m_alignments{};
};

}  // namespace tagwright
