// Names that only Windows treats specially: a file in a drive root, and device names.
#include <gtest/gtest.h>

#include <random>

#include "fileops/rename_batch.h"
#include "fileops_fixture.h"
#include "naming/safe_name.h"

namespace tagwright::test {
namespace {

// A file directly in C:\ whose composed name is its own: the row says so, without a number.
TEST(WindowsRoots, FileInADriveRootKeepsItsOwnName) {
    const std::string stem = "tagwright-root-" + std::to_string(std::random_device{}());
    const std::string file = "C:\\" + stem + ".mp3";
    ASSERT_TRUE(RealFileSystem().WriteFile(file, SongBytes({stem, "A", "B", 1, 1})).ok());
    ListStore store;
    ListFiles(store, {file});
    RunRenameBatch(store, TestSettings(), RealFileSystem());
    EXPECT_EQ(store.Cell(1, ListStore::kR), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, ListStore::kNewName), stem + ".mp3");
    EXPECT_EQ(store.Cell(1, ListStore::kPath), file);
    EXPECT_TRUE(RealFileSystem().FileExists(file));
    std::filesystem::remove(U8Path(file));
}

// A tag that spells a device name must not send the file to the device or lose it.
TEST(WindowsDeviceNames, TitlesNamingDevicesGetAnUnderscore) {
    TempDir dir;
    std::vector<std::string> paths;
    const char* titles[] = {"CON", "nul", "Com1", "LPT9.live", "aux "};
    int id = 0;
    for (const char* t : titles) {
        paths.push_back(
            dir.Write("f" + std::to_string(id) + ".mp3", SongBytes({t, "A", "B", 1, id})));
        ++id;
    }
    const auto before = Snapshot(dir.path());
    ListStore store;
    ListFiles(store, paths);
    RunRenameBatch(store, TestSettings(), RealFileSystem());
    for (int r = 1; r < store.RowCount(); ++r) {
        SCOPED_TRACE(store.Cell(r, ListStore::kNewName));
        EXPECT_EQ(store.Cell(r, ListStore::kR), ListStore::kDone);
        EXPECT_TRUE(RealFileSystem().FileExists(store.Cell(r, ListStore::kPath)));
    }
    EXPECT_EQ(store.Cell(1, ListStore::kNewName), "CON_.mp3");
    EXPECT_EQ(store.Cell(2, ListStore::kNewName), "nul_.mp3");
    auto after = Snapshot(dir.path());
    EXPECT_EQ(after.size(), before.size());
}

}  // namespace
}  // namespace tagwright::test
