#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

/// The benchmarks' own files: a scratch folder and the MP3 bytes they time reads of. Kept apart
/// from the tests' builders so that a benchmark never depends on test code.
namespace tagwright::bench {

using Bytes = std::vector<std::uint8_t>;

/// A fresh folder under the system's temporary folder, removed with its contents when the
/// object goes.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    /// Writes a file, creating its parent folders, and returns its full path.
    std::string Write(const std::string& relative, const Bytes& bytes) const;
    std::string MakeFolder(const std::string& relative) const;

  private:
    std::string m_path;
};

/// The bytes as they stand ("\x93\xFA" escapes for code page 932).
Bytes Raw(std::string_view text);
Bytes Cat(std::initializer_list<Bytes> parts);
/// n bytes of fake MPEG audio: frame syncs, and never "TAG" or "ID3".
Bytes Audio(std::size_t n);

/// The fields of a 128-byte ID3v1 trailer; a track of 0..255 makes it ID3v1.1.
struct Id3v1Fields {
    std::string title, artist, album, year;
    int track = -1;
    std::uint8_t genre = 255;
};
Bytes Id3v1(const Id3v1Fields& fields);

/// A text frame body: the encoding byte and the text's bytes as given.
Bytes TextFrame(std::uint8_t encoding, std::string_view bytes);
/// A text frame body in UTF-16 with a little-endian byte-order mark.
Bytes Utf16Frame(std::u16string_view text);
/// An ID3v2.3 tag of (frame ID, body) frames, then `padding` zero bytes.
Bytes Id3v23(const std::vector<std::pair<std::string, Bytes>>& frames, std::size_t padding);

}  // namespace tagwright::bench
