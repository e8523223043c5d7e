#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <shared_mutex>
#include <string>
#include <unordered_map>

#include "platform/file_system.h"
#include "tags/tag_snapshot.h"

namespace tagwright {

/// The tags read when files were listed, kept so that a batch over the list need not read
/// them again. An entry holds for its file only while the file's stamp is the one it was read
/// with; any other stamp is a miss and the file is read anew. Safe to use from several threads.
///
/// Only what naming a file needs is kept: the kind, the ID3v1 fields but the comment, and the
/// six ID3v2 values. A snapshot from the cache has no frame table and no ID3v1 comment.
class TagCache {
  public:
    /// The wall clock, in nanoseconds since 1970-01-01 UTC: the epoch of file stamps.
    using Clock = std::function<std::int64_t()>;
    /// A file modified or changed this recently when its read began is not kept: file times
    /// are coarse (2 s on FAT, a kernel tick elsewhere), so a write just after the read could
    /// leave the stamp as it was.
    static constexpr std::int64_t kSettleNs = 3'000'000'000;

    /// `now` defaults to the system clock.
    explicit TagCache(Clock now = {});

    /// The clock's time: taken before a read, it is the `readStarted` of the read's Put.
    std::int64_t Now() const { return m_now(); }

    /// Keeps `tags` for the file `listed`, when the read was of that very file (the stamp's
    /// identity), its stamp is known and had settled when the read began, and its texts fit.
    /// True when kept; a kept entry of that file is replaced.
    bool Put(const FileIdentity& listed, const TagSnapshot& tags, std::int64_t readStarted);

    /// The tags kept for the file `now` names, when its stamp is still the one they were read
    /// with; nullopt otherwise.
    std::optional<TagSnapshot> Get(const FileStatus& now) const;

    void Clear();
    std::size_t Count() const;
    /// Makes room for `more` entries beyond those kept, for a listing that knows its size:
    /// growing a step at a time moves every entry again at each step.
    void Reserve(std::size_t more);

  private:
    // The texts of one file back to back, with where each ends: one allocation per file.
    struct Entry {
        FileStamp stamp;
        std::string text;
        std::uint16_t ends[10] = {};
        std::int32_t tagLength = 0;
        std::int16_t kind = 0;
        std::uint8_t v1Version = 0;
        std::uint8_t v1Genre = 0;
        std::uint8_t v1Track = 0;
        std::uint8_t present = 0;  // bit 0: ID3v1, bit 1: ID3v2, bits 2-7: each ID3v2 value
    };
    struct Hash {
        std::size_t operator()(const FileIdentity& id) const {
            return std::hash<std::uint64_t>()(id.file * 0x9E3779B97F4A7C15ULL ^ id.device);
        }
    };

    Clock m_now;
    mutable std::shared_mutex m_mutex;
    std::unordered_map<FileIdentity, Entry, Hash> m_entries;
};

}  // namespace tagwright
