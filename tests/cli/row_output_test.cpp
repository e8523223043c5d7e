#include "cli/row_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

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
    std::vector<std::string> all(std::begin(strings), std::end(strings));
    // Plain text is judged several bytes at a time: each kind of byte that needs a look, at
    // every place within those bytes.
    for (const std::string odd : {"\"", "\\", "\t", "\x1f", "\x7f", "曲", "\xff"}) {
        for (std::size_t before = 0; before < 10; ++before) {
            all.push_back(std::string(before, 'a') + odd + "bcdefghijk");
            all.push_back(std::string(before, 'a') + odd);  // in the short end of the text
        }
    }
    JsonLine line;
    for (const std::string& s : all) {
        SCOPED_TRACE(s);
        const std::string expected =
            nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        line.Begin().Text(s, s).BeginArray("a").ArrayText(s).EndArray();
        EXPECT_EQ(line.End(), "{" + expected + ":" + expected + ",\"a\":[" + expected + "]}\n");
    }
}

// Numbers at the ends of their ranges are written as the serializer writes them.
TEST(JsonLine, WritesNumbersAsTheSerializerDoes) {
    JsonLine line;
    for (const long long n : {0LL, -1LL, 42LL, std::numeric_limits<long long>::min(),
                              std::numeric_limits<long long>::max()}) {
        line.Begin().Number("n", n);
        EXPECT_EQ(line.End(), "{\"n\":" + nlohmann::json(n).dump() + "}\n");
    }
    for (const std::uint64_t n :
         {std::uint64_t{0}, std::uint64_t{65024}, std::numeric_limits<std::uint64_t>::max()}) {
        line.Begin().Unsigned("n", n);
        EXPECT_EQ(line.End(), "{\"n\":" + nlohmann::json(n).dump() + "}\n");
    }
}

// A text row is one line, its cells apart by tabs, whatever the names hold.
TEST(RowPrinter, TextRowStaysOneLine) {
    std::ostringstream out;
    RowStream stream(out, false);
    RowPrinter printer(stream, false);
    ListStore::Row row;
    row[ListStore::kFileName] = "tab\there.mp3";
    row[ListStore::kNewName] = "line\nbreak\r\n.mp3";
    row[ListStore::kPath] = "/plain/path";
    printer.Row(row);
    const std::string text = out.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), ListStore::kColumnCount - 1);
    EXPECT_NE(text.find("tab here.mp3"), std::string::npos);
    EXPECT_NE(text.find("line break  .mp3"), std::string::npos);
}

}  // namespace
}  // namespace tagwright::cli
