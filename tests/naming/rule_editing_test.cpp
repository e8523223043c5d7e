#include "naming/rule_editing.h"

#include <gtest/gtest.h>

#include <vector>

namespace tagwright {
namespace {

// A sequence of clicks on one rule editor, starting from a given rule.
struct EditCase {
    const char* name;
    bool folder;
    std::string start;
    std::vector<int> clicks;
    std::string want;
    std::string separator = "-";
    std::string literal{};
};

const EditCase kEditCases[] = {
    {"ArtistAfterStart", false, "曲名", {2}, "曲名-アーティスト"},
    {"TokenAgainStartsAfresh", false, "曲名", {2, 0}, "曲名"},
    {"ClearThenAlbumHasNoSeparator", false, "曲名", {6, 1}, "アルバム"},
    {"OtherSeparator", false, "曲名", {3}, "曲名_年", "_"},
    {"EmptySeparatorSpaceLiteral", false, "曲名", {7, 2}, "曲名 アーティスト", "", " "},
    {"EmptyLiteralAppendsSeparatorAlone", false, "曲名", {7}, "曲名-"},
    {"AllSixTokens",
     false,
     "",
     {3, 0, 4, 1, 2, 5},
     "年-曲名-ジャンル-アルバム-アーティスト-トラック番号"},
    {"LiteralHoldingTokenCountsAsHoldingIt", false, "", {7, 3}, "年", "-", "2001年"},
    {"SeparatorHoldingTokenStartsAfresh", false, "曲名", {3}, "年", "年"},
    {"NameIndexOutOfRangeChangesNothing", false, "曲名", {8, -1}, "曲名"},
    {"FolderYearAfterStart", true, "アーティスト\\アルバム\\", {3}, "アーティスト\\アルバム\\\\年"},
    {"FolderClearGenreYear", true, "アーティスト\\アルバム\\", {4, 2, 3}, "ジャンル\\年"},
    {"FolderLiteral", true, "", {5, 0}, "CD\\アーティスト", "-", "CD"},
    {"FolderTokenAgainStartsAfresh", true, "アーティスト\\アルバム\\", {0}, "アーティスト"},
    {"FolderIndexOutOfRangeChangesNothing", true, "年", {6}, "年"},
};

class EditTable : public ::testing::TestWithParam<EditCase> {};

TEST_P(EditTable, Clicks) {
    const EditCase& c = GetParam();
    std::string rule = c.start;
    for (const int i : c.clicks) {
        rule = c.folder ? PressFileMovepPlaceBtn(rule, i, c.literal)
                        : PressFileNameSetBtn(rule, i, c.separator, c.literal);
    }
    EXPECT_EQ(rule, c.want);
}

INSTANTIATE_TEST_SUITE_P(Naming, EditTable, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct CleanCase {
    std::string typed;
    std::string want;
};

TEST(CleanTypedText, LoneSpaceStaysOtherwiseConverted) {
    const ConversionTable table = StartConversionTable();
    const CleanCase cases[] = {
        {"?", "\uFF1F"}, {"\\", "_"}, {"<", "\uFF1C"},     {" ", " "},
        {"a ", "a "},    {"", ""},    {"a/b", "a\uFF0Fb"},
    };
    for (const CleanCase& c : cases) {
        const std::string once = CleanTypedText(c.typed, table);
        EXPECT_EQ(once, c.want) << "typed '" << c.typed << "'";
        EXPECT_EQ(CleanTypedText(once, table), once) << "cleaning again changes nothing";
    }
}

TEST(CleanNameCutText, AtMostThreeCharactersNotBytes) {
    ConversionTable table = StartConversionTable();
    const CleanCase cases[] = {
        {" ", " "},
        {"- ", "- "},
        {"abc", "abc"},
        {"abcd", "abc"},       // the fourth keystroke is refused
        {"ー・ー", "ー・ー"},  // three characters of three bytes each
        {"ー・ーー", "ー・ー"},
        {"\U0001F3B5ab", "\U0001F3B5ab"},  // a character outside the BMP counts once
        {"?", "\uFF1F"},
        {"", ""},
    };
    for (const CleanCase& c : cases)
        EXPECT_EQ(CleanNameCutText(c.typed, table), c.want) << "typed '" << c.typed << "'";

    table[1].replacement = "abcd";
    EXPECT_EQ(CleanNameCutText("/", table), "abc") << "a long replacement is cut too";
}

}  // namespace
}  // namespace tagwright
