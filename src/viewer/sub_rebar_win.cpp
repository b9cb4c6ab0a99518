// The SubWindow's rebar: the main tool bar (band 1), the zoom field with its preset menu and the
// save-options bar (band 2), the rows it starts with, and the seam where the tools add bands.
#include "viewer/sub_rebar_win.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/menu_tree.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/bar_icons_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/program_hooks_win.h"
#include "viewer/rebar_rules.h"
#include "viewer/save_bar_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_paint.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr const wchar_t* kPanelClass = L"Quorvel_rbpanel_class";
constexpr int kRebarId = 1020;
constexpr int kMainPanelId = 1021;
constexpr int kMainToolBarId = 1022;
constexpr int kSavePanelId = 1023;
constexpr int kZoomFieldId = 1040;
constexpr int kZoomPresetId = 1041;
constexpr UINT kMainBandId = 1;
constexpr UINT kSaveBandId = 2;
constexpr UINT kFirstToolBandId = 10;
constexpr int kPanelHeight = kRebarPanelHeight;
constexpr int kFieldHeight = kRebarFieldHeight;
constexpr int kZoomFieldWidth = 56;
constexpr int kGap = 6;
constexpr UINT_PTR kZoomFieldSubclass = 1;
constexpr UINT_PTR kSubWindowSubclass = 2;

struct MainButton {
    int32_t command; // 0: separator
    uint32_t label;  // shown on the tool groups; a button with a picture shows it as its tooltip
    int icon;        // -1: text only
    bool dropDown;
};

// clang-format off
constexpr MainButton kMainButtons[] = {
    {kCmdOpen, kStrBarOpen, kIconOpen, false},
    {kCmdSaveAs, kStrBarSaveAs, kIconSaveAs, false},
    {kCmdSave, kStrBarSave, kIconSave, false},
    {0, 0, -1, false},
    {kCmdPreviousImage, kStrBarPrevious, kIconPrevious, false},
    {kCmdNextImage, kStrBarNext, kIconNext, false},
    {0, 0, -1, false},
    {kCmdZoomFit, kStrBarFit, kIconFit, false},
    {kCmdZoomActual, kStrBarActualSize, kIconActualSize, false},
    {0, 0, -1, false},
    {kCmdFullScreen, kStrBarFullScreen, kIconFullScreen, false},
    {kCmdSubWindow, kStrBarViewer, kIconViewer, false},
    {0, 0, -1, false},
    {kMenuSelectionAndPainting, kStrBarSelection, -1, true},
    {kMenuSizeAndOrientation, kStrBarSize, -1, true},
    {kMenuColour, kStrBarColour, -1, true},
    {kMenuEffects, kStrBarEffects, -1, true},
};
// clang-format on

struct ImageListOwner {
    HIMAGELIST list = nullptr;
    ~ImageListOwner() { reset(nullptr); }
    void reset(HIMAGELIST other) {
        if (list) ImageList_Destroy(list);
        list = other;
    }
    HIMAGELIST get() const { return list; }
    explicit operator bool() const { return list != nullptr; }
};

