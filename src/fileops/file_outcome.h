#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "filelist/list_store.h"
#include "naming/settings.h"
#include "naming/tag_fields.h"
#include "platform/file_system.h"
#include "tags/mp3_tag.h"
#include "tags/tag_cache.h"

namespace tagwright {

/// What became of one file in a rename or a move.
struct FileOutcome {
    enum class Status {
        kDone,         ///< the file has its new name or place (or already had it)
        kBlankEscape,  ///< a tag the rule needs is blank and the user chose to leave such files
        kCancelled,    ///< the user refused to create a missing folder
        kRefused,      ///< the file system refused a step; `error` says why
    };
    Status status = Status::kDone;
    /// kDone: the file's name after a rename, or its full path after a move.
    std::string text;
    /// kRefused: the operation, the path and the OS's reason.
    Error error;

    bool Done() const { return status == Status::kDone; }
    static FileOutcome DoneWith(std::string text) { return {Status::kDone, std::move(text), {}}; }
    static FileOutcome Refused(Error error) { return {Status::kRefused, {}, std::move(error)}; }
};

/// The refusal when `path` no longer names the listed file `id` (nothing when `id` is unknown):
/// the OS's reason when nothing is there, else kFileChanged. With `found`, the same one
/// question also gives the file's stamp there (left as it was when `id` is unknown).
std::optional<Error> CheckListedFile(FileSystem& fs, const char* op, const std::string& path,
                                     const FileIdentity& id, FileStatus* found = nullptr);

/// The refusal a row shows for an outcome that is not kDone: the file system's own, or one
/// made for a blank tag or a Cancel.
Error RefusalOf(const FileOutcome& out, const char* op, const std::string& path);

/// Reads a file's six fields through a fresh tag reader; a file that cannot be read gives the
/// reader's error instead, so that a batch can mark the row and go on. When `cache` holds the
/// file `found` still as it was read, its tags are taken from there and the file is not read.
std::optional<TagFields> ReadFieldsForRow(FileSystem& fs, const std::string& path,
                                          std::int16_t mode, const Settings& settings, Error* error,
                                          const TagCache* cache = nullptr,
                                          const FileStatus& found = {});

}  // namespace tagwright

namespace tagwright {

/// Clash numbers run from 0 to this, inclusive.
inline constexpr int kLastClashNumber = 10000;

/// base + "(" + n + ").mp3".
std::string NumberedName(std::string_view base, int n);

}  // namespace tagwright
