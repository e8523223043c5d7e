#include "platform/path.h"

#include <gtest/gtest.h>

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
    for (const char* p : {"/m/a.mp3", "/.a.mp3"})
        EXPECT_TRUE(path::IsAbsoluteAndCleanPosix(p)) << p;
    for (const char* p : {"/m/../a.mp3", "/m/./a.mp3", "/m//a.mp3", "//m/a", "/m/", "m/a", "/"})
        EXPECT_FALSE(path::IsAbsoluteAndCleanPosix(p)) << p;
    for (const char* p : {"C:\\m\\a.mp3", "\\\\server\\share\\a.mp3", "C:\\a b\\Song.mp3"})
        EXPECT_TRUE(path::IsAbsoluteAndCleanWindows(p)) << p;
    for (const char* p :
         {"C:\\m\\..\\a.mp3", "C:\\.\\a", "C:/m/a.mp3", "C:\\m\\\\a", "c:\\a", "C:a", "\\m\\a",
          "\\\\?\\C:\\a", "\\\\.\\C:\\a", "\\\\server\\a", "C:\\m.\\a", "C:\\a.mp3 ",
          "C:\\m\\nul.mp3", "C:\\COM1", "C:\\com\xC2\xB9.mp3", "C:\\a.mp3:s", "C:\\"})
        EXPECT_FALSE(path::IsAbsoluteAndCleanWindows(p)) << p;
}

}  // namespace
}  // namespace tagwright
