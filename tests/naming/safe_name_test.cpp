#include "naming/safe_name.h"

#include <gtest/gtest.h>

#include "platform/utf8.h"

namespace tagwright {
namespace {

constexpr NameLimit kBytes{NameLimit::Unit::kUtf8Bytes, 255};
constexpr NameLimit kUtf16{NameLimit::Unit::kUtf16Units, 255};

std::size_t Utf16Length(std::string_view s) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < s.size();)
        units += utf8::Next(s, pos) >= 0x10000 ? 2 : 1;
    return units;
}

std::string Repeat(std::string_view piece, std::size_t n) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i)
        out += piece;
    return out;
}

struct NameCase {
    const char* name;
    std::string in;
    std::string base;   ///< SafeBaseName
    std::string level;  ///< SafeFolderLevel
};

const NameCase kNameCases[] = {
    {"Plain", "Song", "Song", "Song"},
    {"Japanese", "曲名テスト", "曲名テスト", "曲名テスト"},
    {"DotDot", "..", "..", "\uFF0E\uFF0E"},
    {"Dot", ".", ".", "\uFF0E"},
    {"TrailingDot", "a.", "a.", "a\uFF0E"},
    {"TrailingDotsAndBlanks", "a. .", "a. .", "a\uFF0E\u3000\uFF0E"},
    {"LoneBlank", " ", " ", "\u3000"},
    {"InnerDotsStay", "a..b", "a..b", "a..b"},
    {"Con", "CON", "CON_", "CON_"},
    {"ConLowerCaseWithExtension", "con.txt", "con_.txt", "con_.txt"},
    {"ConBlankBeforeDot", "Con .mp3", "Con_ .mp3", "Con_ .mp3"},
    {"Nul", "nul", "nul_", "nul_"},
    {"Com1", "com1", "com1_", "com1_"},
    {"Lpt9Extension", "LPT9.a.b", "LPT9_.a.b", "LPT9_.a.b"},
    {"ComSuperscript", "COM\u00B9", "COM\u00B9_", "COM\u00B9_"},
    {"NotDevices", "CONSOLE", "CONSOLE", "CONSOLE"},
    {"Com10NotDevice", "COM10", "COM10", "COM10"},
    {"AuxInsideName", "my aux", "my aux", "my aux"},
    {"Newline", "a\nb", "ab", "ab"},
    {"OnlyControls", "\n\t\x01", "", ""},
    {"Delete",
     "a\x7F"
     "b\x7F",
     "ab", "ab"},
    {"OnlyDeletes", "\x7F\x7F", "", ""},
    {"Nul0", std::string("a\0b", 3), "ab", "ab"},
    {"EscapingPath", "../../etc", ".._.._etc", ".._.._etc"},
    {"BackslashInsideLevel", "a\\b", "a_b", "a_b"},
    {"WindowsRefusedCharacters", "a<b>c:d\"e|f?g*",
     "a\uFF1Cb\uFF1Ec\uFF1Ad\uFF02e\uFF5Cf\uFF1Fg\uFF0A",
     "a\uFF1Cb\uFF1Ec\uFF1Ad\uFF02e\uFF5Cf\uFF1Fg\uFF0A"},
    {"DriveLetter", "C:", "C\uFF1A", "C\uFF1A"},
    {"InvalidUtf8", "a\xFF\xC3", "a\uFFFD\uFFFD", "a\uFFFD\uFFFD"},
    {"Empty", "", "", ""},
};

class SafeNameTable : public ::testing::TestWithParam<NameCase> {};

TEST_P(SafeNameTable, BaseAndFolderLevel) {
    const NameCase& c = GetParam();
    EXPECT_EQ(SafeBaseName(c.in, kBytes), c.base);
    EXPECT_EQ(SafeFolderLevel(c.in, kBytes), c.level);
}

