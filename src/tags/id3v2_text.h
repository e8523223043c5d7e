#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace tagwright {

/// Decodes ID3v2 frame text into UTF-8 by the frame's encoding byte: 0 as code page 932 (the
/// Shift_JIS that Japanese Windows writers put there, not ISO-8859-1), 1 as UTF-16 with a
/// byte-order mark, 2 as UTF-16BE, 3 as UTF-8. Any other encoding gives the empty text.
///
/// A terminating or separating NUL comes out as U+0000, for CleanFieldText to turn into a blank.
/// In UTF-16 every value of a multi-value text may carry its own byte-order mark; a value
/// without one keeps the byte order of the one before it (little-endian at first). Sequences
/// that cannot be decoded give U+FFFD, so the output is always valid UTF-8.
std::string DecodeId3v2Text(std::uint8_t encoding, std::span<const std::uint8_t> bytes);

/// The length of a text at the start of `bytes` up to and including its terminator: one zero
/// byte for encodings 0 and 3, two zero bytes on a code-unit boundary for 1 and 2. nullopt when
/// `bytes` holds no terminator.
std::optional<std::size_t> TerminatedTextLength(std::uint8_t encoding,
                                                std::span<const std::uint8_t> bytes);

/// Undoes unsynchronisation in place (every 0xFF 0x00 back to 0xFF) and returns the new length.
std::size_t UndoUnsynchronisation(std::span<std::uint8_t> bytes);

}  // namespace tagwright
