#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "fileops/dry_run_file_system.h"
#include "fileops/journaled_file_system.h"
#include "fileops/move_batch.h"
#include "fileops/undo.h"
#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright::test {
namespace {

// A small library, a state folder for the journal, and the batch run over them.
struct UndoWorld {
    TempDir dir;
    std::string state = dir / "state";
    std::string storage = dir / "store" + std::string(1, path::kSeparator);
    std::vector<std::string> files;
    std::map<std::string, Bytes> before;

    explicit UndoWorld(int n) {
        dir.MakeFolder("store");
        for (int i = 0; i < n; ++i) {
            const std::string artist = i % 2 == 0 ? "Even" : "Odd";
            files.push_back(dir.Write("in/f" + std::to_string(i) + ".mp3",
                                      SongBytes({"Song" + std::to_string(i), artist, "LP", 1, i})));
        }
        before = Snapshot(dir / "in");
    }

    // Runs one journaled batch over `fs`.
    void Run(bool move, FileSystem& fs = RealFileSystem()) {
        auto journal = BatchJournal::Begin(fs, state, move ? "move" : "rename");
        ASSERT_TRUE(journal.ok()) << journal.error().Message();
        JournaledFileSystem jfs(fs, **journal);
        ListStore store;
        ListFiles(store, files);
        if (move) {
            RunMoveBatch(store, TestSettings(storage), jfs);
        } else {
            RunRenameBatch(store, TestSettings(), jfs);
        }
        ASSERT_FALSE(jfs.JournalFailure());
    }
};

TEST(Undo, RestoresEveryFileAndRemovesTheFoldersTheBatchMade) {
    for (const bool move : {false, true}) {
        SCOPED_TRACE(move ? "move" : "rename");
        UndoWorld w(6);
        w.Run(move);
        ASSERT_NE(Snapshot(w.dir / "in"), w.before) << "the batch did nothing";
        const UndoReport report = UndoLastBatch(RealFileSystem(), w.state);
        ASSERT_TRUE(report.batch);
        EXPECT_EQ(report.reverted.size(), 6u);
        EXPECT_TRUE(report.skipped.empty());
        EXPECT_EQ(Snapshot(w.dir / "in"), w.before);
        EXPECT_TRUE(Folders(w.dir / "store").empty()) << "a folder the batch made is left";
        EXPECT_EQ(report.foldersRemoved.size(), move ? 4u : 0u);  // Even, Odd and an LP in each
    }
}

TEST(Undo, ASecondUndoFindsNothingLeft) {
    UndoWorld w(3);
    w.Run(false);
    ASSERT_TRUE(UndoLastBatch(RealFileSystem(), w.state).batch);
    const auto afterFirst = Snapshot(w.dir.path());
    const UndoReport second = UndoLastBatch(RealFileSystem(), w.state);
    EXPECT_FALSE(second.batch);
    EXPECT_EQ(Snapshot(w.dir.path()), afterFirst);
}

TEST(Undo, TakesBackTheLatestBatchFirstThenTheOneBefore) {
    UndoWorld w(2);
    w.Run(false);
    const auto renamed = Snapshot(w.dir / "in");
    // The second batch runs over the renamed files.
    w.files.clear();
    for (const auto& [p, bytes] : renamed)
        w.files.push_back(p);
    w.Run(true);
    EXPECT_EQ(UndoLastBatch(RealFileSystem(), w.state).batch->kind, "move");
    EXPECT_EQ(Snapshot(w.dir / "in"), renamed);
    EXPECT_EQ(UndoLastBatch(RealFileSystem(), w.state).batch->kind, "rename");
    EXPECT_EQ(Snapshot(w.dir / "in"), w.before);
}

TEST(Undo, DryRunChangesNothingAndTellsWhatItWouldDo) {
    UndoWorld w(4);
    w.Run(true);
    const auto moved = Snapshot(w.dir.path());
    DryRunFileSystem dry;
    const UndoReport report = UndoLastBatch(dry, w.state, true);
    EXPECT_EQ(report.reverted.size(), 4u);
    EXPECT_EQ(report.foldersRemoved.size(), 4u);
    EXPECT_EQ(Snapshot(w.dir.path()), moved);
    // Nothing was marked: the real undo still has it all to do.
    EXPECT_EQ(UndoLastBatch(RealFileSystem(), w.state).reverted.size(), 4u);
}

// Stopped between two steps, an undo leaves the rest, its folders included, for the next one,
// and its bar still tells how far it got.
TEST(Undo, AStopLeavesTheRestForTheNextUndo) {
    UndoWorld w(4);
    w.Run(true);
    std::vector<int> values;
    int maximum = 0;
    BatchCallbacks callbacks;
    callbacks.progressMaximum = [&](int m) { maximum = m; };
    callbacks.progressValue = [&](int v) { values.push_back(v); };
    callbacks.stopRequested = [&] { return values.size() > 1; };
    const UndoReport stopped = UndoLastBatch(RealFileSystem(), w.state, false, callbacks);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.reverted.size(), 1u);
    EXPECT_TRUE(stopped.foldersRemoved.empty());
    EXPECT_EQ(maximum, 4);
    EXPECT_EQ(values, (std::vector<int>{0, 1}));

