// Windows ignores letter case in names: a file never clashes with itself.
#include <gtest/gtest.h>

#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fileops_fixture.h"

namespace tagwright::test {
namespace {

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(U8Path(folder)))
        out.push_back(U8String(e.path().filename()));
    return out;
}

TEST(RenameIgnoringCase, CaseOnlyRenameTakesTheNewSpellingWithoutANumber) {
    TempDir dir;
    const std::string song = dir.Write("Song.MP3", SongBytes({"Song", "A", "B", 1, 1}));
    ListStore store;
    ListFiles(store, {song});
    RunRenameBatch(store, TestSettings(), RealFileSystem());
    EXPECT_EQ(store.Cell(1, ListStore::kR), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, ListStore::kNewName), "Song.mp3");
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"Song.mp3"});
}

TEST(RenameIgnoringCase, SecondMoveIntoAFolderSpelledDifferentlyLeavesTheFile) {
    TempDir dir;
    const std::string a = dir.Write("in\\a.mp3", SongBytes({"T", "Artist", "Album", 1, 1}));
    ListStore store;
    ListFiles(store, {a});
    Settings settings = TestSettings(dir.MakeFolder("Music") + "\\");
    RunMoveBatch(store, settings, RealFileSystem());
    const std::string moved = store.Cell(1, ListStore::kPath);
    ASSERT_EQ(moved, dir / "Music\\Artist\\Album\\a.mp3");
    settings.MP3SaveFolderTxt = dir / "MUSIC\\";
    RunMoveBatch(store, settings, RealFileSystem());
    EXPECT_EQ(store.Cell(1, ListStore::kM), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, ListStore::kPath), moved);
    EXPECT_EQ(Names(dir / "Music\\Artist\\Album"), std::vector<std::string>{"a.mp3"});
}

TEST(MoveFolderWalk, NeverTouchesADriveRootOrAShare) {
    TempDir dir;
    const std::string a = dir.Write("a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    for (const std::string root : {"C:\\", "\\\\server\\share\\"}) {
        SCOPED_TRACE(root);
        ListStore store;
        ListFiles(store, {a});
        RecordingFileSystem fs;
        RunMoveBatch(store, TestSettings(root), fs);
        EXPECT_EQ(fs.made, (std::vector<std::string>{root + "A", root + "A\\B"}));
    }
}

}  // namespace
}  // namespace tagwright::test
