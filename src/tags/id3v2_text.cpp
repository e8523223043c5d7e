#include "tags/id3v2_text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/cp932.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsUtf16(std::uint8_t encoding) {
    return encoding == 1 || encoding == 2;
}

std::string DecodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian) {
    // Written into a buffer sized once (a unit takes at most 3 bytes of UTF-8, a pair of units
    // 4, and a high surrogate left at the end 3 more) and kept for the thread's next value;
    // the result is copied out at its size, so a short value never needs the heap.
    thread_local std::string buffer;
    buffer.resize(std::max(buffer.size(), bytes.size() / 2 * 3 + 3));
    char* const start = buffer.data();
    char* o = start;
    bool valueStart = true;
    char32_t high = 0;  // a high surrogate waiting for its partner
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        // A run of ASCII, most of a tag's text, a byte each. A zero unit ends a value and
        // goes the long way.
        if (high == 0) {
            if constexpr (std::endian::native == std::endian::little) {
                // Four units at a time while all are ASCII and none is zero.
                const std::uint64_t notAscii =
                    bigEndian ? 0x80FF80FF80FF80FFULL : 0xFF80FF80FF80FF80ULL;
                constexpr std::uint64_t kLaneOnes = 0x0001000100010001ULL;
                constexpr std::uint64_t kLaneHigh = 0x8000800080008000ULL;
                while (i + 8 <= bytes.size()) {
                    std::uint64_t w;
                    std::memcpy(&w, &bytes[i], 8);
                    if ((w & notAscii) != 0 || ((w - kLaneOnes) & ~w & kLaneHigh) != 0)
                        break;
                    // The four low bytes side by side.
                    std::uint64_t x = (bigEndian ? w >> 8 : w) & 0x00FF00FF00FF00FFULL;
                    x = (x | x >> 8) & 0x0000FFFF0000FFFFULL;
                    x = (x | x >> 16) & 0xFFFFFFFFULL;
                    std::memcpy(o, &x, 4);
                    o += 4;
                    valueStart = false;
                    i += 8;
                }
            }
            const std::size_t hi = bigEndian ? 0 : 1;
            while (i + 1 < bytes.size() && bytes[i + hi] == 0 && bytes[i + 1 - hi] - 1U < 0x7FU) {
                *o++ = static_cast<char>(bytes[i + 1 - hi]);
                valueStart = false;
                i += 2;
            }
            if (i + 1 >= bytes.size())
                break;
        }
        const auto unit = static_cast<char16_t>(bigEndian ? bytes[i] << 8 | bytes[i + 1]
                                                          : bytes[i + 1] << 8 | bytes[i]);
        if (valueStart && (unit == 0xFEFF || unit == 0xFFFE)) {
            // A mark read backwards means the value is in the other byte order.
            if (unit == 0xFFFE)
                bigEndian = !bigEndian;
            valueStart = false;
            continue;
        }
        valueStart = unit == 0;
        if (high != 0) {
            if (unit >= 0xDC00 && unit <= 0xDFFF) {
                o = PutUtf8(o, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
                continue;
            }
            o = PutUtf8(o, kReplacement);
            high = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
            continue;
        }
        o = PutUtf8(o, unit);  // a lone low surrogate becomes U+FFFD there
    }
    if (high != 0)
        o = PutUtf8(o, kReplacement);
    return std::string(start, o);
}

std::string DecodeUtf8(std::span<const std::uint8_t> bytes) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // Some writers put a byte-order mark in front of UTF-8; it is no part of the text.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();)
        AppendUtf8(out, utf8::Next(text, pos));
    return out;
}

}  // namespace

std::string DecodeId3v2Text(std::uint8_t encoding, std::span<const std::uint8_t> bytes) {
    switch (encoding) {
        case 0:
            return DecodeCp932(bytes);
        case 1:
            return DecodeUtf16(bytes, false);
        case 2:
            return DecodeUtf16(bytes, true);
        case 3:
            return DecodeUtf8(bytes);
        default:
            return {};
    }
}

std::optional<std::size_t> TerminatedTextLength(std::uint8_t encoding,
                                                std::span<const std::uint8_t> bytes) {
    if (IsUtf16(encoding)) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            if (bytes[i] == 0 && bytes[i + 1] == 0)
                return i + 2;
        }
        return std::nullopt;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == 0)
            return i + 1;
    }
    return std::nullopt;
}

std::size_t UndoUnsynchronisation(std::span<std::uint8_t> bytes) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[out++] = bytes[i];
        if (bytes[i] == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0x00)
            ++i;
    }
    return out;
}

}  // namespace tagwright
