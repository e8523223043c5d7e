#include "fileops/batch_plan.h"

#include <gtest/gtest.h>

#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright::test {
namespace {

using Outcome = PlanLine::Outcome;
constexpr Outcome kDo = Outcome::kWouldDo;

// A listed file: where it lies under the tree, and its tags.
struct Listed {
    std::string at;
    Song song;
};

struct PlanCase {
    const char* name;
    bool move;
    std::vector<Listed> files;
    std::vector<std::string> existing;  // files already there that are not listed
    std::string unreadable;             // reading files whose path holds this is refused
    bool ask;                           // the folder question is on
    std::vector<Outcome> outcomes;
    std::vector<int> clash;
    std::vector<bool> asks;
};

// The same tree twice: the plan is made on one, the real batch runs on the other.
struct Tree {
    TempDir dir;
    ListStore store;
    Settings settings;

    explicit Tree(const PlanCase& c) {
        settings = TestSettings(dir.MakeFolder("Music") + kSep);
        settings.FolderYN = c.ask;
        for (const std::string& e : c.existing)
            dir.Write(e, B("someone else's"));
        std::vector<std::string> paths;
        for (const Listed& f : c.files)
            paths.push_back(dir.Write(f.at, SongBytes(f.song)));
        ListFiles(store, paths);
    }

    std::string Rooted(std::string p) const {
        if (p.rfind(dir.path(), 0) == 0)
            p.replace(0, dir.path().size(), "<root>");
        return p;
    }
    ListStore::Row Rooted(ListStore::Row row) const {
        row[ListStore::kPath] = Rooted(row[ListStore::kPath]);
        return row;
    }
};

std::string P(std::initializer_list<const char*> parts) {
    std::string out;
    for (const char* part : parts)
        out += (out.empty() ? "" : kSep) + part;
    return out;
}

class PlanMatchesBatch : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanMatchesBatch, RowForRowAndTouchesNothing) {
    const PlanCase& c = GetParam();
    Tree planned(c), real(c);
    const auto files = Snapshot(planned.dir.path());
    const auto folders = Folders(planned.dir.path());
    const auto rowsBefore = FileRows(planned.store);

    FaultFileSystem planFs, realFs;
    if (!c.unreadable.empty()) {
        planFs.Refuse(FsOp::kOpenRead, c.unreadable);
        realFs.Refuse(FsOp::kOpenRead, c.unreadable);
    }
    const BatchPlan plan = c.move ? PlanMove(planned.store, planned.settings, planFs)
                                  : PlanRename(planned.store, planned.settings, planFs);
    BatchCallbacks yes;
    yes.askCreateFolder = [](const std::string&, const std::string&) { return FolderAnswer::kOk; };
    if (c.move) {
        RunMoveBatch(real.store, real.settings, realFs, yes);
    } else {
        RunRenameBatch(real.store, real.settings, realFs, yes);
    }

