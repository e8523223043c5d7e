#include "tags/id3v2_frame_table.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/cp932.h"
#include "tags/id3v2_text.h"

namespace tagwright {

namespace {

// Later reads take at least this much, so a walk over many frames reads a few times, not once
// per frame, and never much more than the frames use.
constexpr std::size_t kLaterRead = 16384;
constexpr std::size_t kHeader = 10;

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

bool WholeTagUnsynchronised(std::uint8_t version, std::uint8_t flags) {
    return (flags & kTagUnsynchronised) != 0 && version <= 3;
}

// Where the frames begin: after the header and, if flagged, the extended header. nullopt when
// no frame can be read (a compressed version 2.2 tag, an extended header past the tag).
std::optional<std::size_t> FramesStart(Id3v2TagBytes& tag, ByteReader& reader) {
    if ((tag.flags & kTagExtendedHeader) == 0)
        return kHeader;
    if (tag.version == 2 || !tag.Ensure(reader, kHeader + 4))
        return std::nullopt;
    const std::uint8_t* size = tag.bytes.data() + kHeader;
    // Version 2.4 counts the size field in the size; 2.3 does not.
    const std::uint64_t length =
        tag.version >= 4 ? Synchsafe(size) : std::uint64_t{BigEndian(size, 4)} + 4;
    if (kHeader + length >= static_cast<std::uint64_t>(tag.tagLength))
        return std::nullopt;
    return static_cast<std::size_t>(kHeader + length);
}

std::string FrameIdText(const std::uint8_t* p, std::size_t n) {
    bool ascii = std::all_of(p, p + n, [](std::uint8_t b) { return b < 0x80; });
    return ascii ? std::string(p, p + n) : DecodeCp932(std::span<const std::uint8_t>(p, n));
}

bool IsFrameIdByte(std::uint8_t b) {
    return (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9');
}

enum class SizeRule {
    kAsWritten,  // 2.2: 3 plain bytes; 2.3: plain; 2.4: synchsafe unless a byte gives it away
    kPlain,      // 2.4 tags of writers that store plain sizes
};

// Zero bytes in a row that count as padding: fewer could be the NUL of UTF-16 text.
constexpr std::size_t kPaddingRun = 16;

struct Walk {
    std::vector<Id3v2FrameEntry> frames;
    bool clean = true;         // every frame ended on a frame ID, padding or the tag's end
    bool sizesDiffer = false;  // some size reads otherwise as a plain number
};

Walk WalkWith(Id3v2TagBytes& tag, ByteReader& reader, SizeRule rule) {
    Walk walk;
    const bool v22 = tag.version == 2;
    const bool v24 = tag.version == 4;
    const std::size_t idLength = v22 ? 3 : 4;
    const std::size_t headerLength = v22 ? 6 : 10;
    const auto at = [&tag](std::size_t i) { return tag.bytes[i]; };

    // Most tags hold a dozen frames or so; more grow the table as needed.
    walk.frames.reserve(16);
    const std::optional<std::size_t> start = FramesStart(tag, reader);
    if (!start)
        return walk;
    std::size_t pos = *start;
    // The header and one body byte must be in the tag.
    while (tag.Ensure(reader, pos + headerLength + 1) && at(pos) >= 'A' && at(pos) <= 'Z') {
        const std::uint8_t* h = tag.bytes.data() + pos;  // until the tag is read on
        std::uint32_t size = 0;
        if (v22) {
            size = BigEndian(h + 3, 3);
        } else if (v24 && rule == SizeRule::kAsWritten && (h[4] | h[5] | h[6] | h[7]) < 0x80) {
            size = Synchsafe(h + 4);
        } else {
            // Version 2.3 sizes are plain; so are those of 2.4 writers that break the rule,
            // which shows in a byte with its top bit set or in a walk that lands astray.
            size = BigEndian(h + 4, 4);
        }
        if (size == 0)
            break;
        // Taken before the tag is read on, which may move its bytes.
        const std::uint8_t format = v22 ? 0 : h[9];
        walk.sizesDiffer = walk.sizesDiffer || (v24 && size != BigEndian(h + 4, 4));
        h = nullptr;
        const std::size_t body = pos + headerLength;
        tag.Ensure(reader, body + size);
        const std::size_t length = std::min<std::size_t>(size, tag.bytes.size() - body);
        const std::size_t next = body + length;
        // Where the frame ends must be the tag's end, padding or the next frame's ID.
        if (length < size) {
            walk.clean = false;
        } else if (tag.Ensure(reader, next + 1) && at(next) != 0) {
            tag.Ensure(reader, next + idLength);
            walk.clean = walk.clean && at(next) >= 'A' && at(next) <= 'Z';
            for (std::size_t i = next; i < next + idLength; ++i)
                walk.clean = walk.clean && i < tag.bytes.size() && IsFrameIdByte(at(i));
        } else {
            tag.Ensure(reader, next + kPaddingRun);
            const std::size_t run = std::min(tag.bytes.size(), next + kPaddingRun);
            for (std::size_t i = next; i < run; ++i)
                walk.clean = walk.clean && at(i) == 0;
        }

        Id3v2FrameEntry e;
        e.FrameID = FrameIdText(tag.bytes.data() + pos, idLength);
        e.FrameSize = static_cast<std::int32_t>(length);
        e.FramePos = static_cast<std::int32_t>(pos);
        e.FrameEnd = static_cast<std::int32_t>(next - 1);
        std::size_t extra = 0;
        if (tag.version == 3) {
            e.Readable = (format & 0xC0) == 0;     // compressed, encrypted
            extra = (format & 0x20) != 0 ? 1 : 0;  // group identifier
        } else if (v24) {
            e.Readable = (format & 0x0C) == 0;  // compressed, encrypted
            extra = ((format & 0x40) != 0 ? 1 : 0) + ((format & 0x01) != 0 ? 4 : 0);
            e.Unsynchronised = (format & 0x02) != 0 || (tag.flags & kTagUnsynchronised) != 0;
        }
        e.DataPos = static_cast<std::int32_t>(body + std::min(extra, length));
        walk.frames.push_back(std::move(e));
        pos = next;
    }
    return walk;
}

}  // namespace

bool Id3v2TagBytes::Ensure(ByteReader& reader, std::size_t end) {
    while (bytes.size() < end) {
        if (m_error)
            return false;
        if (!m_limit) {
            const Result<std::uint64_t> size = reader.Size();
            if (!size) {
                m_error = size.error();
                return false;
            }
            m_limit = std::min<std::uint64_t>(static_cast<std::uint64_t>(tagLength), *size);
        }
        if (m_readTo >= *m_limit)
            return false;
        const std::size_t want = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::max(end - bytes.size(), kLaterRead), *m_limit - m_readTo));
        const std::size_t from = bytes.size();
        bytes.resize(from + want);
        const Result<std::size_t> read =
            reader.ReadAt(m_readTo, std::span(bytes).subspan(from, want));
        if (!read) {
            bytes.resize(from);
            m_error = read.error();
            return false;
        }
        const std::size_t got = *read;
        // The file is shorter than it measured: it ends here.
        if (got < want)
            m_limit = m_readTo + got;
        Append(from, got);
    }
    return true;
}

