// Files and folders with names a POSIX file system holds but that trip careless code: line
// breaks, bytes that are not UTF-8, leading dashes, names of the full 255 bytes, decomposed (NFD)
// Japanese. They are listed with paths that exist, renamed and moved with every row truthful,
// and a file system that refuses such a name gets a "×" with its reason.
#include <gtest/gtest.h>

#include <map>

#include "filelist/drop_logic.h"
#include "filelist/folder_search.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright::test {
namespace {

const std::string kNfdGa = "\u30AB\u3099";  // ガ as カ and a combining voiced mark
const std::string kNfcGa = "\u30AC";

const std::vector<std::string> kFolderNames = {
    "line\nbreak", "bad\xFF\xFE", "-rf", std::string(255, 'd'), kNfdGa + "folder", "plain",
};
const std::vector<std::string> kFileNames = {
    "line\nbreak.mp3",
    "bad\xC3\x28.mp3",
    "-rf.mp3",
    "--help.mp3",
    std::string(251, 'f') + ".mp3",
    kNfdGa + ".mp3",
    kNfcGa + ".mp3",
    "tab\there.mp3",
};
// Titles the files carry: hostile too, and some equal to names other files hold.
const std::vector<std::string> kTitles = {
    "line\nbreak", "-rf", std::string(300, 't'), kNfdGa, kNfcGa, "bad", "", "--help",
};

struct Tree {
    TempDir dir;
    std::string in;
    std::map<std::string, Bytes> contents;  // path -> bytes, as made
    std::vector<std::string> paths;

    Tree() {
        in = dir.MakeFolder("in");
        int id = 0;
        for (const std::string& folder : kFolderNames) {
            for (const std::string& file : kFileNames) {
                ++id;
                const std::string title = kTitles[static_cast<std::size_t>(id) % kTitles.size()];
                const Bytes bytes =
                    SongBytes(Song{title, "-" + folder.substr(0, 20), "\n.", id % 5, id});
                const std::string p = dir.Write(
                    "in" + std::string(1, path::kSeparator) + folder + path::kSeparator + file,
                    bytes);
                contents[p] = bytes;
                paths.push_back(p);
            }
        }
    }
};

// Every row's Path names an existing file whose bytes are the ones the row started with.
void ExpectRowsNameTheirFiles(const ListStore& store, const std::vector<Bytes>& rowBytes) {
    for (int i = 1; i < store.RowCount(); ++i) {
        const std::string& p = store.Cell(i, ListStore::kPath);
        ASSERT_TRUE(RealFileSystem().FileExists(p)) << p;
        EXPECT_EQ(ReadAll(p), rowBytes[static_cast<std::size_t>(i - 1)]) << p;
        EXPECT_EQ(path::FileName(p).size() <= 255, true) << p;
    }
}

std::vector<Bytes> RowBytes(const ListStore& store) {
    std::vector<Bytes> out;
    for (int i = 1; i < store.RowCount(); ++i)
        out.push_back(ReadAll(store.Cell(i, ListStore::kPath)));
    return out;
}

TEST(HostileNames, SearchListsEveryFileUnderItsRealPath) {
    Tree tree;
    ListStore store;
    GetSearchMP3Module search(RealFileSystem(), store);
    const FileAddReport report = search.SearchMP3Files(tree.in, "mp3", true);
    EXPECT_TRUE(report.skipped.empty());
    ASSERT_EQ(report.added, static_cast<int>(tree.paths.size()));
    std::map<std::string, Bytes> listed;
    for (int i = 1; i < store.RowCount(); ++i) {
        const std::string& p = store.Cell(i, ListStore::kPath);
        EXPECT_EQ(store.Cell(i, ListStore::kFileName), path::FileName(p));
        listed[p] = ReadAll(p);
    }
    EXPECT_EQ(listed, tree.contents) << "every file listed once, under the path it has";
}

TEST(HostileNames, DroppedFilesAndFoldersAreListedUnderTheirRealPaths) {
    Tree tree;
    ListStore store;
    GetSearchMP3Module search(RealFileSystem(), store);
    // Files one by one, then a folder with a line break in its name.
    std::vector<std::string> dropped(tree.paths.begin(), tree.paths.begin() + 8);
    dropped.push_back(path::Join(tree.in, kFolderNames[0]));
    const FileAddReport report = DropPaths(RealFileSystem(), store, search, dropped);
    EXPECT_TRUE(report.skipped.empty());
    // The folder holds the files dropped one by one: each is listed once.
    ASSERT_EQ(report.added, 8);
    ASSERT_EQ(store.RowCount(), 9);
    for (int i = 1; i < store.RowCount(); ++i) {
        const std::string& p = store.Cell(i, ListStore::kPath);
        EXPECT_EQ(ReadAll(p), tree.contents.at(p)) << p;
    }
}

TEST(HostileNames, RenameAndMoveKeepEveryRowTruthful) {
    Tree tree;
    ListStore store;
    ListFiles(store, tree.paths);
    const std::vector<Bytes> rowBytes = RowBytes(store);
    // The storage folder is hostile too.
    const std::string storage = tree.dir.MakeFolder("-st\nore\xFF" + kNfdGa) + path::kSeparator;
    Settings settings = TestSettings(storage);
    settings.nameFillBlanks = true;  // the blank title takes "Unknown"
    settings.folderFillBlanks = true;
    settings.FileMoveText = "アーティスト\\アルバム\\曲名\\";

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        std::vector<ListStore::Row> before = FileRows(store);
        RunRenameBatch(store, settings, RealFileSystem());
        ExpectRowsTellTheTruth(store, before, true, storage);
        ExpectRowsNameTheirFiles(store, rowBytes);
        for (int i = 1; i < store.RowCount(); ++i)
            EXPECT_EQ(store.Cell(i, ListStore::kR), ListStore::kDone) << i;

        before = FileRows(store);
        RunMoveBatch(store, settings, RealFileSystem());
        ExpectRowsTellTheTruth(store, before, false, storage);
        ExpectRowsNameTheirFiles(store, rowBytes);
        for (int i = 1; i < store.RowCount(); ++i)
            EXPECT_EQ(store.Cell(i, ListStore::kM), ListStore::kDone) << i;
    }
    EXPECT_EQ(Snapshot(tree.in).size(), 0u) << "every file left the input folders";
    EXPECT_EQ(Snapshot(storage).size(), tree.paths.size());
}

