#include "filelist/grid_state.h"

#include <gtest/gtest.h>

namespace tagwright {
namespace {

// The widths at start and after emptying the list: TagType is the one that changes, Path the
// one that keeps what it had.
TEST(GridState, EmptyingTheListWidensTagTypeAndKeepsPath) {
    const GridState start;
    GridState grid;
    for (int c = 0; c < GridState::kColumnCount; ++c) {
        grid.SetColumnWidth(c, 4321);
        grid.SetColumnAlignment(c, 4);
    }
    grid.SetSelection(3, 2, 5, 4);
    grid.ResetForEmptyList();
    for (int c = 0; c < GridState::kColumnCount; ++c) {
        const int expected = c == ListStore::kTagType ? 1000
                             : c == ListStore::kPath  ? 4321
                                                      : start.ColumnWidth(c);
        EXPECT_EQ(grid.ColumnWidth(c), expected) << c;
        EXPECT_EQ(grid.ColumnAlignment(c), 0) << c;
    }
    EXPECT_EQ(grid.CurrentRow(), 0);
    EXPECT_EQ(grid.SelectionEndRow(), 0);
}

TEST(GridState, ClampKeepsCursorAndCornerOnTheList) {
    struct Case {
        int row, column, endRow, endColumn, rowCount;
        int rowAfter, columnAfter, endRowAfter, endColumnAfter;
    };
    const Case cases[] = {
        {2, 3, 4, 1, 5, 2, 3, 4, 1},   // inside: unchanged
        {7, 9, 9, -1, 5, 4, 5, 4, 0},  // past every edge
        {0, 2, 0, 4, 3, 1, 2, 1, 4},   // file rows came: the cursor goes to the first
        {0, 2, 3, 4, 1, 0, 2, 0, 4},   // no file row: the header
        {3, 0, 1, 0, 0, 0, 0, 0, 0},   // a row count below the header's
    };
    for (const Case& c : cases) {
        GridState grid;
        grid.SetSelection(c.row, c.column, c.endRow, c.endColumn);
        grid.Clamp(c.rowCount);
        EXPECT_EQ(grid.CurrentRow(), c.rowAfter) << c.row << "/" << c.rowCount;
        EXPECT_EQ(grid.CurrentColumn(), c.columnAfter) << c.row << "/" << c.rowCount;
        EXPECT_EQ(grid.SelectionEndRow(), c.endRowAfter) << c.row << "/" << c.rowCount;
        EXPECT_EQ(grid.SelectionEndColumn(), c.endColumnAfter) << c.row << "/" << c.rowCount;
    }
}

}  // namespace
}  // namespace tagwright
