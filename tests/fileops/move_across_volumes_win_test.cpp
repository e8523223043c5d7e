// Moves to another volume. TAGWRIGHT_SECOND_VOLUME names a folder there (under wine, a drive
// letter mapped onto a tmpfs); without it these tests are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "fileops/move_batch.h"
#include "fileops_fixture.h"

namespace tagwright::test {
namespace {

struct AcrossVolumes : ::testing::Test {
    TempDir dir;
    std::string other;
    void SetUp() override {
        const char* volume = std::getenv("TAGWRIGHT_SECOND_VOLUME");
        if (volume == nullptr || *volume == '\0')
            GTEST_SKIP() << "TAGWRIGHT_SECOND_VOLUME is not set";
        other = std::string(volume) + "\\tagwright-" + std::to_string(::GetCurrentProcessId());
        std::filesystem::create_directories(U8Path(other));
    }
    void TearDown() override {
        if (!other.empty())
            std::filesystem::remove_all(U8Path(other));
    }
    std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::recursive_directory_iterator(U8Path(folder)))
            out.push_back(U8String(e.path().filename()));
        return out;
    }
};

TEST_F(AcrossVolumes, CopiesThenRemovesTheSourceAndLeavesNoTemporary) {
    const std::string a = dir.Write("in\\a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    const Bytes bytes = ReadAll(a);
    ListStore store;
    ListFiles(store, {a});
    RunMoveBatch(store, TestSettings(other + "\\"), RealFileSystem());
    ASSERT_EQ(store.Cell(1, ListStore::kM), ListStore::kDone);
    EXPECT_EQ(store.Cell(1, ListStore::kPath), other + "\\A\\B\\a.mp3");
    EXPECT_EQ(ReadAll(other + "\\A\\B\\a.mp3"), bytes);
    EXPECT_FALSE(RealFileSystem().FileExists(a));
    EXPECT_EQ(Names(other), (std::vector<std::string>{"A", "B", "a.mp3"}));
    EXPECT_EQ(Names(dir / "in"), std::vector<std::string>{});
}

// Another program holds the source open with delete sharing: a delete would only mark it, and
// it would live on beside its copy. The row says "×" and the source stays alone.
TEST_F(AcrossVolumes, ASourceHeldOpenStaysAndTheRowSaysWhy) {
    const std::string a = dir.Write("in\\a.mp3", SongBytes({"T", "A", "B", 1, 1}));
    const Bytes bytes = ReadAll(a);
    HANDLE held = ::CreateFileW(U8Path(a).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ListStore store;
    ListFiles(store, {a});
    Error refusal;
    BatchCallbacks cb;
    cb.rowRefused = [&](int, const Error& e) { refusal = e; };
    RunMoveBatch(store, TestSettings(other + "\\"), RealFileSystem(), cb);
    ::CloseHandle(held);
    EXPECT_EQ(store.Cell(1, ListStore::kM), ListStore::kRefused);
    EXPECT_EQ(refusal.kind, ErrorKind::kInUse) << refusal.Message();
    EXPECT_EQ(store.Cell(1, ListStore::kPath), a);
    EXPECT_EQ(ReadAll(a), bytes);
    EXPECT_EQ(Names(dir / "in"), std::vector<std::string>{"a.mp3"});
    EXPECT_EQ(Names(other), (std::vector<std::string>{"A", "B"}));
}

}  // namespace
}  // namespace tagwright::test
