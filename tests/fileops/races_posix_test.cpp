// Moves across devices while another process swaps names in the source folder, and batches
// killed at random points: no file is ever lost or left twice (after the next start's
// recovery, for a kill), a row that says "○" names the file it listed, and no temporary file
// is left behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "fileops/journaled_file_system.h"
#include "fileops/move_batch.h"
#include "fileops/undo.h"
#include "fileops_fixture.h"

namespace tagwright::test {
namespace {

namespace fs = std::filesystem;

int Rounds() {
    // A longer soak sets TAGWRIGHT_RACE_ROUNDS.
    if (const char* n = std::getenv("TAGWRIGHT_RACE_ROUNDS"))
        return std::max(1, std::atoi(n));
    return 12;
}

bool IsTemporary(const std::string& p) {
    return fs::path(p).filename().string().rfind(".tagwright-", 0) == 0;
}

// How often each content occurs under `roots`, under ordinary names and under temporary ones.
struct Census {
    std::map<Bytes, int> named, temporary;
};

Census Count(const std::vector<std::string>& roots) {
    Census c;
    for (const std::string& root : roots) {
        for (const auto& [p, bytes] : Snapshot(root))
            ++(IsTemporary(p) ? c.temporary : c.named)[bytes];
    }
    return c;
}

struct RaceWorld {
    TempDir dir;
    std::string in, storage;
    ListStore store;
    std::map<FileIdentity, Bytes> listed;  // what each row's file holds
    std::map<Bytes, int> contents;

    explicit RaceWorld(const std::string& otherDevice, int files) {
        in = dir.MakeFolder("in");
        storage = otherDevice + "/";
        std::vector<std::string> paths;
        for (int i = 0; i < files; ++i) {
            paths.push_back(dir.Write("in/f" + std::to_string(i) + ".mp3",
                                      SongBytes({"t" + std::to_string(i % 5), "A",
                                                 "B" + std::to_string(i % 3), 1, i + 1})));
        }
        ListFiles(store, paths);
        for (int i = 1; i < store.RowCount(); ++i) {
            const Bytes bytes = ReadAll(store.Cell(i, ListStore::kPath));
            listed[store.Identity(i)] = bytes;
            ++contents[bytes];
        }
    }
};

// Swaps the names of two files of `folder` through a third name, never replacing anything,
// as a careful user or another program would.
void SwapNames(const std::string& folder, std::mt19937& rng) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        if (!IsTemporary(e.path().string()))
            names.push_back(e.path().string());
    }
    if (names.size() < 2)
        return;
    std::shuffle(names.begin(), names.end(), rng);
    const std::string& a = names[0];
    const std::string& b = names[1];
    const std::string via = folder + "/swap-" + std::to_string(rng());
    if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, via.c_str(), RENAME_NOREPLACE) != 0)
        return;
    if (::renameat2(AT_FDCWD, b.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE) != 0) {
        ::renameat2(AT_FDCWD, via.c_str(), AT_FDCWD, a.c_str(), RENAME_NOREPLACE);
        return;
    }
    ::renameat2(AT_FDCWD, via.c_str(), AT_FDCWD, b.c_str(), RENAME_NOREPLACE);
}

