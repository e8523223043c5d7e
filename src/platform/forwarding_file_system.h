#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace tagwright {

/// A file system that passes every call on to another; a wrapper overrides what it changes.
/// RenameCheckedFile is left to its default, RenameFile, so that a wrapper that changes
/// RenameFile changes both.
class ForwardingFileSystem : public FileSystem {
  public:
    explicit ForwardingFileSystem(FileSystem& inner = RealFileSystem()) : m_inner(inner) {}
    bool FolderExists(const std::string& p) override { return m_inner.FolderExists(p); }
    bool FileExists(const std::string& p) override { return m_inner.FileExists(p); }
    Result<std::string> GetFilePath(const std::string& p) override {
        return m_inner.GetFilePath(p);
    }
    bool IsSameFile(const std::string& a, const std::string& b) override {
        return m_inner.IsSameFile(a, b);
    }
    Result<FolderListing> ListFolder(const std::string& f) override {
        return m_inner.ListFolder(f);
    }
    Result<FileIdentity> IdentifyFile(const std::string& p) override {
        return m_inner.IdentifyFile(p);
    }
    Result<FileStatus> StatFile(const std::string& p) override { return m_inner.StatFile(p); }
    Result<void> RenameFile(const std::string& p, const std::string& n,
                            const FileIdentity& id) override {
        return m_inner.RenameFile(p, n, id);
    }
    Result<std::string> MoveFile(const std::string& p, const FileIdentity& id, const std::string& d,
                                 const NameCandidates& n,
                                 FileIdentity* movedAs = nullptr) override {
        return m_inner.MoveFile(p, id, d, n, movedAs);
    }
    Result<void> CreateFolder(const std::string& p) override { return m_inner.CreateFolder(p); }
    Result<void> WriteFile(const std::string& p, std::span<const std::uint8_t> b) override {
        return m_inner.WriteFile(p, b);
    }
    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& p) override {
        return m_inner.OpenRead(p);
    }
    Result<std::unique_ptr<ByteReader>> OpenFileEntry(const std::string& p,
                                                      FileStatus& status) override {
        return m_inner.OpenFileEntry(p, status);
    }
    Result<std::string> SpecialFolder(const std::string& n) override {
        return m_inner.SpecialFolder(n);
    }
    Result<void> RemoveEmptyFolder(const std::string& p) override {
        return m_inner.RemoveEmptyFolder(p);
    }
    Result<void> RemoveFile(const std::string& p) override { return m_inner.RemoveFile(p); }
    void SetTemporaryNotice(TemporaryNotice notice) override {
        m_inner.SetTemporaryNotice(std::move(notice));
    }
    void SettleRecords() override { m_inner.SettleRecords(); }

  protected:
    FileSystem& m_inner;
};

}  // namespace tagwright
