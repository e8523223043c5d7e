#pragma once

#include <cstddef>
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

}  // namespace tagwright::utf8
