#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace tagwright {

/// The bytes of the ID3v2 tag at the start of a file, read as far as a walk has needed them.
struct Id3v2TagBytes {
    std::uint8_t version = 0;    ///< the major version byte as stored (2, 3, 4)
    std::uint8_t flags = 0;      ///< the header's flag byte
    std::int32_t tagLength = 0;  ///< the header's size + 10: the claimed offset past the tag
    /// From file offset 0 as far as read so far, never past the tag's end or the file's end.
    /// When the whole tag is unsynchronised (versions 2.2 and 2.3) that is undone after the
    /// header, so frame offsets are offsets into this buffer.
    std::vector<std::uint8_t> bytes;

    /// Reads on from `reader` (the file the tag came from, still open) until `bytes` holds `end`
    /// bytes; false when the tag or the file ends first, or a read is refused (ReadError). A
    /// header may claim hundreds of megabytes over a few frames and audio, so the tag is read
    /// only as far as it is used.
    bool Ensure(ByteReader& reader, std::size_t end);

    /// The refusal that stopped reading on, if one did: what was read is then incomplete.
    const std::optional<Error>& ReadError() const { return m_error; }

  private:
    friend std::optional<Id3v2TagBytes> Id3v2TagFromHead(std::vector<std::uint8_t> head,
                                                         std::size_t got,
                                                         std::optional<std::uint64_t> fileSize);
    void Append(std::size_t from, std::size_t got);

    std::uint64_t m_readTo = 0;            ///< file offset up to which the file has been read
    std::optional<std::uint64_t> m_limit;  ///< the tag's end or the file's, once measured
    bool m_lastWasFF = false;              ///< an unsynchronised 0xFF ended the last piece
    std::optional<Error> m_error;
};

/// How much of a file's start the first read takes: a typical tag (text frames and padding)
/// fits, so one read gets header and tag at once.
inline constexpr std::size_t kId3v2FirstRead = 4096;

/// The tag from the first `got` bytes of the file (`head` as read, of kId3v2FirstRead bytes
/// or fewer); `fileSize` when already measured. nullopt when the file does not begin with
/// "ID3".
std::optional<Id3v2TagBytes> Id3v2TagFromHead(std::vector<std::uint8_t> head, std::size_t got,
                                              std::optional<std::uint64_t> fileSize);

/// Reads the tag header and the first kId3v2FirstRead bytes; the walk reads on as it needs.
/// Never asks for more than the file holds, whatever size the header claims. nullopt when the
/// file does not begin with "ID3".
Result<std::optional<Id3v2TagBytes>> LoadId3v2Tag(ByteReader& reader);

/// One frame a walk accepted. Offsets index Id3v2TagBytes::bytes.
struct Id3v2FrameEntry {
    std::string FrameID;          ///< as found: three characters in a version 2.2 tag
    std::int32_t FrameSize = 0;   ///< body size, clamped to what the tag and the file hold
    std::int32_t FramePos = 0;    ///< offset of the frame header
    std::int32_t FrameEnd = 0;    ///< offset of the body's last byte
    std::int32_t DataPos = 0;     ///< offset of the data, past the flags' extra bytes
    bool Unsynchronised = false;  ///< the data must have unsynchronisation undone
    bool Readable = true;         ///< false for compressed or encrypted frames
};

/// The frames of the last ID3v2 read and the file they came from.
struct Id3v2FrameTable {
    std::string path;
    std::uint8_t version = 0;
    std::vector<Id3v2FrameEntry> frames;
};

/// Walks the frames in tag order, after an extended header if the tag has one, reading the tag
/// from `reader` as far as the frames go. The walk ends at a frame whose first ID byte is not
/// A-Z (padding, audio), whose size is 0, or whose body would begin at or past the end of the
/// tag. A size larger than what is left is clamped to it.
///
/// Warning: many version 2.4 writers store frame sizes as plain numbers where the format wants
/// synchsafe ones, and sizes under 128 read alike either way. So a 2.4 tag is walked with
/// synchsafe sizes and, when a frame then does not end on the next frame's ID, on padding or
/// on the end of the tag, walked again with plain sizes; the walk that lands cleanly is kept.
std::vector<Id3v2FrameEntry> WalkId3v2Frames(Id3v2TagBytes& tag, ByteReader& reader);

/// The version 2.3/2.4 ID for a version 2.2 ID of the frames the reader uses (TT2 -> TIT2,
/// PIC -> APIC, ...); any other ID as given.
std::string_view CanonicalFrameId(std::uint8_t version, std::string_view id);

/// The data of a frame: the flags' extra bytes skipped and unsynchronisation undone (in
/// `scratch` when needed). Empty for compressed or encrypted frames.
std::span<const std::uint8_t> FrameData(const Id3v2TagBytes& tag, const Id3v2FrameEntry& entry,
                                        std::vector<std::uint8_t>& scratch);

}  // namespace tagwright
