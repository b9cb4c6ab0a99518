#include "tools/histogram_window_win.h"

#include <memory>
#include <new>
#include <string>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/win_handles_win.h"
#include "ui/window_classes.h"
#include "ui/window_layout_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kMargin = 8;
constexpr int kBarsHeight = 128;
constexpr int kMarkerHeight = 10; // the strip under the bars where the markers' triangles sit
constexpr int kControlWidth = kLevelsControlWidth;
constexpr int kControlHeight = kBarsHeight + kMarkerHeight;
constexpr int kControlId = 100;

struct HistogramWindow {
    HWND window = nullptr;
    HWND control = nullptr;
    std::unique_ptr<LevelsHistogram> histogram;
    int32_t channel = kLevelsCombined;
    HistogramMarkers markers;
    bool hasMarkers = false;
    LevelsMarker grabbed = LevelsMarker::kNone;
    bool dragging = false;
};
HistogramWindow g_hist;

COLORREF BarColour(int32_t channel) {
    switch (channel) {
    case kLevelsBlue: return RGB(40, 60, 200);
    case kLevelsGreen: return RGB(30, 150, 40);
    case kLevelsRed: return RGB(200, 40, 40);
    default: return RGB(64, 64, 64);
    }
}

void FillBox(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(colour));
    RECT r{left, top, right, bottom};
    FillRect(dc, &r, brush.get());
}

void DrawMarker(HDC dc, int32_t level, COLORREF fill) {
    GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    GdiObject<HBRUSH> brush(CreateSolidBrush(fill));
    SelectedObject p(dc, pen.get());
    SelectedObject b(dc, brush.get());
    MoveToEx(dc, level, 0, nullptr);
    LineTo(dc, level, kBarsHeight);
    POINT tri[3] = {{level, kBarsHeight}, {level - 5, kControlHeight - 1}, {level + 5, kControlHeight - 1}};
    Polygon(dc, tri, 3);
}

