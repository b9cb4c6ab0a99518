// JPEG files in the real Quorvel.exe: the upright turn of an EXIF orientation, the EXIF
// information dialog (5041) and the lossless turns (5014, 5020, 5021), which rewrite the file
// only when everything succeeded.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "codecs/jpeg_codec.h"
#include "e2e_support_win.h"
#include "jpeg_test_files.h"
#include "model/command_ids.h"
#include "platform/platform.h"
#include "trash_support_win.h"

namespace qvtest {
namespace {

using qv::kCmdLosslessTurnRight;
using qv::kCmdTextInfo;
constexpr int kCtlExifList = 4041;

class JpegE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.Create(QuietSettings())); }
    void TearDown() override {
        for (HWND dialog : FindTopLevelWindows(kDialogClass, process_.valid() ? process_.id() : 0xFFFFFFFF))
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        if (view_) CloseAndWait(view_, process_);
        CloseAllProgramWindows(kViewWindowClass);
    }

    // Starts the program on `path` and waits until the title shows `size` ("40x64").
    void Open(const std::wstring& path, const std::wstring& size) {
        process_ = Launch(folder_.exePath(), {path});
        ASSERT_TRUE(process_.valid());
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        ASSERT_NE(view_, nullptr);
        ASSERT_TRUE(WaitForTitleContaining(view_, size)) << qv::WideToUtf8(WindowTitle(view_));
    }

    // A dialog or message box of the program: null when none appears within the time.
    HWND WaitForDialog(DWORD timeoutMs = kStepTimeoutMs) {
        return WaitForDialogOtherThan(process_, nullptr, timeoutMs);
    }

    void ExpectRefusedTurn(const std::wstring& path, const std::string& before);

    ProgramFolder folder_;
    ScratchDir images_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

bool DecodesTo(const std::string& bytes, uint32_t width, uint32_t height) {
    qv::ImageBuffer image{};
    qv::JpegContext ctx;
    bool ok = qv::DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                             &image, &ctx);
    qv::FreeImagePixels(&image);
    return ok && ctx.width == width && ctx.height == height;
}

// The test pictures have blue 40 everywhere; the background around them does not.
bool FindPicture(const Capture& shot, RECT* box) {
    *box = {shot.width, shot.height, 0, 0};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            int blue = GetBValue(shot.Pixel(x, y));
            if (blue < 28 || blue > 52) continue;
            box->left = std::min<LONG>(box->left, x);
            box->top = std::min<LONG>(box->top, y);
            box->right = std::max<LONG>(box->right, x + 1);
            box->bottom = std::max<LONG>(box->bottom, y + 1);
        }
    return box->right - box->left >= 8 && box->bottom - box->top >= 8;
}

TEST_F(JpegE2eTest, OrientationSixOpensTurnedWithTheRotationLetter) {
    const std::wstring path = images_.File(L"turned.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 64, 40, 6));
    Open(path, L"40x64");
    // E for the EXIF block, R for the automatic turn, right before the size
    std::wstring title = WindowTitle(view_);
    EXPECT_NE(title.find(L"ER  40x64"), std::wstring::npos) << qv::WideToUtf8(title);
    // The picture is shown turned clockwise: red, which grows to the right in the file, grows
    // downwards on screen, and green, which grows downwards in the file, grows to the left.
    // the title is set before the paint reaches the screen
    Capture shot;
    RECT box;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CaptureClientArea(view_, &shot) && FindPicture(shot, &box); }));
    EXPECT_GT(box.bottom - box.top, box.right - box.left);
    const int midX = (box.left + box.right) / 2, midY = (box.top + box.bottom) / 2;
    EXPECT_GT(GetRValue(shot.Pixel(midX, box.bottom - 3)), GetRValue(shot.Pixel(midX, box.top + 2)) + 120);
    EXPECT_GT(GetGValue(shot.Pixel(box.left + 2, midY)), GetGValue(shot.Pixel(box.right - 3, midY)) + 120);
}

