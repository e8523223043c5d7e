#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include "fileops/journal.h"
#include "fileops/journaled_file_system.h"
#include "fileops/move_batch.h"
#include "fileops/undo.h"
#include "fileops_fixture.h"

namespace tagwright::test {
namespace {

std::string FileText(const std::string& file) {
    std::ifstream in(U8Path(file), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The lines of the only journal in `state`, its first (the batch's, which holds the time) left
// out.
std::vector<std::string> RecordsAfterHead(const std::string& state) {
    const std::vector<std::string> files = JournalFiles(RealFileSystem(), state);
    EXPECT_EQ(files.size(), 1u);
    std::vector<std::string> lines;
    std::istringstream in(files.empty() ? std::string() : FileText(files[0]));
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (!lines.empty())
        lines.erase(lines.begin());
    return lines;
}

// Journals written by earlier versions must read the same, and each kind of record must stay
// as they wrote it: keys sorted, JSON escapes, and a path that is not UTF-8 kept in hex.
TEST(JournalRecords, KeepTheirText) {
    const FileIdentity big{18446744073709551615ull, 9223372036854775808ull};
    const struct {
        const char* name;
        std::function<Result<void>(BatchJournal&)> write;
        const char* text;
    } cases[] = {
        {"try", [&](BatchJournal& j) { return j.Try("/a/\"q\"\\.mp3", "/b/曲.mp3", big); },
         R"({"dev":18446744073709551615,"from":"/a/\"q\"\\.mp3","ino":9223372036854775808,)"
         R"("rec":"try","to":"/b/曲.mp3"})"},
        {"step", [](BatchJournal& j) { return j.Step("/a\t\x01", "/b", {}); },
         R"({"dev":0,"from":"/a\t\u0001","ino":0,"rec":"step","to":"/b"})"},
        {"tmp", [](BatchJournal& j) { return j.Temporary("/a\xff", "/t\xc3"); },
         R"({"fromHex":"2f61ff","rec":"tmp","tmpHex":"2f74c3"})"},
        {"aside", [](BatchJournal& j) { return j.Aside("/a", "/s\x80"); },
         R"({"asideHex":"2f7380","from":"/a","rec":"aside"})"},
        {"refused", [](BatchJournal& j) { return j.Refused("/a"); },
         R"({"from":"/a","rec":"refused"})"},
        {"recovered", [](BatchJournal& j) { return j.Recovered(); }, R"({"rec":"recovered"})"},
        {"folder", [](BatchJournal& j) { return j.Folder("/f/\xed\xa0\x80"); },
         R"({"pathHex":"2f662feda080","rec":"folder"})"},
        {"undid", [](BatchJournal& j) { return j.Undid("/a\xc0\xaf", "/b\xef\xbf\xbd"); },
         R"({"fromHex":"2f61c0af","rec":"undid","to":"/b�"})"},
        {"undone", [](BatchJournal& j) { return j.Undone(); }, R"({"rec":"undone"})"},
        // Past U+10FFFF and cut short: neither is UTF-8.
        {"odd bytes", [](BatchJournal& j) { return j.Undid("\xf4\x90\x80\x80", "\xe3\x81"); },
         R"({"fromHex":"f4908080","rec":"undid","toHex":"e381"})"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto journal = BatchJournal::Begin(RealFileSystem(), dir / "state", "move");
        ASSERT_TRUE(journal.ok());
        ASSERT_TRUE(c.write(**journal).ok());
        journal->reset();
        EXPECT_EQ(RecordsAfterHead(dir / "state"), std::vector<std::string>{c.text});
    }
}

TEST(JournalRecords, TheBatchRecordKeepsItsText) {
    TempDir dir;
    auto journal = BatchJournal::Begin(RealFileSystem(), dir / "state", "rename");
    ASSERT_TRUE(journal.ok());
    const std::string id = (*journal)->Id();
    journal->reset();
    const std::string text = FileText(JournalFiles(RealFileSystem(), dir / "state").at(0));
    const std::string start = R"({"batch":")" + id + R"(","kind":"rename","rec":"batch","time":")";
    EXPECT_EQ(text.substr(0, start.size()), start);
    // "2026-12-07T13:04:01Z" and the closing brace.
    EXPECT_EQ(text.size(), start.size() + 20 + 3) << text;
    EXPECT_EQ(text.substr(text.size() - 4), "Z\"}\n") << text;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A step waits for the next record, and whatever comes next, it comes first.
TEST(JournalHeldStep, GoesOutBeforeTheNextRecordAndAtTheClose) {
    const struct {
        const char* name;
        std::function<void(std::unique_ptr<BatchJournal>&)> next;
        std::vector<std::string> recs;  // after the step
    } cases[] = {
        {"try", [](auto& j) { (void)j->Try("/b", "/c", {}); }, {"try"}},
        {"temporary", [](auto& j) { (void)j->Temporary("/b", "/t"); }, {"tmp"}},
        {"folder", [](auto& j) { (void)j->Folder("/f"); }, {"folder"}},
        {"another step", [](auto& j) { (void)j->Step("/b", "/c", {}); }, {"step"}},
        {"sent", [](auto& j) { (void)j->SendHeld(); }, {}},
        {"close", [](auto& j) { j.reset(); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto journal = BatchJournal::Begin(RealFileSystem(), dir / "state", "rename");
        ASSERT_TRUE(journal.ok());
        ASSERT_TRUE((*journal)->Step("/a", "/b", {}).ok());
        EXPECT_EQ(RecordsAfterHead(dir / "state").size(), 0u) << "not held";
        c.next(*journal);
        std::vector<std::string> recs;
        for (const std::string& line : RecordsAfterHead(dir / "state"))
            recs.push_back(line.substr(line.find(R"("rec":")") + 7, 3));
        std::vector<std::string> want{"ste"};
        for (const std::string& r : c.recs)
            want.push_back(r.substr(0, 3));
        EXPECT_EQ(recs, want);
    }
}

// The user may leave a question open for as long as they like, or kill the program there: by
// then the journal tells every file moved, as it does once the batch is over.
TEST(JournalHeldStep, IsOnDiskWhileTheUserIsAskedAndWhenTheBatchEnds) {
    TempDir dir;
    dir.MakeFolder("store/Here/LP");
    const std::vector<std::string> files = {
        dir.Write("in/a.mp3", SongBytes({"A", "Here", "LP", 1, 1})),
        dir.Write("in/b.mp3", SongBytes({"B", "New", "LP", 1, 2})),
    };
    auto journal = BatchJournal::Begin(RealFileSystem(), dir / "state", "move");
    ASSERT_TRUE(journal.ok());
    JournaledFileSystem jfs(RealFileSystem(), **journal);
    const auto steps = [&] {
        return Count(FileText(JournalFiles(RealFileSystem(), dir / "state").at(0)),
                     R"("rec":"step")");
    };
    std::vector<std::size_t> seen;
    BatchCallbacks callbacks;
    callbacks.askCreateFolder = [&](const std::string&, const std::string&) {
        seen.push_back(steps());
        return FolderAnswer::kOk;
    };
    callbacks.progressVisible = [&](bool visible) {
        if (!visible)
            seen.push_back(steps());
    };
    ListStore store;
    ListFiles(store, files);
    Settings settings = TestSettings(dir / "store" + std::string(1, path::kSeparator));
    settings.FolderYN = true;
    RunMoveBatch(store, settings, jfs, callbacks);
    EXPECT_EQ(seen, (std::vector<std::size_t>{1, 2}));
    EXPECT_FALSE(jfs.JournalFailure());
}

// The real file system, counting the bytes read from each file.
class CountingFileSystem final : public ForwardingFileSystem {
  public:
    std::map<std::string, std::uint64_t> read;

    Result<std::unique_ptr<ByteReader>> OpenRead(const std::string& p) override {
        auto inner = m_inner.OpenRead(p);
        if (!inner.ok())
            return inner;
        return std::unique_ptr<ByteReader>(std::make_unique<Reader>(std::move(*inner), read[p]));
    }

  private:
    struct Reader final : ByteReader {
        Reader(std::unique_ptr<ByteReader> inner, std::uint64_t& count)
            : inner(std::move(inner)), count(count) {}
        Result<std::uint64_t> Size() override { return inner->Size(); }
        Result<std::size_t> ReadAt(std::uint64_t at, std::span<std::uint8_t> out) override {
            auto n = inner->ReadAt(at, out);
            count += n.ok() ? *n : 0;
            return n;
        }
        std::unique_ptr<ByteReader> inner;
        std::uint64_t& count;
    };
};

// Starts read a journal only when it may hold something to recover; one that ended cleanly is
// known by its last line. Journals of earlier versions have no end record and are read as ever.
TEST(JournalEnd, AStartReadsInFullOnlyAJournalThatDidNotEndCleanly) {
    const std::string head = R"({"batch":"1","kind":"move","rec":"batch","time":"t"})"
                             "\n";
    const std::string end = R"({"rec":"end"})"
                            "\n";
    const auto rec = [](const std::string& fields) { return "{" + fields + "}\n"; };
    const std::string tryA = rec(R"("dev":1,"from":"/a","ino":2,"rec":"try","to":"/x/a")");
    const std::string tmpA = rec(R"("from":"/a","rec":"tmp","tmp":"/x/t")");
    const std::string stepA = rec(R"("dev":1,"from":"/a","ino":3,"rec":"step","to":"/x/a")");
    const std::string undoTmp = rec(R"("from":"/x/a","rec":"tmp","tmp":"/u")");
    const struct {
        const char* name;
        std::string text;
        std::size_t moves, temporaries;
        bool readInFull;
    } cases[] = {
        {"ended", head + tryA + tmpA + stepA + end, 0, 0, false},
        {"earlier version, crashed after its copy", head + tryA + tmpA, 1, 1, true},
        {"earlier version, done", head + tryA + tmpA + stepA, 0, 1, true},
        {"ended, then an undo crashed", head + tryA + tmpA + stepA + end + undoTmp, 0, 2, true},
        {"ended, then a torn record", head + stepA + end + R"({"rec":"tmp")", 0, 0, true},
        {"ended, then undone and ended", head + stepA + end + undoTmp + end, 0, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        dir.Write("state/batch-00000000000000001.jsonl", c.text);
        CountingFileSystem fs;
        const LeftoverRecords left = ReadLeftoverRecords(fs, dir / "state");
        EXPECT_EQ(left.moves.size(), c.moves);
        EXPECT_EQ(left.temporaries.size(), c.temporaries);
        // By total: the one journal's path is spelt as the folder listing gives it.
        std::uint64_t read = 0;
        for (const auto& [path, bytes] : fs.read)
            read += bytes;
        if (c.readInFull)
            EXPECT_GE(read, c.text.size());
        else
            EXPECT_LT(read, 20u);
        EXPECT_EQ(ParseBatchJournal(c.text, RealFileSystem()).steps.size(),
                  Count(c.text, R"("rec":"step")"));
    }
}

// The end record says nothing is left to recover; a batch must not write it while that is not
// so.
TEST(JournalEnd, IsWrittenOnlyWhenNothingIsLeftHalfWay) {
    TempDir dir;
    const std::string stray = dir.Write("stray", std::string("copy"));
    const struct {
        const char* name;
        std::function<void(BatchJournal&)> writes;
        bool ended;
    } cases[] = {
        {"nothing", [](BatchJournal&) {}, true},
        {"a move done",
         [&](BatchJournal& j) {
             (void)j.Temporary("/a", stray);
             (void)j.Step("/a", "/b", {});
         },
         true},
        {"a copy gone", [](BatchJournal& j) { (void)j.Temporary("/a", "/nowhere"); }, true},
        {"a copy left", [&](BatchJournal& j) { (void)j.Temporary("/a", stray); }, false},
        {"a source left aside",
         [&](BatchJournal& j) {
             (void)j.Aside("/a", stray);
             (void)j.Refused("/a");
         },
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto journal = BatchJournal::Begin(RealFileSystem(), dir / c.name, "move");
        ASSERT_TRUE(journal.ok());
        c.writes(**journal);
        ASSERT_TRUE((*journal)->End(RealFileSystem()).ok());
        journal->reset();
        const auto batch =
            ReadBatchJournal(RealFileSystem(), JournalFiles(RealFileSystem(), dir / c.name).at(0));
        ASSERT_TRUE(batch);
        EXPECT_EQ(batch->ended, c.ended);
    }
}

// A batch and its undo each end the journal; an undo of a journal that did not end cleanly
// leaves it to be read in full.
TEST(JournalEnd, ABatchAndItsUndoEndTheJournal) {
    for (const bool ended : {true, false}) {
        SCOPED_TRACE(ended ? "batch ended" : "batch crashed");
        TempDir dir;
        const std::string state = dir / "state";
        std::vector<std::string> files;
        for (int i = 0; i < 3; ++i)
            files.push_back(dir.Write("in/f" + std::to_string(i) + ".mp3",
                                      SongBytes({"S" + std::to_string(i), "A", "B", 1, i})));
        auto journal = BatchJournal::Begin(RealFileSystem(), state, "rename");
        ASSERT_TRUE(journal.ok());
        {
            JournaledFileSystem jfs(RealFileSystem(), **journal);
            ListStore store;
            ListFiles(store, files);
            RunRenameBatch(store, TestSettings(), jfs);
        }
        journal->reset();
        const std::string file = JournalFiles(RealFileSystem(), state).at(0);
        EXPECT_EQ(ReadBatchJournal(RealFileSystem(), file)->ended, true);
        if (!ended) {
            // Cut the end off, as a crash would have left it.
            std::string text = FileText(file);
            text.resize(text.rfind('{'));
            dir.Write("state/" + path::FileName(file), text);
        }
        const UndoReport report = UndoLastBatch(RealFileSystem(), state);
        EXPECT_EQ(report.reverted.size(), 3u);
        const auto after = ReadBatchJournal(RealFileSystem(), file);
        EXPECT_TRUE(after->undone);
        EXPECT_EQ(after->ended, ended);
    }
}

}  // namespace
}  // namespace tagwright::test
