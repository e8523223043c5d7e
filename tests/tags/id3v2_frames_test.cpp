// Lyrics, comments and pictures from the frame table of the last ID3v2 read.
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
using test::Id3v2Frame;
using test::Id3v2Tag;

Bytes Z(std::size_t n = 1) {
    return Bytes(n, 0);
}

/// A USLT/COMM body: encoding, language, descriptor (with its terminator as given), text.
Bytes LangBody(std::uint8_t encoding, const Bytes& descriptor, const Bytes& text) {
    return Cat({{encoding}, B("jpn"), descriptor, text});
}

Bytes Jpeg(std::size_t n) {
    Bytes out = Cat({{0xFF, 0xD8, 0xFF, 0xE0}, Audio(n - 4)});
    out[n / 2] = 0;  // a zero byte inside the picture must not end anything
    return out;
}

Bytes ApicBody(std::uint8_t encoding, const Bytes& description, const Bytes& picture) {
    return Cat({{encoding}, B("image/jpeg"), Z(), {3}, description, picture});
}

class FrameTable : public ::testing::Test {
  protected:
    /// A reader that has read a file made of the tag and some audio.
    clsMP3Tag ReadFile(int version, const std::vector<Id3v2Frame>& frames) {
        clsMP3Tag tag(fs);
        tag.MP3FilePath = dir.Write("f" + std::to_string(++n) + ".mp3",
                                    Cat({Id3v2Tag(version, frames, 32), Audio(300)}));
        EXPECT_TRUE(tag.ReadID3v2Tag());
        return tag;
    }
    std::string Lyrics(int version, const Bytes& body, const std::string& id = "USLT") {
        return ReadFile(version, {{id, body}}).ReadMultilineTxtFrame(version == 2 ? "USLT" : id);
    }
    test::TempDir dir;
    test::FaultFileSystem fs;
    int n = 0;
};

TEST_F(FrameTable, LyricsByEncodingAfterTheDescriptor) {
    struct Case {
        const char* name;
        Bytes body;
        std::string lyrics;
    };
    const Case cases[] = {
        {"ShiftJisEmptyDescriptor", LangBody(0, Z(), B("\x89\xCC\r\n\x8E\x8C\n")), "歌\r\n詞\n"},
        {"Latin1WithDescriptor", LangBody(0, Cat({B("desc"), Z()}), B(" line1\nline2 ")),
         " line1\nline2 "},
        {"Utf16DescriptorAndText",
         LangBody(1, Cat({test::Utf16LeBom(u"説明A"), Z(2)}), test::Utf16LeBom(u"一\n二")),
         "一\n二"},
        // "A" in UTF-16LE is 41 00: a single-zero scan would end the descriptor inside it.
        {"Utf16BeDescriptorWithZeroByte",
         LangBody(2, Cat({test::Utf16Be(u"A"), Z(2)}), test::Utf16Be(u"ok")), "ok"},
        {"Utf8", LangBody(3, Cat({B("d"), Z()}), B("über\n")), "über\n"},
        {"NoDescriptorTerminator", LangBody(0, {}, B("no terminator")), ""},
        {"TooShortForText", Cat({{0}, B("jp")}), ""},
        {"OnlyTheTerminator", LangBody(0, Z(), {}), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lyrics(3, c.body), c.lyrics);
        EXPECT_EQ(Lyrics(4, c.body), c.lyrics);
    }
    EXPECT_EQ(Lyrics(2, LangBody(0, Z(), B("v2.2 lyrics")), "ULT"), "v2.2 lyrics");
}

TEST_F(FrameTable, WhichFrameAnIdReads) {
    clsMP3Tag tag = ReadFile(3, {{"USLT", LangBody(0, Z(), B("first lyrics"))},
                                 {"COMM", LangBody(0, Z(), B("main comment"))},
                                 {"TIT2", test::TextBody(0, B("Title"))},
                                 {"COMM", LangBody(0, Cat({B("iTunNORM"), Z()}), B("junk"))},
                                 {"USLT", LangBody(0, Z(), B("last lyrics"))}});
    EXPECT_EQ(tag.ReadMultilineTxtFrame("USLT"), "last lyrics");
    EXPECT_EQ(tag.ReadMultilineTxtFrame("COMM"), "main comment");
    EXPECT_EQ(tag.ReadMultilineTxtFrame("TIT2"), "");
    EXPECT_EQ(tag.ReadMultilineTxtFrame("usLT"), "");
    EXPECT_EQ(ReadFile(3, {{"TIT2", test::TextBody(0, B("x"))}}).ReadMultilineTxtFrame("USLT"), "");
    EXPECT_EQ(ReadFile(2, {{"COM", LangBody(0, Z(), B("c22"))}}).ReadMultilineTxtFrame("COMM"),
              "c22");
}

