#include "platform/special_folders.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/utf8.h"

#ifdef _WIN32
// windows.h first: the shell headers need its definitions.
#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace tagwright {

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

#ifdef _WIN32

std::string Utf8FromWide(const wchar_t* w) {
    return w == nullptr ? std::string() : utf8::FromWide(w);
}

#else

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != 0)
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
        return pw->pw_dir;
    }
    return "/";
}

// Reads XDG_<key>_DIR from user-dirs.dirs: lines such as XDG_DESKTOP_DIR="$HOME/Desktop".
std::string XdgUserDir(const std::string& key, const std::string& home) {
    std::string config;
    if (const char* c = std::getenv("XDG_CONFIG_HOME"); c != nullptr && *c == '/') {
        config = c;
    } else {
        config = home + "/.config";
    }
    std::ifstream in(config + "/user-dirs.dirs");
    const std::string wanted = "XDG_" + key + "_DIR=";
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(wanted, 0) != 0)
            continue;
        std::string value = line.substr(wanted.size());
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value[0] == '/')
            return value;
    }
    return {};
}

#endif

}  // namespace

Result<std::string> SpecialFolderPath(const std::string& name) {
    const std::string key = Lower(name);
    if (key != "desktop" && key != "mydocuments") {
        return Error{"find special folder", name, "Unknown special folder", 0,
                     ErrorKind::kNotFound};
    }
#ifdef _WIN32
    PWSTR wide = nullptr;
    const KNOWNFOLDERID& id = key == "desktop" ? FOLDERID_Desktop : FOLDERID_Documents;
    const HRESULT hr = ::SHGetKnownFolderPath(id, 0, nullptr, &wide);
    if (FAILED(hr)) {
        ::CoTaskMemFree(wide);
        return Error{"find special folder", name, "The shell has no such folder",
                     static_cast<int>(hr), ErrorKind::kNotFound};
    }
    std::string out = Utf8FromWide(wide);
    ::CoTaskMemFree(wide);
    return out;
#else
    const std::string home = HomeFolder();
    const bool desktop = key == "desktop";
    std::string dir = XdgUserDir(desktop ? "DESKTOP" : "DOCUMENTS", home);
    if (dir.empty())
        dir = home + (desktop ? "/Desktop" : "/Documents");
    return dir;
#endif
}

std::string DefaultStorageFolder() {
#ifdef _WIN32
    return "c:\\My Documents\\";
#else
    // Every settings record starts with it, so the user-dirs file is read once per run.
    static const std::string folder = [] {
        auto documents = SpecialFolderPath("mydocuments");
        return (documents.ok() ? documents.value() : HomeFolder()) + "/";
    }();
    return folder;
#endif
}

std::string StateFolder() {
#ifdef _WIN32
    if (const wchar_t* local = ::_wgetenv(L"LOCALAPPDATA"); local != nullptr && *local != 0)
        return Utf8FromWide(local) + "\\Tagwright";
    PWSTR wide = nullptr;
    std::string base;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &wide)))
        base = Utf8FromWide(wide);
    ::CoTaskMemFree(wide);
    return base + "\\Tagwright";
#else
    // A relative value is to be ignored, as every XDG base folder.
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/')
        return std::string(state) + "/tagwright";
    return HomeFolder() + "/.local/state/tagwright";
#endif
}

std::string UnescapeMountPath(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && octal(field[i + 1]) &&
            octal(field[i + 2]) && octal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string> FileSystemRoots() {
    std::vector<std::string> roots;
#ifdef _WIN32
    const DWORD mask = ::GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (mask & (1u << i))
            roots.push_back(std::string(1, static_cast<char>('A' + i)) + ":\\");
    }
#else
    roots.push_back("/");
    std::ifstream mounts("/proc/self/mounts");
    std::string device, point, type, rest;
    while (mounts >> device >> point >> type && std::getline(mounts, rest)) {
        // Blanks and other separators in a mount point are written as octal escapes.
        point = UnescapeMountPath(point);
        // Only volumes a user keeps files on; pseudo file systems are not offered.
        if (point == "/" || device.rfind("/dev/", 0) != 0)
            continue;
        if (point.rfind("/proc", 0) == 0 || point.rfind("/sys", 0) == 0 ||
            point.rfind("/dev", 0) == 0 || point.rfind("/boot", 0) == 0) {
            continue;
        }
        if (std::find(roots.begin(), roots.end(), point) == roots.end())
            roots.push_back(point);
    }
#endif
    return roots;
}

}  // namespace tagwright
