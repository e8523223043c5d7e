// 1,000,000 names composed from a rule holding all six tokens, against the least any composer
// must do: append the six values and five separators.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "naming/rule_composer.h"
#include "naming/safe_name.h"

namespace {

using namespace tagwright;

constexpr int kNames = 1'000'000;
const std::string kRule = "トラック番号-アーティスト-アルバム-曲名-年-ジャンル";

// 1,000 tag sets of Japanese and ASCII texts, a tenth of them with characters to convert.
std::vector<TagFields> Tags() {
    std::vector<TagFields> tags;
    for (int i = 0; i < 1000; ++i) {
        const std::string n = std::to_string(i);
        tags.push_back({.TrackName = (i % 10 == 0 ? "What? " : "夜空の向こう ") + n,
                        .ArtistName = i % 10 == 1 ? "AC/DC" : "スピッツ",
                        .AlbumName = "アルバム第" + n + "集",
                        .Genre = "J-Pop",
                        .Year = "1998",
                        .TrackNo = std::to_string(i % 20 + 1)});
    }
    return tags;
}

// Makes kNames names per iteration with `name(tags)` and reports names per second.
template <typename MakeName>
void RunNames(benchmark::State& state, MakeName name) {
    const std::vector<TagFields> tags = Tags();
    for (auto _ : state) {
        std::size_t total = 0;
        for (int i = 0; i < kNames; ++i)
            total += name(tags[static_cast<std::size_t>(i) % tags.size()]).size();
        benchmark::DoNotOptimize(total);
    }
    state.counters["names/s"] = benchmark::Counter(double(kNames) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BM_ComposeFromRule(benchmark::State& state) {
    const ConversionTable table = StartConversionTable();
    RunNames(state,
             [&](const TagFields& t) { return TagR::ComposeFromRule(t, kRule, true, table); });
}
BENCHMARK(BM_ComposeFromRule)->Unit(benchmark::kMillisecond);

void BM_ComposeThenSafeBaseName(benchmark::State& state) {
    const ConversionTable table = StartConversionTable();
    const NameLimit limit = PlatformNameLimit();
    RunNames(state, [&](const TagFields& t) {
        return SafeBaseName(TagR::ComposeFromRule(t, kRule, true, table), limit);
    });
}
BENCHMARK(BM_ComposeThenSafeBaseName)->Unit(benchmark::kMillisecond);

void BM_ConcatBaseline(benchmark::State& state) {
    RunNames(state, [](const TagFields& t) {
        std::string s;
        for (const std::string* v :
             {&t.TrackNo, &t.ArtistName, &t.AlbumName, &t.TrackName, &t.Year, &t.Genre}) {
            if (!s.empty())
                s += '-';
            s += *v;
        }
        return s;
    });
}
BENCHMARK(BM_ConcatBaseline)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
