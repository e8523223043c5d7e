// tagwright-cli: the engine of the window from a terminal, for scripts and machines without a
// desktop. Exit status: 0 every row succeeded, 1 some row or file was refused, 2 usage error,
// 3 this system cannot decode the tag texts.
#include <CLI/CLI.hpp>
#include <array>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include <filesystem>
#include "cli/cli_settings.h"
#include "cli/journal_commands.h"
#include "cli/row_output.h"

#include "filelist/drop_logic.h"
#include "filelist/folder_search.h"
#include "filelist/list_store.h"
#include "fileops/batch_plan.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "naming/field_selection.h"
#include "platform/console.h"
#include "platform/cp932.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "platform/read_ahead.h"
#include "platform/special_folders.h"
#include "tags/mp3_tag.h"
#include "tags/music_genre.h"
#include "tags/tag_cache.h"
#include "tags/tag_snapshot.h"

#ifndef TAGWRIGHT_VERSION
#define TAGWRIGHT_VERSION "0"
#endif

namespace tagwright::cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoDecoder = 3;

// Rows hold full paths, as a drop from a file manager gives them; "." and "../x" are made
// absolute first. ".." means what the kernel makes of it: after a link to a folder it leads to
// the parent of the link's target, so a path holding one has its folder part resolved through
// the file system (the last name stays as given: a listed link is the link). Without ".." a
// textual clean-up is exact.
// `cwd` is the working folder, asked once for all the paths of a command line: thousands of
// relative paths from xargs would otherwise cost a system call each.
std::string Absolute(const std::string& p, const std::filesystem::path& cwd) {
    namespace fs = std::filesystem;
    // What xargs passes from find is usually so already; the rest is worked out below.
    if (path::IsAbsoluteAndClean(p))
        return p;
    std::error_code ec;
    const std::u8string u8(p.begin(), p.end());
    fs::path absolute(u8);
    if (!absolute.is_absolute()) {
        if (cwd.empty())
            return p;
        absolute = cwd / absolute;
    }
    bool dotDot = false;
    for (const auto& part : absolute)
        dotDot = dotDot || part == "..";
    if (dotDot) {
        const fs::path name = absolute.filename();
        if (name.empty() || name == "." || name == "..") {
            absolute = fs::weakly_canonical(absolute, ec);
        } else {
            absolute = fs::weakly_canonical(absolute.parent_path(), ec) / name;
        }
        if (ec)
            return p;
    }
    const std::u8string a = absolute.lexically_normal().u8string();
    // lexically_normal keeps a trailing separator for "dir/."; a folder path has none here.
    return path::WithoutTrailingSeparator(std::string(a.begin(), a.end()));
}

std::filesystem::path WorkingFolder() {
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path() : cwd;
}

std::string Absolute(const std::string& p) {
    return Absolute(p, WorkingFolder());
}

std::vector<std::string> Absolute(const std::vector<std::string>& paths) {
    const std::filesystem::path cwd = WorkingFolder();
    std::vector<std::string> out;
    out.reserve(paths.size());
    for (const std::string& p : paths)
        out.push_back(Absolute(p, cwd));
    return out;
}

// The storage folder as the folder chooser gives it: absolute, with one trailing separator.
std::string StorageFolder(const std::string& dir) {
    return path::WithTrailingSeparator(Absolute(dir));
}

const char* const kFieldNames[] = {"TrackName", "ArtistName", "AlbumName",
                                   "Genre",     "Year",       "TrackNo"};

std::array<const std::string*, 6> FieldValues(const TagFields& f) {
    return {&f.TrackName, &f.ArtistName, &f.AlbumName, &f.Genre, &f.Year, &f.TrackNo};
}

// The Tag field set with the start settings and nothing substituted (mode 0).
TagFields ProbeFields(const TagSnapshot& tags) {
    static const Settings both = [] {
        Settings s;
        s.tagSource = Settings::TagSource::kBoth;
        return s;
    }();
    return TagR::GetTagInfo(0, tags, both);
}

