#include "tags/id3v2_frame_table.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/cp932.h"
#include "tags/id3v2_text.h"

namespace tagwright {

namespace {

// Typical tags (text frames and padding) fit, so one read gets header and tag at once.
constexpr std::size_t kFirstRead = 4096;

constexpr std::uint8_t kTagUnsynchronised = 0x80;
constexpr std::uint8_t kTagExtendedHeader = 0x40;  // in version 2.2: compressed, unreadable

std::uint32_t BigEndian(const std::uint8_t* p, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

std::uint32_t Synchsafe(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0] & 0x7F) << 21 | (p[1] & 0x7F) << 14 |
           (p[2] & 0x7F) << 7 | (p[3] & 0x7F);
}

// Where the frames begin: after the header and, if flagged, the extended header.
std::size_t FramesStart(const Id3v2TagBytes& tag) {
    constexpr std::size_t kHeader = 10;
    if ((tag.flags & kTagExtendedHeader) == 0)
        return kHeader;
    if (tag.version == 2 || tag.bytes.size() < kHeader + 4)
        return tag.bytes.size();
    const std::uint8_t* size = tag.bytes.data() + kHeader;
    // Version 2.4 counts the size field in the size; 2.3 does not.
    const std::uint64_t length =
        tag.version >= 4 ? Synchsafe(size) : std::uint64_t{BigEndian(size, 4)} + 4;
    return static_cast<std::size_t>(std::min<std::uint64_t>(kHeader + length, tag.bytes.size()));
}

std::string FrameIdText(const std::uint8_t* p, std::size_t n) {
    bool ascii = std::all_of(p, p + n, [](std::uint8_t b) { return b < 0x80; });
    return ascii ? std::string(p, p + n) : DecodeCp932(std::span<const std::uint8_t>(p, n));
}

}  // namespace

std::optional<Id3v2TagBytes> LoadId3v2Tag(ByteReader& reader) {
    std::vector<std::uint8_t> bytes(kFirstRead);
    std::size_t got = reader.ReadAt(0, bytes).ValueOrThrow();
    if (got < 3 || std::memcmp(bytes.data(), "ID3", 3) != 0)
        return std::nullopt;

    Id3v2TagBytes tag;
    // Header bytes missing from a truncated file count as 0 (the buffer is zero-filled).
    tag.version = bytes[3];
    tag.flags = bytes[5];
    // Each size byte counts at its full value, as stored: at most 255 * 0x204081 + 10 fits.
    const std::uint8_t* s = bytes.data() + 6;
    tag.tagLength = static_cast<std::int32_t>(
        ((s[0] * 128 + s[1]) * 128 + s[2]) * std::int64_t{128} + s[3] + 10);

    const auto want = static_cast<std::size_t>(tag.tagLength);
    if (want > got && got == bytes.size()) {
        // Bound the buffer by the file, not by the header's claim.
        const std::uint64_t size = reader.Size().ValueOrThrow();
        const auto end = static_cast<std::size_t>(std::min<std::uint64_t>(want, size));
        if (end > got) {
            bytes.resize(end);
            got += reader.ReadAt(got, std::span(bytes).subspan(got)).ValueOrThrow();
        }
    }
    bytes.resize(std::min(got, want));
    if ((tag.flags & kTagUnsynchronised) != 0 && tag.version <= 3 && bytes.size() > 10) {
        bytes.resize(10 + UndoUnsynchronisation(std::span(bytes).subspan(10)));
    }
    tag.bytes = std::move(bytes);
    return tag;
}

std::vector<Id3v2FrameEntry> WalkId3v2Frames(const Id3v2TagBytes& tag) {
    std::vector<Id3v2FrameEntry> frames;
    const std::vector<std::uint8_t>& b = tag.bytes;
    const std::size_t limit = b.size();
    const bool v22 = tag.version == 2;
    const bool v24 = tag.version == 4;
    const std::size_t idLength = v22 ? 3 : 4;
    const std::size_t headerLength = v22 ? 6 : 10;

    // Most tags hold a dozen frames or so; more grow the table as needed.
    frames.reserve(16);
    std::size_t pos = FramesStart(tag);
    while (pos < limit && b[pos] >= 'A' && b[pos] <= 'Z' && pos + headerLength < limit) {
        const std::uint8_t* h = b.data() + pos;
        std::uint32_t size = 0;
        if (v22) {
            size = BigEndian(h + 3, 3);
        } else if (v24 && (h[4] | h[5] | h[6] | h[7]) < 0x80) {
            size = Synchsafe(h + 4);
        } else {
            // Version 2.3 sizes are plain; so are those of 2.4 writers that break the rule,
            // which shows in a byte with its top bit set.
            size = BigEndian(h + 4, 4);
        }
        if (size == 0)
            break;
        const std::size_t body = pos + headerLength;
        const std::size_t length = std::min<std::size_t>(size, limit - body);

        Id3v2FrameEntry e;
        e.FrameID = FrameIdText(h, idLength);
        e.FrameSize = static_cast<std::int32_t>(length);
        e.FramePos = static_cast<std::int32_t>(pos);
        e.FrameEnd = static_cast<std::int32_t>(body + length - 1);
        std::size_t extra = 0;
        if (tag.version == 3) {
            const std::uint8_t format = h[9];
            e.Readable = (format & 0xC0) == 0;     // compressed, encrypted
            extra = (format & 0x20) != 0 ? 1 : 0;  // group identifier
        } else if (v24) {
            const std::uint8_t format = h[9];
            e.Readable = (format & 0x0C) == 0;  // compressed, encrypted
            extra = ((format & 0x40) != 0 ? 1 : 0) + ((format & 0x01) != 0 ? 4 : 0);
            e.Unsynchronised = (format & 0x02) != 0 || (tag.flags & kTagUnsynchronised) != 0;
        }
        e.DataPos = static_cast<std::int32_t>(body + std::min(extra, length));
        frames.push_back(std::move(e));
        pos = body + length;
    }
    return frames;
}

std::string_view CanonicalFrameId(std::uint8_t version, std::string_view id) {
    if (version != 2)
        return id;
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kV22 = {{
        {"TT2", "TIT2"},
        {"TP1", "TPE1"},
        {"TAL", "TALB"},
        {"TYE", "TYER"},
        {"TCO", "TCON"},
        {"TRK", "TRCK"},
        {"ULT", "USLT"},
        {"PIC", "APIC"},
        {"COM", "COMM"},
    }};
    for (const auto& [old, current] : kV22) {
        if (id == old)
            return current;
    }
    return id;
}

std::span<const std::uint8_t> FrameData(const Id3v2TagBytes& tag, const Id3v2FrameEntry& entry,
                                        std::vector<std::uint8_t>& scratch) {
    if (!entry.Readable)
        return {};
    const auto begin = static_cast<std::size_t>(entry.DataPos);
    const auto end = static_cast<std::size_t>(entry.FrameEnd) + 1;
    std::span<const std::uint8_t> data(tag.bytes.data() + begin, end - begin);
    if (!entry.Unsynchronised)
        return data;
    scratch.assign(data.begin(), data.end());
    scratch.resize(UndoUnsynchronisation(scratch));
    return scratch;
}

}  // namespace tagwright
