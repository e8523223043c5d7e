#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "filelist/list_store.h"
#include "platform/file_system.h"
#include "platform/read_ahead.h"
#include "platform/result.h"
#include "tags/tag_cache.h"
#include "tags/tag_snapshot.h"

namespace tagwright {

/// The text after the last "." of a file name; empty when the name has no "." or ends in one.
/// "song.MP3" -> "MP3", "archive.tar.mp3" -> "mp3", ".mp3" -> "mp3".
std::string ExtensionOf(const std::string& fileName);

/// True when the extension is "mp3" in any letter case.
bool HasMp3Extension(const std::string& fileName);

/// The test a dropped path must pass to be taken as an MP3 file: its last three characters,
/// lower-cased, are "mp3". So "xmp3" passes and "a.mp3.lnk" does not.
bool EndsInMp3(const std::string& path);

/// What adding files to the list came to. A search or drop never stops at an entry it cannot
/// read: it skips the entry, notes it here with the OS's reason and goes on with the rest.
struct FileAddReport {
    /// False only when the search could not even list its start folder.
    bool ranToEnd = true;
    /// Rows added (the placeholder row filled counts as one).
    int added = 0;
    /// Folders that could not be listed and files that could not be probed, in the order met.
    std::vector<Error> skipped;
    /// Links to folders that were seen and, to keep a link loop from trapping the walk, not
    /// followed.
    std::vector<std::string> linksNotFollowed;

    void Merge(FileAddReport other);
};

/// What lets a search or a drop run away from the list's thread. With `row` set, each row found
/// is handed to it, in list order, and the store is not touched at all (its count included);
/// the one who receives the rows appends them. `stop`, asked between two files, ends the work
/// there: what was found so far stays found.
struct FileAddHooks {
    std::function<void(FileRow row)> row;
    std::function<bool()> stop;

    bool Stopped() const { return stop && stop(); }
};

/// The tag probe of one search or one drop. With a cache it reads all of a file's tags, not
/// just its kind (the head read holds a typical ID3v2 tag whole), and keeps them for the batch.
/// Safe to use from several threads when the file system's reads are.
class TagProbe {
  public:
    explicit TagProbe(FileSystem& fs, TagCache* cache = nullptr) : m_fs(fs), m_cache(cache) {}

    /// One read of the file, as `Keep` wants it.
    struct Read {
        Result<TagSnapshot> tags;
        std::int64_t started = 0;  ///< the cache's clock when the read began
        bool whole = false;        ///< all the tags were read, not just the kind
    };
    Read ReadFile(const std::string& path) const;
    /// ReadFile of a plain file opened as the entry itself (FileSystem::OpenFileEntry), so
    /// that the read's identity is the entry's. nullopt for a link or anything but a plain
    /// file, and when the read is refused: the caller then takes the long way. `folder` tells
    /// when the entry is a folder.
    std::optional<Read> ReadEntry(const std::string& path, bool& folder) const;
    /// Puts a read into the cache, when there is one, for the file listed as `listed`.
    void Keep(const FileIdentity& listed, const Read& read) const;

  private:
    FileSystem& m_fs;
    TagCache* m_cache;
};

/// Visits `start` and, when `includeSubfolders`, every folder below it: depth first, parent
/// before children, sub-folders in name order (ASCII letters without regard to case, then byte
/// order), the same on every file system. Each folder is listed
/// once. The walk keeps its own stack, so a deep tree cannot overflow the call stack, and it
/// never enters a link to a folder. A folder that cannot be listed is noted in `report` and
/// its branch skipped. Every folder met, listed or not, is appended to `folderList` when given.
/// Entries a listing could not tell the kind of are noted in `report` too. `visit` receives
/// each listed folder's listing, its entries in name order, which it may take apart. A `stop`
/// that turns true ends the walk before the next folder. Once listings wait on a device (a
/// cold disk, a network share), up to `jobs` folders are listed ahead on other threads when
/// the file system allows it; the visits stay in the same order, on the calling thread.
void WalkFolders(FileSystem& fs, const std::string& start, bool includeSubfolders,
                 FileAddReport& report, std::vector<std::string>* folderList,
                 const std::function<void(FolderListing&)>& visit,
                 const std::function<bool()>& stop = {}, int jobs = 1);

/// The folder search. Holds the folder list of the last search, which each search rewrites
/// from entry 0 (the start folder exactly as given).
class GetSearchMP3Module {
  public:
    GetSearchMP3Module(FileSystem& fs, ListStore& store) : m_fs(fs), m_store(store) {}

    /// Adds the files of `folder` (and, when `includeSubfolders`, of every folder below it)
    /// to the list, folder by folder in the folder list's order, each folder's files in name
    /// order. A file is taken when its extension is "mp3" in any letter case,
    /// or, when `extensionFilter` is empty, also when its tag probe finds any tag. Does not
    /// refresh the count: the caller runs UpdateFileCount. `hooks` may take the rows instead
    /// of the store, and stop the search early.
    FileAddReport SearchMP3Files(const std::string& folder, const std::string& extensionFilter,
                                 bool includeSubfolders, const FileAddHooks& hooks = {});

    /// Appends every folder below `folder` to `folderList`, depth first, parent before
    /// children. False when `folder` itself cannot be listed; unreadable folders below it are
    /// kept in the list and noted in `report` (when given), and only their branch is skipped.
    bool CollectSubfolders(const std::string& folder, std::vector<std::string>& folderList,
                           FileAddReport* report = nullptr);

    /// The folders the last search visited, the start folder first.
    const std::vector<std::string>& FolderList() const { return m_folders; }

    /// How many file reads a search keeps in flight when the file system allows it (1: one
    /// at a time). The rows and the report come out the same either way.
    void SetReadJobs(int jobs) { m_readJobs = jobs; }
    int ReadJobs() const { return m_readJobs; }

    /// The cache the files' tags go to as they are listed (none: only their kind is read).
    /// The front end owns it, beside its list; a drop through this search uses it too.
    void SetTagCache(TagCache* cache) { m_cache = cache; }
    TagCache* Cache() const { return m_cache; }

  private:
    FileSystem& m_fs;
    ListStore& m_store;
    int m_readJobs = kDefaultReadJobs;
    TagCache* m_cache = nullptr;
    std::vector<std::string> m_folders;
};

}  // namespace tagwright
