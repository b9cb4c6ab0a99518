// Arranging several running instances on this ViewWindow's work area. Every other instance gets
// its request through WM_COPYDATA after being brought to the front; this one moves last.
#include "viewer/arrange_win.h"

#include <vector>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/instance_request.h"
#include "model/settings.h"
#include "ui/window_classes.h"
#include "viewer/arrange_layout.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr UINT kRequestTimeoutMs = 10000;  // a hung instance must not hang this one
constexpr WPARAM kSysCommandMask = 0xFFF0; // the low four bits of SC_* carry the system's own data
constexpr WPARAM kMoveByCaptionCode = 2;   // SC_MOVE + HTCAPTION

ViewRect ToViewRect(const RECT& r) {
    return ViewRect{r.left, r.top, r.right, r.bottom};
}

ViewRect WorkAreaOfWindow(HWND window) {
    MONITORINFO info{sizeof info};
    if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return ToViewRect(info.rcWork);
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return ToViewRect(work);
}

BOOL CALLBACK CollectInstance(HWND window, LPARAM data) {
    wchar_t name[64] = {};
    if (window != ViewWindowHandle() && GetClassNameW(window, name, 64) && lstrcmpiW(name, kViewWindowClass) == 0)
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

// The other instances' ViewWindows in the order the system lists them (front to back).
std::vector<HWND> OtherInstances() {
    std::vector<HWND> windows;
    EnumWindows(CollectInstance, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

void SendRequest(HWND window, CopyDataKind kind, const void* data, DWORD size) {
    SetForegroundWindow(window);
    COPYDATASTRUCT block{kind, size, const_cast<void*>(data)};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_COPYDATA, reinterpret_cast<WPARAM>(ViewWindowHandle()),
                        reinterpret_cast<LPARAM>(&block), SMTO_ABORTIFHUNG, kRequestTimeoutMs, &result);
}

void PlaceWindow(HWND window, const ViewRect& r, bool keepSize) {
    SetWindowPos(window, nullptr, r.left, r.top, r.Width(), r.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | (keepSize ? SWP_NOSIZE : 0));
}

ViewSize WindowSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return ViewSize{r.right - r.left, r.bottom - r.top};
}

// The fitted window's image fitted into the cell, and the window around it centred there.
void FitImageToCell(HWND window, const ViewRect& cell) {
    ViewGeometry& g = g_viewState.geometry;
    const ViewSettings s = ViewSettingsFrom(g_settings);
    SurfaceMetrics m = MeasureSurface(window, DisplayMode::ViewWindow, s);
    WindowFrame frame = FittedWindowFrame(s, m);
    if (!s.NMZoom) g.zoom = 1.0;
    ApplyFitRule(&g, ViewSize{cell.Width() - frame.Width(), cell.Height() - frame.Height()}, s.VSmall, s.NVLarge);
    PlaceWindow(window, CentreInCell(FittedWindowSize(g, s, m), cell), false);
    RECT client{};
    GetClientRect(window, &client);
    SetViewClient(&g, client.right, client.bottom);
    LayoutView(&g);
    UpdateMainWindowTitle();
    RepaintView();
}

void MoveIntoCell(const ViewRect& cell) {
    HWND view = ViewWindowHandle();
    // full screen keeps its monitor; the window goes into the cell once it is left
    if (!view || CurrentDisplayMode() == DisplayMode::FullScreen) return;
    if (IsIconic(view) || IsZoomed(view)) ShowWindow(view, SW_RESTORE);
    if (!g_settings.FitWin) return PlaceWindow(view, cell, false);
    PlaceWindow(view, CentreInCell(WindowSize(view), cell), true);
    if (HasCurrentImage(g_session) && CurrentDisplayMode() == DisplayMode::ViewWindow) FitImageToCell(view, cell);
}

void CentreViewWindow() {
    HWND view = ViewWindowHandle();
    if (!view || CurrentDisplayMode() != DisplayMode::ViewWindow || IsZoomed(view) || IsIconic(view)) return;
    RECT window{}, client{};
    GetWindowRect(view, &window);
    GetClientRect(view, &client);
    POINT origin{0, 0};
    ClientToScreen(view, &origin);
    ViewPoint p = CentreOnWorkArea(ViewSize{window.right - window.left, window.bottom - window.top},
                                   ViewSize{client.right, client.bottom}, origin.x - window.left, origin.y - window.top,
                                   WorkAreaOfWindow(view));
    SetWindowPos(view, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ArrangeInCells(Arrangement kind) {
    std::vector<HWND> others = OtherInstances();
    int32_t n = static_cast<int32_t>(others.size()) + 1;
    if (n < 2) return;
    std::vector<ViewRect> cells = ArrangeCells(kind, n, WorkAreaOfWindow(ViewWindowHandle()));
    for (size_t i = 0; i < others.size(); ++i) {
        const ViewRect& c = cells[i];
        const int32_t block[4] = {c.left, c.top, c.Width(), c.Height()};
        SendRequest(others[i], kCopyDataMoveToRect, block, sizeof block);
    }
    MoveIntoCell(cells.back());
    SetForegroundWindow(ViewWindowHandle());
}

// Requests without data: 2 (centre) and 3 (close).
bool SendToAllOthers(CopyDataKind kind) {
    std::vector<HWND> others = OtherInstances();
    if (others.empty()) return false;
    for (HWND other : others)
        SendRequest(other, kind, nullptr, 0);
    return true;
}

} // namespace

void MoveIntoCellRequest(const int32_t cell[4]) {
    MoveIntoCell(ViewRect{cell[0], cell[1], cell[0] + cell[2], cell[1] + cell[3]});
}

void CentreAndRefitRequest() {
    CentreViewWindow();
    if (!g_settings.FitWin || CurrentDisplayMode() != DisplayMode::ViewWindow) return;
    ShowLoadedImage(); // the fit on load, on this monitor's work area
    CentreViewWindow();
}

bool HandleArrangeCommand(int32_t command) {
    switch (command) {
    case kCmdCentreOnMonitor: CentreViewWindow(); return true;
    case kCmdArrangeGrid:
    case kCmdArrangeSideBySide:
    case kCmdArrangeStacked:
    case kCmdArrangeCentre:
    case kCmdArrangeClose: break;
    default: return false;
    }
    if (CurrentDisplayMode() != DisplayMode::ViewWindow) return true;
    switch (command) {
    case kCmdArrangeGrid: ArrangeInCells(Arrangement::Grid); break;
    case kCmdArrangeSideBySide: ArrangeInCells(Arrangement::SideBySide); break;
    case kCmdArrangeStacked: ArrangeInCells(Arrangement::Stacked); break;
    case kCmdArrangeCentre:
        if (SendToAllOthers(kCopyDataFitToWorkArea)) {
            CentreAndRefitRequest();
            SetForegroundWindow(ViewWindowHandle());
        }
        break;
    case kCmdArrangeClose:
        if (SendToAllOthers(kCopyDataClose)) RunCommand(kCmdClose);
        break;
    }
    return true;
}

bool ViewWindowFrameRequest(UINT message, WPARAM wParam) {
    bool fullScreen = false;
    if (message == WM_NCLBUTTONDBLCLK) {
        fullScreen = wParam == HTCAPTION;
    } else if (message == WM_SYSCOMMAND) {
        WPARAM command = wParam & kSysCommandMask;
        fullScreen =
            command == SC_MAXIMIZE || (command == SC_MOVE && (wParam & ~kSysCommandMask) == kMoveByCaptionCode &&
                                       CurrentDisplayMode() == DisplayMode::FullScreen && IsZoomed(ViewWindowHandle()));
    }
    if (fullScreen) RunCommand(kCmdFullScreen);
    return fullScreen;
}

} // namespace qv
