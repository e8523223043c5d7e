// ReadTagType over 10,000 small files against the least any probe must do: open, size, read
// the first 3 and the last 128 bytes, close.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/bench_files.h"
#include "tags/mp3_tag.h"

namespace {

using namespace tagwright;

constexpr int kFiles = 10'000;

struct Corpus {
    bench::ScratchFolder dir;
    std::vector<std::string> paths;
    Corpus() {
        bench::Id3v1Fields f;
        f.title = "Title";
        f.track = 3;
        const bench::Bytes bytes =
            bench::Cat({bench::Id3v23({}, 64), bench::Audio(2000), bench::Id3v1(f)});
        paths.reserve(kFiles);
        for (int i = 0; i < kFiles; ++i) {
            paths.push_back(dir.Write("f" + std::to_string(i) + ".mp3", bytes));
        }
    }
};

Corpus& Files() {
    static Corpus corpus;
    return corpus;
}

void BM_ReadTagType(benchmark::State& state) {
    Corpus& c = Files();
    for (auto _ : state) {
        int sum = 0;
        for (const std::string& p : c.paths) {
            clsMP3Tag tag;
            tag.MP3FilePath = p;
            sum += tag.ReadTagType();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ReadTagType)->Unit(benchmark::kMillisecond);

// The plain loop: open + 2 x pread + close. fstat is counted too, because no probe can find the
// last 128 bytes without knowing the length.
void BM_PlainOpenPreadLoop(benchmark::State& state) {
    Corpus& c = Files();
    for (auto _ : state) {
        int sum = 0;
        for (const std::string& p : c.paths) {
            const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
            unsigned char head[3];
            unsigned char tail[128];
            struct stat st {};
            ::fstat(fd, &st);
            sum += static_cast<int>(::pread(fd, head, 3, 0));
            sum += static_cast<int>(::pread(fd, tail, 128, st.st_size - 128));
            ::close(fd);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_PlainOpenPreadLoop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
