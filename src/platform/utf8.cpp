#include "platform/utf8.h"

#include "platform/byte_words.h"

namespace tagwright::utf8 {

namespace {

bool IsContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

}  // namespace

char32_t Next(std::string_view text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, cp = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, cp = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, cp = lead & 0x07, least = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    std::size_t end = pos + 1;
    for (; end < text.size() && end <= pos + extra; ++end) {
        const auto b = static_cast<unsigned char>(text[end]);
        if (!IsContinuation(b))
            break;
        cp = cp << 6 | (b & 0x3F);
    }
    const bool broken =
        end != pos + 1 + extra || cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF);
    pos = end;
    return broken ? kReplacement : cp;
}

bool IsValid(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        // Most of a file's names and tags is ASCII, which needs no decoding: eight bytes at a
        // time while no byte has its high bit.
        if (pos + 8 <= text.size() && !bytewords::AnyHigh(bytewords::At(text, pos))) {
            pos += 8;
            continue;
        }
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t from = pos;
        // A stored U+FFFD is the one three-byte form; anything else decoding to it is broken.
        if (Next(text, pos) == kReplacement && text.substr(from, pos - from) != "\xEF\xBF\xBD")
            return false;
    }
    return true;
}

std::size_t CountCodePoints(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        Next(text, pos);
    return count;
}

std::string_view FirstCodePoints(std::string_view text, std::size_t count) {
    std::size_t pos = 0;
    for (std::size_t n = 0; n < count && pos < text.size(); ++n)
        Next(text, pos);
    return text.substr(0, pos);
}

std::u16string ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = Next(text, pos);
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string FromUtf16(std::u16string_view units) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char32_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            AppendUtf8(out, unit);  // a lone surrogate comes out as U+FFFD there
        }
    }
    return out;
}

#ifdef _WIN32

static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring ToWide(std::string_view text) {
    const std::u16string units = ToUtf16(text);
    return std::wstring(units.begin(), units.end());
}

std::string FromWide(std::wstring_view units) {
    return FromUtf16(std::u16string(units.begin(), units.end()));
}

#endif

}  // namespace tagwright::utf8

namespace tagwright {

void AppendUtf8(std::string& out, char32_t cp) {
    // One append of the whole sequence: a tag's text is decoded a code point at a time.
    char bytes[4];
    out.append(bytes, static_cast<std::size_t>(PutUtf8(bytes, cp) - bytes));
}

}  // namespace tagwright