// What the reader finds in one file. v1 and v2 are null when the file has no such tag.
void WriteProbeJson(JsonLine& line, const std::string& file, const TagSnapshot& tags) {
    line.Begin()
        .Text("path", file)
        .Number("flags", tags.kind)
        .Text("tagKind", TagKindText(tags.kind));
    if (const auto& v1 = tags.id3v1) {
        line.BeginObject("v1")
            .Text("version", v1->version == 2 ? "1.1" : "1.0")
            .Text("title", v1->title)
            .Text("artist", v1->artist)
            .Text("album", v1->album)
            .Text("year", v1->year)
            .Text("comment", v1->comment)
            .Number("genre", v1->genre)
            .Text("genreName", MUSICGENRE::GenreName(v1->genre))
            .Number("track", v1->track)
            .EndObject();
    } else {
        line.Null("v1");
    }
    if (const auto& v2 = tags.id3v2) {
        const auto text = [](const std::optional<std::string>& s) {
            return s ? std::string_view(*s) : std::string_view();
        };
        line.BeginObject("v2")
            .Text("title", text(v2->title))
            .Text("artist", text(v2->artist))
            .Text("album", text(v2->album))
            .Text("year", text(v2->year))
            .Text("genre", text(v2->genre))
            .Text("track", text(v2->track))
            .BeginArray("frames");
        for (const Id3v2FrameEntry& e : v2->table.frames)
            line.ArrayText(e.FrameID);
        line.EndArray().EndObject();
    } else {
        line.Null("v2");
    }
    const TagFields fields = ProbeFields(tags);
    line.BeginObject("fields");
    const auto values = FieldValues(fields);
    for (std::size_t i = 0; i < values.size(); ++i)
        line.Text(kFieldNames[i], *values[i]);
    line.EndObject();
}

void WriteProbeText(std::ostream& out, const std::string& file, const TagSnapshot& tags) {
    const std::string kind = TagKindText(tags.kind);
    out << file << '\n' << "  tag kind: " << (kind.empty() ? "(none)" : kind) << '\n';
    const TagFields fields = ProbeFields(tags);
    const auto values = FieldValues(fields);
    for (std::size_t i = 0; i < values.size(); ++i)
        out << "  " << kFieldNames[i] << ": " << *values[i] << '\n';
    if (tags.id3v2) {
        out << "  ID3v2 frames:";
        for (const Id3v2FrameEntry& e : tags.id3v2->table.frames)
            out << ' ' << e.FrameID;
        out << '\n';
    }
}

int RunProbe(const std::vector<std::string>& files, bool json, int jobs) {
    FileSystem& fs = RealFileSystem();
    RowStream stream(std::cout, StandardOutputIsTerminal());
    JsonLine line;
    int status = kExitOk;
    const auto read = [&](std::size_t i) { return ReadTags(fs, files[i]); };
    ReadInOrder<Result<TagSnapshot>>(
        files.size(), jobs, read, [&](std::size_t i, Result<TagSnapshot>& tags) {
            const std::string& file = files[i];
            if (tags) {
                if (json) {
                    WriteProbeJson(line, file, *tags);
                    stream.Line(line.End());
                } else {
                    WriteProbeText(stream.Out(), file, *tags);
                    stream.RowDone();
                }
                return true;
            }
            status = kExitRefused;
            if (json) {
                stream.Line(
                    line.Begin().Text("path", file).Text("error", tags.error().Message()).End());
            } else {
                std::cerr << "tagwright-cli: " << tags.error().Message() << '\n';
            }
            return true;
        });
    return status;
}

