#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fileops/journaled_file_system.h"
#include "fileops/move_batch.h"
#include "fileops/undo.h"
#include "fileops_fixture.h"
#include "platform/path.h"

namespace tagwright::test {
namespace {

// A folder on another file system than the temporary folder, or empty when there is none.
std::string OtherDevice(const TempDir& dir) {
    struct stat here {
    }, shm{};
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
        return {};
    }
    const std::string other = "/dev/shm/tagwright-undo-" + std::to_string(::getpid());
    std::filesystem::create_directory(other);
    return other;
}

struct OtherDeviceTest : ::testing::Test {
    TempDir dir;
    std::string other;
    std::string state = dir / "state";
    void SetUp() override {
        other = OtherDevice(dir);
        if (other.empty())
            GTEST_SKIP() << "no second file system to move to";
    }
    void TearDown() override {
        SetFsStepHook({});
        if (!other.empty())
            std::filesystem::remove_all(other);
    }
    std::vector<std::string> Library(int n) {
        std::vector<std::string> files;
        for (int i = 0; i < n; ++i) {
            files.push_back(dir.Write("in/f" + std::to_string(i) + ".mp3",
                                      SongBytes({"S" + std::to_string(i), "A", "B", 1, i})));
        }
        return files;
    }
    void Move(const std::vector<std::string>& files) {
        auto journal = BatchJournal::Begin(RealFileSystem(), state, "move");
        ASSERT_TRUE(journal.ok());
        JournaledFileSystem jfs(RealFileSystem(), **journal);
        ListStore store;
        ListFiles(store, files);
        RunMoveBatch(store, TestSettings(other + "/"), jfs);
    }
    // Moves `files` in a child process that is killed at the first `at`.
    void MoveKilledAt(FsStep at, const std::vector<std::string>& files) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SetFsStepHook([at](FsStep step, const std::string&) {
                if (step == at)
                    ::kill(::getpid(), SIGKILL);
            });
            Move(files);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
    }
};

TEST_F(OtherDeviceTest, UndoOfACrossDeviceMoveRestoresEveryFile) {
    const auto files = Library(3);
    const auto before = Snapshot(dir / "in");
    Move(files);
    ASSERT_TRUE(Snapshot(dir / "in").empty());
    const UndoReport report = UndoLastBatch(RealFileSystem(), state);
    EXPECT_EQ(report.reverted.size(), 3u);
    EXPECT_TRUE(report.skipped.empty());
    EXPECT_EQ(Snapshot(dir / "in"), before);
    EXPECT_TRUE(Snapshot(other).empty());
    EXPECT_TRUE(Folders(other).empty()) << "A/B is left";
}

// A move killed while its copy is half-way: the copy is named in the journal, and the next
// start removes it when its source is still there, and keeps it when it is the only one left.
TEST_F(OtherDeviceTest, ACopyAKillInterruptedIsRemovedOnlyWhileItsSourceExists) {
    for (const bool sourceGone : {false, true}) {
        SCOPED_TRACE(sourceGone ? "source gone" : "source in place");
        std::filesystem::remove_all(U8Path(dir / "in"));
        std::filesystem::remove_all(U8Path(state));
        const auto files = Library(1);
        const auto before = Snapshot(dir / "in");
        MoveKilledAt(FsStep::kCopyMade, files);
        const auto batches = ReadJournal(RealFileSystem(), state);
        ASSERT_EQ(batches.size(), 1u);
        ASSERT_EQ(batches[0].temporaries.size(), 1u);
        const std::string tmp = batches[0].temporaries[0].temporary;
        ASSERT_TRUE(RealFileSystem().FileExists(tmp));
        if (sourceGone)
            std::filesystem::remove(U8Path(files[0]));

        const RecoveryReport report = RecoverInterruptedCopies(RealFileSystem(), state);
        EXPECT_EQ(report.removed.size(), sourceGone ? 0u : 1u);
        EXPECT_EQ(report.kept.size(), sourceGone ? 1u : 0u);
        EXPECT_EQ(RealFileSystem().FileExists(tmp), sourceGone);
        if (!sourceGone) {
            EXPECT_EQ(Snapshot(dir / "in"), before);
        }
        std::filesystem::remove_all(U8Path(other + "/A"));
    }
}

