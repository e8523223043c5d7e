// Code page 932 decoding per byte: Japanese text, and text of nothing but undecodable bytes,
// at two lengths. Time per byte must stay flat from 64 KB to 1 MB in both; a decoder whose
// work per undecodable byte grows with what follows it shows here as a 16-fold slower byte.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/cp932.h"

namespace {

std::vector<std::uint8_t> Japanese(std::size_t n) {
    const std::uint8_t pair[] = {0x8B, 0xC8, 0x96, 0xBC, 0x82, 0xA0, 0x83, 0x65};  // 曲名あテ
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = pair[i % sizeof pair];
    return out;
}

void BM_DecodeJapanese(benchmark::State& state) {
    const auto bytes = Japanese(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(tagwright::DecodeCp932(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_DecodeUndecodable(benchmark::State& state) {
    const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(state.range(0)), 0xFD);
    for (auto _ : state)
        benchmark::DoNotOptimize(tagwright::DecodeCp932(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

BENCHMARK(BM_DecodeJapanese)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_DecodeUndecodable)->Arg(64 << 10)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
