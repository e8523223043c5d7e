#include "fileops/dry_run_file_system.h"

#include <cerrno>

#include "fileops/file_outcome.h"
#include "platform/path.h"

namespace tagwright {

std::string DryRunFileSystem::RealPathOf(const std::string& p) {
    if (auto it = m_placed.find(p); it != m_placed.end())
        return it->second;
    if (m_vacated.count(p) != 0 || !m_inner.FileExists(p))
        return {};
    return p;
}

bool DryRunFileSystem::FolderExists(const std::string& p) {
    return m_folders.count(path::WithoutTrailingSeparator(p)) != 0 || m_inner.FolderExists(p);
}

bool DryRunFileSystem::FileExists(const std::string& p) {
    return !RealPathOf(p).empty();
}

Result<std::string> DryRunFileSystem::GetFilePath(const std::string& p) {
    if (m_placed.count(p) != 0)
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

Result<FolderListing> DryRunFileSystem::ListFolder(const std::string& folder) {
    return m_inner.ListFolder(folder);
}

Result<void> DryRunFileSystem::Relocate(const char* op, const std::string& from,
                                        const std::string& to, Action::Kind kind) {
    const std::string real = RealPathOf(from);
    if (real.empty())
        return MakeSystemError(op, from, ENOENT);
    if (to == from)
        return MakeSystemError(op, from, EEXIST);
    if (FileExists(to) || FolderExists(to)) {
        // A case-only rename meets the file itself, and goes through as on disk.
        if (!(kind == Action::Kind::kRename && IsSameFile(from, to)))
            return MakeSystemError(op, from, EEXIST);
    }
    m_placed.erase(from);
    if (real == from)
        m_vacated.insert(from);
    m_placed[to] = real;
    m_actions.push_back(Action{kind, from, to});
    return {};
}

Result<FileIdentity> DryRunFileSystem::IdentifyFile(const std::string& p) {
    const std::string real = RealPathOf(p);
    if (real.empty())
        return MakeSystemError("identify", p, ENOENT);
    return m_inner.IdentifyFile(real);
}

Result<void> DryRunFileSystem::RenameFile(const std::string& p, const std::string& newName,
                                          const FileIdentity& expected) {
    if (auto changed = CheckListedFile(*this, "rename", p, expected))
        return *changed;
    return Relocate("rename", p, path::Join(path::ParentFolder(p), newName), Action::Kind::kRename);
}

Result<std::string> DryRunFileSystem::MoveFile(const std::string& p, const FileIdentity& expected,
                                               const std::string& destFolder,
                                               const NameCandidates& names) {
    if (auto changed = CheckListedFile(*this, "move", p, expected))
        return *changed;
    if (!FolderExists(destFolder))
        return MakeSystemError("move", p, ENOENT);
    return PlaceUnderFirstFreeName(
        names,
        [&](const std::string& name) {
            return Relocate("move", p, path::Join(destFolder, name), Action::Kind::kMove);
        },
        MakeSystemError("move", p, EEXIST));
}

Result<void> DryRunFileSystem::CreateFolder(const std::string& p) {
    const std::string folder = path::WithoutTrailingSeparator(p);
    if (FolderExists(folder) || FileExists(folder))
        return MakeSystemError("create folder", p, EEXIST);
    const std::string parent = path::ParentFolder(folder);
    if (!parent.empty() && parent != folder && !FolderExists(parent))
        return MakeSystemError("create folder", p, ENOENT);
    m_folders.insert(folder);
    m_actions.push_back(Action{Action::Kind::kCreateFolder, {}, folder});
    return {};
}

Result<void> DryRunFileSystem::WriteFile(const std::string& p, std::span<const std::uint8_t>) {
    return Error{"write", p, "Nothing is written in a dry run", 0, ErrorKind::kNotSupported};
}

Result<std::unique_ptr<ByteReader>> DryRunFileSystem::OpenRead(const std::string& p) {
    const std::string real = RealPathOf(p);
    if (real.empty())
        return MakeSystemError("open", p, ENOENT);
    return m_inner.OpenRead(real);
}

Result<std::string> DryRunFileSystem::SpecialFolder(const std::string& name) {
    return m_inner.SpecialFolder(name);
}

}  // namespace tagwright
