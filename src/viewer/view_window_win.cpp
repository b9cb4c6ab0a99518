// The ViewWindow and the (for now plain) SubWindow: placement, painting through the paint plan,
// fit on load, the title, and the messages other instances and the shell send.
#include "viewer/view_window_win.h"

#include <shellapi.h>

#include <algorithm>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/instance_request.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "ui/colour_box_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/animation_win.h"
#include "viewer/arrange_layout.h"
#include "viewer/arrange_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/hover_win.h"
#include "viewer/view_commands.h"
#include "viewer/view_input_win.h"
#include "viewer/view_paint.h"
#include "viewer/window_title.h"

namespace qv {

namespace {

HWND g_viewWindow = nullptr;
HWND g_subWindow = nullptr;

constexpr DWORD kCaptionStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kBareStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CLIPCHILDREN;

ViewRect ToViewRect(const RECT& r) {
    return ViewRect{r.left, r.top, r.right, r.bottom};
}

WindowFrame FrameOfStyle(DWORD style, DWORD exStyle) {
    RECT r{0, 0, 100, 100};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return WindowFrame{-r.left, -r.top, r.right - 100, r.bottom - 100};
}

void WorkAreaOf(HMONITOR monitor, RECT* monitorRect, RECT* work) {
    MONITORINFO info{sizeof info};
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        *monitorRect = info.rcMonitor;
        *work = info.rcWork;
        return;
    }
    *monitorRect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, work, 0)) *work = *monitorRect;
}

// A stored placement kept inside the work area.
RECT ClampPlacement(int32_t x, int32_t y, int32_t w, int32_t h, const RECT& work) {
    ViewRect r = qv::ClampIntoWorkArea(x, y, w, h, ToViewRect(work));
    return RECT{r.left, r.top, r.right, r.bottom};
}

DWORD ViewWindowStyle() {
    return g_settings.CapBar ? kCaptionStyle : kBareStyle;
}

// `text` cut after the last whole word that fits `width` with an ellipsis behind it; the whole
// text when it fits. Not every DrawText honours a word ellipsis on a single line (Wine's lets the
// line run past both edges), so the cut is made here. Empty when not even one word fits.
std::wstring WithWordEllipsis(HDC dc, const std::wstring& text, int width) {
    auto fits = [&](const std::wstring& s) {
        SIZE size{};
        return GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &size) && size.cx <= width;
    };
    if (fits(text)) return text;
    std::wstring cut = text;
    for (;;) {
        size_t space = cut.find_last_of(L' ');
        if (space == std::wstring::npos) return {};
        cut.erase(cut.find_last_not_of(L' ', space) + 1);
        if (cut.empty()) return {};
        if (fits(cut + L"...")) return cut + L"...";
    }
}

void PaintSurface(HWND window, HDC dc, DisplayMode surface) {
    const ViewSettings s = ViewSettingsFrom(g_settings);
    const ViewGeometry& g = g_viewState.geometry;
    const ImageSession& session = g_session;
    bool hasImage = HasCurrentImage(session);
    PaintPlan plan = PlanPaint(g);
    HBRUSH background = static_cast<HBRUSH>(GetStockObject(SurfaceBackgroundBrush(s, surface)));
    if (!hasImage) {
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, background);
        if (session.lastLoadFailed) {
            std::wstring text = UiText(kStrEmptyView);
            int32_t bg = surface == DisplayMode::SubWindow ? s.SWBgColor : s.BgColor;
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, BackgroundTextColour(bg));
            HGDIOBJ old = SelectObject(dc, UiFont());
            // a text without spaces (Japanese) or a first word too long is cut at a character
            std::wstring shown = WithWordEllipsis(dc, text, client.right - client.left);
            UINT cut = shown.empty() ? DT_END_ELLIPSIS : DT_WORD_ELLIPSIS;
            if (shown.empty()) shown = text;
            DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &client,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | cut | DT_NOPREFIX);
            SelectObject(dc, old);
        }
        return;
    }
    for (int i = 0; i < plan.fillCount; ++i) {
        RECT r{plan.fills[i].left, plan.fills[i].top, plan.fills[i].right, plan.fills[i].bottom};
        FillRect(dc, &r, background);
    }
    if (!plan.drawImage) return;
    int mode = surface == DisplayMode::SubWindow ? PaneStretchMode(g)
                                                 : ViewWindowStretchMode(g, s.SthMode, ViewDragFastStretch());
    SetStretchBltMode(dc, mode);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    // while a selection mask exists the view shows its display copy: protected pixels dimmed grey
    const ImageBuffer& image = PaintedImage(surface);
    const uint8_t* pixels = image.pixels;
    const BITMAPINFO* info = AsBitmapInfo(&image);
    BITMAPINFO masked{};
    if (&image == &session.current && HasSelectionMask(session.mask) && session.mask.display &&
        AlternativeDisplayShown()) {
        masked.bmiHeader = MaskDisplayHeader(session.current);
        pixels = session.mask.display.get();
        info = &masked;
    }
    StretchDIBits(dc, plan.destination.left, plan.destination.top, plan.destination.Width(), plan.destination.Height(),
                  plan.sourceX, plan.sourceY, plan.sourceWidth, plan.sourceHeight, pixels, info, DIB_RGB_COLORS,
                  SRCCOPY);
}

