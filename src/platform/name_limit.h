#pragma once

#include <cstddef>
#include <string_view>

namespace tagwright {

/// The longest single file or folder name the file system holds, and the unit it counts in.
struct NameLimit {
    enum class Unit { kUtf8Bytes, kUtf16Units };
    Unit unit = Unit::kUtf8Bytes;
    std::size_t max = 255;
};

/// 255 UTF-16 units on Windows, 255 bytes elsewhere.
NameLimit PlatformNameLimit();

/// The length of a code point in the limit's unit.
inline std::size_t UnitsOf(char32_t cp, NameLimit::Unit unit) {
    if (unit == NameLimit::Unit::kUtf16Units)
        return cp >= 0x10000 ? 2 : 1;
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

}  // namespace tagwright
