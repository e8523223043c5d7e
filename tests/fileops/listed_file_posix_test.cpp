// A batch acts on the file its row listed, and only on it: races forced at the steps where
// another program could swap names, links, FIFOs, long names, and what a copy across devices
// keeps.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "fileops/batch_plan.h"
#include "fileops/move_batch.h"
#include "fileops/rename_batch.h"
#include "fileops_fixture.h"

namespace tagwright::test {
namespace {

namespace fs = std::filesystem;

// Installs a step hook for one test.
struct HookGuard {
    explicit HookGuard(FsStepHook hook) { SetFsStepHook(std::move(hook)); }
    ~HookGuard() { SetFsStepHook({}); }
};

// Files under `root` left behind under a temporary name.
std::vector<std::string> Temporaries(const std::string& root) {
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (e.path().filename().string().rfind(".tagwright-", 0) == 0)
            out.push_back(e.path().string());
    }
    return out;
}

struct ListedFile : ::testing::Test {
    TempDir dir;
    ListStore store;
    std::map<int, Error> refusals;
    BatchCallbacks cb;
    ListedFile() {
        cb.rowRefused = [this](int row, const Error& e) { refusals[row] = e; };
    }
    void Run(bool rename, const std::string& storage) {
        const Settings settings = TestSettings(storage);
        if (rename) {
            RunRenameBatch(store, settings, RealFileSystem(), cb);
        } else {
            RunMoveBatch(store, settings, RealFileSystem(), cb);
        }
    }
};

// A folder on another file system (/dev/shm), removed afterwards.
struct AcrossDevices : ListedFile {
    std::string other;
    void SetUp() override {
        struct stat here {
        }, shm{};
        if (::stat(dir.path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
            here.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
            GTEST_SKIP() << "no second file system to move to";
        }
        other = "/dev/shm/tagwright-listed-" + std::to_string(::getpid());
        fs::create_directory(other);
    }
    void TearDown() override {
        if (!other.empty())
            fs::remove_all(other);
    }
};

TEST_F(AcrossDevices, SourceSwappedDuringTheCopyIsNeverTheOneRemoved) {
    const std::string a = dir.Write("in/a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    const Bytes mine = ReadAll(a);
    ListFiles(store, {a});
    HookGuard hook([&](FsStep step, const std::string&) {
        if (step != FsStep::kCopyInPlace)
            return;
        fs::rename(a, dir / "in/renamed.mp3");
        dir.Write("in/a.mp3", "someone else's");
    });
    Run(false, other + "/");
    EXPECT_EQ(store.Cell(1, ListStore::kM), ListStore::kRefused);
    EXPECT_EQ(refusals[1].kind, ErrorKind::kFileChanged);
    EXPECT_EQ(ReadAll(a), B("someone else's"));
    EXPECT_EQ(ReadAll(dir / "in/renamed.mp3"), mine);
    EXPECT_TRUE(Snapshot(other).empty()) << "the copy is removed again";
    EXPECT_TRUE(Temporaries(dir.path()).empty());
}

TEST_F(AcrossDevices, EachTakenNameCostsARenameNotACopy) {
    const std::string a = dir.Write("in/a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    const Bytes mine = ReadAll(a);
    ListFiles(store, {a});
    fs::create_directories(other + "/A/B");
    for (int n = -1; n < 30; ++n) {
        const std::string name = n < 0 ? "a.mp3" : NumberedName("a", n);
        std::ofstream(other + "/A/B/" + name) << "taken";
    }
    int copies = 0;
    HookGuard hook([&](FsStep step, const std::string&) { copies += step == FsStep::kCopyMade; });
    Run(false, other + "/");
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(store.Cell(1, ListStore::kPath), other + "/A/B/a(30).mp3");
    EXPECT_EQ(ReadAll(other + "/A/B/a(30).mp3"), mine);
    EXPECT_FALSE(RealFileSystem().FileExists(a));
    EXPECT_TRUE(Temporaries(other).empty());
}

TEST_F(AcrossDevices, KeepsModeTimesOwnerAndAttributesAsMvDoes) {
    const std::string a = dir.Write("in/a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    ListFiles(store, {a});
    const mode_t oldMask = ::umask(022);
    ASSERT_EQ(::chmod(a.c_str(), 0666), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, a.c_str(), times, 0), 0);
    const bool owner = ::geteuid() == 0 && ::chown(a.c_str(), 1234, 4321) == 0;
    // Extended attributes count only where both file systems keep user attributes.
    const std::string probe = other + "/probe";
    std::ofstream(probe) << "";
    const bool attributes = ::setxattr(a.c_str(), "user.tagwright", "v1", 2, 0) == 0 &&
                            ::setxattr(probe.c_str(), "user.tagwright", "v", 1, 0) == 0;
    fs::remove(probe);
    Run(false, other + "/");
    ::umask(oldMask);
    ASSERT_EQ(store.Cell(1, ListStore::kM), ListStore::kDone);
    struct stat st {};
    ASSERT_EQ(::stat(store.Cell(1, ListStore::kPath).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(st.st_mtim.tv_nsec, 500);
    if (owner) {
        EXPECT_EQ(st.st_uid, 1234u);
        EXPECT_EQ(st.st_gid, 4321u);
    }
    if (attributes) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(store.Cell(1, ListStore::kPath).c_str(), "user.tagwright", value,
                             sizeof value),
                  2);
        EXPECT_STREQ(value, "v1");
    }
}

TEST_F(AcrossDevices, AFifoIsRefusedWithoutHanging) {
    const std::string f = dir / "f.mp3";
    ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0);
    auto r = RealFileSystem().MoveFile(f, {}, other, OneName("f.mp3"));
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error().kind, ErrorKind::kNotRegularFile);
    EXPECT_TRUE(fs::is_fifo(f));
    EXPECT_TRUE(Snapshot(other).empty());
    EXPECT_TRUE(Temporaries(other).empty());
}

// The longest name the tool composes still moves across devices and still goes through its
// temporary name in a rename that meets the file itself.
TEST_F(AcrossDevices, TemporaryNamesFitBesideTheLongestComposedName) {
    const std::string longName = std::string(244, 'x') + ".mp3";
    const std::string a = dir.Write("in/" + longName, SongBytes({"T", "A", "B", 1, 1}));
    const std::string twin = std::string(244, 'y') + ".mp3";
    ASSERT_EQ(::link(a.c_str(), (dir / ("in/" + twin)).c_str()), 0);
    auto renamed = RealFileSystem().RenameFile(a, twin, {});
    ASSERT_FALSE(renamed.ok());
    EXPECT_EQ(renamed.error().kind, ErrorKind::kAlreadyExists) << renamed.error().Message();
    auto moved = RealFileSystem().MoveFile(a, {}, other, OneName(longName));
    ASSERT_TRUE(moved.ok()) << moved.error().Message();
    EXPECT_EQ(*moved, longName);
    EXPECT_TRUE(fs::exists(other + "/" + longName));
    EXPECT_FALSE(fs::exists(a));
}

// A listed link moves as a link that still reaches its file; the file itself stays put and
// exists once.
TEST_F(AcrossDevices, ALinkMovesAsALinkThatStillPointsAtItsFile) {
    const std::string real = dir.Write("real/x.mp3", SongBytes({"T", "A", "B", 1, 1}));
    const Bytes bytes = ReadAll(real);
    for (const bool sameDevice : {true, false}) {
        SCOPED_TRACE(sameDevice ? "same device" : "other device");
        const std::string storage = sameDevice ? dir.MakeFolder("Music") : other;
        const std::string link = dir / "in/l.mp3";
        fs::create_directories(dir / "in");
        fs::create_symlink("../real/x.mp3", link);
        ListStore rows;
        ListFiles(rows, {link});
        RunMoveBatch(rows, TestSettings(storage + "/"), RealFileSystem(), cb);
        ASSERT_EQ(rows.Cell(1, ListStore::kM), ListStore::kDone);
        const std::string moved = rows.Cell(1, ListStore::kPath);
        EXPECT_EQ(moved, storage + "/A/B/l.mp3");
        EXPECT_TRUE(fs::is_symlink(moved));
        // The link is made anew: the row lists the new one.
        EXPECT_EQ(rows.Identity(1), *RealFileSystem().IdentifyFile(moved));
        EXPECT_EQ(ReadAll(moved), bytes);
        EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
        EXPECT_EQ(ReadAll(real), bytes);
        fs::remove_all(storage + "/A");
    }
}

// A link and the file it names, with the same tags: the link takes the name as an entry of its
// own, so the file is numbered. The preview must say so, not give both the one name.
TEST(PlanPosix, ALinkAndItsFileAreNamedAsTheRenameNamesThem) {
    TempDir dir;
    const std::string file = dir.Write("f.mp3", SongBytes({"s", "A", "Al", 1, 1}));
    ASSERT_EQ(::symlink("f.mp3", (dir / "l.mp3").c_str()), 0);
    ListStore store;
    ListFiles(store, {dir / "l.mp3", file});
    const Settings settings = TestSettings();
    const BatchPlan plan = PlanRename(store, settings, RealFileSystem());
    RunRenameBatch(store, settings, RealFileSystem(), {});
    ASSERT_EQ(plan.lines.size(), 2u);
    EXPECT_EQ(plan.lines[0].newPath, dir / "s.mp3");
    EXPECT_EQ(plan.lines[1].newPath, dir / "s(0).mp3");
    for (int row = 1; row <= 2; ++row)
        EXPECT_EQ(plan.lines[row - 1].newPath, store.Cell(row, ListStore::kPath));
}

// After listing, the name is given to another file: neither batch touches that file or the
// one that was listed.
TEST_F(ListedFile, AFileSwappedInAfterListingIsLeftAlone) {
    for (const bool rename : {true, false}) {
        SCOPED_TRACE(rename ? "rename" : "move");
        const std::string a = dir.Write("in/a.mp3", SongBytes({"T", "A", "B", 1, 1}));
        const Bytes mine = ReadAll(a);
        ListStore rows;
        ListFiles(rows, {a});
        fs::rename(a, dir / "in/z.mp3");
        dir.Write("in/a.mp3", SongBytes({"U", "C", "D", 1, 2}));
        const Bytes theirs = ReadAll(a);
        store = std::move(rows);
        refusals.clear();
        Run(rename, dir / "Music/");
        EXPECT_EQ(store.Cell(1, rename ? ListStore::kR : ListStore::kM), ListStore::kRefused);
        EXPECT_EQ(refusals[1].kind, ErrorKind::kFileChanged);
        EXPECT_EQ(refusals[1].reason, kFileChangedReason);
        EXPECT_EQ(ReadAll(a), theirs);
        EXPECT_EQ(ReadAll(dir / "in/z.mp3"), mine);
        EXPECT_EQ(Snapshot(dir / "in").size(), 2u);
        fs::remove_all(dir / "in");
    }
}

// Swaps another file in under the listed name just before the checked rename or move, after
// the batch's own check: the file system's check after its step must undo it.
struct SwapBeforeStep : ForwardingFileSystem {
    std::function<void()> swap;
    Result<void> RenameCheckedFile(const std::string& p, const std::string& n,
                                   const FileIdentity& id) override {
        swap();
        return RealFileSystem().RenameCheckedFile(p, n, id);
    }
    Result<std::string> MoveCheckedFile(const std::string& p, const FileIdentity& id,
                                        const std::string& d, const NameCandidates& n,
                                        FileIdentity* movedAs = nullptr) override {
        swap();
        return RealFileSystem().MoveCheckedFile(p, id, d, n, movedAs);
    }
};

TEST_F(ListedFile, AFileSwappedInAfterTheBatchsCheckIsPutBack) {
    for (const bool rename : {true, false}) {
        SCOPED_TRACE(rename ? "rename" : "move");
        const std::string a = dir.Write("in/a.mp3", SongBytes({"T", "A", "B", 1, 1}));
        const Bytes mine = ReadAll(a);
        const Bytes theirs = SongBytes({"U", "C", "D", 1, 2});
        ListStore rows;
        ListFiles(rows, {a});
        SwapBeforeStep swapper;
        swapper.swap = [&] {
            fs::rename(a, dir / "in/z.mp3");
            dir.Write("in/a.mp3", theirs);
        };
        refusals.clear();
        const Settings settings = TestSettings(dir / "Music/");
        if (rename) {
            RunRenameBatch(rows, settings, swapper, cb);
        } else {
            RunMoveBatch(rows, settings, swapper, cb);
        }
        EXPECT_EQ(rows.Cell(1, rename ? ListStore::kR : ListStore::kM), ListStore::kRefused);
        EXPECT_EQ(refusals[1].kind, ErrorKind::kFileChanged);
        EXPECT_EQ(ReadAll(a), theirs);
        EXPECT_EQ(ReadAll(dir / "in/z.mp3"), mine);
        EXPECT_EQ(Snapshot(dir / "in").size(), 2u);
        EXPECT_TRUE(!fs::exists(dir / "Music") || Snapshot(dir / "Music").empty());
        fs::remove_all(dir / "in");
    }
}

// A rename whose target is another link to the file itself goes through a temporary name.
// Another file takes the old name meanwhile: the put-back fails, and the row says where the
// file is now, while the other file is never renamed.
TEST_F(ListedFile, AFailedPutBackIsReportedWithTheFilesRealPath) {
    const std::string a = dir.Write("a.mp3", SongBytes({"b", "A", "B", 1, 1}));
    const Bytes mine = ReadAll(a);
    ASSERT_EQ(::link(a.c_str(), (dir / "b.mp3").c_str()), 0);
    ListFiles(store, {a});
    HookGuard hook([&](FsStep step, const std::string&) {
        if (step == FsStep::kTemporaryName)
            dir.Write("a.mp3", "squatter");
    });
    Run(true, {});
    EXPECT_EQ(store.Cell(1, ListStore::kR), ListStore::kRefused);
    EXPECT_EQ(refusals[1].kind, ErrorKind::kStranded);
    const std::string now = store.Cell(1, ListStore::kPath);
    EXPECT_NE(now, a);
    EXPECT_EQ(ReadAll(now), mine);
    EXPECT_EQ(ReadAll(a), B("squatter"));
    EXPECT_EQ(ReadAll(dir / "b.mp3"), mine);
    EXPECT_FALSE(fs::exists(dir / "b(0).mp3"));
}

}  // namespace
}  // namespace tagwright::test
