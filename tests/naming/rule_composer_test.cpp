#include "naming/rule_composer.h"

#include <gtest/gtest.h>

namespace tagwright {
namespace {

using TagR::ComposeFromRule;
using TagR::kBlankEscapeFailure;

struct ComposeCase {
    const char* name;
    std::string rule;
    TagFields tags;
    bool skipOnBlank;
    std::string want;
};

const std::string kFail(kBlankEscapeFailure);

const ComposeCase kComposeCases[] = {
    {"TitleConverted", "曲名", {.TrackName = "Hello?"}, false, "Hello\uFF1F"},
    {"TrackAndTitle", "トラック番号-曲名", {.TrackName = "A", .TrackNo = "3"}, false, "3-A"},
    {"ArtistSlashConverted",
     "曲名-アーティスト-アルバム",
     {.TrackName = "T", .ArtistName = "AC/DC", .AlbumName = "B"},
     false,
     "T-AC\uFF0FDC-B"},
    {"FolderRuleAtStart",
     "アーティスト\\アルバム\\",
     {.ArtistName = "X", .AlbumName = "Y"},
     false,
     "X\\Y\\"},
    {"BlankFirstLevelKeepsLeadingBackslash",
     "アーティスト\\アルバム\\",
     {.AlbumName = "Y"},
     false,
     "\\Y\\"},
    {"AllLevelsBlankGiveEmpty", "アーティスト\\アルバム\\", {}, false, ""},
    {"BlankArtistEscapes", "アーティスト\\アルバム\\", {.AlbumName = "Y"}, true, kFail},
    {"DoubledBackslashCollapses",
     "アーティスト\\アルバム\\\\年",
     {.ArtistName = "X", .AlbumName = "Y", .Year = "1999"},
     false,
     "X\\Y\\1999"},
    {"LoneSpaceTitleEscapes", "曲名", {.TrackName = " "}, true, kFail},
    {"LoneSpaceTitleVanishes", "[曲名]", {.TrackName = " "}, false, "[]"},
    {"OnlyFirstOccurrenceReplaced", "曲名 曲名", {.TrackName = "S"}, false, "S 曲名"},
    {"Year", "年", {.Year = "2001"}, false, "2001"},
    {"BlankGenreGivesEmpty", "ジャンル", {}, false, ""},
    {"EmptyRule", "", {.TrackName = "x"}, true, ""},
    {"TokenInsideLiteral", "2001年", {.Year = "99"}, false, "200199"},
    // The album replaces the word inside the title; the rule's own word stays literal.
    {"TokenInsideInsertedValue",
     "曲名-アルバム",
     {.TrackName = "アルバム集", .AlbumName = "B"},
     false,
     "B集-アルバム"},
    {"TokenAbsentFromRuleNeverTested", "アーティスト", {.ArtistName = "A"}, true, "A"},
    {"EscapeStopsAtFirstBlankInTokenOrder", "曲名年", {.TrackName = "T"}, true, kFail},
    {"TrackKeptAsHeld", "トラック番号", {.TrackNo = "7"}, false, "7"},
    {"ValueNotTrimmed", "曲名", {.TrackName = " a "}, false, " a "},
    {"LoneBackslashEmptied", "\\\\\\", {}, false, ""},
    {"BackslashFromTagConvertedNotDivider", "アーティスト", {.ArtistName = "a\\b"}, false, "a_b"},
};

class ComposeTable : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeTable, Composes) {
    const ComposeCase& c = GetParam();
    EXPECT_EQ(ComposeFromRule(c.tags, c.rule, c.skipOnBlank, StartConversionTable()), c.want);
    const std::optional<std::string> tried =
        TagR::TryComposeFromRule(c.tags, c.rule, c.skipOnBlank, StartConversionTable());
    EXPECT_EQ(tried.has_value(), c.want != kFail);
}

INSTANTIATE_TEST_SUITE_P(Naming, ComposeTable, ::testing::ValuesIn(kComposeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ComposeFromRule, ReadsTheTableItIsGiven) {
    ConversionTable table = StartConversionTable();
    table[1].replacement = "";  // "/" now deletes
    EXPECT_EQ(ComposeFromRule({.TrackName = "/"}, "曲名", true, table), kFail);
    EXPECT_EQ(ComposeFromRule({.TrackName = "a/b"}, "曲名", true, table), "ab");
}

TEST(CollapseDoubleBackslash, RunsBecomeOne) {
    EXPECT_EQ(TagR::CollapseDoubleBackslash("a\\\\b\\\\\\c\\d\\\\"), "a\\b\\c\\d\\");
    EXPECT_EQ(TagR::CollapseDoubleBackslash("\\\\"), "\\");
    EXPECT_EQ(TagR::CollapseDoubleBackslash("abc"), "abc");
}

}  // namespace
}  // namespace tagwright
