#include <gtest/gtest.h>

#include <random>

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
using test::Id3v2Frame;
using test::Id3v2Tag;
using test::TextBody;

Id3v2Frame Text(std::string id, std::string_view text, std::uint8_t encoding = 0) {
    return {std::move(id), TextBody(encoding, B(text))};
}

std::vector<std::string> Six(const clsMP3Tag& t) {
    return {t.ID3V2TAGTrackName, t.ID3V2TAGArtist, t.ID3V2TAGAlbum,
            t.ID3V2TAGYear,      t.ID3V2TAGGenre,  t.ID3V2TAGTrackNo};
}

class ReadId3v2 : public ::testing::Test {
  protected:
    std::string Write(const Bytes& bytes) {
        return dir.Write("f" + std::to_string(++n) + ".mp3", bytes);
    }
    /// A reader after ReadID3v2Tag on those bytes, which must succeed.
    clsMP3Tag Read(const Bytes& bytes) {
        clsMP3Tag tag(fs);
        tag.MP3FilePath = Write(bytes);
        EXPECT_TRUE(tag.ReadID3v2Tag());
        return tag;
    }
    test::TempDir dir;
    test::FaultFileSystem fs;
    int n = 0;
};

TEST_F(ReadId3v2, EveryVersionLayoutGivesTheSixValues) {
    const std::vector<std::string> six = {"Title", "Artist", "Album", "1999", "(13)", "3/12"};
    struct Case {
        int version;
        std::vector<std::string> ids;
    };
    for (const Case& c : {Case{2, {"TT2", "TP1", "TAL", "TYE", "TCO", "TRK"}},
                          Case{3, {"TIT2", "TPE1", "TALB", "TYER", "TCON", "TRCK"}},
                          Case{4, {"TIT2", "TPE1", "TALB", "TYER", "TCON", "TRCK"}}}) {
        SCOPED_TRACE(c.version);
        std::vector<Id3v2Frame> frames;
        for (std::size_t i = 0; i < six.size(); ++i)
            frames.push_back(Text(c.ids[i], six[i]));
        const clsMP3Tag tag = Read(Cat({Id3v2Tag(c.version, frames, 100), Audio(500)}));
        EXPECT_EQ(Six(tag), six);
        EXPECT_EQ(tag.FrameName, c.ids);  // as found, three characters in version 2.2
    }
}

TEST_F(ReadId3v2, EachEncodingDecodes) {
    struct Case {
        const char* name;
        Bytes body;
        std::string title;
    };
    const Case cases[] = {
        {"ShiftJisInEncoding0", TextBody(0, B("\x93\xFA\x96\x7B\x8C\xEA")), "日本語"},
        {"Cp932BackslashAndWave", TextBody(0, B("\x5C\x81\x60")), "\\～"},
        {"Utf16LittleEndianBom", TextBody(1, test::Utf16LeBom(u"夜に駆ける")), "夜に駆ける"},
        {"Utf16BigEndianBom", TextBody(1, Cat({{0xFE, 0xFF}, test::Utf16Be(u"あい")})), "あい"},
        {"Utf16SurrogatePair", TextBody(1, test::Utf16LeBom(u"a\U0001F3B5")), "a\U0001F3B5"},
        {"Utf16WithoutBomIsLittleEndian", TextBody(1, B(std::string_view("A\0B\0", 4))), "AB"},
        {"Utf16BeWithoutBom", TextBody(2, test::Utf16Be(u"ユーミン")), "ユーミン"},
        {"Utf8", TextBody(3, B("Sigur Rós 東京")), "Sigur Rós 東京"},
        {"Utf8WithBom", TextBody(3, B("\xEF\xBB\xBFX")), "X"},
        {"BrokenUtf8Replaced", TextBody(3, B("a\xC3z\xFF")), "a\uFFFDz\uFFFD"},
        // Multi-value texts (version 2.4) read with a blank between the values.
        {"Utf8MultiValue", TextBody(3, B(std::string_view("A\0B", 3))), "A B"},
        {"Utf16MultiValueEachWithBom",
         TextBody(1, Cat({test::Utf16LeBom(u"A"), {0, 0}, test::Utf16LeBom(u"B"), {0, 0}})), "A B"},
        {"TerminatorAndBlanksTrimmed", TextBody(0, B(std::string_view("  x \0", 5))), "x"},
        {"IdeographicSpaceStays", TextBody(3, B("x\u3000")), "x\u3000"},
        {"UnknownEncodingEmpty", TextBody(4, B("text")), ""},
        {"OnlyEncodingByte", Bytes{3}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int version : {3, 4}) {
            clsMP3Tag tag(fs);
            tag.ID3V2TAGTrackName = "old";
            tag.MP3FilePath = Write(Id3v2Tag(version, {{"TIT2", c.body}}));
            ASSERT_TRUE(tag.ReadID3v2Tag());
            EXPECT_EQ(tag.ID3V2TAGTrackName, c.title);
        }
    }
}

