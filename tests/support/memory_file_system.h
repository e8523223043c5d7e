#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tagwright::test {

/// A file system held in memory: files are byte vectors under "/"-separated paths, folders a
/// set of paths. No disk access, so a fuzzer can run a whole read per input in microseconds,
/// and every byte read is counted. Renames and moves refuse to replace, as the real ones do.
class MemoryFileSystem final : public FileSystem {
  public:
    MemoryFileSystem() { m_folders.insert("/"); }

    /// Puts a file (its folder and the folders above it are made as needed).
    void Put(const std::string& path, std::vector<std::uint8_t> bytes);
    /// The bytes of a file, or nullptr when there is none.
    const std::vector<std::uint8_t>* Get(const std::string& path) const;

    /// Every folder and every file path, in order.
    const std::set<std::string>& Folders() const { return m_folders; }
    std::vector<std::string> FilePaths() const;

    /// Bytes handed out by ReadAt, and files opened, since construction.
    std::uint64_t BytesRead() const { return m_bytesRead; }
    int Opens() const { return m_opens; }

    bool FolderExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    Result<std::string> GetFilePath(const std::string& path) override;
    bool IsSameFile(const std::string& a, const std::string& b) override;
    Result<FolderListing> ListFolder(const std::string& folder) override;
    Result<FileIdentity> IdentifyFile(const std::string& path) override;
    Result<void> RenameFile(const std::string& path, const std::string& newName,
                            const FileIdentity& expected) override;
    Result<std::string> MoveFile(const std::string& path, const FileIdentity& expected,
                                 const std::string& destFolder, const NameCandidates& names,
                                 FileIdentity* movedAs = nullptr) override;
    Result<void> CreateFolder(const std::string& path) override;
    Result<void> WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& path) override;
    Result<std::string> SpecialFolder(const std::string& name) override;

  private:
    friend class MemoryByteReader;
    Result<void> Place(const char* op, const std::string& from, const std::string& folder,
                       const std::string& name);

    // Shared with open readers, so a file replaced while open is not pulled from under them,
    // and opening copies nothing.
    std::map<std::string, std::shared_ptr<const std::vector<std::uint8_t>>> m_files;
    std::set<std::string> m_folders;
    std::uint64_t m_bytesRead = 0;
    int m_opens = 0;
};

}  // namespace tagwright::test
