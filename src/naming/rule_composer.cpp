#include "naming/rule_composer.h"

#include <array>

#include "naming/char_conversion.h"
#include "naming/rule_tokens.h"

namespace tagwright::TagR {

namespace {

struct Token {
    std::string_view word;
    std::string TagFields::*field;
};

// The order is part of the behaviour: a value inserted for an earlier token is searched by
// the later ones.
constexpr std::array<Token, 6> kTokens = {{
    {rule_tokens::kYear, &TagFields::Year},
    {rule_tokens::kTitle, &TagFields::TrackName},
    {rule_tokens::kGenre, &TagFields::Genre},
    {rule_tokens::kAlbum, &TagFields::AlbumName},
    {rule_tokens::kArtist, &TagFields::ArtistName},
    {rule_tokens::kTrack, &TagFields::TrackNo},
}};

}  // namespace

std::optional<std::string> TryComposeFromRule(const TagFields& tags, std::string_view rule,
                                              bool skipOnBlank, const ConversionTable& table) {
    std::string work(rule);
    for (const Token& token : kTokens) {
        const std::size_t at = work.find(token.word);
        if (at == std::string::npos)
            continue;
        const std::string value = ConvertProhibitChars(tags.*token.field, table);
        if (value.empty() && skipOnBlank)
            return std::nullopt;
        work.replace(at, token.word.size(), value);
    }
    if (work.find("\\\\") != std::string::npos)
        work = CollapseDoubleBackslash(work);
    if (work == "\\")
        work.clear();
    return work;
}

std::string ComposeFromRule(const TagFields& tags, std::string_view rule, bool skipOnBlank,
                            const ConversionTable& table) {
    std::optional<std::string> composed = TryComposeFromRule(tags, rule, skipOnBlank, table);
    return composed ? std::move(*composed) : std::string(kBlankEscapeFailure);
}

std::string CollapseDoubleBackslash(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\\' && !out.empty() && out.back() == '\\')
            continue;
        out += c;
    }
    return out;
}

}  // namespace tagwright::TagR
