// The clipboard and the delete command in the real Quorvel.exe: an image copied in one instance is
// pasted in another as an image of no file, and deleting steps through the folder's images, with
// the shell's question honoured.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "trash_support_win.h"

namespace qvtest {
namespace {

constexpr uint32_t kSlotNoRecycMsg = 8;

// A colour that differs in every pixel, so that a shifted or flipped copy shows.
COLORREF Pattern(int x, int y) {
    return RGB(x * 6, y * 8, 255 - x * 3 - y);
}

class OutputE2eTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }
    // A program folder with these extra settings; the settings file sits beside the program.
    void MakeFolder(ProgramFolder* folder, bool noQuestion) {
        auto slots = QuietSettings();
        slots.push_back(IntSlot(kSlotNoRecycMsg, noQuestion ? 1 : 0));
        ASSERT_TRUE(folder->Create(slots));
    }
    HWND Start(const ProgramFolder& folder, ProcessOwner* process, const std::wstring& path, const wchar_t* size) {
        *process = Launch(folder.exePath(), {path});
        if (!process->valid()) return nullptr;
        HWND view = WaitForProcessWindow(*process, kViewWindowClass);
        if (view && !WaitForTitleContaining(view, size)) return nullptr;
        return view;
    }
    void WriteImage(const wchar_t* name, COLORREF colour) {
        ASSERT_TRUE(WriteFileBytes(images_.File(name), SolidBmpBytes(8, 6, colour)));
    }
    ScratchDir images_;
};

TEST_F(OutputE2eTest, CopyInOneInstancePasteInAnotherMakesAnImageOfNoFile) {
    ProgramFolder first, second;
    MakeFolder(&first, true);
    MakeFolder(&second, true);
    const std::wstring source = images_.File(L"pattern.bmp");
    ASSERT_TRUE(WriteFileBytes(source, BmpBytes(30, 20, Pattern)));
    WriteImage(L"other.bmp", RGB(0, 0, 255));
    ProcessOwner a, b;
    HWND copier = Start(first, &a, source, L"30x20");
    ASSERT_NE(copier, nullptr);
    HWND paster = Start(second, &b, images_.File(L"other.bmp"), L"8x6");
    ASSERT_NE(paster, nullptr);

    // an empty clipboard first, so that only the copy can put a block there
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    ASSERT_TRUE(PostCommand(copier, qv::kCmdCopy));
    std::string block;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !(block = ClipboardDib()).empty(); }));
    // the file's own rows behind a 40-byte header: 24 bits, 30 x 20, stride 92 (the system may
    // round the block's size up)
    ASSERT_GE(block.size(), 40u + 92u * 20u);
    BITMAPINFOHEADER header;
    std::memcpy(&header, block.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 30);
    EXPECT_EQ(header.biHeight, 20);
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biClrUsed, 0u);
    std::string file = ReadFileBytes(source);
    for (int row = 0; row < 20; ++row)
        EXPECT_EQ(block.substr(40 + row * 92, 90), file.substr(54 + row * 92, 90)) << "row " << row;

    ASSERT_TRUE(PostCommand(paster, qv::kCmdPaste));
    // no file name in front of the size: the image belongs to no file
    ASSERT_TRUE(WaitForTitleContaining(paster, L"  ( 30x20  24bit")) << qv::WideToUtf8(WindowTitle(paster));
    EXPECT_EQ(WindowTitle(paster).find(L"other.bmp"), std::wstring::npos);
    // saving asks for a name instead of writing over other.bmp
    const std::string otherBefore = ReadFileBytes(images_.File(L"other.bmp"));
    ASSERT_TRUE(PostCommand(paster, qv::kCmdSave));
    HWND dialog = WaitForDialogOtherThan(b, nullptr);
    ASSERT_NE(dialog, nullptr) << "saving the pasted image asked for no name";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntilGone(dialog));
    EXPECT_EQ(ReadFileBytes(images_.File(L"other.bmp")), otherBefore);
    // and there is no file to delete
    ASSERT_TRUE(PostCommand(paster, qv::kCmdFileOperation));
    PumpMessages(300); // time to ask a question there must not be
    EXPECT_TRUE(qv::PathExists(images_.File(L"other.bmp").c_str()));
    EXPECT_TRUE(FindTopLevelWindows(kDialogClass, b.id(), true).empty());
}

