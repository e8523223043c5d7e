// One read of a file's tags: the kind, the ID3v1 trailer and the ID3v2 text values together.
#include <algorithm>
#include <cstring>

#include "platform/cp932.h"
#include "tags/id3v2_text.h"
#include "tags/tag_snapshot.h"

namespace tagwright {

namespace {

constexpr std::size_t kTrailer = 128;
// A file of this many bytes or fewer never reports a trailer.
constexpr std::uint64_t kNoTrailerUpTo = 255;

std::string FieldText(const std::uint8_t* trailer, std::size_t offset, std::size_t length) {
    // The padding at a field's end goes before decoding, so that a short text never needs
    // the heap: in code page 932 neither NUL nor blank is ever part of a two-byte character.
    while (length > 0 && (trailer[offset + length - 1] == 0 || trailer[offset + length - 1] == ' '))
        --length;
    // Each field is decoded on its own, as the trailer's fields are independent texts.
    return CleanFieldText(DecodeCp932(std::span<const std::uint8_t>(trailer + offset, length)));
}

Id3v1Values Id3v1From(const std::uint8_t* t, bool v11) {
    Id3v1Values v;
    v.version = v11 ? 2 : 1;
    v.title = FieldText(t, 3, 30);
    v.artist = FieldText(t, 33, 30);
    v.album = FieldText(t, 63, 30);
    v.year = FieldText(t, 93, 4);
    if (v11) {
        v.comment = FieldText(t, 97, 28);
        v.track = t[126];
    } else {
        v.comment = FieldText(t, 97, 30);
    }
    v.genre = t[127];
    return v;
}

// The first n characters (code points) of UTF-8 text.
std::string FirstCharacters(const std::string& text, std::size_t n) {
    std::size_t end = 0;
    for (std::size_t count = 0; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && count++ == n)
            break;
    }
    return text.substr(0, end);
}

std::string TextOfFrame(const Id3v2TagBytes& tag, const Id3v2FrameEntry& entry,
                        std::vector<std::uint8_t>& scratch) {
    const std::span<const std::uint8_t> data = FrameData(tag, entry, scratch);
    if (data.empty())
        return {};
    return CleanFieldText(DecodeId3v2Text(data[0], data.subspan(1)));
}

void FillValues(const Id3v2TagBytes& tag, Id3v2Values& v) {
    // The IDs as 32-bit keys: one compare per field instead of a string compare.
    constexpr auto Key = [](std::string_view id) {
        std::uint32_t k = 0;
        for (char c : id)
            k = k << 8 | static_cast<std::uint8_t>(c);
        return k;
    };
    std::optional<std::string> recordingTime;  // the year's source in version 2.4 tags
    const std::pair<std::uint32_t, std::optional<std::string>*> fields[] = {
        {Key("TALB"), &v.album},       {Key("TPE1"), &v.artist}, {Key("TIT2"), &v.title},
        {Key("TYER"), &v.year},        {Key("TCON"), &v.genre},  {Key("TRCK"), &v.track},
        {Key("TDRC"), &recordingTime},
    };
    std::vector<std::uint8_t> scratch;
    for (const Id3v2FrameEntry& entry : v.table.frames) {
        // Compressed and encrypted frames are listed but hold no text this reader can use.
        if (!entry.Readable || entry.FrameID.size() > 4 || entry.FrameID[0] != 'T')
            continue;
        const std::uint32_t key = Key(CanonicalFrameId(v.table.version, entry.FrameID));
        for (const auto& [fieldKey, value] : fields) {
            if (key == fieldKey) {
                *value = TextOfFrame(tag, entry, scratch);
                break;
            }
        }
    }
    if (!v.year && recordingTime)
        v.year = CleanFieldText(FirstCharacters(*recordingTime, 4));
}

// The buffer of a thread's last read, kept for its next: a new one per file cost an allocation
// from a heap that a listing keeps growing, often fresh pages with it.
class HeadBuffer {
  public:
    HeadBuffer() : bytes(std::move(Spare())) {}
    HeadBuffer(const HeadBuffer&) = delete;
    HeadBuffer& operator=(const HeadBuffer&) = delete;
    ~HeadBuffer() {
        // A tag read far keeps its bytes to itself.
        if (bytes.capacity() <= kKept)
            Spare() = std::move(bytes);
    }
    std::vector<std::uint8_t> bytes;

