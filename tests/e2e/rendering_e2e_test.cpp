// What the ViewWindow shows: images at 100 % pixel for pixel in the laid-out place, fitted and
// zoomed images through the halftone filter, the background colour, the load-failure text, and
// the mouse: wheel, middle button, Ctrl+drag area zoom and right-drag scrolling.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"

namespace qvtest {
namespace {

using qv::kCmdBackgroundBlack;
using qv::kCmdZoomIn;
using qv::kSlotBgColor;
using qv::kSlotSthMode;
constexpr int kFilterTolerance = 12; // per channel, for uniform areas seen through HALFTONE
// A repaint reaches the screen (the X server) a little after the program painted; every capture
// polls until what it checks shows, and then the assertions run on that capture.

// Four coloured quadrants crossed by a black one-pixel grid every 16 pixels: any shift, scaling
// or row flip shows.
COLORREF Quadrants(int x, int y, int width, int height) {
    if (x % 16 == 0 || y % 16 == 0) return RGB(0, 0, 0);
    bool right = x >= width / 2, bottom = y >= height / 2;
    if (!bottom) return right ? RGB(0, 255, 0) : RGB(255, 0, 0);
    return right ? RGB(255, 255, 0) : RGB(0, 0, 255);
}

// Blocks of 250 x 200 pixels, each its own colour, for filtered views.
constexpr int kBlockWidth = 250;
constexpr int kBlockHeight = 200;
COLORREF BlockColour(int x, int y) {
    int i = x / kBlockWidth, j = y / kBlockHeight;
    return RGB(24 + 28 * i, 24 + 28 * j, (i + j) % 2 ? 200 : 60);
}
// True when the image point is at least `margin` pixels from every block edge.
bool InsideBlock(double x, double y, double margin) {
    double bx = x - kBlockWidth * static_cast<int>(x / kBlockWidth);
    double by = y - kBlockHeight * static_cast<int>(y / kBlockHeight);
    return bx >= margin && bx <= kBlockWidth - margin && by >= margin && by <= kBlockHeight - margin;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

// Polls until the client size differs from `before` and then stays the same for three polls (a
// zoom may resize the fitted window in steps).
bool WaitForClientChange(HWND window, SIZE before, DWORD timeoutMs = 10000) {
    SIZE last = before;
    int same = 0;
    return WaitUntil(timeoutMs, [&] {
        SIZE now = ClientSize(window);
        bool moved = now.cx != before.cx || now.cy != before.cy;
        same = moved && now.cx == last.cx && now.cy == last.cy ? same + 1 : 0;
        last = now;
        return same >= 3;
    });
}

// Captures the client area until `shows` holds for the capture or the time is up; the last
// capture is left in `c` for the assertions that follow.
template <typename Shows> bool CaptureWhen(HWND window, Capture* c, Shows shows) {
    return WaitUntil(kStepTimeoutMs, [&] { return CaptureClientArea(window, c) && shows(*c); });
}

void ParkCursor(HWND window, int x, int y) {
    POINT p{x, y};
    ClientToScreen(window, &p);
    SetCursorPos(p.x, p.y);
}

LPARAM ClientPoint(int x, int y) {
    return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

class RenderingTest : public ::testing::Test {
protected:
    // Only this test's program is closed: other sessions may run theirs on the same display. A
    // process that does not close is terminated by its owner.
    void TearDown() override {
        if (process_.valid() && view_) CloseAndWait(view_, process_);
    }

    // Writes the image files, starts the program on `open` (none when empty) and waits until the
    // title names `waitFor`.
    HWND Start(std::vector<SlotValue> slots, const std::wstring& open, const std::wstring& waitFor) {
        std::vector<SlotValue> all = QuietSettings();
        all.insert(all.end(), slots.begin(), slots.end());
        if (!folder_.Create(all)) return nullptr;
        for (auto& [name, bytes] : files_)
            if (!WriteFileBytes(folder_.File(name), bytes)) return nullptr;
        std::vector<std::wstring> args;
        if (!open.empty()) args.push_back(folder_.File(open));
        process_ = Launch(folder_.exePath(), args);
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        if (!view_) return nullptr;
        if (!waitFor.empty() && !WaitForTitleContaining(view_, waitFor)) return nullptr;
        return BringToFront(view_) && WaitUntilPainted(view_) ? view_ : nullptr;
    }

    // A ViewWindow of fixed placement (FitWin off) larger than small images.
    static std::vector<SlotValue> FixedWindow(int32_t bgColor) {
        return {IntSlot(qv::kSlotFitWin, 0),      IntSlot(qv::kSlotVwinX, 100),     IntSlot(qv::kSlotVwinX + 1, 80),
                IntSlot(qv::kSlotVwinX + 2, 600), IntSlot(qv::kSlotVwinX + 3, 500), IntSlot(kSlotBgColor, bgColor)};
    }

    void AddImage(const std::wstring& name, int width, int height, const PixelFunction& pixel) {
        files_.push_back({name, BmpBytes(width, height, pixel)});
    }
    void AddBlocks(const std::wstring& name) { AddImage(name, 2000, 1600, BlockColour); }

    // Compares the capture with the block image at zoom z with the visible part starting at the
    // image point (sourceLeft, sourceTop); returns the number of differing sample points and the
    // number compared.
    static int CompareBlocks(const Capture& c, double z, int sourceLeft, int sourceTop, int* compared,
                             bool report = true) {
        int wrong = 0;
        *compared = 0;
        for (int y = 5; y < c.height - 5; y += 23) {
            for (int x = 5; x < c.width - 5; x += 23) {
                double ix = sourceLeft + (x + 0.5) / z, iy = sourceTop + (y + 0.5) / z;
                if (!InsideBlock(ix, iy, 6 + 2 / z)) continue;
                ++*compared;
                COLORREF want = BlockColour(static_cast<int>(ix), static_cast<int>(iy));
                if (!Near(c.Pixel(x, y), want, kFilterTolerance)) {
                    if (report && wrong < 5)
                        ADD_FAILURE() << "client " << x << "," << y << " (image " << ix << "," << iy << ") is "
                                      << std::hex << c.Pixel(x, y) << " instead of " << want;
                    ++wrong;
                }
            }
        }
        return wrong;
    }

    ProgramFolder folder_;
    ProcessOwner process_;
    HWND view_ = nullptr;
    std::vector<std::pair<std::wstring, std::string>> files_;
};

// ---- 100 %, backgrounds -----------------------------------------------------------------------

TEST_F(RenderingTest, ShowsASmallImageAtFullSizeCentredWithTheBackgroundAround) {
    const int w = 200, h = 150;
    AddImage(L"quad.bmp", w, h, [&](int x, int y) { return Quadrants(x, y, w, h); });
    HWND view = Start(FixedWindow(0), L"quad.bmp", L"quad.bmp");
    ASSERT_NE(view, nullptr);

    Capture c;
    auto shown = [&](const Capture& s, COLORREF border) {
        int l = (s.width - w) / 2, t = (s.height - h) / 2;
        return s.width > w && s.height > h && s.Pixel(0, 0) == border && s.Pixel(l + 5, t + 5) == RGB(255, 0, 0) &&
               s.Pixel(l + w - 5, t + h - 5) == RGB(255, 255, 0);
    };
    CaptureWhen(view, &c, [&](const Capture& s) { return shown(s, RGB(255, 255, 255)); });
    ASSERT_GT(c.width, w);
    ASSERT_GT(c.height, h);
    int left = (c.width - w) / 2, top = (c.height - h) / 2;
    int wrong = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c.Pixel(left + x, top + y) != Quadrants(x, y, w, h) && wrong++ < 5)
                ADD_FAILURE() << "image pixel " << x << "," << y << " shows " << std::hex << c.Pixel(left + x, top + y);
    EXPECT_EQ(wrong, 0);
    // the four strips around the image: white (BgColor 0)
    const POINT border[] = {{0, 0},
                            {left - 1, top + h / 2},
                            {left + w, top + h / 2},
                            {left + w / 2, top - 1},
                            {left + w / 2, top + h},
                            {c.width - 1, c.height - 1}};
    for (POINT p : border)
        EXPECT_EQ(c.Pixel(p.x, p.y), RGB(255, 255, 255)) << p.x << "," << p.y;

    // command 5345 turns the background black at once and leaves the image alone
    ASSERT_TRUE(PostCommand(view, kCmdBackgroundBlack));
    CaptureWhen(view, &c, [&](const Capture& s) { return shown(s, RGB(0, 0, 0)); });
    for (POINT p : border)
        EXPECT_EQ(c.Pixel(p.x, p.y), RGB(0, 0, 0)) << p.x << "," << p.y;
    EXPECT_EQ(c.Pixel(left + 5, top + 5), RGB(255, 0, 0));
    EXPECT_EQ(c.Pixel(left + w - 5, top + h - 5), RGB(255, 255, 0));
}

TEST_F(RenderingTest, BackgroundSettingPaintsTheBorder) {
    AddImage(L"small.bmp", 100, 80, [](int, int) { return RGB(10, 200, 30); });
    const struct {
        int32_t bgColor;
        COLORREF border;
    } cases[] = {{0, RGB(255, 255, 255)}, {4, RGB(0, 0, 0)}, {1, RGB(192, 192, 192)}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.bgColor);
        HWND view = Start(FixedWindow(k.bgColor), L"small.bmp", L"small.bmp");
        ASSERT_NE(view, nullptr);
        Capture c;
        CaptureWhen(view, &c, [&](const Capture& s) {
            return s.Pixel(2, 2) == k.border && s.Pixel(s.width / 2, s.height / 2) == RGB(10, 200, 30);
        });
        EXPECT_EQ(c.Pixel(2, 2), k.border);
        EXPECT_EQ(c.Pixel(c.width - 3, c.height - 3), k.border);
        EXPECT_EQ(c.Pixel(c.width / 2, c.height / 2), RGB(10, 200, 30));
        EXPECT_TRUE(CloseAndWait(view, process_));
        view_ = nullptr;
    }
}

// ---- fitted and zoomed -------------------------------------------------------------------------

TEST_F(RenderingTest, FitsALargeImageIntoTheScreenAndZoomsIn) {
    AddBlocks(L"blocks.bmp");
    HWND view = Start({}, L"blocks.bmp", L"blocks.bmp");
    ASSERT_NE(view, nullptr);

    // the window is fitted around the whole shrunk image, so the client is the scaled size
    Capture c;
    int compared = 0;
    CaptureWhen(view, &c, [&](const Capture& s) {
        return s.width < 2000 && CompareBlocks(s, s.width / 2000.0, 0, 0, &compared, false) == 0;
    });
    ASSERT_LT(c.width, 2000);
    double z = c.width / 2000.0;
    EXPECT_NEAR(c.height, 1600 * z, 1.0) << "aspect ratio lost";
    EXPECT_EQ(CompareBlocks(c, z, 0, 0, &compared), 0);
    EXPECT_GT(compared, 200);

    // zoom in: twice the zoom, centred on the image centre, the window as large as the work area
    SIZE before = ClientSize(view);
    ASSERT_TRUE(PostCommand(view, kCmdZoomIn));
    ASSERT_TRUE(WaitForClientChange(view, before));
    double z2 = 2 * z;
    auto part = [&](const Capture& s, int* left, int* top) {
        *left = 1000 - static_cast<int>(s.width / z2 + 0.5) / 2;
        *top = 800 - static_cast<int>(s.height / z2 + 0.5) / 2;
    };
    CaptureWhen(view, &c, [&](const Capture& s) {
        int l = 0, t = 0;
        part(s, &l, &t);
        return CompareBlocks(s, z2, l, t, &compared, false) == 0;
    });
    int sw = static_cast<int>(c.width / z2 + 0.5), sh = static_cast<int>(c.height / z2 + 0.5);
    ASSERT_LT(c.width, static_cast<int>(2000 * z2)) << "expected a view of part of the image";
    EXPECT_EQ(CompareBlocks(c, z2, 1000 - sw / 2, 800 - sh / 2, &compared), 0);
    EXPECT_GT(compared, 200);
}

// ---- failed load ---------------------------------------------------------------------------------

TEST_F(RenderingTest, AFailedLoadShowsTheEmptyViewWithItsText) {
    files_.push_back({L"broken.bmp", std::string("BM this is not a bitmap at all, only text")});
    HWND view = Start({}, L"", L"");
    ASSERT_NE(view, nullptr);
    Capture empty;
    CaptureWhen(view, &empty, [](const Capture& s) { return s.Pixel(1, 1) == RGB(128, 128, 128) && s.IsUniform(); });
    COLORREF background = 0;
    EXPECT_TRUE(empty.IsUniform(&background)) << "an empty view without a failed load has no text";
    EXPECT_EQ(background, RGB(128, 128, 128)); // BgColor 2 by default
    ASSERT_TRUE(CloseAndWait(view, process_));

    view = Start({}, L"broken.bmp", L"broken.bmp");
    ASSERT_NE(view, nullptr);
    Capture c;
    CaptureWhen(view, &c, [&](const Capture& s) { return s.Pixel(1, 1) == background && !s.IsUniform(); });
    EXPECT_EQ(c.Pixel(1, 1), background);
    EXPECT_EQ(c.Pixel(c.width - 2, c.height - 2), background);
    // white text (BgColor > 1) on one line through the middle, nothing far above or below it
    int textPixels = 0, stray = 0;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            if (c.Pixel(x, y) == background) continue;
            if (std::abs(y - c.height / 2) <= 12 && std::abs(x - c.width / 2) < c.width / 2 - 4)
                ++textPixels;
            else
                ++stray;
        }
    }
    EXPECT_GT(textPixels, 100);
    EXPECT_EQ(stray, 0);
    bool white = false;
    for (int x = 0; x < c.width; ++x)
        for (int y = c.height / 2 - 12; y <= c.height / 2 + 12; ++y)
            white |= c.Pixel(x, y) == RGB(255, 255, 255);
    EXPECT_TRUE(white) << "the text is white on a grey background";
}