struct RebarState {
    HWND rebar = nullptr;
    ImageListOwner icons;
    HWND mainPanel = nullptr, mainToolBar = nullptr;
    HWND savePanel = nullptr, zoomField = nullptr, zoomPreset = nullptr;
    int32_t shownPercent = -1;     // what the zoom field shows; -1 for nothing yet
    int32_t zoomControlsWidth = 0; // band 2 never gets narrower than the zoom field
    int32_t openGroup = 0;
    UINT nextToolBandId = kFirstToolBandId;
    bool laying = false;
    bool locked = false; // a tool is open
    std::wstring tip;    // the text a tooltip asked for lives until the next one
};
RebarState g_bar;

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto handler = reinterpret_cast<PanelHandler>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COMMAND || message == WM_NOTIFY) {
        LRESULT result = 0;
        if (handler && handler(window, message, wParam, lParam, &result)) return result;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterPanelClass() {
    static bool registered = false;
    if (registered) return true;
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = PanelProc;
    wc.hInstance = Ui().instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kPanelClass;
    registered = RegisterClassExW(&wc) != 0;
    return registered;
}

// ---- zoom field ---------------------------------------------------------------------------------

void ShowZoomInField(bool force) {
    if (!g_bar.zoomField) return;
    bool hasImage = HasCurrentImage(g_session) && g_viewState.geometry.imageWidth > 0;
    int32_t percent = hasImage ? ZoomPercent(g_viewState.geometry.zoom) : -1;
    if (!force && percent == g_bar.shownPercent) return;
    g_bar.shownPercent = percent;
    wchar_t text[16] = {};
    if (hasImage) FormatZoomPercent(g_viewState.geometry.zoom, text, std::size(text));
    SetWindowTextW(g_bar.zoomField, text);
}

void CommitZoomField() {
    wchar_t text[32] = {};
    GetWindowTextW(g_bar.zoomField, text, static_cast<int>(std::size(text)));
    double zoom = 0;
    if (g_viewState.geometry.imageWidth > 0 && ParseZoomPercentText(text, &zoom)) SetViewZoom(zoom);
    ShowZoomInField(true);
    SendMessageW(g_bar.zoomField, EM_SETSEL, 0, -1);
}

LRESULT CALLBACK ZoomFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            CommitZoomField();
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r') return 0; // no beep for the Enter that committed
        break;
    case WM_KILLFOCUS: ShowZoomInField(true); break; // an uncommitted edit is dropped
    case WM_NCDESTROY: RemoveWindowSubclass(window, ZoomFieldProc, id); break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

void ShowZoomPresets() {
    RECT r;
    GetWindowRect(g_bar.zoomPreset, &r);
    ShowZoomPresetMenu(SubWindowHandle(), POINT{r.left, r.bottom});
}

// ---- main tool bar ------------------------------------------------------------------------------

bool ToolGroupAvailable(int32_t group) {
    if (!HasCurrentImage(g_session)) return false;
    const MenuPopupLayout* layout = FindMenuPopup(group);
    if (!layout) return false;
    return std::any_of(layout->items.begin(), layout->items.end(), [](int32_t c) { return CommandHasHandler(c); });
}

void ShowToolGroupMenu(int32_t group) {
    HWND tb = g_bar.mainToolBar;
    HMENU menu = ProgramMenuPopup(group);
    if (!tb || !menu || !ToolGroupAvailable(group)) return;
    LRESULT index = SendMessageW(tb, TB_COMMANDTOINDEX, group, 0);
    RECT r{};
    if (index < 0 || !SendMessageW(tb, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r))) return;
    MapWindowPoints(tb, nullptr, reinterpret_cast<POINT*>(&r), 2);
    TPMPARAMS keepClear{sizeof keepClear, r};
    g_bar.openGroup = group;
    SendMessageW(tb, TB_PRESSBUTTON, group, TRUE);
    TrackPopupMenuEx(menu, TPM_NOANIMATION | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL, r.left, r.bottom,
                     SubWindowHandle(), &keepClear);
    SendMessageW(tb, TB_PRESSBUTTON, group, FALSE);
    g_bar.openGroup = 0;
}

const wchar_t* TipText(int32_t command) {
    g_bar.tip = UiText(static_cast<uint32_t>(MenuTextNumber(command, CurrentDisplayMode())));
    return g_bar.tip.c_str();
}

bool MainPanelMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        RunCommand(LOWORD(wParam));
        return true;
    }
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    switch (header->code) {
    case TBN_DROPDOWN:
        ShowToolGroupMenu(reinterpret_cast<NMTOOLBARW*>(lParam)->iItem);
        *result = TBDDRET_DEFAULT;
        return true;
    case TTN_GETDISPINFOW: {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
        info->lpszText = const_cast<wchar_t*>(TipText(static_cast<int32_t>(header->idFrom)));
        return true;
    }
    }
    return false;
}

