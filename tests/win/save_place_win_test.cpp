// Placing a saved file with the real shell: the old target goes to the Recycle Bin through
// SHFileOperationW only once the new file is complete beside it, so a failed copy leaves the old
// file at its path; and only a fully qualified path is handed to the shell.
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

TEST(SavePlaceWinTest, ACopyFailureLeavesTheOldFileAtItsPath) {
    ScratchDir dir;
    const std::wstring target = dir.File(L"copy-failed.png");
    ASSERT_TRUE(WriteFileBytes(target, "the only copy"));
    SaveFailure failure;
    // the encoded file has gone (a temporary-folder cleaner) by the time it is copied; a shell
    // that deletes instead of recycling would otherwise have left no version at all
    EXPECT_FALSE(PlaceSavedFile(dir.File(L"tmpgone.tmp"), target, &failure));
    EXPECT_EQ(failure.message, 30008u);
    EXPECT_EQ(ReadFileBytes(target), "the only copy");
    EXPECT_FALSE(TakeFromTrash(L"copy-failed.png", "the only copy"));
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(dir.File(L"tmp*").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "a copy was left beside the target";
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
}

// The shell ignores FOF_ALLOWUNDO for a path that is not fully qualified and deletes the file;
// Wine recycles it anyway, so the test looks at what is handed over: nothing, the file stays.
TEST(SavePlaceWinTest, ARelativePathIsNeverHandedToTheShell) {
    ScratchDir dir;
    ASSERT_TRUE(WriteFileBytes(dir.File(L"relative.png"), "kept"));
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
    bool recycled = RecycleFile(L"relative.png") == RecycleResult::Recycled;
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(recycled);
    EXPECT_EQ(ReadFileBytes(dir.File(L"relative.png")), "kept");
    EXPECT_FALSE(TakeFromTrash(L"relative.png", "kept"));
}

// Without a temporary folder from the system (a TMP too long for it) a save fails with 30007
// instead of writing its temporary file into the current folder.
TEST(SavePlaceWinTest, NoTemporaryFolderFailsTheSaveWith30007) {
    ScratchDir dir;
    ImageBuffer* image = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(image, 4, 4, 24, &status));
    SaveSource source;
    source.image = image;
    SaveOptions options;
    options.format = kSaveBmp;
    wchar_t previous[MAX_PATH] = {}, tmp[4096] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    GetEnvironmentVariableW(L"TMP", tmp, 4096);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.path().c_str()));
    ASSERT_TRUE(SetEnvironmentVariableW(L"TMP", (L"C:\\" + std::wstring(300, L't')).c_str()));
    SavePreview preview;
    SaveFailure failure;
    bool encoded = EncodeToTemp(&preview, source, options, {}, &failure);
    SetEnvironmentVariableW(L"TMP", tmp[0] ? tmp : nullptr);
    SetCurrentDirectoryW(previous);
    EXPECT_FALSE(encoded);
    EXPECT_EQ(failure.message, 30007u);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(dir.File(L"tmp*").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE) << "the temporary file went into the current folder";
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    DiscardPreview(&preview);
    FreeImageRecord(image);
}

} // namespace
} // namespace qv
