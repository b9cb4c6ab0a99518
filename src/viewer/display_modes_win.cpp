// The three display modes and the commands that move between them.
#include "viewer/display_modes_win.h"

#include <algorithm>

#include "model/command_ids.h"
#include "model/settings.h"
#include "viewer/animation_win.h"
#include "viewer/hover_win.h"
#include "viewer/sub_hooks_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int32_t kCmdPaneLayoutFirst = kCmdPaneSingle;
constexpr int32_t kCmdPaneLayoutLast = kCmdPaneStacked;

constexpr DWORD kCaptionStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kBareStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;

DisplayMode g_displayMode = DisplayMode::ViewWindow;
DisplayMode g_previousMode = DisplayMode::ViewWindow;
bool g_alternativeDisplay = true; // 5730: on until switched off

void SetFrameStyle(HWND window, DWORD style) {
    DWORD visible = GetWindowLongW(window, GWL_STYLE) & (WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE);
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style | visible));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool MonitorRect(HWND window, RECT* monitor, RECT* work) {
    MONITORINFO info{sizeof info};
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return false;
    *monitor = info.rcMonitor;
    *work = info.rcWork;
    return true;
}

// Moves `window` to the monitor of `anchor` (centred, kept in the work area) when they differ.
void BringOntoMonitorOf(HWND window, HWND anchor) {
    if (MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) == MonitorFromWindow(anchor, MONITOR_DEFAULTTONEAREST))
        return;
    RECT monitor, work, r;
    if (!MonitorRect(anchor, &monitor, &work) || !GetWindowRect(window, &r)) return;
    LONG w = std::min(r.right - r.left, work.right - work.left);
    LONG h = std::min(r.bottom - r.top, work.bottom - work.top);
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Full screen to the ViewWindow; `goingOn` keeps the ViewWindow hidden for the SubWindow.
void LeaveFullScreenTo(bool goingOn) {
    HWND view = ViewWindowHandle();
    g_displayMode = DisplayMode::ViewWindow;
    SetToolBarFullScreen(false);
    HideNavigator();
    ShowWindow(view, SW_RESTORE);
    if (g_settings.CapBar)
        SetFrameStyle(view, kCaptionStyle);
    else
        RestoreHoverFrame();
    SetCursorShown(true);
    if (goingOn) {
        ShowWindow(view, SW_HIDE);
        return;
    }
    ShowLoadedImage();
    if (!g_settings.CapBar) SettleHoverFrame(); // fitting on load may have moved it away
    SetForegroundWindow(view);
}

} // namespace

DisplayMode CurrentDisplayMode() {
    return g_displayMode;
}

bool AlternativeDisplayShown() {
    return g_alternativeDisplay;
}

bool AcceleratorsSuspended() {
    return SlideshowRunning() || HistoryWindowOpen();
}

void EnterFullScreen() {
    if (CurrentDisplayMode() == DisplayMode::FullScreen) return;
    HWND view = ViewWindowHandle();
    g_previousMode = CurrentDisplayMode();
    if (CurrentDisplayMode() == DisplayMode::SubWindow) LeaveSubWindow(false);
    HideNavigator();
    bool hadHoverFrame = g_previousMode == DisplayMode::ViewWindow && DropHoverFrame();
    g_displayMode = DisplayMode::FullScreen;
    if (g_settings.CapBar || hadHoverFrame) SetFrameStyle(view, kBareStyle);
    ShowWindow(view, SW_SHOWMAXIMIZED);
    // a caption-less popup maximises over the whole monitor; say so for window managers that
    // keep it to the work area
    RECT monitor, work;
    if (MonitorRect(view, &monitor, &work))
        SetWindowPos(view, HWND_TOP, monitor.left, monitor.top, monitor.right - monitor.left,
                     monitor.bottom - monitor.top, SWP_NOACTIVATE);
    ShowLoadedImage();
    SetToolBarFullScreen(true);
    SetForegroundWindow(view);
}

