// The folder walk of a first scan where every listing waits on the device: a library of 100
// artists with 5 albums each (601 folders) whose listings each take 1 ms, as a round trip to a
// network share does. Listed one by one the walk waits 601 times; listed ahead on --jobs
// threads it waits for few of them.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <thread>

#include "filelist/folder_search.h"
#include "platform/forwarding_file_system.h"
#include "support/bench_files.h"

namespace tagwright::bench {
namespace {

struct RoundTripListings : ForwardingFileSystem {
    bool ConcurrentReads() const override { return true; }
    Result<FolderListing> ListFolder(const std::string& folder) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return ForwardingFileSystem::ListFolder(folder);
    }
};

const ScratchFolder& Library() {
    static const ScratchFolder library;
    static const bool written = [] {
        for (int a = 0; a < 100; ++a) {
            for (int b = 0; b < 5; ++b) {
                const std::string album =
                    "Artist " + std::to_string(a) + "/Album " + std::to_string(b) + "/";
                for (int t = 0; t < 3; ++t)
                    library.Write(album + std::to_string(t) + ".mp3", Audio(64));
            }
        }
        return true;
    }();
    (void)written;
    return library;
}

void BM_WalkWithListingRoundTrips(benchmark::State& state) {
    const std::string root = Library().path();
    RoundTripListings fs;
    for (auto _ : state) {
        FileAddReport report;
        std::size_t files = 0;
        WalkFolders(
            fs, root, true, report, nullptr,
            [&](FolderListing& listing) { files += listing.files.size(); }, {},
            static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(files);
    }
}
BENCHMARK(BM_WalkWithListingRoundTrips)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace tagwright::bench

BENCHMARK_MAIN();
