#include "tags/id3v2_text.h"

#include "platform/cp932.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsUtf16(std::uint8_t encoding) {
    return encoding == 1 || encoding == 2;
}

std::string DecodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    bool valueStart = true;
    char32_t high = 0;  // a high surrogate waiting for its partner
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char16_t unit = bigEndian ? static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1])
                                  : static_cast<char16_t>(bytes[i + 1] << 8 | bytes[i]);
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
                AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
                continue;
            }
            AppendUtf8(out, kReplacement);
            high = 0;
        }
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
            continue;
        }
        AppendUtf8(out, unit);  // a lone low surrogate becomes U+FFFD there
    }
    if (high != 0)
        AppendUtf8(out, kReplacement);
    return out;
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