    ASSERT_EQ(plan.lines.size(), c.files.size());
    EXPECT_FALSE(plan.stopped);
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        const PlanLine& line = plan.lines[i];
        SCOPED_TRACE(::testing::Message() << "line " << i);
        const int row = static_cast<int>(i) + 1;
        EXPECT_EQ(line.row, row);
        EXPECT_EQ(planned.Rooted(line.after), real.Rooted(real.store.RowAt(row)));
        EXPECT_EQ(line.outcome, c.outcomes[i]);
        EXPECT_EQ(line.clashNumber, c.clash[i]);
        EXPECT_EQ(line.asksFolder, c.asks[i]);
        if (line.outcome == kDo) {
            EXPECT_EQ(planned.Rooted(line.newPath),
                      real.Rooted(real.store.Cell(row, ListStore::kPath)));
            EXPECT_TRUE(RealFileSystem().FileExists(real.store.Cell(row, ListStore::kPath)));
        } else {
            EXPECT_FALSE(line.error.reason.empty());
        }
    }
    // Nothing changed on disk or in the list, and no change was even asked of the file system.
    EXPECT_EQ(Snapshot(planned.dir.path()), files);
    EXPECT_EQ(Folders(planned.dir.path()), folders);
    EXPECT_EQ(FileRows(planned.store), rowsBefore);
    for (const FsOp op :
         {FsOp::kRenameFile, FsOp::kMoveFile, FsOp::kCreateFolder, FsOp::kWriteFile})
        EXPECT_EQ(planFs.Calls(op), 0) << static_cast<int>(op);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlanMatchesBatch,
    ::testing::Values(PlanCase{"RenameNumbersClashes",
                               false,
                               {{P({"in", "f1.mp3"}), {"s", "A", "Al", 1, 1}},
                                {P({"in", "f2.mp3"}), {"s", "A", "Al", 2, 2}},
                                {P({"in", "f3.mp3"}), {"t", "B", "Bl", 3, 3}},
                                {P({"in", "f4.mp3"}), {"s", "B", "Bl", 4, 4}}},
                               {P({"in", "t.mp3"})},
                               "",
                               false,
                               {kDo, kDo, kDo, kDo},
                               {-1, 0, 0, 1},
                               {false, false, false, false}},
                      PlanCase{"RenameBlankUnreadableAndOwnName",
                               false,
                               {{P({"in", "f1.mp3"}), {"", "A", "Al", 1, 1}},
                                {P({"in", "bad.mp3"}), {"u", "A", "Al", 2, 2}},
                                {P({"in", "f3.mp3"}), {"f3", "A", "Al", 3, 3}},
                                {P({"in", "f4.mp3"}), {"f3", "A", "Al", 4, 4}}},
                               {},
                               "bad.mp3",
                               false,
                               {Outcome::kBlankEscape, Outcome::kRefused, kDo, kDo},
                               {-1, -1, -1, 0},
                               {false, false, false, false}},
                      PlanCase{"MoveNumbersClashesAndAsksOncePerFolder",
                               true,
                               {{P({"in", "x", "f.mp3"}), {"s", "A", "Al", 1, 1}},
                                {P({"in", "y", "f.mp3"}), {"s", "A", "Al", 2, 2}},
                                {P({"in", "g.mp3"}), {"t", "B", "Bl", 3, 3}},
                                {P({"in", "h.mp3"}), {"u", "", "Cl", 4, 4}},
                                {P({"in", "k.mp3"}), {"v", "C", "Cl", 5, 5}}},
                               {P({"Music", "B", "Bl", "g.mp3"})},
                               "",
                               true,
                               {kDo, kDo, kDo, Outcome::kBlankEscape, kDo},
                               {-1, 0, 0, -1, -1},
                               {true, false, false, false, true}},
                      PlanCase{"MoveCreatesWithoutAskingAndKeepsRefusals",
                               true,
                               {{P({"in", "f1.mp3"}), {"s", "A", "Al", 1, 1}},
                                {P({"in", "bad.mp3"}), {"s", "A", "Al", 2, 2}},
                                {P({"Music", "A", "Al", "f3.mp3"}), {"s", "A", "Al", 3, 3}}},
                               {},
                               "bad.mp3",
                               false,
                               {kDo, Outcome::kRefused, kDo},
                               {-1, -1, -1},
                               {false, false, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatchPlan, MoveWithoutCreatingShowsTheMissingFolder) {
    PlanCase c{"", true, {{P({"in", "f1.mp3"}), {"s", "A", "Al", 1, 1}}}, {}, "", true, {}, {}, {}};
    Tree tree(c);
    const BatchPlan plan =
        PlanMove(tree.store, tree.settings, RealFileSystem(), {}, FolderAnswer::kCancel);
    ASSERT_EQ(plan.lines.size(), 1u);
    EXPECT_EQ(plan.lines[0].outcome, Outcome::kNoFolder);
    EXPECT_TRUE(plan.lines[0].asksFolder);
    EXPECT_EQ(plan.lines[0].after[ListStore::kM], ListStore::kRefused);
}

TEST(BatchPlan, StopsWhereAsked) {
    PlanCase c{"",
               false,
               {{P({"in", "f1.mp3"}), {"s", "A", "Al", 1, 1}},
                {P({"in", "f2.mp3"}), {"t", "A", "Al", 2, 2}}},
               {},
               "",
               false,
               {},
               {},
               {}};
    Tree tree(c);
    int asked = 0;
    BatchCallbacks cb;
    cb.stopRequested = [&] { return ++asked > 1; };
    const BatchPlan plan = PlanRename(tree.store, tree.settings, RealFileSystem(), cb);
    EXPECT_EQ(plan.lines.size(), 1u);
    EXPECT_TRUE(plan.stopped);
}

// The rule gives names that differ only in case: on this file system both are free, so neither
// gets a number, yet both are flagged; a distinct name is not.
TEST(BatchPlan, FlagsNamesThatDifferOnlyInCase) {
    PlanCase c{"",
               false,
               {{P({"in", "f1.mp3"}), {"Song", "A", "Al", 1, 1}},
                {P({"in", "f2.mp3"}), {"Other", "A", "Al", 2, 2}},
                {P({"in", "f3.mp3"}), {"SONG", "A", "Al", 3, 3}}},
               {},
               "",
               false,
               {},
               {},
               {}};
    Tree tree(c);
    const BatchPlan plan = PlanRename(tree.store, tree.settings, RealFileSystem());
    ASSERT_EQ(plan.lines.size(), 3u);
    ASSERT_EQ(plan.collisionGroups.size(), 1u);
    EXPECT_EQ(plan.collisionGroups[0], (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(plan.lines[1].collisionGroup, -1);
}

struct CollisionCase {
    const char* name;
    std::vector<std::string> wanted;  // "" for a line that would be refused
    std::vector<std::vector<std::size_t>> groups;
};

class Collisions : public ::testing::TestWithParam<CollisionCase> {};

TEST_P(Collisions, GroupsWhatOneFolderWouldHoldOnce) {
    const CollisionCase& c = GetParam();
    BatchPlan plan;
    for (const std::string& w : c.wanted) {
        PlanLine line;
        line.wantedPath = w;
        line.outcome = w.empty() ? Outcome::kRefused : kDo;
        plan.lines.push_back(line);
    }
    MarkCollisions(plan);
    EXPECT_EQ(plan.collisionGroups, c.groups);
    for (std::size_t g = 0; g < plan.collisionGroups.size(); ++g) {
        for (const std::size_t i : plan.collisionGroups[g])
            EXPECT_EQ(plan.lines[i].collisionGroup, static_cast<int>(g));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Collisions,
    ::testing::Values(
        CollisionCase{"Exact", {"/m/a.mp3", "/m/b.mp3", "/m/a.mp3"}, {{0, 2}}},
        CollisionCase{"CaseOnly", {"/m/Abc.mp3", "/m/aBC.MP3"}, {{0, 1}}},
        CollisionCase{"FolderCaseOnly", {"/m/Artist/a.mp3", "/m/ARTIST/a.mp3"}, {{0, 1}}},
        CollisionCase{"KanaVoicedMarkNfd", {"/m/ガ.mp3", "/m/カ\u3099.mp3", "/m/カ.mp3"}, {{0, 1}}},
        CollisionCase{"KanaSemiVoicedNfd", {"/m/ぱ.mp3", "/m/は\u309A.mp3", "/m/ば.mp3"}, {{0, 1}}},
        CollisionCase{"LatinAccentNfdAndCase", {"/m/Café.mp3", "/m/CAFE\u0301.mp3"}, {{0, 1}}},
        CollisionCase{"FullWidthCase", {"/m/ＡＢ.mp3", "/m/ａｂ.mp3"}, {{0, 1}}},
        CollisionCase{"ThreeInOneAndTwoGroups",
                      {"/m/x.mp3", "/m/y.mp3", "/m/X.mp3", "/m/Y.mp3", "/m/x.mp3"},
                      {{0, 2, 4}, {1, 3}}},
        CollisionCase{"DistinctNamesNoFlag",
                      {"/m/か.mp3", "/m/が.mp3", "/m/e.mp3", "/m/é.mp3", "/n/a.mp3", "/m/a.mp3"},
                      {}},
        CollisionCase{"RefusedLinesNeverCollide", {"/m/a.mp3", "", ""}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tagwright::test
