// The six ID3v2 text fields of 10,000 files with a 1-2 KB ID3v2.3 tag, against the least any
// reader must do (open, read the 10-byte header, read the whole tag in one read, close) and,
// when it is installed, against TagLib reading the same fields. Prints the ratios at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/bench_files.h"
#include "tags/mp3_tag.h"

#ifdef TAGWRIGHT_HAVE_TAGLIB
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#endif

namespace {

using namespace tagwright;

constexpr int kFiles = 10'000;

bench::Bytes TagFor(int i) {
    using bench::TextFrame;
    const std::string n = std::to_string(i);
    // The mix people's files have: UTF-16 text, a comment, a few TXXX frames, padding.
    std::vector<std::pair<std::string, bench::Bytes>> frames = {
        {"TIT2", bench::Utf16Frame(u"夜に駆ける Title")},
        {"TPE1", bench::Utf16Frame(u"YOASOBI")},
        {"TALB", TextFrame(0, "\x93\xFA\x96\x7B Album " + n)},
        {"TYER", TextFrame(0, "2020")},
        {"TCON", TextFrame(0, "(13)")},
        {"TRCK", TextFrame(0, std::to_string(i % 20 + 1) + "/20")},
        {"COMM", TextFrame(0, std::string_view("eng\0Some comment text for the file", 36))},
    };
    for (int k = 0; k < 4; ++k)
        frames.push_back({"TXXX", TextFrame(0, "KEY" + std::to_string(k) + std::string(60, 'v'))});
    // Tags from about 1 KB to 2 KB.
    return bench::Id3v23(frames, 500 + static_cast<std::size_t>(i % 1000));
}

struct Corpus {
    bench::ScratchFolder dir;
    std::vector<std::string> paths;
    Corpus() {
        const bench::Bytes audio = bench::Audio(4000);
        paths.reserve(kFiles);
        for (int i = 0; i < kFiles; ++i) {
            paths.push_back(
                dir.Write("f" + std::to_string(i) + ".mp3", bench::Cat({TagFor(i), audio})));
        }
    }
};

Corpus& Files() {
    static Corpus corpus;
    return corpus;
}

void BM_ReadID3v2Tag(benchmark::State& state) {
    Corpus& c = Files();
    for (auto _ : state) {
        std::size_t sum = 0;
        for (const std::string& p : c.paths) {
            clsMP3Tag tag;
            tag.MP3FilePath = p;
            tag.ReadID3v2Tag();
            sum += tag.ID3V2TAGTrackName.size() + tag.ID3V2TAGArtist.size() +
                   tag.ID3V2TAGAlbum.size() + tag.ID3V2TAGYear.size() + tag.ID3V2TAGGenre.size() +
                   tag.ID3V2TAGTrackNo.size();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_ReadID3v2Tag)->Unit(benchmark::kMillisecond);

// The plain loop: open, the 10-byte header, the whole tag in one read into a reused buffer.
void BM_PlainHeaderAndTagLoop(benchmark::State& state) {
    Corpus& c = Files();
    std::vector<unsigned char> buffer;
    for (auto _ : state) {
        std::size_t sum = 0;
        for (const std::string& p : c.paths) {
            const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
            unsigned char h[10] = {};
            if (::pread(fd, h, 10, 0) == 10) {
                const std::size_t size = (h[6] << 21) | (h[7] << 14) | (h[8] << 7) | h[9];
                buffer.resize(size);
                sum += static_cast<std::size_t>(::pread(fd, buffer.data(), size, 10));
            }
            ::close(fd);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_PlainHeaderAndTagLoop)->Unit(benchmark::kMillisecond);

#ifdef TAGWRIGHT_HAVE_TAGLIB
void BM_TagLib(benchmark::State& state) {
    Corpus& c = Files();
    for (auto _ : state) {
        std::size_t sum = 0;
        for (const std::string& p : c.paths) {
            TagLib::MPEG::File file(p.c_str(), false);
            const TagLib::ID3v2::Tag* t = file.ID3v2Tag();
            if (t == nullptr)
                continue;
            sum += t->title().to8Bit(true).size();
            sum += t->artist().to8Bit(true).size() + t->album().to8Bit(true).size() +
                   t->genre().to8Bit(true).size() + t->year() + t->track();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kFiles);
}
BENCHMARK(BM_TagLib)->Unit(benchmark::kMillisecond);
#endif

// The console output, then the reader's time as a ratio to each other benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type == Run::RT_Iteration)
                m_times[r.run_name.function_name] = {r.GetAdjustedRealTime(),
                                                     r.GetAdjustedCPUTime()};
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto ours = m_times.find("BM_ReadID3v2Tag");
        if (ours == m_times.end())
            return;
        // CPU time too: other work on a shared machine stretches wall times unevenly.
        for (const auto& [name, time] : m_times) {
            if (name != ours->first) {
                std::printf("BM_ReadID3v2Tag / %s = %.2f (CPU %.2f)\n", name.c_str(),
                            ours->second.first / time.first, ours->second.second / time.second);
            }
        }
    }

  private:
    std::map<std::string, std::pair<double, double>> m_times;  // real, CPU
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
