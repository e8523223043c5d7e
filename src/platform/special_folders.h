#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/result.h"

namespace tagwright {

/// The user's special folder by its shell name, "Desktop" or "mydocuments" (any letter case).
/// Windows asks the shell; elsewhere the XDG user dirs are read, falling back to ~/Desktop
/// and ~/Documents.
Result<std::string> SpecialFolderPath(const std::string& name);

/// The storage folder a new window starts with: "c:\My Documents\" on Windows, the user's
/// documents folder followed by the separator elsewhere.
std::string DefaultStorageFolder();

/// The program's own per-user state folder (it may not exist yet): $XDG_STATE_HOME/tagwright
/// (~/.local/state/tagwright without it), %LOCALAPPDATA%\Tagwright on Windows.
std::string StateFolder();

/// The roots a folder chooser offers in place of drives: the drive letters on Windows, "/"
/// and the mounted volumes elsewhere.
std::vector<std::string> FileSystemRoots();

/// A path as /proc/self/mounts writes it, with its octal escapes undone: "\040" is a blank,
/// "\011" a tab, "\012" a line break, "\134" a backslash. Other text stays as it is.
std::string UnescapeMountPath(std::string_view field);

}  // namespace tagwright
