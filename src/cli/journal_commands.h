#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "fileops/journal.h"
#include "fileops/journaled_file_system.h"
#include "platform/file_system.h"

namespace tagwright::cli {

/// Deals with the copies an earlier run left half-done, telling the user about each one that
/// is kept or could not be removed.
void RecoverCopies(FileSystem& fs, const std::string& journalFolder, std::ostream& err);

/// The journal of a batch about to run, and the file system that writes it.
struct JournaledBatch {
    std::unique_ptr<BatchJournal> journal;
    std::unique_ptr<JournaledFileSystem> fs;
};

/// Starts the journal of a `kind` batch; nullopt, after telling why, when there can be none
/// (the batch must then not run).
std::optional<JournaledBatch> BeginJournaledBatch(FileSystem& fs, const std::string& folder,
                                                  const char* kind, std::ostream& err);

/// `tagwright-cli undo`: exit status 0 when every step was taken back (or nothing was left to
/// undo), 1 when one was skipped or the journal failed.
int RunUndo(const std::string& journalFolder, bool dryRun, bool json);

/// `tagwright-cli history`: the batches of the journal, oldest first.
int RunHistory(const std::string& journalFolder, bool json);

}  // namespace tagwright::cli
