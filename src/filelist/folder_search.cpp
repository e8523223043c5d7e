#include "filelist/folder_search.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>

#include "platform/read_ahead.h"

namespace tagwright {

namespace {

// Rows go to the store in chunks: one view notification per chunk instead of one per file,
// without holding a whole 100,000-file search in a second copy.
constexpr std::size_t kRowChunk = 1024;

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Name order, the same on every platform: letters compare without regard to ASCII case
// (as NTFS lists them), then byte by byte, so no two names are ever equal.
bool NameBefore(const DirEntry& a, const DirEntry& b) {
    const std::size_t n = std::min(a.name.size(), b.name.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(LowerAscii(a.name[i]));
        const auto y = static_cast<unsigned char>(LowerAscii(b.name[i]));
        if (x != y)
            return x < y;
    }
    if (a.name.size() != b.name.size())
        return a.name.size() < b.name.size();
    return a.name < b.name;
}

// File systems list in their own order (hash order on ext4); the list must not depend on it.
void SortByName(FolderListing& listing) {
    std::sort(listing.files.begin(), listing.files.end(), NameBefore);
    std::sort(listing.folders.begin(), listing.folders.end(), NameBefore);
    std::sort(listing.links.begin(), listing.links.end(), NameBefore);
}

}  // namespace

std::string ExtensionOf(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

bool HasMp3Extension(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string::npos || fileName.size() - dot != 4)
        return false;
    return EndsInMp3(fileName);
}

bool EndsInMp3(const std::string& path) {
    if (path.size() < 3)
        return false;
    const char* tail = path.data() + path.size() - 3;
    return LowerAscii(tail[0]) == 'm' && LowerAscii(tail[1]) == 'p' && tail[2] == '3';
}

void FileAddReport::Merge(FileAddReport other) {
    ranToEnd = ranToEnd && other.ranToEnd;
    added += other.added;
    for (Error& e : other.skipped)
        skipped.push_back(std::move(e));
    for (std::string& l : other.linksNotFollowed)
        linksNotFollowed.push_back(std::move(l));
}

TagProbe::Read TagProbe::ReadFile(const std::string& path) const {
    if (m_cache == nullptr)
        return Read{ReadTags(m_fs, path, TagParts::kKindAndId3v1)};
    const std::int64_t started = m_cache->Now();
    Read read{ReadTags(m_fs, path, TagParts::kAll), started, true};
    // A file whose ID3v2 frames cannot be read is still listed by its kind, as without a
    // cache; the batch then meets the refusal itself.
    if (!read.tags)
        return Read{ReadTags(m_fs, path, TagParts::kKindAndId3v1)};
    return read;
}

std::optional<TagProbe::Read> TagProbe::ReadEntry(const std::string& path, bool& folder) const {
    const std::int64_t started = m_cache != nullptr ? m_cache->Now() : 0;
    FileStatus status;
    Result<std::unique_ptr<ByteReader>> opened = m_fs.OpenFileEntry(path, status);
    if (!opened) {
        folder = opened.error().kind == ErrorKind::kIsFolder;
        return std::nullopt;
    }
    if (m_cache != nullptr) {
        Read read{ReadTagsFrom(**opened, path, TagParts::kAll, &status), started, true};
        if (read.tags)
            return read;
    }
    Read read{ReadTagsFrom(**opened, path, TagParts::kKindAndId3v1, &status)};
    if (!read.tags)
        return std::nullopt;
    return read;
}

void TagProbe::Keep(const FileIdentity& listed, const Read& read) const {
    if (m_cache != nullptr && read.whole && read.tags)
        m_cache->Put(listed, *read.tags, read.started);
}

namespace {

// A folder's listing, its entries in name order.
Result<FolderListing> ListSorted(FileSystem& fs, const std::string& folder) {
    Result<FolderListing> listed = fs.ListFolder(folder);
    if (listed.ok())
        SortByName(*listed);
    return listed;
}

// A listing that took longer than this waited on a device: a warm listing of a folder of a few
// dozen entries costs some tens of microseconds, one on a cold disk a hundred or more, and one
// over a network a millisecond or more.
constexpr std::chrono::microseconds kListingWait = kDeviceWait;
// Listings judged together before the walk decides to list ahead.
constexpr int kListingsJudgedTogether = 8;

// Folder listings made ahead of the walk on other threads. Each listing made hands its
// sub-folders on to be listed in turn, so a whole tree is listed several folders at a time
// while the walk takes the listings in its own order. On a cold disk or a network share, where
// each listing waits on the device, the walk then waits for few of them.
class ListingsAhead {
  public:
    ListingsAhead(FileSystem& fs, int jobs, const std::vector<std::string>& asked) : m_fs(fs) {
        m_queue.assign(asked.rbegin(), asked.rend());
        for (int i = 0; i < jobs; ++i)
            m_threads.emplace_back([this] { Work(); });
    }
    ~ListingsAhead() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_more.notify_all();
        for (std::thread& t : m_threads)
            t.join();
    }
    ListingsAhead(const ListingsAhead&) = delete;
    ListingsAhead& operator=(const ListingsAhead&) = delete;

