// The ViewWindow and the (for now plain) SubWindow: placement, painting through the paint plan,
// fit on load, the title, and the messages other instances and the shell send.
#include "viewer/view_window.h"

#include <shellapi.h>

#include <algorithm>

#include "app/app_state.h"
#include "app/command_ids.h"
#include "app/file_commands_win.h"
#include "app/instance_request.h"
#include "app/language_module.h"
#include "app/menus_win.h"
#include "app/startup_win.h"
#include "app/ui_strings.h"
#include "viewer/animation_win.h"
#include "viewer/arrange_layout.h"
#include "viewer/arrange_win.h"
#include "viewer/display_modes.h"
#include "viewer/drop_files_win.h"
#include "viewer/hover_win.h"
#include "viewer/view_commands.h"
#include "viewer/view_input_win.h"
#include "viewer/view_paint.h"
#include "viewer/window_title.h"

namespace qv {

namespace {

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
    return g_app.settings.CapBar ? kCaptionStyle : kBareStyle;
}

void PaintSurface(HWND window, HDC dc, DisplayMode surface) {
    const ViewSettings s = ViewSettingsFrom(g_app.settings);
    const ViewGeometry& g = g_app.geometry;
    const ImageSession& session = g_app.session;
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
            HGDIOBJ old = SelectObject(dc, g_app.uiFont ? g_app.uiFont : GetStockObject(DEFAULT_GUI_FONT));
            DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
                      DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORD_ELLIPSIS | DT_NOPREFIX);
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
    StretchDIBits(dc, plan.destination.left, plan.destination.top, plan.destination.Width(), plan.destination.Height(),
                  plan.sourceX, plan.sourceY, plan.sourceWidth, plan.sourceHeight, session.current.pixels,
                  reinterpret_cast<const BITMAPINFO*>(&session.current), DIB_RGB_COLORS, SRCCOPY);
}

