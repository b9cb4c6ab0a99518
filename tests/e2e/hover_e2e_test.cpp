// The ViewWindow's hover helpers in the real Quorvel.exe: the caption bar and always-on-top
// toggles keep the client where it is, the hover frame comes and goes with the pointer, the hover
// tool bar appears in the top strip (with its right-aligned group in full screen), the automatic
// navigator shows the thumbnail and the visible part without taking the focus, and the history
// window disables the main window until Esc.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "ui/window_classes.h"

namespace qvtest {
namespace {

using qv::kCmdCaptionBar;
using qv::kCmdClose;
using qv::kCmdFullScreen;
using qv::kCmdHistoryWindow;
using qv::kCmdMinimise;
using qv::kCmdNextImage;
using qv::kCmdPreviousImage;
using qv::kCmdToolBar;
using qv::kCmdTopMost;
using qv::kCmdZoomActual;
using qv::kSlotCapBar;
using qv::kSlotFrame;
using qv::kSlotTop;
constexpr int kToolBarHostId = 1000;
constexpr int kHistoryListId = 1031;
using qv::kNavigatorClass;
constexpr auto kHistoryClass = qv::kHistoryWindowClass;

constexpr COLORREF kLeftColour = RGB(200, 0, 0);
constexpr COLORREF kRightColour = RGB(0, 0, 200);
constexpr COLORREF kXorGrey = RGB(128, 128, 128);

bool Near(COLORREF a, COLORREF b, int tolerance = 12) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

RECT ClientOnScreen(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != 0;
}

LONG Style(HWND window) {
    return GetWindowLongW(window, GWL_STYLE);
}

// Moves the real pointer to a screen point (the program sees WM_MOUSEMOVE) and waits until the
// system has it there. False for a point off the screen: the system would clamp it, and a wait for
// it would never end.
bool MovePointerToScreen(int x, int y) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    SetCursorPos(x, y);
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    move.mi.dx = ((x << 16) + w - 1) / w;
    move.mi.dy = ((y << 16) + h - 1) / h;
    SendInput(1, &move, sizeof move);
    return WaitFor([&] {
        POINT now{};
        return GetCursorPos(&now) && now.x == x && now.y == y;
    });
}

// The same for a point of the window's client.
bool MovePointerTo(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    return MovePointerToScreen(p.x, p.y);
}

// Moves the pointer to the screen corner farthest from the window, which is outside it.
bool MovePointerAwayFrom(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    return MovePointerToScreen((r.left + r.right) / 2 < w / 2 ? w - 2 : 1, (r.top + r.bottom) / 2 < h / 2 ? h - 2 : 1);
}

// The cursor the system shows now, or null while it is hidden.
HCURSOR ShownCursor() {
    CURSORINFO info{sizeof info};
    if (!GetCursorInfo(&info) || !(info.flags & CURSOR_SHOWING)) return nullptr;
    return info.hCursor;
}

// Polls until the window is full screen (maximised without caption) and has kept its place for
// three polls: it is styled, maximised and placed in steps, and a point taken from its client
// before the last step is somewhere else on the screen afterwards.
bool WaitForFullScreen(HWND view) {
    RECT last{};
    int same = 0;
    return WaitFor([&] {
        RECT now{};
        GetWindowRect(view, &now);
        bool full = IsZoomed(view) && (GetWindowLongW(view, GWL_STYLE) & WS_CAPTION) == 0;
        same = full && EqualRect(&now, &last) ? same + 1 : 0;
        last = now;
        return same >= 3;
    });
}

// Polls until the client size has stayed the same for three polls after `changed` first held.
bool WaitForSteadyClient(HWND window, const std::function<bool(const RECT&)>& changed, RECT* client) {
    RECT last{};
    int same = 0;
    return WaitFor([&] {
        RECT now{};
        GetClientRect(window, &now);
        same = changed(now) && EqualRect(&now, &last) ? same + 1 : 0;
        last = now;
        *client = now;
        return same >= 3;
    });
}

class HoverTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    HWND Start(const std::vector<SlotValue>& extra, int width, int height, const PixelFunction& pixel) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.insert(slots.end(), extra.begin(), extra.end());
        if (!folder_.Create(slots)) return nullptr;
        if (!WriteFileBytes(folder_.File(L"a.bmp"), BmpBytes(width, height, pixel))) return nullptr;
        if (withSecondImage_ && !WriteFileBytes(folder_.File(L"b.bmp"), SolidBmpBytes(320, 240, RGB(40, 40, 160))))
            return nullptr;
        process_ = Launch(folder_.exePath(), {folder_.File(L"a.bmp")});
        if (!process_.valid()) return nullptr;
        HWND view = WaitForProcessWindow(process_, kViewWindowClass);
        if (view && !WaitForTitleContaining(view, L"a.bmp")) return nullptr;
        if (view && !BringToFront(view)) return nullptr;
        return view;
    }

    HWND StartSmall(const std::vector<SlotValue>& extra = {}) {
        return Start(extra, 320, 240, [](int, int) { return RGB(90, 140, 90); });
    }

    HWND Navigator() {
        std::vector<HWND> found = FindTopLevelWindows(kNavigatorClass, process_.id());
        return found.empty() ? nullptr : found.front();
    }

    ProgramFolder folder_;
    ProcessOwner process_;
    bool withSecondImage_ = false; // b.bmp beside a.bmp
};