HWND CreateMainToolBar(HWND panel) {
    HWND tb = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                              WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                                  CCS_NODIVIDER | CCS_NOPARENTALIGN,
                              0, 0, 0, 0, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMainToolBarId)),
                              Ui().instance, nullptr);
    if (!tb) return nullptr;
    SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    // pictures for the commands, text for the tool groups
    SendMessageW(tb, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
    if (!g_bar.icons) g_bar.icons.reset(CreateBarIcons());
    SendMessageW(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_bar.icons.get()));
    SendMessageW(tb, WM_SETFONT, reinterpret_cast<WPARAM>(RebarFont()), FALSE);
    for (const MainButton& b : kMainButtons) {
        TBBUTTON button{};
        button.iBitmap = b.icon >= 0 && g_bar.icons ? b.icon : I_IMAGENONE;
        if (b.command == 0) {
            button.fsStyle = BTNS_SEP;
            button.iBitmap = kGap;
        } else {
            std::wstring label = UiText(b.label);
            label.push_back(L'\0'); // TB_ADDSTRING takes a double-terminated list
            button.iString = SendMessageW(tb, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(label.c_str()));
            button.idCommand = b.command;
            button.fsStyle = BTNS_AUTOSIZE | (b.dropDown ? BTNS_WHOLEDROPDOWN : BTNS_BUTTON);
            if (button.iBitmap == I_IMAGENONE) button.fsStyle |= BTNS_SHOWTEXT;
            button.fsState = b.dropDown ? 0 : TBSTATE_ENABLED; // the groups wait for their tools
        }
        SendMessageW(tb, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    }
    SendMessageW(tb, TB_AUTOSIZE, 0, 0);
    SIZE size{};
    SendMessageW(tb, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    SetWindowPos(tb, nullptr, 0, 0, size.cx, std::max<LONG>(size.cy, kPanelHeight), SWP_NOZORDER | SWP_NOACTIVATE);
    return tb;
}

void SetButtonEnabled(int32_t command, bool enabled) {
    HWND tb = g_bar.mainToolBar;
    bool now = SendMessageW(tb, TB_ISBUTTONENABLED, command, 0) != 0;
    if (now != enabled) SendMessageW(tb, TB_ENABLEBUTTON, command, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

void RefreshMainButtons() {
    if (!g_bar.mainToolBar || g_bar.locked) return;
    const ImageSession& session = g_session;
    const FileList& list = session.list;
    bool hasImage = HasCurrentImage(session);
    bool listed = HasList(list) && list.count > 1;
    SetButtonEnabled(kCmdSaveAs, hasImage);
    SetButtonEnabled(kCmdSave, hasImage && list.sourceKind == kSourceFolder && !list.currentPath.empty());
    SetButtonEnabled(kCmdPreviousImage, listed && list.current > 0);
    SetButtonEnabled(kCmdNextImage, listed && list.current + 1 < list.count);
    SetButtonEnabled(kCmdZoomFit, hasImage);
    SetButtonEnabled(kCmdZoomActual, hasImage);
    for (int32_t group = kMenuSelectionAndPainting; group <= kMenuEffects; ++group)
        SetButtonEnabled(group, ToolGroupAvailable(group));
}

// ---- band 2: zoom field, then the save-options bar -------------------------------------------

bool SavePanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == g_bar.zoomField) return true;
    if (message == WM_NOTIFY) {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == g_bar.zoomPreset) {
            if (header->code == TBN_DROPDOWN) {
                ShowZoomPresets();
                *result = TBDDRET_DEFAULT;
                return true;
            }
            if (header->code == TTN_GETDISPINFOW) {
                g_bar.tip = UiText(kStrBarZoom);
                reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = const_cast<wchar_t*>(g_bar.tip.c_str());
                return true;
            }
        }
    }
    return HandleSaveBarMessage(panel, message, wParam, lParam, result);
}

