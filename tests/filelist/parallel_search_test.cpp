#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "filelist/folder_search.h"
#include "platform/forwarding_file_system.h"
#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

struct SearchResult {
    std::vector<ListStore::Row> rows;
    std::vector<std::string> skipped;  // messages, in the order met
};

SearchResult Search(const std::string& root, int jobs) {
    test::FaultFileSystem fs;
    fs.AllowConcurrentReads();
    fs.Refuse(test::FsOp::kOpenRead, "bad", EIO);
    fs.Refuse(test::FsOp::kRead, "worse", EBUSY);
    fs.Refuse(test::FsOp::kListFolder, "locked", EACCES);
    ListStore store;
    GetSearchMP3Module search(fs, store);
    search.SetReadJobs(jobs);
    const FileAddReport report = search.SearchMP3Files(root, "", true);
    SearchResult r;
    for (int i = 1; i < store.RowCount(); ++i)
        r.rows.push_back(store.RowAt(i));
    for (const Error& e : report.skipped)
        r.skipped.push_back(e.Message());
    return r;
}

// Reads kept in flight together give the same rows and the same report, in the same order,
// as reads one at a time: refusals of files and of folders included.
TEST(ParallelSearch, RowsAndRefusalsAsOneAtATime) {
    test::TempDir dir;
    const test::Bytes tagged = test::Cat({test::B("ID3"), test::Audio(600)});
    for (int a = 0; a < 6; ++a) {
        const std::string folder = "Artist " + std::to_string(a) + (a == 2 ? " locked" : "") + "/";
        for (int t = 0; t < 25; ++t) {
            const std::string n = std::to_string(t);
            const char* kind = t % 7 == 3 ? " bad" : t % 11 == 5 ? " worse" : "";
            dir.Write(folder + n + kind + ".mp3", test::Audio(300 + t));
            dir.Write(folder + n + ".dat", t % 2 ? tagged : test::Audio(300));
        }
    }
    const SearchResult serial = Search(dir.path(), 1);
    ASSERT_GT(serial.rows.size(), 100u);
    ASSERT_GT(serial.skipped.size(), 10u);
    for (const int jobs : {4, 8, 32}) {
        SCOPED_TRACE(jobs);
        const SearchResult parallel = Search(dir.path(), jobs);
        EXPECT_EQ(parallel.rows, serial.rows);
        EXPECT_EQ(parallel.skipped, serial.skipped);
    }
}

// Every listing waits as one on a cold disk does, so the walk lists ahead on other threads.
struct SlowListings : ForwardingFileSystem {
    using ForwardingFileSystem::ForwardingFileSystem;
    bool ConcurrentReads() const override { return true; }
    Result<FolderListing> ListFolder(const std::string& folder) override {
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        {
            std::lock_guard lock(mutex);
            threads.insert(std::this_thread::get_id());
        }
        return ForwardingFileSystem::ListFolder(folder);
    }
    std::mutex mutex;
    std::set<std::thread::id> threads;
};

// What a walk met, in the order met: folders, files, then the refusals.
std::vector<std::string> Walk(FileSystem& fs, const std::string& root, int jobs,
                              std::size_t stopAfter) {
    std::vector<std::string> met;
    FileAddReport report;
    std::size_t visited = 0;
    const auto visit = [&](FolderListing& listing) {
        met.push_back("folder " + std::to_string(++visited));
        for (const DirEntry& f : listing.files)
            met.push_back(f.path);
    };
    WalkFolders(
        fs, root, true, report, &met, visit, [&] { return visited >= stopAfter; }, jobs);
    for (const Error& e : report.skipped)
        met.push_back(e.Message());
    return met;
}

// Folders listed ahead are walked in just the order of a walk that lists them one by one,
// refusals included, and a walk stopped midway has met the same folders.
TEST(ParallelSearch, FoldersListedAheadAreWalkedInOrder) {
    test::TempDir dir;
    for (int a = 0; a < 6; ++a) {
        for (const char* album : {"b", "A", "c locked", "B"}) {
            const std::string folder = "Artist " + std::to_string(a) + "/" + album + "/";
            dir.Write(folder + "t.mp3", test::Audio(300));
            dir.Write(folder + "deeper/u.mp3", test::Audio(300));
        }
    }
    test::FaultFileSystem fault;
    fault.Refuse(test::FsOp::kListFolder, "locked", EACCES);
    for (const std::size_t stopAfter : {std::size_t{1000}, std::size_t{12}}) {
        SCOPED_TRACE(stopAfter);
        SlowListings serialFs(fault);
        SlowListings aheadFs(fault);
        EXPECT_EQ(Walk(aheadFs, dir.path(), 8, stopAfter),
                  Walk(serialFs, dir.path(), 1, stopAfter));
        EXPECT_GT(aheadFs.threads.size(), 1u);
    }
}

}  // namespace
}  // namespace tagwright
