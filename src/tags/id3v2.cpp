// Lyrics, comments and pictures, re-read from the file by the frame table of the last read.

#include "tags/id3v2_text.h"
#include "tags/mp3_tag.h"

namespace tagwright {

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
        if (!opened)
            throw FileError(opened.error());
        auto loaded = LoadId3v2Tag(**opened);
        if (!loaded)
            throw FileError(loaded.error());
        tag = std::move(*loaded);
        held = tag && tag->Ensure(**opened, static_cast<std::size_t>(entry.FrameEnd) + 1);
        if (tag && tag->ReadError())
            throw FileError(*tag->ReadError());
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
