#include "naming/safe_name.h"

#include <algorithm>
#include <array>

#include "platform/cp932.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

// The ASCII characters a name keeps as they are: a table, as every byte of a name is asked.
constexpr std::array<bool, 128> kPlainAscii = [] {
    std::array<bool, 128> plain{};
    for (int c = 0x20; c < 0x7F; ++c)
        plain[static_cast<std::size_t>(c)] = true;
    for (const char c : std::string_view("/\\<>:\"|?*"))
        plain[static_cast<std::size_t>(c)] = false;
    return plain;
}();

bool IsPlainAscii(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x80 && kPlainAscii[b];
}

// Control characters (DEL too) go, separators inside a level become "_", and the other characters
// no Windows name may hold take their full-width forms, so a name made here is portable.
// Stops once the text passes `enough` bytes: what follows would be cut off anyway.
std::string Sanitize(std::string_view level, std::size_t enough = std::string::npos) {
    std::string out;
    out.reserve(std::min(level.size(), enough));
    for (std::size_t pos = 0; pos < level.size() && out.size() <= enough;) {
        // A run that stays as it is goes in at once: a name is mostly such runs.
        const std::size_t room = enough - out.size();
        const std::size_t stop = room >= level.size() - pos ? level.size() : pos + room + 1;
        std::size_t run = pos;
        while (run < stop && IsPlainAscii(level[run]))
            ++run;
        out.append(level, pos, run - pos);
        pos = run;
        if (pos == level.size())
            break;
        const std::size_t start = pos;
        const char32_t cp = utf8::Next(level, pos);
        switch (cp) {
            case U'/':
            case U'\\':
                out += '_';
                break;
            case U'<':
            case U'>':
            case U':':
            case U'"':
            case U'|':
            case U'?':
            case U'*':
                AppendUtf8(out, 0xFF01 + (cp - U'!'));
                break;
            case 0xFFFD:
                AppendUtf8(out, cp);
                break;
            default:
                if (cp >= 0x20 && cp != 0x7F)
                    out.append(level, start, pos - start);
        }
    }
    return out;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (AsciiUpper(text[i]) != upper[i])
            return false;
    }
    return true;
}

bool IsDeviceName(std::string_view stem) {
    for (const std::string_view name : {"CON", "PRN", "AUX", "NUL"}) {
        if (EqualsIgnoringCase(stem, name))
            return true;
    }
    if (stem.size() < 4)
        return false;
    const std::string_view head = stem.substr(0, 3);
    if (!EqualsIgnoringCase(head, "COM") && !EqualsIgnoringCase(head, "LPT"))
        return false;
    const std::string_view tail = stem.substr(3);
    if (tail.size() == 1 && tail[0] >= '0' && tail[0] <= '9')
        return true;
    // Windows counts the superscript digits one to three as digits here.
    return tail == "\u00B9" || tail == "\u00B2" || tail == "\u00B3";
}

// Windows opens the device for "CON", "con.mp3" or "CON .txt" alike, in any folder. True when
// the name was one and got its "_".
bool MarkDeviceName(std::string& s) {
    std::size_t stemEnd = s.find('.');
    if (stemEnd == std::string::npos)
        stemEnd = s.size();
    while (stemEnd > 0 && s[stemEnd - 1] == ' ')
        --stemEnd;
    if (!IsDeviceName(std::string_view(s).substr(0, stemEnd)))
        return false;
    s.insert(s.begin() + static_cast<std::ptrdiff_t>(stemEnd), '_');
    return true;
}

void CutToFit(std::string& s, std::size_t budget, NameLimit::Unit unit) {
    // No code point takes more UTF-16 units than UTF-8 bytes.
    if (s.size() <= budget)
        return;
    if (unit == NameLimit::Unit::kUtf8Bytes) {
        // The text is valid UTF-8 by now, so a byte is a unit: cut at the budget, back to the
        // start of the character it falls in.
        std::size_t cut = budget;
        while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
            --cut;
        s.resize(cut);
        return;
    }
    std::size_t used = 0;
    for (std::size_t pos = 0; pos < s.size();) {
        const std::size_t start = pos;
        used += UnitsOf(utf8::Next(s, pos), unit);
        if (used > budget) {
            s.resize(start);
            return;
        }
    }
}

bool EndsWithDotOrBlank(const std::string& s) {
    return !s.empty() && (s.back() == '.' || s.back() == ' ');
}

// Windows drops dots and blanks at the end of a name; their full-width forms stay. This also
// turns "." and ".." into "．" and "．．".
void WidenTrailingDotsAndBlanks(std::string& s) {
    std::size_t end = s.size();
    while (end > 0 && (s[end - 1] == '.' || s[end - 1] == ' '))
        --end;
    if (end == s.size())
        return;
    std::string tail;
    for (std::size_t i = end; i < s.size(); ++i)
        AppendUtf8(tail, s[i] == '.' ? U'\uFF0E' : U'\u3000');
    s.resize(end);
    s += tail;
}

std::size_t UnitsOf(std::string_view text, NameLimit::Unit unit) {
    std::size_t units = 0;
    for (std::size_t pos = 0; pos < text.size();)
        units += UnitsOf(utf8::Next(text, pos), unit);
    return units;
}

}  // namespace

std::string SafeBaseName(std::string_view base, const NameLimit& limit) {
    const std::size_t reserve = UnitsOf(kLongestNumberedEnding, limit.unit);
    const std::size_t budget = limit.max > reserve ? limit.max - reserve : 0;
    // The cut below needs the text only a character past the budget; a character takes at most
    // 3 UTF-8 bytes per UTF-16 unit.
    std::string s =
        Sanitize(base, limit.unit == NameLimit::Unit::kUtf8Bytes ? budget + 4 : 3 * (budget + 2));
    CutToFit(s, budget, limit.unit);
    // Marked after the cut, which can make a device name of a longer text: "PRN", blanks, "x"
    // cut within the blanks reads as "PRN .mp3". The stem is short, so cutting the "_"'s
    // extra unit off the end again never reaches the "_".
    if (MarkDeviceName(s))
        CutToFit(s, budget, limit.unit);
    return s;
}

std::string SafeFolderLevel(std::string_view level, const NameLimit& limit) {
    std::string s = Sanitize(level);
    for (bool marked = false;;) {
        WidenTrailingDotsAndBlanks(s);
        CutToFit(s, limit.max, limit.unit);
        // A cut can leave a new dot or blank at the end; widening it may need one more cut,
        // after which the end is a widened character or one that was never a dot or blank.
        if (EndsWithDotOrBlank(s))
            continue;
        // The device check comes last, on the text as it will be; its "_" may need a cut.
        if (!marked && MarkDeviceName(s)) {
            marked = true;
            continue;
        }
        return s;
    }
}

std::optional<std::vector<std::string>> SafeFolderLevels(std::string_view composedFolder,
                                                         const NameLimit& limit) {
    std::vector<std::string> levels;
    std::size_t from = 0;
    while (from <= composedFolder.size()) {
        std::size_t to = composedFolder.find('\\', from);
        if (to == std::string_view::npos)
            to = composedFolder.size();
        const std::string_view raw = composedFolder.substr(from, to - from);
        std::string level = SafeFolderLevel(raw, limit);
        // A value of control characters only would otherwise vanish and file the song one
        // level higher than the rule says.
        if (level.empty() && !raw.empty())
            return std::nullopt;
        if (!level.empty())
            levels.push_back(std::move(level));
        from = to + 1;
    }
    return levels;
}

}  // namespace tagwright
