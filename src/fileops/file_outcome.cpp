#include "fileops/file_outcome.h"

#include "naming/field_selection.h"

namespace tagwright {

std::optional<Error> CheckListedFile(FileSystem& fs, const char* op, const std::string& path,
                                     const FileIdentity& id, FileStatus* found) {
    if (!id.Known())
        return std::nullopt;
    const auto refused = [&](const Error& e) { return Error{op, path, e.reason, e.code, e.kind}; };
    FileStatus now;
    // Only a caller that wants the stamp pays for it (a second query on Windows).
    if (found != nullptr) {
        Result<FileStatus> status = fs.StatFile(path);
        if (!status)
            return refused(status.error());
        now = *status;
    } else {
        Result<FileIdentity> same = fs.IdentifyFile(path);
        if (!same)
            return refused(same.error());
        now.id = *same;
    }
    if (now.id != id)
        return Error{op, path, kFileChangedReason, 0, ErrorKind::kFileChanged};
    if (found != nullptr)
        *found = now;
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
                                          std::int16_t mode, const Settings& settings, Error* error,
                                          const TagCache* cache, const FileStatus& found) {
    if (cache != nullptr) {
        if (std::optional<TagSnapshot> kept = cache->Get(found))
            return TagR::GetTagInfo(mode, *kept, settings);
    }
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