TEST_F(JpegE2eTest, InformationDialogListsTheItems) {
    const std::wstring path = images_.File(L"info.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 64, 40, 6));
    Open(path, L"40x64");
    ASSERT_TRUE(PostCommand(view_, kCmdTextInfo));
    HWND dialog = WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "no information dialog";
    HWND list = GetDlgItem(dialog, kCtlExifList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(WindowClassName(list), L"SysListView32");
    // orientation, pixel dimensions, EXIF version
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 2);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntilGone(dialog));
}

TEST_F(JpegE2eTest, InformationCommandIsIgnoredWithoutExif) {
    const std::wstring path = images_.File(L"plain.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 64, 40, 0));
    Open(path, L"64x40");
    ASSERT_TRUE(PostCommand(view_, kCmdTextInfo));
    EXPECT_EQ(WaitForDialog(1500), nullptr);
}

TEST_F(JpegE2eTest, LosslessTurnRewritesTheFileAndReloadsIt) {
    const std::wstring path = images_.File(L"plain.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 64, 40, 0));
    const std::string before = ReadFileBytes(path);
    Open(path, L"64x40");
    ASSERT_TRUE(PostCommand(view_, kCmdLosslessTurnRight));
    ASSERT_TRUE(WaitForTitleContaining(view_, L"40x64")) << qv::WideToUtf8(WindowTitle(view_));
    const std::string after = ReadFileBytes(path);
    EXPECT_NE(after, before);
    EXPECT_TRUE(DecodesTo(after, 40, 64));
    // nothing is left behind in the folder; the old file went the way of every save, to the bin
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((images_.path() + L"\\tmp*").c_str(), &data);
    EXPECT_EQ(find, INVALID_HANDLE_VALUE);
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    EXPECT_TRUE(TakeFromTrash(L"plain.jpg", before));
}

// A turned picture turns from what is shown: orientation 6 plus a right turn is 180 degrees in the
// file, which then needs no automatic turn.
TEST_F(JpegE2eTest, LosslessTurnOfAnAutomaticallyTurnedPictureStartsFromTheView) {
    const std::wstring path = images_.File(L"turned.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 64, 40, 6));
    const std::string before = ReadFileBytes(path);
    Open(path, L"ER  40x64");
    ASSERT_TRUE(PostCommand(view_, kCmdLosslessTurnRight));
    ASSERT_TRUE(WaitForTitleContaining(view_, L"E  64x40")) << qv::WideToUtf8(WindowTitle(view_));
    EXPECT_TRUE(DecodesTo(ReadFileBytes(path), 64, 40));
    EXPECT_TRUE(TakeFromTrash(L"turned.jpg", before));
}

// Shows the error box of a refused lossless turn, closes it and checks the file and the view.
void JpegE2eTest::ExpectRefusedTurn(const std::wstring& path, const std::string& before) {
    ASSERT_TRUE(PostCommand(view_, kCmdLosslessTurnRight));
    HWND box = WaitForDialog();
    EXPECT_NE(box, nullptr) << "no error box";
    EXPECT_EQ(ReadFileBytes(path), before);
    if (box) {
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitUntilGone(box));
    }
    EXPECT_NE(WindowTitle(view_).find(L"64x40"), std::wstring::npos) << qv::WideToUtf8(WindowTitle(view_));
}

TEST_F(JpegE2eTest, ReadOnlyFileIsNotTurned) {
    const std::wstring path = images_.File(L"locked.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 64, 40, 0));
    const std::string before = ReadFileBytes(path);
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    Open(path, L"64x40");
    ExpectRefusedTurn(path, before);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL); // so that the scratch folder can go
    EXPECT_EQ(ReadFileBytes(path), before);
}

// A file another program holds open without write sharing cannot be opened for the
// transformation: the failure comes from the rewrite itself, and the file keeps every byte.
TEST_F(JpegE2eTest, FileHeldByAnotherProgramIsNotTurned) {
    const std::wstring path = images_.File(L"held.jpg");
    ASSERT_TRUE(WriteTestJpeg(path, 64, 40, 0));
    const std::string before = ReadFileBytes(path);
    Open(path, L"64x40");
    HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ExpectRefusedTurn(path, before);
    CloseHandle(held);
    EXPECT_EQ(ReadFileBytes(path), before);
}

} // namespace
} // namespace qvtest
