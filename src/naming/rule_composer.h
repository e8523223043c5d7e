#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "naming/settings.h"
#include "naming/tag_fields.h"

namespace tagwright::TagR {

/// What ComposeFromRule gives instead of a name when a field the rule needs is blank and the
/// caller asked to leave such files alone.
inline constexpr std::string_view kBlankEscapeFailure =
    "Faild : BlankEscape Error : Cancel this process";

/// Replaces the first occurrence of each token word ("年", "曲名", "ジャンル", "アルバム",
/// "アーティスト", "トラック番号", searched in that order in the text as the earlier tokens left
/// it) by its field passed through ConvertProhibitChars, then closes up runs of backslashes;
/// a result of a lone backslash becomes empty. With skipOnBlank, a token whose converted value
/// is empty gives kBlankEscapeFailure instead.
///
/// The result is not yet safe as a file or folder name: pass it through SafeBaseName or
/// SafeFolderLevels before touching the disk.
std::string ComposeFromRule(const TagFields& tags, std::string_view rule, bool skipOnBlank,
                            const ConversionTable& table);

/// ComposeFromRule, with the blank escape as std::nullopt, so no composed text can ever be
/// mistaken for it.
std::optional<std::string> TryComposeFromRule(const TagFields& tags, std::string_view rule,
                                              bool skipOnBlank, const ConversionTable& table);

/// Every run of two or more backslashes becomes one backslash.
std::string CollapseDoubleBackslash(std::string_view text);

}  // namespace tagwright::TagR
