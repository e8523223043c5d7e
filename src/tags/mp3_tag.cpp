#include "tags/mp3_tag.h"

namespace tagwright {

std::int16_t clsMP3Tag::ReadTagType() {
    Result<TagSnapshot> snap = ReadTags(*m_fs, MP3FilePath, TagParts::kKindAndId3v1);
    if (!snap)
        throw FileError(snap.error());
    return snap->kind;
}

void clsMP3Tag::TakeId3v1(const Id3v1Values& v) {
    ID3V1TAGVersion = v.version;
    ID3V1TAGTrackName = v.title;
    ID3V1TAGArtistName = v.artist;
    ID3V1TAGAlbumName = v.album;
    ID3V1TAGYear = v.year;
    ID3V1TAGComment = v.comment;
    // An ID3v1.0 trailer has no track: the member keeps what it held.
    if (v.version == 2)
        ID3V1TAGTrackNo = v.track;
    ID3V1TAGGenre = v.genre;
}

bool clsMP3Tag::ReadID3v1Tag() {
    Result<TagSnapshot> snap = ReadTags(*m_fs, MP3FilePath, TagParts::kKindAndId3v1);
    if (!snap)
        throw FileError(snap.error());
    if (!snap->id3v1)
        return false;
    TakeId3v1(*snap->id3v1);
    return true;
}

void clsMP3Tag::TakeId3v2(Id3v2Values v) {
    std::vector<std::string> names;
    names.reserve(v.table.frames.size());
    for (const Id3v2FrameEntry& entry : v.table.frames)
        names.push_back(entry.FrameID);
    const std::pair<std::optional<std::string>*, std::string*> fields[] = {
        {&v.album, &ID3V2TAGAlbum}, {&v.artist, &ID3V2TAGArtist}, {&v.title, &ID3V2TAGTrackName},
        {&v.year, &ID3V2TAGYear},   {&v.genre, &ID3V2TAGGenre},   {&v.track, &ID3V2TAGTrackNo},
    };
    for (const auto& [value, member] : fields) {
        if (*value)
            *member = std::move(**value);
    }
    FrameName = std::move(names);
    TagLength = v.tagLength;
    FrameCount = static_cast<std::int32_t>(v.table.frames.size());
    m_table = std::move(v.table);
}

bool clsMP3Tag::ReadID3v2Tag() {
    Result<TagSnapshot> snap = ReadTags(*m_fs, MP3FilePath, TagParts::kId3v2);
    if (!snap || !snap->id3v2)
        return false;
    TakeId3v2(std::move(*snap->id3v2));
    return true;
}

}  // namespace tagwright
