#include "cli/row_output.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace tagwright::cli {
namespace {

// Whatever path a string takes through the writer, the text is what the serializer makes of it.
TEST(JsonLine, WritesEachStringAsTheSerializerDoes) {
    const std::string strings[] = {
        "",
        "plain ascii",
        "曲 123 アーティスト",
        "quote \" and backslash \\",
        "tab\tline\nbreak\r",
        std::string("nul\0inside", 10),
        "\x7f delete",
        "broken \xff\xfe utf-8",
        "cut short \xe6\x9b",
        "overlong \xc0\xaf",
        "surrogate \xed\xa0\x80",
    };
    JsonLine line;
    for (const std::string& s : strings) {
        SCOPED_TRACE(s);
        const std::string expected =
            nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        line.Begin().Text(s, s).BeginArray("a").ArrayText(s).EndArray();
        EXPECT_EQ(line.End(), "{" + expected + ":" + expected + ",\"a\":[" + expected + "]}\n");
    }
}

}  // namespace
}  // namespace tagwright::cli
