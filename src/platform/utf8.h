#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tagwright::utf8 {

/// What Next gives for a sequence it cannot decode.
inline constexpr char32_t kReplacement = 0xFFFD;

/// The code point that starts at text[pos], moving pos past it. A sequence that is not
/// well-formed (a stray continuation byte, an overlong form, a surrogate, past U+10FFFF, cut
/// short) gives one U+FFFD, and decoding goes on at the first byte that was not part of it.
char32_t Next(std::string_view text, std::size_t& pos);

/// True when the text is well-formed UTF-8.
bool IsValid(std::string_view text);

/// The number of code points, counted as Next decodes them.
std::size_t CountCodePoints(std::string_view text);

/// The leading part of the text that holds at most `count` code points.
std::string_view FirstCodePoints(std::string_view text, std::size_t count);

}  // namespace tagwright::utf8
