#include "tags/mp3_tag.h"

#include <gtest/gtest.h>

#include "support/fault_file_system.h"
#include "support/mp3_bytes.h"
#include "support/temp_dir.h"

namespace tagwright {
namespace {

using test::Audio;
using test::B;
using test::Bytes;
using test::Cat;
using test::Id3v1Fields;
using test::Id3v1Trailer;

Bytes Trailer(int track = -1) {
    Id3v1Fields f;
    f.title = B("Title");
    f.track = track;
    // A v1.0 comment fills byte 125; left empty it would read as the v1.1 marker.
    if (track < 0)
        f.comment = B("a comment thirty bytes long...");
    return Id3v1Trailer(f);
}

struct KindCase {
    const char* name;
    Bytes file;
    std::int16_t flags;
};

class ReadTagTypeTest : public ::testing::TestWithParam<KindCase> {
  protected:
    test::TempDir dir;
};

TEST_P(ReadTagTypeTest, ComputesFlags) {
    clsMP3Tag tag;
    tag.MP3FilePath = dir.Write("f.mp3", GetParam().file);
    EXPECT_EQ(tag.ReadTagType(), GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadTagTypeTest,
    ::testing::Values(KindCase{"Empty", Bytes{}, 0}, KindCase{"OneByte", B("I"), 0},
                      KindCase{"OnlyId3", B("ID3"), 8},
                      KindCase{"Id3ThenGarbage", Cat({B("ID3"), Audio(40)}), 8},
                      KindCase{"LowerCaseId3", Cat({B("id3"), Audio(400)}), 0},
                      // 255 bytes in all: too short to report a trailer, even a complete one.
                      KindCase{"Trailer255", Cat({Audio(127), Trailer()}), 0},
                      KindCase{"Id3AndTrailer255", Cat({B("ID3"), Audio(124), Trailer()}), 8},
                      KindCase{"Trailer256V10", Cat({Audio(128), Trailer()}), 1},
                      KindCase{"Trailer256V11", Cat({Audio(128), Trailer(5)}), 3},
                      KindCase{"V11TrackZero", Cat({Audio(500), Trailer(0)}), 3},
                      KindCase{"Id3AndV11", Cat({B("ID3"), Audio(500), Trailer(1)}), 11},
                      KindCase{"Id3AndV10", Cat({B("ID3"), Audio(500), Trailer()}), 9},
                      KindCase{"LowerCaseTag",
                               [] {
                                   Bytes t = Trailer();
                                   t[0] = 't', t[1] = 'a', t[2] = 'g';
                                   return Cat({Audio(500), t});
                               }(),
                               0}),
    [](const auto& info) { return info.param.name; });

TEST(ReadTagType, ByteBeforeTrackDecidesVersion) {
    test::TempDir dir;
    Id3v1Fields f;
    f.comment = B("0123456789012345678901234567 9");  // byte 125 is a blank
    clsMP3Tag tag;
    tag.MP3FilePath = dir.Write("f.mp3", Cat({B("ID3"), Audio(300), Id3v1Trailer(f)}));
    EXPECT_EQ(tag.ReadTagType(), 9);
}

TEST(ReadTagType, OpensOnceAndReadsTwice) {
    test::TempDir dir;
    test::FaultFileSystem fs;
    clsMP3Tag tag(fs);
    tag.MP3FilePath = dir.Write("f.mp3", Cat({Audio(1000), Trailer()}));
    EXPECT_EQ(tag.ReadTagType(), 1);
    EXPECT_EQ(fs.Calls(test::FsOp::kOpenRead), 1);
    EXPECT_EQ(fs.Calls(test::FsOp::kRead), 3);  // first 3 bytes, size, last 128 bytes
}

TEST(ReadTagType, MissingOrUnreadableFileThrowsNamingIt) {
    test::TempDir dir;
    clsMP3Tag tag;
    tag.MP3FilePath = dir / "gone.mp3";
    try {
        tag.ReadTagType();
        FAIL() << "no error for a missing file";
    } catch (const FileError& e) {
        EXPECT_EQ(e.error().path, tag.MP3FilePath);
        EXPECT_EQ(e.error().kind, ErrorKind::kNotFound);
    }
    tag.MP3FilePath = dir.MakeFolder("folder.mp3");
    EXPECT_THROW(tag.ReadTagType(), FileError);
}

struct CleanCase {
    std::string in;
    std::string out;
};

TEST(CleanFieldText, TurnsNulsToBlanksAndTrimsOnlyU0020) {
    const CleanCase cases[] = {
        {std::string(30, '\0'), ""},
        {"  word  ", "word"},
        {std::string("a\0b", 3), "a b"},
        {std::string("ab\0\0\0", 5), "ab"},
        {"x\u3000", "x\u3000"},  // ideographic space stays
        {"\tx", "\tx"},
        {std::string(" \0 \0", 4), ""},
        {"", ""},
    };
    for (const CleanCase& c : cases)
        EXPECT_EQ(CleanFieldText(c.in), c.out);
}

}  // namespace
}  // namespace tagwright
