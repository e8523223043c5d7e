#include "fileops/undo.h"

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

UndoReport UndoLastBatch(FileSystem& fs, const std::string& folder, bool dryRun) {
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
        fs.SetTemporaryNotice([&journal](const std::string& from, const std::string& tmp) {
            return journal->Temporary(from, tmp);
        });
    }
    for (auto it = batch.steps.rbegin(); it != batch.steps.rend(); ++it) {
        if (it->undone)
            continue;
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
    if (journal)
        fs.SetTemporaryNotice({});
    if (report.journalFailure)
        return report;
    RemoveFolders(fs, batch, report);
    if (journal) {
        if (Result<void> w = journal->Undone(); !w.ok())
            report.journalFailure = w.error();
    }
    return report;
}

RecoveryReport RecoverInterruptedCopies(FileSystem& fs, const std::string& folder) {
    RecoveryReport report;
    for (const JournalTemporary& t : ReadTemporaries(fs, folder)) {
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
