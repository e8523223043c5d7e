#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/durable_log.h"
#include "platform/file_system.h"

namespace tagwright {

class JsonLine;

/// One step of a batch that changed the disk: the file went from `from` to `to`, where it is the
/// file `id`. `undone` once an undo has brought it back.
struct JournalStep {
    std::string from;
    std::string to;
    FileIdentity id;
    bool undone = false;
    bool operator==(const JournalStep&) const = default;
};

/// A temporary copy a cross-device move announced before writing it.
struct JournalTemporary {
    std::string from;
    std::string temporary;
    bool operator==(const JournalTemporary&) const = default;
};

/// What the journal knows of one batch.
struct JournalBatch {
    std::string id;                             ///< unique; a later batch has a greater id
    std::string kind;                           ///< "rename", "move"
    std::string time;                           ///< when it began, UTC, "2026-12-07T13:04:01Z"
    std::string file;                           ///< the journal file
    std::vector<JournalStep> steps;             ///< in the order they were done
    std::vector<std::string> folders;           ///< folders the batch created, in order
    std::vector<JournalTemporary> temporaries;  ///< in the order announced
    bool undone = false;                        ///< an undo has gone through it
    /// Its last record is the end record: whatever wrote it last was done with it, leaving
    /// nothing half-way.
    bool ended = false;
};

/// The journal of one batch from its text. A line that is not a whole record (the torn end a
/// crash leaves) is passed over. A step announced but not confirmed (the process died between
/// the change and its record) counts when the disk shows it done: its source is gone and its
/// target holds the file announced, or a copy of it.
JournalBatch ParseBatchJournal(std::string_view text, FileSystem& fs);

/// A cross-device move a crash stopped after its copy was announced and before its step was
/// recorded: the last such move of a batch, when the batch went no further.
struct InterruptedMove {
    std::string journal;    ///< the batch journal file
    std::string from;       ///< the file moved
    FileIdentity id;        ///< its identity when the move began
    std::string target;     ///< the last name it tried for its copy
    std::string temporary;  ///< the last name announced for the copy
    std::string aside;      ///< where its source was set aside; empty when it was not
    bool operator==(const InterruptedMove&) const = default;
};

/// The batch journal files in `folder`, oldest first; none when the folder does not exist.
std::vector<std::string> JournalFiles(FileSystem& fs, const std::string& folder);

/// One batch journal file; nullopt when it cannot be read or its first record is missing.
std::optional<JournalBatch> ReadBatchJournal(FileSystem& fs, const std::string& file);

/// Every batch journal in `folder`, oldest first.
std::vector<JournalBatch> ReadJournal(FileSystem& fs, const std::string& folder);

/// What a crash may have left on disk, as the batch journals in `folder` tell it.
struct LeftoverRecords {
    /// The interrupted moves: only what follows each journal's last step counts. A move the
    /// batch itself saw refused, and one a start has dealt with already, are not among them.
    std::vector<InterruptedMove> moves;
    std::vector<JournalTemporary> temporaries;  ///< every temporary copy announced
};

/// The interrupted moves and announced temporaries of every batch journal in `folder`, each
/// journal read once: a start looks for them on every launch, whatever the journals' size. A
/// journal whose last record is the end record has neither; only its last bytes are read.
LeftoverRecords ReadLeftoverRecords(FileSystem& fs, const std::string& folder);

/// The writer of one batch's journal. Every record has left the process before its call
/// returns, so it outlives the process however that ends (a crash, kill -9). The disk itself
/// gets the records in groups: a batch's first record, each temporary copy and the end of an
/// undo at once, the steps at most kSyncInterval apart and when the journal is closed. A
/// flush per step made a batch of 10,000 renames 4 to 15 times slower, and the renames a
/// step records are themselves no safer from a power cut than that.
class BatchJournal {
  public:
    /// Starts the journal of a new batch of `kind` in `folder` (created when missing), and
    /// removes the oldest journals beyond the number kept.
    static Result<std::unique_ptr<BatchJournal>> Begin(FileSystem& fs, const std::string& folder,
                                                       std::string_view kind);
    /// Appends to the journal of an earlier batch (its undo).
    static Result<std::unique_ptr<BatchJournal>> Continue(const JournalBatch& batch);

    const std::string& Id() const { return m_id; }

    /// Before a change: `from` may become `to` next.
    Result<void> Try(const std::string& from, const std::string& to, const FileIdentity& id);
    /// Before a cross-device copy of `from` is written under `temporary`.
    Result<void> Temporary(const std::string& from, const std::string& temporary);
    /// Before the source `from` of a cross-device move is renamed aside to `aside`.
    Result<void> Aside(const std::string& from, const std::string& aside);
    /// After a move of `from` was refused: its copy is gone again.
    Result<void> Refused(const std::string& from);
    /// After a start dealt with what a crash left of this batch.
    Result<void> Recovered();
    /// After a change: `from` is now `to`, the file `id`. The record is held back to go out
    /// with the next one, so that each file of a batch costs one write; a failure to write it
    /// comes back from that call.
    Result<void> Step(const std::string& from, const std::string& to, const FileIdentity& id);
    /// Sends out the step held back, if any: before the batch waits on anything.
    Result<void> SendHeld();
    Result<void> Folder(const std::string& path);
    /// After an undo brought the file of the step `from` -> `to` back to `from`.
    Result<void> Undid(const std::string& from, const std::string& to);
    /// After an undo has gone through every step.
    Result<void> Undone();
    /// When the batch, or the undo, has come to its end without a crash: writes the end record,
    /// which tells a start there is nothing in the journal to recover, so that it need not read
    /// it. Left out when a temporary name announced through this writer still holds a file on
    /// `fs` (a copy or a source set aside that a failure stranded), or when the journal was
    /// continued from an end that was not clean: a start must still find those.
    Result<void> End(FileSystem& fs);

    ~BatchJournal();
    BatchJournal(const BatchJournal&) = delete;
    BatchJournal& operator=(const BatchJournal&) = delete;

    /// The longest a step waits for the disk.
    static constexpr std::chrono::milliseconds kSyncInterval{200};

  private:
    enum class Sync { kNever, kSoon, kNow };
    BatchJournal(std::string id, std::unique_ptr<DurableLog> log);
    // `record` is one line with its break.
    Result<void> Write(std::string_view record, Sync sync);
    // A try or step record.
    const std::string& Change(const char* rec, const std::string& from, const std::string& to,
                              const FileIdentity& id);

    std::string m_id;
    std::unique_ptr<DurableLog> m_log;
    std::unique_ptr<JsonLine> m_line;  // each record is written into its buffer
    std::string m_held;                // a step record not yet written, with its break
    // The last try record and what it was for: its step differs only in "rec", and the paths
    // of a batch are long enough that writing them out once more shows.
    std::string m_try;
    std::string m_tryFrom, m_tryTo;
    FileIdentity m_tryId;
    // Temporaries and sources set aside announced here and not known to be gone since.
    std::vector<JournalTemporary> m_loose;
    bool m_clean = true;  // nothing before this writer was left half-way
    std::chrono::steady_clock::time_point m_synced = std::chrono::steady_clock::now();
    bool m_unsynced = false;
};

/// How many batch journals are kept; older ones are removed when a batch begins.
inline constexpr int kKeptBatchJournals = 50;

}  // namespace tagwright