void ReportSkipped(const FileAddReport& report, bool json) {
    JsonLine line;
    for (const Error& e : report.skipped) {
        if (json) {
            line.Begin()
                .Text("skipped", e.path)
                .Text("error", e.Message())
                .Text("errorCode", ErrorKindCode(e.kind));
            if (!IsUtf8(e.path))
                line.Text("skippedBytes", Base64(e.path));
            std::cout << line.End();
        } else {
            std::cerr << "tagwright-cli: skipped: " << e.Message() << '\n';
        }
    }
}

int RunSearch(const std::vector<std::string>& folders, bool recursive, bool tags, bool json,
              int jobs) {
    FileSystem& fs = RealFileSystem();
    ListStore store;
    GetSearchMP3Module search(fs, store);
    search.SetReadJobs(jobs);
    FileAddReport report;
    for (const std::string& folder : folders) {
        if (!fs.FolderExists(folder)) {
            report.skipped.push_back(
                Error{"open folder", folder, "No such folder", 0, ErrorKind::kNotFound});
            continue;
        }
        report.Merge(search.SearchMP3Files(Absolute(folder), tags ? "" : "mp3", recursive));
    }
    store.UpdateFileCount();
    RowStream stream(std::cout, StandardOutputIsTerminal());
    RowPrinter(stream, json).Rows(store);
    ReportSkipped(report, json);
    return report.skipped.empty() ? kExitOk : kExitRefused;
}

enum class CreateFolders { kDefault, kYes, kAsk, kNo };

FolderAnswer AskOnTerminal(const std::string& prompt, const std::string& title) {
    std::cerr << title << ": " << prompt << "\n[y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer))
        return FolderAnswer::kCancel;
    return (answer == "y" || answer == "Y" || answer == "yes" || answer == "ok" || answer == "OK")
               ? FolderAnswer::kOk
               : FolderAnswer::kCancel;
}

// The preview: the plan the window's preview shows, one row each as the batch would leave it.
// It never asks; a question the batch would put is taken as answered as `create` says.
int PrintPreview(bool move, const ListStore& store, const TagCache& tags, Settings settings,
                 bool json, CreateFolders create) {
    BatchCallbacks callbacks;
    callbacks.stopRequested = [] { return StopSignal() != 0; };
    callbacks.tagCache = &tags;
    FolderAnswer assumed = FolderAnswer::kOk;
    if (create == CreateFolders::kYes)
        settings.FolderYN = false;
    if (create == CreateFolders::kNo)
        assumed = FolderAnswer::kCancel;
    const BatchPlan plan = move ? PlanMove(store, settings, RealFileSystem(), callbacks, assumed)
                                : PlanRename(store, settings, RealFileSystem(), callbacks);
    RowStream stream(std::cout, StandardOutputIsTerminal());
    RowPrinter printer(stream, json);
    printer.Header();
    bool refused = false;
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        printer.PlanLine(plan, i);
        refused = refused || plan.lines[i].outcome != PlanLine::Outcome::kWouldDo;
    }
    return refused ? kExitRefused : kExitOk;
}

// The answer to the folder question: --yes, --ask, --no-create, or by the terminal.
FolderQuestion FolderQuestionFor(CreateFolders create) {
    if (create == CreateFolders::kDefault) {
        create = StandardInputIsTerminal() ? CreateFolders::kAsk : CreateFolders::kYes;
    }
    switch (create) {
        case CreateFolders::kYes:
        case CreateFolders::kDefault:
            return [](const std::string&, const std::string&) { return FolderAnswer::kOk; };
        case CreateFolders::kAsk:
            return AskOnTerminal;
        case CreateFolders::kNo:
            break;
    }
    return [](const std::string&, const std::string&) { return FolderAnswer::kCancel; };
}

// The plan of the batch over the dropped rows, printed; the disk stays as it was.
int RunDryRun(bool move, const ListStore& store, const TagCache& tags, const Settings& settings,
              const FileAddReport& report, bool json, CreateFolders create) {
    const int status = PrintPreview(move, store, tags, settings, json, create);
    ReportSkipped(report, json);
    if (const int signal = StopSignal(); signal != 0) {
        std::cerr << "tagwright-cli: stopped by signal " << signal
                  << "; the rows printed are the files planned\n";
        return 128 + signal;
    }
    return report.skipped.empty() ? status : kExitRefused;
}