  private:
    static constexpr std::size_t kKept = std::size_t{1} << 16;
    static std::vector<std::uint8_t>& Spare() {
        thread_local std::vector<std::uint8_t> spare;
        return spare;
    }
};

}  // namespace

std::string CleanFieldText(std::string text) {
    // NULs count as blanks: trimmed at both ends, blanks within.
    const auto blank = [](char c) { return c == ' ' || c == '\0'; };
    std::size_t end = text.size();
    while (end > 0 && blank(text[end - 1]))
        --end;
    std::size_t first = 0;
    while (first < end && blank(text[first]))
        ++first;
    // In place: this runs for every field of every file in a batch.
    text.erase(end);
    text.erase(0, first);
    // A NUL within is rare: looked for at memchr's pace first.
    if (std::memchr(text.data(), '\0', text.size()) != nullptr)
        std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

Result<TagSnapshot> ReadTags(FileSystem& fs, const std::string& path, TagParts parts) {
    Result<std::unique_ptr<ByteReader>> opened = fs.OpenRead(path);
    if (!opened)
        return opened.error();
    return ReadTagsFrom(**opened, path, parts);
}

Result<TagSnapshot> ReadTagsFrom(ByteReader& reader, const std::string& path, TagParts parts,
                                 const FileStatus* status) {
    const bool wantKind = (static_cast<unsigned>(parts) & 1U) != 0;
    const bool wantId3v2 = (static_cast<unsigned>(parts) & 2U) != 0;
    TagSnapshot snap;
    if (wantKind && status != nullptr) {
        snap.file = *status;
    } else if (wantKind) {
        // Before the bytes: a write during the read then leaves a stamp that no longer holds.
        Result<FileStatus> now = reader.Status();
        if (!now)
            return now.error();
        snap.file = *now;
    }

    // Only the ID3v2 tag needs more than the first 3 bytes; bytes past the end stay 0.
    HeadBuffer buffer;
    std::vector<std::uint8_t>& head = buffer.bytes;
    head.resize(wantId3v2 ? kId3v2FirstRead : 3);
    const Result<std::size_t> got = reader.ReadAt(0, head);
    if (!got)
        return got.error();
    // The buffer's last use left its bytes; only a short read shows them.
    std::fill(head.begin() + static_cast<std::ptrdiff_t>(*got), head.end(), std::uint8_t{0});
    if (*got >= 3 && std::memcmp(head.data(), "ID3", 3) == 0)
        snap.kind = TagKind::kId3v2;

    std::optional<std::uint64_t> length;
    if (wantKind) {
        const Result<std::uint64_t> size = reader.Size();
        if (!size)
            return size.error();
        length = *size;
        if (*length > kNoTrailerUpTo) {
            std::uint8_t trailer[kTrailer] = {};
            // A short file is all in the head already.
            if (*length <= *got) {
                std::memcpy(trailer, head.data() + (*length - kTrailer), kTrailer);
            } else if (const Result<std::size_t> r = reader.ReadAt(*length - kTrailer, trailer);
                       !r) {
                return r.error();
            }
            if (std::memcmp(trailer, "TAG", 3) == 0) {
                // Byte 125 is 0 only in ID3v1.1, where byte 126 holds the track.
                const bool v11 = trailer[125] == 0;
                snap.kind |= v11 ? TagKind::kId3v1 | TagKind::kId3v11 : TagKind::kId3v1;
                snap.id3v1 = Id3v1From(trailer, v11);
            }
        }
    }

    if (wantId3v2 && snap.kind & TagKind::kId3v2) {
        std::optional<Id3v2TagBytes> tag = Id3v2TagFromHead(std::move(head), *got, length);
        Id3v2Values& v = snap.id3v2.emplace();
        v.table = Id3v2FrameTable{path, tag->version, WalkId3v2Frames(*tag, reader)};
        if (tag->ReadError())
            return *tag->ReadError();
        v.tagLength = tag->tagLength;
        FillValues(*tag, v);
        head = std::move(tag->bytes);
    }
    return snap;
}

}  // namespace tagwright
