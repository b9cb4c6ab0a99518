// Path pieces: roots keep their separator (a watch on "C:" would watch drive C's current folder),
// both separators count, and dots in folder names are not extensions.
#include <gtest/gtest.h>

#include "platform/paths.h"

namespace qv {
namespace {

TEST(PathsTest, FolderOfKeepsTheSeparatorOfARootOnly) {
    EXPECT_EQ(FolderOf(L"C:\\pictures\\a.jpg"), L"C:\\pictures");
    EXPECT_EQ(FolderOf(L"C:\\a.jpg"), L"C:\\");
    EXPECT_EQ(FolderOf(L"/a.jpg"), L"/");
    EXPECT_EQ(FolderOf(L"C:/x/y/a.jpg"), L"C:/x/y");
    EXPECT_EQ(FolderOf(L"a.jpg"), L"");
}

TEST(PathsTest, NamesAndExtensionsComeFromTheLastPart) {
    EXPECT_EQ(FileNameOf(L"C:\\my.pictures\\photo"), L"photo");
    EXPECT_EQ(ExtensionOf(L"C:\\my.pictures\\photo"), L"");
    EXPECT_EQ(ExtensionOf(L"x/archive.tar.GZ"), L".GZ");
    EXPECT_EQ(StemOf(L"x\\archive.tar.gz"), L"archive.tar");
    EXPECT_EQ(FileNameOf(L"C:a.jpg"), L"a.jpg");
}

TEST(PathsTest, FullPathOfMakesRelativePathsAbsolute) {
    std::wstring full = FullPathOf(L"some.png");
    EXPECT_TRUE(IsAbsolutePath(full)) << full;
    EXPECT_EQ(FileNameOf(full), L"some.png");
    EXPECT_EQ(FullPathOf(full), full);
    EXPECT_FALSE(IsAbsolutePath(L"a\\b.png"));
    EXPECT_TRUE(IsAbsolutePath(L"\\\\server\\share\\b.png"));
}

} // namespace
} // namespace qv
