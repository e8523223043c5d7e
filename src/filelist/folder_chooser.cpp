#include "filelist/folder_chooser.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/path.h"

namespace tagwright {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return Lower(a) == Lower(b); });
}

std::string Folded(std::string_view name) {
    std::string out(name);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

// By name, letter case aside; names equal but for case in a fixed order.
bool NameBefore(const DirEntry& a, const DirEntry& b) {
    return std::pair(Folded(a.name), a.name) < std::pair(Folded(b.name), b.name);
}

}  // namespace

FolderChooser::FolderChooser(FileSystem& fs, std::vector<std::string> drives,
                             const std::string& startFolder)
    : m_fs(fs), m_drives(std::move(drives)), m_start(startFolder) {
    std::vector<std::string> candidates{startFolder};
    candidates.insert(candidates.end(), m_drives.begin(), m_drives.end());
    OpenFirstReadable(candidates);
    m_drive = DriveOf(m_current, m_drives);
}

std::string FolderChooser::CleanFolder(std::string_view folder) {
    const std::size_t rootLength = path::RootLength(folder);
    if (rootLength == 0)
        return {};
    std::string root(folder.substr(0, rootLength));
    std::replace_if(root.begin(), root.end(), path::IsSeparator, path::kSeparator);
    if (root.back() != path::kSeparator)
        root += path::kSeparator;

    std::vector<std::string_view> names;
    for (std::size_t i = rootLength; i < folder.size();) {
        std::size_t end = i;
        while (end < folder.size() && !path::IsSeparator(folder[end]))
            ++end;
        const std::string_view name = folder.substr(i, end - i);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        i = end + 1;
    }
    std::string out = root;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += path::kSeparator;
        out += names[i];
    }
    return out;
}

std::string FolderChooser::DriveOf(std::string_view folder,
                                   const std::vector<std::string>& drives) {
    std::string best;
    for (const std::string& d : drives) {
        if (d.size() <= best.size() || !StartsWithIgnoringCase(folder, d))
            continue;
        if (folder.size() == d.size() || path::IsSeparator(d.back()) ||
            path::IsSeparator(folder[d.size()])) {
            best = d;
        }
    }
    return best;
}

Result<void> FolderChooser::OpenFolder(const std::string& folder) {
    const std::string clean = CleanFolder(folder);
    if (clean.empty())
        return Error{"open folder", folder, "not an absolute path", 0, ErrorKind::kNotFound};
    auto listed = m_fs.ListFolder(clean);
    if (!listed.ok())
        return listed.error();

    // The chain from the root down to the opened folder, then the opened folder's
    // sub-folders, as a drive-and-folder list shows them.
    std::vector<FolderLine> lines;
    const std::size_t rootLength = path::RootLength(clean);
    for (std::size_t end = rootLength; end <= clean.size(); ++end) {
        if (end != rootLength && end != clean.size() && clean[end] != path::kSeparator)
            continue;
        const std::string link = clean.substr(0, end);
        const std::string name = path::FileName(link);
        lines.push_back({name.empty() ? link : name, link, static_cast<int>(lines.size()), true});
        if (end == rootLength && end == clean.size())
            break;
    }
    const std::size_t opened = lines.size() - 1;

    std::vector<DirEntry> children = std::move(listed.value().folders);
    children.insert(children.end(), listed.value().links.begin(), listed.value().links.end());
    // Dot-folders are hidden folders by convention; the list leaves them out, as file
    // managers do.
    std::erase_if(children, [](const DirEntry& e) { return e.name.front() == '.'; });
    std::sort(children.begin(), children.end(), NameBefore);
    for (const DirEntry& child : children)
        lines.push_back(
            {child.name, path::Join(clean, child.name), lines[opened].depth + 1, false});

    m_lines = std::move(lines);
    m_opened = opened;
    m_current = clean;
    return {};
}

Result<void> FolderChooser::OpenSpecialFolder(const std::string& name) {
    auto folder = m_fs.SpecialFolder(name);
    if (!folder.ok())
        return folder.error();
    return OpenFolder(folder.value());
}

bool FolderChooser::ChooseDrive(const std::string& drive) {
    const std::string holding = DriveOf(m_current, m_drives);
    if (drive == holding && !holding.empty()) {
        m_drive = drive;
        return false;
    }
    if (OpenFolder(drive).ok()) {
        m_drive = drive;
        return true;
    }
    if (!holding.empty())
        m_drive = holding;
    return false;
}

void FolderChooser::OpenAfresh(const std::string& folder) {
    bool opened = false;
    // A storage folder not made yet opens at what there is of it.
    for (std::string at = CleanFolder(folder); !at.empty() && !opened;) {
        opened = OpenFolder(at).ok();
        const std::string up = path::ParentFolder(at);
        if (up == at)
            break;
        at = up;
    }
    if (!opened) {
        std::vector<std::string> candidates{m_current, m_start};
        candidates.insert(candidates.end(), m_drives.begin(), m_drives.end());
        OpenFirstReadable(candidates);
    }
    const std::string drive = DriveOf(m_current, m_drives);
    if (!drive.empty())
        m_drive = drive;
}

void FolderChooser::OpenFirstReadable(const std::vector<std::string>& candidates) {
    for (const std::string& folder : candidates) {
        if (OpenFolder(folder).ok())
            return;
    }
}

}  // namespace tagwright
