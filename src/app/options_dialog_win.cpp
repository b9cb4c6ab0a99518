#include "app/options_dialog_win.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "app/accelerators_win.h"
#include "app/app_state_win.h"
#include "app/key_config_dialog_win.h"
#include "app/list_window_lock_win.h"
#include "app/menus_win.h"
#include "app/shell_integration_win.h"
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "output/wallpaper_values.h"
#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "settings/settings_file.h"
#include "sources/plugin_host.h"
#include "ui/colour_box_win.h"
#include "ui/dialog_text_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_layout_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kPageCount = 6;
constexpr int kCtlTab = 3001;
// the first page's template; page n is this + 100 n, and its controls are numbered from there
constexpr int kFirstPage = 3100;
constexpr uint32_t kStrFirstTab = 20200; // a tab's text every 10 numbers
constexpr uint32_t kStrPluginFolderTitle = 20500;
constexpr uint32_t kStrPluginColumnFirst = 20501; // file, extensions, description
constexpr uint32_t kStrProgramFilter = 20504;
constexpr uint32_t kStrMouseActionFirst = 20510; // the four actions of DClick and LRClick
constexpr int kMouseActionCount = 4;

// page 3100
constexpr int kCtlStartViewer = 3120, kCtlStartSub = 3121, kCtlStartFull = 3122;
constexpr int kCtlDual = 3130, kCtlFitWin = 3135;
constexpr int kCtlDisplayGamma = 3160, kCtlBackground = 3161;
constexpr int kCtlTimeUpDown = 3170, kCtlTime = 3171;
constexpr int32_t kTimeMin = 1, kTimeMax = 60;
// page 3200
constexpr int kCtlFastStretch = 3220, kCtlKeys = 3260;
constexpr int32_t kStretchFast = 3, kStretchSmooth = 4; // COLORONCOLOR, HALFTONE
// page 3300
constexpr int kCtlDoubleClick = 3350, kCtlChordClick = 3351;
// page 3400: program n's controls
constexpr int kCtlProgramPath = 3410, kCtlProgramName = 3420, kCtlProgramBrowse = 3430;
constexpr int kCtlProgramClearPath = 3440, kCtlProgramClearName = 3450;
constexpr int kProgramCount = 8;
constexpr COLORREF kExistingPathColour = RGB(50, 50, 150), kMissingPathColour = RGB(128, 128, 128);
// page 3500
constexpr int kCtlPluginFolder = 3510, kCtlPluginBrowse = 3520, kCtlPluginClear = 3530, kCtlPluginList = 3540;
constexpr int kCtlPluginSettings = 3550;
// page 3600
constexpr int kCtlSendTo = 3630, kCtlDeleteWallpaper = 3640;
constexpr int kCtlLargeFont = 3651, kCtlBoldFont = 3652, kCtlLanguage = 3661;
constexpr int32_t kLargeFontHeight = -14, kNormalFontHeight = -12, kBoldWeight = 700, kNormalWeight = 400;
// the association boxes in the order of AssociationBox
constexpr int kAssociationControls[kAssocBoxCount] = {3620, 3621, 3622, 3624, 3623};

// The ViewWindow's free placement when none was stored yet.
constexpr int32_t kDefaultPlacement[4] = {0, 0, 820, 600};

struct CheckBinding {
    int control;
    bool Settings::*flag;
};
// clang-format off
constexpr CheckBinding kChecks[] = {
    {kCtlDual, &Settings::Dual}, {3131, &Settings::Gamma}, {3132, &Settings::Alpha}, {3133, &Settings::FBG},
    {3134, &Settings::Repeat}, {kCtlFitWin, &Settings::FitWin}, {3136, &Settings::AutoRot},
    {3223, &Settings::NMZoom}, {3225, &Settings::FLZoom}, {3227, &Settings::SWZoom},
    {3230, &Settings::VSmall}, {3231, &Settings::NVLarge}, {3232, &Settings::FSDown}, {3233, &Settings::FSUp},
    {3234, &Settings::SWSmall}, {3235, &Settings::SWLarge}, {3236, &Settings::WheelRev},
    {3321, &Settings::Wheel}, {3323, &Settings::FSWheel}, {3325, &Settings::SWWheel},
    {3340, &Settings::FSAreaZm}, {3341, &Settings::SWAreaZm},
    {3631, &Settings::NoRecycMsg}, {3632, &Settings::AskSaveOnlyInSubWindow},
};
// clang-format on

