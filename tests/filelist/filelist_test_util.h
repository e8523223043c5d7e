#pragma once

#include <string>
#include <vector>

#include "filelist/list_store.h"
#include "platform/file_system.h"

namespace tagwright::test {

/// One column of the file rows, top to bottom.
inline std::vector<std::string> ColumnOf(const ListStore& store, int column) {
    std::vector<std::string> out;
    for (int r = 1; r < store.RowCount(); ++r)
        out.push_back(store.Cell(r, column));
    return out;
}

/// The paths of the mp3 files below `folder` in the order a depth-first, parent-first walk
/// over `fs` meets them: the test's own plain recursive oracle.
inline void ExpectedMp3Order(FileSystem& fs, const std::string& folder,
                             std::vector<std::string>& out) {
    FolderListing listing = fs.ListFolder(folder).value();
    for (const DirEntry& f : listing.files) {
        if (f.name.size() >= 4 && f.name.substr(f.name.size() - 4) == ".mp3")
            out.push_back(f.path);
    }
    for (const DirEntry& d : listing.folders)
        ExpectedMp3Order(fs, d.path, out);
}

}  // namespace tagwright::test
