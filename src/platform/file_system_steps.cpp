#include "platform/file_system_steps.h"

#include <chrono>
#include <cstdio>
#include <random>

#include "platform/path.h"

namespace tagwright {

namespace {

FsStepHook& StepHook() {
    static FsStepHook hook;
    return hook;
}

}  // namespace

void SetFsStepHook(FsStepHook hook) {
    StepHook() = std::move(hook);
}

namespace fs_steps {

void Step(FsStep step, const std::string& path) {
    if (StepHook())
        StepHook()(step, path);
}

std::string TemporaryNameIn(const std::string& folder) {
    static std::mt19937_64 rng{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    char name[32];
    std::snprintf(name, sizeof name, ".tagwright-%08llx.tmp",
                  static_cast<unsigned long long>(rng() & 0xffffffffULL));
    return path::Join(folder, name);
}

}  // namespace fs_steps

Result<FileStatus> FileSystem::StatFile(const std::string& path) {
    Result<FileIdentity> id = IdentifyFile(path);
    if (!id)
        return id.error();
    return FileStatus{*id, {}};
}

Result<std::unique_ptr<ByteReader>> FileSystem::OpenFileEntry(const std::string& path,
                                                              FileStatus& status) {
    const auto notPlain = [&] {
        return Error{"open", path, "Not a plain file", 0, ErrorKind::kNotRegularFile};
    };
    Result<FileStatus> entry = StatFile(path);
    if (!entry)
        return entry.error();
    if (entry->link)
        return notPlain();
    Result<std::unique_ptr<ByteReader>> opened = OpenRead(path);
    if (!opened)
        return opened.error();
    Result<FileStatus> now = (*opened)->Status();
    if (!now)
        return now.error();
    // Read through a link this file system does not report, or replaced in between.
    if (!(now->id == entry->id))
        return notPlain();
    status = *now;
    return opened;
}

Result<void> FileSystem::RemoveEmptyFolder(const std::string& path) {
    return Error{"remove folder", path, "Not supported here", 0, ErrorKind::kNotSupported};
}

Result<void> FileSystem::RemoveFile(const std::string& path) {
    return Error{"remove", path, "Not supported here", 0, ErrorKind::kNotSupported};
}

Result<std::string> PlaceUnderFirstFreeName(
    const NameCandidates& names, const std::function<Result<void>(const std::string&)>& place,
    const Error& allTaken) {
    for (int i = 0;; ++i) {
        const auto name = names(i);
        if (!name)
            return allTaken;
        Result<void> r = place(*name);
        if (r.ok())
            return *name;
        if (r.error().kind != ErrorKind::kAlreadyExists)
            return r.error();
    }
}

}  // namespace tagwright