// Drawn into a memory bitmap, so that a drag does not flicker.
void PaintControl(HWND window) {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(window, &ps);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bitmap = CreateCompatibleBitmap(target, kControlWidth, kControlHeight);
    HGDIOBJ old = SelectObject(dc, bitmap);
    FillBox(dc, 0, 0, kControlWidth, kControlHeight, RGB(255, 255, 255));
    if (g_hist.histogram) {
        uint64_t tallest = TallestCount(*g_hist.histogram, g_hist.channel);
        COLORREF colour = BarColour(g_hist.channel);
        for (int level = 0; level < 256; ++level) {
            int h = HistogramBarHeight(g_hist.histogram->count[g_hist.channel][level], tallest, kBarsHeight);
            if (h > 0) FillBox(dc, level, kBarsHeight - h, level + 1, kBarsHeight, colour);
        }
    }
    if (g_hist.hasMarkers) {
        LevelsPoints points = g_hist.markers.points();
        DrawMarker(dc, points.black, RGB(0, 0, 0));
        DrawMarker(dc, points.white, RGB(255, 255, 255));
    }
    BitBlt(target, 0, 0, kControlWidth, kControlHeight, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EndPaint(window, &ps);
}

void Moved(const LevelsPoints& points, bool released) {
    g_hist.markers.moved(points, released);
    InvalidateRect(g_hist.control, nullptr, FALSE);
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    int32_t level = LevelAtControlX(static_cast<int16_t>(LOWORD(lParam)));
    switch (message) {
    case WM_PAINT: PaintControl(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEMOVE: {
        if (!g_hist.hasMarkers) break;
        LevelsPoints points = g_hist.markers.points();
        if (g_hist.dragging) {
            DragLevelsMarker(&points, g_hist.grabbed, level);
            Moved(points, false);
        } else {
            g_hist.grabbed = MarkerNear(points, level);
        }
        return 0;
    }
    case WM_SETCURSOR:
        if (g_hist.hasMarkers && g_hist.grabbed != LevelsMarker::kNone) {
            SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        if (!g_hist.hasMarkers) break;
        LevelsPoints points = g_hist.markers.points();
        g_hist.grabbed = MarkerNear(points, level);
        if (message == WM_LBUTTONDOWN && g_hist.grabbed != LevelsMarker::kNone) {
            g_hist.dragging = true;
            SetCapture(window);
            return 0;
        }
        ClickLevel(&points, message == WM_RBUTTONDOWN, level);
        Moved(points, true);
        return 0;
    }
    case WM_LBUTTONUP:
        if (g_hist.dragging) {
            g_hist.dragging = false;
            ReleaseCapture();
            Moved(g_hist.markers.points(), true);
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (g_hist.dragging) {
            g_hist.dragging = false;
            Moved(g_hist.markers.points(), true);
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        // the levels tool needs its markers: only the plain histogram closes on its own
        if (!g_hist.hasMarkers) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (window == g_hist.window) g_hist = HistogramWindow{};
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterClasses() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc{sizeof wc};
    wc.hInstance = Ui().instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpfnWndProc = WindowProc;
    wc.lpszClassName = kHistogramWindowClass;
    if (!RegisterClassExW(&wc)) return false;
    wc.lpfnWndProc = ControlProc;
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kHistogramControlClass;
    registered = RegisterClassExW(&wc) != 0;
    return registered;
}

} // namespace

bool OpenHistogramWindow(HWND owner, const LevelsHistogram& histogram, int32_t channel,
                         const HistogramMarkers* markers) {
    CloseHistogramWindow();
    if (!RegisterClasses()) return false;
    g_hist.histogram.reset(new (std::nothrow) LevelsHistogram(histogram));
    if (!g_hist.histogram) return false;
    g_hist.channel = channel;
    g_hist.hasMarkers = markers != nullptr;
    if (markers) g_hist.markers = *markers;
    RECT frame{0, 0, kControlWidth + 2 * kMargin, kControlHeight + 2 * kMargin};
    DWORD style = WS_POPUP | WS_CAPTION | (markers ? 0 : WS_SYSMENU);
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_TOOLWINDOW);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT r = CentredOnOwner(owner, width, height);
    std::wstring title = UiText(kStrHistogramTitle);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kHistogramWindowClass, title.c_str(), style, r.left, r.top, width,
                                  height, owner, nullptr, Ui().instance, nullptr);
    if (!window) {
        g_hist = HistogramWindow{};
        return false;
    }
    g_hist.window = window;
    g_hist.control = CreateWindowExW(0, kHistogramControlClass, nullptr, WS_CHILD | WS_VISIBLE, kMargin, kMargin,
                                     kControlWidth, kControlHeight, window,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(kControlId)), Ui().instance, nullptr);
    if (!g_hist.control) {
        CloseHistogramWindow();
        return false;
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return true;
}

void SetHistogramChannel(int32_t channel) {
    g_hist.channel = channel;
    RefreshHistogramWindow();
}

void RefreshHistogramWindow() {
    if (g_hist.control) InvalidateRect(g_hist.control, nullptr, FALSE);
}

void CloseHistogramWindow() {
    if (g_hist.window) DestroyWindow(g_hist.window);
    g_hist = HistogramWindow{};
}

HWND HistogramWindowHandle() {
    return g_hist.window;
}

bool HandleHistogramCommand(int32_t command) {
    if (command != kCmdHistogram) return false;
    if (!HasCurrentImage(g_session)) return true;
    const SelectionMask& m = g_session.mask;
    const ImageBuffer& current = g_session.current;
    bool maskFits = HasSelectionMask(m) && m.width == current.header.biWidth && m.height == current.header.biHeight;
    auto counts = std::make_unique<LevelsHistogram>();
    if (!CountLevelsHistogram(current, maskFits ? m.bytes.get() : nullptr, counts.get())) {
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        return true;
    }
    if (!OpenHistogramWindow(CurrentMainWindow(), *counts, kLevelsCombined, nullptr))
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
    return true;
}

} // namespace qv
