#pragma once

#include <cstdint>

#include "naming/settings.h"
#include "naming/tag_fields.h"
#include "tags/mp3_tag.h"

namespace tagwright::TagR {

/// GetTagInfo modes: which blank policy and defaults apply. Any other value takes the tags and
/// substitutes nothing.
inline constexpr std::int16_t kModeFileName = 1;  ///< Option2(0/1), Text1(0..5)
inline constexpr std::int16_t kModeFolder = 2;    ///< Option2(2/3), Text1(7..10)

/// Reads the file named by reader.MP3FilePath through `reader` as the tag source and priority
/// settings say, and returns the six fields, blank ones filled from the default texts when the
/// mode's blank policy asks for that.
///
/// A file without an ID3v1 trailer contributes nothing through ID3v1 (no "Blues", no track
/// "0"). ID3v2 values are taken from the reader as it holds them after ReadID3v2Tag, whatever
/// that returned, so pass a fresh reader per file.
/// Throws FileError when the file cannot be read for its ID3v1 trailer.
TagFields GetTagInfo(std::int16_t mode, clsMP3Tag& reader, const Settings& settings);

/// The same selection over the values of one read: what the file lacks gives nothing.
TagFields GetTagInfo(std::int16_t mode, const TagSnapshot& tags, const Settings& settings);

/// The parts of a file the settings' tag source needs read.
TagParts PartsFor(const Settings& settings);

}  // namespace tagwright::TagR
