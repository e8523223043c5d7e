#include "filelist/list_store.h"

#include <gtest/gtest.h>

#include <functional>

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
    store.AppendFileRow("a.mp3", 8, "/m/a.mp3");
    store.AppendFileRow("a.mp3", 8, "/m/a.mp3");  // the same file twice: two rows
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
    store.AppendFileRow("a.mp3", 0, "/m/a.mp3");
    EXPECT_FALSE(store.RemoveRow(1));  // the last file row cannot be removed
    for (int c = 0; c < ListStore::kColumnCount; ++c)
        store.SetCell(1, c, "");
    EXPECT_TRUE(store.HasPlaceholder());
    EXPECT_TRUE(store.IsEmptyForBatch());
    store.UpdateFileCount();
    EXPECT_EQ(store.FileCountText(), "1");

    store.AppendFileRow("b.mp3", 1, "/m/b.mp3");
    EXPECT_EQ(store.RowCount(), 2);
    EXPECT_EQ(store.Cell(1, ListStore::kPath), "/m/b.mp3");
    EXPECT_FALSE(store.HasPlaceholder());
    store.AppendFileRow("c.mp3", 0, "/m/c.mp3");
    EXPECT_EQ(store.RowCount(), 3);
    EXPECT_TRUE(store.RemoveRow(1));
    EXPECT_EQ(store.Cell(1, ListStore::kFileName), "c.mp3");
}

TEST(ListStore, ResetRestoresHeader) {
    ListStore store;
    store.AppendFileRow("a.mp3", 0, "/m/a.mp3");
    store.SetCell(0, 0, "changed");
    store.ResetFileList();
    EXPECT_EQ(store.RowCount(), 1);
    EXPECT_EQ(store.RowAt(0), ListStore::HeaderTexts());
    EXPECT_EQ(store.FileCountText(), "0");
}

