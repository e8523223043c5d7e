#include "fileops/undo.h"

#include <algorithm>
#include <cstring>

#include "platform/path.h"

namespace tagwright {

namespace {

// The refusal in the words of an undo: what happened to the file since the batch.
Error Reason(Error e, const JournalStep& step) {
    switch (e.kind) {
        case ErrorKind::kFileChanged:
            e.reason = "another file has taken its place since";
            break;
        case ErrorKind::kAlreadyExists:
            e.reason = "its old name is taken now";
            e.path = step.from;
            break;
        default:
            break;
    }
    return e;
}

Result<void> Revert(FileSystem& fs, const JournalStep& step) {
    if (!fs.FileExists(step.to))
        return Error{"undo", step.to, "the file has moved or gone since", 0, ErrorKind::kNotFound};
    const std::string folder = path::ParentFolder(step.from);
    const std::string name = path::FileName(step.from);
    if (path::ParentFolder(step.to) == folder)
        return fs.RenameFile(step.to, name, step.id);
    if (!fs.FolderExists(folder))
        return Error{"undo", folder, "its old folder is gone", 0, ErrorKind::kNotFound};
    Result<std::string> moved = fs.MoveFile(step.to, step.id, folder, OneName(name));
    if (!moved.ok())
        return moved.error();
    return {};
}

// True when the file is back at `from` already: an undo stopped between the change and its
// record.
bool AlreadyBack(FileSystem& fs, const JournalStep& step) {
    if (!step.id.Known() || fs.FileExists(step.to))
        return false;
    auto there = fs.IdentifyFile(step.from);
    return there.ok() && *there == step.id;
}

void RemoveFolders(FileSystem& fs, const JournalBatch& batch, UndoReport& report) {
    for (auto it = batch.folders.rbegin(); it != batch.folders.rend(); ++it) {
        if (!fs.FolderExists(*it))
            continue;
        Result<void> removed = fs.RemoveEmptyFolder(*it);
        if (removed.ok()) {
            report.foldersRemoved.push_back(*it);
        } else {
            report.foldersKept.push_back(removed.error());
        }
    }
}

}  // namespace

std::optional<JournalBatch> LastUndoableBatch(FileSystem& fs, const std::string& folder) {
    const std::vector<std::string> files = JournalFiles(fs, folder);
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        std::optional<JournalBatch> batch = ReadBatchJournal(fs, *it);
        // A batch that changed nothing has nothing to take back; the one before it is meant.
        if (batch && !batch->undone && (!batch->steps.empty() || !batch->folders.empty()))
            return batch;
    }
    return std::nullopt;
}

UndoReport UndoLastBatch(FileSystem& fs, const std::string& folder, bool dryRun,
                         const BatchCallbacks& callbacks) {
    UndoReport report;
    report.batch = LastUndoableBatch(fs, folder);
    if (!report.batch)
        return report;
    const JournalBatch& batch = *report.batch;
    std::unique_ptr<BatchJournal> journal;
    if (!dryRun) {
        auto opened = BatchJournal::Continue(batch);
        if (!opened.ok()) {
            report.journalFailure = opened.error();
            return report;
        }
        journal = std::move(*opened);
        fs.SetTemporaryNotice(
            [&journal](const std::string& from, const std::string& tmp, TemporaryKind kind) {
                return kind == TemporaryKind::kAside ? journal->Aside(from, tmp)
                                                     : journal->Temporary(from, tmp);
            });
    }
    const int left = static_cast<int>(std::count_if(
        batch.steps.begin(), batch.steps.end(), [](const JournalStep& s) { return !s.undone; }));
    if (callbacks.progressVisible)
        callbacks.progressVisible(true);
    if (callbacks.progressMaximum)
        callbacks.progressMaximum(left);
    int tried = 0;
    for (auto it = batch.steps.rbegin(); it != batch.steps.rend(); ++it) {
        if (it->undone)
            continue;
        if (callbacks.progressValue)
            callbacks.progressValue(tried++);
        if (callbacks.stopRequested && callbacks.stopRequested()) {
            report.stopped = true;
            break;
        }
        const bool back = AlreadyBack(fs, *it);
        Result<void> reverted = back ? Result<void>{} : Revert(fs, *it);
        if (!reverted.ok()) {
            report.skipped.push_back(UndoSkip{*it, Reason(reverted.error(), *it)});
            continue;
        }
        report.reverted.push_back(*it);
        if (journal) {
            if (Result<void> w = journal->Undid(it->from, it->to); !w.ok()) {
                report.journalFailure = w.error();
                break;
            }
        }
    }
    if (callbacks.progressValue && !report.stopped)
        callbacks.progressValue(tried);
    if (callbacks.progressVisible)
        callbacks.progressVisible(false);
    if (journal)
        fs.SetTemporaryNotice({});
    if (!report.journalFailure && !report.stopped) {
        RemoveFolders(fs, batch, report);
        if (journal) {
            if (Result<void> w = journal->Undone(); !w.ok())
                report.journalFailure = w.error();
        }
    }
    // Stopped or done, the undo leaves nothing half-way.
    if (journal && !report.journalFailure)
        (void)journal->End(fs);
    return report;
}

