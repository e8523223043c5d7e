#pragma once

#include <optional>
#include <string>

#include "fileops/journal.h"
#include "platform/file_system.h"

namespace tagwright {

/// A file system that journals every change a batch makes through it: each name a rename or
/// move is about to try, each cross-device copy before it is written, each completed step and
/// each folder created. Questions and reads pass straight through.
///
/// Once a record cannot be written, every later change is refused with that failure, so that
/// no batch goes on without a journal; a change already made is still reported as made.
class JournaledFileSystem final : public FileSystem {
  public:
    JournaledFileSystem(FileSystem& inner, BatchJournal& journal)
        : m_inner(inner), m_journal(journal) {}

    /// The first record that could not be written, when one could not.
    const std::optional<Error>& JournalFailure() const { return m_failure; }

    bool FolderExists(const std::string& p) override { return m_inner.FolderExists(p); }
    bool FileExists(const std::string& p) override { return m_inner.FileExists(p); }
    Result<std::string> GetFilePath(const std::string& p) override {
        return m_inner.GetFilePath(p);
    }
    bool IsSameFile(const std::string& a, const std::string& b) override {
        return m_inner.IsSameFile(a, b);
    }
    Result<FileIdentity> IdentifyFile(const std::string& p) override {
        return m_inner.IdentifyFile(p);
    }
    Result<FolderListing> ListFolder(const std::string& folder) override {
        return m_inner.ListFolder(folder);
    }
    Result<void> RenameFile(const std::string& path, const std::string& newName,
                            const FileIdentity& expected) override;
    Result<std::string> MoveFile(const std::string& path, const FileIdentity& expected,
                                 const std::string& destFolder,
                                 const NameCandidates& names) override;
    Result<void> CreateFolder(const std::string& path) override;
    Result<void> WriteFile(const std::string& p, std::span<const std::uint8_t> bytes) override {
        return m_inner.WriteFile(p, bytes);
    }
    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& p) override {
        return m_inner.OpenRead(p);
    }
    Result<std::string> SpecialFolder(const std::string& name) override {
        return m_inner.SpecialFolder(name);
    }
    Result<void> RemoveEmptyFolder(const std::string& p) override {
        return m_inner.RemoveEmptyFolder(p);
    }
    Result<void> RemoveFile(const std::string& p) override { return m_inner.RemoveFile(p); }

  private:
    // Keeps the first failure; later changes are refused with it.
    bool Recorded(Result<void> written);
    Error Refusal(const char* op, const std::string& path) const;
    FileIdentity IdentityFor(const std::string& path, const FileIdentity& expected);

    FileSystem& m_inner;
    BatchJournal& m_journal;
    std::optional<Error> m_failure;
};

}  // namespace tagwright
