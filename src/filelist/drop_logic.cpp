#include "filelist/drop_logic.h"

#include "platform/path.h"

namespace tagwright {

FileAddReport DropPaths(FileSystem& fs, ListStore& store, GetSearchMP3Module& search,
                        const std::vector<std::string>& paths, const FileAddHooks& hooks) {
    FileAddReport report;
    TagProbe probe(fs, search.Cache());
    for (const std::string& p : paths) {
        if (hooks.Stopped())
            break;
        // A folder such as "~/Music/mp3" is searched, whatever its name ends in.
        if (EndsInMp3(p) && !fs.FolderExists(p)) {
            const TagProbe::Read read = probe.ReadFile(p);
            if (!read.tags) {
                report.skipped.push_back(read.tags.error());
                continue;
            }
            std::string kind = TagKindText(read.tags->kind);
            // Every cell is known before the row is written, so a refusal here leaves no
            // half-filled row behind.
            auto full = fs.GetFilePath(p);
            if (!full.ok()) {
                report.skipped.push_back(full.error());
                continue;
            }
            auto id = fs.IdentifyFile(full.value());
            if (!id.ok()) {
                report.skipped.push_back(id.error());
                continue;
            }
            probe.Keep(*id, read);
            std::string name = path::FileName(full.value());
            if (hooks.row) {
                ListStore::Row row;
                row[ListStore::kFileName] = std::move(name);
                row[ListStore::kTagType] = std::move(kind);
                row[ListStore::kPath] = std::move(full.value());
                hooks.row(std::move(row), *id);
                continue;
            }
            // A file listed already (dropped twice, or a hard link to a listed file) is one row.
            if (store.AppendFileRow(std::move(name), std::move(kind), std::move(full.value()), *id))
                ++report.added;
        } else if (fs.FolderExists(p)) {
            report.Merge(search.SearchMP3Files(p, "mp3", true, hooks));
        }
    }
    if (!hooks.row)
        store.UpdateFileCount();
    return report;
}

}  // namespace tagwright
