// The ID3v1 / ID3v1.1 trailer: the last 128 bytes of the file.
#include <span>

#include "platform/cp932.h"
#include "tags/mp3_tag.h"

namespace tagwright {

namespace {

std::string FieldText(const std::uint8_t* trailer, std::size_t offset, std::size_t length) {
    // Each field is decoded on its own, as the trailer's fields are independent texts.
    return CleanFieldText(DecodeCp932(std::span<const std::uint8_t>(trailer + offset, length)));
}

}  // namespace

bool clsMP3Tag::ReadID3v1Tag() {
    auto opened = m_fs->OpenRead(MP3FilePath);
    const Probe probe = ProbeFile(*opened.ValueOrThrow());
    if ((probe.flags & TagKind::kId3v1) == 0)
        return false;

    ID3V1TAGVersion = (probe.flags & TagKind::kId3v11) != 0 ? 2 : 1;
    const std::uint8_t* t = probe.trailer;
    ID3V1TAGTrackName = FieldText(t, 3, 30);
    ID3V1TAGArtistName = FieldText(t, 33, 30);
    ID3V1TAGAlbumName = FieldText(t, 63, 30);
    ID3V1TAGYear = FieldText(t, 93, 4);
    if (ID3V1TAGVersion == 1) {
        ID3V1TAGComment = FieldText(t, 97, 30);
    } else {
        ID3V1TAGComment = FieldText(t, 97, 28);
        ID3V1TAGTrackNo = t[126];
    }
    ID3V1TAGGenre = t[127];
    return true;
}

}  // namespace tagwright
