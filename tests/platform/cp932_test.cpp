#include "platform/cp932.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/mp3_bytes.h"

namespace tagwright {
namespace {

using test::B;

struct Cp932Case {
    const char* name;
    test::Bytes bytes;
    std::string utf8;
};

class Cp932Decode : public ::testing::TestWithParam<Cp932Case> {};

TEST_P(Cp932Decode, GivesTheWindowsCharacters) {
    EXPECT_EQ(DecodeCp932(GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Cp932Decode,
    ::testing::Values(
        Cp932Case{"Ascii", B("Hello"), "Hello"},
        // 0x5C is the backslash in code page 932, not the yen sign of strict Shift_JIS.
        Cp932Case{"BackslashIsNotYen",
                  B("a\x5C"
                    "b"),
                  "a\\b"},
        Cp932Case{"TildeStaysAscii", B("\x7E"), "~"},
        // 0x81 0x60 is the full-width tilde U+FF5E in code page 932 (U+301C in JIS).
        Cp932Case{"WaveDashIsFullwidthTilde", B("\x81\x60"), "\uFF5E"},
        Cp932Case{"NecCircledOne", B("\x87\x40"), "\u2460"},
        Cp932Case{"Hiragana", B("\x82\xA0\x82\xA2"), "\u3042\u3044"},
        Cp932Case{"Kanji", B("\x93\xFA\x96\x7B"), "\u65E5\u672C"},
        Cp932Case{"HalfwidthKatakana", B("\xB1"), "\uFF71"},
        Cp932Case{"NulBecomesU0000", test::Bytes{'a', 0, 'b'}, std::string("a\0b", 3)},
        // An invalid trail byte: one replacement for the lead byte, then the next byte decodes.
        Cp932Case{"InvalidPairKeepsRest",
                  B("\x81\x20"
                    "ok"),
                  "\uFFFD ok"},
        Cp932Case{"LoneLeadByteAtEnd", B("ab\x82"), "ab\uFFFD"},
        Cp932Case{"UndefinedSingleByte",
                  B("\xFD"
                    "x"),
                  "\uFFFDx"},
        Cp932Case{"Empty", test::Bytes{}, ""}),
    [](const auto& info) { return info.param.name; });

// Runs longer than the converter's buffer, broken by undecodable bytes: nothing is lost or
// doubled at a buffer's edge, and every bad byte costs only itself.
TEST(Cp932Decode, LongRunsAndManyBadBytes) {
    // One ASCII byte first, so that some pair straddles every power of two.
    test::Bytes bytes{'x'};
    std::string expected = "x";
    for (int i = 0; i < 3000; ++i) {
        bytes.insert(bytes.end(), {0x82, 0xA0});  // あ, 3 bytes of UTF-8 each
        expected += "\u3042";
    }
    for (int i = 0; i < 20000; ++i) {
        // 0xFD is undefined in code page 932 on every system (0x80 is U+0080 on Windows).
        bytes.insert(bytes.end(), {0xFD, 'a'});
        expected += "\uFFFDa";
    }
    bytes.insert(bytes.end(), {0x93, 0xFA, 0xFF});
    expected += "\u65E5\uFFFD";
    const std::string text = DecodeCp932(bytes);
    // Compared without printing: a mismatch would show some 100 KB of text.
    const auto diff = std::mismatch(text.begin(), text.end(), expected.begin(), expected.end());
    EXPECT_EQ(diff.first - text.begin(), static_cast<std::ptrdiff_t>(expected.size()));
    EXPECT_EQ(text.size(), expected.size());
}

// The front ends start only when this holds; the cases above show the decoder it vouches for.
TEST(Cp932Decode, DecoderIsAvailableHere) {
    EXPECT_EQ(Cp932DecoderProblem(), std::nullopt);
}

TEST(AppendUtf8, ReplacesWhatUtf8CannotHold) {
    std::string out;
    AppendUtf8(out, 0xD800);
    AppendUtf8(out, 0x110000);
    AppendUtf8(out, 0x1F600);
    EXPECT_EQ(out, "\uFFFD\uFFFD\U0001F600");
}

}  // namespace
}  // namespace tagwright
