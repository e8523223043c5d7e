#include "naming/settings_file.h"

#include <array>
#include <cstdint>
#include <functional>

#include "naming/char_conversion.h"
#include "naming/rule_editing.h"
#include "platform/cp932.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

constexpr std::uint64_t kMaxSettingsFileBytes = 1 << 20;

// One saved setting: its key, how it is written, and how a text is taken back (false when the
// text cannot be used).
struct Field {
    std::string key;
    std::function<std::string(const Settings&)> write;
    std::function<bool(Settings&, const std::string&)> read;
};

// A text a box can show: well-formed UTF-8 without control characters (a hand-edited file may
// hold anything).
bool IsBoxText(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        const char32_t cp = utf8::Next(text, pos);
        if (cp < 0x20 || cp == 0x7F)
            return false;
        if (cp == 0xFFFD && text.compare(start, 3, "\xEF\xBF\xBD") != 0)
            return false;
    }
    return true;
}

Field TextField(std::string key, std::string Settings::*member,
                std::function<bool(const std::string&)> usable = IsBoxText) {
    return {std::move(key), [member](const Settings& s) { return s.*member; },
            [member, usable](Settings& s, const std::string& v) {
                if (!usable(v))
                    return false;
                s.*member = v;
                return true;
            }};
}

Field BoolField(std::string key, bool Settings::*member) {
    return {std::move(key), [member](const Settings& s) { return s.*member ? "true" : "false"; },
            [member](Settings& s, const std::string& v) {
                if (v != "true" && v != "false")
                    return false;
                s.*member = v == "true";
                return true;
            }};
}

template <class Enum>
Field EnumField(std::string key, Enum Settings::*member,
                std::vector<std::pair<std::string, Enum>> names) {
    return {std::move(key),
            [member, names](const Settings& s) {
                for (const auto& [name, value] : names) {
                    if (s.*member == value)
                        return name;
                }
                return std::string();
            },
            [member, names](Settings& s, const std::string& v) {
                for (const auto& [name, value] : names) {
                    if (v == name) {
                        s.*member = value;
                        return true;
                    }
                }
                return false;
            }};
}

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = [] {
        using TS = Settings::TagSource;
        using P = Settings::Priority;
        std::vector<Field> f = {
            EnumField<TS>(
                "Tags/Source", &Settings::tagSource,
                {{"id3v1", TS::kId3v1Only}, {"id3v2", TS::kId3v2Only}, {"both", TS::kBoth}}),
            EnumField<P>("Tags/Priority", &Settings::priority,
                         {{"id3v1", P::kId3v1First}, {"id3v2", P::kId3v2First}}),
            BoolField("Defaults/FillBlankNames", &Settings::nameFillBlanks),
            BoolField("Defaults/FillBlankFolders", &Settings::folderFillBlanks),
        };
        for (std::size_t i = 0; i < Settings{}.Text1.size(); ++i) {
            if (i == 6)
                continue;  // Text1 has no box 6
            f.push_back({"Defaults/Text1_" + std::to_string(i),
                         [i](const Settings& s) { return s.Text1[i]; },
                         [i](Settings& s, const std::string& v) {
                             if (!IsBoxText(v))
                                 return false;
                             s.Text1[i] = v;
                             return true;
                         }});
        }
        f.push_back(TextField("Rules/FileNameSetting", &Settings::FileNameSetting));
        f.push_back(
            TextField("Rules/NameCutText", &Settings::NameCutText, [](const std::string& v) {
                return IsBoxText(v) && utf8::CountCodePoints(v) <= kNameCutTextMaxChars;
            }));
        f.push_back(TextField("Rules/OriTxt", &Settings::OriTxt));
        f.push_back(TextField("Rules/FileMoveText", &Settings::FileMoveText));
        f.push_back(TextField("Rules/OriTxt2", &Settings::OriTxt2));
        f.push_back(TextField("Storage/MP3SaveFolderTxt", &Settings::MP3SaveFolderTxt,
                              [](const std::string& v) { return !v.empty() && IsBoxText(v); }));
        f.push_back(BoolField("Storage/FolderYN", &Settings::FolderYN));
        // Only the replacements: the characters themselves are fixed.
        for (std::size_t row = 0; row < ConversionTable{}.size(); ++row) {
            f.push_back({"Conversion/Text6_" + std::to_string(row),
                         [row](const Settings& s) { return s.conversion[row].replacement; },
                         [row](Settings& s, const std::string& v) {
                             // A replacement the box would have turned into another text (one of
                             // the table's own characters) is not a saved box's text.
                             if (!IsBoxText(v) || CheckReplacementInput(row, v, s.conversion) != v)
                                 return false;
                             s.conversion[row].replacement = v;
                             return true;
                         }});
        }
        return f;
    }();
    return fields;
}