INSTANTIATE_TEST_SUITE_P(Naming, SafeNameTable, ::testing::ValuesIn(kNameCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SafeFolderLevels, SplitsOnDividersAndNeverLeavesTheStorageFolder) {
    using Levels = std::vector<std::string>;
    EXPECT_EQ(SafeFolderLevels("X\\Y\\", kBytes), (Levels{"X", "Y"}));
    EXPECT_EQ(SafeFolderLevels("\\Y\\", kBytes), (Levels{"Y"}));
    EXPECT_EQ(SafeFolderLevels("", kBytes), Levels{});
    EXPECT_EQ(SafeFolderLevels("\\", kBytes), Levels{});
    EXPECT_EQ(SafeFolderLevels("..\\..\\etc", kBytes),
              (Levels{"\uFF0E\uFF0E", "\uFF0E\uFF0E", "etc"}));
    EXPECT_EQ(SafeFolderLevels("a/../b\\.", kBytes), (Levels{"a_.._b", "\uFF0E"}));
    EXPECT_EQ(SafeFolderLevels("CON\\x. ", kBytes), (Levels{"CON_", "x\uFF0E\u3000"}));
}

// A level that held characters and comes out empty is a blank value, not a level to skip:
// skipping it would file the song one level higher than the rule says.
TEST(SafeFolderLevels, ALevelEmptiedByTheCleanUpIsRefused) {
    for (const std::string_view folder : {"\n\\CON\\x", "Artist\\\x7F\\", "A\\\x01\x02"}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(SafeFolderLevels(folder, kBytes), std::nullopt);
    }
}

// 300 characters of every width, cut for both limits: on a character boundary, within the
// limit, never ending in a plain dot or blank, and for base names with room for the longest
// numbered ending.
TEST(SafeNames, OverLongNamesAreCutAtACharacterBoundary) {
    const std::string inputs[] = {
        Repeat("a", 300),          Repeat("曲", 300),
        Repeat("\U0001F3B5", 300), Repeat("a", 240) + Repeat(".", 60),
        "x" + Repeat("é", 299),
    };
    for (const std::string& in : inputs) {
        const std::string base8 = SafeBaseName(in, kBytes);
        EXPECT_LE(base8.size() + kLongestNumberedEnding.size(), 255u);
        EXPECT_GT(base8.size(), 240u) << "cut no more than needed";
        EXPECT_EQ(in.compare(0, base8.size(), base8), 0) << "a prefix of the input";
        EXPECT_EQ(utf8::CountCodePoints(base8 + "x"), utf8::CountCodePoints(base8) + 1);

        const std::string base16 = SafeBaseName(in, kUtf16);
        EXPECT_LE(Utf16Length(base16) + kLongestNumberedEnding.size(), 255u);
        EXPECT_GE(Utf16Length(base16) + kLongestNumberedEnding.size(), 254u);
        EXPECT_EQ(in.compare(0, base16.size(), base16), 0);

        for (const NameLimit& limit : {kBytes, kUtf16}) {
            const std::string level = SafeFolderLevel(in, limit);
            const std::size_t used =
                limit.unit == NameLimit::Unit::kUtf8Bytes ? level.size() : Utf16Length(level);
            EXPECT_LE(used, 255u);
            EXPECT_NE(level.back(), '.');
            EXPECT_NE(level.back(), ' ');
            // No cut character: the text re-decodes without replacement characters.
            EXPECT_EQ(level.find("\uFFFD"), std::string::npos);
        }
    }
}

// Found by the naming fuzzer: the cut to the name limit can turn a longer text into a device
// name, "PRN" + blanks (Windows ignores blanks before the extension). The mark comes after it.
TEST(SafeNames, ACutThatLeavesADeviceNameStillMarksIt) {
    for (const NameLimit& limit : {kBytes, kUtf16}) {
        const std::string base = SafeBaseName("PRN" + Repeat(" ", 241) + "x", limit);
        EXPECT_EQ(base, "PRN_" + Repeat(" ", 240));
    }
    // The fuzzer's own input, under the small limit it chose.
    EXPECT_EQ(SafeBaseName("PRN\x91\xF5%\xFC!..", NameLimit{NameLimit::Unit::kUtf8Bytes, 16}),
              "PRN_");
    EXPECT_EQ(SafeFolderLevel("nul" + Repeat(" ", 252) + "x",
                              NameLimit{NameLimit::Unit::kUtf16Units, 255}),
              "nul" + Repeat("\u3000", 252));
}

TEST(SafeNames, ResultsAreStable) {
    for (const char* in : {"..", "a.", "CON", "a/b", " ", "COM1.x"}) {
        const std::string level = SafeFolderLevel(in, kBytes);
        EXPECT_EQ(SafeFolderLevel(level, kBytes), level) << in;
        const std::string base = SafeBaseName(in, kBytes);
        EXPECT_EQ(SafeBaseName(base, kBytes), base) << in;
    }
}

}  // namespace
}  // namespace tagwright
