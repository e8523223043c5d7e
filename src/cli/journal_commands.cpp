#include "cli/journal_commands.h"

#include <iostream>

#include "cli/row_output.h"
#include "fileops/dry_run_file_system.h"
#include "fileops/undo.h"

namespace tagwright::cli {

namespace {

void Print(JsonLine& line) {
    std::cout << line.End();
}

long long Count(std::size_t n) {
    return static_cast<long long>(n);
}

void PrintUndoSteps(const UndoReport& report, bool dryRun, bool json) {
    JsonLine line;
    const char* verb = dryRun ? "would-revert" : "reverted";
    for (const JournalStep& s : report.reverted) {
        if (json) {
            Print(line.Begin().Text("status", verb).Text("from", s.to).Text("to", s.from));
        } else {
            std::cout << s.to << " -> " << s.from << '\n';
        }
    }
    for (const UndoSkip& s : report.skipped) {
        if (json) {
            Print(line.Begin()
                      .Text("status", "skipped")
                      .Text("from", s.step.to)
                      .Text("to", s.step.from)
                      .Text("error", s.reason.Message())
                      .Text("errorCode", ErrorKindCode(s.reason.kind)));
        } else {
            std::cout << "× " << s.step.to << " -> " << s.step.from << ": " << s.reason.Message()
                      << '\n';
        }
    }
    for (const std::string& f : report.foldersRemoved) {
        if (json) {
            Print(line.Begin()
                      .Text("status", dryRun ? "would-remove-folder" : "removed-folder")
                      .Text("folder", f));
        } else {
            std::cout << (dryRun ? "would remove folder " : "removed folder ") << f << '\n';
        }
    }
    for (const Error& e : report.foldersKept) {
        if (json) {
            Print(line.Begin()
                      .Text("status", "kept-folder")
                      .Text("folder", e.path)
                      .Text("error", e.Message()));
        } else {
            std::cout << "kept folder " << e.path << ": " << e.reason << '\n';
        }
    }
}

}  // namespace

void RecoverCopies(FileSystem& fs, const std::string& journalFolder, std::ostream& err) {
    const RecoveryReport report = RecoverInterruptedCopies(fs, journalFolder);
    for (const JournalTemporary& t : report.removed) {
        err << "tagwright-cli: removed the copy an interrupted move left: " << t.temporary << " ("
            << t.from << " is still in place)\n";
    }
    for (const JournalTemporary& t : report.kept) {
        err << "tagwright-cli: kept the copy an interrupted move left: " << t.temporary << " ("
            << t.from << " is gone)\n";
    }
    for (const MoveRecovery& m : report.moves) {
        switch (m.action) {
            case MoveRecovery::Action::kFinished:
                err << "tagwright-cli: finished an interrupted move: removed " << m.path
                    << ", the source of " << m.from << " set aside (its copy is in place)\n";
                break;
            case MoveRecovery::Action::kPutBack:
                err << "tagwright-cli: put back " << m.from << " from " << m.path
                    << " (an interrupted move left no copy)\n";
                break;
            case MoveRecovery::Action::kReverted:
                err << "tagwright-cli: removed the copy an interrupted move left: " << m.path
                    << " (" << m.from << " is still in place)\n";
                break;
            case MoveRecovery::Action::kKeptAside:
                err << "tagwright-cli: kept the file an interrupted move set aside: " << m.path
                    << " (" << m.from << " is taken)\n";
                break;
        }
    }
    for (const Error& e : report.failed)
        err << "tagwright-cli: " << e.Message() << '\n';
}

std::optional<JournaledBatch> BeginJournaledBatch(FileSystem& fs, const std::string& folder,
                                                  const char* kind, std::ostream& err) {
    auto journal = BatchJournal::Begin(fs, folder, kind);
    if (!journal.ok()) {
        err << "tagwright-cli: cannot keep the undo journal, so nothing was changed: "
            << journal.error().Message() << '\n';
        return std::nullopt;
    }
    JournaledBatch out;
    out.journal = std::move(*journal);
    out.fs = std::make_unique<JournaledFileSystem>(fs, *out.journal);
    return out;
}

int RunUndo(const std::string& journalFolder, bool dryRun, bool json) {
    FileSystem& real = RealFileSystem();
    DryRunFileSystem dry(real);
    if (!dryRun)
        RecoverCopies(real, journalFolder, std::cerr);
    const UndoReport report =
        UndoLastBatch(dryRun ? static_cast<FileSystem&>(dry) : real, journalFolder, dryRun);
    if (!report.batch) {
        if (json) {
            JsonLine line;
            Print(line.Begin().Null("batch"));
        } else {
            std::cout << "Nothing to undo.\n";
        }
        return 0;
    }
    const JournalBatch& b = *report.batch;
    if (!json)
        std::cout << "Batch " << b.id << " (" << b.kind << ", " << b.time << ")\n";
    PrintUndoSteps(report, dryRun, json);
    if (json) {
        JsonLine line;
        Print(line.Begin()
                  .Text("batch", b.id)
                  .Text("kind", b.kind)
                  .Text("time", b.time)
                  .Bool("dryRun", dryRun)
                  .Number("reverted", Count(report.reverted.size()))
                  .Number("skipped", Count(report.skipped.size())));
    }
    if (report.journalFailure) {
        std::cerr << "tagwright-cli: the undo stopped: its journal cannot be written: "
                  << report.journalFailure->Message() << '\n';
        return 1;
    }
    return report.skipped.empty() ? 0 : 1;
}

int RunHistory(const std::string& journalFolder, bool json) {
    JsonLine line;
    for (const JournalBatch& b : ReadJournal(RealFileSystem(), journalFolder)) {
        if (json) {
            Print(line.Begin()
                      .Text("batch", b.id)
                      .Text("time", b.time)
                      .Text("kind", b.kind)
                      .Number("steps", Count(b.steps.size()))
                      .Bool("undone", b.undone));
        } else {
            std::cout << b.id << '\t' << b.time << '\t' << b.kind << '\t' << b.steps.size()
                      << (b.steps.size() == 1 ? " step" : " steps") << '\t'
                      << (b.undone ? "undone" : "-") << '\n';
        }
    }
    return 0;
}

}  // namespace tagwright::cli
