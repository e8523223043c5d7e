#include "naming/field_selection.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

using Source = Settings::TagSource;
using Priority = Settings::Priority;

// What the ID3v2 reader would have left in the reader; set directly so these cases do not
// depend on the ID3v2 parser.
struct V2 {
    std::string title{}, artist{}, album{}, genre{}, year{}, track{};
};

struct Case {
    const char* name;
    Source source = Source::kBoth;
    Priority priority = Priority::kId3v2First;
    std::optional<test::Id3v1Fields> v1{};  ///< nullopt: the file has no trailer
    V2 v2{};
    std::int16_t mode = 0;
    bool nameFill = false;
    bool folderFill = false;
    TagFields want{};
};

test::Id3v1Fields V1(std::string title, std::string artist, int track, std::uint8_t genre) {
    test::Id3v1Fields f;
    f.title = test::B(title);
    f.artist = test::B(artist);
    f.album = test::B("Alb1");
    f.year = test::B("1999");
    f.track = track;
    f.genre = genre;
    return f;
}

const Case kCases[] = {
    {.name = "V1OnlyGenreNameAndTrackWithoutLeadingZero",
     .source = Source::kId3v1Only,
     .v1 = V1("T1", "A1", 7, 13),
     .v2 = {"T2", "A2", "Alb2", "G2", "2002", "9"},
     .want = {"T1", "A1", "Alb1", "Pop", "1999", "7"}},
    {.name = "V1GenreOutsideTableIsBlank",
     .source = Source::kId3v1Only,
     .v1 = V1("T1", "A1", 7, 200),
     .want = {"T1", "A1", "Alb1", "", "1999", "7"}},
    {.name = "V2OnlyTakesTextsAsTheyAre",
     .source = Source::kId3v2Only,
     .v1 = V1("T1", "A1", 7, 13),
     .v2 = {"T2", "A2", "Alb2", "(13)", "2002", "3/12"},
     .want = {"T2", "A2", "Alb2", "(13)", "2002", "3/12"}},
    {.name = "V2FirstKeepsV2Title",
     .v1 = V1("xyz", "", 1, 0),
     .v2 = {.title = "abc"},
     .want = {"abc", "", "Alb1", "Blues", "1999", "1"}},
    {.name = "V2FirstFillsBlankTitleFromV1",
     .v1 = V1("xyz", "", 1, 0),
     .want = {"xyz", "", "Alb1", "Blues", "1999", "1"}},
    {.name = "V1FirstFillsBlankArtistFromV2",
     .priority = Priority::kId3v1First,
     .v1 = V1("T1", "", 1, 255),
     .v2 = {.title = "T2", .artist = "B", .genre = "G2"},
     .want = {"T1", "B", "Alb1", "G2", "1999", "1"}},
    {.name = "V2FirstBlankTrackTakesV1TrackZero",
     .v1 = V1("T1", "A1", 0, 255),
     .v2 = {.title = "T2"},
     .want = {"T2", "A1", "Alb1", "", "1999", "0"}},
    {.name = "V10TrailerGivesTrackZero",
     .v1 = V1("T1", "A1", -1, 255),
     .want = {"T1", "A1", "Alb1", "", "1999", "0"}},
    // A file without a trailer adds neither "Blues" nor "0".
    {.name = "NoTrailerContributesNothing",
     .v2 = {.title = "T2"},
     .want = {"T2", "", "", "", "", ""}},
    {.name = "NoTrailerV1OnlyAllBlank", .source = Source::kId3v1Only, .want = {}},
    {.name = "NameDefaultsFillEveryBlank",
     .mode = TagR::kModeFileName,
     .nameFill = true,
     .want = {"Unknown", "Unknown", "single", "genre", "2001", "0"}},
    {.name = "FolderDefaultsLeaveTitleAndTrackBlank",
     .mode = TagR::kModeFolder,
     .folderFill = true,
     .want = {"", "Unknown", "single", "genre", "2001", ""}},
    {.name = "NamePolicyLeaveBlankSubstitutesNothing",
     .mode = TagR::kModeFileName,
     .folderFill = true,
     .want = {}},
    {.name = "FolderPolicyIgnoresNameDefaults",
     .mode = TagR::kModeFolder,
     .nameFill = true,
     .want = {}},
    {.name = "OtherModesSubstituteNothing",
     .v2 = {.title = "T"},
     .mode = 3,
     .nameFill = true,
     .folderFill = true,
     .want = {"T", "", "", "", "", ""}},
    {.name = "TextEqualToADefaultIsKept",
     .v2 = {.artist = "Unknown", .album = "Mine"},
     .mode = TagR::kModeFileName,
     .nameFill = true,
     .want = {"Unknown", "Unknown", "Mine", "genre", "2001", "0"}},
};

class GetTagInfoTable : public ::testing::TestWithParam<Case> {
  protected:
    test::TempDir dir;
};

TEST_P(GetTagInfoTable, Fields) {
    const Case& c = GetParam();
    test::Bytes bytes = test::Audio(1000);
    if (c.v1)
        bytes = test::Cat({bytes, test::Id3v1Trailer(*c.v1)});
    clsMP3Tag reader;
    reader.MP3FilePath = dir.Write("f.mp3", bytes);
    reader.ID3V2TAGTrackName = c.v2.title;
    reader.ID3V2TAGArtist = c.v2.artist;
    reader.ID3V2TAGAlbum = c.v2.album;
    reader.ID3V2TAGGenre = c.v2.genre;
    reader.ID3V2TAGYear = c.v2.year;
    reader.ID3V2TAGTrackNo = c.v2.track;

    Settings s;
    s.tagSource = c.source;
    s.priority = c.priority;
    s.nameFillBlanks = c.nameFill;
    s.folderFillBlanks = c.folderFill;
    EXPECT_EQ(TagR::GetTagInfo(c.mode, reader, s), c.want);
}

INSTANTIATE_TEST_SUITE_P(Naming, GetTagInfoTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GetTagInfo, DefaultOfOneSpaceIsSubstitutedAndNotBlankHere) {
    test::TempDir dir;
    clsMP3Tag reader;
    reader.MP3FilePath = dir.Write("f.mp3", test::Audio(500));
    Settings s;
    s.nameFillBlanks = true;
    s.Text1[0] = " ";
    s.Text1[5] = "";
    const TagFields f = TagR::GetTagInfo(TagR::kModeFileName, reader, s);
    EXPECT_EQ(f.TrackName, " ");
    EXPECT_EQ(f.TrackNo, "") << "an empty default leaves the field blank";
}

}  // namespace
}  // namespace tagwright
