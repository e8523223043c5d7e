#include "naming/field_selection.h"

#include "tags/music_genre.h"

namespace tagwright::TagR {

namespace {

TagFields FromId3v1(const std::string& title, const std::string& album, const std::string& artist,
                    std::uint8_t genre, std::uint8_t track, const std::string& year) {
    TagFields f;
    f.TrackName = title;
    f.AlbumName = album;
    f.ArtistName = artist;
    f.Genre = MUSICGENRE::GenreName(static_cast<std::int16_t>(genre));
    f.TrackNo = std::to_string(track);
    f.Year = year;
    return f;
}

TagFields FromId3v1(const clsMP3Tag& r) {
    return FromId3v1(r.ID3V1TAGTrackName, r.ID3V1TAGAlbumName, r.ID3V1TAGArtistName,
                     r.ID3V1TAGGenre, r.ID3V1TAGTrackNo, r.ID3V1TAGYear);
}

TagFields FromId3v1(const std::optional<Id3v1Values>& v) {
    // A file without a trailer gives nothing through ID3v1: no "Blues", no track "0".
    if (!v)
        return {};
    return FromId3v1(v->title, v->album, v->artist, v->genre, v->track, v->year);
}

TagFields FromId3v2(const std::optional<Id3v2Values>& v) {
    TagFields f;
    if (!v)
        return f;
    const auto take = [](const std::optional<std::string>& s) { return s ? *s : std::string(); };
    f.TrackName = take(v->title);
    f.AlbumName = take(v->album);
    f.ArtistName = take(v->artist);
    f.Genre = take(v->genre);
    f.TrackNo = take(v->track);
    f.Year = take(v->year);
    return f;
}

TagFields FromId3v2(const clsMP3Tag& r) {
    TagFields f;
    f.TrackName = r.ID3V2TAGTrackName;
    f.AlbumName = r.ID3V2TAGAlbum;
    f.ArtistName = r.ID3V2TAGArtist;
    f.Genre = r.ID3V2TAGGenre;
    f.TrackNo = r.ID3V2TAGTrackNo;
    f.Year = r.ID3V2TAGYear;
    return f;
}

void FillBlank(std::string& field, const std::string& from) {
    if (field.empty())
        field = from;
}

void FillBlanks(TagFields& f, const TagFields& from) {
    FillBlank(f.TrackName, from.TrackName);
    FillBlank(f.ArtistName, from.ArtistName);
    FillBlank(f.AlbumName, from.AlbumName);
    FillBlank(f.Genre, from.Genre);
    FillBlank(f.Year, from.Year);
    FillBlank(f.TrackNo, from.TrackNo);
}

// Picks and fills the fields from the tag values the source setting asks for; `v1` and `v2`
// are called only for the tags that source uses, in the order the reader has always read them.
template <class V1, class V2>
TagFields SelectFields(std::int16_t mode, const Settings& settings, const V1& v1Of,
                       const V2& v2Of) {
    TagFields f;
    switch (settings.tagSource) {
        case Settings::TagSource::kId3v1Only:
            f = v1Of();
            break;
        case Settings::TagSource::kId3v2Only:
            f = v2Of();
            break;
        case Settings::TagSource::kBoth: {
            const TagFields v1 = v1Of();
            const TagFields v2 = v2Of();
            if (settings.priority == Settings::Priority::kId3v1First) {
                f = v1;
                FillBlanks(f, v2);
            } else {
                f = v2;
                FillBlanks(f, v1);
            }
            break;
        }
    }

    const auto& d = settings.Text1;
    if (mode == kModeFileName && settings.nameFillBlanks) {
        FillBlanks(f, TagFields{.TrackName = d[0],
                                .ArtistName = d[3],
                                .AlbumName = d[2],
                                .Genre = d[4],
                                .Year = d[1],
                                .TrackNo = d[5]});
    } else if (mode == kModeFolder && settings.folderFillBlanks) {
        // Folders have no default title or track number.
        FillBlanks(f,
                   TagFields{.ArtistName = d[9], .AlbumName = d[8], .Genre = d[10], .Year = d[7]});
    }
    return f;
}

}  // namespace

TagFields GetTagInfo(std::int16_t mode, clsMP3Tag& reader, const Settings& settings) {
    // A reader that found no trailer still holds its start values (genre 0, track 0), which
    // would read as "Blues" and "0"; a file without a trailer gives nothing through ID3v1.
    return SelectFields(
        mode, settings,
        [&reader] { return reader.ReadID3v1Tag() ? FromId3v1(reader) : TagFields{}; },
        [&reader] {
            reader.ReadID3v2Tag();
            return FromId3v2(reader);
        });
}

TagFields GetTagInfo(std::int16_t mode, const TagSnapshot& tags, const Settings& settings) {
    return SelectFields(
        mode, settings, [&tags] { return FromId3v1(tags.id3v1); },
        [&tags] { return FromId3v2(tags.id3v2); });
}

TagParts PartsFor(const Settings& settings) {
    switch (settings.tagSource) {
        case Settings::TagSource::kId3v1Only:
            return TagParts::kKindAndId3v1;
        case Settings::TagSource::kId3v2Only:
            return TagParts::kId3v2;
        case Settings::TagSource::kBoth:
            break;
    }
    return TagParts::kAll;
}

}  // namespace tagwright::TagR