int32_t CreateZoomControls(HWND panel) {
    int y = (kPanelHeight - kFieldHeight) / 2;
    g_bar.zoomField = CreateWindowExW(
        WS_EX_CLIENTEDGE, L"EDIT", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT, 2, y,
        kZoomFieldWidth, kFieldHeight, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kZoomFieldId)),
        Ui().instance, nullptr);
    if (!g_bar.zoomField) return 0;
    SendMessageW(g_bar.zoomField, WM_SETFONT, reinterpret_cast<WPARAM>(RebarFont()), FALSE);
    SendMessageW(g_bar.zoomField, EM_SETLIMITTEXT, 6, 0);
    SetWindowSubclass(g_bar.zoomField, ZoomFieldProc, kZoomFieldSubclass, 0);
    int32_t x = 2 + kZoomFieldWidth;
    g_bar.zoomPreset = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                                       WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TOOLTIPS |
                                           CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                                       x, 0, 0, 0, panel, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kZoomPresetId)),
                                       Ui().instance, nullptr);
    if (!g_bar.zoomPreset) return x;
    SendMessageW(g_bar.zoomPreset, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(g_bar.zoomPreset, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(g_bar.zoomPreset, TB_SETBITMAPSIZE, 0, MAKELPARAM(0, 0));
    TBBUTTON button{};
    button.iBitmap = I_IMAGENONE;
    button.idCommand = kZoomPresetId;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_WHOLEDROPDOWN | BTNS_AUTOSIZE;
    button.iString = -1;
    SendMessageW(g_bar.zoomPreset, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    // as tall as the field beside it, so that the arrow sits level with the text
    SendMessageW(g_bar.zoomPreset, TB_SETBUTTONSIZE, 0, MAKELPARAM(16, kFieldHeight));
    SIZE size{};
    SendMessageW(g_bar.zoomPreset, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
    LONG w = std::max<LONG>(size.cx, 16);
    SetWindowPos(g_bar.zoomPreset, nullptr, x, y, w, kFieldHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    return x + w;
}

// ---- bands -------------------------------------------------------------------------------------

int32_t WindowWidth(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r.right - r.left;
}

// `minWidth` is what the band keeps when another band of its row is maximised.
bool InsertBand(HWND child, UINT id, const wchar_t* label, int32_t width, int32_t minWidth, int32_t height,
                bool breakBefore) {
    REBARBANDINFOW band{sizeof band};
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_IDEALSIZE | RBBIM_ID;
    band.fStyle = RBBS_CHILDEDGE | RBBS_GRIPPERALWAYS | (breakBefore ? RBBS_BREAK : 0);
    if (label && *label) {
        band.fMask |= RBBIM_TEXT;
        band.lpText = const_cast<wchar_t*>(label);
    }
    band.hwndChild = child;
    band.cxMinChild = std::min(width, minWidth);
    band.cyMinChild = height;
    band.cx = width;
    band.cxIdeal = width;
    band.wID = id;
    return SendMessageW(g_bar.rebar, RB_INSERTBANDW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band)) != 0;
}

bool CreateRebar(HWND sub) {
    if (!RegisterPanelClass()) return false;
    g_bar.rebar = CreateWindowExW(0, REBARCLASSNAMEW, nullptr,
                                  WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | RBS_VARHEIGHT |
                                      RBS_BANDBORDERS | CCS_NODIVIDER | CCS_TOP,
                                  0, 0, 0, 0, sub, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRebarId)),
                                  Ui().instance, nullptr);
    if (!g_bar.rebar) return false;
    REBARINFO info{sizeof info};
    SendMessageW(g_bar.rebar, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info));

    g_bar.mainPanel = CreateRebarPanel(g_bar.rebar, kMainPanelId, MainPanelMessage);
    if (g_bar.mainPanel) g_bar.mainToolBar = CreateMainToolBar(g_bar.mainPanel);
    if (g_bar.mainToolBar) {
        RECT r;
        GetWindowRect(g_bar.mainToolBar, &r);
        SetWindowPos(g_bar.mainPanel, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
    }
    g_bar.savePanel = CreateRebarPanel(g_bar.rebar, kSavePanelId, SavePanelMessage);
    if (g_bar.savePanel) {
        int32_t x = CreateZoomControls(g_bar.savePanel);
        g_bar.zoomControlsWidth = x + 2;
        int32_t right = CreateSaveBarControls(g_bar.savePanel, x + kGap, kPanelHeight);
        SetWindowPos(g_bar.savePanel, nullptr, 0, 0, right + 2, kPanelHeight, SWP_NOZORDER);
    }

    int32_t rows = RebarRowsFromSetting(g_settings.RebarRow);
    if (g_bar.mainPanel) {
        RECT r;
        GetWindowRect(g_bar.mainPanel, &r);
        // every main button stays visible; a narrow window moves band 2 to a row of its own
        InsertBand(g_bar.mainPanel, kMainBandId, nullptr, r.right - r.left, r.right - r.left, r.bottom - r.top, false);
    }
    if (g_bar.savePanel)
        InsertBand(g_bar.savePanel, kSaveBandId, nullptr, WindowWidth(g_bar.savePanel), g_bar.zoomControlsWidth,
                   kPanelHeight, rows > 1);
    SendMessageW(g_bar.rebar, RB_MAXIMIZEBAND, MaximisedBandIndex(rows), FALSE);
    ShowZoomInField(true);
    RefreshMainButtons();
    return true;
}

// The rebar tells its parent when its height changed (rows wrapped or a band moved); the menu of
// the tool-group button under the pointer opens on WM_APP (the mouse hook's menu-bar behaviour).
LRESULT CALLBACK SubWindowRebarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    switch (message) {
    case WM_APP: {
        POINT p{};
        GetCursorPos(&p);
        if (int32_t group = ToolGroupButtonAt(p)) ShowToolGroupMenu(group);
        return 0;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == g_bar.rebar) {
            if (header->code == RBN_HEIGHTCHANGE && !g_bar.laying) LayOutSubWindow();
            return 0;
        }
        break;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(window, SubWindowRebarProc, id); break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

HWND CreateRebarPanel(HWND rebar, int id, PanelHandler handler) {
    if (!RegisterPanelClass()) return nullptr;
    HWND panel =
        CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 1,
                        kPanelHeight, rebar, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Ui().instance, nullptr);
    if (panel) SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handler));
    return panel;
}