// The refusal of the batch's own step on a row, if it was refused.
std::shared_ptr<const Error> StepRefusal(const ListStore& store, int row, bool move) {
    const FileRow file = store.File(row);
    const FileRow::Step& step = move ? file.move : file.rename;
    return step.outcome == FileRow::Outcome::kRefused ? step.refusal : nullptr;
}

// A drop passes over a path that is neither an MP3 file nor a folder, as the window does with
// a picture dropped beside the songs. A path that names nothing at all is a mistyped argument:
// the run must not end as if it had done what was asked. An MP3 path that is missing is
// reported by the drop itself.
void ReportMissing(FileSystem& fs, const std::vector<std::string>& paths, FileAddReport& report) {
    for (const std::string& p : paths) {
        if (EndsInMp3(p))
            continue;
        const Result<FileIdentity> entry = fs.IdentifyFile(p);
        if (!entry && entry.error().kind == ErrorKind::kNotFound)
            report.skipped.push_back(
                Error{"open", p, "No such file or folder", ENOENT, ErrorKind::kNotFound});
    }
}

// Paths enter the list as a drop does; then the batch runs over it, or with dryRun only its
// plan is made, so the rows show what would become of each file and the disk stays as it was.
int RunBatch(bool move, const std::vector<std::string>& paths, const Settings& settings,
             bool dryRun, bool json, CreateFolders create, int jobs) {
    FileSystem& real = RealFileSystem();
    std::optional<JournaledBatch> journaled;
    if (!dryRun) {
        RecoverCopies(real, StateFolder(), std::cerr);
        journaled = BeginJournaledBatch(real, StateFolder(), move ? "move" : "rename", std::cerr);
        if (!journaled)
            return kExitRefused;
    }
    FileSystem& fs = dryRun ? real : *journaled->fs;

    ListStore store;
    TagCache tags;
    GetSearchMP3Module search(fs, store);
    search.SetReadJobs(jobs);
    search.SetTagCache(&tags);
    FileAddReport report = DropPaths(fs, store, search, Absolute(paths));
    ReportMissing(fs, paths, report);
    if (create == CreateFolders::kDefault) {
        create = StandardInputIsTerminal() ? CreateFolders::kAsk : CreateFolders::kYes;
    }
    if (dryRun)
        return RunDryRun(move, store, tags, settings, report, json, create);

    // Each row is printed as soon as its file is done, so that an interrupted batch leaves the
    // truth about every file it touched.
    RowStream stream(std::cout, StandardOutputIsTerminal());
    RowPrinter printer(stream, json);
    bool refused = !report.skipped.empty();
    BatchCallbacks callbacks;
    callbacks.rowFinished = [&](int row) {
        const std::shared_ptr<const Error> refusal = StepRefusal(store, row, move);
        refused = refused || refusal != nullptr;
        printer.Row(store.RowAt(row), refusal.get());
    };
    callbacks.stopRequested = [] { return StopSignal() != 0; };
    callbacks.askCreateFolder = FolderQuestionFor(create);
    callbacks.readJobs = jobs;
    callbacks.tagCache = &tags;
    printer.Header();
    if (move) {
        RunMoveBatch(store, settings, fs, callbacks);
    } else {
        RunRenameBatch(store, settings, fs, callbacks);
    }
    ReportSkipped(report, json);
    if (journaled && journaled->fs->JournalFailure()) {
        std::cerr << "tagwright-cli: the undo journal could not be written, so the batch stopped "
                     "changing files: "
                  << journaled->fs->JournalFailure()->Message() << '\n';
    }
    if (const int signal = StopSignal(); signal != 0) {
        std::cerr << "tagwright-cli: stopped by signal " << signal
                  << "; the rows printed are the files done\n";
        return 128 + signal;
    }
    return refused ? kExitRefused : kExitOk;
}

