#include "cli/cli_settings.h"

#include <CLI/CLI.hpp>
#include <stdexcept>

#include <ostream>
#include "naming/char_conversion.h"
#include "naming/rule_editing.h"
#include "naming/rule_tokens.h"
#include "naming/settings_file.h"

namespace tagwright::cli {

namespace {

std::pair<std::string, std::string> SplitAssignment(const std::string& option,
                                                    const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
        throw std::invalid_argument(option + " expects NAME=TEXT, got '" + text + "'");
    }
    return {text.substr(0, eq), text.substr(eq + 1)};
}

// Text1 indexes of the default texts, by field name, for names (0..5) and folders (7..10).
int NameDefaultIndex(const std::string& field) {
    static const std::pair<const char*, int> kFields[] = {
        {"title", 0}, {"year", 1}, {"album", 2}, {"artist", 3}, {"genre", 4}, {"track", 5}};
    for (const auto& [name, index] : kFields) {
        if (field == name)
            return index;
    }
    return -1;
}

int FolderDefaultIndex(const std::string& field) {
    static const std::pair<const char*, int> kFields[] = {
        {"year", 7}, {"album", 8}, {"artist", 9}, {"genre", 10}};
    for (const auto& [name, index] : kFields) {
        if (field == name)
            return index;
    }
    return -1;
}

bool BlankPolicyFills(const std::string& option, const std::string& value, bool current) {
    if (value.empty())
        return current;
    if (value == "keep")
        return false;
    if (value == "fill")
        return true;
    throw std::invalid_argument(option + " must be keep or fill, got '" + value + "'");
}

// "トラック番号+曲名" is pressed button by button, as in the window: token words append
// themselves, any other element is appended as the literal box's (cleaned) text. A rule
// without "+" is used as written.
std::string BuildNameRule(const std::string& text, const Settings& s) {
    if (text.find('+') == std::string::npos)
        return text;
    std::string rule;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('+', start), text.size());
        const std::string element = text.substr(start, end - start);
        int button = 7;  // the literal button
        for (std::size_t i = 0; i < rule_tokens::kNameButtons.size(); ++i) {
            if (element == rule_tokens::kNameButtons[i])
                button = static_cast<int>(i);
        }
        rule =
            PressFileNameSetBtn(rule, button, s.NameCutText, CleanTypedText(element, s.conversion));
        start = end + 1;
    }
    return rule;
}

}  // namespace

void AddSettingOptions(CLI::App& app, SettingOptions& o) {
    app.add_option("--settings", o.settingsFile,
                   "Start from the settings in FILE, an INI file in the window's format (the "
                   "window keeps its own in tagwright/tagwright.ini in the user's config folder); "
                   "the other options apply over it");
    app.add_option("--source", o.source, "Tags to read: v1, v2 or both (default both)");
    app.add_option("--prefer", o.prefer, "With both tags, which wins: v1 or v2 (default v2)");
    app.add_option("--name-rule", o.nameRule,
                   "Naming rule with the token words 曲名 アルバム アーティスト 年 ジャンル "
                   "トラック番号, used as written (default 曲名). Written as WORD+WORD+... it is "
                   "built as the window's buttons build it: the elements joined by --separator")
        ->each([&o](const std::string&) { o.nameRuleSet = true; });
    app.add_option("--separator", o.separator,
                   "Separator between the elements of a WORD+WORD naming rule, at most 3 "
                   "characters (default -)")
        ->each([&o](const std::string&) { o.separatorSet = true; });
    app.add_option("--folder-rule", o.folderRule,
                   "Folder rule; \\ or / divides folder levels (default アーティスト\\アルバム\\)")
        ->each([&o](const std::string&) { o.folderRuleSet = true; });
    app.add_option("--on-blank-name", o.onBlankName,
                   "A blank tag in the naming rule: keep the file's name, or fill from --default");
    app.add_option("--on-blank-folder", o.onBlankFolder,
                   "A blank tag in the folder rule: keep the file where it is, or fill from "
                   "--folder-default");
    app.add_option("--default", o.defaults,
                   "Default text for a blank field in names: FIELD=TEXT, FIELD one of title, "
                   "artist, album, genre, year, track");
    app.add_option("--folder-default", o.folderDefaults,
                   "Default text for a blank field in folders: FIELD=TEXT, FIELD one of artist, "
                   "album, genre, year");
    app.add_option("--replace", o.replacements,
                   "Conversion table entry CHAR=TEXT for one of \\ / > < ? \" | * : , ;");
}

