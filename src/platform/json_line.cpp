#include "platform/json_line.h"

#include <charconv>
#include <cstring>

#include "platform/byte_words.h"
#include "platform/utf8.h"

namespace tagwright {

JsonLine::JsonLine()
    : m_serializer(nlohmann::detail::output_adapter<char>(m_line), ' ',
                   nlohmann::json::error_handler_t::replace) {}

JsonLine& JsonLine::Begin() {
    m_line.clear();
    m_line += '{';
    m_first = true;
    return *this;
}

namespace {

// Whether any of the 8 bytes in `w` is one the serializer escapes: a control character, '"'
// or '\\'.
bool Escapes(std::uint64_t w) {
    return bytewords::AnyBelow(w, 0x20) || bytewords::Any(w, '"') || bytewords::Any(w, '\\');
}

enum class Form { kAsItIs, kEscaped, kNotUtf8 };

// How the serializer would write `text`: back unchanged between its quotes (no byte it escapes
// and valid UTF-8, which is nearly every key and value), with escapes, or with replacements
// for broken UTF-8.
Form FormOf(std::string_view text) {
    std::uint64_t high = 0;
    std::size_t i = 0;
    // Eight bytes at a time: a tag's text can run to hundreds of bytes.
    for (; i + 8 <= text.size(); i += 8) {
        const std::uint64_t w = bytewords::At(text, i);
        if (Escapes(w))
            return utf8::IsValid(text) ? Form::kEscaped : Form::kNotUtf8;
        high |= w;
    }
    if (i < text.size()) {
        // The last few bytes (all of most keys) as one word, filled out with a letter, which
        // needs no escape and is ASCII.
        std::uint64_t w = 0x4141414141414141ULL;
        std::memcpy(&w, text.data() + i, text.size() - i);
        if (Escapes(w))
            return utf8::IsValid(text) ? Form::kEscaped : Form::kNotUtf8;
        high |= w;
    }
    return !bytewords::AnyHigh(high) || utf8::IsValid(text) ? Form::kAsItIs : Form::kNotUtf8;
}

// Straight into the line, with no string of its own: every journal record carries two numbers.
template <class Integer>
void AppendDecimal(std::string& line, Integer value) {
    char digits[24];
    line.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

}  // namespace

void JsonLine::Escaped(std::string_view text) {
    Write(text, FormOf(text) == Form::kAsItIs);
}

void JsonLine::Write(std::string_view text, bool asItIs) {
    // A row's dozen strings would each go through the serializer byte by byte.
    if (asItIs) {
        m_line += '"';
        m_line.append(text);
        m_line += '"';
        return;
    }
    m_text.get_ref<std::string&>().assign(text);
    m_serializer.dump(m_text, false, false, 0);
}

void JsonLine::Key(std::string_view key) {
    if (!m_first)
        m_line += ',';
    m_first = false;
    Escaped(key);
    m_line += ':';
}

JsonLine& JsonLine::Text(std::string_view key, std::string_view value) {
    Key(key);
    Escaped(value);
    return *this;
}

bool JsonLine::TextIfUtf8(std::string_view key, std::string_view value) {
    const Form form = FormOf(value);
    if (form == Form::kNotUtf8)
        return false;
    Key(key);
    Write(value, form == Form::kAsItIs);
    return true;
}

JsonLine& JsonLine::Number(std::string_view key, long long value) {
    Key(key);
    AppendDecimal(m_line, value);
    return *this;
}

JsonLine& JsonLine::Unsigned(std::string_view key, std::uint64_t value) {
    Key(key);
    AppendDecimal(m_line, value);
    return *this;
}

JsonLine& JsonLine::Null(std::string_view key) {
    Key(key);
    m_line += "null";
    return *this;
}

JsonLine& JsonLine::Bool(std::string_view key, bool value) {
    Key(key);
    m_line += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::Open(std::string_view key, char bracket) {
    Key(key);
    m_line += bracket;
    m_first = true;
    return *this;
}

JsonLine& JsonLine::Close(char bracket) {
    m_line += bracket;
    m_first = false;
    return *this;
}

JsonLine& JsonLine::ArrayText(std::string_view value) {
    if (!m_first)
        m_line += ',';
    m_first = false;
    Escaped(value);
    return *this;
}

const std::string& JsonLine::End() {
    m_line += "}\n";
    return m_line;
}

}  // namespace tagwright
