#pragma once

#include <optional>
#include <string>

#include "fileops/journal.h"
#include "platform/forwarding_file_system.h"

namespace tagwright {

/// A file system that journals every change a batch makes through it: each name a rename or
/// move is about to try, each cross-device copy before it is written, each completed step and
/// each folder created. Questions and reads pass straight through.
///
/// Once a record cannot be written, every later change is refused with that failure, so that
/// no batch goes on without a journal; a change already made is still reported as made.
class JournaledFileSystem final : public ForwardingFileSystem {
  public:
    JournaledFileSystem(FileSystem& inner, BatchJournal& journal)
        : ForwardingFileSystem(inner), m_journal(journal) {}
    /// The batch is over: ends the journal (BatchJournal::End), unless a record could not be
    /// written or an exception cut the batch short.
    ~JournaledFileSystem() override;
    JournaledFileSystem(const JournaledFileSystem&) = delete;
    JournaledFileSystem& operator=(const JournaledFileSystem&) = delete;

    /// The first record that could not be written, when one could not.
    const std::optional<Error>& JournalFailure() const { return m_failure; }

    Result<void> RenameFile(const std::string& path, const std::string& newName,
                            const FileIdentity& expected) override;
    Result<void> RenameCheckedFile(const std::string& path, const std::string& newName,
                                   const FileIdentity& expected) override;
    Result<std::string> MoveFile(const std::string& path, const FileIdentity& expected,
                                 const std::string& destFolder, const NameCandidates& names,
                                 FileIdentity* movedAs = nullptr) override;
    Result<std::string> MoveCheckedFile(const std::string& path, const FileIdentity& expected,
                                        const std::string& destFolder, const NameCandidates& names,
                                        FileIdentity* movedAs = nullptr) override;
    Result<void> CreateFolder(const std::string& path) override;
    /// Sends out the step the journal holds back.
    void SettleRecords() override;
    // Reads pass straight through, so they may run together where the inner file system's may.
    bool ConcurrentReads() const override { return m_inner.ConcurrentReads(); }

  private:
    // Keeps the first failure; later changes are refused with it.
    bool Recorded(Result<void> written);
    Error Refusal(const char* op, const std::string& path) const;
    FileIdentity IdentityFor(const std::string& path, const FileIdentity& expected);
    Result<void> JournaledRename(const std::string& path, const std::string& newName,
                                 const FileIdentity& expected, bool checked);
    Result<std::string> JournaledMove(const std::string& path, const FileIdentity& expected,
                                      const std::string& destFolder, const NameCandidates& names,
                                      FileIdentity* movedAs, bool checked);

    BatchJournal& m_journal;
    std::optional<Error> m_failure;
};

}  // namespace tagwright
