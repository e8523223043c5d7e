// One input is one MP3 file: every reading operation of the tag reader runs over it, in memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_checks.h"
#include "support/memory_file_system.h"
#include "tags/mp3_tag.h"

using tagwright::clsMP3Tag;
using tagwright::FileError;
using tagwright::fuzz::IsValidUtf8;

namespace {

constexpr const char* kSong = "/music/song.mp3";
constexpr const char* kPicture = "/music/cover.jpg";

// Text the reader gives out: valid UTF-8, and never more than a few bytes per byte of the file
// (UTF-16 and undecodable code page 932 bytes give at most 3 bytes of UTF-8 per input byte).
void CheckText(const std::string& text, std::size_t fileSize) {
    FUZZ_CHECK(IsValidUtf8(text));
    FUZZ_CHECK(text.size() <= 3 * fileSize + 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> file(data, data + size);
    tagwright::test::MemoryFileSystem fs;
    fs.Put(kSong, file);

    clsMP3Tag reader(fs);
    reader.MP3FilePath = kSong;
    const std::int16_t flags = reader.ReadTagType();
    FUZZ_CHECK(flags == 0 || flags == 1 || flags == 3 || flags == 8 || flags == 9 || flags == 11);

    FUZZ_CHECK(reader.ReadID3v1Tag() == ((flags & 1) != 0));
    for (const std::string* v :
         {&reader.ID3V1TAGTrackName, &reader.ID3V1TAGArtistName, &reader.ID3V1TAGAlbumName,
          &reader.ID3V1TAGYear, &reader.ID3V1TAGComment}) {
        CheckText(*v, size);
        FUZZ_CHECK(v->size() <= 3 * 30);
    }

    // Nothing can fail to read in memory, so the reader's answer depends on the header alone.
    FUZZ_CHECK(reader.ReadID3v2Tag() == ((flags & 8) != 0));
    for (const std::string* v :
         {&reader.ID3V2TAGAlbum, &reader.ID3V2TAGArtist, &reader.ID3V2TAGTrackName,
          &reader.ID3V2TAGYear, &reader.ID3V2TAGGenre, &reader.ID3V2TAGTrackNo}) {
        CheckText(*v, size);
    }
    // Every frame takes at least its 6-byte (version 2.2) header and one body byte.
    FUZZ_CHECK(reader.FrameName.size() * 7 <= size);
    for (const std::string& id : reader.FrameName) {
        FUZZ_CHECK(IsValidUtf8(id));
        FUZZ_CHECK(!id.empty() && id[0] >= 'A' && id[0] <= 'Z');
    }

    CheckText(reader.ReadMultilineTxtFrame("USLT"), size);
    CheckText(reader.ReadMultilineTxtFrame("COMM"), size);
    FUZZ_CHECK(reader.ReadMultilineTxtFrame("TIT2").empty());

    if (reader.ReadPictureFrame(kPicture)) {
        const std::vector<std::uint8_t>* picture = fs.Get(kPicture);
        FUZZ_CHECK(picture != nullptr && !picture->empty() && picture->size() < size);
    } else {
        FUZZ_CHECK(fs.Get(kPicture) == nullptr);
    }
    // The picture must never be written over the song itself.
    FUZZ_CHECK(!reader.ReadPictureFrame(kSong));
    FUZZ_CHECK(*fs.Get(kSong) == file);

    // A second read of the same file by the same reader gives the same answers.
    const std::string title = reader.ID3V2TAGTrackName;
    const std::vector<std::string> frames = reader.FrameName;
    FUZZ_CHECK(reader.ReadID3v2Tag() == ((flags & 8) != 0));
    FUZZ_CHECK(reader.ID3V2TAGTrackName == title && reader.FrameName == frames);
    return 0;
}
