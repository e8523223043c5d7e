#include "naming/name_key.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "platform/cp932.h"
#include "platform/utf8.h"

namespace tagwright::utf8 {

namespace {

struct ComposedPair {
    char32_t first, second, composed;
};
struct LowerCase {
    char32_t upper, lower;
};
#include "naming/unicode_tables.inc"

// Hangul syllables are composed by rule: leading consonant + vowel (+ trailing consonant).
constexpr char32_t kHangulBase = 0xAC00, kLeadBase = 0x1100, kVowelBase = 0x1161,
                   kTrailBase = 0x11A7;
constexpr char32_t kLeadCount = 19, kVowelCount = 21, kTrailCount = 28;
constexpr char32_t kSyllableCount = kLeadCount * kVowelCount * kTrailCount;

std::optional<char32_t> Compose(char32_t first, char32_t second) {
    // Every mark that joins a letter, and every Hangul vowel, lies above U+02FF.
    if (second < 0x300)
        return std::nullopt;
    if (first >= kLeadBase && first < kLeadBase + kLeadCount && second >= kVowelBase &&
        second < kVowelBase + kVowelCount) {
        return kHangulBase +
               ((first - kLeadBase) * kVowelCount + (second - kVowelBase)) * kTrailCount;
    }
    if (first >= kHangulBase && first < kHangulBase + kSyllableCount &&
        (first - kHangulBase) % kTrailCount == 0 && second > kTrailBase &&
        second < kTrailBase + kTrailCount) {
        return first + (second - kTrailBase);
    }
    const auto* end = std::end(kComposedPairs);
    const auto* it =
        std::lower_bound(std::begin(kComposedPairs), end, ComposedPair{first, second, 0},
                         [](const ComposedPair& a, const ComposedPair& b) {
                             return a.first != b.first ? a.first < b.first : a.second < b.second;
                         });
    if (it != end && it->first == first && it->second == second)
        return it->composed;
    return std::nullopt;
}

// Walks the text's code points; a byte Next cannot decode is handed on as itself, so that two
// different broken names never become one.
template <class Visit>
void ForEachCodePoint(std::string_view text, Visit&& visit) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        const char32_t cp = Next(text, pos);
        const bool broken = cp == kReplacement && text.substr(start, pos - start) != "\uFFFD";
        visit(cp, text.substr(start, pos - start), broken);
    }
}

}  // namespace

std::string ComposeCanonical(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    // The last code point read, not yet written: marks that follow may still join it.
    std::optional<char32_t> pending;
    const auto flush = [&] {
        if (pending)
            AppendUtf8(out, *pending);
        pending.reset();
    };
    ForEachCodePoint(text, [&](char32_t cp, std::string_view bytes, bool broken) {
        if (broken) {
            flush();
            out += bytes;
            return;
        }
        if (pending) {
            if (const auto joined = Compose(*pending, cp)) {
                pending = *joined;
                return;
            }
        }
        flush();
        pending = cp;
    });
    flush();
    return out;
}

std::string LowerCaseSimple(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachCodePoint(text, [&](char32_t cp, std::string_view bytes, bool broken) {
        if (broken) {
            out += bytes;
            return;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp >= 'A' && cp <= 'Z' ? cp + ('a' - 'A') : cp);
            return;
        }
        const auto* end = std::end(kLowerCase);
        const auto* it =
            std::lower_bound(std::begin(kLowerCase), end, cp,
                             [](const LowerCase& a, char32_t upper) { return a.upper < upper; });
        if (it != end && it->upper == cp) {
            AppendUtf8(out, it->lower);
        } else {
            out += bytes;
        }
    });
    return out;
}

std::string SameNameKey(std::string_view text) {
    return LowerCaseSimple(ComposeCanonical(text));
}

}  // namespace tagwright::utf8
