#include "fileops/dry_run_file_system.h"

#include <gtest/gtest.h>

#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fileops_fixture.h"

namespace tagwright::test {
namespace {

// The same tree twice: the dry run over one must tell exactly what the real run does to the other.
struct Tree {
    TempDir dir;
    ListStore store;
    Settings settings;

    Tree() {
        settings = TestSettings(dir.MakeFolder("Music") + kSep);
        settings.FolderYN = true;
        dir.Write("Music" + kSep + "A" + kSep + "Al" + kSep + "s.mp3", B("taken"));
        std::vector<std::string> paths;
        const std::vector<Song> songs = {{"s", "A", "Al", 1, 1},
                                         {"s", "A", "Al", 2, 2},
                                         {"t", "B", "Bl", 3, 3},
                                         {"", "B", "Bl", 4, 4},
                                         {"u", "", "Cl", 5, 5}};
        for (const Song& song : songs) {
            paths.push_back(
                dir.Write("in" + kSep + "f" + std::to_string(song.id) + ".mp3", SongBytes(song)));
        }
        ListFiles(store, paths);
    }

    std::vector<ListStore::Row> Rows() const {
        std::vector<ListStore::Row> rows;
        for (int i = 1; i < store.RowCount(); ++i) {
            ListStore::Row row = store.RowAt(i);
            if (row[ListStore::kPath].rfind(dir.path(), 0) == 0)
                row[ListStore::kPath].replace(0, dir.path().size(), "<root>");
            rows.push_back(row);
        }
        return rows;
    }

    void RunAll(FileSystem& fs) {
        BatchCallbacks cb;
        cb.askCreateFolder = [](const std::string&, const std::string&) {
            return FolderAnswer::kOk;
        };
        RunRenameBatch(store, settings, fs, cb);
        RunMoveBatch(store, settings, fs, cb);
        RunRenameBatch(store, settings, fs, cb);  // reads tags at the pretended places
        RunMoveBatch(store, settings, fs, cb);
    }
};

TEST(DryRunFileSystem, ShowsWhatTheRealRunDoesAndTouchesNothing) {
    Tree dry, real;
    const auto files = Snapshot(dry.dir.path());
    const auto folders = Folders(dry.dir.path());

    DryRunFileSystem fs;
    dry.RunAll(fs);
    real.RunAll(RealFileSystem());

    EXPECT_EQ(Snapshot(dry.dir.path()), files);
    EXPECT_EQ(Folders(dry.dir.path()), folders);
    EXPECT_EQ(dry.Rows(), real.Rows());
    EXPECT_FALSE(fs.Actions().empty());
    EXPECT_EQ(fs.Actions().front().kind, DryRunFileSystem::Action::Kind::kRename);
}

TEST(DryRunFileSystem, PretendedChangesAnswerLaterQuestions) {
    TempDir dir;
    const std::string a = dir.Write("a.mp3", B("a"));
    const std::string b = dir.Write("b.mp3", B("b"));
    DryRunFileSystem fs;
    EXPECT_EQ(fs.RenameFile(a, "b.mp3", {}).error().kind, ErrorKind::kAlreadyExists);
    ASSERT_TRUE(fs.RenameFile(a, "c.mp3", {}).ok());
    EXPECT_FALSE(fs.FileExists(a));
    EXPECT_TRUE(fs.FileExists(dir / "c.mp3"));
    EXPECT_TRUE(fs.RenameFile(b, "a.mp3", {}).ok());  // the name a left is free now
    EXPECT_EQ(fs.RenameFile(a, "x.mp3", {}).ok(), true);
    EXPECT_EQ(fs.MoveFile(dir / "c.mp3", {}, dir / "sub", OneName("c.mp3")).error().kind,
              ErrorKind::kNotFound);
    ASSERT_TRUE(fs.CreateFolder(dir / "sub").ok());
    EXPECT_TRUE(fs.FolderExists(dir / "sub" + kSep));
    ASSERT_TRUE(fs.MoveFile(dir / "c.mp3", {}, dir / "sub", OneName("c.mp3")).ok());
    auto reader = fs.OpenRead(dir / ("sub" + kSep + "c.mp3"));
    ASSERT_TRUE(reader.ok());
    std::uint8_t byte = 0;
    ASSERT_EQ(reader.value()->ReadAt(0, {&byte, 1}).value(), 1u);
    EXPECT_EQ(byte, 'a');
    EXPECT_FALSE(fs.WriteFile(dir / "w", {}).ok());
    EXPECT_EQ(ReadAll(a), B("a"));
    EXPECT_EQ(ReadAll(b), B("b"));
    EXPECT_EQ(Snapshot(dir.path()).size(), 2u);
}

}  // namespace
}  // namespace tagwright::test
