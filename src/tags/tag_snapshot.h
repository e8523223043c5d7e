#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/result.h"
#include "tags/id3v2_frame_table.h"

namespace tagwright {

/// Tag kind flags, as ReadTagType returns them. The values that occur are 0, 1, 3, 8, 9, 11.
namespace TagKind {
inline constexpr std::int16_t kId3v1 = 1;
inline constexpr std::int16_t kId3v11 = 2;  ///< only together with kId3v1
inline constexpr std::int16_t kId3v2 = 8;
}  // namespace TagKind

/// The fields of an ID3v1 / ID3v1.1 trailer, decoded and cleaned.
struct Id3v1Values {
    std::uint8_t version = 1;  ///< 1 = ID3v1.0, 2 = ID3v1.1
    std::string title;
    std::string artist;
    std::string album;
    std::string year;
    std::string comment;
    std::uint8_t genre = 0;
    std::uint8_t track = 0;  ///< 0 in ID3v1.0
};

/// The six text values of an ID3v2 tag; a value is absent when the tag has no such frame.
struct Id3v2Values {
    std::optional<std::string> album;
    std::optional<std::string> artist;
    std::optional<std::string> title;
    std::optional<std::string> year;
    std::optional<std::string> genre;
    std::optional<std::string> track;
    Id3v2FrameTable table;
    std::int32_t tagLength = 0;  ///< offset just past the tag, as its header gives it
};

/// What one read of a file found.
struct TagSnapshot {
    /// TagKind flags. Without TagParts::kKindAndId3v1 only kId3v2 can be set.
    std::int16_t kind = 0;
    std::optional<Id3v1Values> id3v1;  ///< set when the file has a trailer
    std::optional<Id3v2Values> id3v2;  ///< set when the file begins with "ID3" and it was asked for
    /// The open file's identity and stamp, taken before its bytes were read; set only with
    /// TagParts::kKindAndId3v1, unknown where the file system keeps no stamp.
    FileStatus file;
};

/// Which parts of the file a read looks at.
enum class TagParts : std::uint8_t {
    kKindAndId3v1 = 1,  ///< the first bytes, the length and the 128-byte trailer
    kId3v2 = 2,         ///< the ID3v2 tag, read as far as its frames go
    kAll = 3,
};

/// Reads the file's tags with one open: the head (one read that holds a typical ID3v2 tag
/// whole when kId3v2 is asked for, else 3 bytes), the length, the trailer (taken from the head
/// when the file is that short) and, only when the frames go further, more of the tag.
///
/// The kind follows the file's bytes: "ID3" at its start (8), "TAG" 128 bytes before its end
/// in a file of 256 bytes or more (1), and byte 125 of that trailer 0 (ID3v1.1, 1 + 2). ID3v2
/// text is decoded by each frame's encoding and cleaned by CleanFieldText; without a TYER
/// frame the year is the first four characters of TDRC; of two equal frames the last wins.
///
/// Any refusal of the file system (open, measure, read) is the result's error.
Result<TagSnapshot> ReadTags(FileSystem& fs, const std::string& path,
                             TagParts parts = TagParts::kAll);
/// ReadTags of a file open already as `reader`, of the path `path`. `status`, when given, is
/// the reader's Status taken before any read, and is not asked again.
Result<TagSnapshot> ReadTagsFrom(ByteReader& reader, const std::string& path, TagParts parts,
                                 const FileStatus* status = nullptr);

/// NUL characters made blanks, then blanks (U+0020 only) trimmed at both ends.
std::string CleanFieldText(std::string text);

}  // namespace tagwright
