#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/file_system.h"

namespace tagwright::posix {

/// How a listing examines an entry whose kind readdir does not report: lstat, or a stand-in
/// in tests.
using ExamineFunction = int (*)(const char* path, struct stat* st);

/// The listing behind RealFileSystem::ListFolder. Some file systems (network and FUSE ones,
/// older XFS) report no entry kinds: then each entry is examined with `examine`, and an entry
/// that cannot be examined is noted in `skipped` with the OS's reason, unless it vanished
/// meanwhile. `kindsUnknown` treats every entry so, for tests on file systems that report them.
Result<FolderListing> ListFolder(const std::string& folder, ExamineFunction examine = ::lstat,
                                 bool kindsUnknown = false);

}  // namespace tagwright::posix
