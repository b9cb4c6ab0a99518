// The hover tool bar: a hidden child of the ViewWindow that appears while the pointer is in the
// top strip of the client. Its button images are drawn here at start-up, so the program carries
// no bitmap for them. In full screen a right-aligned group adds minimise, leave and close.
#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <iterator>
#include <string>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/display_modes_win.h"
#include "viewer/hover_layout.h"
#include "viewer/hover_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kHostId = 1000;
constexpr int kToolBarId = 1001;
constexpr int kFieldId = 9920;  // position field, on a separator of its width
constexpr int kSpacerId = 9912; // stretches so that the full-screen group ends at the right edge
constexpr int kGroupSepId = 9911;
constexpr int kFieldWidth = 72;
constexpr int kGlyph = 16;
constexpr int kToolTipCount = 3;
constexpr UINT kToolTipDelayMs = 300;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr COLORREF kInk = RGB(48, 48, 48);
constexpr COLORREF kAccent = RGB(40, 110, 200);
constexpr COLORREF kCloseInk = RGB(200, 40, 40);
constexpr COLORREF kFolderInk = RGB(220, 170, 40);

enum class Glyph {
    None,
    Open,
    List,
    TurnLeft,
    TurnRight,
    Fit,
    Actual,
    First,
    Previous,
    Next,
    Last,
    Slideshow,
    SubWindow,
    Minimise,
    FullScreen,
    Close
};

struct ButtonSpec {
    int id;      // command, or the id of a separator that must be found again
    Glyph glyph; // None: a separator
    int width;   // separators: 0 for the standard width
};

// The buttons in their order; the last five form the full-screen group.
constexpr ButtonSpec kButtons[] = {
    {kCmdOpen, Glyph::Open, 0},
    {0, Glyph::None, 0},
    {kCmdListWindow, Glyph::List, 0},
    {0, Glyph::None, 0},
    {kCmdTurnLeft, Glyph::TurnLeft, 0},
    {kCmdTurnRight, Glyph::TurnRight, 0},
    {0, Glyph::None, 0},
    {kCmdZoomFit, Glyph::Fit, 0},
    {kCmdZoomActual, Glyph::Actual, 0},
    {kFieldId, Glyph::None, kFieldWidth},
    {0, Glyph::None, 0},
    {kCmdFirstImage, Glyph::First, 0},
    {kCmdPreviousImage, Glyph::Previous, 0},
    {kCmdNextImage, Glyph::Next, 0},
    {kCmdLastImage, Glyph::Last, 0},
    {0, Glyph::None, 0},
    {kCmdSlideshow, Glyph::Slideshow, 0},
    {0, Glyph::None, 0},
    {kCmdSubWindow, Glyph::SubWindow, 0},
    {kSpacerId, Glyph::None, 1},
    {kGroupSepId, Glyph::None, 0},
    {kCmdMinimise, Glyph::Minimise, 0},
    {kCmdFullScreen, Glyph::FullScreen, 0},
    {kCmdClose, Glyph::Close, 0},
};
constexpr int kFullScreenGroup[] = {kSpacerId, kGroupSepId, kCmdMinimise, kCmdFullScreen, kCmdClose};
constexpr int kSpacerIndex = 19;
static_assert(kButtons[kSpacerIndex].id == kSpacerId);

HWND g_host = nullptr;
HWND g_toolBar = nullptr;
HWND g_field = nullptr;
HWND g_toolTips[kToolTipCount] = {};
HIMAGELIST g_images = nullptr;
bool g_shown = false;
bool g_fullScreen = false;
wchar_t g_tipText[256];

// ---- images

