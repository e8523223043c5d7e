#include "tags/id3v2_text.h"

#include "platform/cp932.h"

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
    std::size_t i = 0;
    // Some writers put a byte-order mark in front of UTF-8; it is no part of the text.
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        i = 3;
    std::string out;
    out.reserve(bytes.size());
    while (i < bytes.size()) {
        const std::uint8_t lead = bytes[i];
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (lead < 0x80) {
            out.push_back(static_cast<char>(lead));
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1, cp = lead & 0x1F, min = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2, cp = lead & 0x0F, min = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3, cp = lead & 0x07, min = 0x10000;
        } else {
            AppendUtf8(out, kReplacement);
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        for (; j < bytes.size() && j <= i + static_cast<std::size_t>(extra); ++j) {
            if ((bytes[j] & 0xC0) != 0x80)
                break;
            cp = cp << 6 | (bytes[j] & 0x3F);
        }
        if (j != i + 1 + static_cast<std::size_t>(extra) || cp < min || cp > 0x10FFFF ||
            (cp >= 0xD800 && cp <= 0xDFFF)) {
            // Resume at the first byte that was not part of the broken sequence.
            AppendUtf8(out, kReplacement);
            i = j > i + 1 ? j : i + 1;
            continue;
        }
        AppendUtf8(out, cp);
        i = j;
    }
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
