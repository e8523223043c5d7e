#pragma once

#include <array>
#include <cerrno>
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tagwright::test {

/// The operations of FileSystem (and kRead for ByteReader::ReadAt / Size), for fault rules and
/// call counts.
enum class FsOp {
    kFolderExists,
    kFileExists,
    kGetFilePath,
    kIsSameFile,
    kIdentifyFile,
    kListFolder,
    kRenameFile,
    kMoveFile,
    kCreateFolder,
    kWriteFile,
    kOpenRead,
    kRead,
    kSpecialFolder,
    kRemoveEmptyFolder,
    kRemoveFile,
    kCount_
};

/// Refuse `op` on paths containing `pathContains` (every path when empty) with errno `code`.
/// `nth` = 0 refuses every matching call; n > 0 refuses only the n-th matching call.
struct FaultRule {
    FsOp op;
    std::string pathContains;
    int code = EACCES;
    int nth = 0;
    int seen = 0;
};

/// The real file system with chosen refusals: a rule, the n-th call, or a random share of the
/// calls of chosen operations. Bool queries that are refused answer false.
class FaultFileSystem final : public FileSystem {
  public:
    explicit FaultFileSystem(FileSystem& inner = RealFileSystem()) : m_inner(inner) {}

    void Refuse(FsOp op, std::string pathContains = {}, int code = EACCES, int nth = 0) {
        m_rules.push_back(FaultRule{op, std::move(pathContains), code, nth, 0});
    }
    /// Refuses each call of the given operations with probability p (errno `code`).
    void RefuseRandomly(std::vector<FsOp> ops, double p, std::uint32_t seed, int code = EACCES);
    /// Refuses every change inside `folder` with EACCES, as a read-only folder does: renames of
    /// its files, moves out of it and into it, folders and files made in it. Reads go through.
    /// For where the real thing cannot be had (a test running as root ignores folder modes).
    void RefuseChangesIn(std::string folder) { m_readOnly.push_back(std::move(folder)); }
    void ClearFaults() {
        m_rules.clear();
        m_randomOps.clear();
        m_readOnly.clear();
    }

    int Calls(FsOp op) const { return m_calls[static_cast<std::size_t>(op)]; }
    int Refusals() const { return m_refusals; }
    void ResetCounts() { m_calls.fill(0); }

    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    Result<std::string> GetFilePath(const std::string& path) override;
    bool IsSameFile(const std::string& a, const std::string& b) override;
    Result<FolderListing> ListFolder(const std::string& folder) override;
    Result<FileIdentity> IdentifyFile(const std::string& path) override;
    /// Refused and counted as kIdentifyFile.
    Result<FileStatus> StatFile(const std::string& path) override;
    Result<void> RenameFile(const std::string& path, const std::string& newName,
                            const FileIdentity& expected) override;
    /// One call (and one rule check) for all the names tried.
    Result<std::string> MoveFile(const std::string& path, const FileIdentity& expected,
                                 const std::string& destFolder, const NameCandidates& names,
                                 FileIdentity* movedAs = nullptr) override;
    Result<void> CreateFolder(const std::string& path) override;
    Result<void> WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& path) override;
    Result<std::string> SpecialFolder(const std::string& name) override;
    Result<void> RemoveEmptyFolder(const std::string& path) override;
    Result<void> RemoveFile(const std::string& path) override;
    void SetTemporaryNotice(TemporaryNotice notice) override {
        m_inner.SetTemporaryNotice(std::move(notice));
    }

    /// Called first at every call, with the operation and its path: a test can hold a worker
    /// at a chosen file there.
    void OnCall(std::function<void(FsOp op, const std::string& path)> hook) {
        m_onCall = std::move(hook);
    }
    /// False unless a test asks for it: a rule on the n-th call means one file only when the
    /// calls come one at a time. Rules and counts are kept under a lock either way.
    bool ConcurrentReads() const override { return m_concurrent && m_inner.ConcurrentReads(); }
    void AllowConcurrentReads() { m_concurrent = true; }

    /// The error the next call of `op` on `path` is to fail with, or nullptr; counts the call.
    const Error* Check(FsOp op, const std::string& path);

  private:
    // The refusal of a change to `folder` when it is read-only here, else nullptr.
    const Error* CheckReadOnly(const char* op, const std::string& folder, const std::string& path);

    FileSystem& m_inner;
    std::vector<FaultRule> m_rules;
    std::vector<std::string> m_readOnly;
    std::vector<FsOp> m_randomOps;
    double m_randomShare = 0;
    int m_randomCode = EACCES;
    std::mt19937 m_rng;
    std::array<int, static_cast<std::size_t>(FsOp::kCount_)> m_calls{};
    int m_refusals = 0;
    Error m_last;
    std::function<void(FsOp, const std::string&)> m_onCall;
    std::mutex m_mutex;
    bool m_concurrent = false;
};

}  // namespace tagwright::test