// Every option of every subcommand; only the parsed subcommand's are read.
struct Options {
    bool json = false;
    bool dryRun = false;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    std::vector<std::string> paths;
    bool recursive = false;
    bool tags = false;
    SettingOptions renameSettings;
    SettingOptions moveSettings;
    std::string to;
    bool yes = false;
    bool ask = false;
    bool noCreate = false;
    int jobs = kDefaultReadJobs;
};

// The options every subcommand that reads files ends with: --json, its positional inputs
// (required) and --jobs.
void AddInputs(CLI::App& command, Options& o, const char* jsonHelp, const char* inputs,
               std::vector<std::string>& into, const char* inputsHelp) {
    command.add_flag("--json", o.json, jsonHelp);
    command.add_option(inputs, into, inputsHelp)->required();
    command.add_option("--jobs", o.jobs, "Tag reads kept in flight at once (1: one at a time)")
        ->check(CLI::Range(1, 256))
        ->capture_default_str();
}

void AddDroppedInputs(CLI::App& command, Options& o) {
    AddInputs(command, o, "One JSON object per row", "PATH", o.paths,
              "Files and folders, as if dropped on the list");
}

CLI::App* AddProbe(CLI::App& app, Options& o) {
    CLI::App* probe = app.add_subcommand("probe", "Show the tags of MP3 files");
    AddInputs(*probe, o, "One JSON object per file", "FILE", o.files, "Files to read");
    return probe;
}

CLI::App* AddSearch(CLI::App& app, Options& o) {
    CLI::App* search = app.add_subcommand("search", "List the MP3 files of folders");
    search->add_flag("--recursive", o.recursive, "Search sub-folders too");
    search->add_flag("--tags", o.tags,
                     "Also list files of any extension that carry a tag (タグ情報を読みMP3を探す)");
    AddInputs(*search, o, "One JSON object per row", "DIR", o.folders, "Folders to search");
    return search;
}

CLI::App* AddRename(CLI::App& app, Options& o) {
    CLI::App* rename = app.add_subcommand(
        "rename", "Rename MP3 files (and the MP3 files of folders) by the naming rule");
    AddSettingOptions(*rename, o.renameSettings);
    rename->add_flag("--dry-run", o.dryRun, "Show what each file would become; change nothing");
    AddDroppedInputs(*rename, o);
    return rename;
}

CLI::App* AddMove(CLI::App& app, Options& o) {
    CLI::App* move =
        app.add_subcommand("move", "Move MP3 files into folders under --to by the folder rule");
    AddSettingOptions(*move, o.moveSettings);
    move->add_option("--to", o.to, "The storage folder")->required();
    move->add_flag("--dry-run", o.dryRun, "Show where each file would go; change nothing");
    auto* yesFlag = move->add_flag("--yes", o.yes, "Create missing folders without asking");
    auto* askFlag = move->add_flag("--ask", o.ask,
                                   "Ask on the terminal before creating a missing folder "
                                   "(the default when standard input is a terminal)");
    auto* noFlag = move->add_flag("--no-create", o.noCreate,
                                  "Create no folder: files whose folder is missing stay");
    yesFlag->excludes(askFlag)->excludes(noFlag);
    askFlag->excludes(noFlag);
    AddDroppedInputs(*move, o);
    return move;
}

CLI::App* AddUndo(CLI::App& app, Options& o) {
    CLI::App* undo = app.add_subcommand(
        "undo", "Take back the last rename or move batch that is not undone yet");
    undo->add_flag("--dry-run", o.dryRun, "Show what the undo would do; change nothing");
    undo->add_flag("--json", o.json, "One JSON object per step, then a summary");
    return undo;
}

