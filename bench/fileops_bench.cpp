// Renaming 10,000 files in place and moving 10,000 files into 500 artist/album folders, against
// the least any tool must do: read each file's tags and give it its new name with one
// renameat2(RENAME_NOREPLACE) (plus one mkdir per new folder for the move). The previews of the
// same batches are timed against reading the files' tags and against the batch itself.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "filelist/folder_search.h"
#include "filelist/list_store.h"
#include "fileops/batch_plan.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "naming/field_selection.h"
#include "support/bench_files.h"
#include "tags/tag_cache.h"

namespace {

using namespace tagwright;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kFiles = 10'000;
constexpr int kArtists = 50;
constexpr int kAlbumsPerArtist = 10;  // 500 folders of 20 files

std::string Artist(int i) {
    return "Artist" + std::to_string(i % kArtists);
}
std::string Album(int i) {
    return "Album" + std::to_string((i / kArtists) % kAlbumsPerArtist);
}
std::string Title(int i) {
    return "Title" + std::to_string(i);
}

// Title names, artist/album folders, no question asked.
Settings BatchSettings(const std::string& storage) {
    Settings s;
    s.FileNameSetting = "曲名";
    s.FileMoveText = "アーティスト\\アルバム\\";
    s.FolderYN = false;
    s.MP3SaveFolderTxt = storage;
    return s;
}

// One folder of kFiles tagged files, listed as the drop handler would list them.
struct Tree {
    bench::ScratchFolder dir;
    std::string in = dir.MakeFolder("in");
    std::string storage = dir.MakeFolder("Music") + "/";
    std::vector<std::string> paths;
    ListStore store;

