#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/utf8.h"  // AppendUtf8, which the decoders here share

namespace tagwright {

/// Decodes a whole byte buffer as code page 932 (Windows Shift_JIS) into UTF-8.
///
/// Warning: code page 932 is not strict Shift_JIS. 0x5C is "\" (U+005C), not the yen sign,
/// and 0x81 0x60 is U+FF5E, not U+301C; NEC and IBM extensions such as 0x87 0x40 "①" decode.
/// A 0 byte gives U+0000. A byte or pair that cannot be decoded gives U+FFFD and decoding goes
/// on with the next byte, so the rest of the text is never lost.
std::string DecodeCp932(std::span<const std::uint8_t> bytes);

/// Why this system cannot decode code page 932, or nullopt when it can. Without the decoder
/// every byte outside ASCII would come out as U+FFFD and files would be renamed to names full
/// of it, so the window and the command line refuse to start and show this reason.
std::optional<std::string> Cp932DecoderProblem();

}  // namespace tagwright