TEST_F(FrameTable, PictureBytesAreWrittenExactly) {
    const Bytes jpeg = Jpeg(5000);
    struct Case {
        const char* name;
        int version;
        Id3v2Frame frame;
    };
    const Case cases[] = {
        {"EmptyDescription", 3, {"APIC", ApicBody(0, Z(), jpeg)}},
        {"Latin1Description", 3, {"APIC", ApicBody(0, Cat({B("Cover"), Z()}), jpeg)}},
        {"Utf16Description",
         3,
         {"APIC", ApicBody(1, Cat({test::Utf16LeBom(u"A表紙"), Z(2)}), jpeg)}},
        {"Utf16BeDescription", 4, {"APIC", ApicBody(2, Cat({test::Utf16Be(u"A"), Z(2)}), jpeg)}},
        {"UnsynchronisedFrame", 4, {"APIC", test::Unsynchronise(ApicBody(0, Z(), jpeg)), 0x0002}},
        {"Version22", 2, {"PIC", Cat({{0}, B("JPG"), {3}, Z(), jpeg})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clsMP3Tag tag = ReadFile(c.version, {{c.version == 2 ? "TT2" : "TIT2", {0, 'x'}}, c.frame});
        const std::string out = dir / (std::string(c.name) + ".jpg");
        ASSERT_TRUE(tag.ReadPictureFrame(out));
        EXPECT_EQ(test::ReadAll(out), jpeg);
    }
}

TEST_F(FrameTable, FirstPictureReplacesAnExistingFile) {
    const Bytes first = Jpeg(300), second = Jpeg(900);
    clsMP3Tag tag =
        ReadFile(3, {{"APIC", ApicBody(0, Z(), first)}, {"APIC", ApicBody(0, Z(), second)}});
    const std::string out = dir.Write("cover.jpg", Bytes(4000, 'x'));
    ASSERT_TRUE(tag.ReadPictureFrame(out));
    EXPECT_EQ(test::ReadAll(out), first);
}

TEST_F(FrameTable, NoPictureWritesNothing) {
    const std::string out = dir / "none.jpg";
    struct Case {
        const char* name;
        std::vector<Id3v2Frame> frames;
    };
    const Case cases[] = {
        {"NoApic", {{"TIT2", {0, 'x'}}}},
        {"MimeWithoutTerminator", {{"APIC", Cat({{0}, B("image/jpeg")})}}},
        {"DescriptionRunsToTheEnd", {{"APIC", ApicBody(1, test::Utf16LeBom(u"no end"), {})}}},
        {"NoPictureBytes", {{"APIC", ApicBody(0, Z(), {})}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadFile(3, c.frames).ReadPictureFrame(out));
        EXPECT_FALSE(fs.FileExists(out));
    }
}

TEST_F(FrameTable, WithoutATableForThisFileNothingIsRead) {
    const Bytes tagged = Id3v2Tag(
        3, {{"USLT", LangBody(0, Z(), B("lyrics"))}, {"APIC", ApicBody(0, Z(), Jpeg(100))}});
    const std::string a = dir.Write("a.mp3", tagged);
    const std::string out = dir / "out.jpg";

    clsMP3Tag fresh(fs);
    fresh.MP3FilePath = a;
    EXPECT_EQ(fresh.ReadMultilineTxtFrame("USLT"), "");
    EXPECT_FALSE(fresh.ReadPictureFrame(out));

    // A table left from another file must not be applied to this one.
    clsMP3Tag tag(fs);
    tag.MP3FilePath = a;
    ASSERT_TRUE(tag.ReadID3v2Tag());
    tag.MP3FilePath = dir.Write("b.mp3", Cat({Audio(200), tagged}));
    EXPECT_FALSE(tag.ReadID3v2Tag());
    EXPECT_EQ(tag.ReadMultilineTxtFrame("USLT"), "");
    EXPECT_FALSE(tag.ReadPictureFrame(out));

    // Nor when the file changed under the table since the read.
    tag.MP3FilePath = a;
    ASSERT_TRUE(tag.ReadID3v2Tag());
    dir.Write("a.mp3", Id3v2Tag(3, {{"TIT2", {0, 'x'}}, {"TPE1", {0, 'y'}}}, 200));
    EXPECT_EQ(tag.ReadMultilineTxtFrame("USLT"), "");
    EXPECT_FALSE(tag.ReadPictureFrame(out));
    EXPECT_FALSE(fs.FileExists(out));
}

TEST_F(FrameTable, PictureNeverOverwritesTheMp3) {
    clsMP3Tag tag = ReadFile(3, {{"APIC", ApicBody(0, Z(), Jpeg(100))}});
    const Bytes before = test::ReadAll(tag.MP3FilePath);
    EXPECT_FALSE(tag.ReadPictureFrame(tag.MP3FilePath));
    EXPECT_EQ(test::ReadAll(tag.MP3FilePath), before);
}

TEST_F(FrameTable, FileErrorsReachTheCaller) {
    clsMP3Tag tag =
        ReadFile(3, {{"USLT", LangBody(0, Z(), B("l"))}, {"APIC", ApicBody(0, Z(), Jpeg(100))}});
    fs.Refuse(test::FsOp::kWriteFile);
    EXPECT_THROW(tag.ReadPictureFrame(dir / "p.jpg"), FileError);
    fs.Refuse(test::FsOp::kOpenRead);
    EXPECT_THROW(tag.ReadMultilineTxtFrame("USLT"), FileError);
}

}  // namespace
}  // namespace tagwright
