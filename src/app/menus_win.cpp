#include "app/menus_win.h"

#include <shlwapi.h>
#include <windowsx.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "app/app_state_win.h"
#include "app/external_programs.h"
#include "app/key_names.h"
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/menu_tree.h"
#include "model/settings.h"
#include "settings/accelerator_blob.h"
#include "ui/language_module_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

// What the owner-draw code needs of one item.
struct MenuItemRecord {
    int32_t command = 0;    // the submenu number for a submenu
    bool hasEntry = false;  // one of the configurable commands
    std::wstring fixedText; // external programs: their configured name
    AccelEntry key;         // the current shortcut; key 0 without one
};

struct MenuSet {
    HMENU bar = nullptr; // holds the main and zoom-preset popups
    HMENU main = nullptr, zoomPreset = nullptr;
    std::vector<std::pair<HMENU, int32_t>> popups; // handle and submenu number
    std::deque<MenuItemRecord> records;            // stable addresses for the items' data
    HFONT font = nullptr;
    bool altPending = false;
};
MenuSet g_menus;

constexpr int kTextGap = 24;   // between the text and its shortcut
constexpr int kSideMargin = 6; // after the check column and before the submenu arrow

std::vector<AccelEntry> CurrentKeys() {
    std::vector<AccelEntry> keys;
    if (!g_app.accelerators) return keys;
    int count = CopyAcceleratorTableW(g_app.accelerators, nullptr, 0);
    std::vector<ACCEL> table(std::max(count, 0));
    count = CopyAcceleratorTableW(g_app.accelerators, table.data(), count);
    for (int i = 0; i < count; ++i)
        keys.push_back(AccelEntry{static_cast<uint8_t>(table[i].fVirt & (FVIRTKEY | FSHIFT | FCONTROL)), table[i].key,
                                  table[i].cmd});
    return keys;
}

MenuItemRecord* NewRecord(int32_t number, const std::vector<AccelEntry>& keys,
                          const std::vector<AccelEntry>& configurable) {
    MenuItemRecord& r = g_menus.records.emplace_back();
    r.command = number;
    r.hasEntry =
        std::any_of(configurable.begin(), configurable.end(), [&](const AccelEntry& e) { return e.command == number; });
    if (r.hasEntry) {
        auto it = std::find_if(keys.begin(), keys.end(), [&](const AccelEntry& e) { return e.command == number; });
        if (it != keys.end()) r.key = *it;
    }
    return &r;
}

void AppendItem(HMENU menu, MenuItemRecord* record, HMENU submenu, bool radio) {
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | (submenu ? MIIM_SUBMENU : 0);
    info.fType = MFT_OWNERDRAW | (radio ? MFT_RADIOCHECK : 0);
    info.wID = static_cast<UINT>(record->command);
    info.hSubMenu = submenu;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(record);
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
}

// Slots 12-19 hold the programs' paths and 20-27 the names the menu shows.
void AppendExternalPrograms(HMENU menu, const std::vector<AccelEntry>& keys,
                            const std::vector<AccelEntry>& configurable) {
    bool any = false;
    for (int32_t n = 0; n < kExternalProgramCount; ++n) {
        const std::wstring& path = g_settings.APP[n];
        if (path.empty() || !PathFileExistsW(path.c_str())) continue;
        MenuItemRecord* r = NewRecord(kCmdExternalProgramFirst + n, keys, configurable);
        r->fixedText = ExternalProgramMenuText(path, g_settings.AN[n]);
        AppendItem(menu, r, nullptr, false);
        any = true;
    }
    if (!any) AppendItem(menu, NewRecord(kCmdNoExternalProgram, keys, configurable), nullptr, false);
}

HMENU BuildPopup(const MenuPopupLayout& layout, const std::vector<AccelEntry>& keys,
                 const std::vector<AccelEntry>& configurable) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    g_menus.popups.emplace_back(menu, layout.number);
    for (int32_t item : layout.items) {
        const MenuPopupLayout* child = FindMenuPopup(item);
        HMENU submenu = child ? BuildPopup(*child, keys, configurable) : nullptr;
        AppendItem(menu, NewRecord(item, keys, configurable), submenu, layout.radio);
    }
    if (layout.number == kMenuTools) AppendExternalPrograms(menu, keys, configurable);
    return menu;
}

