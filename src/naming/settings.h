#pragma once

#include <array>
#include <string>

#include "platform/special_folders.h"

namespace tagwright {

/// One row of the character conversion table: a character file names may not hold, and the
/// text that takes its place.
struct ConversionRow {
    std::string character;
    std::string replacement;
    bool operator==(const ConversionRow&) const = default;
};

using ConversionTable = std::array<ConversionRow, 11>;

/// The table as it stands at start. Row 5 starts with U+201D; "初期化" later gives U+FF02.
ConversionTable StartConversionTable();

/// Every setting the window's controls hold, with the values they have at start. The window
/// builds one from its controls when an operation needs them; the command line builds one from
/// its arguments. Never saved.
struct Settings {
    /// Option1(0..2): where the tag values come from.
    enum class TagSource { kId3v1Only = 0, kId3v2Only = 1, kBoth = 2 };
    /// Option1(3..4): which tag wins when both are read.
    enum class Priority { kId3v1First = 3, kId3v2First = 4 };

    TagSource tagSource = TagSource::kBoth;
    Priority priority = Priority::kId3v2First;
    /// Option2(1) selected: blank name fields take Text1(0..5); Option2(0) "名前を変更しない"
    /// when false.
    bool nameFillBlanks = false;
    /// Option2(3) selected: blank folder fields take Text1(7..10); Option2(2)
    /// "ファイルを移動しない" when false.
    bool folderFillBlanks = false;
    /// Text1(0..10), the default texts. 0 title, 1 year, 2 album, 3 artist, 4 genre, 5 track
    /// (for names); 7 year, 8 album, 9 artist, 10 genre (for folders). There is no index 6.
    std::array<std::string, 11> Text1 = {"Unknown", "2001", "single", "Unknown", "genre", "0",
                                         "",        "2001", "single", "Unknown", "genre"};
    /// The naming rule (FileNameSetting), its separator (NameCutText) and literal (OriTxt).
    std::string FileNameSetting = "曲名";
    std::string NameCutText = "-";
    std::string OriTxt;
    /// The folder rule (FileMoveText) and its literal (OriTxt2). "\" divides folder levels on
    /// every platform.
    std::string FileMoveText = "アーティスト\\アルバム\\";
    std::string OriTxt2;
    /// The storage folder (MP3SaveFolderTxt), used as typed: expected to end with a separator.
    std::string MP3SaveFolderTxt = DefaultStorageFolder();
    /// FolderYN "フォルダ作成時に確認する。": ask before creating folders.
    bool FolderYN = true;
    /// Prohibitlabel(0..10) with Text6(0..10).
    ConversionTable conversion = StartConversionTable();

    bool operator==(const Settings&) const = default;
};

}  // namespace tagwright
