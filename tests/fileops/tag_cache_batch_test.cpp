#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "filelist/folder_search.h"
#include "fileops/batch_plan.h"
#include "fileops_fixture.h"
#include "support/fault_file_system.h"
#include "tags/tag_cache.h"

namespace tagwright {
namespace {

using namespace std::chrono_literals;

// File times come from a coarse clock: a rewrite within the tick the file was made in would
// leave its stamp as it was (in real use the cache's settle rule keeps such files out). Waits
// until a file written now gets a later change time than `path` has.
void WaitPastChangeTime(const test::TempDir& dir, const std::string& path) {
    const std::int64_t made = RealFileSystem().StatFile(path)->stamp.changedNs;
    for (int i = 0; i < 2000; ++i) {
        const std::string probe = dir.Write("tick", "x");
        if (RealFileSystem().StatFile(probe)->stamp.changedNs > made)
            return;
        std::this_thread::sleep_for(1ms);
    }
}

std::int64_t SoonAfterNow() {
    // The test's files were made just now: a clock ahead lets them count as settled.
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               (std::chrono::system_clock::now() + 10s).time_since_epoch())
        .count();
}

enum class Edit { kNone, kRewrite, kRewriteKeepingModified };

// A file listed with its tags kept, then perhaps given another artist in the same number of
// bytes, then renamed or previewed by artist: the tags kept serve only the unchanged file.
TEST(TagCacheBatch, KeptTagsServeOnlyTheUnchangedFile) {
    struct Case {
        const char* name;
        Edit edit;
        bool preview;
        int opens;
        const char* named;
    };
    const Case cases[] = {
        {"unchanged", Edit::kNone, false, 0, "Before.mp3"},
        {"rewritten", Edit::kRewrite, false, 1, "Latter.mp3"},
        {"preview unchanged", Edit::kNone, true, 0, "Before.mp3"},
        // Last: where file times cannot be set back exactly, these cases are skipped.
        {"only ctime", Edit::kRewriteKeepingModified, false, 1, "Latter.mp3"},
        {"preview only ctime", Edit::kRewriteKeepingModified, true, 1, "Latter.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string song =
            dir.Write("in/song.mp3", test::SongBytes({"Title", "Before", "Album", 1, 1}));
        WaitPastChangeTime(dir, song);
        TagCache cache(SoonAfterNow);
        ListStore store;
        GetSearchMP3Module search(RealFileSystem(), store);
        search.SetTagCache(&cache);
        search.SearchMP3Files(dir / "in", "mp3", false);
        ASSERT_EQ(cache.Count(), 1U);

        const FileStamp listed = RealFileSystem().StatFile(song)->stamp;
        if (c.edit != Edit::kNone) {
            const auto modified = std::filesystem::last_write_time(test::U8Path(song));
            dir.Write("in/song.mp3", test::SongBytes({"Title", "Latter", "Album", 1, 1}));
            if (c.edit == Edit::kRewriteKeepingModified)
                std::filesystem::last_write_time(test::U8Path(song), modified);
            const FileStamp now = RealFileSystem().StatFile(song)->stamp;
            ASSERT_EQ(now.size, listed.size);
            if (c.edit == Edit::kRewriteKeepingModified && now.modifiedNs != listed.modifiedNs)
                GTEST_SKIP() << "file times here cannot be set back to the stamp's precision";
            ASSERT_EQ(now.modifiedNs == listed.modifiedNs, c.edit == Edit::kRewriteKeepingModified);
        }

        Settings settings = test::TestSettings();
        settings.FileNameSetting = "アーティスト";
        test::FaultFileSystem fs;
        BatchCallbacks callbacks;
        callbacks.tagCache = &cache;
        std::string named;
        if (c.preview) {
            const BatchPlan plan = PlanRename(store, settings, fs, callbacks);
            ASSERT_EQ(plan.lines.size(), 1U);
            named = path::FileName(plan.lines[0].newPath);
        } else {
            RunRenameBatch(store, settings, fs, callbacks);
            named = path::FileName(store.Cell(1, ListStore::kPath));
            EXPECT_TRUE(RealFileSystem().FileExists(dir / ("in/" + named)));
        }
        EXPECT_EQ(named, c.named);
        EXPECT_EQ(fs.Calls(test::FsOp::kOpenRead), c.opens);
    }
}

// A tag whose far frames cannot be read lists its file by kind, as a search without a cache
// does, and keeps nothing: half a tag would name the file wrongly.
TEST(TagCacheListing, ATagReadInPartIsListedButNotKept) {
    test::TempDir dir;
    const test::Bytes tag = test::Id3v2Tag(
        3, {{"TPE1", test::TextBody(0, test::B("Artist"))}, {"APIC", test::Bytes(9000, 0x41)}});
    const std::string song = dir.Write("in/song.mp3", test::Cat({tag, test::Audio(500)}));
    WaitPastChangeTime(dir, song);
    TagCache cache(SoonAfterNow);
    test::FaultFileSystem fs;
    fs.Refuse(test::FsOp::kRead, "", EIO, 4);  // head, size, trailer, then the far frames
    ListStore store;
    GetSearchMP3Module search(fs, store);
    search.SetTagCache(&cache);
    const FileAddReport report = search.SearchMP3Files(dir / "in", "mp3", false);
    EXPECT_TRUE(report.skipped.empty());
    EXPECT_EQ(report.added, 1);
    EXPECT_EQ(cache.Count(), 0U);
}

}  // namespace
}  // namespace tagwright
