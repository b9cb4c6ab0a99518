// Display modes of the real Quorvel.exe: full screen and back with Enter, the SubWindow and back
// with Tab, the slideshow over a folder, and the list window choosing an entry.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "ui/window_classes.h"

namespace qvtest {
namespace {

using qv::kCmdListWindow;
using qv::kCmdSlideshow;
using qv::kSlotRepeat;
using qv::kSlotTime;
constexpr int kListBoxId = 1030;
using qv::kListWindowClass;

bool CoversItsMonitor(HWND window) {
    MONITORINFO info{sizeof info};
    RECT r;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info) || !GetWindowRect(window, &r))
        return false;
    return EqualRect(&r, &info.rcMonitor) != 0;
}

bool HasCaption(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

class DisplayModesTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    // A folder of three images a.bmp, b.bmp, c.bmp beside the program; starts on a.bmp.
    HWND StartOnFolder(const std::vector<SlotValue>& extra = {}) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.insert(slots.end(), extra.begin(), extra.end());
        if (!folder_.Create(slots)) return nullptr;
        const COLORREF colours[] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200)};
        const wchar_t* names[] = {L"a.bmp", L"b.bmp", L"c.bmp"};
        for (int i = 0; i < 3; ++i)
            if (!WriteFileBytes(folder_.File(names[i]), SolidBmpBytes(64, 48, colours[i]))) return nullptr;
        process_ = Launch(folder_.exePath(), {folder_.File(L"a.bmp")});
        if (!process_.valid()) return nullptr;
        HWND view = WaitForProcessWindow(process_, kViewWindowClass);
        if (view && !WaitForTitleContaining(view, L"a.bmp")) return nullptr;
        return view;
    }

    HWND SubWindow() {
        std::vector<HWND> subs = FindTopLevelWindows(kSubWindowClass, process_.id());
        return subs.empty() ? nullptr : subs.front();
    }

    ProgramFolder folder_;
    ProcessOwner process_;
};

