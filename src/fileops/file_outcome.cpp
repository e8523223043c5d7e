#include "fileops/file_outcome.h"

#include <exception>

#include "naming/field_selection.h"

namespace tagwright {

std::optional<Error> CheckListedFile(FileSystem& fs, const char* op, const std::string& path,
                                     const FileIdentity& id) {
    if (!id.Known())
        return std::nullopt;
    auto now = fs.IdentifyFile(path);
    if (!now.ok())
        return Error{op, path, now.error().reason, now.error().code, now.error().kind};
    if (*now != id)
        return Error{op, path, kFileChangedReason, 0, ErrorKind::kFileChanged};
    return std::nullopt;
}

Error RefusalOf(const FileOutcome& out, const char* op, const std::string& path) {
    switch (out.status) {
        case FileOutcome::Status::kBlankEscape:
            return Error{op, path, "a tag the rule needs is blank", 0, ErrorKind::kBlankTag};
        case FileOutcome::Status::kCancelled:
            return Error{op, path, "the destination folder was not created (Cancel)", 0,
                         ErrorKind::kCancelled};
        case FileOutcome::Status::kDone:
        case FileOutcome::Status::kRefused:
            break;
    }
    return out.error;
}

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
