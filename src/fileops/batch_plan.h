#pragma once

#include <string>
#include <vector>

#include "filelist/list_store.h"
#include "fileops/batch_callbacks.h"
#include "naming/settings.h"
#include "platform/file_system.h"

namespace tagwright {

/// What a rename or move batch would do to one listed file.
struct PlanLine {
    enum class Outcome {
        kWouldDo,      ///< the file would get `newPath` (which may be the path it has)
        kRefused,      ///< the file system would refuse it; `error` says why
        kBlankEscape,  ///< a tag the rule needs is blank, so the file would be left
        kNoFolder,     ///< its folder is missing and would not be created (a Cancel)
    };
    int row = 0;           ///< the list's row
    std::string path;      ///< where the file is now
    std::string newPath;   ///< kWouldDo: where it would be afterwards
    int clashNumber = -1;  ///< the n of "(n).mp3" the batch would give it; -1 for none
    /// The place the rule asked for, before any number: where files collide.
    std::string wantedPath;
    /// A move: the folder question would come up for this file (and is taken as answered with
    /// the plan's assumed answer).
    bool asksFolder = false;
    Outcome outcome = Outcome::kWouldDo;
    Error error;  ///< every outcome but kWouldDo: the refusal the batch would report
    /// The row as the batch would leave it (marks, NewName, Path).
    ListStore::Row after{};
    /// The index into the plan's collision groups of the files of this batch whose wanted
    /// place is this one's on a file system that ignores letter case or composes characters
    /// (NFC/NFD); -1 when no other file wants it.
    int collisionGroup = -1;

    bool Unchanged() const { return outcome == Outcome::kWouldDo && newPath == path; }
};

struct BatchPlan {
    BatchKind kind = BatchKind::kRename;
    /// One line per file row reached, in list order.
    std::vector<PlanLine> lines;
    /// Each group: the indices into `lines` of the files that would collide, in list order.
    std::vector<std::vector<std::size_t>> collisionGroups;
    /// The rows were not all reached: `stopRequested` ended the plan early.
    bool stopped = false;
};

/// What RunRenameBatch would do to the listed files, worked out by running it over a dry-run
/// file system on top of `fs` and a copy of the list: the disk and `store` stay as they are.
/// From `callbacks` only the progress, stopRequested and tagCache are used.
BatchPlan PlanRename(const ListStore& store, const Settings& settings, FileSystem& fs,
                     const BatchCallbacks& callbacks = {});

/// What RunMoveBatch would do, worked out as PlanRename does. The preview never asks: with
/// `settings.FolderYN` off the batch would create missing folders without a question; with it
/// on each question it would ask is marked on its line and taken as answered `assumed`
/// (OK unless told otherwise, so that the plan shows where the files would go).
BatchPlan PlanMove(const ListStore& store, const Settings& settings, FileSystem& fs,
                   const BatchCallbacks& callbacks = {}, FolderAnswer assumed = FolderAnswer::kOk);

/// Groups the lines whose wanted places would be one on a file system that ignores letter
/// case or composes characters (NFC/NFD), and marks each line with its group.
void MarkCollisions(BatchPlan& plan);

}  // namespace tagwright
