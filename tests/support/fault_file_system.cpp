#include "support/fault_file_system.h"

#include <algorithm>

#include "platform/path.h"

namespace tagwright::test {

namespace {

const char* OpName(FsOp op) {
    switch (op) {
        case FsOp::kFolderExists:
        case FsOp::kFileExists:
        case FsOp::kIsSameFile:
            return "check";
        case FsOp::kIdentifyFile:
            return "identify";
        case FsOp::kGetFilePath:
            return "open file";
        case FsOp::kListFolder:
            return "open folder";
        case FsOp::kRenameFile:
            return "rename";
        case FsOp::kMoveFile:
            return "move";
        case FsOp::kCreateFolder:
            return "create folder";
        case FsOp::kWriteFile:
            return "write";
        case FsOp::kOpenRead:
            return "open";
        case FsOp::kRead:
            return "read";
        case FsOp::kSpecialFolder:
            return "find special folder";
        case FsOp::kRemoveEmptyFolder:
            return "remove folder";
        case FsOp::kRemoveFile:
            return "remove";
        case FsOp::kCount_:
            break;
    }
    return "use";
}

class FaultByteReader final : public ByteReader {
  public:
    FaultByteReader(FaultFileSystem& fs, std::unique_ptr<ByteReader> inner, std::string path)
        : m_fs(fs), m_inner(std::move(inner)), m_path(std::move(path)) {}
    Result<std::uint64_t> Size() override {
        if (const Error* e = m_fs.Check(FsOp::kRead, m_path))
            return *e;
        return m_inner->Size();
    }
    Result<std::size_t> ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        if (const Error* e = m_fs.Check(FsOp::kRead, m_path))
            return *e;
        return m_inner->ReadAt(offset, out);
    }
    // Not a step of its own to refuse or count: the real reader answers Size from it.
    Result<FileStatus> Status() override { return m_inner->Status(); }

  private:
    FaultFileSystem& m_fs;
    std::unique_ptr<ByteReader> m_inner;
    std::string m_path;
};

}  // namespace

void FaultFileSystem::RefuseRandomly(std::vector<FsOp> ops, double p, std::uint32_t seed,
                                     int code) {
    m_randomOps = std::move(ops);
    m_randomShare = p;
    m_randomCode = code;
    m_rng.seed(seed);
}

const Error* FaultFileSystem::Check(FsOp op, const std::string& path) {
    if (m_onCall)
        m_onCall(op, path);
    // Reads may come from several threads: each gets its refusal in storage of its own.
    static thread_local Error refusal;
    std::lock_guard lock(m_mutex);
    ++m_calls[static_cast<std::size_t>(op)];
    for (FaultRule& rule : m_rules) {
        if (rule.op != op)
            continue;
        if (!rule.pathContains.empty() && path.find(rule.pathContains) == std::string::npos) {
            continue;
        }
        ++rule.seen;
        if (rule.nth == 0 || rule.nth == rule.seen) {
            refusal = MakeSystemError(OpName(op), path, rule.code);
            ++m_refusals;
            return &refusal;
        }
    }
    if (!m_randomOps.empty() &&
        std::find(m_randomOps.begin(), m_randomOps.end(), op) != m_randomOps.end() &&
        std::uniform_real_distribution<double>(0.0, 1.0)(m_rng) < m_randomShare) {
        refusal = MakeSystemError(OpName(op), path, m_randomCode);
        ++m_refusals;
        return &refusal;
    }
    return nullptr;
}

const Error* FaultFileSystem::CheckReadOnly(const char* op, const std::string& folder,
                                            const std::string& path) {
    const auto same = [](std::string a, std::string b) {
        return path::WithTrailingSeparator(a) == path::WithTrailingSeparator(b);
    };
    std::lock_guard lock(m_mutex);
    for (const std::string& ro : m_readOnly) {
        if (same(folder, ro)) {
            m_last = MakeSystemError(op, path, EACCES);
            ++m_refusals;
            return &m_last;
        }
    }
    return nullptr;
}

bool FaultFileSystem::FolderExists(const std::string& path) {
    return Check(FsOp::kFolderExists, path) == nullptr && m_inner.FolderExists(path);
}