Settings ApplySettingOptions(const SettingOptions& o, Settings s) {
    if (!o.source.empty()) {
        if (o.source == "v1") {
            s.tagSource = Settings::TagSource::kId3v1Only;
        } else if (o.source == "v2") {
            s.tagSource = Settings::TagSource::kId3v2Only;
        } else if (o.source == "both") {
            s.tagSource = Settings::TagSource::kBoth;
        } else {
            throw std::invalid_argument("--source must be v1, v2 or both, got '" + o.source + "'");
        }
    }
    if (!o.prefer.empty()) {
        if (o.prefer == "v1") {
            s.priority = Settings::Priority::kId3v1First;
        } else if (o.prefer == "v2") {
            s.priority = Settings::Priority::kId3v2First;
        } else {
            throw std::invalid_argument("--prefer must be v1 or v2, got '" + o.prefer + "'");
        }
    }
    s.nameFillBlanks = BlankPolicyFills("--on-blank-name", o.onBlankName, s.nameFillBlanks);
    s.folderFillBlanks = BlankPolicyFills("--on-blank-folder", o.onBlankFolder, s.folderFillBlanks);

    // The conversion table first: the default texts below are cleaned with it, as the window
    // cleans what is typed into its boxes.
    for (const std::string& r : o.replacements) {
        const auto [character, text] = SplitAssignment("--replace", r);
        bool found = false;
        for (std::size_t row = 0; row < s.conversion.size(); ++row) {
            if (s.conversion[row].character == character) {
                s.conversion[row].replacement = CheckReplacementInput(row, text, s.conversion);
                found = true;
            }
        }
        if (!found) {
            throw std::invalid_argument("--replace: '" + character +
                                        "' is not in the conversion table");
        }
    }
    for (const std::string& d : o.defaults) {
        const auto [field, text] = SplitAssignment("--default", d);
        const int index = NameDefaultIndex(field);
        if (index < 0)
            throw std::invalid_argument("--default: unknown field '" + field + "'");
        s.Text1[static_cast<std::size_t>(index)] = CleanTypedText(text, s.conversion);
    }
    for (const std::string& d : o.folderDefaults) {
        const auto [field, text] = SplitAssignment("--folder-default", d);
        const int index = FolderDefaultIndex(field);
        if (index < 0) {
            throw std::invalid_argument("--folder-default: unknown field '" + field + "'");
        }
        s.Text1[static_cast<std::size_t>(index)] = CleanTypedText(text, s.conversion);
    }
    if (o.separatorSet)
        s.NameCutText = CleanNameCutText(o.separator, s.conversion);
    if (o.nameRuleSet)
        s.FileNameSetting = BuildNameRule(o.nameRule, s);
    if (o.folderRuleSet) {
        s.FileMoveText = o.folderRule;
        for (char& c : s.FileMoveText) {
            if (c == '/')
                c = '\\';
        }
    }
    return s;
}

Settings LoadSettingOptions(const SettingOptions& o, FileSystem& fs, std::ostream& warnings) {
    if (o.settingsFile.empty())
        return ApplySettingOptions(o, Settings{});
    auto loaded = ReadSettingsFile(fs, o.settingsFile);
    if (!loaded)
        throw std::invalid_argument("--settings: " + loaded.error().Message());
    if (!loaded->refused.empty()) {
        warnings << "tagwright-cli: " << o.settingsFile
                 << ": these values cannot be used; their start values apply:";
        for (const std::string& r : loaded->refused)
            warnings << ' ' << r;
        warnings << '\n';
    }
    return ApplySettingOptions(o, std::move(loaded->settings));
}

}  // namespace tagwright::cli
