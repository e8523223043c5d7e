#include "naming/char_conversion.h"

#include <array>

#include "platform/cp932.h"

namespace tagwright {

namespace {

// Most tag texts hold none of the table's characters; one scan over the bytes tells.
bool HoldsAnyRowCharacter(std::string_view text, const ConversionTable& table) {
    std::array<bool, 256> first{};
    for (const ConversionRow& row : table) {
        if (!row.character.empty())
            first[static_cast<unsigned char>(row.character[0])] = true;
    }
    for (const char c : text) {
        if (first[static_cast<unsigned char>(c)])
            return true;
    }
    return false;
}

}  // namespace

std::string ConvertProhibitChars(std::string_view text, const ConversionTable& table) {
    if (text != " " && !HoldsAnyRowCharacter(text, table))
        return std::string(text);
    std::string out(text);
    for (const ConversionRow& row : table) {
        if (row.character.empty())
            continue;
        std::size_t hit = out.find(row.character);
        if (hit == std::string::npos)
            continue;
        // One left-to-right pass: copy up to each hit, then the replacement, and search on
        // after the replaced character, never inside what was just inserted.
        std::string next;
        next.reserve(out.size() + row.replacement.size());
        std::size_t from = 0;
        while (hit != std::string::npos) {
            next.append(out, from, hit - from);
            next += row.replacement;
            from = hit + row.character.size();
            hit = out.find(row.character, from);
        }
        next.append(out, from, std::string::npos);
        out = std::move(next);
    }
    if (out == " ")
        out.clear();
    return out;
}

std::string FullWidthForm(std::string_view character) {
    if (character.size() != 1)
        return std::string(character);
    const auto c = static_cast<unsigned char>(character[0]);
    std::string out;
    if (c == ' ') {
        AppendUtf8(out, U'\u3000');
    } else if (c >= '!' && c <= '~') {
        AppendUtf8(out, static_cast<char32_t>(0xFF01 + (c - '!')));
    } else {
        out.assign(character);
    }
    return out;
}

void ResetConversionTable(ConversionTable& table) {
    table[0].replacement = "_";
    for (std::size_t i = 1; i < table.size(); ++i)
        table[i].replacement = FullWidthForm(table[i].character);
}

std::string CheckReplacementInput(std::size_t row, std::string_view text,
                                  const ConversionTable& table) {
    if (row >= table.size())
        return std::string(text);
    for (const ConversionRow& r : table) {
        if (text == r.character)
            return row == 0 ? std::string("_") : FullWidthForm(table[row].character);
    }
    return std::string(text);
}

}  // namespace tagwright