TEST_F(HoverTest, CaptionBarAndTopToggleKeepTheClientRectangle) {
    HWND view = StartSmall();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(Style(view) & WS_CAPTION, WS_CAPTION);
    RECT client = ClientOnScreen(view);

    ASSERT_EQ(GetWindowLongW(view, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    ASSERT_TRUE(PostCommand(view, kCmdTopMost));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (GetWindowLongW(view, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }));
    ASSERT_TRUE(PostCommand(view, kCmdTopMost));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (GetWindowLongW(view, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0; }));
    EXPECT_TRUE(SameRect(ClientOnScreen(view), client));

    ASSERT_TRUE(PostCommand(view, kCmdCaptionBar));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & WS_CAPTION) == 0; }))
        << "5330 should take the caption away";
    EXPECT_EQ(Style(view) & WS_THICKFRAME, 0);
    EXPECT_TRUE(SameRect(ClientOnScreen(view), client)) << "the client moved without the caption";

    ASSERT_TRUE(PostCommand(view, kCmdCaptionBar));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & WS_CAPTION) == WS_CAPTION; }));
    EXPECT_TRUE(SameRect(ClientOnScreen(view), client)) << "the client moved with the caption back";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(HoverTest, TopFromTheSettingsStartsTopmost) {
    HWND view = StartSmall({IntSlot(kSlotTop, 1)});
    ASSERT_NE(view, nullptr);
    EXPECT_NE(GetWindowLongW(view, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(HoverTest, TheBareWindowShowsItsFrameWhileThePointerIsOverIt) {
    HWND view = StartSmall({IntSlot(kSlotCapBar, 0), IntSlot(kSlotFrame, 1)});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(MovePointerAwayFrom(view));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & (WS_CAPTION | WS_THICKFRAME)) == 0; }));
    RECT client = ClientOnScreen(view);

    ASSERT_TRUE(MovePointerTo(view, 100, 100));
    ASSERT_TRUE(MovePointerTo(view, 110, 105));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & WS_THICKFRAME) != 0; }))
        << "no frame with the pointer inside";
    EXPECT_EQ(Style(view) & WS_CAPTION, 0);
    EXPECT_TRUE(SameRect(ClientOnScreen(view), client)) << "the frame must grow around the client";

    ASSERT_TRUE(MovePointerAwayFrom(view));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & WS_THICKFRAME) == 0; }))
        << "the frame stayed after leaving";
    EXPECT_TRUE(SameRect(ClientOnScreen(view), client));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(HoverTest, TheTopStripShowsTheToolBarAndMovingAwayHidesIt) {
    HWND view = StartSmall();
    ASSERT_NE(view, nullptr);
    HWND host = GetDlgItem(view, kToolBarHostId);
    ASSERT_NE(host, nullptr) << "no tool bar host (child 1000)";
    EXPECT_EQ(WindowClassName(host), L"Quorvel_vbarbs_class");
    EXPECT_FALSE(IsWindowVisible(host));

    ASSERT_TRUE(MovePointerTo(view, 150, 150));
    ASSERT_TRUE(MovePointerTo(view, 300, 10));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(host) != FALSE; }))
        << "the top strip should show the tool bar";
    RECT r{};
    GetClientRect(host, &r);
    EXPECT_EQ(r.right, 400);
    EXPECT_EQ(r.bottom, 24);
    Capture shot;
    EXPECT_TRUE(WaitFor([&] { return CaptureClientArea(host, &shot) && !shot.IsUniform(); }))
        << "the tool bar drew no buttons";

    // its tool tip is one of the three the ViewWindow owns: topmost, white, 300 ms
    HWND bar = FindWindowExW(host, nullptr, TOOLBARCLASSNAMEW, nullptr);
    ASSERT_NE(bar, nullptr);
    HWND tip = reinterpret_cast<HWND>(SendMessageW(bar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(GetWindow(tip, GW_OWNER), view);
    EXPECT_NE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    EXPECT_EQ(SendMessageW(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 300);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(255, 255, 255));
    EXPECT_GE(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 12) << "the buttons should have their tips";
    int owned = 0;
    for (HWND w : FindTopLevelWindows(TOOLTIPS_CLASSW, process_.id()))
        if (GetWindow(w, GW_OWNER) == view) ++owned;
    EXPECT_EQ(owned, 3);

    ASSERT_TRUE(MovePointerTo(view, 150, 150));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindowVisible(host); }))
        << "moving away should hide the tool bar";

    // 5332 turns the hover tool bar off; sent, so that it has run before the pointer moves
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(view, WM_COMMAND, kCmdToolBar, 0, SMTO_NORMAL, kStepTimeoutMs, &answer));
    ASSERT_TRUE(MovePointerTo(view, 300, 10));
    ASSERT_TRUE(MovePointerTo(view, 310, 12));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return !IsWindowVisible(host); }));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(HoverTest, FullScreenPutsItsButtonsAtTheRightEdgeOfTheToolBar) {
    HWND view = StartSmall();
    ASSERT_NE(view, nullptr);
    HWND host = GetDlgItem(view, kToolBarHostId);
    ASSERT_NE(host, nullptr);
    HWND bar = FindWindowExW(host, nullptr, TOOLBARCLASSNAMEW, nullptr);
    ASSERT_NE(bar, nullptr);
    EXPECT_NE(SendMessageW(bar, TB_ISBUTTONHIDDEN, kCmdClose, 0), 0)
        << "the full-screen group shows outside full screen";

    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitForFullScreen(view));
    EXPECT_TRUE(WaitFor([&] {
        for (UINT id : {kCmdMinimise, kCmdFullScreen, kCmdClose})
            if (SendMessageW(bar, TB_ISBUTTONHIDDEN, id, 0) != 0) return false;
        return true;
    })) << "the full-screen group stays hidden in full screen";

    ASSERT_TRUE(MovePointerTo(view, 400, 200));
    ASSERT_TRUE(MovePointerTo(view, 200, 8));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(host) != FALSE; }));
    RECT viewClient{}, hostClient{};
    GetClientRect(view, &viewClient);
    GetClientRect(host, &hostClient);
    EXPECT_EQ(hostClient.right, viewClient.right) << "in full screen the tool bar spans the width";
    // the close button's red cross is the rightmost thing drawn, near the right edge
    Capture shot;
    int rightmostRed = -1;
    WaitFor([&] {
        if (!CaptureClientArea(host, &shot)) return false;
        rightmostRed = -1;
        for (int y = 0; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x) {
                COLORREF c = shot.Pixel(x, y);
                if (GetRValue(c) > 150 && GetGValue(c) < 100 && GetBValue(c) < 100)
                    rightmostRed = std::max(rightmostRed, x);
            }
        return rightmostRed > shot.width - 30;
    });
    ASSERT_GE(rightmostRed, 0) << "no close button drawn";
    EXPECT_GT(rightmostRed, shot.width - 30) << "the close button should sit at the right edge";

    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & WS_CAPTION) == WS_CAPTION; }));
    EXPECT_FALSE(IsWindowVisible(host));
    EXPECT_NE(SendMessageW(bar, TB_ISBUTTONHIDDEN, kCmdClose, 0), 0);
    EXPECT_TRUE(CloseAndWait(view, process_));
}