TEST_F(ReadId3v2, FrameSizesByVersion) {
    const std::string longTitle(200, 'x');
    // Version 2.4 sizes are synchsafe: 200 is stored 00 00 01 48, not 00 00 00 C8.
    clsMP3Tag v24 = Read(Id3v2Tag(4, {Text("TIT2", longTitle), Text("TPE1", "Artist")}, 10));
    EXPECT_EQ(v24.ID3V2TAGTrackName, longTitle);
    EXPECT_EQ(v24.ID3V2TAGArtist, "Artist");

    // Some version 2.4 writers store plain sizes; a byte with its top bit set gives them away.
    Bytes plain = Id3v2Tag(3, {Text("TIT2", longTitle), Text("TPE1", "Artist")}, 10);
    plain[3] = 4;
    clsMP3Tag broken = Read(plain);
    EXPECT_EQ(broken.ID3V2TAGTrackName, longTitle);
    EXPECT_EQ(broken.ID3V2TAGArtist, "Artist");
}

// A version 2.4 tag whose frame sizes are plain numbers, as many writers store them.
Bytes WithPlainSizes(const std::vector<Id3v2Frame>& frames, std::size_t padding) {
    Bytes tag = Id3v2Tag(3, frames, padding);
    tag[3] = 4;
    return tag;
}

Id3v2Frame CommentOfSize(std::size_t size) {
    // Capitals in the text: a walk that lands inside it meets what looks like a frame ID.
    return {"COMM", Cat({B(std::string_view("\0eng\0", 5)), Bytes(size - 5, 'X')})};
}

TEST_F(ReadId3v2, Version24SizesPlainOrSynchsafeDecidedPerTag) {
    for (const std::size_t size : {127u, 128u, 200u, 300u, 30000u}) {
        SCOPED_TRACE(size);
        const std::vector<Id3v2Frame> frames = {CommentOfSize(size), Text("TIT2", "Title"),
                                                Text("TPE1", "Artist")};
        const std::vector<std::string> ids = {"COMM", "TIT2", "TPE1"};
        for (const std::size_t padding : {0u, 64u}) {
            const clsMP3Tag plain = Read(Cat({WithPlainSizes(frames, padding), Audio(200)}));
            EXPECT_EQ(plain.FrameName, ids);
            EXPECT_EQ(plain.ID3V2TAGTrackName, "Title");
            EXPECT_EQ(plain.ID3V2TAGArtist, "Artist");
            const clsMP3Tag synchsafe = Read(Cat({Id3v2Tag(4, frames, padding), Audio(200)}));
            EXPECT_EQ(synchsafe.FrameName, ids);
            EXPECT_EQ(synchsafe.ID3V2TAGArtist, "Artist");
        }
    }
    // Small and large frames mixed: the small ones read alike either way, the large ones do
    // not, and every frame after them must still be found.
    const std::vector<Id3v2Frame> mixed = {
        Text("TALB", "Album"), CommentOfSize(300), Text("TIT2", "Title"),  CommentOfSize(30000),
        CommentOfSize(127),    CommentOfSize(128), Text("TPE1", "Artist"), Text("TRCK", "7")};
    // UTF-16 text is half zero bytes: a wrong walk may land on one as if on padding.
    const std::u16string wide(143, u'w');
    const clsMP3Tag utf16 = Read(
        WithPlainSizes({{"TALB", TextBody(2, test::Utf16Be(wide))}, Text("TIT2", "Title")}, 40));
    EXPECT_EQ(utf16.ID3V2TAGAlbum, std::string(143, 'w'));
    EXPECT_EQ(utf16.ID3V2TAGTrackName, "Title");

    for (const Bytes& tag : {WithPlainSizes(mixed, 10), Id3v2Tag(4, mixed, 10)}) {
        clsMP3Tag t = Read(tag);
        EXPECT_EQ(t.FrameName.size(), mixed.size());
        EXPECT_EQ(Six(t), (std::vector<std::string>{"Title", "Artist", "Album", "", "", "7"}));
        EXPECT_EQ(t.ReadMultilineTxtFrame("COMM"), std::string(295, 'X'));
    }
}