    Tree() {
        for (int i = 0; i < kFiles; ++i) {
            bench::Id3v1Fields f;
            f.title = Title(i);
            f.artist = Artist(i);
            f.album = Album(i);
            f.year = "2001";
            f.track = i % 256;
            const std::string p = in + "/f" + std::to_string(i) + ".mp3";
            RealFileSystem()
                .WriteFile(p, bench::Cat({bench::Audio(2048), bench::Id3v1(f)}))
                .ThrowIfError();
            paths.push_back(p);
        }
        std::vector<FileRow> rows;
        for (const std::string& p : paths) {
            FileRow& row = rows.emplace_back();
            row.path = p;
            row.fileName = p.substr(in.size() + 1);
            row.tagKinds = 2;  // v1.1
        }
        store.AppendFileRows(std::move(rows));
    }
};

// The baseline's one system call per file.
void RenameOrFail(benchmark::State& state, const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
        state.SkipWithError("renameat2 failed");
}

template <class F>
double Millis(F&& f) {
    const auto start = Clock::now();
    f();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double TagReads(Tree& t, const Settings& s, std::int16_t mode) {
    return Millis([&] {
        for (const std::string& p : t.paths) {
            clsMP3Tag reader;
            reader.MP3FilePath = p;
            benchmark::DoNotOptimize(TagR::GetTagInfo(mode, reader, s));
        }
    });
}

// Sums over the iterations; the counters show the averages and the ratio of the sums.
struct Totals {
    double batch = 0, loop = 0, tags = 0;

    void Add(benchmark::State& state, double b, double l, double t) {
        state.SetIterationTime(b / 1000.0);
        batch += b;
        loop += l;
        tags += t;
    }
    void Report(benchmark::State& state) const {
        const double n = static_cast<double>(state.iterations());
        state.counters["batch_ms"] = batch / n;
        state.counters["renameat2_ms"] = loop / n;
        state.counters["tags_ms"] = tags / n;
        state.counters["ratio"] = batch / (loop + tags);
    }
};

void BM_RenameBatch(benchmark::State& state) {
    Totals totals;
    for (auto _ : state) {
        double batch = 0, loop = 0, tags = 0;
        {
            Tree t;
            const Settings s = BatchSettings(t.storage);
            tags = TagReads(t, s, TagR::kModeFileName);
            batch = Millis([&] { RunRenameBatch(t.store, s, RealFileSystem()); });
        }
        {
            Tree t;
            loop = Millis([&] {
                for (int i = 0; i < kFiles; ++i)
                    RenameOrFail(state, t.paths[i], t.in + "/" + Title(i) + ".mp3");
            });
        }
        totals.Add(state, batch, loop, tags);
    }
    totals.Report(state);
}

void BM_MoveBatch(benchmark::State& state) {
    Totals totals;
    for (auto _ : state) {
        double batch = 0, loop = 0, tags = 0;
        {
            Tree t;
            const Settings s = BatchSettings(t.storage);
            tags = TagReads(t, s, TagR::kModeFolder);
            batch = Millis([&] { RunMoveBatch(t.store, s, RealFileSystem()); });
        }
        {
            Tree t;
            loop = Millis([&] {
                for (int a = 0; a < kArtists; ++a) {
                    const std::string artist = t.storage + Artist(a);
                    ::mkdir(artist.c_str(), 0777);
                    for (int b = 0; b < kAlbumsPerArtist; ++b)
                        ::mkdir((artist + "/" + Album(b * kArtists)).c_str(), 0777);
                }
                for (int i = 0; i < kFiles; ++i) {
                    const std::string to =
                        t.storage + Artist(i) + "/" + Album(i) + "/f" + std::to_string(i) + ".mp3";
                    if (::renameat2(AT_FDCWD, t.paths[i].c_str(), AT_FDCWD, to.c_str(),
                                    RENAME_NOREPLACE) != 0) {
                        state.SkipWithError("renameat2 failed");
                    }
                }
            });
        }
        totals.Add(state, batch, loop, tags);
    }
    totals.Report(state);
}

// The tree's files listed as the window lists them: through the folder search, which keeps
// their tags in `cache` when given.
ListStore Listed(const Tree& t, TagCache* cache) {
    ListStore store;
    GetSearchMP3Module search(RealFileSystem(), store);
    search.SetTagCache(cache);
    search.SearchMP3Files(t.in, "mp3", false);
    return store;
}

// The preview works out every file's fate as the batch does and keeps its changes in memory.
// Argument 1: the files' tags were kept when they were listed; 0: a cold cache, every file read.
template <class PlanFn, class BatchFn>
void PreviewAgainstBatch(benchmark::State& state, std::int16_t mode, PlanFn&& plan,
                         BatchFn&& batch) {
    const bool warm = state.range(0) != 0;
    double preview = 0, tags = 0, real = 0;
    for (auto _ : state) {
        Tree t;
        // The files were written just now, and a file changed within the cache's settle time
        // is read again rather than kept; a user's files have long settled, so wait that out.
        if (warm)
            std::this_thread::sleep_for(std::chrono::nanoseconds(TagCache::kSettleNs) + 200ms);
        TagCache cache;
        ListStore store = Listed(t, warm ? &cache : nullptr);
        BatchCallbacks callbacks;
        callbacks.tagCache = &cache;
        const Settings s = BatchSettings(t.storage);
        const double tagMs = TagReads(t, s, mode);
        const double previewMs =
            Millis([&] { benchmark::DoNotOptimize(plan(store, s, callbacks)); });
        const double batchMs = Millis([&] { batch(store, s, callbacks); });
        state.SetIterationTime(previewMs / 1000.0);
        preview += previewMs;
        tags += tagMs;
        real += batchMs;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["preview_ms"] = preview / n;
    state.counters["tags_ms"] = tags / n;
    state.counters["batch_ms"] = real / n;
    state.counters["preview_per_tags"] = preview / tags;
    state.counters["preview_per_batch"] = preview / real;
}

void BM_RenamePreview(benchmark::State& state) {
    PreviewAgainstBatch(
        state, TagR::kModeFileName,
        [](const ListStore& store, const Settings& s, const BatchCallbacks& cb) {
            return PlanRename(store, s, RealFileSystem(), cb);
        },
        [](ListStore& store, const Settings& s, const BatchCallbacks& cb) {
            RunRenameBatch(store, s, RealFileSystem(), cb);
        });
}

void BM_MovePreview(benchmark::State& state) {
    PreviewAgainstBatch(
        state, TagR::kModeFolder,
        [](const ListStore& store, const Settings& s, const BatchCallbacks& cb) {
            return PlanMove(store, s, RealFileSystem(), cb);
        },
        [](ListStore& store, const Settings& s, const BatchCallbacks& cb) {
            RunMoveBatch(store, s, RealFileSystem(), cb);
        });
}

BENCHMARK(BM_RenameBatch)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveBatch)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
void ColdAndWarm(benchmark::internal::Benchmark* b) {
    b->ArgName("warm")->Arg(0)->Arg(1)->Iterations(3)->UseManualTime()->Unit(
        benchmark::kMillisecond);
}
BENCHMARK(BM_RenamePreview)->Apply(ColdAndWarm);
BENCHMARK(BM_MovePreview)->Apply(ColdAndWarm);

}  // namespace

BENCHMARK_MAIN();