HFONT RebarFont() {
    return UiFont();
}

void ReturnFocusToSubWindow() {
    if (CurrentDisplayMode() == DisplayMode::SubWindow && SubWindowHandle()) SetFocus(SubWindowHandle());
}

int32_t LayOutSubRebar(HWND sub) {
    if (!g_bar.rebar) {
        if (!CreateRebar(sub)) return 0;
        SetWindowSubclass(sub, SubWindowRebarProc, kSubWindowSubclass, 0);
    }
    g_bar.laying = true;
    SendMessageW(g_bar.rebar, WM_SIZE, 0, 0); // the rebar spans its parent's width by itself
    auto rows = static_cast<int32_t>(SendMessageW(g_bar.rebar, RB_GETROWCOUNT, 0, 0));
    SendMessageW(g_bar.rebar, RB_MAXIMIZEBAND, MaximisedBandIndex(rows), FALSE);
    g_bar.laying = false;
    RECT r{};
    GetWindowRect(g_bar.rebar, &r);
    return r.bottom - r.top;
}

int32_t SubRebarRowCount(int32_t fallback) {
    if (!g_bar.rebar) return fallback;
    auto rows = static_cast<int32_t>(SendMessageW(g_bar.rebar, RB_GETROWCOUNT, 0, 0));
    return rows > 0 ? rows : fallback;
}

void RefreshSubRebar() {
    if (!g_bar.rebar) return;
    ShowZoomInField(false);
    RefreshMainButtons();
    SyncSaveBar();
}