// A view narrower than the text shows it cut at a word with an ellipsis, inside the view, not
// overflowing both edges.
TEST_F(RenderingTest, TheLoadFailureTextEndsInAnEllipsisInANarrowView) {
    files_.push_back({L"broken.bmp", std::string("BM this is not a bitmap at all, only text")});
    HWND view = Start({IntSlot(qv::kSlotFitWin, 0)}, L"broken.bmp", L"broken.bmp");
    ASSERT_NE(view, nullptr);
    RECT window{}, client{};
    GetWindowRect(view, &window);
    GetClientRect(view, &client);
    const int frame = (window.right - window.left) - client.right;
    SetWindowPos(view, nullptr, 0, 0, 120 + frame, window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return ClientSize(view).cx == 120; })) << ClientSize(view).cx;
    int textPixels = 0, atTheEdges = 0;
    auto count = [&](const Capture& c) {
        COLORREF background = c.Pixel(1, 1);
        textPixels = atTheEdges = 0;
        for (int y = c.height / 2 - 12; y <= c.height / 2 + 12; ++y) {
            for (int x = 0; x < c.width; ++x) {
                if (c.Pixel(x, y) == background) continue;
                ++textPixels;
                if (x < 2 || x >= c.width - 2) ++atTheEdges;
            }
        }
        return c.width == 120 && textPixels > 30 && atTheEdges == 0;
    };
    Capture c;
    CaptureWhen(view, &c, count); // the narrow paint follows the resize
    EXPECT_GT(textPixels, 30);
    EXPECT_EQ(atTheEdges, 0) << "the text runs past the view";
}

