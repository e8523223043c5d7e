#include "fileops/batch_plan.h"

#include <map>
#include <utility>

#include "fileops/dry_run_file_system.h"
#include "fileops/file_outcome.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "naming/name_key.h"
#include "platform/path.h"

namespace tagwright {

namespace {

PlanLine::Outcome OutcomeOf(const Error& refusal) {
    switch (refusal.kind) {
        case ErrorKind::kBlankTag:
            return PlanLine::Outcome::kBlankEscape;
        case ErrorKind::kCancelled:
            return PlanLine::Outcome::kNoFolder;
        default:
            return PlanLine::Outcome::kRefused;
    }
}

// The name the rule asked for: the name given, less the "(n)" the batch added.
std::string WithoutNumber(const std::string& name, int n) {
    if (n < 0)
        return name;
    const std::string suffix = "(" + std::to_string(n) + ").mp3";
    if (name.size() < suffix.size() ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return name;
    }
    return name.substr(0, name.size() - suffix.size()) + ".mp3";
}

// Runs `batch` over a copy of the list and a dry-run file system, and reads each row's fate off
// the copy as the batch finishes it.
template <class Batch>
BatchPlan Plan(BatchKind kind, const ListStore& store, FileSystem& fs, const BatchCallbacks& outer,
               FolderAnswer assumed, Batch&& batch) {
    BatchPlan plan;
    plan.kind = kind;
    plan.lines.reserve(static_cast<std::size_t>(store.RowCount()));
    ListStore scratch = store;
    scratch.SetObserver(nullptr);
    DryRunFileSystem dry(fs);

    bool asked = false;
    int takenBefore = 0;
    int reached = 0;
    BatchCallbacks cb;
    cb.progressVisible = outer.progressVisible;
    cb.progressMaximum = outer.progressMaximum;
    cb.progressValue = outer.progressValue;
    cb.stopRequested = outer.stopRequested;
    cb.tagCache = outer.tagCache;
    cb.askCreateFolder = [&](const std::string&, const std::string&) {
        asked = true;
        return assumed;
    };
    cb.rowFinished = [&](int row) {
        ++reached;
        PlanLine line;
        line.row = row;
        line.path = store.Cell(row, ListStore::kPath);
        line.after = scratch.RowAt(row);
        line.asksFolder = std::exchange(asked, false);
        const int taken = dry.TakenNames() - std::exchange(takenBefore, dry.TakenNames());
        const FileRow file = scratch.File(row);
        const FileRow::Step& step = kind == BatchKind::kMove ? file.move : file.rename;
        if (step.outcome == FileRow::Outcome::kRefused && step.refusal) {
            line.outcome = OutcomeOf(*step.refusal);
            line.error = *step.refusal;
        } else {
            line.newPath = line.after[ListStore::kPath];
            line.clashNumber = taken - 1;
            const std::string folder = TagR::FolderOfPath(line.newPath);
            // A move keeps the file's own name; a rename's is the rule's.
            const std::string wanted =
                kind == BatchKind::kMove
                    ? path::FileName(line.path)
                    : WithoutNumber(path::FileName(line.newPath), line.clashNumber);
            line.wantedPath = folder + wanted;
        }
        plan.lines.push_back(std::move(line));
    };
    batch(scratch, dry, cb);
    plan.stopped = !store.IsEmptyForBatch() && reached < store.RowCount() - 1;
    MarkCollisions(plan);
    return plan;
}

}  // namespace

BatchPlan PlanRename(const ListStore& store, const Settings& settings, FileSystem& fs,
                     const BatchCallbacks& callbacks) {
    return Plan(BatchKind::kRename, store, fs, callbacks, FolderAnswer::kOk,
                [&](ListStore& scratch, FileSystem& dry, const BatchCallbacks& cb) {
                    RunRenameBatch(scratch, settings, dry, cb);
                });
}

BatchPlan PlanMove(const ListStore& store, const Settings& settings, FileSystem& fs,
                   const BatchCallbacks& callbacks, FolderAnswer assumed) {
    return Plan(BatchKind::kMove, store, fs, callbacks, assumed,
                [&](ListStore& scratch, FileSystem& dry, const BatchCallbacks& cb) {
                    RunMoveBatch(scratch, settings, dry, cb);
                });
}

void MarkCollisions(BatchPlan& plan) {
    std::map<std::string, std::vector<std::size_t>> byKey;
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        PlanLine& line = plan.lines[i];
        line.collisionGroup = -1;
        if (line.outcome == PlanLine::Outcome::kWouldDo && !line.wantedPath.empty())
            byKey[utf8::SameNameKey(line.wantedPath)].push_back(i);
    }
    plan.collisionGroups.clear();
    for (auto& [key, members] : byKey) {
        if (members.size() < 2)
            continue;
        for (const std::size_t i : members)
            plan.lines[i].collisionGroup = static_cast<int>(plan.collisionGroups.size());
        plan.collisionGroups.push_back(std::move(members));
    }
}

}  // namespace tagwright
