#pragma once

#include <string>
#include <vector>

#include "naming/settings.h"

namespace CLI {
class App;
}

namespace tagwright::cli {

/// The window's settings as command-line options. Raw texts are kept until Apply, so that a
/// bad value is reported with the option that carried it.
struct SettingOptions {
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

}  // namespace tagwright::cli
