// The SubWindow's two panes: the current image and the result image (tool or save preview), one
// shared view state, pane layouts and the scroll bars both panes carry.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>

#include "image/open_image.h"
#include "model/settings.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/display_modes_win.h"
#include "viewer/pixel_readout_win.h"
#include "viewer/sub_hooks_win.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_paint.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kPane1Id = 1010;
constexpr int kPane2Id = 1011;
constexpr int32_t kLayoutBoth = 0;
constexpr int32_t kLayoutImageOnly = 1;
constexpr int32_t kLayoutResultOnly = 2;

HWND g_pane1 = nullptr;
HWND g_pane2 = nullptr;
int32_t g_layout = kLayoutBoth;
ViewSize g_paneSize{1, 1}; // client of a pane without scroll bars
bool g_hBar = false, g_vBar = false;

HWND CreatePane(const wchar_t* className, int id) {
    return CreateWindowExW(WS_EX_STATICEDGE, className, nullptr, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 1, 1,
                           SubWindowHandle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Ui().instance,
                           nullptr);
}

void SetBar(HWND pane, int bar, const ScrollBarInfo& info) {
    SCROLLINFO si{sizeof si, SIF_ALL | SIF_DISABLENOSCROLL};
    si.nMin = info.minimum;
    si.nMax = info.maximum;
    si.nPage = static_cast<UINT>(info.page);
    si.nPos = info.position;
    SetScrollInfo(pane, bar, &si, TRUE);
}

void InvalidatePanes() {
    if (g_pane1) InvalidateRect(g_pane1, nullptr, FALSE);
    if (g_pane2) InvalidateRect(g_pane2, nullptr, FALSE);
}

void OnScroll(HWND pane, bool vertical, WPARAM wParam) {
    SCROLLINFO si{sizeof si, SIF_TRACKPOS};
    GetScrollInfo(pane, vertical ? SB_VERT : SB_HORZ, &si);
    PaneScrolled(pane, vertical, LOWORD(wParam), si.nTrackPos);
}

int PaneNumber(HWND pane) {
    return pane == g_pane2 ? 2 : 1;
}

// The open tool's cursor over a pane's client area; false keeps the class cursor.
bool PaneCursor(HWND pane) {
    POINT p{};
    GetCursorPos(&p);
    ScreenToClient(pane, &p);
    return SetToolPaneCursor(PaneNumber(pane), p);
}

// The mouse of either pane drives the shared view state, unless the open tool takes it.
bool PaneMouse(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED:
        if (ToolTakesPaneMouse(PaneNumber(pane), message, wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}))
            return true;
        break;
    }
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_CAPTURECHANGED: ViewSurfaceMouse(pane, message, wParam, lParam); return true;
    default: return false;
    }
}

// The result image with the shared geometry when it has the current image's size, otherwise
// fitted into the pane.
void PaintResult(HWND pane, HDC dc) {
    const ViewSettings s = ViewSettingsFrom(g_settings);
    const ImageBuffer& result = g_session.result;
    HBRUSH background = static_cast<HBRUSH>(GetStockObject(SurfaceBackgroundBrush(s, DisplayMode::SubWindow)));
    RECT client;
    GetClientRect(pane, &client);
    if (!result.pixels || result.header.biWidth <= 0 || result.header.biHeight <= 0) {
        FillRect(dc, &client, background);
        return;
    }
    const ViewGeometry& g = g_viewState.geometry;
    int32_t w = result.header.biWidth, h = result.header.biHeight;
    SetStretchBltMode(dc, PaneStretchMode(g));
    SetBrushOrgEx(dc, 0, 0, nullptr);
    if (w == g.imageWidth && h == g.imageHeight) {
        PaintPlan plan = PlanPaint(g);
        for (int i = 0; i < plan.fillCount; ++i) {
            RECT r{plan.fills[i].left, plan.fills[i].top, plan.fills[i].right, plan.fills[i].bottom};
            FillRect(dc, &r, background);
        }
        if (plan.drawImage)
            StretchDIBits(dc, plan.destination.left, plan.destination.top, plan.destination.Width(),
                          plan.destination.Height(), plan.sourceX, plan.sourceY, plan.sourceWidth, plan.sourceHeight,
                          result.pixels, AsBitmapInfo(&result), DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    FillRect(dc, &client, background);
    double zoom = FitZoom(client.right, client.bottom, w, h);
    ViewSize size = ScaleImage(zoom > 1.0 ? 1.0 : zoom, w, h);
    int x = (client.right - size.width) / 2, y = (client.bottom - size.height) / 2;
    StretchDIBits(dc, x, y, size.width, size.height, 0, 0, w, h, result.pixels, AsBitmapInfo(&result), DIB_RGB_COLORS,
                  SRCCOPY);
}

} // namespace

LRESULT CALLBACK ImagePaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        PaintViewSurface(window, dc, DisplayMode::SubWindow);
        PaintToolOverPane(1, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && PaneCursor(window)) return TRUE;
        break;
    case WM_HSCROLL: OnScroll(window, false, wParam); return 0;
    case WM_VSCROLL: OnScroll(window, true, wParam); return 0;
    case WM_MOUSEMOVE: PaneColourReadout(wParam, lParam); break;
    }
    if (PaneMouse(window, message, wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ResultPaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        PaintResult(window, dc);
        PaintToolOverPane(2, dc);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && PaneCursor(window)) return TRUE;
        break;
    case WM_HSCROLL: OnScroll(window, false, wParam); return 0;
    case WM_VSCROLL: OnScroll(window, true, wParam); return 0;
    }
    if (PaneMouse(window, message, wParam, lParam)) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

