// The ID3v2 reader: the six text properties, the frame table, lyrics, comments and pictures.
#include <exception>

#include "tags/id3v2_text.h"
#include "tags/mp3_tag.h"

namespace tagwright {

namespace {

// The first n characters (code points) of UTF-8 text.
std::string FirstCharacters(const std::string& text, std::size_t n) {
    std::size_t end = 0;
    for (std::size_t count = 0; end < text.size(); ++end) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && count++ == n)
            break;
    }
    return text.substr(0, end);
}

}  // namespace

std::string clsMP3Tag::ReadTextFrame(const Id3v2TagBytes& tag, const Id3v2FrameEntry& entry) const {
    std::vector<std::uint8_t> scratch;
    const std::span<const std::uint8_t> data = FrameData(tag, entry, scratch);
    if (data.empty())
        return {};
    return DecodeId3v2Text(data[0], data.subspan(1));
}

void clsMP3Tag::FillID3v2Fields(const Id3v2TagBytes& tag, const Id3v2FrameTable& table) {
    // The IDs as 32-bit keys: one compare per field instead of a string compare.
    constexpr auto Key = [](std::string_view id) {
        std::uint32_t k = 0;
        for (char c : id)
            k = k << 8 | static_cast<std::uint8_t>(c);
        return k;
    };
    struct Field {
        std::uint32_t key;
        std::string* property;
        std::optional<std::string> value;
    };
    Field fields[] = {
        {Key("TALB"), &ID3V2TAGAlbum, {}},
        {Key("TPE1"), &ID3V2TAGArtist, {}},
        {Key("TIT2"), &ID3V2TAGTrackName, {}},
        {Key("TYER"), &ID3V2TAGYear, {}},
        {Key("TCON"), &ID3V2TAGGenre, {}},
        {Key("TRCK"), &ID3V2TAGTrackNo, {}},
        {Key("TDRC"), nullptr, {}},  // the year's source in version 2.4 tags
    };
    Field& year = fields[3];
    Field& recordingTime = fields[6];

    for (const Id3v2FrameEntry& entry : table.frames) {
        // Compressed and encrypted frames are listed but hold no text this reader can use.
        if (!entry.Readable || entry.FrameID.size() > 4 || entry.FrameID[0] != 'T')
            continue;
        const std::uint32_t key = Key(CanonicalFrameId(table.version, entry.FrameID));
        for (Field& f : fields) {
            if (key == f.key) {
                f.value = CleanFieldText(ReadTextFrame(tag, entry));
                break;
            }
        }
    }
    if (!year.value && recordingTime.value)
        year.value = CleanFieldText(FirstCharacters(*recordingTime.value, 4));

    // Assigned only once every value is in hand, so a failure above changes no property.
    for (Field& f : fields) {
        if (f.value && f.property != nullptr)
            *f.property = std::move(*f.value);
    }
}

