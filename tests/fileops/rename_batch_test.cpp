#include "fileops/rename_batch.h"

#include <gtest/gtest.h>

#include "fileops_fixture.h"
#include "support/fault_file_system.h"

namespace tagwright::test {
namespace {

struct RenameFixture : ::testing::Test {
    TempDir dir;
    Settings settings = TestSettings();
    ListStore store;

    std::string Put(const std::string& name, const Song& song) {
        return dir.Write(name, SongBytes(song));
    }
    void Run(FileSystem& fs = RealFileSystem(), const BatchCallbacks& cb = {}) {
        RunRenameBatch(store, settings, fs, cb);
    }
};

TEST(FolderOfPath, KeepsTheLastSeparator) {
    const std::string s(1, path::kSeparator);
    EXPECT_EQ(TagR::FolderOfPath("a" + s + "b" + s + "c.mp3"), "a" + s + "b" + s);
    EXPECT_EQ(TagR::FolderOfPath(s + "c.mp3"), s);
    EXPECT_EQ(TagR::FolderOfPath("c.mp3"), "");
    EXPECT_EQ(TagR::FolderOfPath(""), "");
}

TEST_F(RenameFixture, EmptyListOrPlaceholderTouchesNothingAndShowsNoProgress) {
    int calls = 0;
    BatchCallbacks cb;
    cb.progressVisible = [&](bool) { ++calls; };
    Run(RealFileSystem(), cb);
    store.AppendFileRow("", 0, "");  // the placeholder row
    Run(RealFileSystem(), cb);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(store.Cell(1, kR), "");
}

TEST_F(RenameFixture, RenamesNumbersPastTakenNamesAndLeavesOthersAlone) {
    const std::string a = Put("a.mp3", {"B", "x", "y", 1, 1});
    const std::string b = Put("B.mp3", {"other", "x", "y", 1, 2});
    const std::string b0 = Put("B(0).mp3", {"other", "x", "y", 1, 3});
    const std::string same = Put("C.mp3", {"C", "x", "y", 1, 4});
    const auto before = Snapshot(dir.path());
    ListFiles(store, {a, same});
    Run();

    EXPECT_EQ(store.Cell(1, kR), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, kNew), "B(1).mp3");
    EXPECT_EQ(store.Cell(1, kPath), dir / "B(1).mp3");
    EXPECT_EQ(ReadAll(dir / "B(1).mp3"), before.at(a));
    EXPECT_EQ(ReadAll(b), before.at(b));
    EXPECT_EQ(ReadAll(b0), before.at(b0));
    // A name that is already right stays, without a number.
    EXPECT_EQ(store.Cell(2, kR), ListStore::kDone);
    EXPECT_EQ(store.Cell(2, kNew), "C.mp3");
    EXPECT_EQ(store.Cell(2, kPath), same);
}

TEST_F(RenameFixture, SecondClickMovesNewNameIntoFileNameAndKeepsANumberedFileInPlace) {
    const std::string a = Put("a.mp3", {"B", "x", "y", 1, 1});
    Put("B.mp3", {"other", "x", "y", 1, 2});
    ListFiles(store, {a});
    Run();
    ASSERT_EQ(store.Cell(1, kNew), "B(0).mp3");
    EXPECT_EQ(store.Cell(1, kName), "a.mp3");

    Run();  // B.mp3 is still taken; the file already is B(0).mp3 and must not wander to B(1)
    EXPECT_EQ(store.Cell(1, kR), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, kName), "B(0).mp3");
    EXPECT_EQ(store.Cell(1, kNew), "B(0).mp3");
    EXPECT_EQ(store.Cell(1, kPath), dir / "B(0).mp3");
    EXPECT_FALSE(RealFileSystem().FileExists(dir / "B(1).mp3"));
}

TEST_F(RenameFixture, BlankTagRefusesAndTheFailureTextNeverBecomesFileName) {
    const std::string a = Put("a.mp3", {"", "x", "y", 1, 1});
    ListFiles(store, {a});
    Run();
    EXPECT_EQ(store.Cell(1, kR), ListStore::kRefused);
    EXPECT_EQ(store.Cell(1, kNew), "Faild:lack of TagInfo");
    EXPECT_EQ(store.Cell(1, kName), "a.mp3");
    EXPECT_EQ(store.Cell(1, kPath), a);
    EXPECT_TRUE(RealFileSystem().FileExists(a));

    settings.nameFillBlanks = true;  // the title becomes "Unknown"
    Run();
    EXPECT_EQ(store.Cell(1, kR), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, kName), "a.mp3");
    EXPECT_EQ(store.Cell(1, kNew), "Unknown.mp3");
}

