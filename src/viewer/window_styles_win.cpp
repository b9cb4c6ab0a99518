// The ViewWindow's frame: caption bar or bare popup (CapBar), always on top (Top), and the thin
// sizing frame that a bare window shows while the pointer is over it (Frame). Every change keeps
// the client rectangle where it is, so the image does not jump.
#include <windows.h>

#include <vector>

#include "model/command_ids.h"
#include "model/settings.h"
#include "viewer/hover_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr DWORD kCaptionStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kBareStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kHoverFrameStyle = kBareStyle | WS_THICKFRAME;
constexpr DWORD kKeptStyleBits = WS_VISIBLE | WS_MAXIMIZE | WS_MINIMIZE | WS_DISABLED;

bool g_frameShown = false;
bool g_restoreFrameAfterFullScreen = false;
bool g_sizing = false; // a move or size loop runs: the frame stays whatever the pointer does
bool g_trackingClient = false;
bool g_trackingFrame = false;

// Changes the frame style and grows or shrinks the window around its unchanged client.
void RestyleKeepingClient(HWND window, DWORD style) {
    RECT client;
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    DWORD kept = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)) & kKeptStyleBits;
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(style | kept));
    RECT r = client;
    AdjustWindowRectEx(&r, style, FALSE, static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool HoverFrameWanted(HWND window) {
    const Settings& s = g_settings;
    return !s.CapBar && s.Frame && CurrentDisplayMode() == DisplayMode::ViewWindow && !IsZoomed(window) &&
           !IsIconic(window);
}

void Track(HWND window, DWORD flags) {
    TRACKMOUSEEVENT t{sizeof t, flags, window, HOVER_DEFAULT};
    TrackMouseEvent(&t);
}

bool PointerOver(HWND window) {
    POINT p;
    RECT r;
    return GetCursorPos(&p) && GetWindowRect(window, &r) && PtInRect(&r, p);
}

void ShowHoverFrame(HWND window) {
    if (g_frameShown || !HoverFrameWanted(window)) return;
    // a move taken from the queue after the pointer has already gone would show a frame that no
    // leave message takes away (Wine tracks only a window the pointer is over)
    if (!PointerOver(window)) return;
    g_frameShown = true;
    RestyleKeepingClient(window, kHoverFrameStyle);
}

void RemoveHoverFrame(HWND window) {
    if (!g_frameShown) return;
    g_frameShown = false;
    g_trackingClient = g_trackingFrame = false;
    if (CurrentDisplayMode() == DisplayMode::ViewWindow && !g_settings.CapBar) RestyleKeepingClient(window, kBareStyle);
}

// A leave message came: the frame goes once the pointer is outside the whole window.
void CheckPointerLeft(HWND window) {
    if (!g_frameShown || g_sizing) return;
    if (PointerOver(window)) return; // on the frame or back in the client: its move re-arms tracking
    RemoveHoverFrame(window);
}

struct OwnedWindows {
    HWND owner;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwned(HWND window, LPARAM data) {
    auto* owned = reinterpret_cast<OwnedWindows*>(data);
    if (GetWindow(window, GW_OWNER) == owned->owner) owned->found.push_back(window);
    return TRUE;
}

bool IsTopmost(HWND window) {
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// Some window systems (Wine among them) leave the topmost flag of a window that owns others
// unchanged; then the owned windows are let go for the call and taken back afterwards.
void SetTopmost(HWND window, bool top) {
    HWND after = top ? HWND_TOPMOST : HWND_NOTOPMOST;
    constexpr UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(window, after, 0, 0, 0, 0, flags);
    if (IsTopmost(window) == top) return;
    OwnedWindows owned{window, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&owned));
    for (HWND w : owned.found)
        SetWindowLongPtrW(w, GWLP_HWNDPARENT, 0);
    SetWindowPos(window, after, 0, 0, 0, 0, flags);
    for (HWND w : owned.found)
        SetWindowLongPtrW(w, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(window));
}

void ToggleTop() {
    Settings& s = g_settings;
    s.Top = !s.Top;
    if (ViewWindowHandle()) SetTopmost(ViewWindowHandle(), s.Top);
}

void ToggleCaptionBar() {
    Settings& s = g_settings;
    s.CapBar = !s.CapBar;
    HWND view = ViewWindowHandle();
    g_frameShown = false;
    // full screen keeps its bare style; leaving it picks the style from the setting
    if (!view || CurrentDisplayMode() == DisplayMode::FullScreen) return;
    RestyleKeepingClient(view, s.CapBar ? kCaptionStyle : kBareStyle);
}

void ToggleFrame() {
    g_settings.Frame = !g_settings.Frame;
    if (!g_settings.Frame && ViewWindowHandle()) RemoveHoverFrame(ViewWindowHandle());
}

} // namespace

DWORD ViewWindowCaptionStyle() {
    return kCaptionStyle;
}

DWORD ViewWindowBareStyle() {
    return kBareStyle;
}

bool HoverFrameMessage(HWND window, UINT message) {
    switch (message) {
    case WM_MOUSEMOVE:
    case WM_MOUSEHOVER:
        ShowHoverFrame(window);
        if (g_frameShown && !g_trackingClient) {
            Track(window, TME_LEAVE | TME_HOVER);
            g_trackingClient = true;
            CheckPointerLeft(window); // gone before the tracking began: no leave message comes
        }
        return false;
    case WM_NCMOUSEMOVE:
        if (g_frameShown && !g_trackingFrame) {
            Track(window, TME_LEAVE | TME_NONCLIENT);
            g_trackingFrame = true;
        }
        return false;
    case WM_MOUSELEAVE:
        g_trackingClient = false;
        CheckPointerLeft(window);
        return true;
    case WM_NCMOUSELEAVE:
        g_trackingFrame = false;
        CheckPointerLeft(window);
        return true;
    case WM_ENTERSIZEMOVE: g_sizing = true; return false;
    case WM_EXITSIZEMOVE:
        g_sizing = false;
        CheckPointerLeft(window);
        return false;
    default: return false;
    }
}

bool HoverFrameShown() {
    return g_frameShown;
}

bool DropHoverFrame() {
    bool was = g_frameShown;
    g_frameShown = false;
    g_trackingClient = g_trackingFrame = false;
    g_restoreFrameAfterFullScreen = was;
    return was;
}

void RestoreHoverFrame() {
    HWND view = ViewWindowHandle();
    bool wanted = g_restoreFrameAfterFullScreen;
    g_restoreFrameAfterFullScreen = false;
    if (!view || !wanted || !HoverFrameWanted(view)) return;
    DWORD kept = static_cast<DWORD>(GetWindowLongW(view, GWL_STYLE)) & kKeptStyleBits;
    SetWindowLongW(view, GWL_STYLE, static_cast<LONG>(kHoverFrameStyle | kept));
    SetWindowPos(view, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    g_frameShown = true;
    CheckPointerLeft(view);
}

void SettleHoverFrame() {
    if (HWND view = ViewWindowHandle()) CheckPointerLeft(view);
}

void HoverOnViewMouse(HWND window, UINT message, int32_t x, int32_t y) {
    if (message == WM_MOUSEMOVE) {
        POINT screen{x, y};
        ClientToScreen(window, &screen);
        CursorOnMove(screen);
        HoverFrameMessage(window, message);
        NavigatorOnMouse(window, x, y);
    }
    ToolBarOnMouse(window, message, x, y);
}

bool HandleWindowStyleCommand(int32_t command) {
    Settings& s = g_settings;
    switch (command) {
    case kCmdTopMost: ToggleTop(); return true;
    case kCmdCaptionBar: ToggleCaptionBar(); return true;
    case kCmdFrame: ToggleFrame(); return true;
    case kCmdToolBar:
        s.VTBar = !s.VTBar;
        if (!s.VTBar) HideToolBarHost();
        return true;
    case kCmdAutoNavigator:
        s.AutoNavi = !s.AutoNavi;
        if (!s.AutoNavi) HideNavigator();
        return true;
    default: return false;
    }
}

} // namespace qv
