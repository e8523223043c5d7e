#include "fileops/journaled_file_system.h"

#include <exception>

#include "platform/path.h"

namespace tagwright {

JournaledFileSystem::~JournaledFileSystem() {
    if (!m_failure && std::uncaught_exceptions() == 0)
        (void)m_journal.End(m_inner);
}

bool JournaledFileSystem::Recorded(Result<void> written) {
    if (!written.ok() && !m_failure)
        m_failure = written.error();
    return written.ok();
}

Error JournaledFileSystem::Refusal(const char* op, const std::string& path) const {
    return Error{op, path, "the undo journal cannot be written (" + m_failure->Message() + ")",
                 m_failure->code, ErrorKind::kOther};
}

FileIdentity JournaledFileSystem::IdentityFor(const std::string& path,
                                              const FileIdentity& expected) {
    if (expected.Known())
        return expected;
    auto id = m_inner.IdentifyFile(path);
    return id.ok() ? *id : FileIdentity{};
}

Result<void> JournaledFileSystem::RenameFile(const std::string& p, const std::string& newName,
                                             const FileIdentity& expected) {
    return JournaledRename(p, newName, expected, false);
}

Result<void> JournaledFileSystem::RenameCheckedFile(const std::string& p,
                                                    const std::string& newName,
                                                    const FileIdentity& expected) {
    return JournaledRename(p, newName, expected, true);
}

Result<void> JournaledFileSystem::JournaledRename(const std::string& p, const std::string& newName,
                                                  const FileIdentity& expected, bool checked) {
    if (m_failure)
        return Refusal("rename", p);
    const std::string to = path::Join(path::ParentFolder(p), newName);
    const FileIdentity id = IdentityFor(p, expected);
    if (!Recorded(m_journal.Try(p, to, id)))
        return Refusal("rename", p);
    Result<void> done = checked ? m_inner.RenameCheckedFile(p, newName, expected)
                                : m_inner.RenameFile(p, newName, expected);
    if (done.ok())
        Recorded(m_journal.Step(p, to, id));
    return done;
}

Result<std::string> JournaledFileSystem::MoveFile(const std::string& p,
                                                  const FileIdentity& expected,
                                                  const std::string& destFolder,
                                                  const NameCandidates& names,
                                                  FileIdentity* movedAs) {
    return JournaledMove(p, expected, destFolder, names, movedAs, false);
}

Result<std::string> JournaledFileSystem::MoveCheckedFile(const std::string& p,
                                                         const FileIdentity& expected,
                                                         const std::string& destFolder,
                                                         const NameCandidates& names,
                                                         FileIdentity* movedAs) {
    return JournaledMove(p, expected, destFolder, names, movedAs, true);
}

Result<std::string> JournaledFileSystem::JournaledMove(const std::string& p,
                                                       const FileIdentity& expected,
                                                       const std::string& destFolder,
                                                       const NameCandidates& names,
                                                       FileIdentity* movedAs, bool checked) {
    if (m_failure)
        return Refusal("move", p);
    const FileIdentity id = IdentityFor(p, expected);
    const NameCandidates announced = [&](int i) -> std::optional<std::string> {
        auto name = names(i);
        if (name && !Recorded(m_journal.Try(p, path::Join(destFolder, *name), id)))
            return std::nullopt;
        return name;
    };
    bool copying = false;
    m_inner.SetTemporaryNotice(
        [this, &copying](const std::string& from, const std::string& tmp, TemporaryKind kind) {
            copying = true;
            Result<void> written = kind == TemporaryKind::kAside ? m_journal.Aside(from, tmp)
                                                                 : m_journal.Temporary(from, tmp);
            Recorded(written);
            return written;
        });
    FileIdentity placed;
    Result<std::string> moved =
        checked ? m_inner.MoveCheckedFile(p, expected, destFolder, announced, &placed)
                : m_inner.MoveFile(p, expected, destFolder, announced, &placed);
    m_inner.SetTemporaryNotice({});
    if (!moved.ok()) {
        // A refused move has removed its copy again; said so, a later start takes no file that
        // comes to the copy's name for it.
        if (copying && !m_failure)
            Recorded(m_journal.Refused(p));
        return m_failure ? Refusal("move", p) : moved;
    }
    const std::string to = path::Join(destFolder, *moved);
    // A copy across devices is a new file; a rename keeps the file it moved.
    const FileIdentity now = placed.Known() ? placed : id;
    if (movedAs != nullptr)
        *movedAs = now;
    Recorded(m_journal.Step(p, to, now));
    return moved;
}

Result<void> JournaledFileSystem::CreateFolder(const std::string& p) {
    if (m_failure)
        return Refusal("create folder", p);
    Result<void> made = m_inner.CreateFolder(p);
    if (made.ok())
        Recorded(m_journal.Folder(p));
    return made;
}

void JournaledFileSystem::SettleRecords() {
    Recorded(m_journal.SendHeld());
}

}  // namespace tagwright
