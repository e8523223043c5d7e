#include "filelist/list_store.h"

#include <gtest/gtest.h>

namespace tagwright {
namespace {

TEST(TagKindText, MapsEveryFlagValue) {
    const std::pair<int, const char*> cases[] = {
        {0, ""}, {1, "v1.0"}, {2, "v1.1"}, {3, "v1.1"}, {8, "v2"}, {9, "v1.0&v2"}, {11, "v1.1&v2"},
    };
    for (const auto& [flags, text] : cases) {
        EXPECT_EQ(TagKindText(static_cast<std::int16_t>(flags)), text) << flags;
    }
}

TEST(ListStore, StartsWithHeaderAndCountZero) {
    ListStore store;
    EXPECT_EQ(store.RowCount(), 1);
    EXPECT_EQ(store.RowAt(0), ListStore::HeaderTexts());
    EXPECT_EQ(store.FileCountText(), "0");
    EXPECT_FALSE(store.HasPlaceholder());
    EXPECT_TRUE(store.IsEmptyForBatch());
}

TEST(ListStore, AppendFillsEmptyCellsAndCountsOnlyOnUpdate) {
    ListStore store;
    store.AppendFileRow("a.mp3", "v2", "/m/a.mp3");
    store.AppendFileRow("a.mp3", "v2", "/m/a.mp3");  // the same file twice: two rows
    EXPECT_EQ(store.FileCountText(), "0");
    store.UpdateFileCount();
    EXPECT_EQ(store.FileCountText(), "2");
    EXPECT_EQ(store.RowAt(1), (ListStore::Row{"", "", "a.mp3", "v2", "", "/m/a.mp3"}));
    EXPECT_EQ(store.RowAt(2), store.RowAt(1));
}

// The placeholder transitions: the Delete key on the only file row leaves an all-empty row,
// which the next file fills instead of adding a row.
TEST(ListStore, PlaceholderRowIsFilledFirst) {
    ListStore store;
    store.AppendFileRow("a.mp3", "", "/m/a.mp3");
    EXPECT_FALSE(store.RemoveRow(1));  // the last file row cannot be removed
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        store.SetCell(1, c, "");
    EXPECT_TRUE(store.HasPlaceholder());
    EXPECT_TRUE(store.IsEmptyForBatch());
    store.UpdateFileCount();
    EXPECT_EQ(store.FileCountText(), "1");

    store.AppendFileRow("b.mp3", "v1.0", "/m/b.mp3");
    EXPECT_EQ(store.RowCount(), 2);
    EXPECT_EQ(store.Cell(1, ListStore::kPath), "/m/b.mp3");
    EXPECT_FALSE(store.HasPlaceholder());
    store.AppendFileRow("c.mp3", "", "/m/c.mp3");
    EXPECT_EQ(store.RowCount(), 3);
    EXPECT_TRUE(store.RemoveRow(1));
    EXPECT_EQ(store.Cell(1, ListStore::kFileName), "c.mp3");
}

TEST(ListStore, ResetRestoresHeader) {
    ListStore store;
    store.AppendFileRow("a.mp3", "", "/m/a.mp3");
    store.SetCell(0, 0, "changed");
    store.ResetFileList();
    EXPECT_EQ(store.RowCount(), 1);
    EXPECT_EQ(store.RowAt(0), ListStore::HeaderTexts());
    EXPECT_EQ(store.FileCountText(), "0");
}

TEST(ListStore, BulkRemovalKeepsHeaderAndOrder) {
    ListStore store;
    for (const char* n : {"a", "c", "a", "b"}) {
        store.AppendFileRow(n, std::string("t") + n,
                            std::string("/m/") + n + std::to_string(store.RowCount()));
    }
    const int removed =
        store.RemoveRowsIf([](const ListStore::Row& r) { return r[ListStore::kFileName] == "a"; });
    EXPECT_EQ(removed, 2);
    EXPECT_EQ(store.RowCount(), 3);
    EXPECT_EQ(store.RowAt(0), ListStore::HeaderTexts());
    EXPECT_EQ(store.Cell(1, ListStore::kPath), "/m/c2");
    EXPECT_EQ(store.Cell(2, ListStore::kPath), "/m/b4");
    EXPECT_EQ(store.RemoveRowsIf([](const ListStore::Row&) { return true; }), 2);
    EXPECT_EQ(store.RowCount(), 1);  // a bulk removal can empty the list
}

struct Recorder : ListObserver {
    std::vector<std::string> events;
    void RowsAboutToBeAppended(int f, int l) override { events.push_back("+" + R(f, l)); }
    void CellsChanged(int f, int l) override { events.push_back("~" + R(f, l)); }
    void ListReset() override { events.push_back("reset"); }
    void FileCountChanged(const std::string& t) override { events.push_back("count " + t); }
    static std::string R(int f, int l) { return std::to_string(f) + "-" + std::to_string(l); }
};

TEST(ListStore, TellsItsObserverInBatches) {
    ListStore store;
    Recorder rec;
    store.SetObserver(&rec);
    std::vector<ListStore::Row> rows(1000);
    for (auto& r : rows)
        r[ListStore::kPath] = "/p";
    store.AppendFileRows(std::move(rows));
    store.UpdateFileCount();
    store.ResetFileList();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"+1-1000", "count 1000", "reset", "count 0"}));
    store.SetObserver(nullptr);
}

TEST(ListStore, HoldsAMillionRows) {
    ListStore store;
    for (int i = 0; i < 1'000'000; ++i)
        store.AppendFileRow("f.mp3", "v2", "/m/f.mp3");
    store.UpdateFileCount();
    EXPECT_EQ(store.FileCountText(), "1000000");
    EXPECT_EQ(store.Cell(1'000'000, ListStore::kTagType), "v2");
}

}  // namespace
}  // namespace tagwright