struct RacesSlow : ::testing::Test {
    std::string other;
    void SetUp() override {
        struct stat here {
        }, shm{};
        TempDir probe;
        if (::stat(probe.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
            here.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
            GTEST_SKIP() << "no second file system to move to";
        }
        other = "/dev/shm/tagwright-races-" + std::to_string(::getpid());
    }
    void Fresh() {
        fs::remove_all(other);
        fs::create_directory(other);
    }
    void TearDown() override {
        if (!other.empty())
            fs::remove_all(other);
    }
};

TEST_F(RacesSlow, NamesSwappedDuringMovesAcrossDevicesLoseNothing) {
    int changed = 0;
    for (int round = 0; round < Rounds(); ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        Fresh();
        RaceWorld world(other, 40);
        std::vector<FileIdentity> ids;  // by row, as listed
        for (int i = 0; i < world.store.RowCount(); ++i)
            ids.push_back(world.store.Identity(i));
        std::atomic<bool> stop{false};
        std::thread renamer([&] {
            std::mt19937 rng(static_cast<std::uint32_t>(round));
            while (!stop)
                SwapNames(world.in, rng);
        });
        BatchCallbacks cb;
        cb.rowRefused = [&](int, const Error& e) { changed += e.kind == ErrorKind::kFileChanged; };
        RunMoveBatch(world.store, TestSettings(world.storage), RealFileSystem(), cb);
        stop = true;
        renamer.join();

        const Census c = Count({world.dir.path(), other});
        EXPECT_EQ(c.named, world.contents) << "a file was lost or left twice";
        EXPECT_TRUE(c.temporary.empty()) << "a temporary file was left behind";
        for (int i = 1; i < world.store.RowCount(); ++i) {
            if (world.store.Cell(i, ListStore::kM) != ListStore::kDone)
                continue;
            // The renamer never reaches the storage folder: a moved row's path still holds it.
            const std::string& p = world.store.Cell(i, ListStore::kPath);
            EXPECT_EQ(p.rfind(world.storage, 0), 0u) << p;
            EXPECT_EQ(ReadAll(p), world.listed.at(ids[static_cast<std::size_t>(i)]))
                << "the row names another file than it listed";
        }
        if (HasFailure())
            return;
    }
    std::cout << "races: " << Rounds() << " rounds of 40 files, " << changed
              << " rows refused because their file changed after listing\n";
}

// A kill can land anywhere. After the next start's recovery every file is there exactly once
// under an ordinary name, no temporary is left, and the journal tells which files moved.
TEST_F(RacesSlow, BatchesKilledAtRandomPointsLoseNothing) {
    std::mt19937 rng(20261207);
    long longest = 1;
    int killed = 0, recovered = 0;
    for (int round = 0; round < Rounds() * 2; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        Fresh();
        RaceWorld world(other, 30);
        TempDir stateDir;
        const std::string state = stateDir / "state";
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            auto journal = BatchJournal::Begin(RealFileSystem(), state, "move");
            if (!journal.ok())
                ::_exit(1);
            JournaledFileSystem jfs(RealFileSystem(), **journal);
            RunMoveBatch(world.store, TestSettings(world.storage), jfs);
            ::_exit(0);
        }
        // The first batch runs to its end and gives the span the later kills aim within.
        if (round > 0) {
            const long delay = std::uniform_int_distribution<long>(0, longest)(rng);
            std::this_thread::sleep_for(std::chrono::microseconds(delay));
            ::kill(child, SIGKILL);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (round == 0) {
            const auto took = std::chrono::steady_clock::now() - start;
            longest = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
        }

        ASSERT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "no journal";
        const RecoveryReport report = RecoverInterruptedCopies(RealFileSystem(), state);
        EXPECT_TRUE(report.failed.empty());
        recovered += static_cast<int>(report.moves.size() + report.removed.size());

        const Census c = Count({world.dir.path(), other});
        EXPECT_EQ(c.named, world.contents) << "a file was lost or left twice";
        EXPECT_TRUE(c.temporary.empty()) << "a temporary file was left behind";
        const Census there = Count({other});
        std::size_t moved = 0;
        for (const JournalBatch& b : ReadJournal(RealFileSystem(), state))
            moved += b.steps.size();
        EXPECT_EQ(moved, there.named.size()) << "the journal does not match the disk";
        // Midway: some files had moved and some had not.
        killed += WIFSIGNALED(status) && !there.named.empty() &&
                  there.named.size() < world.contents.size();
        if (HasFailure())
            return;
    }
    std::cout << "kills: " << killed << " of " << Rounds() * 2
              << " batches killed midway (a whole batch takes " << longest << " us), " << recovered
              << " interrupted copies or moves mended at the next start\n";
}

}  // namespace
}  // namespace tagwright::test