// A name that is empty once made safe would give the hidden file ".mp3"; it is refused with its
// reason whether the rule, a default text or the tag value emptied it.
TEST_F(RenameFixture, ANameThatComesOutEmptyIsRefusedNotHidden) {
    struct Case {
        const char* name;
        std::string rule, title, defaultTitle;
        bool fillBlanks;
    };
    const Case cases[] = {
        {"RuleCleared", "", "T", "Unknown", false},
        {"DefaultTextEmptied", "曲名", "", "", true},
        {"ControlCharactersOnly", "曲名", "\x01\x7F", "Unknown", false},
        {"ControlCharactersFilled", "曲名", "\x1F", "Unknown", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.ResetFileList();
        settings.FileNameSetting = c.rule;
        settings.nameFillBlanks = c.fillBlanks;
        settings.Text1[0] = c.defaultTitle;
        const std::string a = Put(std::string(c.name) + ".mp3", {c.title, "x", "y", 1, 1});
        ListFiles(store, {a});
        Run();
        EXPECT_EQ(store.Cell(1, kR), ListStore::kRefused);
        EXPECT_EQ(store.Cell(1, kNew), "Faild:The new name is empty");
        EXPECT_EQ(store.Cell(1, kPath), a);
        EXPECT_TRUE(RealFileSystem().FileExists(a));
        EXPECT_FALSE(RealFileSystem().FileExists(dir / ".mp3"));
    }
}

TEST_F(RenameFixture, RefusalsAreMarkedWithTheOsReasonAndTheBatchGoesOn) {
    const std::string locked = Put("locked.mp3", {"L", "x", "y", 1, 1});
    const std::string gone = Put("gone.mp3", {"G", "x", "y", 1, 2});
    const std::string unreadable = Put("unreadable.mp3", {"U", "x", "y", 1, 3});
    const std::string fine = Put("fine.mp3", {"F", "x", "y", 1, 4});
    ListFiles(store, {locked, gone, unreadable, fine});
    std::filesystem::remove(gone);
    FaultFileSystem fs;
    fs.Refuse(FsOp::kRenameFile, "locked", EACCES);
    fs.Refuse(FsOp::kOpenRead, "unreadable", EBUSY);
    // A refused prior rename must not move its failure text into FileName later either.
    store.RecordRename(
        4, Error{"rename", fine, "Permission denied", EACCES, ErrorKind::kPermissionDenied});
    Run(fs);

    struct Expect {
        int row;
        std::string newName, path;
    };
    const auto failed = [](int code) { return "Faild:" + MakeSystemError("", "", code).reason; };
    for (const Expect& e : {Expect{1, failed(EACCES), locked}, Expect{2, "", gone},
                            Expect{3, failed(EBUSY), unreadable}}) {
        SCOPED_TRACE(e.row);
        EXPECT_EQ(store.Cell(e.row, kR), ListStore::kRefused);
        if (e.newName.empty()) {  // the OS's own words for a missing file
            EXPECT_EQ(store.Cell(e.row, kNew).rfind("Faild:", 0), 0u);
            EXPECT_GT(store.Cell(e.row, kNew).size(), 6u);
        } else {
            EXPECT_EQ(store.Cell(e.row, kNew), e.newName);
        }
        EXPECT_EQ(store.Cell(e.row, kPath), e.path);
        EXPECT_EQ(store.Cell(e.row, kName), path::FileName(e.path));
    }
    EXPECT_TRUE(RealFileSystem().FileExists(locked));
    EXPECT_EQ(store.Cell(4, kR), ListStore::kDone);
    EXPECT_EQ(store.Cell(4, kPath), dir / "F.mp3");
    EXPECT_EQ(store.Cell(4, kName), "fine.mp3");
}

// A file that cannot be read is refused with the reason, whichever tags the rule reads: blank
// fields from an unread tag must never name a file.
TEST_F(RenameFixture, UnreadableFileIsRefusedWhateverTheTagSource) {
    int n = 0;
    for (const auto source : {Settings::TagSource::kId3v1Only, Settings::TagSource::kId3v2Only,
                              Settings::TagSource::kBoth}) {
        SCOPED_TRACE(n);
        store = ListStore();
        const std::string p = Put("u" + std::to_string(++n) + ".mp3", {"T", "A", "B", 1, n});
        ListFiles(store, {p});
        settings.tagSource = source;
        settings.nameFillBlanks = true;  // blanks would otherwise become default names
        FaultFileSystem fs;
        fs.Refuse(FsOp::kRead, "", EIO);
        Run(fs);
        EXPECT_EQ(store.Cell(1, kR), ListStore::kRefused);
        EXPECT_EQ(store.Cell(1, kNew), "Faild:" + MakeSystemError("", "", EIO).reason);
        EXPECT_TRUE(RealFileSystem().FileExists(p));
    }
}

// The target appears between any check and the rename: the no-replace answer decides.
struct NameIntruderFileSystem : ForwardingFileSystem {
    std::string intruder;
    Result<void> RenameFile(const std::string& p, const std::string& n,
                            const FileIdentity& id) override {
        if (!intruder.empty()) {
            const std::string at = path::Join(path::ParentFolder(p), n);
            ForwardingFileSystem::WriteFile(at, B("intruder")).ThrowIfError();
            intruder.clear();
        }
        return ForwardingFileSystem::RenameFile(p, n, id);
    }
};

TEST_F(RenameFixture, NameTakenAtTheLastMomentIsNeverOverwritten) {
    const std::string a = Put("a.mp3", {"B", "x", "y", 1, 1});
    ListFiles(store, {a});
    NameIntruderFileSystem fs;
    fs.intruder = "yes";
    Run(fs);
    EXPECT_EQ(store.Cell(1, kNew), "B(0).mp3");
    EXPECT_EQ(ReadAll(dir / "B.mp3"), B("intruder"));
}

struct AllTakenFileSystem : ForwardingFileSystem {
    int attempts = 0;
    Result<void> RenameFile(const std::string& p, const std::string&,
                            const FileIdentity&) override {
        ++attempts;
        return MakeSystemError("rename", p, EEXIST);
    }
};

TEST_F(RenameFixture, AllNumberedNamesTakenIsARefusal) {
    const std::string a = Put("a.mp3", {"B", "x", "y", 1, 1});
    ListFiles(store, {a});
    AllTakenFileSystem fs;
    Run(fs);
    EXPECT_EQ(fs.attempts, 10002);  // B.mp3, then B(0).mp3 .. B(10000).mp3
    EXPECT_EQ(store.Cell(1, kR), ListStore::kRefused);
    EXPECT_EQ(store.Cell(1, kNew), "Faild:" + MakeSystemError("", "", EEXIST).reason);
    EXPECT_EQ(store.Cell(1, kPath), a);
}

TEST_F(RenameFixture, HostileTitlesStayInTheirFolderWithLowerCaseExtension) {
    const std::vector<std::string> titles = {"../../escape", "a/b", "..", "con", "x\\y"};
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < titles.size(); ++i)
        paths.push_back(Put("f" + std::to_string(i) + ".MP3", {titles[i], "x", "y", 1, int(i)}));
    ListFiles(store, paths);
    Run();
    for (int row = 1; row <= static_cast<int>(titles.size()); ++row) {
        SCOPED_TRACE(store.Cell(row, kNew));
        EXPECT_EQ(store.Cell(row, kR), ListStore::kDone);
        EXPECT_EQ(path::ParentFolder(store.Cell(row, kPath)), dir.path());
        EXPECT_TRUE(RealFileSystem().FileExists(store.Cell(row, kPath)));
        EXPECT_EQ(store.Cell(row, kNew).substr(store.Cell(row, kNew).size() - 4), ".mp3");
    }
    EXPECT_EQ(Snapshot(dir.path()).size(), titles.size());
}

TEST_F(RenameFixture, ProgressFollowsTheRowsAndEachRowIsReported) {
    ListFiles(store, {Put("a.mp3", {"A", "x", "y", 1, 1}), Put("b.mp3", {"B", "x", "y", 1, 2})});
    std::vector<std::string> events;
    BatchCallbacks cb;
    cb.progressVisible = [&](bool v) { events.push_back(v ? "show" : "hide"); };
    cb.progressMaximum = [&](int m) { events.push_back("max" + std::to_string(m)); };
    cb.progressValue = [&](int v) { events.push_back("value" + std::to_string(v)); };
    cb.rowFinished = [&](int r) { events.push_back("row" + std::to_string(r)); };
    Run(RealFileSystem(), cb);
    EXPECT_EQ(events, (std::vector<std::string>{"show", "value0", "max3", "row1", "value1", "row2",
                                                "value2", "hide"}));
}

}  // namespace
}  // namespace tagwright::test