HFONT MenuFont() {
    if (!g_menus.font) {
        NONCLIENTMETRICSW metrics{sizeof metrics};
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            g_menus.font = CreateFontIndirectW(&metrics.lfMenuFont);
    }
    return g_menus.font ? g_menus.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The system's check mark or radio dot, drawn in `colour`: the glyph comes black on white in a
// monochrome bitmap, and the blit puts the brush where the glyph is black and keeps the rest.
void DrawCheckGlyph(HDC dc, const RECT& box, bool radio, COLORREF colour) {
    int w = box.right - box.left, h = box.bottom - box.top;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP mono = CreateBitmap(w, h, 1, 1, nullptr);
    if (!mem || !mono) {
        if (mono) DeleteObject(mono);
        if (mem) DeleteDC(mem);
        return;
    }
    HGDIOBJ oldBitmap = SelectObject(mem, mono);
    RECT r{0, 0, w, h};
    DrawFrameControl(mem, &r, DFC_MENU, radio ? DFCS_MENUBULLET : DFCS_MENUCHECK);
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    constexpr DWORD kBrushWhereSourceBlack = 0x00B8074A; // PSDPxax
    BitBlt(dc, box.left, box.top, w, h, mem, 0, 0, kBrushWhereSourceBlack);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    SelectObject(mem, oldBitmap);
    DeleteObject(mono);
    DeleteDC(mem);
}

std::wstring ItemText(const MenuItemRecord& r, DisplayMode mode) {
    if (!r.fixedText.empty()) return r.fixedText;
    std::wstring suffix = UiText(static_cast<uint32_t>(r.command + kMenuSuffixOffset)).substr(0, 32);
    return UiText(static_cast<uint32_t>(MenuTextNumber(r.command, mode))) + suffix;
}

std::wstring ItemShortcut(const MenuItemRecord& r) {
    return r.hasEntry && r.key.key ? ShortcutText(r.key) : std::wstring();
}

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

MenuFacts CurrentFacts() {
    const ImageSession& session = g_session;
    const Settings& s = g_settings;
    MenuFacts f;
    f.mode = CurrentDisplayMode();
    f.hasImage = HasCurrentImage(session);
    f.archiveMember = session.list.sourceKind != kSourceFolder;
    f.hasFilePath = f.hasImage && !session.list.currentPath.empty();
    f.sourceFormat = session.current.sourceFormat;
    f.textPresent = session.info.textPresent != 0;
    f.clipboardHasDib = IsClipboardFormatAvailable(CF_DIB) != FALSE;
    f.top = s.Top;
    f.capBar = s.CapBar;
    f.frame = s.Frame;
    f.vtBar = s.VTBar;
    f.autoNavi = s.AutoNavi;
    f.sortOrder = s.SortOrder;
    f.background = CurrentDisplayMode() == DisplayMode::SubWindow ? s.SwinBgColor : s.BgColor;
    return f;
}

void TrackMenu(HMENU menu, HWND owner, POINT screen) {
    if (!menu) return;
    if (!owner) owner = CurrentMainWindow();
    // the owner must be foreground or the menu does not close when the user clicks elsewhere
    if (GetForegroundWindow() != owner) SetForegroundWindow(owner);
    TrackPopupMenuEx(menu, TPM_NOANIMATION | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, owner,
                     nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
}

POINT ClientOrigin(HWND window) {
    POINT p{0, 0};
    ClientToScreen(window, &p);
    return p;
}

} // namespace

void CreateMenus() {
    if (g_menus.bar) return;
    std::vector<AccelEntry> keys = CurrentKeys();
    std::vector<AccelEntry> configurable = DefaultAcceleratorEntries();
    g_menus.bar = CreateMenu();
    if (!g_menus.bar) return;
    g_menus.main = BuildPopup(MainPopup(), keys, configurable);
    g_menus.zoomPreset = BuildPopup(ZoomPresetPopup(), keys, configurable);
    AppendMenuW(g_menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_menus.main), L"");
    AppendMenuW(g_menus.bar, MF_POPUP, reinterpret_cast<UINT_PTR>(g_menus.zoomPreset), L"");
}

void DestroyMenus() {
    if (g_menus.bar) DestroyMenu(g_menus.bar); // takes every popup with it
    if (g_menus.font) DeleteObject(g_menus.font);
    g_menus = MenuSet{};
}

void RebuildMenus() {
    DestroyMenus();
    CreateMenus();
}

void ShowContextMenu(HWND owner, POINT screen) {
    TrackMenu(g_menus.main, owner, screen);
}