// Appends the UTF-16 code unit of a \x escape, pairing surrogates.
void AppendUnit(std::string& out, char16_t& pendingHigh, std::uint32_t unit) {
    if (pendingHigh != 0) {
        const char16_t high = pendingHigh;
        pendingHigh = 0;
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
            return;
        }
        AppendUtf8(out, 0xFFFD);
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        pendingHigh = static_cast<char16_t>(unit);
        return;
    }
    AppendUtf8(out, unit >= 0xDC00 && unit <= 0xDFFF ? 0xFFFD : static_cast<char32_t>(unit));
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The text of one "Key=value" value: quotes group, backslash escapes as in C (\x takes every
// hex digit that follows, as one UTF-16 code unit), blanks around unquoted parts dropped, an
// unquoted ";" starts a comment and an unquoted "," makes a list.
std::string UnescapeValue(std::string_view v) {
    std::string out;
    std::size_t keep = 0;  // out's length up to the last quoted or non-blank character
    bool inQuotes = false;
    bool list = false;
    char16_t pendingHigh = 0;
    auto flushHigh = [&] {
        if (pendingHigh != 0) {
            pendingHigh = 0;
            AppendUtf8(out, 0xFFFD);
        }
    };
    for (std::size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '\\' && i + 1 < v.size()) {
            const char e = v[++i];
            if (e == 'x') {
                std::uint32_t unit = 0;
                while (i + 1 < v.size() && HexValue(v[i + 1]) >= 0)
                    unit = ((unit << 4) | static_cast<std::uint32_t>(HexValue(v[++i]))) & 0xFFFF;
                AppendUnit(out, pendingHigh, unit);
            } else if (e >= '0' && e <= '7') {
                std::uint32_t unit = static_cast<std::uint32_t>(e - '0');
                while (i + 1 < v.size() && v[i + 1] >= '0' && v[i + 1] <= '7')
                    unit = ((unit << 3) | static_cast<std::uint32_t>(v[++i] - '0')) & 0xFFFF;
                AppendUnit(out, pendingHigh, unit);
            } else {
                flushHigh();
                static constexpr std::string_view kFrom = "abfnrtv\"?'\\";
                static constexpr std::string_view kTo = "\a\b\f\n\r\t\v\"?'\\";
                const auto at = kFrom.find(e);
                out.push_back(at == std::string_view::npos ? e : kTo[at]);
            }
            keep = out.size();
            continue;
        }
        flushHigh();
        if (c == '"') {
            inQuotes = !inQuotes;
            keep = out.size();
        } else if (!inQuotes && c == ';') {
            break;
        } else if (!inQuotes && c == ',') {
            list = true;
            break;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (!out.empty() || keep != 0)
                out.push_back(c);
        } else {
            out.push_back(c);
            keep = out.size();
        }
    }
    flushHigh();
    if (list)
        return std::string(kNotAText);
    out.resize(keep);
    if (out.starts_with("@@"))
        return out.substr(1);
    if (out.starts_with("@"))
        return std::string(kNotAText);
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SettingsToValues(const Settings& settings) {
    std::vector<std::pair<std::string, std::string>> values;
    for (const Field& f : Fields())
        values.emplace_back(f.key, f.write(settings));
    return values;
}

LoadedSettings SettingsFromValues(const SettingValues& values) {
    LoadedSettings loaded;
    for (const Field& f : Fields()) {
        const auto it = values.find(f.key);
        if (it == values.end())
            continue;
        if (!f.read(loaded.settings, it->second)) {
            const std::string shown = it->second == kNotAText ? "(not a text)" : it->second;
            loaded.refused.push_back(f.key + "=" + shown);
        }
    }
    return loaded;
}

SettingValues ParseIniText(std::string_view text) {
    SettingValues values;
    std::string group;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = Trim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            // An unclosed header still starts a group, so that its keys are not taken for
            // keys of another one.
            group = std::string(line.substr(1, line.find(']') - 1));
            if (group == "General")
                group.clear();
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string key(Trim(line.substr(0, eq)));
        if (key.empty())
            continue;
        values[group.empty() ? key : group + "/" + key] = UnescapeValue(Trim(line.substr(eq + 1)));
    }
    return values;
}

Result<LoadedSettings> ReadSettingsFile(FileSystem& fs, const std::string& path) {
    auto reader = fs.OpenRead(path);
    if (!reader)
        return reader.error();
    const auto size = (*reader)->Size();
    if (!size)
        return size.error();
    if (*size > kMaxSettingsFileBytes)
        return Error{"read", path, "not a settings file (over 1 MiB)", 0, ErrorKind::kOther};
    std::string text(static_cast<std::size_t>(*size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        auto got = (*reader)->ReadAt(
            done,
            std::span(reinterpret_cast<std::uint8_t*>(text.data()) + done, text.size() - done));
        if (!got)
            return got.error();
        if (*got == 0)
            break;
        done += *got;
    }
    text.resize(done);
    return SettingsFromValues(ParseIniText(text));
}

}  // namespace tagwright