void RelabelSubRebar() {
    if (!g_bar.rebar) return;
    if (g_bar.mainPanel && g_bar.mainToolBar) {
        // a tool bar keeps its strings in a pool that cannot be replaced: the bar is made anew
        DestroyWindow(g_bar.mainToolBar);
        g_bar.mainToolBar = CreateMainToolBar(g_bar.mainPanel);
        RECT r{};
        if (g_bar.mainToolBar) GetWindowRect(g_bar.mainToolBar, &r);
        int32_t width = r.right - r.left, height = std::max<int32_t>(r.bottom - r.top, kPanelHeight);
        SetWindowPos(g_bar.mainPanel, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        auto index = static_cast<int>(SendMessageW(g_bar.rebar, RB_IDTOINDEX, kMainBandId, 0));
        if (index >= 0) {
            REBARBANDINFOW band{sizeof band};
            band.fMask = RBBIM_IDEALSIZE | RBBIM_CHILDSIZE | RBBIM_SIZE;
            band.cxMinChild = width;
            band.cyMinChild = height;
            band.cx = width;
            band.cxIdeal = width;
            SendMessageW(g_bar.rebar, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
        }
        bool locked = g_bar.locked;
        g_bar.locked = false;
        RefreshMainButtons();
        if (locked) LockMainToolBar(true);
    }
    if (g_bar.zoomField) SendMessageW(g_bar.zoomField, WM_SETFONT, reinterpret_cast<WPARAM>(RebarFont()), FALSE);
    RelabelSaveBar();
    if (SubWindowHandle()) LayOutSubWindow();
}

bool AddSubRebarBand(HWND child, const std::wstring& label, int32_t minHeight) {
    if (!g_bar.rebar || !child) return false;
    RECT r{};
    GetWindowRect(child, &r);
    int32_t height = std::max<int32_t>(minHeight, r.bottom - r.top);
    int32_t width = r.right - r.left;
    if (!InsertBand(child, g_bar.nextToolBandId++, label.c_str(), width, width, height, true)) return false;
    LayOutSubWindow();
    return true;
}

bool RemoveSubRebarBand(HWND child) {
    if (!g_bar.rebar || !child) return false;
    auto count = static_cast<UINT>(SendMessageW(g_bar.rebar, RB_GETBANDCOUNT, 0, 0));
    for (UINT i = 0; i < count; ++i) {
        REBARBANDINFOW band{sizeof band};
        band.fMask = RBBIM_CHILD;
        if (SendMessageW(g_bar.rebar, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band)) && band.hwndChild == child) {
            SendMessageW(g_bar.rebar, RB_DELETEBAND, i, 0);
            LayOutSubWindow();
            return true;
        }
    }
    return false;
}

HWND SubRebarWindow() {
    return g_bar.rebar;
}

void ResizeSaveBand(int32_t width) {
    if (!g_bar.rebar || !g_bar.savePanel) return;
    SetWindowPos(g_bar.savePanel, nullptr, 0, 0, width, kPanelHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    auto index = static_cast<int>(SendMessageW(g_bar.rebar, RB_IDTOINDEX, kSaveBandId, 0));
    if (index < 0) return;
    REBARBANDINFOW band{sizeof band};
    band.fMask = RBBIM_IDEALSIZE | RBBIM_CHILDSIZE;
    band.cxMinChild = std::min(width, g_bar.zoomControlsWidth);
    band.cyMinChild = kPanelHeight;
    band.cxIdeal = width;
    SendMessageW(g_bar.rebar, RB_SETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
}

void LockMainToolBar(bool locked) {
    g_bar.locked = locked;
    HWND tb = g_bar.mainToolBar;
    if (!tb) return;
    for (int32_t group = kMenuSelectionAndPainting; group <= kMenuEffects; ++group)
        SendMessageW(tb, TB_INDETERMINATE, group, MAKELPARAM(locked ? TRUE : FALSE, 0));
    EnableWindow(tb, locked ? FALSE : TRUE);
    if (!locked) RefreshMainButtons();
}

int32_t OpenToolGroup() {
    return g_bar.openGroup;
}

void SwitchToolGroupMenu() {
    if (g_bar.openGroup == 0) return;
    g_bar.openGroup = 0; // once: further moves before the menu has closed change nothing
    EndMenu();
    PostMessageW(SubWindowHandle(), WM_APP, 0, 0);
}

int32_t ToolGroupButtonAt(POINT screen) {
    HWND tb = g_bar.mainToolBar;
    if (!tb || WindowFromPoint(screen) != tb) return 0;
    POINT p = screen;
    ScreenToClient(tb, &p);
    auto index = static_cast<int>(SendMessageW(tb, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&p)));
    if (index < 0) return 0;
    TBBUTTON button{};
    if (!SendMessageW(tb, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&button))) return 0;
    int32_t command = button.idCommand;
    return command >= kMenuSelectionAndPainting && command <= kMenuEffects ? command : 0;
}

} // namespace qv
