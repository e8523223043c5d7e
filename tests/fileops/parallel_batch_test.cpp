#include <gtest/gtest.h>

#include "fileops/move_batch.h"
#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright {
namespace {

using test::FsOp;

struct BatchResult {
    std::vector<ListStore::Row> rows;
    std::vector<std::string> refusals;
    std::map<std::string, test::Bytes> files;
};

// A rename or move over a list with refused reads, with `jobs` reads in flight.
BatchResult RunBatch(bool move, int jobs) {
    test::TempDir dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 60; ++i) {
        const std::string name = std::to_string(i) + (i % 9 == 4 ? "-unreadable" : "") + ".mp3";
        paths.push_back(dir.Write(
            "in/" + name, test::SongBytes({"T" + std::to_string(i % 13),
                                           "A" + std::to_string(i % 3), "B", i % 5 + 1, i})));
    }
    const std::string storage = dir.MakeFolder("lib") + "/";
    ListStore store;
    test::ListFiles(store, paths);
    test::FaultFileSystem fs;
    fs.AllowConcurrentReads();
    fs.Refuse(FsOp::kRead, "unreadable", EIO);
    BatchCallbacks callbacks;
    callbacks.readJobs = jobs;
    BatchResult r;
    callbacks.rowRefused = [&r](int row, const Error& e) {
        r.refusals.push_back(std::to_string(row) + " " + e.Message());
    };
    Settings settings = test::TestSettings(storage);
    if (move)
        RunMoveBatch(store, settings, fs, callbacks);
    else
        RunRenameBatch(store, settings, fs, callbacks);
    r.rows = test::FileRows(store);
    // Paths below the test's own folder, which differs from run to run.
    for (ListStore::Row& row : r.rows)
        row[ListStore::kPath] = row[ListStore::kPath].substr(dir.path().size());
    for (auto& [path, bytes] : test::Snapshot(dir.path()))
        r.files[path.substr(dir.path().size())] = std::move(bytes);
    for (std::string& s : r.refusals) {
        if (const auto at = s.find(dir.path()); at != std::string::npos)
            s.erase(at, dir.path().size());
    }
    return r;
}

// Reads ahead change nothing a user sees: the same rows, refusals and files as one at a time.
TEST(ParallelBatch, SameOutcomeAsReadingOneAtATime) {
    for (const bool move : {false, true}) {
        SCOPED_TRACE(move ? "move" : "rename");
        const BatchResult serial = RunBatch(move, 1);
        ASSERT_FALSE(serial.refusals.empty());
        const BatchResult parallel = RunBatch(move, 8);
        EXPECT_EQ(parallel.rows, serial.rows);
        EXPECT_EQ(parallel.refusals, serial.refusals);
        EXPECT_EQ(parallel.files, serial.files);
    }
}

}  // namespace
}  // namespace tagwright