void Line(HDC dc, int x0, int y0, int x1, int y1) {
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

void Triangle(HDC dc, int x0, int y0, int x1, int y1, int x2, int y2) {
    POINT p[3] = {{x0, y0}, {x1, y1}, {x2, y2}};
    Polygon(dc, p, 3);
}

// A turning arrow: most of a circle, clockwise for a right turn, with its head at the end.
void TurnArrow(HDC dc, bool left, HPEN pen) {
    constexpr double kPi = 3.14159265358979323846;
    constexpr double cx = 7.5, cy = 8.0, radius = 5.0;
    constexpr int kSteps = 12;
    auto mirror = [left](double x) { return left ? 15.0 - x : x; };
    POINT arc[kSteps + 1];
    double from = 200.0 * kPi / 180.0, to = -20.0 * kPi / 180.0;
    for (int i = 0; i <= kSteps; ++i) {
        double a = from + (to - from) * i / kSteps;
        arc[i] = POINT{static_cast<LONG>(std::lround(mirror(cx + radius * std::cos(a)))),
                       static_cast<LONG>(std::lround(cy - radius * std::sin(a)))};
    }
    HGDIOBJ old = SelectObject(dc, pen);
    Polyline(dc, arc, kSteps + 1);
    SelectObject(dc, old);
    // the head points along the direction of travel at the end of the arc
    double ex = cx + radius * std::cos(to), ey = cy - radius * std::sin(to);
    double dx = std::sin(to), dy = std::cos(to);
    POINT head[3] = {
        {static_cast<LONG>(std::lround(mirror(ex + 3 * dx))), static_cast<LONG>(std::lround(ey + 3 * dy))},
        {static_cast<LONG>(std::lround(mirror(ex - 3 * dy - dx))), static_cast<LONG>(std::lround(ey + 3 * dx - dy))},
        {static_cast<LONG>(std::lround(mirror(ex + 3 * dy - dx))), static_cast<LONG>(std::lround(ey - 3 * dx - dy))},
    };
    Polygon(dc, head, 3);
}

void DrawGlyph(HDC dc, Glyph glyph, int x) {
    SetViewportOrgEx(dc, x, 0, nullptr);
    HPEN ink = CreatePen(PS_SOLID, 1, kInk);
    HPEN inkWide = CreatePen(PS_SOLID, 2, kInk);
    HPEN closeWide = CreatePen(PS_SOLID, 2, kCloseInk);
    HBRUSH inkBrush = CreateSolidBrush(kInk);
    HBRUSH accent = CreateSolidBrush(kAccent);
    HBRUSH folder = CreateSolidBrush(kFolderInk);
    HGDIOBJ oldPen = SelectObject(dc, ink);
    HGDIOBJ oldBrush = SelectObject(dc, inkBrush);
    switch (glyph) {
    case Glyph::Open: {
        SelectObject(dc, folder);
        POINT p[] = {{1, 4}, {6, 4}, {7, 5}, {14, 5}, {14, 13}, {1, 13}};
        Polygon(dc, p, 6);
        break;
    }
    case Glyph::List:
        for (int y = 3; y <= 12; y += 3) {
            Rectangle(dc, 2, y, 4, y + 2);
            Line(dc, 6, y, 14, y);
        }
        break;
    case Glyph::TurnLeft: TurnArrow(dc, true, inkWide); break;
    case Glyph::TurnRight: TurnArrow(dc, false, inkWide); break;
    case Glyph::Fit:
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 1, 2, 15, 14);
        SelectObject(dc, accent);
        Rectangle(dc, 4, 5, 12, 11);
        break;
    case Glyph::Actual:
        Rectangle(dc, 3, 3, 5, 13);
        Rectangle(dc, 7, 5, 9, 7);
        Rectangle(dc, 7, 9, 9, 11);
        Rectangle(dc, 11, 3, 13, 13);
        break;
    case Glyph::First:
        Rectangle(dc, 3, 3, 5, 13);
        Triangle(dc, 12, 3, 12, 12, 6, 8);
        break;
    case Glyph::Previous: Triangle(dc, 11, 3, 11, 12, 5, 8); break;
    case Glyph::Next: Triangle(dc, 5, 3, 5, 12, 11, 8); break;
    case Glyph::Last:
        Triangle(dc, 4, 3, 4, 12, 10, 8);
        Rectangle(dc, 11, 3, 13, 13);
        break;
    case Glyph::Slideshow:
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 1, 2, 15, 14);
        SelectObject(dc, accent);
        Triangle(dc, 6, 5, 6, 11, 11, 8);
        break;
    case Glyph::SubWindow:
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 1, 2, 15, 14);
        Line(dc, 1, 5, 15, 5);
        Line(dc, 8, 5, 8, 14);
        break;
    case Glyph::Minimise: Rectangle(dc, 3, 11, 13, 13); break;
    case Glyph::FullScreen: // four corners drawn inwards: back from the whole screen
        SelectObject(dc, inkWide);
        Line(dc, 2, 6, 6, 6);
        Line(dc, 6, 6, 6, 2);
        Line(dc, 10, 2, 10, 6);
        Line(dc, 10, 6, 14, 6);
        Line(dc, 2, 10, 6, 10);
        Line(dc, 6, 10, 6, 14);
        Line(dc, 10, 14, 10, 10);
        Line(dc, 10, 10, 14, 10);
        break;
    case Glyph::Close:
        SelectObject(dc, closeWide);
        Line(dc, 3, 3, 13, 13);
        Line(dc, 13, 3, 3, 13);
        break;
    case Glyph::None: break;
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(ink);
    DeleteObject(inkWide);
    DeleteObject(closeWide);
    DeleteObject(inkBrush);
    DeleteObject(accent);
    DeleteObject(folder);
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