bool CursorShowing() {
    CURSORINFO info{sizeof info};
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

TEST_F(HoverTest, StepsInFullScreenHideTheCursorAndALongMoveShowsIt) {
    withSecondImage_ = true;
    HWND view = StartSmall();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitForFullScreen(view));
    ASSERT_TRUE(BringToFront(view));
    ASSERT_TRUE(MovePointerTo(view, 300, 300));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, CursorShowing));

    ASSERT_TRUE(PostCommand(view, kCmdNextImage));
    ASSERT_TRUE(WaitForTitleContaining(view, L"b.bmp", kStepTimeoutMs));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [] { return !CursorShowing(); }))
        << "a step in full screen should hide the cursor";
    ASSERT_TRUE(MovePointerTo(view, 308, 305)); // a small move keeps it hidden
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [] { return !CursorShowing(); }));
    ASSERT_TRUE(MovePointerTo(view, 340, 305));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, CursorShowing)) << "a move of more than 16 pixels should show it again";

    // with the hover tool bar up the cursor stays
    ASSERT_TRUE(MovePointerTo(view, 200, 8));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(GetDlgItem(view, kToolBarHostId)) != FALSE; }));
    ASSERT_TRUE(PostCommand(view, kCmdPreviousImage));
    ASSERT_TRUE(WaitForTitleContaining(view, L"a.bmp", kStepTimeoutMs));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, CursorShowing));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(HoverTest, FullScreenFromTheBareWindowComesBackBare) {
    HWND view = StartSmall({IntSlot(kSlotCapBar, 0), IntSlot(kSlotFrame, 1)});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(MovePointerTo(view, 60, 60));
    ASSERT_TRUE(MovePointerTo(view, 70, 66));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & WS_THICKFRAME) != 0; }));

    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitForFullScreen(view));
    EXPECT_TRUE(WaitFor([&] { return (Style(view) & (WS_CAPTION | WS_THICKFRAME)) == 0; }))
        << "full screen has no frame";
    ASSERT_TRUE(MovePointerToScreen(5, 500));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return (Style(view) & WS_THICKFRAME) == 0; }))
        << "no hover frame in full screen";

    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsZoomed(view); }));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return (Style(view) & WS_CAPTION) == 0; }))
        << "leaving full screen must not add a caption";
    ASSERT_TRUE(MovePointerAwayFrom(view));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return (Style(view) & WS_THICKFRAME) == 0; }));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

