#include "tags/mp3_tag.h"

#include <cstring>

namespace tagwright {

std::string CleanFieldText(std::string text) {
    for (char& c : text) {
        if (c == '\0')
            c = ' ';
    }
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    // In place: this runs for every field of every file in a batch.
    text.erase(text.find_last_not_of(' ') + 1);
    text.erase(0, first);
    return text;
}

clsMP3Tag::Probe clsMP3Tag::ProbeFile(ByteReader& reader) {
    Probe probe;
    std::uint8_t head[3] = {};
    (void)reader.ReadAt(0, head).ValueOrThrow();  // bytes past the end stay 0
    if (std::memcmp(head, "ID3", 3) == 0)
        probe.flags += TagKind::kId3v2;

    probe.length = reader.Size().ValueOrThrow();
    // A file of 255 bytes or fewer never reports a trailer.
    if (probe.length <= 255)
        return probe;
    (void)reader.ReadAt(probe.length - 128, probe.trailer).ValueOrThrow();
    if (std::memcmp(probe.trailer, "TAG", 3) != 0)
        return probe;
    // Byte 125 of the trailer is 0 only in ID3v1.1, where byte 126 holds the track.
    probe.flags += probe.trailer[125] == 0 ? TagKind::kId3v1 | TagKind::kId3v11 : TagKind::kId3v1;
    return probe;
}

std::int16_t clsMP3Tag::ReadTagType() {
    auto opened = m_fs->OpenRead(MP3FilePath);
    return ProbeFile(*opened.ValueOrThrow()).flags;
}

}  // namespace tagwright
