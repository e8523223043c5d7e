#include "tags/tag_cache.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <mutex>

namespace tagwright {

namespace {

constexpr std::uint8_t kHasId3v1 = 1;
constexpr std::uint8_t kHasId3v2 = 2;

// The ID3v2 values in the order their texts are kept, after the four ID3v1 ones.
constexpr std::array<std::optional<std::string> Id3v2Values::*, 6> kId3v2Fields = {
    &Id3v2Values::album, &Id3v2Values::artist, &Id3v2Values::title,
    &Id3v2Values::year,  &Id3v2Values::genre,  &Id3v2Values::track,
};
constexpr std::array<std::string Id3v1Values::*, 4> kId3v1Fields = {
    &Id3v1Values::title,
    &Id3v1Values::artist,
    &Id3v1Values::album,
    &Id3v1Values::year,
};

std::int64_t SystemNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

TagCache::TagCache(Clock now) : m_now(now ? std::move(now) : Clock(SystemNow)) {}

bool TagCache::Put(const FileIdentity& listed, const TagSnapshot& tags, std::int64_t readStarted) {
    const FileStamp& stamp = tags.file.stamp;
    // A link listed as itself but read through to its target is not the file it names.
    if (!listed.Known() || !(tags.file.id == listed) || !stamp.Known())
        return false;
    const std::int64_t settledBy = readStarted - kSettleNs;
    if (stamp.modifiedNs > settledBy || stamp.changedNs > settledBy)
        return false;

    Entry e;
    e.stamp = stamp;
    e.kind = tags.kind;
    // One allocation for all the texts.
    std::size_t total = 0;
    if (tags.id3v1) {
        for (const auto member : kId3v1Fields)
            total += ((*tags.id3v1).*member).size();
    }
    if (tags.id3v2) {
        for (const auto member : kId3v2Fields) {
            if (const std::optional<std::string>& value = (*tags.id3v2).*member)
                total += value->size();
        }
    }
    e.text.reserve(total);
    std::size_t field = 0;
    const auto add = [&](const std::string& text) {
        e.text += text;
        e.ends[field++] = static_cast<std::uint16_t>(
            std::min<std::size_t>(e.text.size(), std::numeric_limits<std::uint16_t>::max()));
    };
    if (tags.id3v1) {
        e.present |= kHasId3v1;
        e.v1Version = tags.id3v1->version;
        e.v1Genre = tags.id3v1->genre;
        e.v1Track = tags.id3v1->track;
        for (const auto member : kId3v1Fields)
            add((*tags.id3v1).*member);
    } else {
        for (std::size_t i = 0; i < kId3v1Fields.size(); ++i)
            add({});
    }
    if (tags.id3v2) {
        e.present |= kHasId3v2;
        e.tagLength = tags.id3v2->tagLength;
        for (std::size_t i = 0; i < kId3v2Fields.size(); ++i) {
            const std::optional<std::string>& value = (*tags.id3v2).*kId3v2Fields[i];
            if (value)
                e.present |= static_cast<std::uint8_t>(4U << i);
            add(value ? *value : std::string());
        }
    }
    // Rare huge texts are read again rather than making every entry's offsets wider.
    if (e.text.size() > std::numeric_limits<std::uint16_t>::max())
        return false;
    std::unique_lock lock(m_mutex);
    m_entries.insert_or_assign(listed, std::move(e));
    return true;
}

std::optional<TagSnapshot> TagCache::Get(const FileStatus& now) const {
    if (!now.id.Known() || !now.stamp.Known())
        return std::nullopt;
    TagSnapshot tags;
    {
        std::shared_lock lock(m_mutex);
        const auto it = m_entries.find(now.id);
        if (it == m_entries.end() || !(it->second.stamp == now.stamp))
            return std::nullopt;
        const Entry& e = it->second;
        std::size_t field = 0;
        std::size_t begin = 0;
        const auto next = [&] {
            const std::size_t end = e.ends[field++];
            std::string text = e.text.substr(begin, end - begin);
            begin = end;
            return text;
        };
        tags.kind = e.kind;
        tags.file = now;
        if (e.present & kHasId3v1) {
            Id3v1Values& v = tags.id3v1.emplace();
            v.version = e.v1Version;
            v.genre = e.v1Genre;
            v.track = e.v1Track;
            for (const auto member : kId3v1Fields)
                v.*member = next();
        } else {
            field = kId3v1Fields.size();
        }
        if (e.present & kHasId3v2) {
            Id3v2Values& v = tags.id3v2.emplace();
            v.tagLength = e.tagLength;
            for (std::size_t i = 0; i < kId3v2Fields.size(); ++i) {
                std::string text = next();
                if (e.present & (4U << i))
                    v.*kId3v2Fields[i] = std::move(text);
            }
        }
    }
    return tags;
}

void TagCache::Clear() {
    std::unique_lock lock(m_mutex);
    m_entries.clear();
}

void TagCache::Reserve(std::size_t more) {
    std::unique_lock lock(m_mutex);
    m_entries.reserve(m_entries.size() + more);
}

std::size_t TagCache::Count() const {
    std::shared_lock lock(m_mutex);
    return m_entries.size();
}

}  // namespace tagwright