void LeaveFullScreen() {
    if (CurrentDisplayMode() != DisplayMode::FullScreen) return;
    StopSlideshow();
    if (g_previousMode == DisplayMode::SubWindow) {
        LeaveFullScreenTo(true);
        EnterSubWindow();
    } else {
        LeaveFullScreenTo(false);
    }
}

void EnterSubWindow(int show) {
    if (!SubWindowHandle() || CurrentDisplayMode() == DisplayMode::SubWindow) return;
    StopSlideshow();
    if (CurrentDisplayMode() == DisplayMode::FullScreen) LeaveFullScreenTo(true);
    g_displayMode = DisplayMode::SubWindow;
    InstallSubWindowHooks();
    StopAnimation(); // animations play in the ViewWindow and full screen only
    HideNavigator();
    HideToolBarHost();
    BringOntoMonitorOf(SubWindowHandle(), ViewWindowHandle());
    ShowWindow(SubWindowHandle(), show);
    ShowWindow(ViewWindowHandle(), SW_HIDE);
    LayOutSubWindow();
    ShowLoadedImage();
    if (g_settings.NaviDisp) ShowNavigator(NavigatorReason::Pinned);
    SetFocus(SubWindowHandle());
}

void LeaveSubWindow(bool showViewWindow) {
    if (CurrentDisplayMode() != DisplayMode::SubWindow) return;
    CancelOpenTool(); // the tool's band and preview live in the SubWindow
    g_displayMode = DisplayMode::ViewWindow;
    RemoveSubWindowHooks();
    HideNavigator();
    BringOntoMonitorOf(ViewWindowHandle(), SubWindowHandle());
    if (showViewWindow) ShowWindow(ViewWindowHandle(), SW_SHOWNORMAL);
    ShowWindow(SubWindowHandle(), SW_HIDE);
    if (!showViewWindow) return; // full screen fits for itself
    ShowLoadedImage();
    RestartAnimation();
    SetFocus(ViewWindowHandle());
}

void ReturnToViewWindow() {
    if (CurrentDisplayMode() == DisplayMode::SubWindow)
        LeaveSubWindow(true);
    else if (CurrentDisplayMode() == DisplayMode::FullScreen) {
        StopSlideshow();
        LeaveFullScreenTo(false);
    }
}

bool HandleDisplayCommand(int32_t command) {
    switch (command) {
    case kCmdFullScreen:
        if (CurrentDisplayMode() == DisplayMode::FullScreen)
            LeaveFullScreen();
        else
            EnterFullScreen();
        return true;
    case kCmdSubWindow:
        if (CurrentDisplayMode() == DisplayMode::SubWindow)
            LeaveSubWindow(true);
        else
            EnterSubWindow();
        return true;
    case kCmdSlideshow:
        if (SlideshowRunning()) {
            StopSlideshow();
        } else {
            EnterFullScreen();
            StartSlideshow();
        }
        return true;
    case kCmdListWindow: ShowListWindow(); return true;
    case kCmdScrollBars:
        g_settings.ScrlBar = !g_settings.ScrlBar;
        if (CurrentDisplayMode() == DisplayMode::SubWindow) ShowLoadedImage();
        return true;
    case kCmdSubNavigator:
        g_settings.NaviDisp = !g_settings.NaviDisp;
        if (CurrentDisplayMode() != DisplayMode::SubWindow) return true;
        if (g_settings.NaviDisp)
            ShowNavigator(NavigatorReason::Pinned);
        else
            HideNavigator();
        return true;
    case kCmdAlternativeDisplay:
        g_alternativeDisplay = !g_alternativeDisplay;
        RefreshPanes();
        return true;
    default:
        if (command >= kCmdPaneLayoutFirst && command <= kCmdPaneLayoutLast) {
            SetPaneLayout(command - kCmdPaneLayoutFirst);
            return true;
        }
        return false;
    }
}

} // namespace qv
