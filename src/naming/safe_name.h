#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/name_limit.h"

namespace tagwright {

/// Room a base name leaves for the longest numbered ending a clash can give.
inline constexpr std::string_view kLongestNumberedEnding = "(10000).mp3";

/// Makes a composed base name safe to give a file in its own folder as base + ".mp3" or
/// base + "(n).mp3", on this system and on Windows:
/// - invalid UTF-8 becomes U+FFFD; control characters U+0000..U+001F and U+007F are removed;
/// - "/" and "\" become "_"; < > : " | ? * become their full-width forms (U+FF1C, U+FF1E,
///   U+FF1A, U+FF02, U+FF5C, U+FF1F, U+FF0A), since no Windows name may hold them;
/// - a Windows device name (CON, PRN, AUX, NUL, COM0..COM9, LPT0..LPT9, and COM or LPT with
///   a superscript 1, 2 or 3), in any letter case, as the whole text or before its first dot,
///   gets "_" after it: "con.x" -> "con_.x";
/// - the text is cut at a character boundary so that it plus kLongestNumberedEnding fits in
///   `limit`.
/// Dots and blanks at its end stay: ".mp3" always follows, so the file name never ends in one
/// and is never "." or "..". The result holds no separator, so the file never leaves its folder.
/// A device name stays marked for any limit that leaves the base at least 6 units. The result
/// is empty when nothing of the name is left (an empty rule or default text, a value of control
/// characters only); such a name would give the hidden file ".mp3" and must be refused.
std::string SafeBaseName(std::string_view base, const NameLimit& limit = PlatformNameLimit());

/// Splits a composed folder path on its "\" dividers and makes each level safe as a folder
/// name under the storage folder: empty levels are dropped (a run of dividers, a leading or
/// trailing one), each level is treated as SafeBaseName does (without the numbered ending's
/// room), and then "." and ".." become "．" and "．．" and the dots and blanks at a level's end
/// become U+FF0E and U+3000, since Windows drops them. No level is empty, ".", ".." or holds a
/// separator, so the joined levels never lead out of the storage folder. nullopt when a level
/// that held characters comes out empty (control characters only): the caller treats that as
/// a blank folder value.
std::optional<std::vector<std::string>> SafeFolderLevels(
    std::string_view composedFolder, const NameLimit& limit = PlatformNameLimit());

/// One folder level made safe as SafeFolderLevels does it; the empty text stays empty.
std::string SafeFolderLevel(std::string_view level, const NameLimit& limit = PlatformNameLimit());

}  // namespace tagwright
