#pragma once

#include <string>

#include "filelist/list_store.h"
#include "fileops/batch_callbacks.h"
#include "fileops/file_outcome.h"
#include "naming/settings.h"
#include "naming/tag_fields.h"
#include "platform/file_system.h"

namespace tagwright {

namespace TagR {

/// The folder a file goes to: the storage folder text as typed, then the levels of the folder
/// rule's result ("\" divides them on every platform) made safe, each followed by the platform's
/// separator. An empty result files straight into the storage folder. nullopt is the blank escape.
std::optional<std::string> DestinationFolder(const TagFields& fields, const Settings& settings,
                                             bool skipOnBlank);

/// Moves the file `path` into the folder the folder rule composes from `fields` under the
/// storage folder, creating the missing levels (after one question per file when
/// `askBeforeCreate`; the walk never looks at the storage folder's root). A name taken in the
/// destination is avoided by numbering, base "(n).mp3" with the base taken from `path`; the
/// no-replace move's own answer decides. A file already lying there under its own name stays.
///
/// kDone carries the full path afterwards; kBlankEscape and kCancelled leave the file and the
/// folders untouched; kRefused leaves the file where it was (folders made before the refusal
/// stay).
///
/// `id` is the file the row listed: the move acts only while `path` names it (kRefused with
/// kFileChanged otherwise). Unknown, nothing is checked.
///
/// `standing`, when given, is the destination folder the last move found standing: a batch
/// files the songs of an album one after another, so that folder is not asked for again. It is
/// updated, and when the folder has gone meanwhile the move finds out and makes it again.
/// `movedAs`, when given, receives the identity of the file moved, as FileSystem::MoveFile
/// gives it (left as it was when the file stays or is refused). `checked`: the caller has just
/// found `path` to be `id` and no link (FileSystem::MoveCheckedFile).
FileOutcome MoveMP3File(FileSystem& fs, const std::string& path, const FileIdentity& id,
                        const TagFields& fields, const Settings& settings, bool skipOnBlank,
                        bool askBeforeCreate, const FolderQuestion& ask,
                        std::string* standing = nullptr, FileIdentity* movedAs = nullptr,
                        bool checked = false);

}  // namespace TagR

/// The click on MoveBtn: files every listed file under the storage folder by the folder rule and
/// writes each outcome into its row (M mark, and Path when the file moved). With the question
/// on, the answer is kept per destination folder for the batch: after a Cancel the later files
/// for that folder are refused without asking again. Nothing is thrown:
/// a refusal marks the row "×" and the batch goes on.
void RunMoveBatch(ListStore& store, const Settings& settings, FileSystem& fs,
                  const BatchCallbacks& callbacks = {});

}  // namespace tagwright
