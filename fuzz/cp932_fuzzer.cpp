// Arbitrary bytes through the code page 932 decoder.
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_checks.h"
#include "platform/cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::string text = tagwright::DecodeCp932(bytes);
    FUZZ_CHECK(tagwright::fuzz::IsValidUtf8(text));
    // One character per byte at most (pairs make one), each at most 3 bytes of UTF-8.
    FUZZ_CHECK(text.size() <= 3 * size);

    // A byte below 0x80 always ends a character (alone, or as the trail of a pair), so the
    // text splits there: decoding the two halves apart must give the same text. This catches
    // a decoder whose state leaks across a character boundary.
    for (std::size_t i = 1; i + 1 < size; ++i) {
        if (data[i - 1] < 0x80 && data[i] < 0x80) {
            const std::string head = tagwright::DecodeCp932(bytes.first(i));
            const std::string tail = tagwright::DecodeCp932(bytes.subspan(i));
            FUZZ_CHECK(head + tail == text);
            break;
        }
    }
    return 0;
}
