#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tagwright {

/// Tag kind flags, as ReadTagType returns them. The values that occur are 0, 1, 3, 8, 9, 11.
namespace TagKind {
inline constexpr std::int16_t kId3v1 = 1;
inline constexpr std::int16_t kId3v11 = 2;  ///< only together with kId3v1
inline constexpr std::int16_t kId3v2 = 8;
}  // namespace TagKind

/// NUL characters made blanks, then blanks (U+0020 only) trimmed at both ends.
std::string CleanFieldText(std::string text);

/// The tag reader: reads the tags of the file named by MP3FilePath into its public members.
///
/// A value the file does not supply keeps what the object held before, so use a fresh reader
/// per file. No file handle is held between calls: the file may be renamed as soon as a
/// reading operation returns.
// NOLINTNEXTLINE(readability-identifier-naming): the class keeps its established name.
class clsMP3Tag {
  public:
    explicit clsMP3Tag(FileSystem& fs = RealFileSystem()) : m_fs(&fs) {}

    std::string ID3V2TAGAlbum;
    std::string ID3V2TAGArtist;
    std::string ID3V2TAGTrackName;
    std::string ID3V2TAGYear;
    std::string ID3V2TAGGenre;
    std::string ID3V2TAGTrackNo;
    std::uint8_t ID3V1TAGVersion = 0;  ///< 1 = ID3v1.0, 2 = ID3v1.1
    std::string ID3V1TAGTrackName;
    std::string ID3V1TAGArtistName;
    std::string ID3V1TAGAlbumName;
    std::string ID3V1TAGYear;
    std::string ID3V1TAGComment;
    std::uint8_t ID3V1TAGGenre = 0;
    std::uint8_t ID3V1TAGTrackNo = 0;
    std::string MP3FilePath;
    std::vector<std::string> FrameName;

    /// Which tags the file carries: "ID3" at its start (8), "TAG" 128 bytes before its end in a
    /// file of 256 bytes or more (1), and byte 125 of that trailer 0 (ID3v1.1, 1 + 2).
    /// Throws FileError when the file cannot be opened or measured.
    std::int16_t ReadTagType();

    /// Reads the ID3v2 tag's text frames; false when the file has none or it cannot be read.
    /// Never throws.
    bool ReadID3v2Tag();

    /// Reads the ID3v1/ID3v1.1 trailer; false (nothing changed) when the file has none.
    /// Throws FileError when the file cannot be read.
    bool ReadID3v1Tag();

    /// The text of the lyrics ("USLT") or first comment ("COMM") frame found by the last
    /// ReadID3v2Tag; the empty text for any other ID or when there is none.
    std::string ReadMultilineTxtFrame(const std::string& Frame);

    /// Writes the picture of the first APIC frame found by the last ReadID3v2Tag to
    /// CreatePicturePath, replacing a file of that name. False when the tag has no picture.
    bool ReadPictureFrame(const std::string& CreatePicturePath);

  private:
    struct Probe {
        std::int16_t flags = 0;
        std::uint64_t length = 0;
        std::uint8_t trailer[128] = {};
    };
    Probe ProbeFile(ByteReader& reader);

    FileSystem* m_fs;
};

}  // namespace tagwright
