#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "naming/settings.h"

namespace tagwright {

/// The separator box NameCutText holds at most this many characters (code points, not bytes).
inline constexpr std::size_t kNameCutTextMaxChars = 3;

/// The naming rule after a click on FileNameSetBtn(index): 0 "曲名", 1 "アルバム",
/// 2 "アーティスト", 3 "年", 4 "ジャンル", 5 "トラック番号", 6 "クリア", 7 "文字" (appends
/// `literal`, the text of OriTxt). A non-empty rule first gets `separator`; a token the rule
/// already holds anywhere starts the rule afresh. An index outside 0..7 changes nothing.
std::string PressFileNameSetBtn(std::string_view rule, int index, std::string_view separator,
                                std::string_view literal);

/// The folder rule after a click on FileMovepPlaceBtn(index): 0 "アーティスト", 1 "アルバム",
/// 2 "ジャンル", 3 "年", 4 "クリア", 5 "文字" (appends `literal`, the text of OriTxt2). A
/// non-empty rule first gets "\". An index outside 0..5 changes nothing.
std::string PressFileMovepPlaceBtn(std::string_view rule, int index, std::string_view literal);

/// The cleaning of OriTxt, OriTxt2 and Text1(i) on every change: a lone space stays, anything
/// else goes through ConvertProhibitChars. Cleaning a cleaned text changes nothing while the
/// table's replacements hold none of its characters.
std::string CleanTypedText(std::string_view text, const ConversionTable& table);

/// The cleaning of NameCutText: at most kNameCutTextMaxChars characters (a longer text keeps
/// its first ones, as a refused keystroke would), then CleanTypedText, and cut again should a
/// long replacement have made it longer.
std::string CleanNameCutText(std::string_view text, const ConversionTable& table);

}  // namespace tagwright
