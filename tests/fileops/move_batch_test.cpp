#include "fileops/move_batch.h"

#include <gtest/gtest.h>

#include <map>

#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright::test {
namespace {

struct MoveFixture : ::testing::Test {
    TempDir dir;
    std::string storage = dir.MakeFolder("Music") + kSep;
    Settings settings = TestSettings(storage);
    ListStore store;
    std::vector<std::string> prompts;
    FolderAnswer answer = FolderAnswer::kOk;

    std::string Put(const std::string& name, const Song& song) {
        return dir.Write("in" + kSep + name, SongBytes(song));
    }
    void Run(FileSystem& fs = RealFileSystem()) {
        BatchCallbacks cb;
        cb.askCreateFolder = [&](const std::string& prompt, const std::string& title) {
            EXPECT_EQ(title, "フォルダの作成");
            prompts.push_back(prompt);
            return answer;
        };
        RunMoveBatch(store, settings, fs, cb);
    }
    std::string Under(const std::string& rel) const { return storage + rel; }
};

TEST_F(MoveFixture, OneQuestionThenEveryMissingLevelIsCreated) {
    settings.FolderYN = true;
    const std::string a = Put("a.mp3", {"T", "Artist", "Album", 1, 1});
    const auto bytes = ReadAll(a);
    ListFiles(store, {a});
    FileRow renamed = store.File(1);
    renamed.rename.outcome = FileRow::Outcome::kDone;
    renamed.newName = "kept";
    store.SetFile(1, renamed);
    Run();
    const std::string dest = Under("Artist" + kSep + "Album" + kSep);
    EXPECT_EQ(prompts, std::vector<std::string>{"フォルダがありません。作成しますか？\r\n" + dest});
    EXPECT_EQ(store.Cell(1, kM), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, kPath), dest + "a.mp3");
    EXPECT_EQ(ReadAll(dest + "a.mp3"), bytes);
    EXPECT_FALSE(RealFileSystem().FileExists(a));
    EXPECT_EQ(store.Cell(1, kName), "a.mp3");
    EXPECT_EQ(store.Cell(1, kNew), "kept");
}

TEST_F(MoveFixture, CancelCreatesNothingAndTheNextFileAsksAgain) {
    settings.FolderYN = true;
    answer = FolderAnswer::kCancel;
    const std::string a = Put("a.mp3", {"T", "Artist", "Album", 1, 1});
    const std::string b = Put("b.mp3", {"T", "Other", "Album", 1, 2});
    ListFiles(store, {a, b});
    Run();
    EXPECT_EQ(prompts.size(), 2u);
    EXPECT_EQ(store.Cell(1, kM), ListStore::kRefused);
    EXPECT_EQ(store.Cell(2, kM), ListStore::kRefused);
    EXPECT_EQ(store.Cell(1, kPath), a);
    EXPECT_TRUE(RealFileSystem().FileExists(a));
    EXPECT_TRUE(Folders(storage).empty());
}

// Within one batch the answer holds per destination folder: a Cancel refuses the later files
// for that folder without asking again, with the reason; another folder is asked about.
TEST_F(MoveFixture, OneAnswerPerDestinationFolderWithinABatch) {
    settings.FolderYN = true;
    const std::vector<std::pair<FolderAnswer, Song>> files = {
        {FolderAnswer::kCancel, {"T", "X", "Y", 1, 1}},
        {FolderAnswer::kOk, {"T", "P", "Q", 1, 2}},
        {FolderAnswer::kOk, {"T", "X", "Y", 1, 3}},
        {FolderAnswer::kOk, {"T", "P", "Q", 1, 4}},
    };
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < files.size(); ++i)
        paths.push_back(Put(std::to_string(i) + ".mp3", files[i].second));
    ListFiles(store, paths);
    std::vector<std::string> asked;
    std::map<int, Error> refusals;
    BatchCallbacks cb;
    cb.askCreateFolder = [&](const std::string& prompt, const std::string&) {
        asked.push_back(prompt);
        return files[asked.size() - 1].first;
    };
    cb.rowRefused = [&](int row, const Error& e) { refusals[row] = e; };
    RunMoveBatch(store, settings, RealFileSystem(), cb);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[0].find(Under("X" + kSep + "Y" + kSep)), std::string::npos);
    EXPECT_NE(asked[1].find(Under("P" + kSep + "Q" + kSep)), std::string::npos);
    const std::vector<std::string> marks = {ListStore::kRefused, ListStore::kDone,
                                            ListStore::kRefused, ListStore::kDone};
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(store.Cell(row, kM), marks[static_cast<std::size_t>(row - 1)]) << row;
        EXPECT_EQ(refusals.count(row) != 0,
                  marks[static_cast<std::size_t>(row - 1)] == std::string(ListStore::kRefused));
    }
    EXPECT_EQ(refusals[1].kind, ErrorKind::kCancelled);
    EXPECT_EQ(refusals[3].kind, ErrorKind::kCancelled);
    EXPECT_TRUE(RealFileSystem().FileExists(paths[2]));
    EXPECT_FALSE(RealFileSystem().FolderExists(Under("X")));
}

