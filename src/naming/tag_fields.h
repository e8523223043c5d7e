#pragma once

#include <string>

namespace tagwright {

/// The six tag values a name or folder path is made from. A field is blank when it is the
/// empty text; a text of spaces is not blank here (composition treats a lone space as blank
/// after conversion).
struct TagFields {
    std::string TrackName{};   ///< title, token "曲名"
    std::string ArtistName{};  ///< token "アーティスト"
    std::string AlbumName{};   ///< token "アルバム"
    std::string Genre{};       ///< token "ジャンル"
    std::string Year{};        ///< token "年"
    std::string TrackNo{};     ///< track number as text, token "トラック番号"

    bool operator==(const TagFields&) const = default;
};

}  // namespace tagwright