TEST_F(OutputE2eTest, DeletingTheLastTheOnlyAndAVanishedEntry) {
    ProgramFolder folder;
    MakeFolder(&folder, true);
    WriteImage(L"a.bmp", RGB(255, 0, 0));
    WriteImage(L"b.bmp", RGB(0, 255, 0));
    WriteImage(L"c.bmp", RGB(0, 0, 255));
    const std::string bytes = ReadFileBytes(images_.File(L"c.bmp"));
    ProcessOwner process;
    HWND view = Start(folder, &process, images_.File(L"c.bmp"), L"8x6");
    ASSERT_NE(view, nullptr);

    // the last entry: the first one is shown next, the file is in the bin
    ASSERT_TRUE(PostCommand(view, qv::kCmdFileOperation));
    ASSERT_TRUE(WaitForTitleContaining(view, L"a.bmp")) << qv::WideToUtf8(WindowTitle(view));
    EXPECT_FALSE(qv::PathExists(images_.File(L"c.bmp").c_str()));
    EXPECT_TRUE(TakeFromTrash(L"c.bmp", bytes)) << "the deleted file is not in the bin";

    // a file gone from disk behind the program's back still leaves the list
    ASSERT_TRUE(DeleteFileW(images_.File(L"a.bmp").c_str()));
    ASSERT_TRUE(PostCommand(view, qv::kCmdFileOperation));
    ASSERT_TRUE(WaitForTitleContaining(view, L"b.bmp")) << qv::WideToUtf8(WindowTitle(view));

    // the only entry left: the empty view and no file
    const std::string onlyBytes = ReadFileBytes(images_.File(L"b.bmp"));
    ASSERT_TRUE(PostCommand(view, qv::kCmdFileOperation));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return WindowTitle(view) == L"Quorvel"; }))
        << qv::WideToUtf8(WindowTitle(view));
    EXPECT_FALSE(qv::PathExists(images_.File(L"b.bmp").c_str()));
    EXPECT_TRUE(TakeFromTrash(L"b.bmp", onlyBytes));
}

TEST_F(OutputE2eTest, NoToTheShellsQuestionKeepsTheFileAndTheList) {
    ProgramFolder folder;
    MakeFolder(&folder, false);
    WriteImage(L"a.bmp", RGB(255, 0, 0));
    WriteImage(L"b.bmp", RGB(0, 255, 0));
    ProcessOwner process;
    HWND view = Start(folder, &process, images_.File(L"a.bmp"), L"8x6");
    ASSERT_NE(view, nullptr);
    const std::wstring title = WindowTitle(view);

    ASSERT_TRUE(PostCommand(view, qv::kCmdFileOperation));
    HWND question = WaitForDialogOtherThan(process, nullptr);
    ASSERT_NE(question, nullptr) << "the shell asked nothing";
    HWND no = GetDlgItem(question, IDNO);
    ASSERT_NE(no, nullptr);
    PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(no));
    EXPECT_TRUE(WaitUntilGone(question));
    PumpMessages(300);
    EXPECT_TRUE(qv::PathExists(images_.File(L"a.bmp").c_str()));
    EXPECT_EQ(WindowTitle(view), title);
    // the list kept both: the next entry is still there to step to
    ASSERT_TRUE(PostCommand(view, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForTitleContaining(view, L"b.bmp")) << qv::WideToUtf8(WindowTitle(view));
}

} // namespace
} // namespace qvtest
