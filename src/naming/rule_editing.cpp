#include "naming/rule_editing.h"

#include <array>

#include "naming/char_conversion.h"
#include "naming/rule_tokens.h"
#include "platform/utf8.h"

namespace tagwright {

namespace {

constexpr auto kNameTokens = rule_tokens::kNameButtons;
constexpr int kNameClear = 6;
constexpr int kNameLiteral = 7;

constexpr auto kFolderTokens = rule_tokens::kFolderButtons;
constexpr int kFolderClear = 4;
constexpr int kFolderLiteral = 5;

// The part every rule button shares: the joiner in front of a new element, and a token the
// rule already holds (even inside a literal) starting the rule afresh.
std::string Press(std::string_view rule, std::string_view joiner, std::string_view token) {
    std::string out(rule);
    if (!out.empty())
        out += joiner;
    if (out.find(token) != std::string::npos)
        out.clear();
    out += token;
    return out;
}

std::string Append(std::string_view rule, std::string_view joiner, std::string_view literal) {
    std::string out(rule);
    if (!out.empty())
        out += joiner;
    out += literal;
    return out;
}

}  // namespace

std::string PressFileNameSetBtn(std::string_view rule, int index, std::string_view separator,
                                std::string_view literal) {
    if (index >= 0 && index < static_cast<int>(kNameTokens.size()))
        return Press(rule, separator, kNameTokens[static_cast<std::size_t>(index)]);
    if (index == kNameClear)
        return {};
    if (index == kNameLiteral)
        return Append(rule, separator, literal);
    return std::string(rule);
}

std::string PressFileMovepPlaceBtn(std::string_view rule, int index, std::string_view literal) {
    if (index >= 0 && index < static_cast<int>(kFolderTokens.size()))
        return Press(rule, "\\", kFolderTokens[static_cast<std::size_t>(index)]);
    if (index == kFolderClear)
        return {};
    if (index == kFolderLiteral)
        return Append(rule, "\\", literal);
    return std::string(rule);
}

std::string CleanTypedText(std::string_view text, const ConversionTable& table) {
    if (text == " ")
        return std::string(text);
    return ConvertProhibitChars(text, table);
}

std::string CleanNameCutText(std::string_view text, const ConversionTable& table) {
    const std::string cleaned =
        CleanTypedText(utf8::FirstCodePoints(text, kNameCutTextMaxChars), table);
    return std::string(utf8::FirstCodePoints(cleaned, kNameCutTextMaxChars));
}

}  // namespace tagwright
