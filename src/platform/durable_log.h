#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace tagwright {

/// A file that only grows, one line at a time: what a crash leaves of it is every line
/// appended, and at most a torn part of one more.
class DurableLog {
  public:
    virtual ~DurableLog() = default;
    /// Writes `line` and a line break at the end of the file; with `flush` both are on the disk
    /// before it returns, else they outlive the process but not necessarily the system.
    virtual Result<void> Append(std::string_view line, bool flush) = 0;
    /// Puts every line appended so far on the disk.
    virtual Result<void> Sync() = 0;
};

/// Opens the log `path`, creating it when it does not exist (and flushing its folder so that
/// the new name survives a crash too).
Result<std::unique_ptr<DurableLog>> OpenDurableLog(const std::string& path);

/// Creates `path` and any missing folders above it; an existing folder is fine.
Result<void> CreateFolderTree(const std::string& path);

}  // namespace tagwright
