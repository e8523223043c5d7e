#pragma once

#include <string>
#include <string_view>

// Names compared as file systems that ignore letter case or compose characters compare them.
namespace tagwright::utf8 {

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
