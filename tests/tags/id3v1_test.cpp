#include <gtest/gtest.h>

#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"
#include "tags/mp3_tag.h"

namespace tagwright {
namespace {

using test::Audio;
using test::B;
using test::Cat;
using test::Id3v1Fields;
using test::Id3v1Trailer;

class ReadId3v1 : public ::testing::Test {
  protected:
    std::string Write(const Id3v1Fields& f, std::size_t audio = 1000) {
        return dir.Write("f" + std::to_string(++n) + ".mp3", Cat({Audio(audio), Id3v1Trailer(f)}));
    }
    test::TempDir dir;
    int n = 0;
};

TEST_F(ReadId3v1, V11LayoutGivesTrackAndShortComment) {
    Id3v1Fields f;
    f.title = B("Song");
    f.artist = B("Artist");
    f.album = B("Album");
    f.year = B("2001");
    f.comment = B("0123456789012345678901234567");  // 28 bytes
    f.track = 7;
    f.genre = 14;
    clsMP3Tag tag;
    tag.MP3FilePath = Write(f);
    ASSERT_TRUE(tag.ReadID3v1Tag());
    EXPECT_EQ(tag.ID3V1TAGVersion, 2);
    EXPECT_EQ(tag.ID3V1TAGTrackName, "Song");
    EXPECT_EQ(tag.ID3V1TAGArtistName, "Artist");
    EXPECT_EQ(tag.ID3V1TAGAlbumName, "Album");
    EXPECT_EQ(tag.ID3V1TAGYear, "2001");
    EXPECT_EQ(tag.ID3V1TAGComment, "0123456789012345678901234567");
    EXPECT_EQ(tag.ID3V1TAGTrackNo, 7);
    EXPECT_EQ(tag.ID3V1TAGGenre, 14);
}

TEST_F(ReadId3v1, V10CommentFillsThirtyBytesAndTrackStays) {
    Id3v1Fields f;
    f.comment = B("012345678901234567890123456789");
    clsMP3Tag tag;
    tag.ID3V1TAGTrackNo = 42;  // left from an earlier file
    tag.MP3FilePath = Write(f);
    ASSERT_TRUE(tag.ReadID3v1Tag());
    EXPECT_EQ(tag.ID3V1TAGVersion, 1);
    EXPECT_EQ(tag.ID3V1TAGComment, "012345678901234567890123456789");
    EXPECT_EQ(tag.ID3V1TAGTrackNo, 42);
    EXPECT_EQ(tag.ID3V1TAGGenre, 255);
}

TEST_F(ReadId3v1, PaddingAndBlankFieldsComeOutEmpty) {
    Id3v1Fields f;
    f.title = B(std::string(30, '\0'));
    f.artist = B("  Padded  ");
    f.year = B("    ");
    clsMP3Tag tag;
    tag.MP3FilePath = Write(f);
    ASSERT_TRUE(tag.ReadID3v1Tag());
    EXPECT_EQ(tag.ID3V1TAGTrackName, "");
    EXPECT_EQ(tag.ID3V1TAGArtistName, "Padded");
    EXPECT_EQ(tag.ID3V1TAGYear, "");
}

TEST_F(ReadId3v1, ShiftJisFieldsReadAsJapanese) {
    Id3v1Fields f;
    f.title = B("\x82\xA0\x82\xA2\x5C\x81\x60");  // あい\～
    f.artist = B("\x93\xFA\x96\x7B\xFF");         // 日本 + invalid byte
    clsMP3Tag tag;
    tag.MP3FilePath = Write(f);
    ASSERT_TRUE(tag.ReadID3v1Tag());
    EXPECT_EQ(tag.ID3V1TAGTrackName, "\u3042\u3044\\\uFF5E");
    EXPECT_EQ(tag.ID3V1TAGArtistName, "\u65E5\u672C\uFFFD");
}

TEST_F(ReadId3v1, NoTrailerChangesNothing) {
    clsMP3Tag tag;
    tag.ID3V1TAGTrackName = "kept";
    tag.ID3V1TAGVersion = 2;
    tag.MP3FilePath = dir.Write("plain.mp3", Audio(1000));
    EXPECT_FALSE(tag.ReadID3v1Tag());
    EXPECT_EQ(tag.ID3V1TAGTrackName, "kept");
    EXPECT_EQ(tag.ID3V1TAGVersion, 2);

    Id3v1Fields f;
    f.title = B("Short");
    tag.MP3FilePath = Write(f, 127);  // 255 bytes in all
    EXPECT_FALSE(tag.ReadID3v1Tag());
    EXPECT_EQ(tag.ID3V1TAGTrackName, "kept");
}

TEST_F(ReadId3v1, ReadsTheTrailerWithOneOpen) {
    test::FaultFileSystem fs;
    Id3v1Fields f;
    f.title = B("One");
    clsMP3Tag tag(fs);
    tag.MP3FilePath = Write(f);
    ASSERT_TRUE(tag.ReadID3v1Tag());
    EXPECT_EQ(fs.Calls(test::FsOp::kOpenRead), 1);
}

TEST_F(ReadId3v1, ReadErrorIsPassedOn) {
    test::FaultFileSystem fs;
    Id3v1Fields f;
    clsMP3Tag tag(fs);
    tag.MP3FilePath = Write(f);
    fs.Refuse(test::FsOp::kRead, "", EIO, 3);  // the trailer read
    EXPECT_THROW(tag.ReadID3v1Tag(), FileError);
    EXPECT_EQ(tag.ID3V1TAGVersion, 0);
}

}  // namespace
}  // namespace tagwright
