#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fileops/batch_callbacks.h"
#include "fileops/journal.h"
#include "platform/file_system.h"

namespace tagwright {

/// A step an undo could not take back, and why; the file was left where it is.
struct UndoSkip {
    JournalStep step;
    Error reason;
};

/// What an undo did, or would do.
struct UndoReport {
    /// The batch undone; none when every batch is undone already (nothing was done).
    std::optional<JournalBatch> batch;
    std::vector<JournalStep> reverted;  ///< each file is back at `from`, in the order done
    std::vector<UndoSkip> skipped;
    std::vector<std::string> foldersRemoved;
    std::vector<Error> foldersKept;  ///< folders of the batch that could not be removed
    /// The undo stopped here because its own journal could not be written; steps not yet
    /// reverted are left for the next undo.
    std::optional<Error> journalFailure;
    /// The user stopped the undo between two steps; the steps not yet tried, and the folders,
    /// are left for the next undo.
    bool stopped = false;
};

/// The batch an undo would take back: the latest one in the journal folder `folder` with
/// something left to undo.
std::optional<JournalBatch> LastUndoableBatch(FileSystem& fs, const std::string& folder);

/// Takes back the latest batch in the journal folder `folder` that is not undone yet: its steps
/// in reverse order, each by a no-replace rename or move that acts only on the file the step
/// left there, and then the folders it created, when they are empty. A step that cannot be
/// taken back is skipped with its reason; nothing is overwritten. Each step taken back is
/// journaled at once, and the batch is marked undone at the end, so that a second undo neither
/// repeats it nor, after a crash, redoes what was done.
///
/// With `dryRun` the journal is not written: run it over a DryRunFileSystem to see what an
/// undo would do.
///
/// Of `callbacks` only the progress (the steps left to take back, one value per step tried)
/// and stopRequested, asked before each step, are used.
UndoReport UndoLastBatch(FileSystem& fs, const std::string& folder, bool dryRun = false,
                         const BatchCallbacks& callbacks = {});

/// What a start did about one cross-device move a crash interrupted after its copy took its
/// final name. `path` is the file the action concerned.
struct MoveRecovery {
    enum class Action {
        kFinished,   ///< the source set aside was removed: `path`, identical to the copy
        kPutBack,    ///< the source set aside, `path`, had no copy and is back at `from`
        kReverted,   ///< the copy `path` was removed: the source is still at `from`
        kKeptAside,  ///< the source set aside, `path`, was kept: `from` is taken and no copy exists
    };
    Action action;
    std::string from;
    std::string path;
    bool operator==(const MoveRecovery&) const = default;
};

/// What was found of cross-device copies a crash interrupted.
struct RecoveryReport {
    std::vector<JournalTemporary> removed;  ///< their source still exists: the copy was not needed
    std::vector<JournalTemporary> kept;     ///< their source is gone: the copy may be the only one
    std::vector<MoveRecovery> moves;        ///< moves stopped between copy and source removal
    std::vector<Error> failed;              ///< could not be removed or renamed
};

/// Looks for the temporary copies named in the journals of `folder` that still exist: each is
/// removed when its source is still there, and kept otherwise. A move stopped after its copy
/// took its final name is finished when its source was already set aside, and taken back
/// otherwise, so that each file is left once; a file is removed only when another that stays
/// holds the same bytes, read in full.
RecoveryReport RecoverInterruptedCopies(FileSystem& fs, const std::string& folder);

}  // namespace tagwright
