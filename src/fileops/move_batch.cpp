#include "fileops/move_batch.h"

#include <cerrno>
#include <map>

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
    // Nearly always the folder stands already (a batch files many songs per album): one
    // question then, not one per level.
    std::size_t end = dest.size();
    while (end > path::RootLength(dest) && path::IsSeparator(dest[end - 1]))
        --end;
    if (end > path::RootLength(dest) && fs.FolderExists(dest.substr(0, end)))
        return std::nullopt;
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

FileOutcome Stay(FileSystem& fs, const std::string& p, const FileIdentity& id) {
    if (!fs.FileExists(p))
        return FileOutcome::Refused(MakeSystemError("move", p, ENOENT));
    if (auto changed = CheckListedFile(fs, "move", p, id))
        return FileOutcome::Refused(*changed);
    return FileOutcome::DoneWith(p);
}

// True when `target` is the directory entry `p` itself (a case-only difference where case is
// ignored, or another link to it): moving there would only change how the row spells the path.
bool IsSameEntry(FileSystem& fs, const std::string& p, const std::string& target) {
    auto there = fs.IdentifyFile(target);
    if (!there.ok())
        return false;
    auto here = fs.IdentifyFile(p);
    return here.ok() && *here == *there;
}

Result<std::string> Move(FileSystem& fs, const std::string& p, const FileIdentity& id,
                         const std::string& dest, const NameCandidates& names,
                         FileIdentity* movedAs, bool checked) {
    return checked ? fs.MoveCheckedFile(p, id, dest, names, movedAs)
                   : fs.MoveFile(p, id, dest, names, movedAs);
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

FileOutcome MoveMP3File(FileSystem& fs, const std::string& p, const FileIdentity& id,
                        const TagFields& fields, const Settings& settings, bool skipOnBlank,
                        bool askBeforeCreate, const FolderQuestion& ask, std::string* standing,
                        FileIdentity* movedAs, bool checked) {
    const auto dest = DestinationFolder(fields, settings, skipOnBlank);
    if (!dest)
        return {FileOutcome::Status::kBlankEscape, std::string(kBlankEscapeFailure), {}};
    if (settings.MP3SaveFolderTxt.empty()) {
        return FileOutcome::Refused(
            Error{"move", p, "No storage folder is set", 0, ErrorKind::kNotFound});
    }
    const bool known = standing != nullptr && *standing == *dest;
    if (!known) {
        if (auto refused = MakeFolders(fs, *dest, askBeforeCreate, ask))
            return *refused;
        if (standing != nullptr)
            *standing = *dest;
    }

    const std::string own = path::FileName(p);
    const std::string base = path::BaseName(p);
    const std::string ownTarget = path::Join(*dest, own);
    // A second move of the same list finds each file in its place: it stays as it is.
    if (ownTarget == p || IsSameEntry(fs, p, ownTarget))
        return Stay(fs, p, id);
    const NameCandidates names = [&](int i) -> std::optional<std::string> {
        if (i == 0)
            return own;
        if (i - 1 > kLastClashNumber)
            return std::nullopt;
        return NumberedName(base, i - 1);
    };
    Result<std::string> moved = Move(fs, p, id, *dest, names, movedAs, checked);
    if (!moved.ok() && known && moved.error().kind == ErrorKind::kNotFound) {
        // The folder taken as standing may have gone since the last file: made sure of, the
        // move is tried once more, and a file that has gone itself is refused as before.
        standing->clear();
        if (auto refused = MakeFolders(fs, *dest, askBeforeCreate, ask))
            return *refused;
        *standing = *dest;
        moved = Move(fs, p, id, *dest, names, movedAs, checked);
    }
    if (!moved.ok())
        return FileOutcome::Refused(moved.error());
    return FileOutcome::DoneWith(path::Join(*dest, *moved));
}

}  // namespace TagR

void RunMoveBatch(ListStore& store, const Settings& settings, FileSystem& fs,
                  const BatchCallbacks& callbacks) {
    const bool askBeforeCreate = settings.FolderYN;
    const bool skipOnBlank = !settings.folderFillBlanks;
    // One answer per destination folder and batch: after a Cancel the later files for that
    // folder are refused without asking again (an OK has made the folder, so they never ask).
    // The prompt names the whole destination, so it is the key.
    std::map<std::string, FolderAnswer> answers;
    const FolderQuestion ask = [&](const std::string& prompt, const std::string& title) {
        if (const auto it = answers.find(prompt); it != answers.end())
            return it->second;
        // The user may take any time to answer, or never: the journal must tell all done so far.
        fs.SettleRecords();
        const FolderAnswer answer = callbacks.askCreateFolder
                                        ? callbacks.askCreateFolder(prompt, title)
                                        : FolderAnswer::kCancel;
        answers[prompt] = answer;
        return answer;
    };
    std::string standing;
    ForEachFileRowRead(store, callbacks, fs, "move", TagR::kModeFolder, settings,
                       [&](int i, const std::string& path, RowRead& read) {
                           const FileIdentity id = store.Identity(i);
                           std::optional<TagFields>& fields = read.fields;
                           Error& readError = read.error;
                           FileIdentity movedAs;
                           const FileOutcome out =
                               fields ? TagR::MoveMP3File(fs, path, id, *fields, settings,
                                                          skipOnBlank, askBeforeCreate, ask,
                                                          &standing, &movedAs, read.checkedFile)
                                      : FileOutcome::Refused(std::move(readError));
                           if (out.Done()) {
                               store.RecordMove(i, out.text);
                               // A copy across devices is a new file of the same content.
                               if (movedAs.Known() && id.Known() && movedAs != id)
                                   store.SetIdentity(i, movedAs);
                               return;
                           }
                           const Error refusal = RefusalOf(out, "move", path);
                           store.RecordMove(i, refusal);
                           if (callbacks.rowRefused)
                               callbacks.rowRefused(i, refusal);
                       });
}

}  // namespace tagwright
