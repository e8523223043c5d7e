// Folder search over a generated library of 100,000 files (80 % .mp3, artist/album folders)
// against the least any search must do: walk the tree and, per file, open it, read 3 bytes at
// its start and 128 at its end, and close it. Also: the memory the 80,000 rows take, and a
// sort of 100,000 rows by file name.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "filelist/folder_search.h"
#include "filelist/list_commands.h"
#include "filelist/list_store.h"
#include "support/bench_files.h"

// Every allocation of the process is counted, so that the bytes the rows hold can be told
// apart from the page cache and the allocator's own slack.
namespace {
std::size_t g_liveBytes = 0;
std::size_t g_peakBytes = 0;

void* CountedAlloc(std::size_t n) {
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr)
        throw std::bad_alloc();
    g_liveBytes += malloc_usable_size(p);
    if (g_liveBytes > g_peakBytes)
        g_peakBytes = g_liveBytes;
    return p;
}

void CountedFree(void* p) noexcept {
    if (p == nullptr)
        return;
    g_liveBytes -= malloc_usable_size(p);
    std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
    return CountedAlloc(n);
}
void* operator new[](std::size_t n) {
    return CountedAlloc(n);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

namespace {

using namespace tagwright;

constexpr int kArtists = 250;
constexpr int kAlbumsPerArtist = 8;
constexpr int kFilesPerAlbum = 50;  // 40 .mp3 and 10 others
constexpr int kFiles = kArtists * kAlbumsPerArtist * kFilesPerAlbum;
constexpr int kMp3Files = kFiles * 4 / 5;

void WriteFile(const std::string& path, const bench::Bytes& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    ::close(fd);
}

// Made once per run under the system's temporary folder and removed at exit.
struct Library {
    bench::ScratchFolder dir;
    Library() {
        bench::Id3v1Fields f;
        f.title = "Title";
        f.track = 1;
        const bench::Bytes mp3 =
            bench::Cat({bench::Id3v23({}, 64), bench::Audio(1000), bench::Id3v1(f)});
        const bench::Bytes other = bench::Audio(600);
        const char* otherExt[] = {".jpg", ".txt", ".m3u", ".wav", ".log"};
        for (int a = 0; a < kArtists; ++a) {
            const std::string artist = dir.MakeFolder("Artist " + std::to_string(a));
            for (int b = 0; b < kAlbumsPerArtist; ++b) {
                const std::string album = artist + "/Album " + std::to_string(b);
                ::mkdir(album.c_str(), 0755);
                for (int t = 0; t < kFilesPerAlbum; ++t) {
                    const std::string stem = album + "/" + std::to_string(t) + " Track Title";
                    if (t % 5 == 4)
                        WriteFile(stem + otherExt[t % 5 == 4 ? (t / 5) % 5 : 0], other);
                    else
                        WriteFile(stem + ".mp3", mp3);
                }
            }
        }
    }
};

Library& Lib() {
    static Library library;
    return library;
}

// The plain loop: readdir recursion, and per file open, fstat, two preads, close.
long ProbeTree(const std::string& folder, bool onlyMp3) {
    DIR* d = ::opendir(folder.c_str());
    if (d == nullptr)
        return 0;
    long sum = 0;
    std::vector<std::string> subfolders;
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const std::string p = folder + "/" + e->d_name;
        if (e->d_type == DT_DIR) {
            subfolders.push_back(p);
            continue;
        }
        if (onlyMp3 && !HasMp3Extension(e->d_name))
            continue;
        const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
        unsigned char head[3];
        unsigned char tail[128];
        struct stat st {};
        ::fstat(fd, &st);
        sum += ::pread(fd, head, 3, 0);
        sum += ::pread(fd, tail, 128, st.st_size - 128);
        ::close(fd);
    }
    ::closedir(d);
    for (const std::string& s : subfolders)
        sum += ProbeTree(s, onlyMp3);
    return sum;
}

// Arg 0 probes every file, as the baseline asks; arg 1 only the .mp3 files, as the search by
// extension does.
void BM_PlainLoop(benchmark::State& state) {
    Library& lib = Lib();
    const bool onlyMp3 = state.range(0) == 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(ProbeTree(lib.dir.path(), onlyMp3));
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_PlainLoop)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3);

// By extension, with sub-folders: the search a dropped folder runs. Reports the bytes
// allocated at the peak of the search and those the rows still hold after it.
void BM_SearchMP3Files(benchmark::State& state) {
    Library& lib = Lib();
    std::unique_ptr<ListStore> store;
    double peakMb = 0, heldMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.reset();
        store = std::make_unique<ListStore>();
        const std::size_t before = g_liveBytes;
        g_peakBytes = g_liveBytes;
        state.ResumeTiming();

        GetSearchMP3Module search(RealFileSystem(), *store);
        FileAddReport report = search.SearchMP3Files(lib.dir.path(), "mp3", true);

        state.PauseTiming();
        if (report.added != kMp3Files || !report.skipped.empty())
            state.SkipWithError("wrong number of rows");
        peakMb = static_cast<double>(g_peakBytes - before) / 1e6;
        heldMb = static_cast<double>(g_liveBytes - before) / 1e6;
        state.ResumeTiming();
    }
    state.counters["peak_alloc_MB"] = peakMb;
    state.counters["rows_held_MB"] = heldMb;
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_SearchMP3Files)->Unit(benchmark::kMillisecond)->MinTime(3);

// The search by tag: every file is probed.
void BM_SearchMP3FilesByTag(benchmark::State& state) {
    Library& lib = Lib();
    for (auto _ : state) {
        ListStore store;
        GetSearchMP3Module search(RealFileSystem(), store);
        benchmark::DoNotOptimize(search.SearchMP3Files(lib.dir.path(), "", true).added);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_SearchMP3FilesByTag)->Unit(benchmark::kMillisecond)->MinTime(3);

// 100,000 rows in random order, sorted ascending by the FileName column.
void BM_Sort100kByFileName(benchmark::State& state) {
    ListStore filled;
    std::mt19937 rng(7);
    std::vector<FileRow> rows(100'000);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string name = std::to_string(rng() % 100) + " Some Track Title " +
                                 std::to_string(rng() % 100000) + ".mp3";
        rows[i].fileName = name;
        rows[i].tagKinds = 10;  // v1.1&v2
        rows[i].path = "/music/Artist/Album/" + name;
    }
    filled.AppendFileRows(std::move(rows));
    GridState grid;
    grid.SetSelection(1, ListStore::kFileName, 1, ListStore::kFileName);
    for (auto _ : state) {
        state.PauseTiming();
        ListStore store = filled;
        state.ResumeTiming();
        SortList(store, grid, false);
        benchmark::DoNotOptimize(store.Cell(1, ListStore::kFileName));
    }
}
BENCHMARK(BM_Sort100kByFileName)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