void TrackZoomPresetMenu(HWND owner, POINT screen) {
    TrackMenu(g_menus.zoomPreset, owner, screen);
}

HMENU MenuPopupOf(int32_t number) {
    for (const auto& [menu, popupNumber] : g_menus.popups)
        if (popupNumber == number && number != 0) return menu;
    return nullptr;
}

void OnContextMenuMessage(HWND window, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (p.x == -1 && p.y == -1) p = ClientOrigin(window);
    ShowContextMenu(window, p);
}

bool OnAltKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    bool alt = wParam == VK_MENU;
    if (message == WM_SYSKEYDOWN) {
        bool repeat = (lParam & (1 << 30)) != 0;
        g_menus.altPending = alt && !repeat;
        return g_menus.altPending;
    }
    if (message == WM_SYSKEYUP && alt && g_menus.altPending) {
        g_menus.altPending = false;
        ShowContextMenu(window, ClientOrigin(window));
        return true;
    }
    return false;
}

bool MeasureMenuItem(MEASUREITEMSTRUCT* item) {
    if (item->CtlType != ODT_MENU || !item->itemData) return false;
    const MenuItemRecord& r = *reinterpret_cast<const MenuItemRecord*>(item->itemData);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, MenuFont());
    // wide enough for either text of the items that change with the mode
    int text = std::max(TextWidth(dc, ItemText(r, DisplayMode::ViewWindow)),
                        std::max(TextWidth(dc, ItemText(r, DisplayMode::SubWindow)),
                                 TextWidth(dc, ItemText(r, DisplayMode::FullScreen))));
    std::wstring shortcut = ItemShortcut(r);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    int shortcutWidth = shortcut.empty() ? 0 : kTextGap + TextWidth(dc, shortcut);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    int check = GetSystemMetrics(SM_CXMENUCHECK);
    item->itemWidth = static_cast<UINT>(check + kSideMargin + text + shortcutWidth + kSideMargin + check);
    item->itemHeight = static_cast<UINT>(std::max<int>(tm.tmHeight + 6, GetSystemMetrics(SM_CYMENUCHECK) + 2));
    return true;
}

bool DrawMenuItem(const DRAWITEMSTRUCT* item) {
    if (item->CtlType != ODT_MENU || !item->itemData) return false;
    const MenuItemRecord& r = *reinterpret_cast<const MenuItemRecord*>(item->itemData);
    HDC dc = item->hDC;
    RECT rc = item->rcItem;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    bool grey = (item->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    int check = GetSystemMetrics(SM_CXMENUCHECK);
    if (item->itemState & ODS_CHECKED) {
        MENUITEMINFOW info{sizeof info};
        info.fMask = MIIM_FTYPE;
        GetMenuItemInfoW(reinterpret_cast<HMENU>(item->hwndItem), item->itemID, FALSE, &info);
        int glyph = GetSystemMetrics(SM_CYMENUCHECK);
        int top = rc.top + (rc.bottom - rc.top - glyph) / 2;
        RECT box{rc.left + kSideMargin / 2, top, rc.left + kSideMargin / 2 + check, top + glyph};
        DrawCheckGlyph(dc, box, (info.fType & MFT_RADIOCHECK) != 0, GetTextColor(dc));
    }
    HGDIOBJ old = SelectObject(dc, MenuFont());
    RECT textBox{rc.left + check + kSideMargin, rc.top, rc.right - check - kSideMargin, rc.bottom};
    std::wstring text = ItemText(r, CurrentDisplayMode());
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textBox,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    std::wstring shortcut = ItemShortcut(r);
    if (!shortcut.empty())
        DrawTextW(dc, shortcut.c_str(), static_cast<int>(shortcut.size()), &textBox,
                  DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    return true;
}

void InitMenuPopup(HMENU popup) {
    auto it =
        std::find_if(g_menus.popups.begin(), g_menus.popups.end(), [&](const auto& p) { return p.first == popup; });
    if (it == g_menus.popups.end()) return;
    MenuFacts facts = CurrentFacts();
    int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        if (GetSubMenu(popup, i)) continue; // submenus stay open to browse
        int32_t command = static_cast<int32_t>(GetMenuItemID(popup, i));
        MenuItemState s = MenuStateOf(command, facts);
        EnableMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION | (s.enabled ? MF_ENABLED : MF_GRAYED));
        CheckMenuItem(popup, static_cast<UINT>(i), MF_BYPOSITION | (s.checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

} // namespace qv