struct OptionsState {
    HWND dialog = nullptr, tab = nullptr;
    HWND pages[kPageCount] = {};
    int shown = 0;
    std::vector<AccelEntry> keys;
    bool keysChanged = false;
    bool associations[kAssocBoxCount] = {};
    bool sendTo = false;
    std::vector<std::wstring> languages;
    std::vector<PluginFileFacts> plugins; // the rows of the plug-in list
    std::wstring listedFolder;            // the folder they were listed from
    std::wstring wallpaperFile;
    // what the pages said when the user confirmed (the pages go with the dialog)
    Settings next;
    bool associationsAfter[kAssocBoxCount] = {};
    bool sendToAfter = false;
};

HWND Item(const OptionsState& state, int control) {
    int page = control / 100 - kFirstPage / 100;
    if (page < 0 || page >= kPageCount) return nullptr;
    return GetDlgItem(state.pages[page], control);
}

bool Checked(const OptionsState& state, int control) {
    return SendMessageW(Item(state, control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetChecked(const OptionsState& state, int control, bool on) {
    SendMessageW(Item(state, control), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsExistingFile(const std::wstring& path) {
    return !path.empty() && PathExists(path.c_str()) && !IsDirectory(path.c_str());
}

std::wstring DisplayGammaText(int32_t value) {
    std::wstring text = std::to_wstring(value / 1000);
    int32_t fraction = value % 1000;
    if (fraction > 0) {
        wchar_t digits[8];
        swprintf(digits, std::size(digits), L".%03d", fraction);
        std::wstring tail = digits;
        while (tail.back() == L'0')
            tail.pop_back();
        text += tail;
    }
    return text;
}

// ---- page 3500: the plug-in list -------------------------------------------------------------

void FillPluginList(OptionsState* state) {
    HWND list = Item(*state, kCtlPluginList);
    ListView_DeleteAllItems(list);
    PluginFolder folder{DialogItemText(state->pages[4], kCtlPluginFolder), g_settings.PluginNames};
    state->listedFolder = folder.path;
    state->plugins = PluginFolderExists(folder.path) ? ListPluginFiles(folder) : std::vector<PluginFileFacts>{};
    for (size_t i = 0; i < state->plugins.size(); ++i) {
        PluginFileFacts& p = state->plugins[i];
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = p.fileName.data();
        int row = ListView_InsertItem(list, &item);
        ListView_SetItemText(list, row, 1, p.patterns.data());
        ListView_SetItemText(list, row, 2, p.descriptions.data());
        ListView_SetCheckState(list, row, p.enabled);
    }
}

void InitPluginPage(OptionsState* state) {
    HWND list = Item(*state, kCtlPluginList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT r{};
    GetClientRect(list, &r);
    int width = r.right - GetSystemMetrics(SM_CXVSCROLL);
    AddListViewColumn(list, 0, kStrPluginColumnFirst, width * 3 / 10);
    AddListViewColumn(list, 1, kStrPluginColumnFirst + 1, width * 3 / 10);
    AddListViewColumn(list, 2, kStrPluginColumnFirst + 2, width - 2 * (width * 3 / 10));
    SetDlgItemTextW(state->pages[4], kCtlPluginFolder, g_settings.SPI.c_str());
    FillPluginList(state);
}

// The switched-off names: the list's unchecked rows, in their order.
std::vector<std::wstring> DisabledPlugins(const OptionsState& state) {
    HWND list = Item(state, kCtlPluginList);
    std::vector<std::wstring> names;
    for (size_t i = 0; i < state.plugins.size(); ++i)
        if (!ListView_GetCheckState(list, static_cast<int>(i))) names.push_back(state.plugins[i].fileName);
    return names;
}

void BrowsePluginFolder(OptionsState* state) {
    std::wstring title = UiText(kStrPluginFolderTitle);
    BROWSEINFOW info{};
    info.hwndOwner = state->dialog;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (!chosen) return;
    wchar_t path[MAX_PATH] = {};
    bool ok = SHGetPathFromIDListW(chosen, path) != FALSE;
    CoTaskMemFree(chosen);
    if (!ok) return;
    SetDlgItemTextW(state->pages[4], kCtlPluginFolder, path);
    FillPluginList(state);
}

void ShowSelectedPluginSettings(const OptionsState& state) {
    int row = ListView_GetNextItem(Item(state, kCtlPluginList), -1, LVNI_SELECTED);
    if (row < 0 || row >= static_cast<int>(state.plugins.size())) return;
    PluginFolder folder{DialogItemText(state.pages[4], kCtlPluginFolder), {}};
    ShowPluginSettings(folder, state.plugins[row].fileName, state.dialog);
}

// ---- page 3400: external programs --------------------------------------------------------------

void BrowseProgram(const OptionsState& state, int n) {
    std::wstring filter = UiText(kStrProgramFilter);
    filter.push_back(L'\0');
    filter += L"*.exe";
    filter.push_back(L'\0');
    std::wstring current = DialogItemText(state.pages[3], kCtlProgramPath + n);
    wchar_t file[MAX_PATH] = {};
    if (current.size() < MAX_PATH) wcscpy(file, current.c_str());
    OPENFILENAMEW ofn{sizeof ofn};
    ofn.hwndOwner = state.dialog;
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&ofn)) SetDlgItemTextW(state.pages[3], kCtlProgramPath + n, file);
}

// Path edits show whether their file is there; a name edit goes grey with a missing path.
INT_PTR ProgramEditColour(HWND page, HDC dc, HWND edit) {
    int id = GetDlgCtrlID(edit);
    COLORREF colour;
    if (id >= kCtlProgramPath && id < kCtlProgramPath + kProgramCount)
        colour = IsExistingFile(WindowText(edit)) ? kExistingPathColour : kMissingPathColour;
    else if (id >= kCtlProgramName && id < kCtlProgramName + kProgramCount)
        colour = IsExistingFile(DialogItemText(page, id - kCtlProgramName + kCtlProgramPath))
                     ? GetSysColor(COLOR_WINDOWTEXT)
                     : kMissingPathColour;
    else
        return 0;
    SetTextColor(dc, colour);
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
}

// ---- the pages -----------------------------------------------------------------------------------

void InitControls(OptionsState* state) {
    const Settings& s = g_settings;
    const OptionsState& st = *state;
    SetChecked(st, s.Start == 0 ? kCtlStartViewer : s.Start == 1 ? kCtlStartSub : kCtlStartFull, true);
    for (const CheckBinding& b : kChecks)
        SetChecked(st, b.control, s.*b.flag);
    SetWindowTextW(Item(st, kCtlDisplayGamma), DisplayGammaText(s.DispGam).c_str());
    SetColourBoxColour(Item(st, kCtlBackground), s.BGColor);
    SendMessageW(Item(st, kCtlTimeUpDown), UDM_SETRANGE32, kTimeMin, kTimeMax);
    SendMessageW(Item(st, kCtlTimeUpDown), UDM_SETPOS32, 0, s.Time);
    SetChecked(st, kCtlFastStretch, s.SthMode == kStretchFast);
    for (int control : {kCtlDoubleClick, kCtlChordClick}) {
        HWND box = Item(st, control);
        for (int i = 0; i < kMouseActionCount; ++i)
            SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(UiText(kStrMouseActionFirst + i).c_str()));
        SendMessageW(box, CB_SETCURSEL, control == kCtlDoubleClick ? s.DClick : s.LRClick, 0);
    }
    for (int n = 0; n < kProgramCount; ++n) {
        SetWindowTextW(Item(st, kCtlProgramPath + n), s.APP[n].c_str());
        SetWindowTextW(Item(st, kCtlProgramName + n), s.AN[n].c_str());
    }
    InitPluginPage(state);

    ReadAssociationBoxes(UserRegistry(), g_app.exePath, state->associations);
    bool editable = AssociationsEditable();
    for (int box = 0; box < kAssocBoxCount; ++box) {
        SetChecked(st, kAssociationControls[box], state->associations[box]);
        EnableWindow(Item(st, kAssociationControls[box]), editable);
    }
    state->sendTo = SendToShortcutExists(g_app.exePath);
    SetChecked(st, kCtlSendTo, state->sendTo);
    state->wallpaperFile = FolderOf(g_app.settingsPath) + L"\\" + kWallpaperFileName;
    EnableWindow(Item(st, kCtlDeleteWallpaper), IsExistingFile(state->wallpaperFile));
    SetChecked(st, kCtlLargeFont, s.FHeight == kLargeFontHeight);
    SetChecked(st, kCtlBoldFont, s.FWeight == kBoldWeight);
    int selection = -1;
    state->languages = ListLanguageModules(g_app.exeFolder, s.LangFile, &selection);
    HWND languages = Item(st, kCtlLanguage);
    for (const std::wstring& name : state->languages)
        SendMessageW(languages, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    SendMessageW(languages, CB_SETCURSEL, selection, 0);
}

// Everything the pages say, as the settings they stand for.
void ReadControls(const OptionsState& st, Settings* s) {
    s->Start = Checked(st, kCtlStartViewer) ? 0 : Checked(st, kCtlStartSub) ? 1 : 2;
    for (const CheckBinding& b : kChecks)
        s->*b.flag = Checked(st, b.control);
    s->DispGam = DisplayGammaFromText(WindowText(Item(st, kCtlDisplayGamma)));
    s->BGColor = ColourBoxColour(Item(st, kCtlBackground));
    BOOL failed = FALSE;
    auto time = static_cast<int32_t>(
        SendMessageW(Item(st, kCtlTimeUpDown), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&failed)));
    if (!failed) s->Time = std::clamp(time, kTimeMin, kTimeMax);
    s->SthMode = Checked(st, kCtlFastStretch) ? kStretchFast : kStretchSmooth;
    auto choice = [&](int control, int32_t old) {
        auto i = static_cast<int32_t>(SendMessageW(Item(st, control), CB_GETCURSEL, 0, 0));
        return i >= 0 && i < kMouseActionCount ? i : old;
    };
    s->DClick = choice(kCtlDoubleClick, s->DClick);
    s->LRClick = choice(kCtlChordClick, s->LRClick);
    for (int n = 0; n < kProgramCount; ++n) {
        s->APP[n] = WindowText(Item(st, kCtlProgramPath + n));
        s->AN[n] = WindowText(Item(st, kCtlProgramName + n));
    }
    s->SPI = WindowText(Item(st, kCtlPluginFolder));
    // a folder that lists nothing (missing for now, say) keeps the names switched off before
    if (!st.plugins.empty()) s->PluginNames = DisabledPlugins(st);
    s->FHeight = Checked(st, kCtlLargeFont) ? kLargeFontHeight : kNormalFontHeight;
    s->FWeight = Checked(st, kCtlBoldFont) ? kBoldWeight : kNormalWeight;
    auto language = static_cast<int>(SendMessageW(Item(st, kCtlLanguage), CB_GETCURSEL, 0, 0));
    if (language >= 0 && language < static_cast<int>(st.languages.size())) s->LangFile = st.languages[language];
}

void ShowPage(OptionsState* state, int page) {
    if (page < 0 || page >= kPageCount) page = 0;
    for (int i = 0; i < kPageCount; ++i)
        if (state->pages[i]) ShowWindow(state->pages[i], i == page ? SW_SHOW : SW_HIDE);
    state->shown = page;
}

bool PageCommand(OptionsState* state, HWND page, int id, int code) {
    if (id >= kCtlProgramPath && id < kCtlProgramPath + kProgramCount) {
        if (code == EN_CHANGE) {
            InvalidateRect(GetDlgItem(page, id), nullptr, TRUE);
            InvalidateRect(GetDlgItem(page, id - kCtlProgramPath + kCtlProgramName), nullptr, TRUE);
        }
        return true;
    }
    if (code != BN_CLICKED) {
        // a typed folder is listed once the user leaves the field; the boxes of an unchanged one stay
        if (id == kCtlPluginFolder && code == EN_KILLFOCUS &&
            DialogItemText(page, kCtlPluginFolder) != state->listedFolder)
            FillPluginList(state);
        return false;
    }
    if (id >= kCtlProgramBrowse && id < kCtlProgramBrowse + kProgramCount) {
        BrowseProgram(*state, id - kCtlProgramBrowse);
    } else if (id >= kCtlProgramClearPath && id < kCtlProgramClearPath + kProgramCount) {
        SetDlgItemTextW(page, id - kCtlProgramClearPath + kCtlProgramPath, L"");
    } else if (id >= kCtlProgramClearName && id < kCtlProgramClearName + kProgramCount) {
        SetDlgItemTextW(page, id - kCtlProgramClearName + kCtlProgramName, L"");
    } else if (id == kCtlKeys) {
        if (RunKeyConfigDialog(state->dialog, &state->keys)) state->keysChanged = true;
    } else if (id == kCtlPluginBrowse) {
        BrowsePluginFolder(state);
    } else if (id == kCtlPluginClear) {
        SetDlgItemTextW(page, kCtlPluginFolder, L"");
        FillPluginList(state);
    } else if (id == kCtlPluginSettings) {
        ShowSelectedPluginSettings(*state);
    } else if (id == kCtlDeleteWallpaper) {
        // the file was written by the wallpaper command beside our settings and is ours to remove
        DeleteFileW(state->wallpaperFile.c_str());
        EnableWindow(GetDlgItem(page, id), IsExistingFile(state->wallpaperFile));
    } else {
        return false;
    }
    return true;
}

INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrW(page, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(page, DWLP_USER, lParam);
        EnableThemeDialogTexture(page, ETDT_ENABLETAB);
        return FALSE;
    case WM_CTLCOLOREDIT: return ProgramEditColour(page, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND: return state && PageCommand(state, page, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    }
    return FALSE;
}

bool CreatePages(OptionsState* state) {
    HWND dialog = state->dialog;
    state->tab = GetDlgItem(dialog, kCtlTab);
    if (!state->tab) return false;
    for (int i = 0; i < kPageCount; ++i) {
        std::wstring text = UiText(kStrFirstTab + 10 * i);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        TabCtrl_InsertItem(state->tab, i, &item);
    }
    RECT area{};
    GetWindowRect(state->tab, &area);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&area), 2);
    TabCtrl_AdjustRect(state->tab, FALSE, &area);
    for (int i = 0; i < kPageCount; ++i) {
        HWND page = CreateModelessDialog(kFirstPage + 100 * i, dialog, PageProc, reinterpret_cast<LPARAM>(state),
                                         g_settings.FHeight);
        if (!page) return false;
        state->pages[i] = page;
        // after the tab in the Z order, so that the keyboard moves from the tabs into the page
        SetWindowPos(page, state->tab, area.left, area.top, area.right - area.left, area.bottom - area.top,
                     SWP_NOACTIVATE);
    }
    return true;
}

void ReadConfirmed(OptionsState* state) {
    state->next = g_settings;
    ReadControls(*state, &state->next);
    for (int box = 0; box < kAssocBoxCount; ++box)
        state->associationsAfter[box] = Checked(*state, kAssociationControls[box]);
    state->sendToAfter = Checked(*state, kCtlSendTo);
}

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        state = reinterpret_cast<OptionsState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state->dialog = dialog;
        if (!CreatePages(state)) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        InitControls(state);
        int first = g_settings.OptTab >= 0 && g_settings.OptTab < kPageCount ? g_settings.OptTab : 0;
        TabCtrl_SetCurSel(state->tab, first);
        ShowPage(state, first);
        CentreOnOwner(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    }
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (state && header->idFrom == kCtlTab && header->code == TCN_SELCHANGE)
            ShowPage(state, TabCtrl_GetCurSel(state->tab));
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (state && LOWORD(wParam) == IDOK) ReadConfirmed(state);
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

// ---- applying a confirmed dialog --------------------------------------------------------------

// Start and Dual decide the next start, which may come before this instance writes its settings.
void WriteStartSettings(const Settings& next) {
    SettingsWriter writer;
    if (!writer.Open(g_app.settingsPath)) return;
    writer.WriteInt(kSlotStart, next.Start);
    writer.WriteInt(kSlotDual, next.Dual ? 1 : 0);
    writer.Close();
}

// A fitted ViewWindow follows each image; the free one has a placement of its own, kept while
// fitting and given back when fitting ends.
void FollowFitWindowChange(bool before, bool after) {
    HWND view = ViewWindowHandle();
    if (before == after || !view || CurrentDisplayMode() != DisplayMode::ViewWindow) return;
    if (after) {
        WINDOWPLACEMENT wp{sizeof wp};
        if (!GetWindowPlacement(view, &wp)) return;
        const RECT& r = wp.rcNormalPosition;
        SettingsWriter writer;
        if (!writer.Open(g_app.settingsPath)) return;
        const int32_t values[4] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        for (int i = 0; i < 4; ++i)
            writer.WriteInt(kSlotVwinX + i, values[i]);
        writer.Close();
        return;
    }
    int32_t values[4];
    SettingsReader reader;
    bool open = reader.Open(g_app.settingsPath);
    for (int i = 0; i < 4; ++i)
        values[i] = open ? reader.ReadInt(kSlotVwinX + i, kDefaultPlacement[i]) : kDefaultPlacement[i];
    reader.Close();
    SetWindowPos(view, nullptr, values[0], values[1], values[2], values[3], SWP_NOZORDER | SWP_NOACTIVATE);
}

void ApplySettings(const OptionsState& state) {
    const Settings& next = state.next;
    WriteStartSettings(next);
    bool fitBefore = g_settings.FitWin;
    g_settings.Start = next.Start;
    g_settings.Dual = next.Dual;
    // the fitted window's placement is read before FitWin changes, the free one after
    FollowFitWindowChange(fitBefore, next.FitWin);

    Settings& s = g_settings;
    // the boxes, NoRecycMsg and slot 207 among them
    for (const CheckBinding& b : kChecks)
        s.*b.flag = next.*b.flag;
    s.DispGam = next.DispGam;
    s.BGColor = next.BGColor;
    s.Time = next.Time;
    s.SthMode = next.SthMode;
    s.DClick = next.DClick;
    s.LRClick = next.LRClick;
    // the stretch mode is chosen as each surface paints; the new images are shown at once
    ShowLoadedImage();

    if (state.keysChanged) ApplyCommandKeys(state.keys);
    for (int n = 0; n < kProgramCount; ++n) {
        s.APP[n] = next.APP[n];
        s.AN[n] = next.AN[n];
    }
    s.SPI = next.SPI;
    s.PluginNames = next.PluginNames;
    RebuildMenus(); // the external programs' items

    if (AssociationsEditable())
        ApplyAssociationChanges(UserRegistry(), g_app.exePath, state.associations, state.associationsAfter);
    if (state.sendToAfter != state.sendTo) SetSendToShortcut(g_app.exePath, state.sendToAfter);

    s.FHeight = next.FHeight;
    s.FWeight = next.FWeight;
    s.LangFile = next.LangFile;
}

// The new module and font replace the old ones only once both are there; windows that hold the
// old font get the new one before it goes.
void SwapLanguageAndFont(bool languageChanged) {
    if (languageChanged) {
        std::wstring language = g_settings.LangFile;
        ReleaseLanguageModule();
        // a module that fails leaves the program without texts until the next start, as at start-up
        HMODULE module = LoadLanguageModule(&language, GetUserDefaultUILanguage());
        if (module) {
            SetLanguageModule(module, Ui().instance);
            g_settings.LangFile = language;
        }
    }
    HFONT old = Ui().font;
    CreateUiFont(g_settings.FHeight, g_settings.FWeight);
    std::vector<AccelEntry> keys = CurrentCommandKeys();
    ApplyCommandKeys(keys); // accelerators and menus with the new texts and font
    RelabelSubRebar();
    if (old) DeleteObject(old);
    UpdateMainWindowTitle();
    RepaintView();
}

void RunOptionsDialog() {
    OptionsState state;
    state.keys = CurrentCommandKeys();
    std::wstring language = g_settings.LangFile;
    int32_t height = g_settings.FHeight, weight = g_settings.FWeight;
    INT_PTR result;
    {
        ListWindowDisabled listLock;
        result = RunDialog(kDlgOptions, CurrentMainWindow(), OptionsProc, reinterpret_cast<LPARAM>(&state),
                           g_settings.FHeight);
        if (result == IDOK) ApplySettings(state);
        g_settings.OptTab = state.shown;
    }
    if (result != IDOK) return;
    bool languageChanged = !EqualsIgnoreAsciiCase(language, g_settings.LangFile);
    if (languageChanged || height != g_settings.FHeight || weight != g_settings.FWeight)
        SwapLanguageAndFont(languageChanged);
}

} // namespace

bool HandleOptionsCommand(int32_t command) {
    if (command != kCmdOptions) return false;
    RunOptionsDialog();
    return true;
}

} // namespace qv