// A move killed after its copy took its final name leaves the file twice (source and copy)
// or set aside under a private name; the next start leaves it once, under an ordinary name,
// with a journal that an undo can follow.
TEST_F(OtherDeviceTest, AMoveKilledAfterItsCopyIsPlacedLeavesEachFileOnce) {
    using Action = MoveRecovery::Action;
    enum class Meanwhile { kNothing, kCopyLost, kCopyLostSourceTaken };
    const struct {
        FsStep killedAt;
        Meanwhile meanwhile;
        Action action;
        bool moved;  // the file ends at the destination
    } cases[] = {
        {FsStep::kCopyInPlace, Meanwhile::kNothing, Action::kReverted, false},
        {FsStep::kSourceAside, Meanwhile::kNothing, Action::kFinished, true},
        {FsStep::kSourceAside, Meanwhile::kCopyLost, Action::kPutBack, false},
        {FsStep::kSourceAside, Meanwhile::kCopyLostSourceTaken, Action::kKeptAside, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.action));
        std::filesystem::remove_all(U8Path(dir / "in"));
        std::filesystem::remove_all(U8Path(state));
        std::filesystem::remove_all(U8Path(other + "/A"));
        const auto files = Library(2);
        const auto before = Snapshot(dir / "in");
        MoveKilledAt(c.killedAt, files);
        ASSERT_EQ(Snapshot(other).size(), 1u);
        const std::string copy = Snapshot(other).begin()->first;
        if (c.meanwhile != Meanwhile::kNothing)
            std::filesystem::remove(U8Path(copy));
        if (c.meanwhile == Meanwhile::kCopyLostSourceTaken)
            dir.Write("in/f0.mp3", Bytes{1, 2, 3});

        const RecoveryReport report = RecoverInterruptedCopies(RealFileSystem(), state);
        ASSERT_EQ(report.moves.size(), 1u);
        EXPECT_EQ(report.moves[0].action, c.action);
        EXPECT_EQ(report.moves[0].from, files[0]);
        EXPECT_TRUE(report.failed.empty());
        auto in = Snapshot(dir / "in");
        auto out = Snapshot(other);
        if (c.action == Action::kKeptAside) {
            // Nothing proves either file the one to lose: both stay, and a second start
            // reports the same again.
            EXPECT_EQ(in.size(), 3u);
            EXPECT_EQ(RecoverInterruptedCopies(RealFileSystem(), state).moves, report.moves);
            continue;
        }
        EXPECT_EQ(in.size() + out.size(), 2u) << "each file exactly once";
        EXPECT_EQ(out.size(), c.moved ? 1u : 0u);
        in.insert(out.begin(), out.end());
        for (const auto& [p, bytes] : in)
            EXPECT_EQ(path::FileName(p).rfind(".tagwright-", 0), std::string::npos) << p;
        const auto batches = ReadJournal(RealFileSystem(), state);
        ASSERT_EQ(batches.size(), 1u);
        EXPECT_EQ(batches[0].steps.size(), c.moved ? 1u : 0u) << "the journal matches the disk";
        EXPECT_TRUE(RecoverInterruptedCopies(RealFileSystem(), state).moves.empty());

        UndoLastBatch(RealFileSystem(), state);
        EXPECT_EQ(Snapshot(dir / "in"), before);
        EXPECT_TRUE(Snapshot(other).empty());
    }
}

TEST(JournalPosix, AJournalThatStopsTakingRecordsStopsTheBatch) {
    TempDir dir;
    const std::string a = dir.Write("a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    const std::string b = dir.Write("b.mp3", SongBytes({"U", "A", "B", 1, 2}));
    const auto before = Snapshot(dir.path());
    JournalBatch full;
    full.id = "1";
    full.file = "/dev/full";
    auto journal = BatchJournal::Continue(full);
    if (!journal.ok())
        GTEST_SKIP() << "no /dev/full";
    JournaledFileSystem jfs(RealFileSystem(), **journal);
    ListStore store;
    ListFiles(store, {a, b});
    RunRenameBatch(store, TestSettings(), jfs);
    ASSERT_TRUE(jfs.JournalFailure());
    EXPECT_EQ(store.Cell(1, ListStore::kR), ListStore::kRefused);
    EXPECT_EQ(store.Cell(2, ListStore::kR), ListStore::kRefused);
    EXPECT_NE(store.Cell(1, ListStore::kNewName).find("journal"), std::string::npos);
    EXPECT_EQ(Snapshot(dir.path()), before);
}

// Names on Linux are bytes: the journal keeps those that are not UTF-8 exactly too.
TEST(Journal, KeepsEveryPathExactlyEvenWhenItIsNotUtf8) {
    TempDir dir;
    const std::vector<std::string> paths = {dir / "plain.mp3", dir / "\xff\xfe.mp3",
                                            dir / "\u66f2 \"quoted\"\n.mp3", dir / "a\xe6\x9b.mp3"};
    auto journal = BatchJournal::Begin(RealFileSystem(), dir / "state", "rename");
    ASSERT_TRUE(journal.ok());
    for (const std::string& p : paths) {
        ASSERT_TRUE((*journal)->Step(p, p + "2", FileIdentity{1, 2}).ok());
        ASSERT_TRUE((*journal)->Folder(p).ok());
    }
    const auto batches = ReadJournal(RealFileSystem(), dir / "state");
    ASSERT_EQ(batches.size(), 1u);
    ASSERT_EQ(batches[0].steps.size(), paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        EXPECT_EQ(batches[0].steps[i], (JournalStep{paths[i], paths[i] + "2", {1, 2}, false}));
        EXPECT_EQ(batches[0].folders[i], paths[i]);
    }
}

}  // namespace
}  // namespace tagwright::test
