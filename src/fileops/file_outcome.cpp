#include "fileops/file_outcome.h"

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
    // One read per row: a value one file lacks must never come from the one before.
    Result<TagSnapshot> tags = ReadTags(fs, path, TagR::PartsFor(settings));
    if (!tags) {
        *error = tags.error();
        return std::nullopt;
    }
    return TagR::GetTagInfo(mode, *tags, settings);
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
