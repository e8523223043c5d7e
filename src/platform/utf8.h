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

/// The text as UTF-16 code units, decoded as Next does: every broken sequence becomes one
/// U+FFFD, never a dropped or invented character.
std::u16string ToUtf16(std::string_view text);

/// UTF-16 code units as UTF-8. A surrogate without its partner becomes U+FFFD.
std::string FromUtf16(std::u16string_view units);

#ifdef _WIN32
// Win32's wide strings are UTF-16 held in wchar_t; these are the only crossings to them.
std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view units);
#endif

}  // namespace tagwright::utf8

namespace tagwright {

/// Appends one code point to UTF-8 text. Code points that UTF-8 cannot hold (surrogates,
/// values past U+10FFFF) become U+FFFD.
void AppendUtf8(std::string& out, char32_t cp);

/// Writes one code point as UTF-8 at `out`, which has room for 4 bytes, and returns the end
/// of what it wrote; the same replacements as AppendUtf8. For decoders that size their
/// output once instead of appending a code point at a time.
inline char* PutUtf8(char* out, char32_t cp) {
    if (cp < 0x80) {
        *out++ = static_cast<char>(cp);
        return out;
    }
    if (cp < 0x800) {
        *out++ = static_cast<char>(0xC0 | (cp >> 6));
        *out++ = static_cast<char>(0x80 | (cp & 0x3F));
        return out;
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = utf8::kReplacement;
    if (cp < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (cp >> 12));
    } else {
        *out++ = static_cast<char>(0xF0 | (cp >> 18));
        *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
    return out;
}

}  // namespace tagwright