void LayOutSubWindow() {
    HWND sub = SubWindowHandle();
    if (!sub) return;
    if (!g_pane1) g_pane1 = CreatePane(kPane1Class, kPane1Id);
    if (!g_pane2) g_pane2 = CreatePane(kPane2Class, kPane2Id);
    if (!g_pane1 || !g_pane2) return;
    RECT client;
    GetClientRect(sub, &client);
    int32_t top = LayOutSubRebar(sub); // the panes sit below the rebar
    int32_t W = client.right, H = client.bottom - top;
    if (W < 1 || H < 1) return;
    HDWP batch = BeginDeferWindowPos(2);
    auto place = [&](HWND pane, bool shown, int32_t x, int32_t w) {
        UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
        batch = DeferWindowPos(batch, pane, nullptr, x, top, w, H, flags);
    };
    int32_t paneWidth = W;
    switch (g_layout) {
    case kLayoutImageOnly:
        place(g_pane1, true, 0, W);
        place(g_pane2, false, 0, W);
        break;
    case kLayoutResultOnly:
        place(g_pane1, false, 0, W);
        place(g_pane2, true, 0, W);
        break;
    default:
        paneWidth = W / 2 - 1;
        place(g_pane1, true, 0, paneWidth);
        place(g_pane2, true, W - paneWidth, paneWidth);
        break;
    }
    EndDeferWindowPos(batch);
    RECT edge{0, 0, 0, 0};
    AdjustWindowRectEx(&edge, WS_CHILD, FALSE, WS_EX_STATICEDGE);
    g_paneSize.width = std::max<int32_t>(1, paneWidth - (edge.right - edge.left));
    g_paneSize.height = std::max<int32_t>(1, H - (edge.bottom - edge.top));
    PaneAreaSized(g_paneSize);
}

HWND SurfaceWindow() {
    if (CurrentDisplayMode() != DisplayMode::SubWindow) return ViewWindowHandle();
    if (!g_pane1) return SubWindowHandle();
    return g_layout == kLayoutResultOnly ? g_pane2 : g_pane1;
}

ViewSize PaneSize() {
    return g_paneSize;
}

void SetPaneScrollBars(const PaneScrollBars& bars) {
    bool horizontal = bars.horizontal.shown, vertical = bars.vertical.shown;
    for (HWND pane : {g_pane1, g_pane2}) {
        if (!pane) continue;
        if (horizontal != g_hBar) ShowScrollBar(pane, SB_HORZ, horizontal);
        if (vertical != g_vBar) ShowScrollBar(pane, SB_VERT, vertical);
        if (horizontal) SetBar(pane, SB_HORZ, bars.horizontal);
        if (vertical) SetBar(pane, SB_VERT, bars.vertical);
    }
    g_hBar = horizontal;
    g_vBar = vertical;
}

void RefreshPanes() {
    InvalidatePanes();
    RefreshSubRebar(); // the zoom field follows every zoom, fit and new image
}

void SetPaneLayout(int32_t layout) {
    if (layout < kLayoutBoth || layout > kLayoutResultOnly) return;
    g_layout = layout;
    LayOutSubWindow();
}

int32_t PaneLayout() {
    return g_layout;
}

} // namespace qv