    // The listing of `folder`, which was asked for or is a sub-folder of a listing made here.
    Result<FolderListing> Take(const std::string& folder) {
        std::unique_lock lock(m_mutex);
        m_done.wait(lock, [&] { return m_made.count(folder) != 0; });
        auto made = m_made.extract(folder);
        return std::move(made.mapped());
    }

  private:
    void Work() {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_more.wait(lock, [&] { return m_stop || !m_queue.empty(); });
            if (m_stop)
                return;
            std::string folder = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            Result<FolderListing> listed = List(folder);
            lock.lock();
            if (listed.ok()) {
                for (const DirEntry& sub : listed->folders)
                    m_queue.push_back(sub.path);
                m_more.notify_all();
            }
            m_made.emplace(std::move(folder), std::move(listed));
            m_done.notify_all();
        }
    }

    Result<FolderListing> List(const std::string& folder) {
        try {
            return ListSorted(m_fs, folder);
        } catch (const std::exception& e) {
            // Told as the walk tells a folder it cannot list, never lost on this thread.
            return Error{"list folder", folder, e.what(), 0, ErrorKind::kOther};
        }
    }

    FileSystem& m_fs;
    std::mutex m_mutex;
    std::condition_variable m_more;
    std::condition_variable m_done;
    std::deque<std::string> m_queue;
    std::unordered_map<std::string, Result<FolderListing>> m_made;
    bool m_stop = false;
    std::vector<std::thread> m_threads;
};

}  // namespace

void WalkFolders(FileSystem& fs, const std::string& start, bool includeSubfolders,
                 FileAddReport& report, std::vector<std::string>* folderList,
                 const std::function<void(FolderListing&)>& visit,
                 const std::function<bool()>& stop, int jobs) {
    // Children are pushed in reverse so that they come off the stack in listing order, which
    // makes the visit order parent first, then each child's whole branch in turn.
    std::vector<std::string> stack{start};
    bool first = true;
    const bool mayListAhead = includeSubfolders && jobs > 1 && fs.ConcurrentReads();
    std::optional<ListingsAhead> ahead;
    int judged = 0;
    int waited = 0;
    while (!stack.empty() && !(stop && stop())) {
        std::string folder = std::move(stack.back());
        stack.pop_back();
        const auto started = std::chrono::steady_clock::now();
        Result<FolderListing> listed = ahead ? ahead->Take(folder) : ListSorted(fs, folder);
        if (!ahead && mayListAhead && std::chrono::steady_clock::now() - started > kListingWait)
            ++waited;
        if (folderList != nullptr)
            folderList->push_back(std::move(folder));
        if (!listed.ok()) {
            if (first)
                report.ranToEnd = false;
            report.skipped.push_back(listed.error());
            first = false;
            continue;
        }
        first = false;
        FolderListing& listing = listed.value();
        for (Error& e : listing.skipped)
            report.skipped.push_back(std::move(e));
        for (DirEntry& link : listing.links)
            report.linksNotFollowed.push_back(std::move(link.path));
        if (includeSubfolders) {
            for (auto it = listing.folders.rbegin(); it != listing.folders.rend(); ++it)
                stack.push_back(std::move(it->path));
        }
        visit(listing);
        // Counted, not summed, as reads are: a busy machine makes a few listings slow, a cold
        // disk nearly all.
        if (!ahead && mayListAhead && ++judged == kListingsJudgedTogether) {
            if (waited * 2 > judged && !stack.empty())
                ahead.emplace(fs, jobs, stack);
            judged = 0;
            waited = 0;
        }
    }
}

