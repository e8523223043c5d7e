#include "naming/settings_file.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace tagwright {
namespace {

SettingValues AsMap(const std::vector<std::pair<std::string, std::string>>& values) {
    return {values.begin(), values.end()};
}

TEST(SettingsFile, EveryChangedSettingComesBack) {
    Settings s;
    s.tagSource = Settings::TagSource::kId3v1Only;
    s.priority = Settings::Priority::kId3v1First;
    s.nameFillBlanks = true;
    s.folderFillBlanks = true;
    for (std::size_t i = 0; i < s.Text1.size(); ++i)
        s.Text1[i] = i == 6 ? "" : "既定 " + std::to_string(i);
    s.FileNameSetting = "トラック番号-曲名";
    s.NameCutText = "𠮷 ";
    s.OriTxt = "@lit";
    s.FileMoveText = "アーティスト\\\"年\"\\";
    s.OriTxt2 = " , ; ";
    s.MP3SaveFolderTxt = "/music/ライブラリ/";
    s.FolderYN = false;
    for (std::size_t row = 0; row < s.conversion.size(); ++row)
        s.conversion[row].replacement = "r" + std::to_string(row);

    const LoadedSettings back = SettingsFromValues(AsMap(SettingsToValues(s)));
    EXPECT_EQ(back.settings, s);
    EXPECT_TRUE(back.refused.empty());
}

// A value a box could never hold keeps the start value and is named once; the rest still load.
TEST(SettingsFile, UnusableValuesFallBackAndAreNamed) {
    const std::pair<const char*, std::string> kBad[] = {
        {"Tags/Source", "v3"},
        {"Tags/Priority", ""},
        {"Defaults/FillBlankNames", "yes"},
        {"Defaults/Text1_0", "line\nbreak"},
        {"Defaults/Text1_6", "no such box"},  // not a key: ignored, not refused
        {"Rules/NameCutText", "four"},
        {"Rules/OriTxt", "\xFF\xFE"},
        {"Rules/OriTxt2", "del\x7F"},
        {"Storage/MP3SaveFolderTxt", ""},
        {"Storage/FolderYN", std::string(kNotAText)},
        {"Conversion/Text6_1", "\\"},  // one of the table's own characters
    };
    SettingValues values;
    for (const auto& [key, value] : kBad)
        values[key] = value;
    values["Rules/FileNameSetting"] = "アルバム";
    const LoadedSettings loaded = SettingsFromValues(values);

    Settings want;
    want.FileNameSetting = "アルバム";
    EXPECT_EQ(loaded.settings, want);
    EXPECT_EQ(loaded.refused.size(), std::size(kBad) - 1);
    EXPECT_EQ(loaded.refused.front(), "Tags/Source=v3");
}

struct IniCase {
    const char* name;
    std::string line;
    std::string want;
};

const IniCase kIniCases[] = {
    {"Plain", "k=plain text", "plain text"},
    {"BlanksAroundDropped", "k=   spaced  ", "spaced"},
    {"QuotedKeepsBlanksCommasSemicolons", "k=\" a, b; c \"", " a, b; c "},
    {"BackslashEscapes", "k=a\\\\b\\\"c\\td", "a\\b\"c\td"},
    {"RawUtf8", "k=アーティスト\\\\アルバム\\\\", "アーティスト\\アルバム\\"},
    {"HexCodeUnit", "k=\\x3042\\x3044", "あい"},
    {"HexSurrogatePair", "k=\\xd842\\xdfb7", "𠮷"},
    {"LoneSurrogate", "k=\\xd842x", "\uFFFDx"},
    {"OctalControl", "k=a\\0b", std::string("a\0b", 3)},
    {"DoubledAt", "k=@@at", "@at"},
    {"VariantIsNotAText", "k=@Variant(\\0\\0\\0\\x7f)", std::string(kNotAText)},
    {"UnquotedCommaIsAList", "k=a, b", std::string(kNotAText)},
    {"CommentAfterValue", "k=value ; note", "value"},
    {"EmptyValue", "k=", ""},
};

class IniValue : public ::testing::TestWithParam<IniCase> {};

TEST_P(IniValue, UnescapesAsTheWindowWrites) {
    const SettingValues values = ParseIniText("[G]\n" + GetParam().line + "\n");
    ASSERT_EQ(values.count("G/k"), 1u);
    EXPECT_EQ(values.at("G/k"), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(SettingsFile, IniValue, ::testing::ValuesIn(kIniCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, GroupsCommentsAndJunkLines) {
    using namespace std::string_view_literals;
    const SettingValues values = ParseIniText(
        "top=1\r\n; comment\n# comment\n[General]\ng=2\nno equals sign\n=no key\n[Rules]\n"
        "FileNameSetting = 年 \n\x00\xFF\xFE junk\n[Unclosed\nu=3\n"sv);
    EXPECT_EQ(values,
              (SettingValues{
                  {"top", "1"}, {"g", "2"}, {"Rules/FileNameSetting", "年"}, {"Unclosed/u", "3"}}));
}

TEST(SettingsFile, ReadsAFileOrSaysWhyNot) {
    test::TempDir dir;
    const std::string good = dir.Write("good.ini", std::string("[Rules]\nNameCutText=\" ~ \"\n"));
    const auto loaded = ReadSettingsFile(RealFileSystem(), good);
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded->settings.NameCutText, " ~ ");

    const auto missing = ReadSettingsFile(RealFileSystem(), dir / "missing.ini");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().kind, ErrorKind::kNotFound);
    const auto folder = ReadSettingsFile(RealFileSystem(), dir.path());
    EXPECT_FALSE(folder.ok());
}

}  // namespace
}  // namespace tagwright
