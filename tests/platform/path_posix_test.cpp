#include "platform/path.h"

#include <gtest/gtest.h>

#include <utility>

namespace tagwright {
namespace {

struct PathCase {
    const char* path;
    const char* fileName;
    const char* baseName;
    const char* parent;
};

TEST(Path, SplitsPosixPaths) {
    const PathCase cases[] = {
        {"/music/a/song.mp3", "song.mp3", "song", "/music/a"},
        {"/song.mp3", "song.mp3", "song", "/"},
        {"song.mp3", "song.mp3", "song", ""},
        {"/m/archive.tar.mp3", "archive.tar.mp3", "archive.tar", "/m"},
        {"/m/.mp3", ".mp3", "", "/m"},
        {"/m/noext", "noext", "noext", "/m"},
        {"/m//x.mp3", "x.mp3", "x", "/m"},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(path::FileName(c.path), c.fileName);
        EXPECT_EQ(path::BaseName(c.path), c.baseName);
        EXPECT_EQ(path::ParentFolder(c.path), c.parent);
    }
}

TEST(Path, JoinsWithOneSeparator) {
    EXPECT_EQ(path::Join("/a", "b"), "/a/b");
    EXPECT_EQ(path::Join("/a/", "b"), "/a/b");
    EXPECT_EQ(path::Join("/", "b"), "/b");
    EXPECT_EQ(path::WithTrailingSeparator("/a//"), "/a/");
    EXPECT_EQ(path::WithTrailingSeparator("/"), "/");
    for (const auto& [in, out] :
         {std::pair{"/a//", "/a"}, {"/", "/"}, {"//", "/"}, {"a/", "a"}, {"a", "a"}, {"", ""}})
        EXPECT_EQ(path::WithoutTrailingSeparator(in), out) << in;
    EXPECT_EQ(path::RootLength("/x"), 1u);
    EXPECT_EQ(path::RootLength("x"), 0u);
}

// Only text the file system would give back unchanged counts as clean: anything else is asked.
TEST(Path, TellsPathsAlreadyInNormalForm) {
    const std::pair<const char*, bool> posix[] = {
        {"/m/a.mp3", true},    {"/a.mp3", true},     {"/m/.a.mp3", true},  {"/m/../a.mp3", false},
        {"/m/./a.mp3", false}, {"/m//a.mp3", false}, {"//m/a.mp3", false}, {"/m/a/", false},
        {"m/a.mp3", false},    {"/", false},         {"", false},          {"/m/..", false},
    };
    for (const auto& [p, clean] : posix)
        EXPECT_EQ(path::IsAbsoluteAndCleanPosix(p), clean) << p;
    const std::pair<const char*, bool> windows[] = {
        {"C:\\m\\a.mp3", true},
        {"\\\\server\\share\\a.mp3", true},
        {"C:\\m\\..\\a.mp3", false},
        {"C:\\m\\.\\a.mp3", false},
        {"C:/m/a.mp3", false},
        {"C:\\m\\\\a.mp3", false},
        {"c:\\m\\a.mp3", false},
        {"C:m\\a.mp3", false},
        {"\\m\\a.mp3", false},
        {"\\\\?\\C:\\a.mp3", false},
        {"\\\\.\\C:\\a.mp3", false},
        {"\\\\server\\a.mp3", false},
        {"C:\\m.\\a.mp3", false},
        {"C:\\m\\a.mp3 ", false},
        {"C:\\m\\nul.mp3", false},
        {"C:\\m\\COM1", false},
        {"C:\\m\\com\xC2\xB9.mp3", false},
        {"C:\\m\\COM10.mp3", true},
        {"C:\\m\\a.mp3:s", false},
        {"C:\\", false},
    };
    for (const auto& [p, clean] : windows)
        EXPECT_EQ(path::IsAbsoluteAndCleanWindows(p), clean) << p;
}

}  // namespace
}  // namespace tagwright
