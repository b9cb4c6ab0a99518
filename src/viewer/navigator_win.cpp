// The navigator: a small popup with the whole image and an outline of the part on screen. It is
// never activated, so the keyboard focus stays with the window being navigated, and its outline
// is drawn with the XOR pen so a scroll only redraws the two outlines.
#include <windows.h>

#include "image/open_image.h"
#include "model/settings.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/display_modes_win.h"
#include "viewer/hover_layout.h"
#include "viewer/hover_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_paint.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_STATICEDGE | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

HWND g_navigator = nullptr;
bool g_shown = false;
NavigatorReason g_reason = NavigatorReason::Strip;
NavigatorLayout g_drawn; // what the window shows now
bool g_markerDrawn = false;

void DrawMarker(HDC dc, const ViewRect& marker) {
    ViewPoint p[5];
    OutlinePoints(marker, p);
    MoveToEx(dc, p[0].x, p[0].y, nullptr);
    for (int i = 1; i < 5; ++i)
        LineTo(dc, p[i].x, p[i].y);
}

// The own DC keeps this set-up for every paint and every marker update.
void PrepareDc(HWND window) {
    HDC dc = GetDC(window);
    if (!dc) return;
    SetStretchBltMode(dc, kStretchHalftone);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    SetROP2(dc, R2_XORPEN);
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kBandPenColour);
    ReleaseDC(window, dc);
}

void Paint(HWND window, HDC dc) {
    const ViewSettings s = ViewSettingsFrom(g_settings);
    DisplayMode navigated =
        CurrentDisplayMode() == DisplayMode::SubWindow ? DisplayMode::SubWindow : DisplayMode::ViewWindow;
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(SurfaceBackgroundBrush(s, navigated))));
    const ImageSession& session = g_session;
    NavigatorLayout n = LayoutNavigator(g_viewState.geometry);
    g_drawn = n;
    g_markerDrawn = false;
    if (!n.valid || !HasCurrentImage(session)) return;
    const ViewRect& t = n.thumbnail;
    SetStretchBltMode(dc, kStretchHalftone);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, t.left, t.top, t.Width(), t.Height(), 0, 0, session.current.header.biWidth,
                  session.current.header.biHeight, session.current.pixels,
                  reinterpret_cast<const BITMAPINFO*>(&session.current), DIB_RGB_COLORS, SRCCOPY);
    DrawMarker(dc, n.marker);
    g_markerDrawn = true;
}

HWND EnsureNavigator() {
    if (g_navigator) return g_navigator;
    HWND owner = SubWindowHandle() ? SubWindowHandle() : ViewWindowHandle();
    RECT r{0, 0, kNavigatorWidth, kNavigatorHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    g_navigator = CreateWindowExW(kExStyle, kNavigatorClass, nullptr, kStyle, 0, 0, r.right - r.left, r.bottom - r.top,
                                  owner, nullptr, Ui().instance, nullptr);
    return g_navigator;
}

// Top right of the view, below the tool bar in full screen, inside the monitor's work area.
POINT Placement(HWND navigator) {
    RECT size;
    GetWindowRect(navigator, &size);
    HWND surface = SurfaceWindow();
    RECT client, window;
    GetClientRect(surface, &client);
    MapWindowPoints(surface, nullptr, reinterpret_cast<POINT*>(&client), 2);
    GetWindowRect(surface, &window);
    ViewRect anchor{client.left, client.top, client.right, client.bottom};
    int32_t below = 0;
    if (CurrentDisplayMode() == DisplayMode::ViewWindow) anchor.right = window.right;
    if (CurrentDisplayMode() == DisplayMode::FullScreen) below = kToolBarHostHeight;
    MONITORINFO info{sizeof info};
    RECT work = client;
    if (GetMonitorInfoW(MonitorFromWindow(surface, MONITOR_DEFAULTTONEAREST), &info)) work = info.rcWork;
    ViewPoint p = NavigatorPosition(anchor, ViewRect{work.left, work.top, work.right, work.bottom},
                                    ViewSize{size.right - size.left, size.bottom - size.top}, below);
    return POINT{p.x, p.y};
}

} // namespace

LRESULT CALLBACK NavigatorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: PrepareDc(window); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        Paint(window, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        g_navigator = nullptr;
        g_shown = false;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ShowNavigator(NavigatorReason reason) {
    if (g_shown) {
        if (reason == NavigatorReason::Pinned) g_reason = reason; // no longer the pointer's to hide
        return;
    }
    HWND navigator = EnsureNavigator();
    if (!navigator) return;
    g_reason = reason;
    POINT p = Placement(navigator);
    SetWindowPos(navigator, g_settings.Top ? HWND_TOPMOST : HWND_TOP, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(navigator, SW_SHOWNOACTIVATE);
    g_shown = true;
    InvalidateRect(navigator, nullptr, FALSE);
    UpdateWindow(navigator);
}

void HideNavigator() {
    if (!g_navigator || !g_shown) return;
    g_shown = false;
    ShowWindow(g_navigator, SW_HIDE);
}

void HideDragNavigator() {
    if (g_reason == NavigatorReason::Drag) HideNavigator();
}

bool NavigatorShown() {
    return g_shown;
}

void NavigatorOnMouse(HWND viewWindow, int32_t x, int32_t y) {
    if (ViewMouseDragging()) return;
    RECT client;
    GetClientRect(viewWindow, &client);
    AutoNavigatorFacts f;
    f.mode = CurrentDisplayMode();
    f.enabled = g_settings.AutoNavi;
    f.shown = g_shown;
    f.shownByStrip = g_shown && g_reason == NavigatorReason::Strip;
    f.client = ViewSize{client.right, client.bottom};
    if (HasCurrentImage(g_session))
        f.scaled = ViewSize{g_viewState.geometry.scaledWidth, g_viewState.geometry.scaledHeight};
    switch (AutoNavigatorOnMove(f, ViewPoint{x, y})) {
    case NavigatorChange::Show: ShowNavigator(NavigatorReason::Strip); break;
    case NavigatorChange::Hide: HideNavigator(); break;
    case NavigatorChange::None: break;
    }
}

void UpdateNavigator() {
    if (!g_shown || !g_navigator) return;
    NavigatorLayout n = LayoutNavigator(g_viewState.geometry);
    if (!n.valid || !g_drawn.valid || !(n.thumbnail == g_drawn.thumbnail) || !g_markerDrawn) {
        InvalidateRect(g_navigator, nullptr, FALSE);
        UpdateWindow(g_navigator);
        return;
    }
    if (n.marker == g_drawn.marker) return;
    HDC dc = GetDC(g_navigator);
    if (!dc) return;
    DrawMarker(dc, g_drawn.marker); // XOR: drawing the old outline again removes it
    DrawMarker(dc, n.marker);
    ReleaseDC(g_navigator, dc);
    g_drawn = n;
}

} // namespace qv