TEST(ListStore, BulkRemovalKeepsHeaderAndOrder) {
    ListStore store;
    for (const char* n : {"a", "c", "a", "b"}) {
        store.AppendFileRow(n, 0, std::string("/m/") + n + std::to_string(store.RowCount()));
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
    std::vector<FileRow> rows(1000);
    for (auto& r : rows)
        r.path = "/p";
    store.AppendFileRows(std::move(rows));
    store.UpdateFileCount();
    store.ResetFileList();
    EXPECT_EQ(rec.events, (std::vector<std::string>{"+1-1000", "count 1000", "reset", "count 0"}));
    store.SetObserver(nullptr);
}

// What the batches and the undo record on a row, and the six texts the row then shows.
TEST(ListStore, OutcomesShowAsTheirTexts) {
    using Step = std::function<void(ListStore&)>;
    const auto renamed = [](std::string name) -> Step {
        return [name](ListStore& s) { s.RecordRename(1, name); };
    };
    const auto moved = [](std::string to) -> Step {
        return [to](ListStore& s) { s.RecordMove(1, to); };
    };
    const auto refused = [](bool rename, std::string reason, ErrorKind kind = ErrorKind::kOther,
                            std::string where = "/m/a.mp3") -> Step {
        return [=](ListStore& s) {
            const Error e{rename ? "rename" : "move", where, reason, 0, kind};
            rename ? s.RecordRename(1, e) : s.RecordMove(1, e);
        };
    };
    const auto undone = [](bool rename, std::string to) -> Step {
        return [=](ListStore& s) { s.RecordUndo(1, rename, to); };
    };
    const std::string o = ListStore::kDone;
    const std::string x = ListStore::kRefused;
    struct Case {
        const char* what;
        std::vector<Step> steps;
        ListStore::Row texts;
    };
    const Case cases[] = {
        {"listed", {}, {"", "", "a.mp3", "v2", "", "/m/a.mp3"}},
        {"renamed", {renamed("b.mp3")}, {o, "", "a.mp3", "v2", "b.mp3", "/m/b.mp3"}},
        {"refused with the reason",
         {refused(true, "Permission denied", ErrorKind::kPermissionDenied)},
         {x, "", "a.mp3", "v2", "Faild:Permission denied", "/m/a.mp3"}},
        {"blank tag",
         {refused(true, "a tag the rule needs is blank", ErrorKind::kBlankTag)},
         {x, "", "a.mp3", "v2", "Faild:lack of TagInfo", "/m/a.mp3"}},
        {"stranded rename",
         {refused(true, "No space", ErrorKind::kStranded, "/m/.a.tmp")},
         {x, "", "a.mp3", "v2", "Faild:No space", "/m/.a.tmp"}},
        {"renamed, then moved",
         {renamed("b.mp3"), moved("/lib/B/b.mp3")},
         {o, o, "a.mp3", "v2", "b.mp3", "/lib/B/b.mp3"}},
        {"renamed twice",
         {renamed("b.mp3"), renamed("c.mp3")},
         {o, "", "b.mp3", "v2", "c.mp3", "/m/c.mp3"}},
        {"renamed, then refused: the real name stays",
         {renamed("b.mp3"), refused(true, "Busy")},
         {x, "", "a.mp3", "v2", "Faild:Busy", "/m/b.mp3"}},
        {"a refusal between two renames names nothing",
         {renamed("b.mp3"), refused(true, "Busy"), renamed("c.mp3")},
         {o, "", "a.mp3", "v2", "c.mp3", "/m/c.mp3"}},
        {"move cancelled",
         {refused(false, "Cancel", ErrorKind::kCancelled)},
         {"", x, "a.mp3", "v2", "", "/m/a.mp3"}},
        {"stranded move keeps the rename's text",
         {refused(true, "Busy"), refused(false, "EIO", ErrorKind::kStranded, "/lib/.a.tmp")},
         {x, x, "a.mp3", "v2", "Faild:Busy", "/lib/.a.tmp"}},
        {"rename undone",
         {renamed("b.mp3"), undone(true, "/m/a.mp3")},
         {"", "", "a.mp3", "v2", "", "/m/a.mp3"}},
        {"move undone keeps the rename",
         {renamed("b.mp3"), moved("/lib/b.mp3"), undone(false, "/m/b.mp3")},
         {o, "", "b.mp3", "v2", "b.mp3", "/m/b.mp3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ListStore store;
        store.AppendFileRow("a.mp3", 8, "/m/a.mp3");
        Recorder rec;
        store.SetObserver(&rec);
        for (const Step& step : c.steps)
            step(store);
        store.SetObserver(nullptr);
        EXPECT_EQ(store.RowAt(1), c.texts);
        EXPECT_EQ(rec.events.size(), c.steps.size());  // one change each, for the view
    }
}

// The refusal stays with its own step, for whoever reports it (the command line, the preview).
TEST(ListStore, KeepsEachStepsRefusal) {
    ListStore store;
    store.AppendFileRow("a.mp3", 0, "/m/a.mp3");
    store.RecordRename(1, Error{"rename", "/m/a.mp3", "Busy", 16, ErrorKind::kInUse});
    store.RecordMove(1, Error{"move", "/m/a.mp3", "Read-only", 30, ErrorKind::kPermissionDenied});
    const FileRow file = store.File(1);
    ASSERT_TRUE(file.rename.refusal && file.move.refusal);
    EXPECT_EQ(file.rename.refusal->kind, ErrorKind::kInUse);
    EXPECT_EQ(file.move.refusal->reason, "Read-only");
    store.RecordMove(1, std::string("/lib/a.mp3"));
    EXPECT_EQ(store.File(1).move.outcome, FileRow::Outcome::kDone);
    EXPECT_FALSE(store.File(1).move.refusal);
    EXPECT_EQ(store.File(1).rename.refusal->reason, "Busy");
}

// A row handed back from a batch's copy brings its file's identity with it.
TEST(ListStore, SetFileKeepsTheListedIdentitiesTrue) {
    ListStore store;
    store.AppendFileRow("a.mp3", 0, "/m/a.mp3", FileIdentity{1, 1});
    ListStore copy = store;
    copy.RecordMove(1, std::string("/other/a.mp3"));
    copy.SetIdentity(1, FileIdentity{2, 7});
    store.SetFile(1, copy.File(1));
    EXPECT_EQ(store.RowAt(1), copy.RowAt(1));
    EXPECT_TRUE(store.Lists(FileIdentity{2, 7}));
    EXPECT_FALSE(store.Lists(FileIdentity{1, 1}));
}

TEST(ListStore, HoldsAMillionRows) {
    ListStore store;
    for (int i = 0; i < 1'000'000; ++i)
        store.AppendFileRow("f.mp3", 8, "/m/f.mp3");
    store.UpdateFileCount();
    EXPECT_EQ(store.FileCountText(), "1000000");
    EXPECT_EQ(store.Cell(1'000'000, ListStore::kTagType), "v2");
}

}  // namespace
}  // namespace tagwright
