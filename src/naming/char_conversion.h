#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "naming/settings.h"

namespace tagwright {

/// Replaces every character of the table's rows by the row's replacement, one pass per row in
/// row order. A pass does not search the replacement it inserted, but later passes see it: with
/// "/" as the replacement of "\", a "\" ends up as the replacement of "/". A result of exactly
/// one space becomes the empty text.
std::string ConvertProhibitChars(std::string_view text, const ConversionTable& table);

/// The full-width form of an ASCII character from "!" to "~" (U+FF01..U+FF5E), U+3000 for a
/// space; any other text comes back unchanged.
std::string FullWidthForm(std::string_view character);

/// "初期化": row 0 gets "_", every other row the full-width form of its character.
void ResetConversionTable(ConversionTable& table);

/// The check on a replacement box Text6(row) when its text changes: a text that is exactly one
/// of the table's characters becomes the full-width form of the row's own character ("_" for
/// row 0); anything else stays as typed.
std::string CheckReplacementInput(std::size_t row, std::string_view text,
                                  const ConversionTable& table);

}  // namespace tagwright
