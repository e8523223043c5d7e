#include "fileops/dry_run_file_system.h"

#include <cerrno>

#include "fileops/file_outcome.h"
#include "platform/path.h"

namespace tagwright {

std::optional<std::string> DryRunFileSystem::Pretended(const std::string& p) const {
    if (auto it = m_touched.find(p); it != m_touched.end())
        return it->second;
    return std::nullopt;
}

std::string DryRunFileSystem::RealPathOf(const std::string& p) {
    if (auto pretended = Pretended(p))
        return *pretended;
    return m_inner.FileExists(p) ? p : std::string();
}

bool DryRunFileSystem::Occupied(const std::string& p) {
    if (m_folders.count(path::WithoutTrailingSeparator(p)) != 0)
        return true;
    if (auto pretended = Pretended(p))
        return !pretended->empty();
    // One question tells a file and a folder apart from nothing.
    auto there = m_inner.IdentifyFile(p);
    return there.ok() || there.error().kind == ErrorKind::kIsFolder;
}

bool DryRunFileSystem::FolderExists(const std::string& p) {
    const std::string folder = path::WithoutTrailingSeparator(p);
    if (m_removedFolders.count(folder) != 0)
        return false;
    if (m_folders.count(folder) != 0 || m_seenFolders.count(folder) != 0)
        return true;
    if (!m_inner.FolderExists(p))
        return false;
    // A batch asks about the same few destination folders for every file; once seen they
    // are taken to stay for the rest of the run.
    m_seenFolders.insert(folder);
    return true;
}

bool DryRunFileSystem::FileExists(const std::string& p) {
    return !RealPathOf(p).empty();
}

Result<std::string> DryRunFileSystem::GetFilePath(const std::string& p) {
    if (auto pretended = Pretended(p); pretended && !pretended->empty())
        return p;
    if (RealPathOf(p).empty())
        return MakeSystemError("open file", p, ENOENT);
    return m_inner.GetFilePath(p);
}

bool DryRunFileSystem::IsSameFile(const std::string& a, const std::string& b) {
    const std::string ra = RealPathOf(a);
    const std::string rb = RealPathOf(b);
    return !ra.empty() && !rb.empty() && m_inner.IsSameFile(ra, rb);
}

bool DryRunFileSystem::SameEntry(const std::string& a, const std::string& b) {
    // The entries themselves, as the disk's rename meets them: a link that names the file is
    // an entry of its own and keeps its name from the file.
    const Result<FileIdentity> ia = IdentifyFile(a);
    const Result<FileIdentity> ib = IdentifyFile(b);
    return ia.ok() && ib.ok() && *ia == *ib;
}

Result<FolderListing> DryRunFileSystem::ListFolder(const std::string& folder) {
    return m_inner.ListFolder(folder);
}

Result<void> DryRunFileSystem::Relocate(const char* op, const std::string& from,
                                        const std::string& to, Action::Kind kind,
                                        bool fromChecked) {
    std::string real;
    if (auto pretended = Pretended(from)) {
        real = *pretended;
    } else if (fromChecked || m_inner.FileExists(from)) {
        real = from;
    }
    if (real.empty())
        return MakeSystemError(op, from, ENOENT);
    const bool taken =
        to == from || (Occupied(to) &&
                       // A case-only rename meets the file itself, and goes through as on disk.
                       !(kind == Action::Kind::kRename && SameEntry(from, to)));
    if (taken) {
        ++m_takenNames;
        return MakeSystemError(op, from, EEXIST);
    }
    // Nothing is left at `from`: a pretended place was free on disk when it was taken, and a
    // real one has lost its file.
    m_touched[from] = std::string();
    m_touched[to] = real;
    m_lastIdentified.clear();
    m_actions.push_back(Action{kind, from, to});
    return {};
}

Result<FileIdentity> DryRunFileSystem::IdentifyFile(const std::string& p) {
    // Nothing pretended here: the disk's own answer, missing file or folder included.
    const auto pretended = Pretended(p);
    if (pretended && pretended->empty())
        return MakeSystemError("identify", p, ENOENT);
    const std::string& real = pretended ? *pretended : p;
    // A batch checks a file before reading its tags and again as it renames or moves it; the
    // second check of a dry run would only ask the disk the same question again.
    if (!m_lastIdentified.empty() && real == m_lastIdentified)
        return m_lastIdentity;
    auto id = m_inner.IdentifyFile(real);
    if (id.ok()) {
        m_lastIdentified = real;
        m_lastIdentity = *id;
    }
    return id;
}

Result<FileStatus> DryRunFileSystem::StatFile(const std::string& p) {
    const auto pretended = Pretended(p);
    if (pretended && pretended->empty())
        return MakeSystemError("identify", p, ENOENT);
    const std::string& real = pretended ? *pretended : p;
    auto status = m_inner.StatFile(real);
    // The batch's own check as it renames or moves the file then needs no second question.
    if (status.ok()) {
        m_lastIdentified = real;
        m_lastIdentity = status->id;
    }
    return status;
}

Result<void> DryRunFileSystem::RenameFile(const std::string& p, const std::string& newName,
                                          const FileIdentity& expected) {
    if (auto changed = CheckListedFile(*this, "rename", p, expected))
        return *changed;
    // A known identity was just found at `p`: the file is there.
    return Relocate("rename", p, path::Join(path::ParentFolder(p), newName), Action::Kind::kRename,
                    expected.Known());
}

Result<std::string> DryRunFileSystem::MoveFile(const std::string& p, const FileIdentity& expected,
                                               const std::string& destFolder,
                                               const NameCandidates& names, FileIdentity* movedAs) {
    if (auto changed = CheckListedFile(*this, "move", p, expected))
        return *changed;
    if (!FolderExists(destFolder))
        return MakeSystemError("move", p, ENOENT);
    Result<std::string> placed = PlaceUnderFirstFreeName(
        names,
        [&](const std::string& name) {
            return Relocate("move", p, path::Join(destFolder, name), Action::Kind::kMove,
                            expected.Known());
        },
        MakeSystemError("move", p, EEXIST));
    if (placed.ok() && movedAs != nullptr) {
        if (auto id = IdentifyFile(path::Join(destFolder, *placed)); id.ok())
            *movedAs = *id;
    }
    return placed;
}

Result<void> DryRunFileSystem::CreateFolder(const std::string& p) {
    const std::string folder = path::WithoutTrailingSeparator(p);
    if (FolderExists(folder) || FileExists(folder))
        return MakeSystemError("create folder", p, EEXIST);
    const std::string parent = path::ParentFolder(folder);
    if (!parent.empty() && parent != folder && !FolderExists(parent))
        return MakeSystemError("create folder", p, ENOENT);
    m_folders.insert(folder);
    m_removedFolders.erase(folder);
    m_actions.push_back(Action{Action::Kind::kCreateFolder, {}, folder});
    return {};
}

Result<void> DryRunFileSystem::WriteFile(const std::string& p, std::span<const std::uint8_t>) {
    return Error{"write", p, "Nothing is written in a dry run", 0, ErrorKind::kNotSupported};
}

Result<std::unique_ptr<ByteReader>> DryRunFileSystem::OpenRead(const std::string& p) {
    const auto pretended = Pretended(p);
    if (pretended && pretended->empty())
        return MakeSystemError("open", p, ENOENT);
    return m_inner.OpenRead(pretended ? *pretended : p);
}

Result<void> DryRunFileSystem::RemoveEmptyFolder(const std::string& p) {
    const std::string folder = path::WithoutTrailingSeparator(p);
    if (!FolderExists(folder))
        return MakeSystemError("remove folder", p, ENOENT);
    const Error notEmpty = MakeSystemError("remove folder", p, ENOTEMPTY);
    for (const auto& [placed, real] : m_touched) {
        if (!real.empty() && path::ParentFolder(placed) == folder)
            return notEmpty;
    }
    for (const std::string& f : m_folders) {
        if (path::ParentFolder(f) == folder)
            return notEmpty;
    }
    if (m_inner.FolderExists(folder)) {
        auto listing = m_inner.ListFolder(folder);
        if (!listing.ok())
            return listing.error();
        for (const auto* entries : {&listing->files, &listing->links}) {
            for (const DirEntry& e : *entries) {
                const auto pretended = Pretended(e.path);
                if (!pretended || !pretended->empty())
                    return notEmpty;
            }
        }
        for (const DirEntry& e : listing->folders) {
            if (m_removedFolders.count(e.path) == 0)
                return notEmpty;
        }
    }
    m_folders.erase(folder);
    m_seenFolders.erase(folder);
    m_removedFolders.insert(folder);
    return {};
}

Result<std::string> DryRunFileSystem::SpecialFolder(const std::string& name) {
    return m_inner.SpecialFolder(name);
}

}  // namespace tagwright