TEST_F(MoveFixture, WithoutTheQuestionFoldersAreMadeSilently) {
    ListFiles(store, {Put("a.mp3", {"T", "Artist", "Album", 1, 1})});
    Run();
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(store.Cell(1, kPath), Under("Artist" + kSep + "Album" + kSep + "a.mp3"));
}

TEST_F(MoveFixture, ClashIsNumberedFromTheOldBaseNameAndASecondMoveLeavesFilesInPlace) {
    const std::string dest = Under("A" + kSep + "B" + kSep);
    dir.Write("Music" + kSep + "A" + kSep + "B" + kSep + "x.MP3", B("already there"));
    const std::string x = Put("x.MP3", {"T", "A", "B", 1, 1});
    const std::string y = Put("y.mp3", {"T", "A", "B", 1, 2});
    ListFiles(store, {x, y});
    Run();
    EXPECT_EQ(store.Cell(1, kPath), dest + "x(0).mp3");
    EXPECT_EQ(store.Cell(2, kPath), dest + "y.mp3");
    EXPECT_EQ(ReadAll(dest + "x.MP3"), B("already there"));
    EXPECT_EQ(store.Cell(1, kName), "x.MP3");

    const auto before = Snapshot(dir.path());
    FileRow unmarked = store.File(1);
    unmarked.move = {};
    store.SetFile(1, unmarked);
    Run();
    EXPECT_EQ(Snapshot(dir.path()), before);
    EXPECT_EQ(store.Cell(1, kM), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, kPath), dest + "x(0).mp3");
    EXPECT_EQ(store.Cell(2, kPath), dest + "y.mp3");
}

TEST_F(MoveFixture, EmptyFolderRuleFilesIntoTheStorageFolder) {
    settings.FileMoveText = "";
    ListFiles(store, {Put("a.mp3", {"T", "A", "B", 1, 1})});
    Run();
    EXPECT_EQ(store.Cell(1, kPath), storage + "a.mp3");
}

TEST_F(MoveFixture, StorageFolderWithoutFinalSeparatorRunsIntoTheFirstLevel) {
    settings.MP3SaveFolderTxt = dir / "Music";
    settings.FileMoveText = "アーティスト\\";
    ListFiles(store, {Put("a.mp3", {"T", "Artist", "B", 1, 1})});
    Run();
    EXPECT_EQ(store.Cell(1, kPath), dir / ("MusicArtist" + kSep + "a.mp3"));
}

TEST_F(MoveFixture, BlankTagUnderFileNotMovedIsRefused) {
    const std::string a = Put("a.mp3", {"T", "", "B", 1, 1});
    ListFiles(store, {a});
    Run();
    EXPECT_EQ(store.Cell(1, kM), ListStore::kRefused);
    EXPECT_EQ(store.Cell(1, kPath), a);
    settings.folderFillBlanks = true;  // artist "Unknown"
    Run();
    EXPECT_EQ(store.Cell(1, kPath), Under("Unknown" + kSep + "B" + kSep + "a.mp3"));
}

// A value that the clean-up empties is a blank value: the file is not filed a level higher.
TEST_F(MoveFixture, AFolderLevelThatComesOutEmptyIsRefusedAsABlankTag) {
    for (const bool fill : {false, true}) {
        SCOPED_TRACE(fill);
        store.ResetFileList();
        settings.folderFillBlanks = fill;
        const std::string a = Put("a.mp3", {"T", "\x7F\x01", "Album", 1, 1});
        ListFiles(store, {a});
        Run();
        EXPECT_EQ(store.Cell(1, kM), ListStore::kRefused);
        EXPECT_EQ(store.Cell(1, kPath), a);
        EXPECT_TRUE(RealFileSystem().FileExists(a));
        EXPECT_TRUE(Folders(storage).empty());
    }
}

TEST_F(MoveFixture, RefusalsLeaveTheFileWhereItIsAndTheBatchGoesOn) {
    const std::string noFolder = Put("nofolder.mp3", {"T", "Locked", "B", 1, 1});
    const std::string inUse = Put("inuse.mp3", {"T", "A", "B", 1, 2});
    const std::string fine = Put("fine.mp3", {"T", "A", "B", 1, 3});
    ListFiles(store, {noFolder, inUse, fine});
    FaultFileSystem fs;
    fs.Refuse(FsOp::kCreateFolder, "Locked", EACCES);
    fs.Refuse(FsOp::kMoveFile, "inuse", EBUSY);
    Run(fs);
    EXPECT_EQ(store.Cell(1, kM), ListStore::kRefused);
    EXPECT_EQ(store.Cell(1, kPath), noFolder);
    EXPECT_EQ(store.Cell(2, kM), ListStore::kRefused);
    EXPECT_EQ(store.Cell(2, kPath), inUse);
    EXPECT_TRUE(RealFileSystem().FileExists(noFolder));
    EXPECT_TRUE(RealFileSystem().FileExists(inUse));
    EXPECT_EQ(store.Cell(3, kM), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, kNew), "");
}

