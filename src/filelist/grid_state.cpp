#include "filelist/grid_state.h"

#include <algorithm>

namespace tagwright {

namespace {

constexpr std::array<int, GridState::kColumnCount> kStartWidths = {300, 300,  2000,
                                                                   800, 2000, 20000};

}  // namespace

GridState::GridState() : m_widths(kStartWidths) {}

void GridState::SetCurrentRow(int row) {
    m_currentRow = row;
    m_selectionEndRow = row;
}

void GridState::SetSelection(int row, int column, int endRow, int endColumn) {
    m_currentRow = row;
    m_currentColumn = column;
    m_selectionEndRow = endRow;
    m_selectionEndColumn = endColumn;
}

void GridState::Clamp(int rowCount) {
    const int lastRow = std::max(rowCount - 1, 0);
    if (m_currentRow < 1 && lastRow >= 1)
        SetCurrentRow(1);
    m_currentRow = std::clamp(m_currentRow, 0, lastRow);
    m_selectionEndRow = std::clamp(m_selectionEndRow, 0, lastRow);
    m_currentColumn = std::clamp(m_currentColumn, 0, kColumnCount - 1);
    m_selectionEndColumn = std::clamp(m_selectionEndColumn, 0, kColumnCount - 1);
}

void GridState::ResetForEmptyList() {
    const int pathWidth = m_widths[ListStore::kPath];
    m_widths = kStartWidths;
    m_widths[ListStore::kTagType] = 1000;
    m_widths[ListStore::kPath] = pathWidth;
    m_alignments.fill(0);
    m_currentRow = 0;
    m_selectionEndRow = 0;
}

}  // namespace tagwright