// ---- mouse -----------------------------------------------------------------------------------------

TEST_F(RenderingTest, WheelZoomsAndCtrlWheelSteps) {
    AddImage(L"a.bmp", 300, 200, [](int, int) { return RGB(200, 0, 0); });
    AddImage(L"b.bmp", 300, 200, [](int, int) { return RGB(0, 0, 200); });
    HWND view = Start({}, L"a.bmp", L"a.bmp");
    ASSERT_NE(view, nullptr);
    SIZE before = ClientSize(view);
    EXPECT_EQ(before.cx, 300);
    EXPECT_EQ(before.cy, 200);

    // towards the user: 110 %, the fitted window follows
    PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    ASSERT_TRUE(WaitForClientChange(view, before));
    SIZE zoomed = ClientSize(view);
    EXPECT_EQ(zoomed.cx, 330);
    EXPECT_EQ(zoomed.cy, 220);

    // with Ctrl towards the user: the next image
    PostMessageW(view, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_TRUE(WaitForTitleContaining(view, L"b.bmp", 10000));
}

TEST_F(RenderingTest, MiddleButtonFitsAtFullSizeAndReturnsToFullSize) {
    AddImage(L"a.bmp", 300, 200, [](int, int) { return RGB(200, 0, 0); });
    HWND view = Start({}, L"a.bmp", L"a.bmp");
    ASSERT_NE(view, nullptr);
    SIZE before = ClientSize(view);
    PostMessageW(view, WM_MBUTTONDOWN, MK_MBUTTON, ClientPoint(150, 100));
    PostMessageW(view, WM_MBUTTONUP, 0, ClientPoint(150, 100));
    ASSERT_TRUE(WaitForClientChange(view, before));
    SIZE fitted = ClientSize(view);
    EXPECT_GT(fitted.cx, 600) << "fitted into the work area";
    EXPECT_NEAR(fitted.cy, fitted.cx * 200.0 / 300.0, 1.0);

    PostMessageW(view, WM_MBUTTONDOWN, MK_MBUTTON, ClientPoint(100, 100));
    PostMessageW(view, WM_MBUTTONUP, 0, ClientPoint(100, 100));
    ASSERT_TRUE(WaitForClientChange(view, fitted));
    EXPECT_EQ(ClientSize(view).cx, 300);
    EXPECT_EQ(ClientSize(view).cy, 200);
}

TEST_F(RenderingTest, CtrlDragZoomsIntoTheSelectedArea) {
    AddBlocks(L"blocks.bmp");
    HWND view = Start({}, L"blocks.bmp", L"blocks.bmp");
    ASSERT_NE(view, nullptr);
    double z = ClientSize(view).cx / 2000.0;
    // a band inside block (2, 1): image 520..730 x 220..380
    int x0 = static_cast<int>(520 * z), y0 = static_cast<int>(220 * z);
    int x1 = static_cast<int>(730 * z), y1 = static_cast<int>(380 * z);
    SIZE before = ClientSize(view);
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, ClientPoint(x0, y0));
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, ClientPoint((x0 + x1) / 2, (y0 + y1) / 2));
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, ClientPoint(x1, y1));
    PostMessageW(view, WM_LBUTTONUP, MK_CONTROL, ClientPoint(x1, y1));
    ASSERT_TRUE(WaitForClientChange(view, before));

    // the selection now fills the view: its block colour all around the centre, no band left
    Capture c;
    COLORREF want = BlockColour(600, 300);
    CaptureWhen(view, &c,
                [&](const Capture& s) { return Near(s.Pixel(s.width / 2, s.height / 2), want, kFilterTolerance); });
    int wrong = 0;
    for (int y = c.height / 4; y < 3 * c.height / 4; y += 7)
        for (int x = c.width / 4; x < 3 * c.width / 4; x += 7)
            wrong += !Near(c.Pixel(x, y), want, kFilterTolerance);
    EXPECT_EQ(wrong, 0);
}

