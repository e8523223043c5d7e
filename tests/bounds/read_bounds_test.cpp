// Reading a file, however corrupt, costs memory bounded by a small multiple of the tag bytes the
// file holds, and work linear in them: measured by counting every allocation of this process
// (the executable replaces operator new) and every byte the reader asks of the file system.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>

#include "support/memory_file_system.h"
#include "support/mp3_bytes.h"
#include "tags/mp3_tag.h"

namespace {

// Live bytes, the highest they reached, and the number of allocations, since process start.
std::size_t g_live = 0;
std::size_t g_peak = 0;
std::size_t g_count = 0;

struct alignas(std::max_align_t) Header {
    std::size_t size;
};

}  // namespace

// Kept out of line: inlined into a caller, the header arithmetic looks like a stray access to
// the compiler's bounds and new/delete pairing checks.
[[gnu::noinline]] void* operator new(std::size_t n) {
    void* p = std::malloc(n + sizeof(Header));
    if (p == nullptr)
        throw std::bad_alloc();
    static_cast<Header*>(p)->size = n;
    g_live += n;
    g_peak = std::max(g_peak, g_live);
    ++g_count;
    return static_cast<Header*>(p) + 1;
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
    if (p == nullptr)
        return;
    Header* h = static_cast<Header*>(p) - 1;
    g_live -= h->size;
    std::free(h);
}
void* operator new[](std::size_t n) {
    return operator new(n);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace tagwright::test {
namespace {

// Byte texts hold NULs: string_view literals keep them.
using namespace std::string_view_literals;

/// What one full read of a file cost.
struct Cost {
    std::size_t peakBytes = 0;    ///< the most memory held at once beyond what was held before
    std::size_t allocations = 0;  ///< how many allocations were made
    std::uint64_t bytesRead = 0;  ///< bytes asked of the file system
    int opens = 0;
    std::size_t frames = 0;  ///< frames the ID3v2 read listed
};

constexpr const char* kSong = "/m/song.mp3";

// Every reading operation of the tag reader, as a front end with lyrics and a cover uses them.
Cost ReadEverything(const Bytes& file) {
    MemoryFileSystem fs;
    fs.Put(kSong, file);
    const std::size_t before = g_live;
    const std::size_t countBefore = g_count;
    g_peak = g_live;
    std::size_t frames = 0;
    {
        clsMP3Tag reader(fs);
        reader.MP3FilePath = kSong;
        (void)reader.ReadTagType();
        (void)reader.ReadID3v1Tag();
        (void)reader.ReadID3v2Tag();
        frames = reader.FrameName.size();
        (void)reader.ReadMultilineTxtFrame("USLT");
        (void)reader.ReadMultilineTxtFrame("COMM");
        (void)reader.ReadPictureFrame("/m/cover");
    }
    return Cost{g_peak - before, g_count - countBefore, fs.BytesRead(), fs.Opens(), frames};
}

Bytes Frame3(const std::string& id, const Bytes& body) {
    return Id3v2Frames(3, {Id3v2Frame{id, body}});
}

// A version 2.3 tag of the given frames, claiming exactly their size.
Bytes Tag3(const Bytes& frames) {
    return Cat({Id3v2Header(3, 0, frames.size()), frames});
}

Bytes OneByteFrames(std::size_t n) {
    Bytes frames;
    frames.reserve(n * 11);
    const Bytes one = Frame3("TXXX", Bytes{0});
    for (std::size_t i = 0; i < n; ++i)
        frames.insert(frames.end(), one.begin(), one.end());
    return Tag3(frames);
}

struct BoundCase {
    const char* name;
    Bytes file;
};

// The name alone: a megabyte of bytes in every test's title helps nobody.
void PrintTo(const BoundCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<BoundCase> Cases() {
    const Bytes someFrames = Id3v2Frames(3, {{"TIT2", TextBody(0, B("title"sv))},
                                             {"USLT", Cat({B("\x00jpn\x00"sv), B("lyrics"sv)})}});
    const Bytes noTerminators(1 << 20, 0x01);
    const Bytes undecodable(1 << 20, 0xFD);
    Bytes loneSurrogates;
    for (int i = 0; i < (1 << 19); ++i)
        loneSurrogates.insert(loneSurrogates.end(), {0x00, 0xD8});
    Bytes allFF(1 << 20, 0xFF);
    return {
        // A header claiming 256 MB (the largest synchsafe size) over a few hundred bytes.
        {"Claims256MB", Cat({B("ID3\x03\x00\x00\x7F\x7F\x7F\x7F"sv), someFrames, Audio(4000)})},
        // Size bytes taken at their full value: the largest size a header can claim.
        {"ClaimsMoreWithTopBitsSet", Cat({B("ID3\x04\x00\x00\xFF\xFF\xFF\xFF"sv), someFrames})},
        // A frame claiming 4 GB inside a small tag.
        {"FrameClaims4GB", Tag3(Cat({B("TIT2\xFF\xFF\xFF\xFF\x00\x00\x00"sv), Bytes(500, 'a')}))},
        {"HundredThousandOneByteFrames", OneByteFrames(100000)},
        // A picture frame whose MIME type never ends, and one whose UTF-16 description never
        // ends: the scans stop at the frame's end.
        {"ApicWithoutTerminators", Tag3(Frame3("APIC", Cat({Bytes{0}, noTerminators})))},
        {"ApicUtf16DescriptionWithoutEnd",
         Tag3(Frame3("APIC", Cat({Bytes{1}, B("image/png"sv), Bytes{0, 3}, noTerminators})))},
        // Lyrics and title of bytes that decode to nothing but replacement characters.
        {"LyricsOfUndecodableBytes",
         Tag3(Cat({Frame3("USLT", Cat({B("\x00jpn\x00"sv), undecodable})),
                   Frame3("TIT2", Cat({Bytes{0}, undecodable}))}))},
        {"CommentOfLoneSurrogates",
         Tag3(Frame3("COMM", Cat({B("\x01jpn\xFF\xFE\x00\x00\xFF\xFE"sv), loneSurrogates})))},
        // A whole tag unsynchronised, nothing but 0xFF bytes.
        {"UnsynchronisedFF", Cat({Id3v2Header(3, 0x80, allFF.size()), allFF})},
        {"Empty", Bytes{}},
        {"OnlyId3", B("ID3"sv)},
    };
}

class ReadBounds : public ::testing::TestWithParam<BoundCase> {};

TEST_P(ReadBounds, MemoryAndReadsStayWithinASmallMultipleOfTheFile) {
    const Bytes& file = GetParam().file;
    const Cost cost = ReadEverything(file);
    // The tag can hold no more bytes than the file; every frame header costs a table entry
    // (about 90 bytes with its name), so 16 times the file plus a fixed 64 KB covers them all.
    EXPECT_LE(cost.peakBytes, 16 * file.size() + 65536) << "peak " << cost.peakBytes;
    // Each of the six reads looks at the file at most once.
    EXPECT_LE(cost.bytesRead, 6 * file.size() + 4096);
    EXPECT_LE(cost.opens, 6);
    RecordProperty("peak_bytes", std::to_string(cost.peakBytes));
    RecordProperty("file_bytes", std::to_string(file.size()));
}

INSTANTIATE_TEST_SUITE_P(Hostile, ReadBounds, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Twice the frames cost twice the work, not four times: allocations, peak memory and bytes read
// grow in proportion, and every frame is listed.
TEST(ReadBounds, WorkGrowsLinearlyWithTheNumberOfFrames) {
    const Cost half = ReadEverything(OneByteFrames(50000));
    const Cost full = ReadEverything(OneByteFrames(100000));
    EXPECT_EQ(half.frames, 50000u);
    EXPECT_EQ(full.frames, 100000u);
    EXPECT_LE(full.allocations, 2 * half.allocations + 64);
    EXPECT_LE(full.peakBytes, 2 * half.peakBytes + 65536);
    EXPECT_LE(full.bytesRead, 2 * half.bytesRead + 4096);
}

// A header may claim half a gigabyte over a few frames and the audio: the reads cover the
// frames, not the claim, also when the frames fill more than the first read.
TEST(ReadBounds, AHugeClaimedTagCostsWhatItsFramesUse) {
    const Bytes frames =
        Id3v2Frames(4, {{"TIT2", TextBody(0, B("title"sv))},
                        {"APIC", Cat({B("\x00image/png\x00\x03\x00"sv), Bytes(20000, 0x89)})}});
    for (const Bytes& head : {B("ID3\x04\x00\x00\xFF\xFF\xFF\xFF"sv), Id3v2Header(4, 0, 1 << 27)}) {
        const Bytes file = Cat({head, frames, Audio(8 << 20)});
        const Cost cost = ReadEverything(file);
        EXPECT_EQ(cost.frames, 2u);
        EXPECT_LE(cost.bytesRead, 6 * (frames.size() + 16384 + 4096));
        EXPECT_LE(cost.peakBytes, 8 * (frames.size() + 16384 + 4096));
    }
}

// The same for one long frame of undecodable text: the decoder's work is per byte.
TEST(ReadBounds, UndecodableTextCostsInProportionToItsLength) {
    const auto lyrics = [](std::size_t n) {
        return Tag3(Frame3("USLT", Cat({B("\x00jpn\x00"sv), Bytes(n, 0xFD)})));
    };
    const Cost half = ReadEverything(lyrics(1 << 19));
    const Cost full = ReadEverything(lyrics(1 << 20));
    EXPECT_LE(full.allocations, 2 * half.allocations + 64);
    EXPECT_LE(full.peakBytes, 2 * half.peakBytes + 65536);
}

}  // namespace
}  // namespace tagwright::test
