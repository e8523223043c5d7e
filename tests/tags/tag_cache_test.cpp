#include "tags/tag_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "naming/field_selection.h"
#include "platform/read_ahead.h"

namespace tagwright {
namespace {

constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kNow = 1'700'000'000 * kSecond;
constexpr FileIdentity kId{7, 42};
constexpr FileStamp kStamp{5000, kNow - 60 * kSecond, kNow - 30 * kSecond};

TagSnapshot Tags(const FileIdentity& id = kId, const FileStamp& stamp = kStamp,
                 const std::string& artist = "Artist") {
    TagSnapshot t;
    t.kind = TagKind::kId3v2 | TagKind::kId3v1 | TagKind::kId3v11;
    t.id3v1 = Id3v1Values{2, "Title1", artist + "1", "Album1", "1999", "comment", 13, 4};
    Id3v2Values& v = t.id3v2.emplace();
    v.album = "アルバム";
    v.artist = artist;
    v.title = "";  // present but empty: not the same as absent
    v.track = "3/12";
    v.tagLength = 4096;
    t.file = FileStatus{id, stamp};
    return t;
}

TagCache FixedClock() {
    return TagCache([] { return kNow; });
}

// Whatever the source setting, names come out as from the snapshot that was put.
TEST(TagCache, NamesAsTheReadItKept) {
    TagCache cache = FixedClock();
    TagSnapshot bare;  // no tags at all: not another file's leftovers either
    bare.file = FileStatus{{7, 43}, kStamp};
    for (const TagSnapshot& put : {Tags(), bare}) {
        ASSERT_TRUE(cache.Put(put.file.id, put, kNow));
        const std::optional<TagSnapshot> got = cache.Get(put.file);
        ASSERT_TRUE(got);
        EXPECT_EQ(got->kind, put.kind);
        for (const auto source : {Settings::TagSource::kId3v1Only, Settings::TagSource::kId3v2Only,
                                  Settings::TagSource::kBoth}) {
            Settings s;
            s.tagSource = source;
            s.nameFillBlanks = false;
            EXPECT_EQ(TagR::GetTagInfo(TagR::kModeFileName, *got, s),
                      TagR::GetTagInfo(TagR::kModeFileName, put, s));
        }
    }
}

TEST(TagCache, HitsOnlyTheSameFileWithTheSameStamp) {
    struct Case {
        const char* name;
        FileStatus now;
        bool hit;
    };
    const Case cases[] = {
        {"same", {kId, kStamp}, true},
        {"size changed", {kId, {kStamp.size + 1, kStamp.modifiedNs, kStamp.changedNs}}, false},
        {"modified", {kId, {kStamp.size, kStamp.modifiedNs + 1, kStamp.changedNs}}, false},
        {"only ctime", {kId, {kStamp.size, kStamp.modifiedNs, kStamp.changedNs + 1}}, false},
        {"another file", {{7, 43}, kStamp}, false},
        {"another device", {{8, 42}, kStamp}, false},
        {"stamp unknown", {kId, {}}, false},
    };
    TagCache cache = FixedClock();
    ASSERT_TRUE(cache.Put(kId, Tags(), kNow));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cache.Get(c.now).has_value(), c.hit);
    }
}

TEST(TagCache, KeepsOnlySettledReadsOfTheListedFile) {
    struct Case {
        const char* name;
        FileIdentity listed;
        TagSnapshot read;
        bool kept;
    };
    const std::int64_t justNow = kNow - TagCache::kSettleNs + 1;
    const std::int64_t settled = kNow - TagCache::kSettleNs;
    const Case cases[] = {
        {"settled", kId, Tags(kId, {1, settled, settled}), true},
        {"modified just now", kId, Tags(kId, {1, justNow, settled}), false},
        {"changed just now", kId, Tags(kId, {1, settled, justNow}), false},
        {"times ahead of the clock", kId, Tags(kId, {1, kNow + kSecond, kNow + kSecond}), false},
        {"stamp unknown", kId, Tags(kId, {}), false},
        {"read through a link", kId, Tags({7, 99}), false},
        {"identity unknown", {}, Tags({}), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TagCache cache = FixedClock();
        EXPECT_EQ(cache.Put(c.listed, c.read, cache.Now()), c.kept);
        EXPECT_EQ(cache.Count(), c.kept ? 1U : 0U);
    }
}

TEST(TagCache, ANewReadReplacesTheOldAndClearForgetsAll) {
    TagCache cache = FixedClock();
    ASSERT_TRUE(cache.Put(kId, Tags(), kNow));
    const FileStamp later{kStamp.size, kStamp.modifiedNs + kSecond, kStamp.changedNs + kSecond};
    ASSERT_TRUE(cache.Put(kId, Tags(kId, later, "Other"), kNow));
    EXPECT_FALSE(cache.Get({kId, kStamp}));
    ASSERT_TRUE(cache.Get({kId, later}));
    EXPECT_EQ(cache.Get({kId, later})->id3v2->artist, "Other");
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0U);
    EXPECT_FALSE(cache.Get({kId, later}));
}

// Puts and gets from the read pool's threads at once; the sanitizer builds judge the locking.
TEST(TagCache, PutAndGetFromManyThreads) {
    TagCache cache = FixedClock();
    constexpr std::size_t kFiles = 4000;
    std::atomic<int> wrong{0};
    const auto id = [](std::size_t i) { return FileIdentity{1, i + 1}; };
    ReadInOrder<int>(
        kFiles, 8,
        [&](std::size_t i) {
            const std::string artist = "A" + std::to_string(i);
            cache.Put(id(i), Tags(id(i), kStamp, artist), kNow);
            const auto mine = cache.Get({id(i), kStamp});
            if (!mine || mine->id3v2->artist != artist)
                ++wrong;
            // Another thread's entry may or may not be there yet, but never half made.
            if (const auto other = cache.Get({id(i / 2), kStamp});
                other && other->id3v2->artist != "A" + std::to_string(i / 2)) {
                ++wrong;
            }
            return 0;
        },
        [](std::size_t, int&) { return true; });
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(cache.Count(), kFiles);
}

}  // namespace
}  // namespace tagwright
