#pragma once

#include <string>
#include <vector>

#include <iosfwd>

#include "naming/settings.h"
#include "platform/file_system.h"

namespace CLI {
class App;
}

namespace tagwright::cli {

/// The window's settings as command-line options. Raw texts are kept until Apply, so that a
/// bad value is reported with the option that carried it.
struct SettingOptions {
    std::string settingsFile;
    std::string source;
    std::string prefer;
    std::string nameRule;
    bool nameRuleSet = false;
    std::string separator;
    bool separatorSet = false;
    std::string folderRule;
    bool folderRuleSet = false;
    std::string onBlankName;
    std::string onBlankFolder;
    std::vector<std::string> defaults;
    std::vector<std::string> folderDefaults;
    std::vector<std::string> replacements;
};

/// Adds --source, --prefer, --name-rule, --separator, --folder-rule, --on-blank-name,
/// --on-blank-folder, --default, --folder-default and --replace to a sub-command.
void AddSettingOptions(CLI::App& app, SettingOptions& options);

/// Applies the options over the start settings. Throws std::invalid_argument with a one-line
/// message naming the bad option and value.
Settings ApplySettingOptions(const SettingOptions& options, Settings settings);

/// The start settings, or those of --settings FILE (values it cannot use keep their start
/// values and are named once on `warnings`), with the other options applied over them. Throws
/// std::invalid_argument when the file cannot be read or an option is bad.
Settings LoadSettingOptions(const SettingOptions& options, FileSystem& fs, std::ostream& warnings);

}  // namespace tagwright::cli
