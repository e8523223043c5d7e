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

Dropped Examine(FileSystem& fs, const TagProbe& probe, const std::string& p) {
    // A folder such as "~/Music/mp3" is searched, whatever its name ends in.
    if (!EndsInMp3(p))
        return Dropped(fs.FolderExists(p) ? Dropped::Kind::kFolder : Dropped::Kind::kIgnored);
    if (fs.FolderExists(p))
        return Dropped(Dropped::Kind::kFolder);
    const TagProbe::Read read = probe.ReadFile(p);
    if (!read.tags)
        return Refused(read.tags.error());
    // Every cell is known before the row is written, so a refusal here leaves no half-filled
    // row behind.
    auto full = fs.GetFilePath(p);
    if (!full.ok())
        return Refused(full.error());
    auto id = fs.IdentifyFile(full.value());
    if (!id.ok())
        return Refused(id.error());
    probe.Keep(*id, read);
    Dropped d(Dropped::Kind::kFile);
    d.row.fileName = path::FileName(full.value());
    d.row.path = std::move(full.value());
    d.row.tagKinds = read.tags->kind;
    d.row.id = *id;
    return d;
}

}  // namespace

FileAddReport DropPaths(FileSystem& fs, ListStore& store, GetSearchMP3Module& search,
                        const std::vector<std::string>& paths, const FileAddHooks& hooks) {
    FileAddReport report;
    const TagProbe probe(fs, search.Cache());
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
                } else if (store.AppendFileRows({std::move(d.row)}) == 1) {
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
