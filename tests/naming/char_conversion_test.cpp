#include "naming/char_conversion.h"

#include <gtest/gtest.h>

namespace tagwright {
namespace {

struct ConvertCase {
    const char* name;
    std::string text;
    std::string want;
    int row = -1;  ///< a row whose replacement the case changes first, or -1
    std::string replacement{};
};

const ConvertCase kConvertCases[] = {
    {"Slash", "AC/DC", "AC\uFF0FDC"},
    {"AngleBrackets", "a<b>c", "a\uFF1Cb\uFF1Ec"},
    {"Question", "What?", "What\uFF1F"},
    {"Backslash", "a\\b", "a_b"},
    {"QuoteStartsAsRightDoubleQuote", "\"x\"", "\u201Dx\u201D"},
    {"EveryRow", "\\/><?\"|*:,;", "_\uFF0F\uFF1E\uFF1C\uFF1F\u201D\uFF5C\uFF0A\uFF1A\uFF0C\uFF1B"},
    {"LoneSpaceBecomesEmpty", " ", ""},
    {"TwoSpacesStay", "  ", "  "},
    {"EmptyStaysEmpty", "", ""},
    {"FullWidthPassesUnchanged", "\uFF1F\uFF0F", "\uFF1F\uFF0F"},
    {"NothingTrimmed", " a ", " a "},
    {"EmptyReplacementDeletesEveryOccurrence", "Who??", "Who", 4, ""},
    {"LongerReplacementEveryOccurrence", "a/b/c", "aabbabc", 1, "ab"},
    {"ReplacementNotSearchedInItsOwnPass", "a/b", "a//b", 1, "//"},
    // Row 0's pass inserts "/", which row 1's later pass converts.
    {"CascadeIntoLaterRow", "a\\b", "a\uFF0Fb", 0, "/"},
    // Row 2's ">" is inserted after row 0's pass: an earlier row does not see it again.
    {"EarlierRowCharacterInLaterReplacementStays", "a>b", "a\\b", 2, "\\"},
    {"OnlyDeletedCharactersGivesEmpty", "??", "", 4, ""},
    {"SpaceLeftAfterDeletionBecomesEmpty", "? ", "", 4, ""},
};

class ConvertTable : public ::testing::TestWithParam<ConvertCase> {};

TEST_P(ConvertTable, Converts) {
    const ConvertCase& c = GetParam();
    ConversionTable table = StartConversionTable();
    if (c.row >= 0)
        table[static_cast<std::size_t>(c.row)].replacement = c.replacement;
    EXPECT_EQ(ConvertProhibitChars(c.text, table), c.want);
}

INSTANTIATE_TEST_SUITE_P(Naming, ConvertTable, ::testing::ValuesIn(kConvertCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResetConversionTable, RowZeroUnderscoreOthersFullWidth) {
    ConversionTable table = StartConversionTable();
    for (ConversionRow& row : table)
        row.replacement = "x";
    ResetConversionTable(table);
    const char* want[] = {"_",      "\uFF0F", "\uFF1E", "\uFF1C", "\uFF1F", "\uFF02",
                          "\uFF5C", "\uFF0A", "\uFF1A", "\uFF0C", "\uFF1B"};
    for (std::size_t i = 0; i < table.size(); ++i)
        EXPECT_EQ(table[i].replacement, want[i]) << "row " << i;
    EXPECT_EQ(table[0].character, "\\") << "the characters themselves never change";
}

struct CheckCase {
    std::size_t row;
    std::string typed;
    std::string want;
};

TEST(CheckReplacementInput, WholeTableCharacterBecomesTheRowsOwnFullWidthForm) {
    const ConversionTable table = StartConversionTable();
    const CheckCase cases[] = {
        {2, "<", "\uFF1E"},  // row 2's own form, not "<"'s
        {0, "\\", "_"},     {0, "?", "_"}, {5, ":", "\uFF02"},
        {1, "a/", "a/"},  // two characters pass
        {1, "", ""},        {1, " ", " "}, {3, "\uFF1C", "\uFF1C"},
        {4, "x", "x"},
    };
    for (const CheckCase& c : cases) {
        const std::string once = CheckReplacementInput(c.row, c.typed, table);
        EXPECT_EQ(once, c.want) << "row " << c.row << " typed '" << c.typed << "'";
        // Setting the box runs the check again; the corrected text must pass it.
        EXPECT_EQ(CheckReplacementInput(c.row, once, table), once);
    }
}

}  // namespace
}  // namespace tagwright
