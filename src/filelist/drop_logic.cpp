#include "filelist/drop_logic.h"

#include <optional>
#include <utility>

#include "platform/path.h"
#include "platform/read_ahead.h"

namespace tagwright {

namespace {

// What one dropped path came to. Each is worked out apart from the others, so that several
// can be read at once; only the list and the folder searches need the order.
struct Dropped {
    enum class Kind {
        kIgnored,
        kFolder,
        kFile,
        kRefused,
        kLater,  // to be worked out on the list's thread
    };
    explicit Dropped(Kind k = Kind::kIgnored) : kind(k) {}

    Kind kind;
    FileRow row;
    std::optional<Error> refusal;
};

Dropped Refused(Error e) {
    Dropped d(Dropped::Kind::kRefused);
    d.refusal = std::move(e);
    return d;
}

// The identity a dropped file is listed with: its entry's own (a link's, not its target's),
// as long as the bytes read are those of the file the path names.
Result<FileIdentity> ListedIdentity(FileSystem& fs, const std::string& p, const FileIdentity& entry,
                                    const FileIdentity& opened) {
    if (!opened.Known() || opened == entry)
        return entry;
    // Either the path is a link, read through to its target, or another file took the path
    // between the question and the open. Asking once more tells them apart.
    Result<FileIdentity> again = fs.IdentifyFile(p);
    if (again && *again == opened)
        return opened;  // replaced before the open: what was read is what the path names now
    if (again && *again == entry)
        return entry;  // a link: the cache keeps its target's tags out by their identity
    return Error{"read", p, "the file changed while it was read", 0, ErrorKind::kFileChanged};
}

// The row of a file read as `read` and listed as `id`.
Dropped Listed(FileSystem& fs, const TagProbe& probe, const std::string& p,
               const TagProbe::Read& read, const FileIdentity& id) {
    // Every cell is known before the row is written, so a refusal here leaves no half-filled
    // row behind.
    std::string full = p;
    if (!path::IsAbsoluteAndClean(p)) {
        auto normal = fs.GetFilePath(p);
        if (!normal)
            return Refused(normal.error());
        full = std::move(*normal);
    }
    probe.Keep(id, read);
    Dropped d(Dropped::Kind::kFile);
    d.row.fileName = path::FileName(full);
    d.row.path = std::move(full);
    d.row.tagKinds = read.tags->kind;
    d.row.id = id;
    return d;
}

Dropped Examine(FileSystem& fs, const TagProbe& probe, const std::string& p) {
    if (!EndsInMp3(p))
        return Dropped(fs.FolderExists(p) ? Dropped::Kind::kFolder : Dropped::Kind::kIgnored);
    // Nearly every path dropped is a plain file: opened as the entry itself, its read gives
    // the entry's identity too, one question fewer per file. The rest go the long way.
    // A folder, even one named "x.mp3", is searched.
    bool folder = false;
    if (const std::optional<TagProbe::Read> read = probe.ReadEntry(p, folder))
        return Listed(fs, probe, p, *read, read->tags->file.id);
    if (folder)
        return Dropped(Dropped::Kind::kFolder);
    // One question about the entry itself gives the identity; a link to a folder shows when
    // its read fails.
    Result<FileIdentity> entry = fs.IdentifyFile(p);
    if (!entry && entry.error().kind == ErrorKind::kIsFolder)
        return Dropped(Dropped::Kind::kFolder);
    const TagProbe::Read read = probe.ReadFile(p);
    if (!read.tags || !entry) {
        if (fs.FolderExists(p))
            return Dropped(Dropped::Kind::kFolder);
        return Refused(read.tags ? entry.error() : read.tags.error());
    }
    Result<FileIdentity> id = ListedIdentity(fs, p, *entry, read.tags->file.id);
    if (!id)
        return Refused(id.error());
    return Listed(fs, probe, p, read, *id);
}

}  // namespace

FileAddReport DropPaths(FileSystem& fs, ListStore& store, GetSearchMP3Module& search,
                        const std::vector<std::string>& paths, const FileAddHooks& hooks) {
    FileAddReport report;
    const TagProbe probe(fs, search.Cache());
    if (search.Cache() != nullptr)
        search.Cache()->Reserve(paths.size());
    const auto read = [&](std::size_t i) {
        // A relative path means the current folder at the time it is asked, which only the
        // list's thread may rely on (on Windows, each drive has its own).
        if (!path::IsAbsolute(paths[i]))
            return Dropped(Dropped::Kind::kLater);
        return Examine(fs, probe, paths[i]);
    };
    const int jobs = fs.ConcurrentReads() ? search.ReadJobs() : 1;
    ReadInOrder<Dropped>(paths.size(), jobs, read, [&](std::size_t i, Dropped& d) {
        if (hooks.Stopped())
            return false;
        if (d.kind == Dropped::Kind::kLater)
            d = Examine(fs, probe, paths[i]);
        switch (d.kind) {
            case Dropped::Kind::kFolder:
                report.Merge(search.SearchMP3Files(paths[i], "mp3", true, hooks));
                break;
            case Dropped::Kind::kRefused:
                report.skipped.push_back(std::move(*d.refusal));
                break;
            case Dropped::Kind::kFile:
                if (hooks.row) {
                    hooks.row(std::move(d.row));
                } else if (store.AppendFileRow(std::move(d.row))) {
                    // A file listed already (dropped twice, or a hard link to a listed file) is
                    // one row.
                    ++report.added;
                }
                break;
            case Dropped::Kind::kIgnored:
            case Dropped::Kind::kLater:
                break;
        }
        return true;
    });
    if (!hooks.row)
        store.UpdateFileCount();
    return report;
}

}  // namespace tagwright
