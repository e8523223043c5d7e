#include "platform/path.h"

#include <filesystem>
#include <system_error>

namespace tagwright::path {

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::size_t RootLength(std::string_view p) {
#ifdef _WIN32
    if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
        // \\server\share\ : the root ends after the separator that follows the share name.
        std::size_t i = 2;
        int names = 0;
        while (i < p.size() && names < 2) {
            while (i < p.size() && !IsSeparator(p[i]))
                ++i;
            ++names;
            if (i < p.size())
                ++i;
        }
        return i;
    }
    if (p.size() >= 2 && p[1] == ':')
        return (p.size() >= 3 && IsSeparator(p[2])) ? 3 : 2;
    if (!p.empty() && IsSeparator(p[0]))
        return 1;
    return 0;
#else
    return (!p.empty() && p[0] == '/') ? 1 : 0;
#endif
}

bool IsAbsolute(std::string_view p) {
#ifdef _WIN32
    if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1]))
        return true;
    return p.size() >= 3 && p[1] == ':' && IsSeparator(p[2]);
#else
    return RootLength(p) == 1;
#endif
}

namespace {

// A part Windows would trim ("a.", "a "), refuse, or read as a device: "CON", "nul.mp3",
// "COM1", "COM¹". Names that merely look like one ("Control.mp3") are left to the system too.
bool IsCleanWindowsPart(std::string_view part) {
    if (part.empty() || part.back() == '.' || part.back() == ' ' ||
        part.find_first_of("/:*?\"<>|") != std::string_view::npos)
        return false;
    for (const char c : part) {
        if (static_cast<unsigned char>(c) < 0x20)
            return false;
    }
    const std::string_view stem = part.substr(0, part.find('.'));
    if (stem.size() < 3 || stem.size() > 7)
        return true;
    std::string head(stem.substr(0, 3));
    for (char& c : head)
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "COM", "LPT"}) {
        if (head == device)
            return false;
    }
    return true;
}

// Calls `each` with every part of `rest` between separators `sep`; false as soon as it is.
template <class Each>
bool AllParts(std::string_view rest, char sep, Each&& each) {
    for (;;) {
        const std::size_t end = rest.find(sep);
        if (!each(rest.substr(0, end)))
            return false;
        if (end == std::string_view::npos)
            return true;
        rest.remove_prefix(end + 1);
    }
}

}  // namespace

bool IsAbsoluteAndCleanPosix(std::string_view p) {
    if (p.size() < 2 || p[0] != '/')
        return false;
    return AllParts(p.substr(1), '/', [](std::string_view part) {
        return !part.empty() && part != "." && part != "..";
    });
}

bool IsAbsoluteAndCleanWindows(std::string_view p) {
    std::size_t root = 0;
    // A drive letter in lower case is left to the system, which may or may not raise it.
    if (p.size() >= 3 && p[0] >= 'A' && p[0] <= 'Z' && p[1] == ':' && p[2] == '\\') {
        root = 3;
    } else if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        // \\server\share\ : both names plain, which also keeps out "\\?\" and "\\.\".
        const std::size_t server = p.find('\\', 2);
        if (server == std::string_view::npos)
            return false;
        const std::size_t share = p.find('\\', server + 1);
        if (share == std::string_view::npos || !IsCleanWindowsPart(p.substr(2, server - 2)) ||
            !IsCleanWindowsPart(p.substr(server + 1, share - server - 1)))
            return false;
        root = share + 1;
    } else {
        return false;
    }
    if (root >= p.size())
        return false;
    return AllParts(p.substr(root), '\\', IsCleanWindowsPart);
}

bool IsAbsoluteAndClean(std::string_view p) {
#ifdef _WIN32
    return IsAbsoluteAndCleanWindows(p);
#else
    return IsAbsoluteAndCleanPosix(p);
#endif
}

std::string FileName(std::string_view p) {
    const std::size_t root = RootLength(p);
    std::size_t end = p.size();
    std::size_t i = end;
    while (i > root && !IsSeparator(p[i - 1]))
        --i;
    return std::string(p.substr(i, end - i));
}

std::string BaseName(std::string_view p) {
    std::string name = FileName(p);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name;
}

std::string ParentFolder(std::string_view p) {
    const std::size_t root = RootLength(p);
    std::size_t i = p.size();
    while (i > root && !IsSeparator(p[i - 1]))
        --i;
    // i is now just past the separator before the last name (or at the root's end).
    std::size_t end = i;
    while (end > root && IsSeparator(p[end - 1]))
        --end;
    return std::string(p.substr(0, end));
}

std::string Join(std::string_view folder, std::string_view name) {
    std::string out;
    out.reserve(folder.size() + 1 + name.size());
    out.append(folder);
    if (!out.empty() && !IsSeparator(out.back()))
        out += kSeparator;
    std::size_t skip = 0;
    while (skip < name.size() && IsSeparator(name[skip]))
        ++skip;
    out.append(name.substr(skip));
    return out;
}

std::string WithoutTrailingSeparator(std::string_view folder) {
    std::string out(folder);
    const std::size_t root = RootLength(out);
    while (out.size() > root && IsSeparator(out.back()))
        out.pop_back();
    return out;
}

std::string WithTrailingSeparator(std::string_view folder) {
    std::string out = WithoutTrailingSeparator(folder);
    if (out.empty() || !IsSeparator(out.back()))
        out += kSeparator;
    return out;
}

std::string WorkingFolder() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::current_path(ec);
    if (ec)
        return {};
    const std::u8string text = folder.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace tagwright::path
