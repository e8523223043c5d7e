#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

// Questions about eight bytes of text at once, for scans over text that is mostly plain ASCII.
// Each answer is exact for the eight bytes together (not byte by byte), which is all a scan
// asks before it looks closer.
namespace tagwright::bytewords {

inline constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
inline constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

/// The eight bytes of `text` from `at` (at + 8 <= size).
inline std::uint64_t At(std::string_view text, std::size_t at) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + at, 8);
    return w;
}

/// Some byte is below `n` (n at most 0x80).
constexpr bool AnyBelow(std::uint64_t w, std::uint8_t n) {
    return ((w - kOnes * n) & ~w & kHighBits) != 0;
}

/// Some byte is `c`.
constexpr bool Any(std::uint64_t w, char c) {
    return AnyBelow(w ^ (kOnes * static_cast<std::uint8_t>(c)), 1);
}

/// Some byte is past ASCII.
constexpr bool AnyHigh(std::uint64_t w) {
    return (w & kHighBits) != 0;
}

}  // namespace tagwright::bytewords