// The outline's pixels: the image colour XORed with the grey pen.
int CountMarkerPixels(const Capture& shot, int* minX) {
    COLORREF onLeft = kLeftColour ^ kXorGrey, onRight = kRightColour ^ kXorGrey;
    int count = 0;
    *minX = shot.width;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            COLORREF c = shot.Pixel(x, y);
            if (Near(c, onLeft, 8) || Near(c, onRight, 8)) {
                ++count;
                *minX = std::min(*minX, x);
            }
        }
    return count;
}

TEST_F(HoverTest, TheRightStripShowsTheNavigatorWithThumbnailAndMarker) {
    // 3000 x 2000: left half red, right half blue
    HWND view = Start({}, 3000, 2000, [](int x, int) { return x < 1500 ? kLeftColour : kRightColour; });
    ASSERT_NE(view, nullptr);
    RECT before{};
    GetClientRect(view, &before);
    ASSERT_TRUE(PostCommand(view, kCmdZoomActual));
    RECT client{};
    ASSERT_TRUE(WaitForSteadyClient(
        view, [&](const RECT& now) { return now.right > before.right || now.bottom > before.bottom; }, &client))
        << "100 % should grow the fitted window";
    ASSERT_GT(client.right, 240);
    ASSERT_GT(client.bottom, 240);

    ASSERT_TRUE(MovePointerTo(view, client.right / 2, client.bottom / 2));
    EXPECT_EQ(Navigator(), nullptr);
    HCURSOR overView = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (overView = ShownCursor()) != nullptr; }));
    ASSERT_TRUE(MovePointerTo(view, client.right - 8, 60));
    HWND navigator = nullptr;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        navigator = Navigator();
        return navigator && IsWindowVisible(navigator);
    })) << "the right strip should show the navigator";
    EXPECT_NE(GetForegroundWindow(), navigator) << "the navigator must not take the focus";
    EXPECT_EQ(GetForegroundWindow(), view);
    RECT nav{};
    GetClientRect(navigator, &nav);
    EXPECT_EQ(nav.right, 160);
    EXPECT_EQ(nav.bottom, 120);
    RECT navWindow{}, viewWindow{};
    GetWindowRect(navigator, &navWindow);
    GetWindowRect(view, &viewWindow);
    EXPECT_EQ(navWindow.right, viewWindow.right) << "placed against the ViewWindow's right edge";

    // 3000 x 2000 in 160 x 120: 160 x 106 from y 7, red on the left and blue on the right
    Capture shot;
    int minX = 0;
    WaitFor([&] {
        return CaptureClientArea(navigator, &shot) && Near(shot.Pixel(5, 60), kLeftColour) &&
               Near(shot.Pixel(154, 60), kRightColour) && CountMarkerPixels(shot, &minX) > 40;
    });
    EXPECT_TRUE(Near(shot.Pixel(5, 60), kLeftColour)) << "left half of the thumbnail";
    EXPECT_TRUE(Near(shot.Pixel(154, 60), kRightColour)) << "right half of the thumbnail";
    EXPECT_FALSE(Near(shot.Pixel(80, 2), kLeftColour)) << "the band above the thumbnail is background";
    int marker = CountMarkerPixels(shot, &minX);
    EXPECT_GT(marker, 40) << "no visible-part outline";
    EXPECT_GT(minX, 10);
    EXPECT_LT(minX, 80) << "a centred view puts the outline in the middle";

    // over the navigator the pointer is the program's navigator cursor, not the view's arrow
    ASSERT_TRUE(MovePointerTo(navigator, 80, 60));
    EXPECT_TRUE(WaitFor([&] {
        HCURSOR now = ShownCursor();
        return now && now != overView;
    })) << "the navigator shows the view's cursor";

    ASSERT_TRUE(MovePointerTo(view, client.right / 2, client.bottom / 2));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindowVisible(navigator); }))
        << "leaving the strip should hide it";
    EXPECT_TRUE(WaitFor([&] { return ShownCursor() == overView; })) << "the view's own cursor is back";

    // a right-button drag scrolls to the right: the outline follows, the old one is erased
    POINT press{client.right / 2, client.bottom / 2};
    PostMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(press.x, press.y));
    PostMessageW(view, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(press.x - 10, press.y));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowVisible(navigator) != FALSE; }))
        << "a drag scroll shows the navigator";
    ASSERT_TRUE(WaitFor([&] { return CaptureClientArea(navigator, &shot) && CountMarkerPixels(shot, &minX) > 40; }));
    marker = CountMarkerPixels(shot, &minX);
    PostMessageW(view, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(press.x - 110, press.y));
    Capture moved;
    int movedMinX = 0, movedMarker = 0;
    WaitFor([&] {
        if (!CaptureClientArea(navigator, &moved)) return false;
        movedMarker = CountMarkerPixels(moved, &movedMinX);
        return movedMinX > minX && std::abs(movedMarker - marker) <= marker / 4;
    });
    EXPECT_GT(movedMinX, minX) << "the outline did not follow the scroll";
    EXPECT_LE(std::abs(movedMarker - marker), marker / 4) << "the old outline was not erased";
    PostMessageW(view, WM_RBUTTONUP, 0, MAKELPARAM(press.x - 110, press.y));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindowVisible(navigator); }))
        << "the end of the drag hides it";

    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(HoverTest, InFullScreenTheNavigatorSitsBelowTheToolBarAtTheRightEdge) {
    HWND view = Start({}, 3000, 2000, [](int x, int) { return x < 1500 ? kLeftColour : kRightColour; });
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, kCmdFullScreen));
    ASSERT_TRUE(WaitForFullScreen(view));
    ASSERT_TRUE(PostCommand(view, kCmdZoomActual));
    // at 100 % the picture covers the screen, where the fitted one left a band above it
    ASSERT_TRUE(WaitFor([&] { return Near(ClientPixel(view, 5, 5), kLeftColour); })) << "100 % did not fill the screen";
    RECT client{};
    GetClientRect(view, &client);
    ASSERT_TRUE(MovePointerTo(view, client.right / 2, client.bottom / 2));
    ASSERT_TRUE(MovePointerTo(view, client.right - 5, 100));
    HWND navigator = nullptr;
    // the strip shows the navigator on any move inside it; a move the loaded system dropped is
    // given again, a pixel apart, until one arrives
    int nudge = 0;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        navigator = Navigator();
        if (navigator && IsWindowVisible(navigator)) return true;
        MovePointerTo(view, client.right - 5, 100 + (++nudge & 1));
        return false;
    }));
    RECT nav{}, screen{};
    GetWindowRect(navigator, &nav);
    GetWindowRect(view, &screen);
    EXPECT_EQ(nav.right, screen.right);
    EXPECT_EQ(nav.top, screen.top + 24) << "below the tool bar host";
    EXPECT_EQ(GetForegroundWindow(), view);
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(HoverTest, TheHistoryWindowDisablesTheMainWindowUntilEsc) {
    HWND view = StartSmall();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, kCmdHistoryWindow));
    HWND history = nullptr;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        std::vector<HWND> found = FindTopLevelWindows(kHistoryClass, process_.id(), true);
        history = found.empty() ? nullptr : found.front();
        return history != nullptr;
    }));
    EXPECT_FALSE(IsWindowEnabled(view));
    HWND list = GetDlgItem(history, kHistoryListId);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 1) << "the opened image is the one step";

    ASSERT_TRUE(PostKey(list, VK_ESCAPE));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindow(history); })) << "Esc should close the history window";
    EXPECT_TRUE(IsWindowEnabled(view));
    EXPECT_FALSE(process_.HasExited()) << "the Esc must not reach the close command";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

} // namespace
} // namespace qvtest