    values.clear();
    callbacks.stopRequested = {};
    const UndoReport rest = UndoLastBatch(RealFileSystem(), w.state, false, callbacks);
    EXPECT_FALSE(rest.stopped);
    EXPECT_EQ(rest.reverted.size(), 3u);
    EXPECT_EQ(maximum, 3);
    EXPECT_EQ(values, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(Snapshot(w.dir / "in"), w.before);
    EXPECT_TRUE(Folders(w.dir / "store").empty());
}

// What can happen to a file between a batch and its undo, and what the undo must then do:
// leave it, say why, and lose nothing.
TEST(Undo, SkipsWhatItCannotTakeBackAndLosesNothing) {
    struct Case {
        const char* name;
        // Done after the batch to the file renamed from f1.mp3 (`now`), in world `w`.
        std::function<void(UndoWorld& w, const std::string& now, FaultFileSystem& fs)> meddle;
        ErrorKind kind;
    };
    const Case cases[] = {
        {"old name taken",
         [](UndoWorld& w, const std::string&, FaultFileSystem&) {
             w.dir.Write("in/f1.mp3", std::string("someone else's"));
         },
         ErrorKind::kAlreadyExists},
        {"file moved since",
         [](UndoWorld& w, const std::string& now, FaultFileSystem&) {
             std::filesystem::rename(U8Path(now), U8Path(w.dir / "in/elsewhere.mp3"));
         },
         ErrorKind::kNotFound},
        {"another file in its place",
         [](UndoWorld& w, const std::string& now, FaultFileSystem&) {
             std::filesystem::rename(U8Path(now), U8Path(w.dir / "in/elsewhere.mp3"));
             w.dir.Write("in/" + path::FileName(now), std::string("impostor"));
         },
         ErrorKind::kFileChanged},
        {"rename refused",
         [](UndoWorld&, const std::string& now, FaultFileSystem& fs) {
             fs.Refuse(FsOp::kRenameFile, path::FileName(now), EACCES);
         },
         ErrorKind::kPermissionDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UndoWorld w(3);
        w.Run(false);
        const std::string now = path::Join(w.dir / "in", "Song1.mp3");
        ASSERT_TRUE(RealFileSystem().FileExists(now));
        FaultFileSystem fs;
        c.meddle(w, now, fs);
        std::multiset<Bytes> contents;
        for (const auto& [p, bytes] : Snapshot(w.dir / "in"))
            contents.insert(bytes);

        const UndoReport report = UndoLastBatch(fs, w.state);
        ASSERT_EQ(report.skipped.size(), 1u);
        EXPECT_EQ(report.skipped[0].step.to, now);
        EXPECT_EQ(report.skipped[0].reason.kind, c.kind) << report.skipped[0].reason.Message();
        EXPECT_FALSE(report.skipped[0].reason.reason.empty());
        EXPECT_EQ(report.reverted.size(), 2u);
        std::multiset<Bytes> after;
        for (const auto& [p, bytes] : Snapshot(w.dir / "in"))
            after.insert(bytes);
        EXPECT_EQ(after, contents) << "a file was lost or overwritten";
        EXPECT_FALSE(UndoLastBatch(fs, w.state).batch) << "the skipped step was tried again";
    }
}

TEST(Undo, KeepsAFolderThatHoldsSomethingNew) {
    UndoWorld w(2);
    w.Run(true);
    const std::string mine = w.dir.Write("store/Even/LP/mine.txt", std::string("keep me"));
    const UndoReport report = UndoLastBatch(RealFileSystem(), w.state);
    EXPECT_EQ(Snapshot(w.dir / "in"), w.before);
    EXPECT_TRUE(RealFileSystem().FileExists(mine));
    ASSERT_EQ(report.foldersKept.size(), 2u);     // Even/LP and Even
    EXPECT_EQ(report.foldersRemoved.size(), 2u);  // Odd/LP and Odd
}

TEST(Journal, PassesOverATornLastLineAndCountsAnUnconfirmedStepByTheDisk) {
    TempDir dir;
    const std::string gone = dir / "gone.mp3";
    const std::string here = dir.Write("here.mp3", std::string("x"));
    const std::string stayed = dir.Write("stayed.mp3", std::string("y"));
    const FileIdentity hereId = *RealFileSystem().IdentifyFile(here);
    // Windows paths hold backslashes, which a JSON string must escape.
    const auto quoted = [](const std::string& p) {
        std::string out;
        for (const char c : p)
            out += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return out;
    };
    const auto line = [&quoted](const std::string& rec, const std::string& from,
                                const std::string& to, FileIdentity id = {}) {
        return R"({"rec":")" + rec + R"(","from":")" + quoted(from) + R"(","to":")" + quoted(to) +
               R"(","dev":)" + std::to_string(id.device) + R"(,"ino":)" + std::to_string(id.file) +
               "}\n";
    };
    const std::string head = R"({"rec":"batch","batch":"1","kind":"rename","time":"t"})"
                             "\n";
    const std::string done = line("step", dir / "a.mp3", dir / "b.mp3");
    struct Case {
        const char* name;
        std::string text;
        std::size_t steps;
        bool undone;
    };
    const Case cases[] = {
        {"whole", head + done, 1, false},
        {"torn step", head + done + done.substr(0, done.size() / 2), 1, false},
        {"whole line without its break", head + done + done.substr(0, done.size() - 1), 1, false},
        {"torn undone mark", head + done + R"({"rec":"und)", 1, false},
        {"undone",
         head + done +
             R"({"rec":"undone"})"
             "\n",
         1, true},
        {"try the disk shows done", head + done + line("try", gone, here, hereId), 2, false},
        {"try the disk shows not done", head + done + line("try", stayed, dir / "new.mp3"), 1,
         false},
        {"try of another file", head + line("try", gone, here, FileIdentity{1, 2}), 0, false},
        {"try then its step",
         head + line("try", gone, here, hereId) + line("step", gone, here, hereId), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JournalBatch b = ParseBatchJournal(c.text, RealFileSystem());
        EXPECT_EQ(b.id, "1");
        EXPECT_EQ(b.steps.size(), c.steps);
        EXPECT_EQ(b.undone, c.undone);
    }
}

// Only a cross-device move whose copy was announced, and that the batch neither finished,
// saw refused nor left for an undo or an earlier start, is left to recover.
TEST(Journal, FindsOnlyTheMoveACrashStoppedAfterItsCopy) {
    using Writes = std::function<void(BatchJournal&)>;
    const Writes copying = [](BatchJournal& j) {
        (void)j.Try("a", "x/1", FileIdentity{1, 2});
        (void)j.Temporary("a", "x/t");
        (void)j.Try("a", "x/2", FileIdentity{1, 2});
    };
    using J = BatchJournal&;
    const auto Then = [](Writes first, Writes next) -> Writes {
        return [=](J j) {
            first(j);
            next(j);
        };
    };
    const Writes aside = Then(copying, [](J j) { (void)j.Aside("a", "s"); });
    const struct {
        const char* name;
        Writes writes;
        std::optional<InterruptedMove> found;  // journal left out
    } cases[] = {
        {"copy placed", copying, InterruptedMove{{}, "a", {1, 2}, "x/2", "x/t", {}}},
        {"source set aside", aside, InterruptedMove{{}, "a", {1, 2}, "x/2", "x/t", "s"}},
        {"no copy (same device)", [](J j) { (void)j.Try("a", "x/1", {}); }, {}},
        {"step recorded", Then(copying, [](J j) { (void)j.Step("a", "x/2", {}); }), {}},
        {"refused", Then(copying, [](J j) { (void)j.Refused("a"); }), {}},
        {"refused once set aside", Then(aside, [](J j) { (void)j.Refused("a"); }),
         InterruptedMove{{}, "a", {1, 2}, {}, "x/t", "s"}},
        {"another file since", Then(copying, [](J j) { (void)j.Try("b", "x/3", {}); }), {}},
        {"recovered", Then(aside, [](J j) { (void)j.Recovered(); }), {}},
        {"undone", Then(copying, [](J j) { (void)j.Undid("a", "x/2"); }), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string state = dir / "state";
        auto journal = BatchJournal::Begin(RealFileSystem(), state, "move");
        ASSERT_TRUE(journal.ok());
        c.writes(**journal);
        journal->reset();
        std::vector<InterruptedMove> found = ReadLeftoverRecords(RealFileSystem(), state).moves;
        for (InterruptedMove& m : found)
            m.journal.clear();
        EXPECT_EQ(found, c.found ? std::vector{*c.found} : std::vector<InterruptedMove>{});
    }
}

// Every start looks at every journal kept; reading each more than once made it cost as much
// again.
TEST(Journal, RecoveryReadsEachJournalOnce) {
    TempDir dir;
    const std::string state = dir / "state";
    for (int i = 0; i < 3; ++i) {
        auto journal = BatchJournal::Begin(RealFileSystem(), state, "move");
        ASSERT_TRUE(journal.ok());
        const std::string from = dir / ("gone" + std::to_string(i));
        (void)(*journal)->Try(from, dir / "x/1", FileIdentity{1, 2});
        (void)(*journal)->Temporary(from, dir / "x/t");
    }
    FaultFileSystem fs;
    std::map<std::string, int> opened;
    fs.OnCall([&](FsOp op, const std::string& p) {
        if (op == FsOp::kOpenRead)
            ++opened[p];
    });
    (void)RecoverInterruptedCopies(fs, state);
    const std::vector<std::string> journals = JournalFiles(RealFileSystem(), state);
    ASSERT_EQ(journals.size(), 3u);
    for (const std::string& file : journals)
        EXPECT_EQ(opened[file], 1) << file;
}

TEST(Journal, ABatchThatCannotWriteItsJournalChangesNothing) {
    UndoWorld w(2);
    // A state folder that is a file: no journal can be begun there.
    w.dir.Write("state", std::string("not a folder"));
    EXPECT_FALSE(BatchJournal::Begin(RealFileSystem(), w.state, "rename").ok());
    EXPECT_EQ(Snapshot(w.dir / "in"), w.before);
}

TEST(Journal, BatchesAreListedInOrderAndOldOnesAreDropped) {
    TempDir dir;
    const std::string state = dir / "state";
    std::vector<std::string> ids;
    for (int i = 0; i < kKeptBatchJournals + 2; ++i) {
        auto j = BatchJournal::Begin(RealFileSystem(), state, i % 2 ? "move" : "rename");
        ASSERT_TRUE(j.ok());
        ids.push_back((*j)->Id());
    }
    const auto batches = ReadJournal(RealFileSystem(), state);
    ASSERT_EQ(batches.size(), static_cast<std::size_t>(kKeptBatchJournals));
    EXPECT_EQ(batches.front().id, ids[2]);
    EXPECT_EQ(batches.back().id, ids.back());
    EXPECT_EQ(batches.back().kind, "move");
}

}  // namespace
}  // namespace tagwright::test
