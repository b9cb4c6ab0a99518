// The view state machine drives every surface: the keyboard scroll commands of
// the ViewWindow, the wheel, middle button, area zoom, right-drag scroll and
// the shared scroll bars of the SubWindow's panes, and the wheel left alone
// while a slideshow runs.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "ui/window_classes.h"

namespace qvtest {
namespace {

constexpr int kZoomFieldId = 1040;
constexpr COLORREF kLeftColour = RGB(200, 0, 0);
constexpr COLORREF kRightColour = RGB(0, 0, 200);

LPARAM ClientPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

bool Near(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= 12 && std::abs(GetGValue(a) - GetGValue(b)) <= 12 &&
           std::abs(GetBValue(a) - GetBValue(b)) <= 12;
}

COLORREF PixelOf(HWND window, int x, int y) {
    Capture shot;
    if (!CaptureClientArea(window, &shot)) return CLR_INVALID;
    return shot.Pixel(x < 0 ? shot.width + x : x, y < 0 ? shot.height + y : y);
}

// Left half red, right half blue.
COLORREF Halves(int x, int width) {
    return x < width / 2 ? kLeftColour : kRightColour;
}

std::wstring Text(HWND window) {
    wchar_t text[64] = {};
    SendMessageW(window, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    return text;
}

HWND ChildById(HWND root, int id) {
    struct Find {
        int id;
        HWND found = nullptr;
    } f{id};
    EnumChildWindows(
        root,
        [](HWND w, LPARAM data) -> BOOL {
            auto* f = reinterpret_cast<Find*>(data);
            if (GetDlgCtrlID(w) != f->id) return TRUE;
            f->found = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&f));
    return f.found;
}

// The image column a pane shows at its left edge: the test image carries x in its red and green.
COLORREF ColumnColour(int x, int) {
    return RGB(x % 256, x / 256, 90);
}
int LeftColumn(HWND pane) {
    COLORREF c = PixelOf(pane, 0, 40);
    return c == CLR_INVALID || GetBValue(c) != 90 ? -1 : GetRValue(c) + 256 * GetGValue(c);
}

// The red pixels of the middle row: the width the image is shown at.
int RedWidth(const Capture& c) {
    int n = 0;
    for (int x = 0; x < c.width; ++x)
        n += Near(c.Pixel(x, c.height / 2), kLeftColour);
    return n;
}

bool HasBar(HWND pane, DWORD style) {
    return (GetWindowLongW(pane, GWL_STYLE) & style) != 0;
}

class ViewStateTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (process_.valid() && view_) CloseAndWait(view_, process_);
    }

    // Starts on `open` among `files` and waits for its title in the main window
    // of the mode.
    bool Start(std::vector<SlotValue> slots, const std::vector<std::pair<std::wstring, std::string>>& files,
               const std::wstring& open, bool subWindow) {
        std::vector<SlotValue> all = QuietSettings();
        all.insert(all.end(), slots.begin(), slots.end());
        if (subWindow) all.push_back(IntSlot(qv::kSlotStart, 1));
        if (!folder_.Create(all)) return false;
        for (const auto& [name, bytes] : files)
            if (!WriteFileBytes(folder_.File(name), bytes)) return false;
        process_ = Launch(folder_.exePath(), {folder_.File(open)});
        view_ = WaitForProcessWindow(process_, kViewWindowClass, kStartTimeoutMs, !subWindow);
        if (!view_) return false;
        main_ = subWindow ? WaitForProcessWindow(process_, kSubWindowClass) : view_;
        if (!main_ || !WaitForTitleContaining(main_, open)) return false;
        if (subWindow) {
            pane1_ = FindWindowExW(main_, nullptr, qv::kPane1Class, nullptr);
            pane2_ = FindWindowExW(main_, nullptr, qv::kPane2Class, nullptr);
            zoomField_ = ChildById(main_, kZoomFieldId);
            if (!pane1_ || !pane2_ || !zoomField_) return false;
        }
        SetForegroundWindow(main_);
        PumpMessages(300);
        return true;
    }

    std::wstring Zoom() const { return Text(zoomField_); }
    bool WaitForZoomChange(const std::wstring& from) {
        return WaitFor([&] { return Zoom() != from; });
    }

