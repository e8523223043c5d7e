#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "tags/id3v2_frame_table.h"
#include "tags/tag_snapshot.h"

namespace tagwright {

/// The tag reader: reads the tags of the file named by MP3FilePath into its public members,
/// each call through one ReadTags. Its throwing calls are for callers that want exceptions;
/// the rest of the program reads through ReadTags and its Result.
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

    /// Reads the ID3v2 tag (versions 2.2, 2.3 and 2.4) into the frame table and FrameName and
    /// fills the six ID3V2TAG properties from its text frames. Text in encodings 0 (code page
    /// 932), 1 and 2 (UTF-16) and 3 (UTF-8) is decoded, then cleaned by CleanFieldText. Without
    /// a TYER frame, the year is the first four characters of TDRC. Genre and track are kept as
    /// stored ("(13)", "3/12"); of two equal frames the last wins.
    ///
    /// False when the file does not begin with "ID3" or cannot be read; then no property,
    /// FrameName or frame table changes. Never throws. Reads the file with one open and
    /// (for tags up to 4 KB) one read, never further than the frames go, whatever size the
    /// header claims, and never more bytes than the file holds.
    bool ReadID3v2Tag();

    /// Reads the ID3v1/ID3v1.1 trailer; false (nothing changed) when the file has none.
    /// Throws FileError when the file cannot be read.
    bool ReadID3v1Tag();

    /// The text of the last lyrics frame ("USLT") or the first comment frame ("COMM") in the
    /// frame table, decoded by the frame's encoding after its content descriptor, with line
    /// breaks, NULs and blanks as stored. The empty text for any other ID, when the tag has no
    /// such frame or the frame is too short to hold text.
    ///
    /// Uses the frame table of the last ReadID3v2Tag that returned true for this same
    /// MP3FilePath. Without one (no successful read yet, or MP3FilePath changed since) it
    /// reads nothing and gives the empty text, rather than reading another file's offsets;
    /// likewise when the file no longer holds that frame where the table says. Throws FileError
    /// when the file cannot be read.
    std::string ReadMultilineTxtFrame(const std::string& Frame);

    /// Writes the picture of the first APIC frame in the frame table to CreatePicturePath,
    /// exactly the picture bytes, replacing a file of that name. The MIME type and the
    /// description (in the frame's encoding) are skipped within the frame's bounds.
    ///
    /// False, and nothing written, when there is no usable frame table (as for
    /// ReadMultilineTxtFrame), no APIC frame, a frame without picture bytes, or when
    /// CreatePicturePath names the MP3 file itself. Throws FileError when the MP3 file cannot
    /// be read or the picture file cannot be written.
    bool ReadPictureFrame(const std::string& CreatePicturePath);

    /// Sets the ID3v1 members from the values of a read. Public so that a caller holding a
    /// snapshot fills a reader without reading the file again.
    void TakeId3v1(const Id3v1Values& v);
    /// Sets the ID3v2 members, FrameName and the frame table from the values of a read; a value
    /// the tag lacks leaves its member as it was.
    void TakeId3v2(Id3v2Values v);

  private:
    /// The usable frame table entry with that (version 2.3/2.4) ID: the first or the last.
    const Id3v2FrameEntry* FindFrame(std::string_view id, bool last) const;
    /// The data of one frame of the table, re-read from the file; nullopt when the file no
    /// longer holds that frame there.
    std::optional<std::vector<std::uint8_t>> ReadFrameData(const Id3v2FrameEntry& entry);

    FileSystem* m_fs;
    std::int32_t TagLength = 0;   ///< offset just past the tag, as its header gives it
    std::int32_t FrameCount = 0;  ///< frames accepted by the last walk
    std::optional<Id3v2FrameTable> m_table;
};

}  // namespace tagwright
