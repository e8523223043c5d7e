#pragma once

#include <string>
#include <string_view>

/// Path texts of the platform, as UTF-8. On Windows the separator is "\" and a path may begin
/// with a drive ("C:\") or a UNC share ("\\server\share\"); elsewhere it is "/".
namespace tagwright::path {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

bool IsSeparator(char c);

/// The last name of the path: "a/b/c.mp3" -> "c.mp3".
std::string FileName(std::string_view path);
/// The last name without its extension: "a/b/c.mp3" -> "c"; ".mp3" -> "" (the text before the
/// last dot).
std::string BaseName(std::string_view path);
/// The folder part without a final separator, except a root, which keeps its own ("C:\", "/").
std::string ParentFolder(std::string_view path);
/// folder + separator + name, with exactly one separator between them.
std::string Join(std::string_view folder, std::string_view name);
/// The length of the root part: "C:\" -> 3, "\\server\share\" -> its length, "/" -> 1, else 0.
std::size_t RootLength(std::string_view path);
/// True when the path names the same thing whatever the process's current folder (and, on
/// Windows, its current drive) is: "/a", "C:\a", "\\server\share"; not "a", "C:a" or "\a".
bool IsAbsolute(std::string_view path);
/// True when the path is absolute and already in the form the file system's normalisation
/// gives, so that asking the file system for it would return the same text: no "." or ".."
/// part, no empty part, no trailing separator. By the platform's rules, which these two give
/// apart: on Windows also only "\" between parts, a drive or a plain "\\server\share\" root,
/// and no part that the system would trim or read as a device ("a.", "a ", "CON", "nul.mp3").
bool IsAbsoluteAndClean(std::string_view path);
bool IsAbsoluteAndCleanPosix(std::string_view path);
bool IsAbsoluteAndCleanWindows(std::string_view path);
/// The text with exactly one trailing separator.
std::string WithTrailingSeparator(std::string_view folder);
/// The text without trailing separators, except those of a root ("/", "C:\").
std::string WithoutTrailingSeparator(std::string_view folder);

/// The process's current folder, absolute; empty when the system cannot tell it.
std::string WorkingFolder();

}  // namespace tagwright::path