namespace {

// A file the walk found, with how many skipped entries the walk had noted before it, so that
// the report keeps the order in which things were met.
struct Candidate {
    DirEntry entry;
    bool mp3 = false;
    std::size_t skippedBefore = 0;
};

// What the reads found of one candidate: the tag kind flags, the refusal, or the file's identity
// (none when the file is gone or is not taken).
struct Probed {
    std::optional<std::int16_t> kinds;
    std::optional<Error> refused;
    std::optional<FileIdentity> id;
};

}  // namespace

FileAddReport GetSearchMP3Module::SearchMP3Files(const std::string& folder,
                                                 const std::string& extensionFilter,
                                                 bool includeSubfolders,
                                                 const FileAddHooks& hooks) {
    FileAddReport report;
    m_folders.clear();
    // The walk first, then the files' reads, several in flight: on a cold disk each read waits
    // on the device, and the walk itself reads little.
    std::vector<Candidate> candidates;
    const auto collect = [&](FolderListing& listing) {
        for (DirEntry& file : listing.files) {
            const bool mp3 = HasMp3Extension(file.name);
            // By extension the probe cannot change the outcome for other files; leave them be.
            if (!mp3 && !extensionFilter.empty())
                continue;
            candidates.push_back(Candidate{std::move(file), mp3, report.skipped.size()});
        }
    };
    WalkFolders(m_fs, folder, includeSubfolders, report, &m_folders, collect, hooks.stop,
                m_readJobs);

    std::vector<Error> walkSkipped = std::move(report.skipped);
    report.skipped.clear();
    std::size_t walkNoted = 0;
    const auto noteWalkSkipped = [&](std::size_t upTo) {
        for (; walkNoted < upTo; ++walkNoted)
            report.skipped.push_back(std::move(walkSkipped[walkNoted]));
    };
    std::vector<FileRow> pending;
    const auto flush = [&] {
        report.added += m_store.AppendFileRows(std::move(pending));
        pending.clear();
    };
    const TagProbe probe(m_fs, m_cache);
    const auto read = [&](std::size_t i) {
        const Candidate& c = candidates[i];
        Probed p;
        const TagProbe::Read tags = probe.ReadFile(c.entry.path);
        if (!tags.tags) {
            p.refused = tags.tags.error();
            return p;
        }
        p.kinds = tags.tags->kind;
        if (!c.mp3 && TagKindText(tags.tags->kind).empty())
            return p;
        // The open file's own identity serves for a file the listing saw as no link: were it
        // swapped for a link since, the batch would find the link's identity differ and refuse
        // it, never act on another file. A link is listed by its own entry.
        const FileIdentity opened = tags.tags->file.id;
        if (!c.entry.link && opened.Known()) {
            p.id = opened;
            probe.Keep(opened, tags);
            return p;
        }
        // A file gone between the listing and here is simply not listed.
        if (auto id = m_fs.IdentifyFile(c.entry.path); id.ok()) {
            p.id = *id;
            probe.Keep(*id, tags);
        }
        return p;
    };
    const int jobs = m_fs.ConcurrentReads() ? m_readJobs : 1;
    // A stop ends the work after the file in hand, which is listed.
    ReadInOrder<Probed>(candidates.size(), jobs, read, [&](std::size_t i, Probed& p) {
        Candidate& c = candidates[i];
        noteWalkSkipped(c.skippedBefore);
        if (p.refused)
            report.skipped.push_back(std::move(*p.refused));
        if (!p.id)
            return !hooks.Stopped();
        FileRow row;
        row.path = std::move(c.entry.path);
        row.fileName = std::move(c.entry.name);
        row.tagKinds = *p.kinds;
        row.id = *p.id;
        if (hooks.row) {
            hooks.row(std::move(row));
            return !hooks.Stopped();
        }
        pending.push_back(std::move(row));
        if (pending.size() >= kRowChunk)
            flush();
        return !hooks.Stopped();
    });
    noteWalkSkipped(walkSkipped.size());
    if (!hooks.row)
        flush();
    return report;
}

bool GetSearchMP3Module::CollectSubfolders(const std::string& folder,
                                           std::vector<std::string>& folderList,
                                           FileAddReport* report) {
    FileAddReport local;
    std::vector<std::string> found;
    WalkFolders(
        m_fs, folder, true, local, &found, [](FolderListing&) {}, {}, m_readJobs);
    // found[0] is the folder itself; the list takes only what lies below it.
    for (std::size_t i = 1; i < found.size(); ++i)
        folderList.push_back(std::move(found[i]));
    const bool ok = local.ranToEnd;
    if (report != nullptr)
        report->Merge(std::move(local));
    return ok;
}

}  // namespace tagwright
