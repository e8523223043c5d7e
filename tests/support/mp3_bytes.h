#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

/// Builders of MP3 file bytes for tests: every test file is made here, in code.
namespace tagwright::test {

using Bytes = std::vector<std::uint8_t>;

/// The bytes of a text as they stand (UTF-8 source text, or "\x82\xa0" escapes for CP932).
Bytes B(std::string_view text);
/// a + b + ...
Bytes Cat(std::initializer_list<Bytes> parts);

/// n bytes of fake MPEG audio: frame sync 0xFF 0xFB, then a repeating pattern without "TAG" or
/// "ID3" in it.
Bytes Audio(std::size_t n);

struct Id3v1Fields {
    Bytes title, artist, album, year, comment;
    int track = -1;  ///< < 0: ID3v1.0 (comment may fill 30 bytes); 0..255: ID3v1.1
    std::uint8_t genre = 255;
};
/// A 128-byte trailer "TAG" + fields padded with NUL bytes (cut to their widths).
Bytes Id3v1Trailer(const Id3v1Fields& fields);

struct Id3v2Frame {
    std::string id;  ///< 4 characters (3 for version 2.2)
    Bytes body;
    std::uint16_t flags = 0;
};
/// A text frame body: the encoding byte, then the text bytes as given.
Bytes TextBody(std::uint8_t encoding, const Bytes& text);
/// UTF-16 text with a byte-order mark (little-endian), from UTF-8.
Bytes Utf16LeBom(std::u16string_view text);
Bytes Utf16Be(std::u16string_view text);

/// A synchsafe 32-bit number (7 bits a byte).
Bytes Synchsafe(std::uint32_t value);

/// The frames with headers of the version's layout, as they follow the tag header.
Bytes Id3v2Frames(int majorVersion, const std::vector<Id3v2Frame>& frames);
/// The 10-byte tag header "ID3" with a synchsafe size of `size` bytes after it.
Bytes Id3v2Header(int majorVersion, std::uint8_t flags, std::size_t size);
/// Unsynchronised bytes: a 0x00 after every 0xFF (more than writers insert, but read alike).
Bytes Unsynchronise(const Bytes& bytes);

/// An ID3v2 tag: header "ID3", version, flags, synchsafe size, then the frames with headers of
/// the version's layout (2.2: 3-byte ID and size; 2.3: plain 32-bit size; 2.4: synchsafe
/// size), then `padding` zero bytes.
Bytes Id3v2Tag(int majorVersion, const std::vector<Id3v2Frame>& frames, std::size_t padding = 0,
               std::uint8_t headerFlags = 0);

}  // namespace tagwright::test
