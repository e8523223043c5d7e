#include <gtest/gtest.h>

#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"
#include "tags/mp3_tag.h"

namespace tagwright {
namespace {

using test::Audio;
using test::B;
using test::Bytes;
using test::Cat;
using test::Id3v1Fields;
using test::Id3v1Trailer;
using test::Id3v2Frame;
using test::Id3v2Tag;
using test::TextBody;

Id3v2Frame Text(std::string id, std::string_view text) {
    return {std::move(id), TextBody(0, B(text))};
}

Bytes Trailer(int track) {
    Id3v1Fields f;
    f.title = B("V1 title");
    f.artist = B("\x89\xCC");  // code page 932
    f.year = B("1999");
    f.comment = track < 0 ? B("a comment thirty bytes long...") : B("c");
    f.track = track;
    f.genre = 13;
    return Id3v1Trailer(f);
}

std::vector<Id3v2Frame> SixFrames(int version) {
    if (version == 2)
        return {Text("TT2", "T"),    Text("TP1", "A"),    Text("TAL", "B"),
                Text("TYE", "2001"), Text("TCO", "(13)"), Text("TRK", "3/9")};
    return {Text("TIT2", "T"),       Text("TPE1", "A"),   Text("TALB", "B"),
            Text("TDRC", "2004-05"), Text("TCON", "Pop"), Text("TRCK", "3")};
}

struct FileCase {
    const char* name;
    Bytes bytes;
    std::int16_t kind;
};

// Sizes around the first read, the 256-byte trailer rule and a tag larger than the first read.
std::vector<FileCase> Files() {
    const Bytes big = Id3v2Tag(3, {Text("TIT2", "Big"), {"APIC", Bytes(9000, 0x41)}}, 100);
    Bytes truncated = Id3v2Tag(4, SixFrames(4), 64);
    truncated.resize(40);
    return {
        {"Empty", {}, 0},
        {"Audio", Audio(5000), 0},
        {"ShortWithTrailer", Cat({Audio(200), Trailer(4)}), 3},
        {"TooShortForTrailer", Cat({Audio(100), Trailer(4)}), 0},
        {"V10InHead", Cat({Audio(1000), Trailer(-1)}), 1},
        {"V11PastHead", Cat({Audio(9000), Trailer(0)}), 3},
        {"V22BothInHead", Cat({Id3v2Tag(2, SixFrames(2), 20), Audio(300), Trailer(7)}), 11},
        {"V23Both", Cat({Id3v2Tag(3, SixFrames(3), 500), Audio(9000), Trailer(-1)}), 9},
        {"V24Only", Cat({Id3v2Tag(4, SixFrames(4), 0), Audio(300)}), 8},
        {"TagLargerThanHead", Cat({big, Audio(500), Trailer(2)}), 11},
        {"TagEndsInHeadFileLonger", Cat({Id3v2Tag(3, SixFrames(3), 3900), Audio(4000)}), 8},
        {"TruncatedTag", truncated, 8},
        {"HeaderOnly", B("ID3"), 8},
        {"Unsynchronised", Cat({Id3v2Tag(3, SixFrames(3), 10, 0x80), Audio(700), Trailer(1)}), 11},
    };
}

class ReadTagsFile : public ::testing::TestWithParam<FileCase> {
  protected:
    test::TempDir dir;
};

// The one read must give what the separate reads of each part give.
TEST_P(ReadTagsFile, MatchesThePartReads) {
    const std::string path = dir.Write("f.mp3", GetParam().bytes);
    const Result<TagSnapshot> all = ReadTags(RealFileSystem(), path);
    ASSERT_TRUE(all.ok()) << all.error().Message();
    EXPECT_EQ(all->kind, GetParam().kind);

    clsMP3Tag parts;
    parts.MP3FilePath = path;
    EXPECT_EQ(parts.ReadTagType(), all->kind);
    ASSERT_EQ(parts.ReadID3v1Tag(), all->id3v1.has_value());
    ASSERT_EQ(parts.ReadID3v2Tag(), all->id3v2.has_value());

    clsMP3Tag fromOne;
    fromOne.MP3FilePath = path;
    if (all->id3v1)
        fromOne.TakeId3v1(*all->id3v1);
    if (all->id3v2)
        fromOne.TakeId3v2(*all->id3v2);
    const auto members = [](const clsMP3Tag& t) {
        return std::vector<std::string>{t.ID3V2TAGAlbum,
                                        t.ID3V2TAGArtist,
                                        t.ID3V2TAGTrackName,
                                        t.ID3V2TAGYear,
                                        t.ID3V2TAGGenre,
                                        t.ID3V2TAGTrackNo,
                                        t.ID3V1TAGTrackName,
                                        t.ID3V1TAGArtistName,
                                        t.ID3V1TAGAlbumName,
                                        t.ID3V1TAGYear,
                                        t.ID3V1TAGComment,
                                        std::to_string(t.ID3V1TAGVersion),
                                        std::to_string(t.ID3V1TAGGenre),
                                        std::to_string(t.ID3V1TAGTrackNo)};
    };
    EXPECT_EQ(members(fromOne), members(parts));
    EXPECT_EQ(fromOne.FrameName, parts.FrameName);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadTagsFile, ::testing::ValuesIn(Files()),
                         [](const auto& info) { return info.param.name; });

TEST(ReadTags, ValuesOfBothTags) {
    test::TempDir dir;
    const std::string path =
        dir.Write("f.mp3", Cat({Id3v2Tag(4, SixFrames(4), 0), Audio(300), Trailer(5)}));
    const Result<TagSnapshot> t = ReadTags(RealFileSystem(), path);
    ASSERT_TRUE(t.ok());
    ASSERT_TRUE(t->id3v1 && t->id3v2);
    EXPECT_EQ(t->id3v1->artist, "歌");
    EXPECT_EQ(t->id3v1->track, 5);
    EXPECT_EQ(t->id3v2->year, "2004") << "the year from TDRC";
    EXPECT_EQ(t->id3v2->track, "3");
    EXPECT_EQ(t->id3v2->table.path, path);
}

// How often a read touches the file is the point of reading once.
TEST(ReadTags, OneOpenAndFewReads) {
    struct Case {
        const char* name;
        Bytes bytes;
        TagParts parts;
        int reads;  // ReadAt and Size calls
    };
    const Case cases[] = {
        {"SmallFileAllInHead", Cat({Id3v2Tag(3, SixFrames(3), 100), Audio(300), Trailer(1)}),
         TagParts::kAll, 2},
        {"TypicalFile", Cat({Id3v2Tag(3, SixFrames(3), 100), Audio(20000), Trailer(1)}),
         TagParts::kAll, 3},
        {"KindOnly", Cat({Audio(20000), Trailer(1)}), TagParts::kKindAndId3v1, 3},
        {"Id3v2Only", Cat({Id3v2Tag(3, SixFrames(3), 100), Audio(20000)}), TagParts::kId3v2, 1},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FaultFileSystem fs;
        const std::string path = dir.Write(std::string(c.name) + ".mp3", c.bytes);
        ASSERT_TRUE(ReadTags(fs, path, c.parts).ok());
        EXPECT_EQ(fs.Calls(test::FsOp::kOpenRead), 1);
        EXPECT_EQ(fs.Calls(test::FsOp::kRead), c.reads);
    }
}

// The stamp comes with the tags, from the handle the bytes were read through: the same one the
// path gives when nothing changed, and none when only the ID3v2 tag was asked for.
TEST(ReadTags, CarriesTheFilesStamp) {
    test::TempDir dir;
    const std::string path = dir.Write("f.mp3", Cat({Audio(500), Trailer(1)}));
    const Result<FileStatus> there = RealFileSystem().StatFile(path);
    ASSERT_TRUE(there.ok());
    EXPECT_EQ(there->stamp.size, 628U);
    EXPECT_NE(there->stamp.changedNs, 0);
    const Result<TagSnapshot> all = ReadTags(RealFileSystem(), path);
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all->file.id, there->id);
    EXPECT_EQ(all->file.stamp, there->stamp);
    EXPECT_FALSE(ReadTags(RealFileSystem(), path, TagParts::kId3v2)->file.stamp.Known());
}

// Every refusal is the result's error, whichever step of the read meets it.
TEST(ReadTags, EachRefusalIsTheError) {
    test::TempDir dir;
    const Bytes big = Id3v2Tag(3, {Text("TIT2", "Big"), {"APIC", Bytes(9000, 0x41)}}, 100);
    const std::string path = dir.Write("f.mp3", Cat({big, Audio(500), Trailer(2)}));
    struct Case {
        test::FsOp op;
        int nth;
    };
    // The head, the size, the trailer, the rest of the tag.
    for (const Case c :
         {Case{test::FsOp::kOpenRead, 1}, Case{test::FsOp::kRead, 1}, Case{test::FsOp::kRead, 2},
          Case{test::FsOp::kRead, 3}, Case{test::FsOp::kRead, 4}}) {
        SCOPED_TRACE(c.nth);
        test::FaultFileSystem fs;
        fs.Refuse(c.op, "", EIO, c.nth);
        const Result<TagSnapshot> t = ReadTags(fs, path);
        ASSERT_FALSE(t.ok());
        EXPECT_EQ(t.error().path, path);
        EXPECT_EQ(t.error().code, EIO);
    }
    const Result<TagSnapshot> gone = ReadTags(RealFileSystem(), dir / "gone.mp3");
    ASSERT_FALSE(gone.ok());
    EXPECT_EQ(gone.error().kind, ErrorKind::kNotFound);
    EXPECT_FALSE(ReadTags(RealFileSystem(), dir.MakeFolder("folder.mp3")).ok());
}

}  // namespace
}  // namespace tagwright
