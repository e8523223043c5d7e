#include "fileops/move_batch.h"

#include <cerrno>

#include "fileops/batch_progress.h"
#include "naming/field_selection.h"
#include "naming/rule_composer.h"
#include "naming/safe_name.h"
#include "platform/path.h"

namespace tagwright {

namespace TagR {

namespace {

// Creates each missing level of `dest` below its root, asking once before the first one.
// Returns nullopt when every level stands.
std::optional<FileOutcome> MakeFolders(FileSystem& fs, const std::string& dest,
                                       bool askBeforeCreate, const FolderQuestion& ask) {
    bool approved = !askBeforeCreate;
    for (std::size_t i = path::RootLength(dest); i < dest.size(); ++i) {
        if (!path::IsSeparator(dest[i]) || i == 0 || path::IsSeparator(dest[i - 1]))
            continue;
        const std::string folder = dest.substr(0, i);
        if (fs.FolderExists(folder))
            continue;
        if (!approved) {
            std::string prompt(kCreateFolderPrompt);
            prompt += "\r\n";
            prompt += dest;
            if (!ask || ask(prompt, std::string(kCreateFolderTitle)) != FolderAnswer::kOk)
                return FileOutcome{FileOutcome::Status::kCancelled, {}, {}};
            approved = true;
        }
        Result<void> made = fs.CreateFolder(folder);
        // Someone else may have made it in the meantime; that is as good.
        if (!made.ok() &&
            !(made.error().kind == ErrorKind::kAlreadyExists && fs.FolderExists(folder))) {
            return FileOutcome::Refused(made.error());
        }
    }
    return std::nullopt;
}

// Equal but for ASCII letter case and the spelling of separators: a case-insensitive file system
// may take both for one path.
bool MaySpellSamePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const char x = a[i], y = b[i];
        if (x == y || (path::IsSeparator(x) && path::IsSeparator(y)))
            continue;
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(x) != lower(y))
            return false;
    }
    return true;
}

FileOutcome Stay(FileSystem& fs, const std::string& p) {
    if (!fs.FileExists(p))
        return FileOutcome::Refused(MakeSystemError("move", p, ENOENT));
    return FileOutcome::DoneWith(p);
}

}  // namespace

std::optional<std::string> DestinationFolder(const TagFields& fields, const Settings& settings,
                                             bool skipOnBlank) {
    const auto rel =
        TryComposeFromRule(fields, settings.FileMoveText, skipOnBlank, settings.conversion);
    const auto levels = rel ? SafeFolderLevels(*rel) : std::nullopt;
    if (!levels)
        return std::nullopt;
    // Used as typed: a storage folder without its final separator runs into the first level.
    std::string dest = settings.MP3SaveFolderTxt;
    for (const std::string& level : *levels) {
        dest += level;
        dest += path::kSeparator;
    }
    if (dest.empty() || !path::IsSeparator(dest.back()))
        dest += path::kSeparator;
    return dest;
}

FileOutcome MoveMP3File(FileSystem& fs, const std::string& p, const TagFields& fields,
                        const Settings& settings, bool skipOnBlank, bool askBeforeCreate,
                        const FolderQuestion& ask) {
    const auto dest = DestinationFolder(fields, settings, skipOnBlank);
    if (!dest)
        return {FileOutcome::Status::kBlankEscape, std::string(kBlankEscapeFailure), {}};
    if (settings.MP3SaveFolderTxt.empty()) {
        return FileOutcome::Refused(
            Error{"move", p, "No storage folder is set", 0, ErrorKind::kNotFound});
    }
    if (auto refused = MakeFolders(fs, *dest, askBeforeCreate, ask))
        return *refused;

    const std::string own = path::FileName(p);
    const std::string base = path::BaseName(p);
    Error taken;
    for (int n = -1; n <= kLastClashNumber; ++n) {
        const std::string name = n < 0 ? own : NumberedName(base, n);
        const std::string target = path::Join(*dest, name);
        if (target == p)
            return Stay(fs, p);
        // Moving onto itself would succeed and only change how the row spells the path.
        if (MaySpellSamePath(target, p) && fs.IsSameFile(p, target))
            return Stay(fs, p);
        Result<void> r = fs.MoveFile(p, *dest, name);
        if (r.ok())
            return FileOutcome::DoneWith(target);
        if (r.error().kind != ErrorKind::kAlreadyExists)
            return FileOutcome::Refused(r.error());
        // A second move of the same list finds each file in its place: it stays as it is.
        if (fs.IsSameFile(p, target))
            return Stay(fs, p);
        taken = r.error();
    }
    return FileOutcome::Refused(taken);
}

}  // namespace TagR

void RunMoveBatch(ListStore& store, const Settings& settings, FileSystem& fs,
                  const BatchCallbacks& callbacks) {
    const bool askBeforeCreate = settings.FolderYN;
    const bool skipOnBlank = !settings.folderFillBlanks;
    ForEachFileRow(store, callbacks, [&](int i, const std::string& path) {
        Error readError;
        const auto fields = ReadFieldsForRow(fs, path, TagR::kModeFolder, settings, &readError);
        const FileOutcome out = fields
                                    ? TagR::MoveMP3File(fs, path, *fields, settings, skipOnBlank,
                                                        askBeforeCreate, callbacks.askCreateFolder)
                                    : FileOutcome::Refused(std::move(readError));
        if (out.Done()) {
            store.SetCell(i, ListStore::kM, ListStore::kDone);
            store.SetCell(i, ListStore::kPath, out.text);
        } else {
            store.SetCell(i, ListStore::kM, ListStore::kRefused);
            if (out.status == FileOutcome::Status::kRefused && callbacks.rowRefused) {
                callbacks.rowRefused(i, out.error);
            }
        }
    });
}

}  // namespace tagwright