// One strip of 16 x 16 images in the order of the buttons that have one.
HIMAGELIST BuildImages(int* count) {
    int n = 0;
    for (const ButtonSpec& b : kButtons)
        if (b.glyph != Glyph::None) ++n;
    *count = n;
    HIMAGELIST list = ImageList_Create(kGlyph, kGlyph, ILC_COLOR24 | ILC_MASK, n, 0);
    if (!list) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP strip = CreateCompatibleBitmap(screen, kGlyph * n, kGlyph);
    ReleaseDC(nullptr, screen);
    if (!dc || !strip) {
        if (dc) DeleteDC(dc);
        if (strip) DeleteObject(strip);
        ImageList_Destroy(list);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(dc, strip);
    RECT all{0, 0, kGlyph * n, kGlyph};
    HBRUSH mask = CreateSolidBrush(kMaskColour);
    FillRect(dc, &all, mask);
    DeleteObject(mask);
    int i = 0;
    for (const ButtonSpec& b : kButtons)
        if (b.glyph != Glyph::None) DrawGlyph(dc, b.glyph, kGlyph * i++);
    SelectObject(dc, old);
    DeleteDC(dc);
    ImageList_AddMasked(list, strip, kMaskColour);
    DeleteObject(strip);
    return list;
}

TBBUTTON ToolBarButton(const ButtonSpec& b, int* image) {
    TBBUTTON t{};
    t.idCommand = b.id;
    t.fsState = TBSTATE_ENABLED;
    if (b.glyph == Glyph::None) {
        t.fsStyle = BTNS_SEP;
        t.iBitmap = b.width;
    } else {
        t.fsStyle = BTNS_BUTTON | (b.id == kCmdSlideshow ? BTNS_CHECK : 0);
        t.iBitmap = (*image)++;
    }
    return t;
}

// ---- layout

RECT ItemRect(int id) {
    RECT r{};
    LRESULT index = SendMessageW(g_toolBar, TB_COMMANDTOINDEX, id, 0);
    if (index >= 0) SendMessageW(g_toolBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    return r;
}

void HideButton(int id, bool hide) {
    SendMessageW(g_toolBar, TB_HIDEBUTTON, id, MAKELPARAM(hide ? TRUE : FALSE, 0));
}

// A separator's width is fixed when it is inserted, so the spacer is replaced by one of the
// width the row needs.
void SetSpacerWidth(int width) {
    LRESULT index = SendMessageW(g_toolBar, TB_COMMANDTOINDEX, kSpacerId, 0);
    if (index < 0) return;
    SendMessageW(g_toolBar, TB_DELETEBUTTON, index, 0);
    TBBUTTON t{};
    t.idCommand = kSpacerId;
    t.fsState = TBSTATE_ENABLED;
    t.fsStyle = BTNS_SEP;
    t.iBitmap = width > 0 ? width : 1;
    SendMessageW(g_toolBar, TB_INSERTBUTTONW, index, reinterpret_cast<LPARAM>(&t));
}

int HostWidth() {
    if (!g_fullScreen || !ViewWindowHandle()) return kToolBarHostWidth;
    RECT client;
    GetClientRect(ViewWindowHandle(), &client);
    return client.right > 0 ? client.right : kToolBarHostWidth;
}

void PlaceField() {
    if (!g_field) return;
    RECT r = ItemRect(kFieldId);
    MoveWindow(g_field, r.left, r.top + 2, r.right - r.left, r.bottom - r.top - 4, TRUE);
    ShowWindow(g_field, g_fullScreen ? SW_SHOWNA : SW_HIDE);
}

void LayOutGroup() {
    if (!g_toolBar) return;
    int width = HostWidth();
    SetWindowPos(g_host, nullptr, 0, 0, width, kToolBarHostHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (g_fullScreen) {
        SetSpacerWidth(1);
        RECT spacer = ItemRect(kSpacerId), first = ItemRect(kGroupSepId), last = ItemRect(kCmdClose);
        SetSpacerWidth(FullScreenSpacerWidth(width, spacer.left, last.right - first.left));
    }
    PlaceField();
}

void ShowHost() {
    if (!g_host) return;
    RefreshHoverToolBar();
    LayOutGroup();
    SetWindowPos(g_host, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    g_shown = true;
    SetCursorShown(true);
}

bool ToolTipText(int command, wchar_t* out, size_t capacity) {
    std::wstring text = UiText(static_cast<uint32_t>(command));
    if (text.empty() || capacity == 0) return false;
    size_t n = 0;
    for (wchar_t c : text) {
        if (c == L'&') continue; // menu mnemonics
        if (n + 1 >= capacity) break;
        out[n++] = c;
    }
    out[n] = 0;
    return true;
}

LRESULT OnNotify(NMHDR* header) {
    if (header->code == TBN_GETINFOTIPW) {
        auto* tip = reinterpret_cast<NMTBGETINFOTIPW*>(header);
        if (tip->pszText && tip->cchTextMax > 0) ToolTipText(tip->iItem, tip->pszText, tip->cchTextMax);
        return 0;
    }
    if (header->code == TTN_GETDISPINFOW) {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        if (ToolTipText(static_cast<int>(header->idFrom), g_tipText, std::size(g_tipText))) info->lpszText = g_tipText;
        return 0;
    }
    return 0;
}

HWND CreateToolTip(HWND owner) {
    HWND tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, Ui().instance, nullptr);
    if (!tip) return nullptr;
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(kToolTipDelayMs, 0));
    SendMessageW(tip, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    return tip;
}

void CreateButtons(HWND host) {
    g_toolBar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | CCS_NORESIZE |
                                    CCS_NOPARENTALIGN | CCS_NODIVIDER,
                                0, 0, kToolBarHostWidth, kToolBarHostHeight, host,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kToolBarId)), Ui().instance, nullptr);
    if (!g_toolBar) return;
    SendMessageW(g_toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // the tool tip is set before the buttons, so that each button registers itself with it
    if (g_toolTips[0]) SendMessageW(g_toolBar, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(g_toolTips[0]), 0);
    int count = 0;
    g_images = BuildImages(&count);
    if (g_images) SendMessageW(g_toolBar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_images));
    TBBUTTON buttons[std::size(kButtons)];
    int image = 0;
    for (size_t i = 0; i < std::size(kButtons); ++i)
        buttons[i] = ToolBarButton(kButtons[i], &image);
    SendMessageW(g_toolBar, TB_ADDBUTTONSW, std::size(buttons), reinterpret_cast<LPARAM>(buttons));
    for (int id : kFullScreenGroup)
        HideButton(id, true);
    g_field = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0, 0,
                              kFieldWidth, kToolBarHostHeight, g_toolBar,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFieldId)), Ui().instance, nullptr);
    if (g_field && Ui().font) SendMessageW(g_field, WM_SETFONT, reinterpret_cast<WPARAM>(Ui().font), FALSE);
    HideButton(kFieldId, true);
}

} // namespace

