#pragma once

#include <string>
#include <string_view>

#include "filelist/list_store.h"
#include "fileops/batch_callbacks.h"
#include "fileops/file_outcome.h"
#include "naming/settings.h"
#include "naming/tag_fields.h"
#include "platform/file_system.h"

namespace tagwright {

namespace TagR {

/// The leading part of `path` up to and including its last separator; the empty text when it
/// has none. "C:\a\b.mp3" -> "C:\a\".
std::string FolderOfPath(std::string_view path);

/// Gives the file `path` the name composed from `fields` by the naming rule, plus ".mp3", in its
/// own folder. A name another file holds is avoided by numbering, base "(n).mp3" with the first
/// n from 0 to 10000 that the file system accepts; the file system's own no-replace answer
/// decides, so a name taken a moment before the rename is never overwritten. A file whose new
/// name is the one it has (or differs only in letter case where the file system ignores case)
/// keeps or takes it without a number.
///
/// kDone carries the file's name afterwards; kBlankEscape means nothing was done because a
/// field the rule needs is blank under `skipOnBlank`; kRefused means the file is where it was.
///
/// `id` is the file the row listed: every step acts only while `path` names it (kRefused with
/// kFileChanged otherwise). Unknown, nothing is checked.
FileOutcome RenameMP3File(FileSystem& fs, const std::string& path, const FileIdentity& id,
                          const TagFields& fields, const Settings& settings, bool skipOnBlank);

}  // namespace TagR

/// The click on ReNameBtn: renames every listed file by the naming rule and writes each outcome
/// into its row (R mark, NewName, FileName, Path). Nothing is thrown: a refusal marks the row
/// "×" with "Faild:" and the OS's reason in NewName, and the batch goes on.
void RunRenameBatch(ListStore& store, const Settings& settings, FileSystem& fs,
                    const BatchCallbacks& callbacks = {});

}  // namespace tagwright