bool FaultFileSystem::FileExists(const std::string& path) {
    return Check(FsOp::kFileExists, path) == nullptr && m_inner.FileExists(path);
}

Result<std::string> FaultFileSystem::GetFilePath(const std::string& path) {
    if (const Error* e = Check(FsOp::kGetFilePath, path))
        return *e;
    return m_inner.GetFilePath(path);
}

bool FaultFileSystem::IsSameFile(const std::string& a, const std::string& b) {
    return Check(FsOp::kIsSameFile, a) == nullptr && m_inner.IsSameFile(a, b);
}

Result<FolderListing> FaultFileSystem::ListFolder(const std::string& folder) {
    if (const Error* e = Check(FsOp::kListFolder, folder))
        return *e;
    return m_inner.ListFolder(folder);
}

Result<FileIdentity> FaultFileSystem::IdentifyFile(const std::string& path) {
    if (const Error* e = Check(FsOp::kIdentifyFile, path))
        return *e;
    return m_inner.IdentifyFile(path);
}

Result<FileStatus> FaultFileSystem::StatFile(const std::string& path) {
    if (const Error* e = Check(FsOp::kIdentifyFile, path))
        return *e;
    return m_inner.StatFile(path);
}

Result<void> FaultFileSystem::RenameFile(const std::string& path, const std::string& newName,
                                         const FileIdentity& expected) {
    if (const Error* e = Check(FsOp::kRenameFile, path))
        return *e;
    if (const Error* e = CheckReadOnly("rename", path::ParentFolder(path), path))
        return *e;
    return m_inner.RenameFile(path, newName, expected);
}

Result<std::string> FaultFileSystem::MoveFile(const std::string& path, const FileIdentity& expected,
                                              const std::string& destFolder,
                                              const NameCandidates& names, FileIdentity* movedAs) {
    if (const Error* e = Check(FsOp::kMoveFile, path))
        return *e;
    if (const Error* e = CheckReadOnly("move", path::ParentFolder(path), path))
        return *e;
    if (const Error* e = CheckReadOnly("move", destFolder, path))
        return *e;
    return m_inner.MoveFile(path, expected, destFolder, names, movedAs);
}

Result<void> FaultFileSystem::CreateFolder(const std::string& path) {
    if (const Error* e = Check(FsOp::kCreateFolder, path))
        return *e;
    if (const Error* e = CheckReadOnly("create folder", path::ParentFolder(path), path))
        return *e;
    return m_inner.CreateFolder(path);
}

Result<void> FaultFileSystem::WriteFile(const std::string& path,
                                        std::span<const std::uint8_t> bytes) {
    if (const Error* e = Check(FsOp::kWriteFile, path))
        return *e;
    if (const Error* e = CheckReadOnly("write", path::ParentFolder(path), path))
        return *e;
    return m_inner.WriteFile(path, bytes);
}

Result<std::unique_ptr<ByteReader>> FaultFileSystem::OpenRead(const std::string& path) {
    if (const Error* e = Check(FsOp::kOpenRead, path))
        return *e;
    auto inner = m_inner.OpenRead(path);
    if (!inner.ok())
        return inner.error();
    return std::unique_ptr<ByteReader>(
        std::make_unique<FaultByteReader>(*this, std::move(inner.value()), path));
}

Result<std::string> FaultFileSystem::SpecialFolder(const std::string& name) {
    if (const Error* e = Check(FsOp::kSpecialFolder, name))
        return *e;
    return m_inner.SpecialFolder(name);
}

Result<void> FaultFileSystem::RemoveEmptyFolder(const std::string& path) {
    if (const Error* e = Check(FsOp::kRemoveEmptyFolder, path))
        return *e;
    if (const Error* e = CheckReadOnly("remove folder", path::ParentFolder(path), path))
        return *e;
    return m_inner.RemoveEmptyFolder(path);
}

Result<void> FaultFileSystem::RemoveFile(const std::string& path) {
    if (const Error* e = Check(FsOp::kRemoveFile, path))
        return *e;
    if (const Error* e = CheckReadOnly("remove", path::ParentFolder(path), path))
        return *e;
    return m_inner.RemoveFile(path);
}

}  // namespace tagwright::test
