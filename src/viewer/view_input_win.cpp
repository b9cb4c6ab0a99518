// Every view change of every surface goes through the portable view state machine over the one
// view state: the ViewWindow, full screen and the SubWindow's two panes. This file only measures
// the window, translates the messages and carries out the returned actions.
#include "viewer/view_input_win.h"

#include <windowsx.h>

#include "model/command_ids.h"
#include "model/settings.h"
#include "viewer/display_modes_win.h"
#include "viewer/hover_win.h"
#include "viewer/pixel_readout_win.h"
#include "viewer/sub_hooks_win.h"
#include "viewer/view_input.h"
#include "viewer/view_paint.h"
#include "viewer/view_window_win.h"

namespace qv {

ViewState g_viewState;

namespace {

constexpr WPARAM kMoveByCaption = SC_MOVE + HTCAPTION; // move loop as if the caption were dragged

// The ViewWindow shows the ViewWindow or full screen; any other window is a pane of the SubWindow.
DisplayMode SurfaceOf(HWND window) {
    if (window != ViewWindowHandle()) return DisplayMode::SubWindow;
    return CurrentDisplayMode() == DisplayMode::FullScreen ? DisplayMode::FullScreen : DisplayMode::ViewWindow;
}

ViewPoint MessagePoint(LPARAM lParam) {
    return ViewPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// The XOR pen set-up of the window's own DC: drawing the same outline twice removes it.
void DrawBandOutline(HWND window, ViewRect band) {
    HDC dc = GetDC(window);
    if (!dc) return;
    SetROP2(dc, R2_XORPEN);
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kBandPenColour);
    ViewPoint p[5];
    OutlinePoints(band, p);
    MoveToEx(dc, p[0].x, p[0].y, nullptr);
    for (int i = 1; i < 5; ++i)
        LineTo(dc, p[i].x, p[i].y);
    ReleaseDC(window, dc);
}

// A right click without a drag: the context menu at that screen point. A pane's menu belongs to
// the SubWindow, whose window procedure runs the chosen command.
void OpenContextMenu(HWND window, ViewPoint point) {
    POINT screen{point.x, point.y};
    ClientToScreen(window, &screen);
    HWND owner = GetAncestor(window, GA_ROOT);
    LRESULT result = 0;
    ProgramWindowMessage(owner, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(owner),
                         MAKELPARAM(static_cast<int16_t>(screen.x), static_cast<int16_t>(screen.y)), &result);
}

void Repaint(HWND window, bool paintNow) {
    if (SurfaceOf(window) == DisplayMode::SubWindow) {
        RefreshPanes(); // both panes and the zoom field
        return;
    }
    InvalidateRect(window, nullptr, FALSE);
    if (paintNow) UpdateWindow(window);
}

void Apply(HWND window, const ViewResponse& r, bool paintNow) {
    if (r.Has(kViewEraseBand)) DrawBandOutline(window, r.erasedBand);
    if (r.Has(kViewDrawBand)) DrawBandOutline(window, r.band);
    if (r.Has(kViewCaptureMouse)) SetCapture(window);
    if (r.Has(kViewReleaseMouse) && GetCapture() == window) ReleaseCapture();
    if (r.Has(kViewStartWindowMove)) SendMessageW(window, WM_SYSCOMMAND, kMoveByCaption, 0);
    if (r.Has(kViewNoEntryCursor)) SetCursor(LoadCursorW(nullptr, IDC_NO));
    if (r.Has(kViewRestoreCursor)) SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    if (r.Has(kViewShowCursor)) SetCursorShown(true);
    // kViewFastStretch / kViewRestoreStretch: the paint reads the state's flag
    // moving the window re-enters through WM_SIZE, which the state machine has counted on
    if (r.Has(kViewMoveWindow)) {
        SetWindowPos(window, nullptr, r.window.left, r.window.top, r.window.Width(), r.window.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (r.Has(kViewSetScrollBars)) SetPaneScrollBars(r.bars);
    if (r.Has(kViewShowNavigator)) ShowNavigator(NavigatorReason::Drag);
    if (r.Has(kViewHideNavigator)) HideDragNavigator();
    if (r.Has(kViewZoomChanged)) UpdateMainWindowTitle();
    if (r.Has(kViewRepaint)) Repaint(window, paintNow);
    if (r.Has(kViewUpdateNavigator)) UpdateNavigator();
    if (r.Has(kViewContextMenu)) OpenContextMenu(window, r.point);
    if (r.Has(kViewRunCommand)) RunCommand(r.command);
}

// Runs one state-machine call on the view state and applies what it asks for. Mouse input paints
// at once so the picture keeps up with the pointer; a size change only invalidates, since whoever
// resized (a zoom command, a load) asks for its own repaint afterwards.
template <typename Call> void Dispatch(HWND window, Call call, bool paintNow = true) {
    if (!window) return;
    ViewResponse r = call(&g_viewState);
    Apply(window, r, paintNow);
}

} // namespace

void ViewSurfaceMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const ViewSettings s = ViewSettingsFrom(g_settings);
    DisplayMode surface = SurfaceOf(window);
    SurfaceMetrics m = MeasureSurface(window, surface, s);
    ViewPoint p = MessagePoint(lParam);
    ViewInput in;
    in.ctrl = (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0;
    in.cursorHidden = !CursorShown();
    in.slideshowRunning = SlideshowRunning();
    in.toolOpen = SubWindowToolOpen();
    const WPARAM keys = GET_KEYSTATE_WPARAM(wParam);
    in.otherButtonHeld =
        (message == WM_LBUTTONDOWN && (keys & MK_RBUTTON)) || (message == WM_RBUTTONDOWN && (keys & MK_LBUTTON));
    in.chordCommand = MouseActionCommand(g_settings.LRClick);
    if (surface != DisplayMode::SubWindow && (message == WM_MOUSEMOVE || message == WM_RBUTTONUP))
        HoverOnViewMouse(window, message, p.x, p.y);
    switch (message) {
    case WM_LBUTTONDOWN: Dispatch(window, [&](ViewState* v) { return ViewLeftDown(v, p, in, s, m); }); break;
    case WM_LBUTTONUP: Dispatch(window, [&](ViewState* v) { return ViewLeftUp(v, p, s, m); }); break;
    case WM_MOUSEMOVE:
        if (g_viewState.mouse != MouseMode::Idle)
            Dispatch(window, [&](ViewState* v) { return ViewMouseMove(v, p, s, m); });
        break;
    case WM_RBUTTONDOWN: Dispatch(window, [&](ViewState* v) { return ViewRightDown(v, p, in); }); break;
    case WM_RBUTTONUP: Dispatch(window, [&](ViewState* v) { return ViewRightUp(v, p); }); break;
    case WM_MBUTTONDOWN: Dispatch(window, [&](ViewState* v) { return ViewMiddleDown(v, p, s, m); }); break;
    case WM_MOUSEWHEEL: {
        int32_t delta = GET_WHEEL_DELTA_WPARAM(wParam);
        uint32_t keys = GET_KEYSTATE_WPARAM(wParam);
        Dispatch(window, [&](ViewState* v) { return ViewWheel(v, delta, keys, in, s, m); });
        break;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) Dispatch(window, [](ViewState* v) { return ViewCancelMouse(v); });
        break;
    }
}

void ViewWindowSized(HWND window, WPARAM wParam, LPARAM lParam) {
    if (wParam == SIZE_MINIMIZED || CurrentDisplayMode() == DisplayMode::SubWindow) return;
    const ViewSettings s = ViewSettingsFrom(g_settings);
    SurfaceMetrics m = MeasureSurface(window, SurfaceOf(window), s);
    int32_t w = LOWORD(lParam), h = HIWORD(lParam);
    Dispatch(
        window, [&](ViewState* v) { return ViewClientSized(v, w, h, s, m); }, false);
}

void PaneAreaSized(ViewSize pane) {
    if (CurrentDisplayMode() != DisplayMode::SubWindow) return;
    HWND window = SurfaceWindow();
    const ViewSettings s = ViewSettingsFrom(g_settings);
    SurfaceMetrics m = MeasureSurface(window, DisplayMode::SubWindow, s);
    Dispatch(
        window, [&](ViewState* v) { return ViewClientSized(v, pane.width, pane.height, s, m); }, false);
}

void PaneScrolled(HWND pane, bool vertical, int32_t code, int32_t trackPosition) {
    Dispatch(pane, [&](ViewState* v) { return ViewScrollBar(v, vertical, code, trackPosition); });
}

void ViewWindowSizing(HWND window, WPARAM edge, RECT* proposed) {
    const ViewSettings s = ViewSettingsFrom(g_settings);
    if (!s.FitWin || SurfaceOf(window) != DisplayMode::ViewWindow) return;
    SurfaceMetrics m = MeasureSurface(window, DisplayMode::ViewWindow, s);
    ViewRect r = ViewSizing(&g_viewState, static_cast<int32_t>(edge),
                            ViewRect{proposed->left, proposed->top, proposed->right, proposed->bottom}, s, m);
    *proposed = RECT{r.left, r.top, r.right, r.bottom};
}

void ViewWindowMinMaxInfo(HWND window, MINMAXINFO* info) {
    const ViewSettings s = ViewSettingsFrom(g_settings);
    if (!s.FitWin) return;
    ViewSize size = MinimumTrackSize(s, MeasureSurface(window, DisplayMode::ViewWindow, s));
    info->ptMinTrackSize = POINT{size.width, size.height};
}

bool ViewMouseDragging() {
    // commands from keys and menus wait until a drag or a rubber band is over
    return ViewMouseBusy(g_viewState);
}

bool ViewDragFastStretch() {
    return g_viewState.fastStretch;
}

void FitShownImage(int32_t imageWidth, int32_t imageHeight) {
    HWND window = SurfaceWindow();
    if (!window) return;
    DisplayMode surface = SurfaceOf(window);
    const ViewSettings s = ViewSettingsFrom(g_settings);
    SurfaceMetrics m = MeasureSurface(window, surface, s);
    if (surface != DisplayMode::SubWindow) { // the panes' client follows from their scroll bars
        RECT client{};
        GetClientRect(window, &client);
        SetViewClient(&g_viewState.geometry, client.right, client.bottom);
    }
    Dispatch(
        window, [&](ViewState* v) { return ViewFitOnLoad(v, imageWidth, imageHeight, s, m); }, false);
}

void SetViewZoom(double zoom) {
    HWND window = SurfaceWindow();
    const ViewSettings s = ViewSettingsFrom(g_settings);
    SurfaceMetrics m = MeasureSurface(window, SurfaceOf(window), s);
    Dispatch(
        window, [&](ViewState* v) { return ViewSetZoom(v, zoom, s, m); }, false);
}

bool HandleViewCommand(int32_t command) {
    if (!IsViewCommand(command) || g_viewState.geometry.imageWidth <= 0) return false;
    HWND window = SurfaceWindow();
    const ViewSettings s = ViewSettingsFrom(g_settings);
    SurfaceMetrics m = MeasureSurface(window, SurfaceOf(window), s);
    Dispatch(
        window, [&](ViewState* v) { return ViewRunCommand(v, command, s, m); }, false);
    return true;
}

bool HandleBackgroundCommand(int32_t command) {
    int32_t bgColor = 0;
    if (!BackgroundFromCommand(command, &bgColor)) return false;
    g_settings.BgColor = bgColor; // the paint picks the brush and the text colour from it
    if (ViewWindowHandle()) {
        InvalidateRect(ViewWindowHandle(), nullptr, FALSE);
        UpdateWindow(ViewWindowHandle());
    }
    return true;
}

} // namespace qv