TEST_F(DisplayModesTest, EnterTogglesFullScreenAndBack) {
    HWND view = StartOnFolder();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(HasCaption(view));
    RECT before;
    GetWindowRect(view, &before);

    ASSERT_TRUE(PostKey(view, VK_RETURN));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CoversItsMonitor(view) && !HasCaption(view); }))
        << "full screen should cover the monitor without a caption";
    EXPECT_TRUE(IsWindowVisible(view));
    RECT client{};
    GetClientRect(view, &client);
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return ClientPixel(view, client.right / 2, client.bottom / 2) == RGB(200, 0, 0);
    })) << "image not shown in full screen";

    ASSERT_TRUE(PostKey(view, VK_RETURN));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return HasCaption(view) && !CoversItsMonitor(view); }))
        << "leaving full screen should give back the captioned window";
    RECT after;
    GetWindowRect(view, &after);
    EXPECT_EQ(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(DisplayModesTest, TabSwitchesToTheSubWindowAndBackAndFullScreenReturnsThere) {
    HWND view = StartOnFolder();
    ASSERT_NE(view, nullptr);
    HWND sub = SubWindow();
    ASSERT_NE(sub, nullptr);

    ASSERT_TRUE(PostKey(view, VK_TAB));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(sub) && !IsWindowVisible(view); }))
        << "Tab should show the SubWindow and hide the ViewWindow";
    // the SubWindow becomes the window the title goes to
    EXPECT_TRUE(WaitForTitleContaining(sub, L"a.bmp", kStepTimeoutMs));
    // its image pane is shown and has a client area
    HWND pane = FindWindowExW(sub, nullptr, L"Quorvel_sch1_class", nullptr);
    ASSERT_NE(pane, nullptr);
    RECT paneClient{};
    GetClientRect(pane, &paneClient);
    EXPECT_GT(paneClient.right, 0);
    EXPECT_GT(paneClient.bottom, 0);
    // the pane paints the current image (red a.bmp) in its centre
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return ClientPixel(pane, paneClient.right / 2, paneClient.bottom / 2) == RGB(200, 0, 0);
    })) << "the image pane does not show the image";

    // full screen entered from the SubWindow returns to it
    ASSERT_TRUE(PostKey(sub, VK_RETURN));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs,
                          [&] { return IsWindowVisible(view) && !IsWindowVisible(sub) && CoversItsMonitor(view); }));
    ASSERT_TRUE(PostKey(view, VK_RETURN));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(sub) && !IsWindowVisible(view); }))
        << "leaving full screen should return to the SubWindow";

    ASSERT_TRUE(PostKey(sub, VK_TAB));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(view) && !IsWindowVisible(sub); }))
        << "Tab again should return to the ViewWindow";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(DisplayModesTest, SlideshowStepsThroughTheFolderAndAKeyStopsIt) {
    HWND view = StartOnFolder({IntSlot(kSlotTime, 1), IntSlot(kSlotRepeat, 1)});
    ASSERT_NE(view, nullptr);

    ASSERT_TRUE(PostCommand(view, kCmdSlideshow));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return CoversItsMonitor(view); }))
        << "the slideshow runs in full screen";
    EXPECT_TRUE(WaitForTitleContaining(view, L"b.bmp", kStepTimeoutMs));
    EXPECT_TRUE(WaitForTitleContaining(view, L"c.bmp", kStepTimeoutMs));
    // Repeat wraps around to the first entry
    EXPECT_TRUE(WaitForTitleContaining(view, L"a.bmp", kStepTimeoutMs));

    // Space is an accelerator (zoom) but while the show runs it only stops it. A step already due
    // before the key is handled may still show (one change); a running show would change the
    // title about four times in the four intervals (1 s each) watched. Polled, so no change hides.
    ASSERT_TRUE(PostKey(view, VK_SPACE));
    std::wstring shown = WindowTitle(view);
    int changes = 0;
    EXPECT_TRUE(HoldsFor(4000, [&] {
        std::wstring now = WindowTitle(view);
        if (now != shown) ++changes;
        shown = now;
        return changes <= 1;
    })) << "the show went on after a key";
    EXPECT_TRUE(CoversItsMonitor(view)) << "stopping the show keeps full screen";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(DisplayModesTest, SlideshowWithoutRepeatEndsOnTheLastEntry) {
    HWND view = StartOnFolder({IntSlot(kSlotTime, 1), IntSlot(kSlotRepeat, 0)});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, kCmdSlideshow));
    ASSERT_TRUE(WaitForTitleContaining(view, L"c.bmp", kStepTimeoutMs));
    // two more intervals (1 s each) on the last entry
    EXPECT_TRUE(HoldsFor(2500, [&] { return WindowTitle(view).find(L"c.bmp") != std::wstring::npos; }))
        << "the show wrapped without Repeat";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(DisplayModesTest, ListWindowListsTheFolderAndOpensTheChosenEntry) {
    HWND view = StartOnFolder();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, kCmdListWindow));
    HWND list = WaitForProcessWindow(process_, kListWindowClass, kStepTimeoutMs);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(WindowTitle(list).empty());
    HWND box = GetDlgItem(list, kListBoxId);
    ASSERT_NE(box, nullptr);
    ASSERT_EQ(SendMessageW(box, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(box, LB_GETCURSEL, 0, 0), 0);
    wchar_t text[64] = {};
    ASSERT_LT(SendMessageW(box, LB_GETTEXTLEN, 1, 0), 64);
    SendMessageW(box, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_NE(std::wstring(text).find(L"b.bmp"), std::wstring::npos) << "second entry: " << text;

    // what a click on the second line does: select it and tell the window
    SendMessageW(box, LB_SETCURSEL, 1, 0);
    SendMessageW(list, WM_COMMAND, MAKEWPARAM(kListBoxId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    EXPECT_TRUE(WaitForTitleContaining(view, L"b.bmp", kStepTimeoutMs));
    EXPECT_EQ(SendMessageW(box, LB_GETCURSEL, 0, 0), 1);

    // navigating in the viewer moves the list's selection along
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForTitleContaining(view, L"c.bmp", kStepTimeoutMs));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return SendMessageW(box, LB_GETCURSEL, 0, 0) == 2; }));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

} // namespace
} // namespace qvtest
