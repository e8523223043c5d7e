#include "fileops/file_outcome.h"

#include <exception>

#include "naming/field_selection.h"

namespace tagwright {

std::optional<TagFields> ReadFieldsForRow(FileSystem& fs, const std::string& path,
                                          std::int16_t mode, const Settings& settings,
                                          Error* error) {
    // A fresh reader per row: a value one file lacks must never come from the one before.
    clsMP3Tag reader(fs);
    reader.MP3FilePath = path;
    try {
        return TagR::GetTagInfo(mode, reader, settings);
    } catch (const FileError& e) {
        *error = e.error();
    } catch (const std::exception& e) {
        *error = Error{"read tags", path, e.what(), 0, ErrorKind::kOther};
    }
    return std::nullopt;
}

}  // namespace tagwright

namespace tagwright {

std::string NumberedName(std::string_view base, int n) {
    std::string name(base);
    name += '(';
    name += std::to_string(n);
    name += ").mp3";
    return name;
}

}  // namespace tagwright
