#include "cli/journal_commands.h"

#include <iostream>
#include <nlohmann/json.hpp>

#include "fileops/dry_run_file_system.h"
#include "fileops/undo.h"

namespace tagwright::cli {

namespace {

using Json = nlohmann::ordered_json;

std::string Dump(const Json& j) {
    return j.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void PrintUndoSteps(const UndoReport& report, bool dryRun, bool json) {
    const char* verb = dryRun ? "would-revert" : "reverted";
    for (const JournalStep& s : report.reverted) {
        if (json) {
            std::cout << Dump(Json{{"status", verb}, {"from", s.to}, {"to", s.from}}) << '\n';
        } else {
            std::cout << s.to << " -> " << s.from << '\n';
        }
    }
    for (const UndoSkip& s : report.skipped) {
        if (json) {
            std::cout << Dump(Json{{"status", "skipped"},
                                   {"from", s.step.to},
                                   {"to", s.step.from},
                                   {"error", s.reason.Message()},
                                   {"errorCode", ErrorKindCode(s.reason.kind)}})
                      << '\n';
        } else {
            std::cout << "× " << s.step.to << " -> " << s.step.from << ": " << s.reason.Message()
                      << '\n';
        }
    }
    for (const std::string& f : report.foldersRemoved) {
        if (json) {
            std::cout << Dump(Json{{"status", dryRun ? "would-remove-folder" : "removed-folder"},
                                   {"folder", f}})
                      << '\n';
        } else {
            std::cout << (dryRun ? "would remove folder " : "removed folder ") << f << '\n';
        }
    }
    for (const Error& e : report.foldersKept) {
        if (json) {
            std::cout << Dump(Json{
                             {"status", "kept-folder"}, {"folder", e.path}, {"error", e.Message()}})
                      << '\n';
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
            std::cout << Dump(Json{{"batch", nullptr}}) << '\n';
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
        std::cout << Dump(Json{{"batch", b.id},
                               {"kind", b.kind},
                               {"time", b.time},
                               {"dryRun", dryRun},
                               {"reverted", report.reverted.size()},
                               {"skipped", report.skipped.size()}})
                  << '\n';
    }
    if (report.journalFailure) {
        std::cerr << "tagwright-cli: the undo stopped: its journal cannot be written: "
                  << report.journalFailure->Message() << '\n';
        return 1;
    }
    return report.skipped.empty() ? 0 : 1;
}

int RunHistory(const std::string& journalFolder, bool json) {
    for (const JournalBatch& b : ReadJournal(RealFileSystem(), journalFolder)) {
        if (json) {
            std::cout << Dump(Json{{"batch", b.id},
                                   {"time", b.time},
                                   {"kind", b.kind},
                                   {"steps", b.steps.size()},
                                   {"undone", b.undone}})
                      << '\n';
        } else {
            std::cout << b.id << '\t' << b.time << '\t' << b.kind << '\t' << b.steps.size()
                      << (b.steps.size() == 1 ? " step" : " steps") << '\t'
                      << (b.undone ? "undone" : "-") << '\n';
        }
    }
    return 0;
}

}  // namespace tagwright::cli