TEST_F(RenderingTest, RubberBandIsDrawnWithTheXorPenAndErasedOnTheNextMove) {
    AddImage(L"flat.bmp", 300, 200, [](int, int) { return RGB(200, 40, 40); });
    HWND view = Start({}, L"flat.bmp", L"flat.bmp");
    ASSERT_NE(view, nullptr);
    const COLORREF image = RGB(200, 40, 40), band = RGB(200 ^ 128, 40 ^ 128, 40 ^ 128);
    // The real pointer sits where each posted move goes: a move the system makes up from where an
    // earlier test left it (on taking the capture) would otherwise put the corner there.
    ParkCursor(view, 120, 90);
    PostMessageW(view, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, ClientPoint(20, 20));
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, ClientPoint(120, 90));
    Capture c;
    CaptureWhen(view, &c, [&](const Capture& s) { return s.Pixel(120, 90) == band && s.Pixel(20, 55) == band; });
    // the outline passes through both corners; inside and outside stay untouched
    for (POINT p : {POINT{20, 20}, POINT{120, 20}, POINT{120, 90}, POINT{20, 90}, POINT{70, 20}, POINT{20, 55},
                    POINT{120, 55}, POINT{70, 90}})
        EXPECT_EQ(c.Pixel(p.x, p.y), band) << p.x << "," << p.y;
    EXPECT_EQ(c.Pixel(70, 55), image);
    EXPECT_EQ(c.Pixel(121, 91), image);

    // a smaller band replaces it: the old outline is gone
    ParkCursor(view, 60, 50);
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, ClientPoint(60, 50));
    CaptureWhen(view, &c, [&](const Capture& s) { return s.Pixel(60, 35) == band && s.Pixel(120, 55) == image; });
    EXPECT_EQ(c.Pixel(120, 55), image);
    EXPECT_EQ(c.Pixel(70, 90), image);
    EXPECT_EQ(c.Pixel(60, 35), band);
    EXPECT_EQ(c.Pixel(40, 50), band);
    EXPECT_EQ(c.Pixel(20, 20), band) << "the first corner stays";

    // too small to zoom (8 pixels high): released, erased, nothing else changes
    SIZE before = ClientSize(view);
    ParkCursor(view, 200, 28);
    PostMessageW(view, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, ClientPoint(200, 28));
    PostMessageW(view, WM_LBUTTONUP, MK_CONTROL, ClientPoint(200, 28));
    CaptureWhen(view, &c, [&](const Capture& s) { return s.IsUniform(); });
    COLORREF colour = 0;
    EXPECT_TRUE(c.IsUniform(&colour));
    EXPECT_EQ(colour, image);
    EXPECT_EQ(ClientSize(view).cx, before.cx);
}

