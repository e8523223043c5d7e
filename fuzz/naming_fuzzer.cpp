// Arbitrary rules, tag values and conversion tables through composition and the safe-name
// functions. Whatever goes in, a name stays in its folder and a folder path under the storage
// folder: no level is empty, "." or "..", no name holds a separator, every text is valid UTF-8
// and fits the file system's name limit, and the only dividers are those the rule put there.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fuzz_checks.h"
#include "naming/char_conversion.h"
#include "naming/rule_composer.h"
#include "naming/safe_name.h"
#include "platform/path.h"
#include "support/memory_file_system.h"

using namespace tagwright;
using tagwright::fuzz::IsValidUtf8;

namespace {

constexpr std::string_view kTokens[] = {"年",       "曲名",         "ジャンル",
                                        "アルバム", "アーティスト", "トラック番号"};

std::size_t Count(std::string_view text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

std::string MakeRule(FuzzedDataProvider& in) {
    std::string rule;
    const int pieces = in.ConsumeIntegralInRange(0, 24);
    for (int i = 0; i < pieces && in.remaining_bytes() > 0; ++i) {
        const int pick = in.ConsumeIntegralInRange(0, 10);
        if (pick < 6)
            rule += kTokens[pick];
        else if (pick == 6)
            rule += '\\';
        else if (pick == 7)
            rule += "..";
        else if (pick == 8)
            rule += '.';
        else
            rule += in.ConsumeRandomLengthString(16);
    }
    return rule;
}

std::size_t Units(std::string_view text, NameLimit::Unit unit) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        n += unit == NameLimit::Unit::kUtf16Units ? (len == 4 ? 2 : 1) : len;
        i += len;
    }
    return n;
}

bool IsDeviceStem(std::string text) {
    text = text.substr(0, text.find('.'));
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    for (char& c : text)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (text == "CON" || text == "PRN" || text == "AUX" || text == "NUL")
        return true;
    if (text.size() < 4 || (text.compare(0, 3, "COM") != 0 && text.compare(0, 3, "LPT") != 0))
        return false;
    const std::string tail = text.substr(3);
    return (tail.size() == 1 && tail[0] >= '0' && tail[0] <= '9') || tail == "\u00B9" ||
           tail == "\u00B2" || tail == "\u00B3";
}

// What every file or folder name made from a rule must be.
void CheckName(const std::string& name, const NameLimit& limit) {
    FUZZ_CHECK(IsValidUtf8(name));
    for (const char c : name) {
        FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
        FUZZ_CHECK(std::string_view("/\\<>:\"|?*").find(c) == std::string_view::npos);
    }
    FUZZ_CHECK(!IsDeviceStem(name));
    FUZZ_CHECK(Units(name, limit.unit) <= limit.max);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);

    Settings settings;
    bool tableAddsDividers = false;
    if (in.ConsumeBool()) {
        for (ConversionRow& row : settings.conversion) {
            if (in.ConsumeBool()) {
                row.replacement = in.ConsumeRandomLengthString(8);
                tableAddsDividers = tableAddsDividers || Count(row.replacement, '\\') > 0;
            }
        }
    }
    NameLimit limit = PlatformNameLimit();
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 1:
            limit.unit = NameLimit::Unit::kUtf16Units;
            break;
        case 2:
            // Small enough that cuts happen often; large enough for a base of 6 units.
            limit.max = in.ConsumeIntegralInRange<std::size_t>(17, 255);
            break;
        default:
            break;
    }
    const bool skipOnBlank = in.ConsumeBool();
    TagFields fields;
    for (std::string* f : {&fields.TrackName, &fields.ArtistName, &fields.AlbumName, &fields.Genre,
                           &fields.Year, &fields.TrackNo}) {
        *f = in.ConsumeRandomLengthString(64);
    }
    const std::string rule = MakeRule(in);

    // With the start table a converted value holds none of the table's characters.
    const ConversionTable start = StartConversionTable();
    const std::string converted = ConvertProhibitChars(fields.TrackName, start);
    for (const ConversionRow& row : start)
        FUZZ_CHECK(converted.find(row.character) == std::string::npos);

    const auto composed = TagR::TryComposeFromRule(fields, rule, skipOnBlank, settings.conversion);
    if (!composed) {
        FUZZ_CHECK(skipOnBlank);
        return 0;
    }
    FUZZ_CHECK(composed->find("\\\\") == std::string::npos && *composed != "\\");
    if (!tableAddsDividers)
        FUZZ_CHECK(Count(*composed, '\\') <= Count(rule, '\\'));

    // As a file name: the base plus the longest numbered ending fits, and neither "." nor ".."
    // can come of it since ".mp3" always follows.
    const std::string base = SafeBaseName(*composed, limit);
    CheckName(base + ".mp3", limit);
    CheckName(base + std::string(kLongestNumberedEnding), limit);

    // As a folder path: each level a real, single folder name, or none when a level comes out
    // empty.
    const auto levels = SafeFolderLevels(*composed, limit);
    FUZZ_CHECK(!levels || levels->size() <= Count(*composed, '\\') + 1);
    for (const std::string& level : levels.value_or(std::vector<std::string>{})) {
        FUZZ_CHECK(!level.empty() && level != "." && level != "..");
        FUZZ_CHECK(level.back() != '.' && level.back() != ' ');
        CheckName(level, limit);
    }

    // The whole destination: the storage folder, then exactly those levels (made with the
    // platform's limit), each closed by one separator.
    settings.MP3SaveFolderTxt = "/storage/";
    settings.FileMoveText = rule;
    const auto dest = TagR::DestinationFolder(fields, settings, skipOnBlank);
    const auto platformLevels = SafeFolderLevels(*composed);
    FUZZ_CHECK(dest.has_value() == platformLevels.has_value());
    // An empty name or level is refused, never given to a file.
    if (!dest || SafeBaseName(*composed).empty())
        return 0;
    std::string expected = settings.MP3SaveFolderTxt;
    for (const std::string& level : *platformLevels)
        expected += level + path::kSeparator;
    FUZZ_CHECK(*dest == expected);

    // And on a file system: the renamed file stays in its folder under the safe name, the moved
    // one lands under the storage folder, and no folder is made anywhere else.
    test::MemoryFileSystem fs;
    const std::string song = "/in/song.mp3";
    fs.Put(song, {1, 2, 3});
    settings.FileNameSetting = rule;
    // The identity as the list records it, so every step checks it is still this file.
    const FileIdentity id = fs.IdentifyFile(song).value();
    const FileOutcome renamed = TagR::RenameMP3File(fs, song, id, fields, settings, skipOnBlank);
    FUZZ_CHECK(renamed.Done());
    FUZZ_CHECK(renamed.text == SafeBaseName(*composed) + ".mp3");
    const std::string now = "/in/" + renamed.text;
    FUZZ_CHECK(fs.FilePaths() == std::vector<std::string>{now});

    fs.CreateFolder("/storage").ThrowIfError();
    const FileOutcome moved =
        TagR::MoveMP3File(fs, now, id, fields, settings, skipOnBlank, false, {});
    FUZZ_CHECK(moved.Done());
    FUZZ_CHECK(moved.text == *dest + renamed.text);
    FUZZ_CHECK(fs.FilePaths() == std::vector<std::string>{moved.text});
    for (const std::string& folder : fs.Folders()) {
        FUZZ_CHECK(folder == "/" || folder == "/in" || folder == "/storage" ||
                   folder.rfind("/storage/", 0) == 0);
    }
    return 0;
}
