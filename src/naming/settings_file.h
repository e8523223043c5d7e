#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "naming/settings.h"
#include "platform/file_system.h"
#include "platform/result.h"

namespace tagwright {

/// A settings file's values by "Group/Key", as texts. A value that is not one text (a list, a
/// comma outside quotes; or an "@Variant(...)") holds kNotAText, so that the loader refuses it
/// instead of guessing.
using SettingValues = std::map<std::string, std::string>;
inline constexpr std::string_view kNotAText = "\x01not a text";

/// Every setting as "Group/Key" and its text, in a fixed order: what the window saves.
std::vector<std::pair<std::string, std::string>> SettingsToValues(const Settings& settings);

/// Settings from saved values. A key that is missing keeps its start value; a value that
/// cannot be used keeps the start value too and is named in `refused` ("Group/Key=value"), so
/// that a damaged or hand-edited file never stops anything and the user is told once.
struct LoadedSettings {
    Settings settings;
    std::vector<std::string> refused;
};
LoadedSettings SettingsFromValues(const SettingValues& values);

/// The values of an INI text in the layout the window's settings use: "[Group]" lines, then
/// "Key=value" lines whose values are unescaped as the window writes them (quotes, backslash
/// escapes, \x code units, "@@" for a leading "@"). Lines it cannot read are skipped.
SettingValues ParseIniText(std::string_view text);

/// ReadFile + ParseIniText + SettingsFromValues; an error only when the file cannot be read.
Result<LoadedSettings> ReadSettingsFile(FileSystem& fs, const std::string& path);

}  // namespace tagwright
