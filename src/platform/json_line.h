#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace tagwright {

/// One JSON object written as one line, field by field into a buffer kept from line to line,
/// so that a row costs no object tree. Texts are escaped by the JSON library's own serializer;
/// text that is not valid UTF-8 is written with U+FFFD.
class JsonLine {
  public:
    JsonLine();
    JsonLine(const JsonLine&) = delete;
    JsonLine& operator=(const JsonLine&) = delete;

    /// Starts a new line: "{".
    JsonLine& Begin();
    JsonLine& Text(std::string_view key, std::string_view value);
    /// Text when `value` is valid UTF-8; otherwise writes nothing and says false. One pass over
    /// the value where checking first and writing after would take two.
    bool TextIfUtf8(std::string_view key, std::string_view value);
    JsonLine& Number(std::string_view key, long long value);
    /// A number past the range of Number: a file's device and inode are 64-bit unsigned.
    JsonLine& Unsigned(std::string_view key, std::uint64_t value);
    JsonLine& Null(std::string_view key);
    JsonLine& Bool(std::string_view key, bool value);
    /// A nested object or array, closed by the matching End.
    JsonLine& BeginObject(std::string_view key) { return Open(key, '{'); }
    JsonLine& EndObject() { return Close('}'); }
    JsonLine& BeginArray(std::string_view key) { return Open(key, '['); }
    JsonLine& ArrayText(std::string_view value);
    JsonLine& EndArray() { return Close(']'); }
    /// Closes the line ("}" and a line break) and gives it.
    const std::string& End();

  private:
    JsonLine& Open(std::string_view key, char bracket);
    JsonLine& Close(char bracket);
    void Key(std::string_view key);
    void Escaped(std::string_view text);
    void Write(std::string_view text, bool asItIs);

    std::string m_line;
    bool m_first = true;
    nlohmann::json m_text = std::string();  // the value being escaped, its buffer reused
    nlohmann::detail::serializer<nlohmann::json> m_serializer;
};

}  // namespace tagwright
