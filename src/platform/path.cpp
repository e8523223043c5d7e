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
    std::string out(folder);
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
