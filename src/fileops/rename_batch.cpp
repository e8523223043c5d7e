#include "fileops/rename_batch.h"

#include "fileops/batch_progress.h"
#include "naming/field_selection.h"
#include "naming/rule_composer.h"
#include "naming/safe_name.h"
#include "platform/path.h"

namespace tagwright {

namespace TagR {

std::string FolderOfPath(std::string_view p) {
    for (std::size_t i = p.size(); i > 0; --i) {
        if (path::IsSeparator(p[i - 1]))
            return std::string(p.substr(0, i));
    }
    return {};
}

FileOutcome RenameMP3File(FileSystem& fs, const std::string& p, const FileIdentity& id,
                          const TagFields& fields, const Settings& settings, bool skipOnBlank) {
    const auto composed =
        TryComposeFromRule(fields, settings.FileNameSetting, skipOnBlank, settings.conversion);
    if (!composed)
        return {FileOutcome::Status::kBlankEscape, std::string(kBlankEscapeFailure), {}};
    const std::string base = SafeBaseName(*composed);
    if (base.empty()) {
        return FileOutcome::Refused(
            Error{"rename", p, "The new name is empty", 0, ErrorKind::kInvalidName});
    }
    const std::string folder = path::ParentFolder(p);

    Error taken;
    for (int n = -1; n <= kLastClashNumber; ++n) {
        const std::string name = n < 0 ? base + ".mp3" : NumberedName(base, n);
        if (path::Join(folder, name) == p) {
            // The file already carries this name.
            if (!fs.FileExists(p))
                return FileOutcome::Refused(MakeSystemError("rename", p, ENOENT));
            if (auto changed = CheckListedFile(fs, "rename", p, id))
                return FileOutcome::Refused(*changed);
            return FileOutcome::DoneWith(name);
        }
        // Each number is a step of its own: the file checked before it may have been renamed
        // and its name taken by another since. The batch checked the file just before it read
        // its tags, which serves the first try.
        Result<void> r = n < 0 ? fs.RenameCheckedFile(p, name, id) : fs.RenameFile(p, name, id);
        if (r.ok())
            return FileOutcome::DoneWith(name);
        // Only a taken name leads on to the next number; any other refusal ends the file's turn.
        if (r.error().kind != ErrorKind::kAlreadyExists)
            return FileOutcome::Refused(r.error());
        taken = r.error();
    }
    return FileOutcome::Refused(taken);
}

}  // namespace TagR

void RunRenameBatch(ListStore& store, const Settings& settings, FileSystem& fs,
                    const BatchCallbacks& callbacks) {
    const bool skipOnBlank = !settings.nameFillBlanks;
    const auto renameRow = [&](int i, const std::string& path, RowRead& read) {
        const FileIdentity id = store.Identity(i);
        std::optional<TagFields>& fields = read.fields;
        const FileOutcome out =
            fields ? TagR::RenameMP3File(fs, path, id, *fields, settings, skipOnBlank)
                   : FileOutcome::Refused(std::move(read.error));
        if (out.Done()) {
            store.RecordRename(i, out.text);
            return;
        }
        const Error refusal = RefusalOf(out, "rename", path);
        store.RecordRename(i, refusal);
        if (callbacks.rowRefused)
            callbacks.rowRefused(i, refusal);
    };
    ForEachFileRowRead(store, callbacks, fs, "rename", TagR::kModeFileName, settings, renameRow);
}

}  // namespace tagwright