// Takes in the `got` bytes just read to `from`, undoing whole-tag unsynchronisation past the
// header; a 0xFF that ended the previous piece drops the 0x00 that starts this one.
void Id3v2TagBytes::Append(std::size_t from, std::size_t got) {
    m_readTo += got;
    std::size_t keep = got;
    if (WholeTagUnsynchronised(version, flags) && from + got > kHeader) {
        const std::size_t skip = from < kHeader ? kHeader - from : 0;
        std::span<std::uint8_t> piece = std::span(bytes).subspan(from + skip, got - skip);
        const bool lastFF = !piece.empty() && piece.back() == 0xFF;
        if (m_lastWasFF && !piece.empty() && piece.front() == 0x00)
            piece = piece.subspan(1);
        const std::size_t undone = UndoUnsynchronisation(piece);
        std::copy_n(piece.begin(), undone,
                    bytes.begin() + static_cast<std::ptrdiff_t>(from + skip));
        keep = skip + undone;
        m_lastWasFF = lastFF;
    }
    bytes.resize(from + keep);
}

std::optional<Id3v2TagBytes> Id3v2TagFromHead(std::vector<std::uint8_t> head, std::size_t got,
                                              std::optional<std::uint64_t> fileSize) {
    if (got < 3 || std::memcmp(head.data(), "ID3", 3) != 0)
        return std::nullopt;
    Id3v2TagBytes tag;
    tag.bytes = std::move(head);
    // Header bytes missing from a truncated file count as 0.
    tag.bytes.resize(std::max(tag.bytes.size(), kHeader));
    std::fill(tag.bytes.begin() + static_cast<std::ptrdiff_t>(got), tag.bytes.end(), 0);
    tag.version = tag.bytes[3];
    tag.flags = tag.bytes[5];
    // Each size byte counts at its full value, as stored: at most 255 * 0x204081 + 10 fits.
    const std::uint8_t* s = tag.bytes.data() + 6;
    tag.tagLength = static_cast<std::int32_t>(
        ((s[0] * 128 + s[1]) * 128 + s[2]) * std::int64_t{128} + s[3] + 10);

    const auto claimed = static_cast<std::size_t>(tag.tagLength);
    const std::size_t kept = std::min(got, claimed);
    // A short read or a tag within it: the end is known without measuring the file.
    if (got < kId3v2FirstRead || claimed <= got)
        tag.m_limit = kept;
    else if (fileSize)
        tag.m_limit = std::min<std::uint64_t>(claimed, *fileSize);
    tag.Append(0, kept);
    return tag;
}

Result<std::optional<Id3v2TagBytes>> LoadId3v2Tag(ByteReader& reader) {
    std::vector<std::uint8_t> head(kId3v2FirstRead);
    const Result<std::size_t> got = reader.ReadAt(0, head);
    if (!got)
        return got.error();
    return Id3v2TagFromHead(std::move(head), *got, std::nullopt);
}

std::vector<Id3v2FrameEntry> WalkId3v2Frames(Id3v2TagBytes& tag, ByteReader& reader) {
    Walk walk = WalkWith(tag, reader, SizeRule::kAsWritten);
    if (tag.version != 4 || !walk.sizesDiffer)
        return std::move(walk.frames);
    // Both walks may land on zero bytes by chance (inside UTF-16 text, say): the clean one
    // wins, and of two clean ones the one that found more frames; synchsafe sizes on a tie.
    Walk plain = WalkWith(tag, reader, SizeRule::kPlain);
    const bool takePlain = plain.clean && (!walk.clean || plain.frames.size() > walk.frames.size());
    return std::move(takePlain ? plain.frames : walk.frames);
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