bool clsMP3Tag::ReadID3v2Tag() {
    try {
        std::optional<Id3v2TagBytes> tag;
        std::optional<Id3v2FrameTable> table;
        {
            // Open while the walk reads on into the tag.
            auto opened = m_fs->OpenRead(MP3FilePath);
            if (!opened)
                return false;
            tag = LoadId3v2Tag(**opened);
            if (!tag)
                return false;
            table = Id3v2FrameTable{MP3FilePath, tag->version, WalkId3v2Frames(*tag, **opened)};
        }
        std::vector<std::string> names;
        names.reserve(table->frames.size());
        for (const Id3v2FrameEntry& entry : table->frames)
            names.push_back(entry.FrameID);

        FillID3v2Fields(*tag, *table);
        FrameName = std::move(names);
        TagLength = tag->tagLength;
        FrameCount = static_cast<std::int32_t>(table->frames.size());
        m_table = std::move(table);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

const Id3v2FrameEntry* clsMP3Tag::FindFrame(std::string_view id, bool last) const {
    // A table made for another file would point at unrelated bytes of this one.
    if (!m_table || m_table->path != MP3FilePath)
        return nullptr;
    const Id3v2FrameEntry* found = nullptr;
    for (const Id3v2FrameEntry& entry : m_table->frames) {
        if (CanonicalFrameId(m_table->version, entry.FrameID) == id) {
            found = &entry;
            if (!last)
                break;
        }
    }
    return found;
}

std::optional<std::vector<std::uint8_t>> clsMP3Tag::ReadFrameData(const Id3v2FrameEntry& entry) {
    std::optional<Id3v2TagBytes> tag;
    bool held = false;
    {
        auto opened = m_fs->OpenRead(MP3FilePath);
        tag = LoadId3v2Tag(*opened.ValueOrThrow());
        held = tag && tag->Ensure(**opened, static_cast<std::size_t>(entry.FrameEnd) + 1);
    }
    // The file may have been changed since the table was made: check that the frame is still
    // where the table has it before trusting the table's offsets.
    const auto pos = static_cast<std::size_t>(entry.FramePos);
    if (!held || tag->version != m_table->version || tag->tagLength != TagLength ||
        tag->bytes.size() - pos < entry.FrameID.size() ||
        std::string_view(reinterpret_cast<const char*>(tag->bytes.data() + pos),
                         entry.FrameID.size()) != entry.FrameID) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> scratch;
    const std::span<const std::uint8_t> data = FrameData(*tag, entry, scratch);
    return std::vector<std::uint8_t>(data.begin(), data.end());
}

std::string clsMP3Tag::ReadMultilineTxtFrame(const std::string& Frame) {
    // Lyrics: the last frame wins; comments: the first, which writers use for the main one.
    const Id3v2FrameEntry* entry = nullptr;
    if (Frame == "USLT")
        entry = FindFrame("USLT", true);
    else if (Frame == "COMM")
        entry = FindFrame("COMM", false);
    if (entry == nullptr)
        return {};
    const std::optional<std::vector<std::uint8_t>> data = ReadFrameData(*entry);
    // Encoding, language, content descriptor with its terminator, then the text.
    constexpr std::size_t kTextFrom = 4;
    if (!data || data->size() <= kTextFrom)
        return {};
    const std::uint8_t encoding = (*data)[0];
    const auto rest = std::span<const std::uint8_t>(*data).subspan(kTextFrom);
    const std::optional<std::size_t> descriptor = TerminatedTextLength(encoding, rest);
    if (!descriptor)
        return {};
    return DecodeId3v2Text(encoding, rest.subspan(*descriptor));
}

bool clsMP3Tag::ReadPictureFrame(const std::string& CreatePicturePath) {
    const Id3v2FrameEntry* entry = FindFrame("APIC", false);
    if (entry == nullptr)
        return false;
    // Writing the picture over the MP3 file would destroy the user's file.
    if (m_fs->IsSameFile(CreatePicturePath, MP3FilePath))
        return false;
    const std::optional<std::vector<std::uint8_t>> data = ReadFrameData(*entry);
    if (!data || data->empty())
        return false;

    const auto frame = std::span<const std::uint8_t>(*data);
    const std::uint8_t encoding = frame[0];
    std::size_t p = 1;
    if (m_table->version == 2) {
        p += 3;  // the image format, "JPG" or "PNG"
    } else {
        const std::optional<std::size_t> mime = TerminatedTextLength(0, frame.subspan(p));
        if (!mime)
            return false;
        p += *mime;
    }
    p += 1;  // the picture type
    if (p >= frame.size())
        return false;
    const std::optional<std::size_t> description = TerminatedTextLength(encoding, frame.subspan(p));
    if (!description || p + *description >= frame.size())
        return false;
    m_fs->WriteFile(CreatePicturePath, frame.subspan(p + *description)).ThrowIfError();
    return true;
}

}  // namespace tagwright
