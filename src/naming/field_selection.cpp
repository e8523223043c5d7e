#include "naming/field_selection.h"

#include "tags/music_genre.h"

namespace tagwright::TagR {

namespace {

TagFields FromId3v1(const clsMP3Tag& r) {
    TagFields f;
    f.TrackName = r.ID3V1TAGTrackName;
    f.AlbumName = r.ID3V1TAGAlbumName;
    f.ArtistName = r.ID3V1TAGArtistName;
    f.Genre = MUSICGENRE::GenreName(static_cast<std::int16_t>(r.ID3V1TAGGenre));
    f.TrackNo = std::to_string(r.ID3V1TAGTrackNo);
    f.Year = r.ID3V1TAGYear;
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

}  // namespace

TagFields GetTagInfo(std::int16_t mode, clsMP3Tag& reader, const Settings& settings) {
    // A reader that found no trailer still holds its start values (genre 0, track 0), which
    // would read as "Blues" and "0"; a file without a trailer gives nothing through ID3v1.
    const auto readV1 = [&reader] {
        return reader.ReadID3v1Tag() ? FromId3v1(reader) : TagFields{};
    };

    TagFields f;
    switch (settings.tagSource) {
        case Settings::TagSource::kId3v1Only:
            f = readV1();
            break;
        case Settings::TagSource::kId3v2Only:
            reader.ReadID3v2Tag();
            f = FromId3v2(reader);
            break;
        case Settings::TagSource::kBoth: {
            const TagFields v1 = readV1();
            reader.ReadID3v2Tag();
            const TagFields v2 = FromId3v2(reader);
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

}  // namespace tagwright::TagR
