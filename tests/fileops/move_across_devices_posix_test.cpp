#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fileops/move_batch.h"
#include "fileops_fixture.h"

namespace tagwright::test {
namespace {

TEST(MoveAcrossDevices, CopiesFlushesAndRemovesTheSourceLeavingNoTemporary) {
    TempDir dir;
    struct stat here {
    }, shm{};
    if (::stat(dir.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
        GTEST_SKIP() << "no second file system to move to";
    }
    const std::string other = "/dev/shm/tagwright-move-" + std::to_string(::getpid());
    std::filesystem::create_directory(other);
    const Settings settings = TestSettings(other + "/");
    const std::string a = dir.Write("in/a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    const auto bytes = ReadAll(a);
    ListStore store;
    ListFiles(store, {a});
    RunMoveBatch(store, settings, RealFileSystem());
    const std::string moved = other + "/A/B/a.mp3";
    EXPECT_EQ(store.Cell(1, ListStore::kM), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, ListStore::kPath), moved);
    EXPECT_FALSE(RealFileSystem().FileExists(a));
    // The row lists the copy: a later batch over it finds the file it names.
    EXPECT_EQ(store.Identity(1), *RealFileSystem().IdentifyFile(moved));
    const auto there = Snapshot(other);
    std::filesystem::remove_all(other);
    EXPECT_EQ(there.size(), 1u);
    EXPECT_EQ(there.at(moved), bytes);
}

}  // namespace
}  // namespace tagwright::test
