#pragma once

#include <string>
#include <vector>

#include "filelist/folder_search.h"
#include "filelist/list_store.h"
#include "platform/file_system.h"

namespace tagwright {

/// Adds dropped paths to the list, in the order given: an existing folder (also one whose name
/// ends in "mp3") with all its sub-folders searched for files with the extension mp3;
/// otherwise a path that ends in "mp3" as one file with its tag kind; anything else is ignored.
/// One tag reader serves the whole drop. A path ending in "mp3" that cannot be probed or
/// looked up (a locked file), or that another file replaced while it was read, is skipped
/// and noted in the report; rows added before it stay,
/// and no row is ever
/// left half filled. Refreshes the count once at the end, also when nothing was added.
/// `paths` is empty when the drop carried no file paths. With `hooks.row` set the rows go there
/// and the store, count included, is left alone; `hooks.stop` ends the drop between two files.
/// Where the file system allows, the files are read several at once (the search's read jobs);
/// the rows, the refusals and the folders' searches still come in the order of `paths`, on the
/// calling thread, `hooks` included.
FileAddReport DropPaths(FileSystem& fs, ListStore& store, GetSearchMP3Module& search,
                        const std::vector<std::string>& paths, const FileAddHooks& hooks = {});

}  // namespace tagwright
