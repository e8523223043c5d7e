#include "support/memory_file_system.h"

#include <algorithm>
#include <cerrno>

#include "fileops/file_outcome.h"

namespace tagwright::test {

namespace {

// Paths here always use "/", whatever the platform, so that the double behaves alike on all.
std::string Parent(const std::string& p) {
    const std::size_t slash = p.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : p.substr(0, slash);
}

std::string JoinSlash(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string Trimmed(std::string p) {
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

}  // namespace

class MemoryByteReader final : public ByteReader {
  public:
    MemoryByteReader(MemoryFileSystem& fs, std::shared_ptr<const std::vector<std::uint8_t>> bytes)
        : m_fs(fs), m_bytes(std::move(bytes)) {}
    Result<std::uint64_t> Size() override { return std::uint64_t{m_bytes->size()}; }
    Result<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (offset >= m_bytes->size())
            return std::size_t{0};
        const std::size_t n =
            std::min<std::size_t>(out.size(), m_bytes->size() - static_cast<std::size_t>(offset));
        std::copy_n(m_bytes->begin() + static_cast<std::ptrdiff_t>(offset), n, out.begin());
        m_fs.m_bytesRead += n;
        return n;
    }

  private:
    MemoryFileSystem& m_fs;
    std::shared_ptr<const std::vector<std::uint8_t>> m_bytes;
};

void MemoryFileSystem::Put(const std::string& p, std::vector<std::uint8_t> bytes) {
    for (std::string f = Parent(p); !f.empty() && m_folders.insert(f).second; f = Parent(f)) {
    }
    m_files[p] = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
}

const std::vector<std::uint8_t>* MemoryFileSystem::Get(const std::string& p) const {
    const auto it = m_files.find(p);
    return it == m_files.end() ? nullptr : it->second.get();
}

std::vector<std::string> MemoryFileSystem::FilePaths() const {
    std::vector<std::string> out;
    for (const auto& entry : m_files)
        out.push_back(entry.first);
    return out;
}

bool MemoryFileSystem::FolderExists(const std::string& p) {
    return m_folders.count(Trimmed(p)) != 0;
}

bool MemoryFileSystem::FileExists(const std::string& p) {
    return m_files.count(p) != 0;
}

Result<std::string> MemoryFileSystem::GetFilePath(const std::string& p) {
    if (!FileExists(p))
        return MakeSystemError("open file", p, ENOENT);
    return p;
}

bool MemoryFileSystem::IsSameFile(const std::string& a, const std::string& b) {
    return a == b && FileExists(a);
}

Result<FolderListing> MemoryFileSystem::ListFolder(const std::string& folder) {
    const std::string f = Trimmed(folder);
    if (!FolderExists(f))
        return MakeSystemError("open folder", folder, ENOENT);
    FolderListing out;
    for (const auto& [p, bytes] : m_files) {
        if (Parent(p) == f)
            out.files.push_back(DirEntry{p.substr(p.find_last_of('/') + 1), p});
    }
    for (const std::string& p : m_folders) {
        if (p != f && Parent(p) == f)
            out.folders.push_back(DirEntry{p.substr(p.find_last_of('/') + 1), p});
    }
    return out;
}

Result<void> MemoryFileSystem::Place(const char* op, const std::string& from,
                                     const std::string& folder, const std::string& name) {
    const auto it = m_files.find(from);
    if (it == m_files.end())
        return MakeSystemError(op, from, ENOENT);
    if (!FolderExists(folder))
        return MakeSystemError(op, from, ENOENT);
    const std::string to = JoinSlash(Trimmed(folder), name);
    if (to == from)
        return {};
    if (m_files.count(to) != 0 || m_folders.count(to) != 0)
        return MakeSystemError(op, from, EEXIST);
    auto bytes = std::move(it->second);
    m_files.erase(it);
    m_files[to] = std::move(bytes);
    return {};
}

Result<FileIdentity> MemoryFileSystem::IdentifyFile(const std::string& p) {
    const auto it = m_files.find(p);
    if (it == m_files.end())
        return MakeSystemError("identify", p, m_folders.count(p) != 0 ? EISDIR : ENOENT);
    // The bytes' address: it moves with the file on rename and is unique while the file lives.
    return FileIdentity{1, reinterpret_cast<std::uintptr_t>(it->second.get())};
}

Result<void> MemoryFileSystem::RenameFile(const std::string& p, const std::string& newName,
                                          const FileIdentity& expected) {
    if (auto changed = CheckListedFile(*this, "rename", p, expected))
        return *changed;
    return Place("rename", p, Parent(p), newName);
}

Result<std::string> MemoryFileSystem::MoveFile(const std::string& p, const FileIdentity& expected,
                                               const std::string& destFolder,
                                               const NameCandidates& names, FileIdentity* movedAs) {
    if (auto changed = CheckListedFile(*this, "move", p, expected))
        return *changed;
    Result<std::string> placed = PlaceUnderFirstFreeName(
        names, [&](const std::string& name) { return Place("move", p, destFolder, name); },
        MakeSystemError("move", p, EEXIST));
    if (placed.ok() && movedAs != nullptr) {
        if (auto id = IdentifyFile(JoinSlash(Trimmed(destFolder), *placed)); id.ok())
            *movedAs = *id;
    }
    return placed;
}

Result<void> MemoryFileSystem::CreateFolder(const std::string& p) {
    const std::string f = Trimmed(p);
    if (m_folders.count(f) != 0 || m_files.count(f) != 0)
        return MakeSystemError("create folder", p, EEXIST);
    if (!FolderExists(Parent(f)))
        return MakeSystemError("create folder", p, ENOENT);
    m_folders.insert(f);
    return {};
}

Result<void> MemoryFileSystem::WriteFile(const std::string& p,
                                         std::span<const std::uint8_t> bytes) {
    if (!FolderExists(Parent(p)) || m_folders.count(p) != 0)
        return MakeSystemError("write", p, ENOENT);
    m_files[p] = std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
    return {};
}

Result<std::unique_ptr<ByteReader>> MemoryFileSystem::OpenRead(const std::string& p) {
    const auto it = m_files.find(p);
    if (it == m_files.end())
        return MakeSystemError("open", p, ENOENT);
    ++m_opens;
    return std::unique_ptr<ByteReader>(std::make_unique<MemoryByteReader>(*this, it->second));
}

Result<std::string> MemoryFileSystem::SpecialFolder(const std::string& name) {
    return MakeSystemError("find special folder", name, ENOENT);
}

}  // namespace tagwright::test
