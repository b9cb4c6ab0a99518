// The list window of the real Quorvel.exe: its rows follow the list through a re-sort that keeps
// their number, so a click opens the file it names, and an error box disables it.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "platform/platform.h"

namespace qvtest {
namespace {

constexpr const wchar_t* kListWindowClass = L"Quorvel_list_class";
constexpr int kListBoxId = 1030;

class ListWindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (HWND dialog : FindTopLevelWindows(kDialogClass, process_.valid() ? process_.id() : 0xFFFFFFFF))
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        if (process_.valid() && !process_.HasExited() && view_) CloseAndWait(view_, process_);
    }

    // Starts on `first` of the images folder and opens the list window once the folder is listed.
    bool Start(const std::wstring& first, size_t rows) {
        if (!program_.Create(QuietSettings())) return false;
        process_ = Launch(program_.exePath(), {images_.File(first)});
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        if (!view_ || !WaitForTitleContaining(view_, first)) return false;
        PostCommand(view_, qv::kCmdListWindow);
        list_ = WaitForProcessWindow(process_, kListWindowClass, kStepTimeoutMs);
        box_ = list_ ? GetDlgItem(list_, kListBoxId) : nullptr;
        return box_ && WaitUntil(kStepTimeoutMs, [&] { return Rows().size() == rows; });
    }

    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        LRESULT count = SendMessageW(box_, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[MAX_PATH] = {};
            if (SendMessageW(box_, LB_GETTEXTLEN, i, 0) < MAX_PATH)
                SendMessageW(box_, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            rows.push_back(text);
        }
        return rows;
    }

    ScratchDir images_;
    ProgramFolder program_;
    ProcessOwner process_;
    HWND view_ = nullptr, list_ = nullptr, box_ = nullptr;
};

// Name order a1, a2, a10; size order a2 (1 KiB), a1 (2 KiB), a10 (5 KiB): the same three rows.
TEST_F(ListWindowTest, AReSortRefillsTheRowsAndAClickOpensTheFileItNames) {
    ASSERT_TRUE(WriteFileBytes(images_.File(L"a2.bmp"), SolidBmpBytes(8, 8, RGB(200, 30, 30))));
    ASSERT_TRUE(WriteFileBytes(images_.File(L"a10.bmp"), SolidBmpBytes(40, 40, RGB(30, 200, 30))));
    ASSERT_TRUE(WriteFileBytes(images_.File(L"a1.bmp"), SolidBmpBytes(24, 24, RGB(30, 30, 200))));
    ASSERT_TRUE(Start(L"a2.bmp", 3));
    EXPECT_EQ(Rows(), (std::vector<std::wstring>{L"a1.bmp", L"a2.bmp", L"a10.bmp"}));

    ASSERT_TRUE(PostCommand(view_, qv::kCmdSortBySize));
    const std::vector<std::wstring> bySize{L"a2.bmp", L"a1.bmp", L"a10.bmp"};
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return Rows() == bySize; })) << "the rows kept the name order";
    EXPECT_EQ(SendMessageW(box_, LB_GETCURSEL, 0, 0), 0) << "a2.bmp stays the current entry";

    // choosing the row that reads a1.bmp opens a1.bmp
    SendMessageW(box_, LB_SETCURSEL, 1, 0);
    PostMessageW(list_, WM_COMMAND, MAKEWPARAM(kListBoxId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box_));
    EXPECT_TRUE(WaitForTitleContaining(view_, L"a1.bmp", kStepTimeoutMs)) << qv::WideToUtf8(WindowTitle(view_));
}

// A click in the list window while an error box is up would load another image inside the box.
TEST_F(ListWindowTest, AnErrorBoxDisablesTheListWindowWhileItIsUp) {
    ASSERT_TRUE(WriteFileBytes(images_.File(L"other.bmp"), SolidBmpBytes(8, 8, RGB(1, 2, 3))));
    ASSERT_TRUE(WriteFileBytes(images_.File(L"shown.bmp"), SolidBmpBytes(8, 8, RGB(3, 2, 1))));
    ASSERT_TRUE(Start(L"shown.bmp", 2));
    ASSERT_TRUE(IsWindowEnabled(list_));
    // the first external program is not set: starting it fails with an error box
    ASSERT_TRUE(PostCommand(view_, qv::kCmdExternalProgramFirst));
    HWND box = WaitForDialogOtherThan(process_, nullptr);
    ASSERT_NE(box, nullptr) << "no error box";
    EXPECT_FALSE(IsWindowEnabled(list_)) << "the list window took clicks under the error box";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntilGone(box));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowEnabled(list_) != FALSE; }));
}

} // namespace
} // namespace qvtest
