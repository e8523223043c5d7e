// tagwright-cli: the engine of the window from a terminal, for scripts and machines without a
// desktop. Exit status: 0 every row succeeded, 1 some row or file was refused, 2 usage error,
// 3 this system cannot decode the tag texts.
#include <CLI/CLI.hpp>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include <filesystem>
#include <map>
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
#include "platform/special_folders.h"
#include "tags/mp3_tag.h"
#include "tags/music_genre.h"

#ifndef TAGWRIGHT_VERSION
#define TAGWRIGHT_VERSION "0"
#endif

namespace tagwright::cli {

namespace {

using Json = nlohmann::ordered_json;
constexpr auto kReplaceInvalid = Json::error_handler_t::replace;

constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNoDecoder = 3;

// Rows hold full paths, as a drop from a file manager gives them; "." and "../x" are made
// absolute first. ".." means what the kernel makes of it: after a link to a folder it leads to
// the parent of the link's target, so a path holding one has its folder part resolved through
// the file system (the last name stays as given: a listed link is the link). Without ".." a
// textual clean-up is exact.
std::string Absolute(const std::string& p) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::u8string u8(p.begin(), p.end());
    fs::path absolute = fs::absolute(fs::path(u8), ec);
    if (ec)
        return p;
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
    std::u8string a = absolute.lexically_normal().u8string();
    // lexically_normal keeps a trailing separator for "dir/."; a folder path has none here.
    while (a.size() > 1 && path::IsSeparator(static_cast<char>(a.back())) &&
           path::RootLength(std::string(a.begin(), a.end())) < a.size()) {
        a.pop_back();
    }
    return std::string(a.begin(), a.end());
}

std::vector<std::string> Absolute(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    out.reserve(paths.size());
    for (const std::string& p : paths)
        out.push_back(Absolute(p));
    return out;
}

// The storage folder as the folder chooser gives it: absolute, with one trailing separator.
std::string StorageFolder(const std::string& dir) {
    return path::WithTrailingSeparator(Absolute(dir));
}

Json FieldsJson(const TagFields& f) {
    return Json{{"TrackName", f.TrackName}, {"ArtistName", f.ArtistName},
                {"AlbumName", f.AlbumName}, {"Genre", f.Genre},
                {"Year", f.Year},           {"TrackNo", f.TrackNo}};
}

// What the reader finds in one file. v1 and v2 are null when the file has no such tag. One
// fresh reader serves it all: the field selection reads both tags into it, and a fresh reader
// holds nothing but this file's values.
Json ProbeJson(FileSystem& fs, const std::string& file) {
    clsMP3Tag reader(fs);
    reader.MP3FilePath = file;
    const std::int16_t flags = reader.ReadTagType();
    // The Tag field set with the start settings and nothing substituted (mode 0).
    Settings both;
    both.tagSource = Settings::TagSource::kBoth;
    const TagFields fields = TagR::GetTagInfo(0, reader, both);

    Json j;
    j["path"] = file;
    j["flags"] = flags;
    j["tagKind"] = TagKindText(flags);
    if ((flags & TagKind::kId3v1) != 0) {
        j["v1"] = Json{{"version", reader.ID3V1TAGVersion == 2 ? "1.1" : "1.0"},
                       {"title", reader.ID3V1TAGTrackName},
                       {"artist", reader.ID3V1TAGArtistName},
                       {"album", reader.ID3V1TAGAlbumName},
                       {"year", reader.ID3V1TAGYear},
                       {"comment", reader.ID3V1TAGComment},
                       {"genre", reader.ID3V1TAGGenre},
                       {"genreName", MUSICGENRE::GenreName(reader.ID3V1TAGGenre)},
                       {"track", reader.ID3V1TAGTrackNo}};
    } else {
        j["v1"] = nullptr;
    }
    if ((flags & TagKind::kId3v2) != 0) {
        j["v2"] = Json{{"title", reader.ID3V2TAGTrackName}, {"artist", reader.ID3V2TAGArtist},
                       {"album", reader.ID3V2TAGAlbum},     {"year", reader.ID3V2TAGYear},
                       {"genre", reader.ID3V2TAGGenre},     {"track", reader.ID3V2TAGTrackNo},
                       {"frames", reader.FrameName}};
    } else {
        j["v2"] = nullptr;
    }
    j["fields"] = FieldsJson(fields);
    return j;
}

void PrintProbeText(std::ostream& out, const Json& j) {
    out << j["path"].get<std::string>() << '\n';
    out << "  tag kind: "
        << (j["tagKind"].get<std::string>().empty() ? "(none)" : j["tagKind"].get<std::string>())
        << '\n';
    const Json& f = j["fields"];
    for (const char* key : {"TrackName", "ArtistName", "AlbumName", "Genre", "Year", "TrackNo"}) {
        out << "  " << key << ": " << f[key].get<std::string>() << '\n';
    }
    if (!j["v2"].is_null()) {
        out << "  ID3v2 frames:";
        for (const auto& id : j["v2"]["frames"])
            out << ' ' << id.get<std::string>();
        out << '\n';
    }
}

int RunProbe(const std::vector<std::string>& files, bool json) {
    FileSystem& fs = RealFileSystem();
    int status = kExitOk;
    for (const std::string& file : files) {
        try {
            const Json j = ProbeJson(fs, file);
            if (json) {
                std::cout << j.dump(-1, ' ', false, kReplaceInvalid) << '\n';
            } else {
                PrintProbeText(std::cout, j);
            }
        } catch (const FileError& e) {
            status = kExitRefused;
            if (json) {
                std::cout << Json{{"path", file}, {"error", e.error().Message()}}.dump(
                                 -1, ' ', false, kReplaceInvalid)
                          << '\n';
            } else {
                std::cerr << "tagwright-cli: " << e.error().Message() << '\n';
            }
        }
    }
    return status;
}

void ReportSkipped(const FileAddReport& report, bool json) {
    for (const Error& e : report.skipped) {
        if (json) {
            Json j{
                {"skipped", e.path}, {"error", e.Message()}, {"errorCode", ErrorKindCode(e.kind)}};
            if (!IsUtf8(e.path))
                j["skippedBytes"] = Base64(e.path);
            std::cout << j.dump(-1, ' ', false, kReplaceInvalid) << '\n';
        } else {
            std::cerr << "tagwright-cli: skipped: " << e.Message() << '\n';
        }
    }
}

int RunSearch(const std::vector<std::string>& folders, bool recursive, bool tags, bool json) {
    FileSystem& fs = RealFileSystem();
    ListStore store;
    GetSearchMP3Module search(fs, store);
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
    PrintRows(std::cout, store, json);
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
int PrintPreview(bool move, const ListStore& store, Settings settings, bool json,
                 CreateFolders create) {
    BatchCallbacks callbacks;
    callbacks.stopRequested = [] { return StopSignal() != 0; };
    FolderAnswer assumed = FolderAnswer::kOk;
    if (create == CreateFolders::kYes)
        settings.FolderYN = false;
    if (create == CreateFolders::kNo)
        assumed = FolderAnswer::kCancel;
    const BatchPlan plan = move ? PlanMove(store, settings, RealFileSystem(), callbacks, assumed)
                                : PlanRename(store, settings, RealFileSystem(), callbacks);
    PrintHeader(std::cout, json);
    bool refused = false;
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        PrintPlanLine(std::cout, plan, i, json);
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

// Paths enter the list as a drop does; then the batch runs over it, or with dryRun only its
// plan is made, so the rows show what would become of each file and the disk stays as it was.
int RunBatch(bool move, const std::vector<std::string>& paths, const Settings& settings,
             bool dryRun, bool json, CreateFolders create) {
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
    GetSearchMP3Module search(fs, store);
    const FileAddReport report = DropPaths(fs, store, search, Absolute(paths));
    if (create == CreateFolders::kDefault) {
        create = StandardInputIsTerminal() ? CreateFolders::kAsk : CreateFolders::kYes;
    }
    if (dryRun) {
        const int status = PrintPreview(move, store, settings, json, create);
        ReportSkipped(report, json);
        if (const int signal = StopSignal(); signal != 0) {
            std::cerr << "tagwright-cli: stopped by signal " << signal
                      << "; the rows printed are the files planned\n";
            return 128 + signal;
        }
        return report.skipped.empty() ? status : kExitRefused;
    }

    // Each row is printed as soon as its file is done, so that an interrupted batch leaves the
    // truth about every file it touched.
    std::map<int, Error> errors;
    BatchCallbacks callbacks;
    callbacks.rowRefused = [&errors](int row, const Error& e) { errors[row] = e; };
    callbacks.rowFinished = [&](int row) {
        const auto it = errors.find(row);
        PrintRow(std::cout, store.RowAt(row), json, it == errors.end() ? nullptr : &it->second);
        std::cout.flush();
    };
    callbacks.stopRequested = [] { return StopSignal() != 0; };
    callbacks.askCreateFolder = FolderQuestionFor(create);
    PrintHeader(std::cout, json);
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

    const int mark = move ? ListStore::kM : ListStore::kR;
    bool refused = !report.skipped.empty();
    for (int r = 1; r < store.RowCount(); ++r) {
        if (store.Cell(r, mark) == ListStore::kRefused)
            refused = true;
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
};

CLI::App* AddProbe(CLI::App& app, Options& o) {
    CLI::App* probe = app.add_subcommand("probe", "Show the tags of MP3 files");
    probe->add_flag("--json", o.json, "One JSON object per file");
    probe->add_option("FILE", o.files, "Files to read")->required();
    return probe;
}

CLI::App* AddSearch(CLI::App& app, Options& o) {
    CLI::App* search = app.add_subcommand("search", "List the MP3 files of folders");
    search->add_flag("--recursive", o.recursive, "Search sub-folders too");
    search->add_flag("--tags", o.tags,
                     "Also list files of any extension that carry a tag (タグ情報を読みMP3を探す)");
    search->add_flag("--json", o.json, "One JSON object per row");
    search->add_option("DIR", o.folders, "Folders to search")->required();
    return search;
}

CLI::App* AddRename(CLI::App& app, Options& o) {
    CLI::App* rename = app.add_subcommand(
        "rename", "Rename MP3 files (and the MP3 files of folders) by the naming rule");
    AddSettingOptions(*rename, o.renameSettings);
    rename->add_flag("--dry-run", o.dryRun, "Show what each file would become; change nothing");
    rename->add_flag("--json", o.json, "One JSON object per row");
    rename->add_option("PATH", o.paths, "Files and folders, as if dropped on the list")->required();
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
    move->add_flag("--json", o.json, "One JSON object per row");
    move->add_option("PATH", o.paths, "Files and folders, as if dropped on the list")->required();
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
    return RunBatch(false, o.paths, settings, o.dryRun, o.json, CreateFolders::kYes);
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
    return RunBatch(true, o.paths, settings, o.dryRun, o.json, create);
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
            return RunProbe(o.files, o.json);
        if (search->parsed())
            return RunSearch(o.folders, o.recursive, o.tags, o.json);
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