// A file system that takes only UTF-8 names (a network share, say) refuses the others: those
// rows get "×" and the reason, the rest go on.
TEST(HostileNames, NamesTheFileSystemRefusesGetATruthfulMark) {
    Tree tree;
    FaultFileSystem fs;
    fs.Refuse(FsOp::kRenameFile, "\xFF", EILSEQ);
    fs.Refuse(FsOp::kRenameFile, "\xC3\x28", EILSEQ);
    ListStore store;
    ListFiles(store, tree.paths);
    const std::vector<Bytes> rowBytes = RowBytes(store);
    const std::vector<ListStore::Row> before = FileRows(store);
    Settings settings = TestSettings();
    settings.nameFillBlanks = true;
    RunRenameBatch(store, settings, fs);
    ExpectRowsTellTheTruth(store, before, true, {});
    ExpectRowsNameTheirFiles(store, rowBytes);
    int refused = 0;
    for (int i = 1; i < store.RowCount(); ++i) {
        const std::string& old = before[static_cast<std::size_t>(i - 1)][ListStore::kPath];
        const bool bad =
            old.find('\xFF') != std::string::npos || old.find("\xC3\x28") != std::string::npos;
        EXPECT_EQ(store.Cell(i, ListStore::kR), bad ? ListStore::kRefused : ListStore::kDone)
            << old;
        if (bad) {
            ++refused;
            EXPECT_EQ(store.Cell(i, ListStore::kNewName),
                      std::string(kFailedPrefix) + MakeSystemError("", "", EILSEQ).reason);
        }
    }
    EXPECT_EQ(refused, 8 + 5);  // the folder of bad bytes, and one bad file in each other folder
}

// A move keeps the file's own name, and numbers it on a clash; a name of the full 255 bytes has
// no room for the number, and the refusal says so rather than touching either file.
TEST(HostileNames, AFullLengthNameThatClashesIsRefusedTruthfully) {
    TempDir dir;
    const std::string name = std::string(251, 'f') + ".mp3";
    const Bytes mine = SongBytes(Song{"t", "A", "B", 1, 1});
    const Bytes theirs = SongBytes(Song{"t", "A", "B", 1, 2});
    const std::string p = dir.Write("in" + std::string(1, path::kSeparator) + name, mine);
    const std::string taken = dir.Write("Music" + std::string(1, path::kSeparator) + "A" +
                                            path::kSeparator + "B" + path::kSeparator + name,
                                        theirs);
    ListStore store;
    ListFiles(store, {p});
    std::vector<Error> refusals;
    BatchCallbacks cb;
    cb.rowRefused = [&](int, const Error& e) { refusals.push_back(e); };
    RunMoveBatch(store, TestSettings((dir / "Music") + path::kSeparator), RealFileSystem(), cb);
    EXPECT_EQ(store.Cell(1, ListStore::kM), ListStore::kRefused);
    EXPECT_EQ(store.Cell(1, ListStore::kPath), p);
    ASSERT_EQ(refusals.size(), 1u);
    EXPECT_EQ(refusals[0].kind, ErrorKind::kInvalidName) << refusals[0].Message();
    EXPECT_EQ(ReadAll(p), mine);
    EXPECT_EQ(ReadAll(taken), theirs);
}

}  // namespace
}  // namespace tagwright::test
