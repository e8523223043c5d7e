#include "tags/id3v2_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf8.h"

namespace tagwright {
namespace {

std::vector<std::uint8_t> Encode(const std::u16string& units, bool bigEndian) {
    std::vector<std::uint8_t> bytes;
    for (const char16_t u : units) {
        const auto high = static_cast<std::uint8_t>(u >> 8);
        const auto low = static_cast<std::uint8_t>(u & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

// ASCII runs are decoded several units at a time; whatever breaks a run, wherever it falls
// within them, the text is the one the unit-by-unit conversion gives.
TEST(Id3v2Text, Utf16DecodesAlikeWhereverARunBreaks) {
    const std::u16string breakers[] = {
        u"é", u"曲", {0}, {0xD83C}, {0xDFB5}, u"\U0001F3B5", {0x7F}, {0x80}, {0xFF00}, {0x0100},
    };
    for (const std::u16string& breaker : breakers) {
        for (std::size_t before = 0; before < 10; ++before) {
            const std::u16string units =
                std::u16string(before, u'a') + breaker + u"bcdefghijk" + breaker;
            SCOPED_TRACE(testing::Message() << "unit " << int(breaker[0]) << " after " << before);
            const std::string expected = utf8::FromUtf16(units);
            EXPECT_EQ(DecodeId3v2Text(1, Encode(units, false)), expected);
            EXPECT_EQ(DecodeId3v2Text(2, Encode(units, true)), expected);
            // A byte-order mark says which order the rest is in.
            EXPECT_EQ(DecodeId3v2Text(1, Encode(u"\uFEFF" + units, true)), expected);
        }
    }
}

}  // namespace
}  // namespace tagwright
