#include "naming/name_key.h"

#include <gtest/gtest.h>

#include <string>

namespace tagwright::utf8 {
namespace {

struct TextCase {
    const char* name;
    std::string in;
    std::string out;
};

class Compose : public ::testing::TestWithParam<TextCase> {};

TEST_P(Compose, GivesTheComposedForm) {
    EXPECT_EQ(ComposeCanonical(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Compose,
    ::testing::Values(
        TextCase{"KatakanaDakuten", "\u30AB\u3099\u30C8\u3099", "\u30AC\u30C9"},
        TextCase{"HiraganaHandakuten", "\u306F\u309A\u3072\u309A", "\u3071\u3074"},
        TextCase{"VuAndVa", "\u30A6\u3099\u30EF\u3099", "\u30F4\u30F7"},
        // U+309B is the spacing mark a keyboard types, not a combining one: it stays.
        TextCase{"SpacingMarkStays", "\u30AB\u309B", "\u30AB\u309B"},
        TextCase{"MarkWithoutComposedFormStays", "\u30A2\u3099", "\u30A2\u3099"},
        TextCase{"LatinAcuteAndUmlaut", "Cafe\u0301 U\u0308ber", "Caf\u00E9 \u00DCber"},
        TextCase{"TwoMarksChain", "A\u0308\u0304", "\u01DE"},
        TextCase{"VietnameseDotBelowThenHat", "a\u0323\u0302", "\u1EAD"},
        TextCase{"CyrillicShortI", "\u0438\u0306", "\u0439"},
        TextCase{"HangulSyllables", "\u1112\u1161\u11AB\u1100\u1173\u11AF", "\uD55C\uAE00"},
        TextCase{"AlreadyComposedKept", "\u30AC\u00E9\uD55C", "\u30AC\u00E9\uD55C"},
        TextCase{"LeadingMarkKept", "\u0301a", "\u0301a"},
        TextCase{"BrokenBytesKept", "a\xFF\u0301", "a\xFF\u0301"}, TextCase{"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

class Lower : public ::testing::TestWithParam<TextCase> {};

TEST_P(Lower, MakesCapitalsSmall) {
    EXPECT_EQ(LowerCaseSimple(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Lower,
    ::testing::Values(TextCase{"Ascii", "AbC-09.MP3", "abc-09.mp3"},
                      TextCase{"LatinOne", "\u00C9\u00D8\u00DE\u00D7", "\u00E9\u00F8\u00FE\u00D7"},
                      TextCase{"LatinExtended", "\u0141\u0178\u0106", "\u0142\u00FF\u0107"},
                      TextCase{"GreekCyrillic", "\u03A3\u0416", "\u03C3\u0436"},
                      TextCase{"FullWidth", "\uFF21\uFF3A\uFF41", "\uFF41\uFF5A\uFF41"},
                      TextCase{"KanaUntouched", "\u30AB\u304B", "\u30AB\u304B"},
                      TextCase{"BrokenBytesKept", "A\xC3", "a\xC3"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SameNameKey, KeepsBrokenNamesApart) {
    // Two different undecodable bytes must not both turn into U+FFFD and meet.
    EXPECT_NE(SameNameKey("\xFE.mp3"), SameNameKey("\xFF.mp3"));
    EXPECT_EQ(SameNameKey("\u30AB\u3099.MP3"), SameNameKey("\u30AC.mp3"));
}

}  // namespace
}  // namespace tagwright::utf8