void OnCopyData(HWND window, WPARAM wParam, LPARAM lParam) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    HWND main = CurrentMainWindow();
    if (main && !IsWindowEnabled(main)) return; // a modal dialog is open
    if (data->dwData != kCopyDataInstanceRequest) CloseListWindow();
    switch (data->dwData) {
    case kCopyDataInstanceRequest: { // a forwarded command line is the top layer's
        LRESULT result = 0;
        ProgramWindowMessage(window, WM_COPYDATA, wParam, lParam, &result);
        break;
    }
    case kCopyDataMoveToRect:
        if (data->cbData == 16) MoveIntoCellRequest(static_cast<const int32_t*>(data->lpData));
        break;
    case kCopyDataFitToWorkArea: CentreAndRefitRequest(); break;
    case kCopyDataClose: RunCommand(kCmdClose); break;
    }
}

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: CreateHoverToolBar(window); return 0;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case WM_NCMOUSEMOVE:
    case WM_MOUSEHOVER:
    case WM_ENTERSIZEMOVE:
    case WM_EXITSIZEMOVE:
        if (HoverFrameMessage(window, message)) return 0;
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        PaintSurface(window, dc,
                     CurrentDisplayMode() == DisplayMode::FullScreen ? DisplayMode::FullScreen
                                                                     : DisplayMode::ViewWindow);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: ViewWindowSized(window, wParam, lParam); return 0;
    case WM_SIZING: ViewWindowSizing(window, wParam, reinterpret_cast<RECT*>(lParam)); return TRUE;
    case WM_GETMINMAXINFO: ViewWindowMinMaxInfo(window, reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_COMMAND: RunCommandMessage(wParam); return 0;
    case WM_CONTEXTMENU:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_INITMENUPOPUP:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_DROPFILES:
    case WM_CLOSE:
    case WM_ENDSESSION: {
        // the menus, drops and closing belong to the program's top layer
        LRESULT result = 0;
        if (ProgramWindowMessage(window, message, wParam, lParam, &result)) return result;
        break;
    }
    case WM_TIMER:
        if (wParam == kAnimationTimer) AdvanceAnimation();
        return 0;
    case WM_LBUTTONDBLCLK: RunCommand(MouseActionCommand(g_settings.DClick)); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_MOUSEWHEEL:
    case WM_CAPTURECHANGED: ViewSurfaceMouse(window, message, wParam, lParam); return 0;
    case WM_COPYDATA: OnCopyData(window, wParam, lParam); return TRUE;
    case WM_NCLBUTTONDBLCLK:
    case WM_SYSCOMMAND:
        if (ViewWindowFrameRequest(message, wParam)) return 0;
        break;
    case WM_ACTIVATEAPP:
        if (wParam) PollFolderOnActivation();
        return 0;
    case WM_DESTROY:
        g_viewWindow = nullptr;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SubWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE)); // the gap between the panes
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_COMMAND: RunCommandMessage(wParam); return 0;
    case WM_CONTEXTMENU:
    case WM_INITMENUPOPUP:
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_DROPFILES: {
        LRESULT result = 0;
        if (ProgramWindowMessage(window, message, wParam, lParam, &result)) return result;
        break;
    }
    case WM_SIZE: LayOutSubWindow(); return 0;
    case WM_MOUSEWHEEL: // the panes take no focus: the wheel reaches the SubWindow
        ViewSurfaceMouse(SurfaceWindow(), message, wParam, lParam);
        return 0;
    case WM_CLOSE: // the program closes from its ViewWindow
        PostMessageW(ViewWindowHandle(), WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY:
        if (window == g_subWindow) g_subWindow = nullptr;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Register(HINSTANCE instance, const wchar_t* name, UINT style, WNDPROC proc, HICON icon, HCURSOR cursor) {
    WNDCLASSEXW wc{sizeof wc};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = cursor;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

} // namespace

HWND ViewWindowHandle() {
    return g_viewWindow;
}

HWND SubWindowHandle() {
    return g_subWindow;
}

HWND CurrentMainWindow() {
    return CurrentDisplayMode() == DisplayMode::SubWindow && g_subWindow ? g_subWindow : g_viewWindow;
}

const ImageBuffer& PaintedImage(DisplayMode) {
    return g_session.current;
}

void PaintViewSurface(HWND window, HDC dc, DisplayMode surface) {
    PaintSurface(window, dc, surface);
}

SurfaceMetrics MeasureSurface(HWND window, DisplayMode surface, const ViewSettings& s) {
    SurfaceMetrics m;
    m.surface = surface;
    RECT monitor, work;
    WorkAreaOf(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor, &work);
    m.monitor = ToViewRect(monitor);
    m.workArea = ToViewRect(work);
    m.captionFrame = FrameOfStyle(kCaptionStyle, 0);
    m.thinFrame = FrameOfStyle(WS_POPUP | WS_THICKFRAME, 0);
    m.minTrackWidth = GetSystemMetrics(SM_CXMINTRACK);
    m.hoverFrameShown = HoverFrameShown();
    m.screen = ViewSize{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT client{};
    GetClientRect(window, &client);
    POINT centre{(client.right) / 2, (client.bottom) / 2};
    ClientToScreen(window, &centre);
    m.clientCentre = ViewPoint{centre.x, centre.y};
    // a pane's own client shrinks with its scroll bars; the state machine wants the room they take too
    m.pane = surface == DisplayMode::SubWindow ? PaneSize() : ViewSize{client.right, client.bottom};
    m.maximised = surface == DisplayMode::ViewWindow && IsZoomed(window);
    m.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    m.hScrollHeight = GetSystemMetrics(SM_CYHSCROLL);
    return m;
}

bool RegisterWindowClasses(HINSTANCE instance) {
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(100));
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    constexpr UINT redraw = CS_HREDRAW | CS_VREDRAW;
    bool ok = Register(instance, kViewWindowClass, redraw | CS_DBLCLKS | CS_OWNDC, ViewWindowProc, icon, arrow);
    ok &= Register(instance, kSubWindowClass, redraw, SubWindowProc, icon, arrow);
    ok &= Register(instance, kToolBarHostClass, redraw, ToolBarHostProc, nullptr, arrow);
    ok &= Register(instance, kListWindowClass, redraw, ListWindowProc, nullptr, arrow);
    ok &= Register(instance, kHistoryWindowClass, redraw, HistoryWindowProc, nullptr, arrow);
    ok &= Register(instance, kPane1Class, redraw | CS_DBLCLKS | CS_OWNDC, ImagePaneProc, nullptr, arrow);
    ok &= Register(instance, kPane2Class, redraw | CS_OWNDC, ResultPaneProc, nullptr, arrow);
    ok &=
        Register(instance, kNavigatorClass, redraw | CS_OWNDC, NavigatorProc, nullptr, ProgramCursor(kNavigatorCursor));
    ok &= Register(instance, kColourBoxClass, redraw, ColourBoxProc, nullptr, LoadCursorW(nullptr, IDC_HAND));
    return ok;
}

HWND CreateViewWindow(HINSTANCE instance) {
    const Settings& st = g_settings;
    POINT cursor{};
    GetCursorPos(&cursor);
    RECT monitor, work;
    WorkAreaOf(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor, &work);
    DWORD style = ViewWindowStyle();
    DWORD exStyle = WS_EX_ACCEPTFILES | WS_EX_APPWINDOW | (st.Top ? WS_EX_TOPMOST : 0);
    RECT r;
    if (st.FitWin) {
        int32_t x = work.left + (work.right - work.left - kEmptyViewWidth) / 2;
        int32_t y = work.top + (work.bottom - work.top - kEmptyViewHeight) / 2;
        r = RECT{x, y, x + kEmptyViewWidth, y + kEmptyViewHeight};
        if (st.CapBar) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    } else {
        r = ClampPlacement(st.VwinX, st.VwinY, st.VwinW, st.VwinH, work);
    }
    g_viewWindow = CreateWindowExW(exStyle, kViewWindowClass, L"Quorvel", style, r.left, r.top, r.right - r.left,
                                   r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    return g_viewWindow;
}

HWND EnsureSubWindow() {
    if (g_subWindow) return g_subWindow;
    const Settings& st = g_settings;
    RECT monitor, work;
    POINT cursor{};
    GetCursorPos(&cursor);
    HMONITOR nearest = g_viewWindow ? MonitorFromWindow(g_viewWindow, MONITOR_DEFAULTTONEAREST)
                                    : MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    WorkAreaOf(nearest, &monitor, &work);
    RECT r = ClampPlacement(st.SwinX, st.SwinY, st.SwinW, st.SwinH, work);
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (st.SwinMax ? WS_MAXIMIZE : 0);
    g_subWindow = CreateWindowExW(WS_EX_ACCEPTFILES, kSubWindowClass, L"Quorvel", style, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, g_viewWindow, nullptr, Ui().instance, nullptr);
    return g_subWindow;
}

void ShowLoadedImage() {
    const ViewSettings s = ViewSettingsFrom(g_settings);
    const ImageSession& session = g_session;
    int32_t w = 0, h = 0;
    if (HasCurrentImage(session)) {
        w = session.current.header.biWidth;
        h = session.current.header.biHeight;
    } else if (CurrentDisplayMode() == DisplayMode::ViewWindow && s.FitWin && session.emptyWidth > 0) {
        // the empty view keeps a fitted window at its own size
        RECT wr{0, 0, session.emptyWidth, session.emptyHeight};
        if (s.CapBar) AdjustWindowRectEx(&wr, ViewWindowStyle(), FALSE, GetWindowLongW(g_viewWindow, GWL_EXSTYLE));
        SetWindowPos(g_viewWindow, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    FitShownImage(w, h);
    UpdateMainWindowTitle();
    SyncListWindow();
    RefreshHoverToolBar();
    RepaintView();
}

void UpdateMainWindowTitle() {
    const ImageSession& session = g_session;
    TitleFacts f;
    f.hasImage = HasCurrentImage(session);
    const FileList& list = session.list;
    f.fileName = FileNameOf(list.currentPath);
    if (list.sourceKind != kSourceFolder && HasList(list) && list.current < list.count)
        f.memberPath = EntryText(list, list.current);
    f.modified = IsModified(g_session.edits);
    f.sourceFormat = session.current.sourceFormat;
    f.info = session.info;
    f.autoRotate = g_settings.AutoRot;
    f.width = session.current.header.biWidth;
    f.height = session.current.header.biHeight;
    f.bitsPerPixel =
        session.current.sourceBitDepth ? session.current.sourceBitDepth : session.current.header.biBitCount;
    f.fileSize = session.current.fileSize;
    std::wstring title = ComposeWindowTitle(f);
    // a failed load names the path it tried, and the member when it was one
    if (!f.hasImage && session.lastLoadFailed && !list.currentPath.empty())
        title = FailedLoadTitle(list.currentPath, f.memberPath);
    SetWindowTextW(CurrentMainWindow(), title.c_str());
}

void RepaintView() {
    if (CurrentDisplayMode() == DisplayMode::SubWindow) return RefreshPanes();
    if (ViewWindowHandle()) InvalidateRect(ViewWindowHandle(), nullptr, FALSE);
    UpdateNavigator();
}

} // namespace qv