namespace {

// True when both files hold the same bytes, compared in full.
bool SameBytes(FileSystem& fs, const std::string& a, const std::string& b) {
    auto ra = fs.OpenRead(a);
    auto rb = fs.OpenRead(b);
    if (!ra.ok() || !rb.ok())
        return false;
    auto sa = (*ra)->Size();
    auto sb = (*rb)->Size();
    if (!sa.ok() || !sb.ok() || *sa != *sb)
        return false;
    std::vector<std::uint8_t> x(1 << 16), y(1 << 16);
    for (std::uint64_t at = 0; at < *sa;) {
        auto na = (*ra)->ReadAt(at, x);
        auto nb = (*rb)->ReadAt(at, y);
        if (!na.ok() || !nb.ok() || *na != *nb || *na == 0 ||
            std::memcmp(x.data(), y.data(), *na) != 0) {
            return false;
        }
        at += *na;
    }
    return true;
}

// A copy of `original` at `copy` that is another file than it.
bool IsCopyOf(FileSystem& fs, const std::string& copy, const std::string& original) {
    return !copy.empty() && fs.FileExists(copy) && !fs.IsSameFile(copy, original) &&
           SameBytes(fs, copy, original);
}

void Note(RecoveryReport& report, MoveRecovery::Action action, const InterruptedMove& move,
          const std::string& p, Result<void> done) {
    if (done.ok()) {
        report.moves.push_back(MoveRecovery{action, move.from, p});
    } else {
        report.failed.push_back(done.error());
    }
}

// Leaves the file of `move` once: finished when its source was set aside, else taken back.
// Returns false when it is left for the user (reported) or for a later start.
bool RecoverMove(FileSystem& fs, const InterruptedMove& move, RecoveryReport& report) {
    // Not yet placed: the copy is still under its temporary name, which is dealt with below.
    if (fs.FileExists(move.temporary))
        return true;
    if (!move.aside.empty() && fs.FileExists(move.aside)) {
        if (IsCopyOf(fs, move.target, move.aside)) {
            Note(report, MoveRecovery::Action::kFinished, move, move.aside,
                 fs.RemoveFile(move.aside));
            return true;
        }
        if (fs.FileExists(move.from)) {
            report.moves.push_back(
                MoveRecovery{MoveRecovery::Action::kKeptAside, move.from, move.aside});
            return false;
        }
        Note(report, MoveRecovery::Action::kPutBack, move, move.aside,
             fs.RenameFile(move.aside, path::FileName(move.from), move.id));
        return true;
    }
    auto there = fs.IdentifyFile(move.from);
    if (!move.id.Known() || !there.ok() || *there != move.id)
        return true;
    auto copy = fs.IdentifyFile(move.target);
    if (copy.ok() && *copy != move.id && IsCopyOf(fs, move.target, move.from)) {
        Note(report, MoveRecovery::Action::kReverted, move, move.target,
             fs.RemoveFile(move.target));
    }
    return true;
}

}  // namespace

RecoveryReport RecoverInterruptedCopies(FileSystem& fs, const std::string& folder) {
    RecoveryReport report;
    // Read before any move is dealt with: what that appends to a journal is no temporary.
    const LeftoverRecords left = ReadLeftoverRecords(fs, folder);
    for (const InterruptedMove& move : left.moves) {
        const std::size_t failures = report.failed.size();
        if (!RecoverMove(fs, move, report) || report.failed.size() != failures)
            continue;
        // Said once: a later start must not take a file that came to the name since for this
        // move's copy.
        JournalBatch batch;
        batch.file = move.journal;
        if (auto journal = BatchJournal::Continue(batch); journal.ok())
            (void)(*journal)->Recovered();
    }
    for (const JournalTemporary& t : left.temporaries) {
        if (!fs.FileExists(t.temporary))
            continue;
        if (!fs.FileExists(t.from)) {
            report.kept.push_back(t);
            continue;
        }
        Result<void> removed = fs.RemoveFile(t.temporary);
        if (removed.ok()) {
            report.removed.push_back(t);
        } else {
            report.failed.push_back(removed.error());
        }
    }
    return report;
}

}  // namespace tagwright