void OnCopyData(const COPYDATASTRUCT* data) {
    HWND main = CurrentMainWindow();
    if (main && !IsWindowEnabled(main)) return; // a modal dialog is open
    if (data->dwData != kCopyDataInstanceRequest && g_app.listWindow) {
        DestroyWindow(g_app.listWindow);
        g_app.listWindow = nullptr;
    }
    switch (data->dwData) {
    case kCopyDataInstanceRequest: {
        InstanceRequest request;
        if (DecodeInstanceRequest(static_cast<const uint8_t*>(data->lpData), data->cbData, &request))
            HandleInstanceRequest(request);
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
                     g_app.displayMode == DisplayMode::FullScreen ? DisplayMode::FullScreen : DisplayMode::ViewWindow);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: ViewWindowSized(window, wParam, lParam); return 0;
    case WM_SIZING: ViewWindowSizing(window, wParam, reinterpret_cast<RECT*>(lParam)); return TRUE;
    case WM_GETMINMAXINFO: ViewWindowMinMaxInfo(window, reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_COMMAND: RunCommandMessage(wParam); return 0;
    case WM_CONTEXTMENU: OnContextMenuMessage(window, lParam); return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (OnAltKeyMessage(window, message, wParam, lParam)) return 0;
        break;
    case WM_INITMENUPOPUP: InitMenuPopup(reinterpret_cast<HMENU>(wParam)); break;
    case WM_MEASUREITEM:
        if (MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_DRAWITEM:
        if (DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_TIMER:
        if (wParam == kAnimationTimer) AdvanceAnimation();
        return 0;
    case WM_LBUTTONDBLCLK: RunCommand(MouseActionCommand(g_app.settings.DClick)); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_MOUSEWHEEL:
    case WM_CAPTURECHANGED: ViewWindowMouse(window, message, wParam, lParam); return 0;
    case WM_COPYDATA: OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam)); return TRUE;
    case WM_DROPFILES: OpenDroppedFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_NCLBUTTONDBLCLK:
    case WM_SYSCOMMAND:
        if (ViewWindowFrameRequest(message, wParam)) return 0;
        break;
    case WM_ACTIVATEAPP:
        if (wParam) PollFolderOnActivation();
        return 0;
    case WM_CLOSE:
        if (ShutDownFromClose(true)) DestroyWindow(window);
        return 0;
    case WM_ENDSESSION:
        if (wParam && ShutDownFromClose(false)) DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        g_app.viewWindow = nullptr;
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
    case WM_CONTEXTMENU: OnContextMenuMessage(window, lParam); return 0;
    case WM_INITMENUPOPUP: InitMenuPopup(reinterpret_cast<HMENU>(wParam)); break;
    case WM_MEASUREITEM:
        if (MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_DRAWITEM:
        if (DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_SIZE: LayOutSubWindow(); return 0;
    case WM_DROPFILES: OpenDroppedFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_CLOSE: // the program closes from its ViewWindow
        PostMessageW(g_app.viewWindow, WM_CLOSE, 0, 0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK PlainChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

void PaintViewSurface(HWND window, HDC dc, DisplayMode surface) {
    PaintSurface(window, dc, surface);
}

ViewSettings ViewSettingsFrom(const Settings& st) {
    ViewSettings s;
    s.WheelRev = st.WheelRev;
    s.SthMode = st.SthMode;
    s.BgColor = st.BgColor;
    s.FitWin = st.FitWin;
    s.CapBar = st.CapBar;
    s.Frame = st.Frame;
    s.NMZoom = st.NMZoom;
    s.VSmall = st.VSmall;
    s.NVLarge = st.NVLarge;
    s.FLZoom = st.FLZoom;
    s.FSDown = st.FSDown;
    s.FSUp = st.FSUp;
    s.Wheel = st.Wheel;
    s.FSWheel = st.FSWheel;
    s.FSAreaZm = st.FSAreaZm;
    s.SWBgColor = st.SwinBgColor;
    s.SWZoom = st.SWZoom;
    s.SWSmall = st.SWSmall;
    s.SWLarge = st.SWLarge;
    s.SWWheel = st.SWWheel;
    s.SWAreaZm = st.SWAreaZm;
    s.ScrlBar = st.ScrlBar;
    return s;
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
    m.pane = ViewSize{client.right, client.bottom};
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
    ok &= Register(instance, kNavigatorClass, redraw | CS_OWNDC, NavigatorProc, nullptr, arrow);
    ok &= Register(instance, kColourBoxClass, redraw, PlainChildProc, nullptr, LoadCursorW(nullptr, IDC_HAND));
    return ok;
}

HWND CreateViewWindow(HINSTANCE instance) {
    const Settings& st = g_app.settings;
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
    return CreateWindowExW(exStyle, kViewWindowClass, L"Quorvel", style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, instance, nullptr);
}

HWND CreateSubWindow(HINSTANCE instance, HWND owner) {
    const Settings& st = g_app.settings;
    RECT monitor, work;
    WorkAreaOf(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor, &work);
    RECT r = ClampPlacement(st.SwinX, st.SwinY, st.SwinW, st.SwinH, work);
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (st.SwinMax ? WS_MAXIMIZE : 0);
    return CreateWindowExW(WS_EX_ACCEPTFILES, kSubWindowClass, L"Quorvel", style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, owner, nullptr, instance, nullptr);
}

void ShowLoadedImage() {
    ViewGeometry& g = g_app.geometry;
    const ViewSettings s = ViewSettingsFrom(g_app.settings);
    const ImageSession& session = g_app.session;
    DisplayMode surface = g_app.displayMode;
    HWND window = BeginSurfaceFit();
    SurfaceMetrics m = MeasureSurface(window, surface, s);
    RECT client{};
    GetClientRect(window, &client);
    SetViewClient(&g, client.right, client.bottom);
    int32_t w = 0, h = 0;
    if (HasCurrentImage(session)) {
        w = session.current.header.biWidth;
        h = session.current.header.biHeight;
    } else if (surface == DisplayMode::ViewWindow && s.FitWin && session.emptyWidth > 0) {
        // the empty view keeps a fitted window at its own size
        ViewRect r = {0, 0, session.emptyWidth, session.emptyHeight};
        RECT wr{r.left, r.top, r.right, r.bottom};
        if (s.CapBar) AdjustWindowRectEx(&wr, ViewWindowStyle(), FALSE, GetWindowLongW(window, GWL_EXSTYLE));
        SetWindowPos(window, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top, SWP_NOMOVE | SWP_NOZORDER);
    }
    SetViewImage(&g, w, h, surface, m.screen);
    if (w > 0) {
        bool keepZoom = surface == DisplayMode::ViewWindow  ? s.NMZoom
                        : surface == DisplayMode::SubWindow ? s.SWZoom
                                                            : s.FLZoom;
        if (!keepZoom) g.zoom = 1.0;
        if (surface == DisplayMode::ViewWindow) {
            ApplyFitRule(&g, FitArea(g, s, m), s.VSmall, s.NVLarge);
            if (s.FitWin && !IsZoomed(window)) {
                ViewSize fittedClient;
                ViewRect r = FitWindowRect(g, s, m, &fittedClient);
                SetWindowPos(window, nullptr, r.left, r.top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
                GetClientRect(window, &client);
                SetViewClient(&g, client.right, client.bottom);
            }
        } else if (surface == DisplayMode::SubWindow) {
            ApplyFitRule(&g, ViewSize{client.right, client.bottom}, s.SWSmall, s.SWLarge);
        } else {
            ApplyFitRule(&g, ViewSize{m.monitor.Width(), m.monitor.Height()}, s.FSDown, s.FSUp);
        }
    }
    ScaleView(&g);
    LayoutView(&g);
    UpdateMainWindowTitle();
    SyncListWindow();
    RefreshHoverToolBar();
    RepaintView();
}

void UpdateMainWindowTitle() {
    const ImageSession& session = g_app.session;
    TitleFacts f;
    f.hasImage = HasCurrentImage(session);
    const FileList& list = session.list;
    size_t cut = list.currentPath.find_last_of(L"\\/");
    f.fileName = cut == std::wstring::npos ? list.currentPath : list.currentPath.substr(cut + 1);
    if (list.sourceKind != kSourceFolder && HasList(list) && list.current < list.count)
        f.memberPath = EntryText(list, list.current);
    f.modified = IsModified(g_app.session.edits);
    f.sourceFormat = session.current.sourceFormat;
    f.info = session.info;
    f.autoRotate = g_app.settings.AutoRot;
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
    if (g_app.displayMode == DisplayMode::SubWindow) return RefreshPanes();
    if (g_app.viewWindow) InvalidateRect(g_app.viewWindow, nullptr, FALSE);
    UpdateNavigator();
}

} // namespace qv