LRESULT CALLBACK ToolBarHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (g_toolBar) MoveWindow(g_toolBar, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_COMMAND:
        if (lParam && reinterpret_cast<HWND>(lParam) == g_toolBar) {
            RunCommand(LOWORD(wParam));
            RefreshHoverToolBar();
        }
        return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_ERASEBKGND: {
        RECT r;
        GetClientRect(window, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_RBUTTONUP: HideToolBarHost(); return 0;
    case WM_DESTROY:
        g_host = g_toolBar = g_field = nullptr;
        g_shown = false;
        if (g_images) ImageList_Destroy(g_images);
        g_images = nullptr;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void CreateHoverToolBar(HWND viewWindow) {
    for (HWND& tip : g_toolTips)
        if (!tip) tip = CreateToolTip(viewWindow);
    g_host = CreateWindowExW(0, kToolBarHostClass, nullptr, WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                             kToolBarHostWidth, kToolBarHostHeight, viewWindow,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHostId)), Ui().instance, nullptr);
    if (g_host) CreateButtons(g_host);
}

HWND SharedToolTip(int index) {
    return index >= 0 && index < kToolTipCount ? g_toolTips[index] : nullptr;
}

HWND ToolBarHost() {
    return g_host;
}

bool ToolBarHostShown() {
    return g_shown && g_host && IsWindowVisible(g_host);
}

void ToolBarOnMouse(HWND viewWindow, UINT message, int32_t x, int32_t y) {
    if (!g_host) return;
    if (message == WM_RBUTTONUP) {
        HideToolBarHost();
        return;
    }
    if (message != WM_MOUSEMOVE) return;
    if (!g_settings.VTBar || CurrentDisplayMode() == DisplayMode::SubWindow) {
        if (g_shown) HideToolBarHost();
        return;
    }
    RECT client;
    GetClientRect(viewWindow, &client);
    bool inStrip = InToolBarStrip(ViewPoint{x, y}, ViewSize{client.right, client.bottom});
    if (inStrip && !g_shown && !ViewMouseDragging())
        ShowHost();
    else if (!inStrip && g_shown)
        HideToolBarHost();
}

void HideToolBarHost() {
    if (!g_host) return;
    g_shown = false;
    ShowWindow(g_host, SW_HIDE);
    if (g_toolTips[0]) SendMessageW(g_toolTips[0], TTM_POP, 0, 0);
}

void SetToolBarFullScreen(bool fullScreen) {
    if (!g_toolBar) return;
    g_fullScreen = fullScreen;
    SendMessageW(g_toolBar, WM_SETREDRAW, FALSE, 0);
    for (int id : kFullScreenGroup)
        HideButton(id, !fullScreen);
    HideButton(kFieldId, !fullScreen);
    SendMessageW(g_toolBar, WM_SETREDRAW, TRUE, 0);
    if (!fullScreen) HideToolBarHost();
    LayOutGroup();
    InvalidateRect(g_toolBar, nullptr, TRUE);
}

void RefreshHoverToolBar() {
    if (!g_toolBar) return;
    SendMessageW(g_toolBar, TB_CHECKBUTTON, kCmdSlideshow, MAKELPARAM(SlideshowRunning() ? TRUE : FALSE, 0));
    if (g_field) {
        const FileList& list = g_session.list;
        std::wstring text = HasList(list) ? PositionFieldText(list.current, list.count) : std::wstring();
        SetWindowTextW(g_field, text.c_str());
    }
}

} // namespace qv