// The fitted window's sizing messages, sent as the system's sizing loop sends them.
TEST_F(RenderingTest, CornerDragKeepsTheAspectRatioAndEdgesStopAtTheFittedSize) {
    AddImage(L"wide.bmp", 400, 300, [](int, int) { return RGB(0, 120, 0); });
    HWND view = Start({}, L"wide.bmp", L"wide.bmp");
    ASSERT_NE(view, nullptr);
    RECT window{}, client{};
    GetWindowRect(view, &window);
    GetClientRect(view, &client);
    ASSERT_EQ(client.right, 400);
    int frameW = (window.right - window.left) - client.right;
    int frameH = (window.bottom - window.top) - client.bottom;

    // bottom-right corner to a client of 600 x 400 (sum 1000): 571 x 429, the top-left stays
    RECT proposed{window.left, window.top, window.left + frameW + 600, window.top + frameH + 400};
    SendMessageTimeoutW(view, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed), SMTO_NORMAL, 5000,
                        nullptr);
    EXPECT_EQ(proposed.left, window.left);
    EXPECT_EQ(proposed.top, window.top);
    EXPECT_EQ(proposed.right - proposed.left - frameW, 571);
    EXPECT_EQ(proposed.bottom - proposed.top - frameH, 429);

    // top-left corner: the bottom-right stays
    proposed = RECT{window.right - frameW - 600, window.bottom - frameH - 400, window.right, window.bottom};
    SendMessageTimeoutW(view, WM_SIZING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&proposed), SMTO_NORMAL, 5000, nullptr);
    EXPECT_EQ(proposed.right, window.right);
    EXPECT_EQ(proposed.bottom, window.bottom);
    EXPECT_EQ(proposed.right - proposed.left - frameW, 571);

    // the right edge cannot make the window wider than it is fitted at this zoom
    proposed = RECT{window.left, window.top, window.right + 200, window.bottom};
    SendMessageTimeoutW(view, WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&proposed), SMTO_NORMAL, 5000, nullptr);
    EXPECT_EQ(proposed.right, window.right);

    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{1, 1};
    SendMessageTimeoutW(view, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), SMTO_NORMAL, 5000, nullptr);
    EXPECT_GE(info.ptMinTrackSize.x, frameW + 1);
    EXPECT_GE(info.ptMinTrackSize.y, frameH + 1);
    EXPECT_EQ(info.ptMinTrackSize.x - frameW, info.ptMinTrackSize.y - frameH) << "one minimum content size";
}

