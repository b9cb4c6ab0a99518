// Placing a saved file with the real shell: the old target goes to the Recycle Bin through
// SHFileOperationW, and when the copy into place then fails the old file is still there.
#include <windows.h>

#include <gtest/gtest.h>

#include "image/save_pipeline.h"
#include "platform/platform.h"
#include "test_support.h"
#include "trash_support_win.h"

namespace qv {
namespace {

using qvtest::ReadFileBytes;
using qvtest::ScratchDir;
using qvtest::TakeFromTrash;
using qvtest::WriteFileBytes;

TEST(SavePlaceWinTest, TheOldTargetGoesToTheRecycleBin) {
    ScratchDir dir;
    const std::wstring target = dir.File(L"placed-over.bmp");
    const std::wstring temp = dir.File(L"tmp1.tmp");
    ASSERT_TRUE(WriteFileBytes(target, "the old picture"));
    ASSERT_TRUE(WriteFileBytes(temp, "the new picture"));
    SaveFailure failure;
    ASSERT_TRUE(PlaceSavedFile(temp, target, &failure)) << failure.message;
    EXPECT_EQ(ReadFileBytes(target), "the new picture");
    EXPECT_EQ(ReadFileBytes(temp), "the new picture"); // the caller decides about the temporary file
    EXPECT_TRUE(TakeFromTrash(L"placed-over.bmp", "the old picture"));
}

TEST(SavePlaceWinTest, ACopyFailureLeavesTheOldFileInTheBin) {
    ScratchDir dir;
    const std::wstring target = dir.File(L"copy-failed.png");
    ASSERT_TRUE(WriteFileBytes(target, "the only copy"));
    SaveFailure failure;
    // the encoded file has gone (a temporary-folder cleaner) by the time it is copied
    EXPECT_FALSE(PlaceSavedFile(dir.File(L"tmpgone.tmp"), target, &failure));
    EXPECT_EQ(failure.message, 30008u);
    EXPECT_FALSE(PathExists(target.c_str()));
    EXPECT_TRUE(TakeFromTrash(L"copy-failed.png", "the only copy"));
}

} // namespace
} // namespace qv