TEST_F(MoveFixture, HostileTagsNeverLeadOutOfTheStorageFolder) {
    const std::vector<std::pair<std::string, std::string>> tags = {
        {"..", "../../x"}, {"/etc", ".."}, {"a\\..\\..", "."}, {"con", "nul.txt"}};
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < tags.size(); ++i) {
        paths.push_back(
            Put("h" + std::to_string(i) + ".mp3", {"T", tags[i].first, tags[i].second, 1, int(i)}));
    }
    ListFiles(store, paths);
    Run();
    for (int row = 1; row <= static_cast<int>(tags.size()); ++row) {
        SCOPED_TRACE(store.Cell(row, kPath));
        EXPECT_EQ(store.Cell(row, kM), ListStore::kDone);
        const auto rel =
            U8Path(store.Cell(row, kPath)).lexically_normal().lexically_relative(U8Path(storage));
        EXPECT_FALSE(rel.empty());
        EXPECT_NE(*rel.begin(), "..");
    }
}

// The destination name is taken between any check and the move.
struct IntruderFileSystem : ForwardingFileSystem {
    bool armed = true;
    Result<std::string> MoveFile(const std::string& p, const FileIdentity& id, const std::string& d,
                                 const NameCandidates& n,
                                 FileIdentity* movedAs = nullptr) override {
        if (armed) {
            armed = false;
            ForwardingFileSystem::WriteFile(path::Join(d, *n(0)), B("intruder")).ThrowIfError();
        }
        return ForwardingFileSystem::MoveFile(p, id, d, n, movedAs);
    }
};

TEST_F(MoveFixture, NameTakenAtTheLastMomentIsNeverOverwritten) {
    ListFiles(store, {Put("a.mp3", {"T", "A", "B", 1, 1})});
    IntruderFileSystem fs;
    Run(fs);
    const std::string dest = Under("A" + kSep + "B" + kSep);
    EXPECT_EQ(store.Cell(1, kPath), dest + "a(0).mp3");
    EXPECT_EQ(ReadAll(dest + "a.mp3"), B("intruder"));
}

// The songs of an album go into the folder the first one found standing; one taken away
// meanwhile is made again (the batch's answer for that folder holds), and no file is lost.
struct FolderThiefFileSystem : ForwardingFileSystem {
    std::string stash;
    int moves = 0;
    Result<std::string> MoveFile(const std::string& p, const FileIdentity& id, const std::string& d,
                                 const NameCandidates& n,
                                 FileIdentity* movedAs = nullptr) override {
        if (++moves == 2)
            std::filesystem::rename(U8Path(d), U8Path(stash));
        return ForwardingFileSystem::MoveFile(p, id, d, n, movedAs);
    }
};

TEST_F(MoveFixture, AnAlbumFolderTakenAwayBetweenSongsIsMadeAgain) {
    settings.FolderYN = true;
    ListFiles(store, {Put("a.mp3", {"T", "A", "B", 1, 1}), Put("b.mp3", {"T", "A", "B", 1, 2})});
    FolderThiefFileSystem fs;
    fs.stash = dir / "stash";
    Run(fs);
    const std::string dest = Under("A" + kSep + "B" + kSep);
    EXPECT_EQ(prompts.size(), 1u);
    EXPECT_EQ(store.Cell(2, kM), ListStore::kDone);
    EXPECT_EQ(store.Cell(2, kPath), dest + "b.mp3");
    EXPECT_TRUE(RealFileSystem().FileExists(dest + "b.mp3"));
    EXPECT_TRUE(RealFileSystem().FileExists(path::Join(fs.stash, "a.mp3")));
}

TEST_F(MoveFixture, FolderWalkSkipsTheRootOfTheStorageFolder) {
    settings.MP3SaveFolderTxt = kSep;
    ListFiles(store, {Put("a.mp3", {"T", "A", "B", 1, 1})});
    RecordingFileSystem fs;
    Run(fs);
    const std::vector<std::string> levels = {kSep + "A", kSep + "A" + kSep + "B"};
    // The whole destination first, then each level below the root.
    const std::vector<std::string> asked = {levels[1], levels[0], levels[1]};
    EXPECT_EQ(fs.asked, asked);
    EXPECT_EQ(fs.made, levels);
    EXPECT_EQ(store.Cell(1, kPath), kSep + "A" + kSep + "B" + kSep + "a.mp3");
}

}  // namespace
}  // namespace tagwright::test