TEST_F(RenderingTest, RightDragScrollsTheImageWithThePointer) {
    AddBlocks(L"blocks.bmp");
    // COLORONCOLOR throughout so that the two captures compare exactly
    HWND view = Start({IntSlot(kSlotSthMode, 3)}, L"blocks.bmp", L"blocks.bmp");
    ASSERT_NE(view, nullptr);
    SIZE before = ClientSize(view);
    ASSERT_TRUE(PostCommand(view, kCmdZoomIn));
    ASSERT_TRUE(WaitForClientChange(view, before));
    // the zoomed view, painted: the same picture in two captures in a row
    Capture a, again;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return CaptureClientArea(view, &a) && CaptureClientArea(view, &again) && a.bgr == again.bgr && !a.IsUniform();
    }));

    // 50 client pixels left; the image is wider than the screen, so it moves 100 image pixels
    PostMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(400, 300));
    PostMessageW(view, WM_MOUSEMOVE, MK_RBUTTON, ClientPoint(375, 300));
    PostMessageW(view, WM_MOUSEMOVE, MK_RBUTTON, ClientPoint(350, 300));
    PostMessageW(view, WM_RBUTTONUP, 0, ClientPoint(350, 300));
    double z = 2 * (before.cx / 2000.0);
    int shift = static_cast<int>(100 * z + 0.5);
    int wrong = 0, compared = 0;
    auto compare = [&](const Capture& b) {
        wrong = compared = 0;
        for (int y = 10; y < b.height - 10; y += 17)
            for (int x = 10; x + shift < a.width - 10; x += 17) {
                ++compared;
                wrong += !Near(b.Pixel(x, y), a.Pixel(x + shift, y), 0) &&
                         !Near(b.Pixel(x, y), a.Pixel(x + shift - 1, y), 0) &&
                         !Near(b.Pixel(x, y), a.Pixel(x + shift + 1, y), 0);
            }
        return wrong == 0;
    };
    Capture b;
    CaptureWhen(view, &b, compare);
    EXPECT_GT(compared, 100);
    EXPECT_EQ(wrong, 0);
    EXPECT_NE(a.Pixel(a.width / 2, a.height / 2), 0u); // the view was not blank
}

} // namespace
} // namespace qvtest
