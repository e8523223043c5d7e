#include "platform/path.h"

#include <gtest/gtest.h>

namespace tagwright {
namespace {

TEST(Path, SplitsWindowsPaths) {
    EXPECT_EQ(path::ParentFolder("C:\\x.mp3"), "C:\\");
    EXPECT_EQ(path::ParentFolder("C:\\a\\b.mp3"), "C:\\a");
    EXPECT_EQ(path::RootLength("\\\\server\\share\\a"), 15u);
    EXPECT_EQ(path::FileName("C:\\a\\b.mp3"), "b.mp3");
}

}  // namespace
}  // namespace tagwright
