#include "filelist/drop_logic.h"

#include <optional>

#include "platform/path.h"
#include "tags/mp3_tag.h"

namespace tagwright {

FileAddReport DropPaths(FileSystem& fs, ListStore& store, GetSearchMP3Module& search,
                        const std::vector<std::string>& paths) {
    FileAddReport report;
    std::optional<clsMP3Tag> reader;
    for (const std::string& p : paths) {
        if (EndsInMp3(p)) {
            if (!reader)
                reader.emplace(fs);
            reader->MP3FilePath = p;
            std::string kind;
            try {
                kind = TagKindText(reader->ReadTagType());
            } catch (const FileError& e) {
                report.skipped.push_back(e.error());
                continue;
            }
            // Every cell is known before the row is written, so a refusal here leaves no
            // half-filled row behind.
            auto full = fs.GetFilePath(p);
            if (!full.ok()) {
                report.skipped.push_back(full.error());
                continue;
            }
            std::string name = path::FileName(full.value());
            store.AppendFileRow(std::move(name), std::move(kind), std::move(full.value()));
            ++report.added;
        } else if (fs.FolderExists(p)) {
            report.Merge(search.SearchMP3Files(p, "mp3", true));
        }
    }
    store.UpdateFileCount();
    return report;
}

}  // namespace tagwright