CLI::App* AddHistory(CLI::App& app, Options& o) {
    CLI::App* history = app.add_subcommand("history", "List the journaled batches");
    history->add_flag("--json", o.json, "One JSON object per batch");
    return history;
}

int RunRename(const Options& o) {
    const Settings settings = LoadSettingOptions(o.renameSettings, RealFileSystem(), std::cerr);
    return RunBatch(false, o.paths, settings, o.dryRun, o.json, CreateFolders::kYes, o.jobs);
}

int RunMove(const Options& o) {
    Settings settings = LoadSettingOptions(o.moveSettings, RealFileSystem(), std::cerr);
    settings.MP3SaveFolderTxt = StorageFolder(o.to);
    CreateFolders create = CreateFolders::kDefault;
    if (o.yes)
        create = CreateFolders::kYes;
    if (o.ask)
        create = CreateFolders::kAsk;
    if (o.noCreate)
        create = CreateFolders::kNo;
    // The batch always asks; the answer comes from --yes, --ask or --no-create.
    settings.FolderYN = true;
    return RunBatch(true, o.paths, settings, o.dryRun, o.json, create, o.jobs);
}

// The parse's own exit for help and version; kExitUsage for anything it refused.
std::optional<int> Parse(CLI::App& app, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tagwright-cli: " << e.what() << '\n';
        return kExitUsage;
    }
    return std::nullopt;
}

}  // namespace

int Main(int argc, char** argv) {
    CLI::App app{"Tagwright: rename MP3 files by their ID3 tags and file them into folders.",
                 "tagwright-cli"};
    app.set_version_flag("--version", std::string("tagwright-cli ") + TAGWRIGHT_VERSION);
    app.require_subcommand(1);
    Options o;
    CLI::App* probe = AddProbe(app, o);
    CLI::App* search = AddSearch(app, o);
    CLI::App* rename = AddRename(app, o);
    CLI::App* move = AddMove(app, o);
    CLI::App* undo = AddUndo(app, o);
    CLI::App* history = AddHistory(app, o);
    if (const std::optional<int> exit = Parse(app, argc, argv))
        return *exit;

    // Without the decoder, tag texts would turn into names full of U+FFFD.
    if (const std::optional<std::string> problem = Cp932DecoderProblem()) {
        std::cerr << "tagwright-cli: cannot decode code page 932 (Shift_JIS) tag texts on this "
                     "system: "
                  << *problem << '\n';
        return kExitNoDecoder;
    }
    try {
        if (probe->parsed())
            return RunProbe(o.files, o.json, o.jobs);
        if (search->parsed())
            return RunSearch(o.folders, o.recursive, o.tags, o.json, o.jobs);
        if (rename->parsed())
            return RunRename(o);
        if (move->parsed())
            return RunMove(o);
        if (undo->parsed())
            return RunUndo(StateFolder(), o.dryRun, o.json);
        if (history->parsed())
            return RunHistory(StateFolder(), o.json);
    } catch (const std::invalid_argument& e) {
        std::cerr << "tagwright-cli: " << e.what() << '\n';
        return kExitUsage;
    }
    return kExitUsage;
}

}  // namespace tagwright::cli

int main(int argc, char** argv) {
    tagwright::UseUtf8Console();
    // Into a pipe or a file, rows go out in large blocks: the C library's default of one page
    // costs a write per few rows on a long listing. A terminal keeps its line at a time.
    // The buffer is given: without one the C library keeps its own size.
    static char buffer[std::size_t{1} << 16];
    if (!tagwright::StandardOutputIsTerminal())
        std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    std::vector<std::string> args = tagwright::Utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& a : args)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    tagwright::CatchStopSignals();
    const int status = tagwright::cli::Main(static_cast<int>(args.size()), pointers.data());
    // Rows that never reached their reader (a full disk, a closed pipe) are no success.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tagwright-cli: cannot write to standard output\n";
        return status == 0 ? 1 : status;
    }
    return status;
}