    ProgramFolder folder_;
    ProcessOwner process_;
    HWND view_ = nullptr, main_ = nullptr, pane1_ = nullptr, pane2_ = nullptr, zoomField_ = nullptr;
};

TEST_F(ViewStateTest, KeyboardScrollCommandsMoveTheVisiblePart) {
    // a fixed 600-pixel client on a 1200-pixel image at 100 %: the middle shows
    // at first
    std::vector<SlotValue> fixed = {IntSlot(qv::kSlotFitWin, 0), IntSlot(qv::kSlotVwinX, 50),
                                    IntSlot(qv::kSlotVwinX + 1, 50), IntSlot(qv::kSlotVwinX + 2, 600),
                                    IntSlot(qv::kSlotVwinX + 3, 400)};
    std::string image = BmpBytes(1200, 300, [](int x, int) { return Halves(x, 1200); });
    ASSERT_TRUE(Start(fixed, {{L"wide.bmp", image}}, L"wide.bmp", false));
    ASSERT_TRUE(PostCommand(view_, qv::kCmdZoomActual));
    ASSERT_TRUE(WaitFor([&] { return Near(PixelOf(view_, 2, 150), kLeftColour); }));
    ASSERT_TRUE(Near(PixelOf(view_, -3, 150), kRightColour));

    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(PostCommand(view_, qv::kCmdScrollRight));
    EXPECT_TRUE(WaitFor([&] { return Near(PixelOf(view_, 2, 150), kRightColour); }))
        << "scrolling right brings the right half to the left edge";
    for (int i = 0; i < 80; ++i)
        ASSERT_TRUE(PostCommand(view_, qv::kCmdScrollLeft));
    EXPECT_TRUE(WaitFor([&] { return Near(PixelOf(view_, -3, 150), kLeftColour); }))
        << "scrolling left brings the left half to the right edge";
}

TEST_F(ViewStateTest, PaneWheelAndMiddleButtonZoom) {
    ASSERT_TRUE(Start({}, {{L"big.bmp", SolidBmpBytes(1600, 1200, kLeftColour)}}, L"big.bmp", true));
    std::wstring fitted = Zoom();
    ASSERT_NE(fitted, L"100%") << "the test image should be reduced to fit";
    // the wheel reaches the SubWindow, which has the focus: towards the user
    // zooms in by 10 %
    PostMessageW(main_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    ASSERT_TRUE(WaitForZoomChange(fitted));
    EXPECT_EQ(Zoom(), std::to_wstring(std::wcstol(fitted.c_str(), nullptr, 10) + 10) + L"%");

    RECT c;
    GetClientRect(pane1_, &c);
    std::wstring stepped = Zoom();
    PostMessageW(pane1_, WM_MBUTTONDOWN, MK_MBUTTON, ClientPoint(c.right / 2, c.bottom / 2));
    EXPECT_TRUE(WaitFor([&] { return Zoom() == L"100%"; })) << "zoom shows " << Zoom();
    PostMessageW(pane1_, WM_MBUTTONDOWN, MK_MBUTTON, ClientPoint(c.right / 2, c.bottom / 2));
    EXPECT_TRUE(WaitFor([&] { return Zoom() == fitted; })) << "at 100 % the middle button fits";
}

TEST_F(ViewStateTest, BothPanesCarryTheSameScrollBarsAndRightDragScrolls) {
    // not a large image (both sides beyond the screen), so a drag scrolls by the pointer's own distance
    ASSERT_TRUE(Start({}, {{L"big.bmp", BmpBytes(2400, 900, ColumnColour)}}, L"big.bmp", true));
    ASSERT_TRUE(PostCommand(main_, qv::kCmdZoomActual));
    ASSERT_TRUE(WaitFor([&] { return Zoom() == L"100%"; }));
    ASSERT_TRUE(WaitFor([&] { return HasBar(pane1_, WS_HSCROLL) && HasBar(pane2_, WS_HSCROLL); }))
        << "both panes show the horizontal bar";
    EXPECT_TRUE(HasBar(pane1_, WS_VSCROLL) && HasBar(pane2_, WS_VSCROLL));
    int start = -1;
    ASSERT_TRUE(WaitFor([&] { return (start = LeftColumn(pane1_)) > 0; })) << "a centred view of the wide image";

    // a page on the result pane's bar moves the shared view
    PostMessageW(pane2_, WM_HSCROLL, SB_PAGEDOWN, 0);
    int paged = start;
    ASSERT_TRUE(WaitFor([&] { return (paged = LeftColumn(pane1_)) > start; }));

    // dragging with the right button 100 pixels to the left shows 100 image pixels further right
    PostMessageW(pane1_, WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(300, 200));
    PostMessageW(pane1_, WM_MOUSEMOVE, MK_RBUTTON, ClientPoint(250, 200));
    PostMessageW(pane1_, WM_MOUSEMOVE, MK_RBUTTON, ClientPoint(200, 200));
    PostMessageW(pane1_, WM_RBUTTONUP, 0, ClientPoint(200, 200));
    EXPECT_TRUE(WaitFor([&] { return LeftColumn(pane1_) == paged + 100; }))
        << "column " << LeftColumn(pane1_) << " after " << paged;
    EXPECT_TRUE(IsWindowVisible(main_)) << "a drag opens no menu";
}

TEST_F(ViewStateTest, AreaZoomInAPane) {
    ASSERT_TRUE(Start({}, {{L"big.bmp", SolidBmpBytes(1600, 1200, kLeftColour)}}, L"big.bmp", true));
    std::wstring fitted = Zoom();
    RECT c;
    GetClientRect(pane1_, &c);
    int x = c.right / 2, y = c.bottom / 2; // on the fitted image, whichever side it fills
    PostMessageW(pane1_, WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(x - 30, y - 20));
    PostMessageW(pane1_, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(x, y));
    PostMessageW(pane1_, WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(x + 30, y + 20));
    PostMessageW(pane1_, WM_LBUTTONUP, 0, ClientPoint(x + 30, y + 20));
    ASSERT_TRUE(WaitForZoomChange(fitted));
    EXPECT_GT(std::wcstol(Zoom().c_str(), nullptr, 10), 3 * std::wcstol(fitted.c_str(), nullptr, 10))
        << "a band of a few pixels fills the pane";
}

TEST_F(ViewStateTest, TheWheelIsLeftAloneWhileASlideshowRuns) {
    std::vector<std::pair<std::wstring, std::string>> files = {{L"a.bmp", SolidBmpBytes(300, 200, kLeftColour)},
                                                               {L"b.bmp", SolidBmpBytes(300, 200, kRightColour)}};
    ASSERT_TRUE(Start({IntSlot(qv::kSlotTime, 60)}, files, L"a.bmp", false));
    ASSERT_TRUE(PostCommand(view_, qv::kCmdSlideshow));
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(view_); })) << "the slideshow runs in full screen";
    Capture shot;
    ASSERT_TRUE(WaitFor([&] { return CaptureClientArea(view_, &shot) && RedWidth(shot) == 300; }))
        << "the image at 100 % in the middle of the screen";
    // sent, not posted: the program has handled each before the call returns, and
    // the repaint asked for afterwards would show a zoom
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(view_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0, SMTO_NORMAL,
                        kStepTimeoutMs, &ignored);
    SendMessageTimeoutW(view_, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)), 0, SMTO_NORMAL,
                        kStepTimeoutMs, &ignored);
    RedrawWindow(view_, nullptr, nullptr, RDW_UPDATENOW);
    EXPECT_NE(WindowTitle(view_).find(L"a.bmp"), std::wstring::npos) << "Ctrl+wheel must not step the list";
    ASSERT_TRUE(CaptureClientArea(view_, &shot));
    EXPECT_EQ(RedWidth(shot), 300) << "the wheel must not zoom";

    // once the show is stopped the same wheel zooms the full-screen view; posted after the command,
    // since a sent wheel would be handled before the posted stop and find the show still running
    ASSERT_TRUE(PostCommand(view_, qv::kCmdSlideshow));
    ASSERT_TRUE(PostMessageW(view_, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0));
    EXPECT_TRUE(WaitFor([&] { return CaptureClientArea(view_, &shot) && RedWidth(shot) == 330; }));
}

} // namespace
} // namespace qvtest