TEST_F(ReadId3v2, CompressedAndEncryptedFramesAreNeverReadAsText) {
    struct Case {
        const char* name;
        int version;
        std::uint16_t flags;
        Bytes before;  // what the flags put in front of the data
        bool readable;
    };
    const Case cases[] = {
        // Version 2.3: compression brings a 4-byte size, encryption a method byte.
        {"V23Compressed", 3, 0x0080, {0, 0, 0, 4}, false},
        {"V23Encrypted", 3, 0x0040, {0x80}, false},
        {"V23CompressedBare", 3, 0x0080, {}, false},
        {"V23Grouped", 3, 0x0020, {9}, true},
        {"V24Compressed", 4, 0x0009, test::Synchsafe(4), false},
        {"V24Encrypted", 4, 0x0004, {0x80}, false},
        {"V24CompressedBare", 4, 0x0008, {}, false},
        {"V24Grouped", 4, 0x0040, {9}, true},
        {"V24DataLength", 4, 0x0001, test::Synchsafe(4), true},
        {"V24GroupedWithDataLength", 4, 0x0041, Cat({{9}, test::Synchsafe(4)}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes comment = B(std::string_view("\0eng\0abc", 8));
        clsMP3Tag tag = Read(Id3v2Tag(c.version,
                                      {{"TIT2", Cat({c.before, TextBody(0, B("abc"))}), c.flags},
                                       {"COMM", Cat({c.before, comment}), c.flags},
                                       Text("TPE1", "After")},
                                      8));
        EXPECT_EQ(tag.ID3V2TAGTrackName, c.readable ? "abc" : "");
        EXPECT_EQ(tag.ID3V2TAGArtist, "After");
        EXPECT_EQ(tag.ReadMultilineTxtFrame("COMM"), c.readable ? "abc" : "");
    }
}

TEST_F(ReadId3v2, ExtendedHeaderIsSkipped) {
    const Bytes frames = test::Id3v2Frames(3, {Text("TIT2", "Title")});
    // Version 2.3: the size (6) does not count its own four bytes.
    const Bytes ext23 = {0, 0, 0, 6, 0, 0, 0, 0, 0, 0};
    const Bytes body23 = Cat({ext23, frames, Bytes(20, 0)});
    EXPECT_EQ(Read(Cat({test::Id3v2Header(3, 0x40, body23.size()), body23})).ID3V2TAGTrackName,
              "Title");
    // Version 2.4: a synchsafe size that counts the whole extended header.
    const Bytes ext24 = Cat({test::Synchsafe(6), {1, 0}});
    const Bytes body24 = Cat({ext24, test::Id3v2Frames(4, {Text("TIT2", "Title")}), Bytes(20, 0)});
    const clsMP3Tag tag = Read(Cat({test::Id3v2Header(4, 0x40, body24.size()), body24}));
    EXPECT_EQ(tag.ID3V2TAGTrackName, "Title");
    EXPECT_EQ(tag.FrameName, std::vector<std::string>{"TIT2"});
}

TEST_F(ReadId3v2, UnsynchronisationIsUndone) {
    const Bytes utf16 = TextBody(1, test::Utf16LeBom(u"ÿ日本"));  // FF bytes in BOM and text
    const std::string expected = "ÿ日本";
    // Version 2.3: the whole tag after the header, frame headers included.
    const Bytes whole = test::Unsynchronise(
        Cat({test::Id3v2Frames(3, {{"TIT2", utf16}, Text("TPE1", "After")}), Bytes(8, 0)}));
    const clsMP3Tag v23 = Read(Cat({test::Id3v2Header(3, 0x80, whole.size()), whole}));
    EXPECT_EQ(v23.ID3V2TAGTrackName, expected);
    EXPECT_EQ(v23.ID3V2TAGArtist, "After");

    // A large tag is read in pieces; 0xFF 0x00 pairs that a piece boundary cuts are undone too,
    // whichever side of it they fall.
    for (const std::size_t size : {6000u, 6001u, 30000u}) {
        SCOPED_TRACE(size);
        const Bytes big = test::Unsynchronise(
            Cat({test::Id3v2Frames(3, {{"PRIV", Bytes(size, 0xFF)}, Text("TPE1", "After")}),
                 Bytes(8, 0)}));
        const clsMP3Tag tag = Read(Cat({test::Id3v2Header(3, 0x80, big.size()), big}));
        EXPECT_EQ(tag.ID3V2TAGArtist, "After");
        EXPECT_EQ(tag.FrameName, (std::vector<std::string>{"PRIV", "TPE1"}));
    }

    // Version 2.4: per frame, by the frame's flag; the size counts the stored bytes.
    const clsMP3Tag v24 =
        Read(Id3v2Tag(4, {{"TIT2", test::Unsynchronise(utf16), 0x0002}, Text("TPE1", "After")}, 8));
    EXPECT_EQ(v24.ID3V2TAGTrackName, expected);
    EXPECT_EQ(v24.ID3V2TAGArtist, "After");
}

TEST_F(ReadId3v2, FrameFlagsExtraBytes) {
    // Version 2.4 group identifier (1 byte) and data length indicator (4 bytes) precede the
    // data; a compressed frame is listed but leaves its property alone.
    const clsMP3Tag tag =
        Read(Id3v2Tag(4, {{"TIT2", Cat({{7}, test::Synchsafe(4), TextBody(0, B("abc"))}), 0x0041},
                          {"TPE1", TextBody(0, B("zipped")), 0x0008}}));
    EXPECT_EQ(tag.ID3V2TAGTrackName, "abc");
    EXPECT_EQ(tag.ID3V2TAGArtist, "");
    EXPECT_EQ(tag.FrameName, (std::vector<std::string>{"TIT2", "TPE1"}));
}

TEST_F(ReadId3v2, WalkEnds) {
    const Id3v2Frame a = Text("TIT2", "A"), b = Text("TPE1", "B"), c = Text("TALB", "C");
    const auto frames = [](std::initializer_list<Id3v2Frame> f) {
        return test::Id3v2Frames(3, std::vector<Id3v2Frame>(f));
    };
    struct Case {
        const char* name;
        Bytes file;
        std::vector<std::string> names;
    };
    const Bytes ab = frames({a, b});
    const Case cases[] = {
        {"AtPadding", Id3v2Tag(3, {a, b}, 300), {"TIT2", "TPE1"}},
        // The header claims more than the frames: audio follows at once.
        {"AtAudio",
         Cat({test::Id3v2Header(3, 0, ab.size() + 50), ab, Audio(400)}),
         {"TIT2", "TPE1"}},
        {"AtLowerCaseId", Id3v2Tag(3, {a, Text("tpe1", "x"), c}), {"TIT2"}},
        {"AtDigit", Id3v2Tag(3, {a, Text("1PE1", "x"), c}), {"TIT2"}},
        {"AtZeroSize", Id3v2Tag(3, {a, {"TPE1", {}}, c}), {"TIT2"}},
        // A header that leaves no room for a body inside the tag.
        {"AtTagEnd",
         Cat({test::Id3v2Header(3, 0, ab.size() + 10), ab, frames({c}), Audio(100)}),
         {"TIT2", "TPE1"}},
        {"OnlyId3", B("ID3"), {}},
        {"TruncatedHeader", B("ID3\x03\x00"), {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(Read(k.file).FrameName, k.names);
    }
}

TEST_F(ReadId3v2, LastOfEqualFramesWins) {
    const clsMP3Tag tag =
        Read(Id3v2Tag(3, {Text("TIT2", "first"), Text("TPE1", "A"), Text("TIT2", "second")}));
    EXPECT_EQ(tag.ID3V2TAGTrackName, "second");
}

TEST_F(ReadId3v2, ManyFramesReadNormally) {
    std::vector<Id3v2Frame> frames;
    for (int i = 0; i < 149; ++i)
        frames.push_back(Text("TXXX", std::string("k\0v", 3) + std::to_string(i)));
    frames.push_back(Text("TIT2", "Last"));
    const clsMP3Tag tag = Read(Id3v2Tag(3, frames, 16));
    EXPECT_EQ(tag.FrameName.size(), 150u);
    EXPECT_EQ(tag.ID3V2TAGTrackName, "Last");
}

TEST_F(ReadId3v2, YearFromRecordingTimeWhenNoTyer) {
    EXPECT_EQ(Read(Id3v2Tag(4, {Text("TDRC", "2004-05-06T10:00", 3)})).ID3V2TAGYear, "2004");
    EXPECT_EQ(Read(Id3v2Tag(3, {Text("TDRC", " 1987")})).ID3V2TAGYear, "1987");
    EXPECT_EQ(Read(Id3v2Tag(3, {Text("TYER", "1990"), Text("TDRC", "2004")})).ID3V2TAGYear, "1990");
    EXPECT_EQ(Read(Id3v2Tag(4, {Text("TDRC", "２００４年", 3)})).ID3V2TAGYear, "２００４");
}

TEST_F(ReadId3v2, ClaimedSizesAreClampedToTheFile) {
    // A frame claiming ~2 GB in a small file: read as far as the file goes, nothing huge
    // allocated (the sanitizer build would report it).
    Bytes tag = Id3v2Tag(3, {Text("TIT2", "Title"), Text("TPE1", "Artist")});
    tag[14] = 0x7F, tag[15] = 0xFF, tag[16] = 0xFF;  // TIT2's size
    clsMP3Tag big = Read(tag);
    EXPECT_EQ(big.FrameName, std::vector<std::string>{"TIT2"});
    EXPECT_EQ(big.ID3V2TAGTrackName.substr(0, 5), "Title");

    // A header claiming 256 MB over a 300-byte file.
    Bytes file = Cat({Id3v2Tag(3, {Text("TIT2", "Title")}, 200), Audio(30)});
    file[6] = file[7] = file[8] = file[9] = 0x7F;
    EXPECT_EQ(Read(file).ID3V2TAGTrackName, "Title");

    // A file cut inside a frame's body.
    const Bytes whole = Id3v2Tag(4, {Text("TIT2", "Title"), Text("TPE1", "Artist")});
    EXPECT_EQ(Read(Bytes(whole.begin(), whole.end() - 3)).ID3V2TAGArtist, "Art");
}

TEST_F(ReadId3v2, FailureChangesNothing) {
    clsMP3Tag tag(fs);
    tag.MP3FilePath = Write(Id3v2Tag(3, {Text("TIT2", "First")}));
    ASSERT_TRUE(tag.ReadID3v2Tag());
    tag.ID3V2TAGArtist = "kept";

    tag.MP3FilePath = Write(Cat({Audio(300), Id3v2Tag(3, {Text("TIT2", "x")})}));
    EXPECT_FALSE(tag.ReadID3v2Tag());  // no "ID3" at the start

    tag.MP3FilePath = Write(Id3v2Tag(3, {Text("TIT2", "Refused"), Text("TPE1", "x")}));
    fs.Refuse(test::FsOp::kOpenRead);
    EXPECT_FALSE(tag.ReadID3v2Tag());
    fs.ClearFaults();
    fs.Refuse(test::FsOp::kRead);
    EXPECT_FALSE(tag.ReadID3v2Tag());

    tag.MP3FilePath = dir / "missing.mp3";
    EXPECT_FALSE(tag.ReadID3v2Tag());
    EXPECT_EQ(tag.ID3V2TAGTrackName, "First");
    EXPECT_EQ(tag.ID3V2TAGArtist, "kept");
    EXPECT_EQ(tag.FrameName, std::vector<std::string>{"TIT2"});
}

TEST_F(ReadId3v2, OneOpenAndOneReadForATypicalTag) {
    std::vector<Id3v2Frame> frames = {Text("TIT2", "T"),    Text("TPE1", "A"),   Text("TALB", "B"),
                                      Text("TYER", "2000"), Text("TCON", "Pop"), Text("TRCK", "1")};
    const std::string path = Write(Cat({Id3v2Tag(3, frames, 1500), Audio(20000)}));
    fs.ResetCounts();
    clsMP3Tag tag(fs);
    tag.MP3FilePath = path;
    ASSERT_TRUE(tag.ReadID3v2Tag());
    EXPECT_EQ(fs.Calls(test::FsOp::kOpenRead), 1);
    EXPECT_EQ(fs.Calls(test::FsOp::kRead), 1);
}

bool IsUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += n;
    }
    return true;
}

TEST_F(ReadId3v2, CorruptTagsNeverCrashAndGiveValidText) {
    const Bytes good = Cat(
        {Id3v2Tag(4,
                  {{"TIT2", TextBody(1, test::Utf16LeBom(u"日本"))},
                   {"TPE1", TextBody(3, B("Ünïcode"))},
                   {"USLT", Cat({{2}, B("jpn"), {0, 0}, test::Utf16Be(u"歌詞")})},
                   {"APIC",
                    Cat({{1}, B("image/png"), {0, 3}, test::Utf16LeBom(u"d"), {0, 0}, Audio(64)}),
                    0x0002}},
                  20),
         Audio(100)});
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        Bytes bad = good;
        for (int k = 0; k < 4; ++k)
            bad[3 + rng() % (bad.size() - 3)] = static_cast<std::uint8_t>(rng());
        bad.resize(3 + rng() % (bad.size() - 3));
        clsMP3Tag tag(fs);
        tag.MP3FilePath = dir.Write("bad.mp3", bad);
        ASSERT_TRUE(tag.ReadID3v2Tag());
        for (const std::string& v : Six(tag))
            EXPECT_TRUE(IsUtf8(v)) << round;
        EXPECT_TRUE(IsUtf8(tag.ReadMultilineTxtFrame("USLT"))) << round;
        tag.ReadPictureFrame(dir / "bad.png");
    }
}

}  // namespace
}  // namespace tagwright
