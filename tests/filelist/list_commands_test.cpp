#include "filelist/list_commands.h"

#include <cmath>

#include <gtest/gtest.h>

#include "filelist/filelist_test_util.h"

namespace tagwright {
namespace {

using test::ColumnOf;
using Names = std::vector<std::string>;

TEST(GenericNumber, RecognisesNumbersOnly) {
    const std::pair<const char*, double> numbers[] = {
        {"12", 12}, {" -3.5 ", -3.5}, {"+7", 7}, {"1e3", 1000}, {".5", 0.5}, {"2.", 2}, {"007", 7},
    };
    for (const auto& [text, value] : numbers) {
        ASSERT_TRUE(GenericNumber(text).has_value()) << text;
        EXPECT_DOUBLE_EQ(*GenericNumber(text), value) << text;
    }
    for (const char* text : {"", " ", "-", ".", "1.2.3", "1e", "e5", "12a", "a12", "inf", "nan",
                             "0x10", "1 2", "１２"}) {
        EXPECT_FALSE(GenericNumber(text).has_value()) << text;
    }
    EXPECT_LT(GenericCompare("9", "10"), 0);    // both numbers: by value
    EXPECT_GT(GenericCompare("b9", "b10"), 0);  // text
    EXPECT_LT(GenericCompare("10", "9a"), 0);   // only one a number: text
    EXPECT_EQ(GenericCompare("1.0", "1"), 0);
}

// Numbers past the range of a double keep their place in the order: the huge ones beyond
// every other number, the tiny ones at 0.
TEST(GenericNumber, OutOfRangeNumbersSortByTheirSize) {
    const std::string hundredDigits = "1" + std::string(400, '0');
    const std::string tinyFraction = "0." + std::string(400, '0') + "1";
    const std::pair<std::string, double> numbers[] = {
        {"1e999", HUGE_VAL},
        {"-1e999", -HUGE_VAL},
        {"+1E+400", HUGE_VAL},
        {"1e-999", 0},
        {"-2.5e-400", 0},
        {hundredDigits, HUGE_VAL},
        {tinyFraction, 0},
        {"0.0001e310", 1e306},
        {"12e99999999999999999999", HUGE_VAL},
        {tinyFraction + "e900", HUGE_VAL},
    };
    for (const auto& [text, value] : numbers) {
        ASSERT_TRUE(GenericNumber(text).has_value()) << text;
        EXPECT_DOUBLE_EQ(*GenericNumber(text), value) << text;
    }
    EXPECT_GT(GenericCompare("1e999", "5"), 0);
    EXPECT_LT(GenericCompare("-1e999", "-5"), 0);
    EXPECT_GT(GenericCompare(hundredDigits, "1e300"), 0);
}

ListStore StoreOf(const Names& names) {
    ListStore store;
    for (const std::string& n : names)
        store.AppendFileRow(n, 0, "/m/" + n);
    return store;
}

GridState Selecting(int row, int column, int endRow, int endColumn) {
    GridState grid;
    grid.SetSelection(row, column, endRow, endColumn);
    return grid;
}

TEST(SortList, NumericWhereBothNumbersTextOtherwiseHeaderFixed) {
    ListStore store = StoreOf({"10", "9", "b10", "100", "b9", "A"});
    GridState grid = Selecting(1, ListStore::kFileName, 1, ListStore::kFileName);
    SortList(store, grid, false);
    EXPECT_EQ(store.RowAt(0), ListStore::HeaderTexts());
    EXPECT_EQ(ColumnOf(store, ListStore::kFileName), (Names{"9", "10", "100", "A", "b10", "b9"}));
    EXPECT_EQ(ColumnOf(store, ListStore::kPath)[0], "/m/9");  // whole rows move

    SortList(store, grid, true);
    EXPECT_EQ(store.RowAt(0), ListStore::HeaderTexts());
    EXPECT_EQ(ColumnOf(store, ListStore::kFileName), (Names{"b9", "b10", "A", "100", "10", "9"}));
}

// Keyed on the cursor's column, not moved to FileName; equal keys keep their order both ways.
TEST(SortList, UsesCurrentColumnAndIsStable) {
    ListStore store = StoreOf({"c", "a", "b", "d"});
    const char* tags[] = {"v2", "", "v2", ""};
    for (int r = 1; r <= 4; ++r)
        store.SetCell(r, ListStore::kTagType, tags[r - 1]);
    GridState grid = Selecting(3, ListStore::kTagType, 3, ListStore::kTagType);
    SortList(store, grid, false);
    EXPECT_EQ(ColumnOf(store, ListStore::kFileName), (Names{"a", "d", "c", "b"}));
    SortList(store, grid, true);
    EXPECT_EQ(ColumnOf(store, ListStore::kFileName), (Names{"c", "b", "a", "d"}));
}

// A selection over several rows sorts only those rows, from the cursor to the far row.
TEST(SortList, SortsOnlySelectedRows) {
    ListStore store = StoreOf({"e", "d", "c", "b", "a"});
    GridState grid = Selecting(4, ListStore::kFileName, 2, ListStore::kFileName);
    SortList(store, grid, false);
    EXPECT_EQ(ColumnOf(store, ListStore::kFileName), (Names{"e", "b", "c", "d", "a"}));
}

// Cells mixing numbers and text give no consistent order; the sort must still finish with
// every row kept.
TEST(SortList, InconsistentMixKeepsEveryRow) {
    Names names;
    for (int i = 0; i < 300; ++i)
        names.push_back(i % 3 == 0 ? std::to_string(i) : std::to_string(i % 17) + "a");
    ListStore store = StoreOf(names);
    GridState grid = Selecting(1, ListStore::kFileName, 1, ListStore::kFileName);
    SortList(store, grid, false);
    Names after = ColumnOf(store, ListStore::kFileName);
    std::sort(after.begin(), after.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(after, names);
}

struct PruneCase {
    PruneCommand command;
    Names kept;
};

// Rows: name, R, M, TagType. "v1.1&v2" and "v1.0&v2" stay under every tag entry; "○" and
// "×" are compared whole.
TEST(PruneList, EachCommandRemovesExactMatchesOnly) {
    const std::vector<std::array<const char*, 4>> rows = {
        {"r_done", ListStore::kDone, "", "v1.0"},
        {"r_fail", ListStore::kRefused, "", "v1.1"},
        {"m_done", "", ListStore::kDone, "v2"},
        {"m_fail", "", ListStore::kRefused, ""},
        {"both1", "", "", "v1.1&v2"},
        {"both0", "", "", "v1.0&v2"},
        {"odd", "○○", "x", "V2"},
    };
    const PruneCase cases[] = {
        {PruneCommand::kRenameFailed, {"r_done", "m_done", "m_fail", "both1", "both0", "odd"}},
        {PruneCommand::kRenameDone, {"r_fail", "m_done", "m_fail", "both1", "both0", "odd"}},
        {PruneCommand::kMoveFailed, {"r_done", "r_fail", "m_done", "both1", "both0", "odd"}},
        {PruneCommand::kMoveDone, {"r_done", "r_fail", "m_fail", "both1", "both0", "odd"}},
        {PruneCommand::kNoTag, {"r_done", "r_fail", "m_done", "both1", "both0", "odd"}},
        {PruneCommand::kTagV1, {"m_done", "m_fail", "both1", "both0", "odd"}},
        {PruneCommand::kTagV2, {"r_done", "r_fail", "m_fail", "both1", "both0", "odd"}},
    };
    for (const PruneCase& c : cases) {
        ListStore store;
        for (const auto& r : rows) {
            store.AppendFileRow(r[0], 0, std::string("/m/") + r[0]);
            store.SetCell(store.RowCount() - 1, ListStore::kTagType, r[3]);
            store.SetCell(store.RowCount() - 1, ListStore::kR, r[1]);
            store.SetCell(store.RowCount() - 1, ListStore::kM, r[2]);
        }
        // The cursor on the last row stays on the list.
        const int last = store.RowCount() - 1;
        GridState grid = Selecting(last, ListStore::kR, last, ListStore::kR);
        const int removed = PruneList(store, grid, c.command);
        EXPECT_EQ(ColumnOf(store, ListStore::kFileName), c.kept) << static_cast<int>(c.command);
        EXPECT_EQ(grid.CurrentRow(), static_cast<int>(c.kept.size()));
        EXPECT_EQ(removed, static_cast<int>(rows.size() - c.kept.size()));
        EXPECT_EQ(store.FileCountText(), std::to_string(c.kept.size()));
    }
    EXPECT_EQ(RenamePruneCommand(0), PruneCommand::kRenameFailed);
    EXPECT_EQ(MovePruneCommand(1), PruneCommand::kMoveDone);
    EXPECT_EQ(TagPruneCommand(1), PruneCommand::kTagV1);
    EXPECT_EQ(TagPruneCommand(2), PruneCommand::kTagV2);
}

// When every file row matches, the list is emptied as by "すべてのファイル", not left with a
// placeholder row; the placeholder itself has no tag.
TEST(PruneList, RemovingLastRowResetsList) {
    ListStore store = StoreOf({"a", "b"});
    GridState grid = Selecting(2, ListStore::kFileName, 2, ListStore::kFileName);
    grid.SetColumnWidth(ListStore::kPath, 7000);
    PruneList(store, grid, PruneCommand::kNoTag);
    EXPECT_EQ(store.RowCount(), 1);
    EXPECT_EQ(store.FileCountText(), "0");
    EXPECT_EQ(grid.ColumnWidth(ListStore::kTagType), 1000);
    EXPECT_EQ(grid.ColumnWidth(ListStore::kPath), 7000);
    EXPECT_EQ(grid.CurrentRow(), 0);

    ListStore placeholder = StoreOf({"a"});
    DeleteCurrentRow(placeholder, grid);
    ASSERT_TRUE(placeholder.HasPlaceholder());
    EXPECT_EQ(PruneList(placeholder, grid, PruneCommand::kRenameDone), 0);
    EXPECT_EQ(placeholder.RowCount(), 2);
    PruneList(placeholder, grid, PruneCommand::kNoTag);
    EXPECT_EQ(placeholder.RowCount(), 1);

    ListStore none = StoreOf({"a"});
    none.SetCell(1, ListStore::kTagType, "v2");
    EXPECT_EQ(PruneList(none, grid, PruneCommand::kNoTag), 0);
    EXPECT_EQ(none.FileCountText(), "1");  // refreshed even when nothing matched
}

TEST(DeleteCurrentRow, RemovesCursorRowOrLeavesPlaceholder) {
    ListStore three = StoreOf({"a", "b", "c"});
    GridState grid;
    grid.SetCurrentRow(2);
    DeleteCurrentRow(three, grid);
    EXPECT_EQ(ColumnOf(three, ListStore::kFileName), (Names{"a", "c"}));
    EXPECT_EQ(three.FileCountText(), "2");
    EXPECT_EQ(grid.CurrentRow(), 2);
    DeleteCurrentRow(three, grid);  // the last row: the cursor stays on the list
    EXPECT_EQ(grid.CurrentRow(), 1);
    EXPECT_EQ(grid.SelectionEndRow(), 1);

    // A selection over several rows still removes only the cursor's row.
    ListStore selected = StoreOf({"a", "b", "c"});
    GridState block = Selecting(1, 0, 3, 5);
    DeleteCurrentRow(selected, block);
    EXPECT_EQ(ColumnOf(selected, ListStore::kFileName), (Names{"b", "c"}));

    // A new grid's cursor comes to the first file row.
    ListStore one = StoreOf({"a"});
    one.SetCell(1, ListStore::kR, ListStore::kDone);
    GridState fresh;
    DeleteCurrentRow(one, fresh);
    EXPECT_EQ(one.RowCount(), 2);
    EXPECT_EQ(one.RowAt(1), ListStore::Row{});
    EXPECT_TRUE(one.HasPlaceholder());
    EXPECT_EQ(one.FileCountText(), "1");
    DeleteCurrentRow(one, fresh);  // on the placeholder: nothing visible changes
    EXPECT_EQ(one.RowCount(), 2);
    EXPECT_EQ(one.FileCountText(), "1");

    ListStore empty;
    DeleteCurrentRow(empty, fresh);
    EXPECT_EQ(empty.RowCount(), 1);
    EXPECT_EQ(empty.FileCountText(), "0");
}

// Whatever way the block was selected (cursor at its top or bottom), every row of it goes.
TEST(DeleteSelectedRows, RemovesTheWholeBlock) {
    struct Case {
        int cursor, far;
        Names left;
        int cursorAfter;
    };
    const Case cases[] = {
        {2, 4, {"a", "e"}, 2},
        {4, 2, {"a", "e"}, 2},
        {4, 5, {"a", "b", "c"}, 3},
        {3, 3, {"a", "b", "d", "e"}, 3},  // a single row, as the Delete key always did
        {1, 5, {""}, 1},                  // all of them: the placeholder stays
        {5, 1, {""}, 1},
    };
    for (const Case& c : cases) {
        ListStore store = StoreOf({"a", "b", "c", "d", "e"});
        GridState grid = Selecting(c.cursor, ListStore::kTagType, c.far, ListStore::kFileName);
        DeleteSelectedRows(store, grid);
        EXPECT_EQ(ColumnOf(store, ListStore::kFileName), c.left) << c.cursor << "-" << c.far;
        EXPECT_EQ(grid.CurrentRow(), c.cursorAfter) << c.cursor << "-" << c.far;
        EXPECT_EQ(grid.SelectionEndRow(), c.cursorAfter) << c.cursor << "-" << c.far;
        EXPECT_EQ(store.FileCountText(), std::to_string(c.left.size()));
    }
    ListStore one = StoreOf({"a"});
    GridState fresh;
    DeleteSelectedRows(one, fresh);
    EXPECT_TRUE(one.HasPlaceholder());
}

}  // namespace
}  // namespace tagwright
