#pragma once

#include <array>
#include <string_view>

/// The token words of naming and folder rules: what the rule buttons write, what the composer
/// replaces by tag values and what the command line accepts in a WORD+WORD rule.
namespace tagwright::rule_tokens {

inline constexpr std::string_view kTitle = "曲名";
inline constexpr std::string_view kAlbum = "アルバム";
inline constexpr std::string_view kArtist = "アーティスト";
inline constexpr std::string_view kYear = "年";
inline constexpr std::string_view kGenre = "ジャンル";
inline constexpr std::string_view kTrack = "トラック番号";

/// FileNameSetBtn(0..5), in button order.
inline constexpr std::array<std::string_view, 6> kNameButtons = {kTitle, kAlbum, kArtist,
                                                                 kYear,  kGenre, kTrack};
/// FileMovepPlaceBtn(0..3), in button order.
inline constexpr std::array<std::string_view, 4> kFolderButtons = {kArtist, kAlbum, kGenre, kYear};

}  // namespace tagwright::rule_tokens
