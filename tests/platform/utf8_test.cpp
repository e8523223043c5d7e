#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace tagwright {
namespace {

std::u32string Decode(std::string_view text) {
    std::u32string out;
    for (std::size_t pos = 0; pos < text.size();)
        out += utf8::Next(text, pos);
    return out;
}

// Names and tag texts decode alike: a broken sequence is one U+FFFD, and decoding goes on at
// the first byte that was not part of it.
TEST(Utf8, BrokenSequencesGiveOneReplacementEach) {
    struct Case {
        const char* name;
        std::string in;
        std::u32string out;
        bool valid;
    };
    const Case cases[] = {
        {"Ascii", "ab", U"ab", true},
        {"ThreeBytes", "\xE6\x9B\xB2", U"曲", true},
        {"FourBytes", "\xF0\x9F\x8E\xB5", U"\U0001F3B5", true},
        {"StoredReplacement", "\xEF\xBF\xBD", U"\uFFFD", true},
        {"CutShortThenAscii",
         "\xE3\x81"
         "A",
         U"\uFFFDA", false},
        {"CutShortAtEnd", "a\xE3\x81", U"a\uFFFD", false},
        {"StrayContinuation", "\x81x", U"\uFFFDx", false},
        {"OverlongTwoBytes", "\xC0\x80", U"\uFFFD\uFFFD", false},
        {"OverlongThreeBytes", "\xE0\x80\x80z", U"\uFFFDz", false},
        {"Surrogate", "\xED\xA0\x80", U"\uFFFD", false},
        {"PastU10FFFF", "\xF4\x90\x80\x80", U"\uFFFD", false},
        {"NoLead", "\xFF\xFE", U"\uFFFD\uFFFD", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Decode(c.in), c.out);
        EXPECT_EQ(utf8::IsValid(c.in), c.valid);
        EXPECT_EQ(utf8::CountCodePoints(c.in), c.out.size());
        // The wide form of a name holds what the decoder read, U+FFFD for U+FFFD.
        std::string decoded;
        for (char32_t cp : c.out)
            AppendUtf8(decoded, cp);
        EXPECT_EQ(utf8::FromUtf16(utf8::ToUtf16(c.in)), decoded);
    }
}

// ASCII is passed over several bytes at a time: a broken sequence is found wherever it falls.
TEST(Utf8, ValidityHoldsWhereverTheSequenceFalls) {
    for (std::size_t before = 0; before < 10; ++before) {
        const std::string plain(before, 'a');
        EXPECT_TRUE(utf8::IsValid(plain + "曲bcdefghijk曲")) << before;
        EXPECT_FALSE(utf8::IsValid(plain + "\xE6\x9B" + "bcdefghijk")) << before;
        EXPECT_FALSE(utf8::IsValid(plain + "bcdefghijk" + "\xFF")) << before;
    }
}

TEST(Utf8, Utf16UnitsPairOnlyWhenTheyAreAPair) {
    struct Case {
        const char* name;
        std::u16string units;
        std::string utf8;
        bool roundTrip;
    };
    const Case cases[] = {
        {"Bmp", u"a曲", "a\xE6\x9B\xB2", true},
        {"Pair", u"\U0001F3B5", "\xF0\x9F\x8E\xB5", true},
        {"HighAlone", {0xD83C, u'x'}, "\xEF\xBF\xBDx", false},
        {"HighAtEnd", {u'x', 0xD83C}, "x\xEF\xBF\xBD", false},
        {"LowAlone", {0xDFB5, u'x'}, "\xEF\xBF\xBDx", false},
        {"LowThenHigh", {0xDFB5, 0xD83C}, "\xEF\xBF\xBD\xEF\xBF\xBD", false},
        {"TwoHighsThenLow", {0xD83C, 0xD83C, 0xDFB5}, "\xEF\xBF\xBD\xF0\x9F\x8E\xB5", false},
        {"Nul", {u'a', 0, u'b'}, std::string("a\0b", 3), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8::FromUtf16(c.units), c.utf8);
        // Units without a lone surrogate survive the way back; a lone one is gone for good.
        EXPECT_EQ(utf8::ToUtf16(c.utf8) == c.units, c.roundTrip);
    }
}

}  // namespace
}  // namespace tagwright
