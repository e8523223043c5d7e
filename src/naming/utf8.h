#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tagwright::utf8 {

/// The code point that starts at text[pos], moving pos past it. A byte that does not start a
/// well-formed sequence (overlong, surrogate, past U+10FFFF, cut short) gives U+FFFD and moves
/// pos by one byte only, so decoding always goes on.
char32_t Next(std::string_view text, std::size_t& pos);

/// The number of code points, counted as Next decodes them.
std::size_t CountCodePoints(std::string_view text);

/// The leading part of the text that holds at most `count` code points.
std::string_view FirstCodePoints(std::string_view text, std::size_t count);

/// The text with each base letter and the combining marks that follow it composed into one
/// character where Unicode has one (canonical composition, NFC), for Latin, Greek, Cyrillic and
/// kana letters and Hangul syllables: "か" + U+3099 becomes "が", "e" + U+0301 becomes "é".
/// Other code points, and bytes that are not well-formed UTF-8, are kept as they are.
std::string ComposeCanonical(std::string_view text);

/// The text with the capital letters of Latin, Greek, Cyrillic and the full-width Latin letters
/// made small, one code point for one; the rest is kept byte for byte.
std::string LowerCaseSimple(std::string_view text);

/// What two names share when a file system that ignores letter case or composes characters
/// (NFC/NFD) would take them for one: ComposeCanonical, then LowerCaseSimple.
std::string SameNameKey(std::string_view text);

}  // namespace tagwright::utf8
