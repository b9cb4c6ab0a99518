// The save-options bar of the SubWindow. It shows the format list, the options the chosen format
// uses and the preview button; the toggles run the save-option commands, whose handlers own the
// settings, and the fields and lists set theirs directly.
#include "viewer/save_bar_win.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "image/open_image.h"
#include "image/save_pipeline.h"
#include "model/command_ids.h"
#include "model/image_buffer.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/rebar_rules.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kFormatListId = 1050;
constexpr int kQualityFieldId = 1061;
constexpr int kLimitFieldId = 1062;
constexpr int kLimitCheckId = 1063;
constexpr int kSamplingListId = 1064;
constexpr int kMarkerListId = 1065;
constexpr int kLevelFieldId = 1070;
constexpr int kGammaFieldId = 1073;
constexpr int kFieldHeight = 22;
constexpr int kGap = 6;
constexpr int kCheckBoxExtra = 22; // the box and the gap before its text
constexpr UINT_PTR kFieldSubclass = 3;
constexpr int32_t kFormatCount = 6;
constexpr int32_t kChoiceCount = 3;

enum class Kind { Label, Number, Check, List, Push };

// Formats (bit Format) whose options a control belongs to.
constexpr uint8_t kAll = 0x3F;
constexpr uint8_t kBmp = 1 << kSaveBmp, kPng = 1 << kSavePng, kJpeg = 1 << kSaveJpeg, kTiff = 1 << kSaveTiff,
                  kGif = 1 << kSaveGif, kLossless = 1 << kSaveJpegLossless;

struct BarControl {
    Kind kind;
    int id;        // the command number for toggles and the preview; -1 for labels
    uint32_t text; // label, or the first of the list's items
    uint8_t formats;
    int width = 0; // fields and lists; labels, checks and buttons measure their text
    int32_t Settings::*number = nullptr;
    int32_t minimum = 0, maximum = 0;
    bool Settings::*flag = nullptr;
};

// clang-format off
const BarControl kControls[] = {
    {Kind::List, kFormatListId, kStrBarFormatFirst, kAll, 120},
    // next to the format, so that a narrow window never pushes it out of reach
    {Kind::Push, kCmdSavePreview, kStrBarPreview, kAll},
    {Kind::Label, -1, kStrBarQuality, kJpeg},
    {Kind::Number, kQualityFieldId, 0, kJpeg, 36, &Settings::Quality, 1, 100},
    {Kind::Label, -1, kStrBarSampling, kJpeg},
    {Kind::List, kSamplingListId, kStrBarSamplingFirst, kJpeg, 100},
    {Kind::Label, -1, kStrBarMarkers, kLossless},
    {Kind::List, kMarkerListId, kStrBarMarkersFirst, kLossless, 130},
    {Kind::Check, kCmdToggleProgressive, kStrBarProgressive, kJpeg | kLossless, 0, nullptr, 0, 0, &Settings::Progressive},
    {Kind::Check, kCmdToggleExifCopy, kStrBarExifCopy, kJpeg, 0, nullptr, 0, 0, &Settings::ExifCopy},
    {Kind::Check, kCmdToggleTrim, kStrBarTrim, kLossless, 0, nullptr, 0, 0, &Settings::JpgTrim},
    {Kind::Check, kLimitCheckId, kStrBarLimitSize, kJpeg, 0, nullptr, 0, 0, &Settings::JpgLimit},
    {Kind::Number, kLimitFieldId, 0, kJpeg, 56, &Settings::JpgLmtVal, 1, 999999},
    {Kind::Label, -1, kStrBarKilobytes, kJpeg},
    {Kind::Label, -1, kStrBarLevel, kPng},
    {Kind::Number, kLevelFieldId, 0, kPng, 26, &Settings::Level, 0, 9},
    {Kind::Check, kCmdToggleInterlace, kStrBarInterlace, kPng | kGif, 0, nullptr, 0, 0, &Settings::Interlace},
    {Kind::Check, kCmdToggleSaveGamma, kStrBarGamma, kPng, 0, nullptr, 0, 0, &Settings::SImgGamma},
    {Kind::Number, kGammaFieldId, 0, kPng, 50, &Settings::SaveGam, 0, 99999},
    {Kind::Check, kCmdToggleDither, kStrBarDither, kBmp | kPng | kTiff | kGif, 0, nullptr, 0, 0, &Settings::Dither},
};
// clang-format on
constexpr size_t kControlCount = std::size(kControls);

struct SaveBar {
    HWND panel = nullptr;
    HWND windows[kControlCount] = {};
    int widths[kControlCount] = {};
    int32_t x0 = 0, height = 0;
    int32_t laidOutFormat = -1;
    bool syncing = false; // our own writes into the controls are no user changes
};
SaveBar g_save;

int32_t ShownFormat() {
    int32_t f = g_settings.Format;
    return f >= 0 && f < kFormatCount ? f : kSaveBmp;
}

const BarControl* FindControl(int id, size_t* index = nullptr) {
    for (size_t i = 0; i < kControlCount; ++i)
        if (kControls[i].id == id && kControls[i].kind != Kind::Label) {
            if (index) *index = i;
            return &kControls[i];
        }
    return nullptr;
}

const BarControl* NumberFieldOf(HWND window) {
    for (size_t i = 0; i < kControlCount; ++i)
        if (kControls[i].kind == Kind::Number && g_save.windows[i] == window && window) return &kControls[i];
    return nullptr;
}

int TextWidth(HWND window, const std::wstring& text) {
    HDC dc = GetDC(window);
    HGDIOBJ old = SelectObject(dc, RebarFont());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return size.cx;
}

void SetNumberText(HWND field, int32_t value) {
    std::wstring text = std::to_wstring(value);
    wchar_t shown[16] = {};
    GetWindowTextW(field, shown, static_cast<int>(std::size(shown)));
    if (text != shown) SetWindowTextW(field, text.c_str());
}

int32_t ListSelection(int id) {
    const Settings& s = g_settings;
    switch (id) {
    case kFormatListId: return ShownFormat();
    case kSamplingListId: return std::clamp(s.Sampling, 0, kChoiceCount - 1);
    case kMarkerListId: return std::clamp(s.JMarker, 0, kChoiceCount - 1);
    default: return 0;
    }
}

// Places the controls of the chosen format side by side and hides the others; returns the right
// edge of the last one.
int32_t LayOutBar() {
    int32_t format = ShownFormat();
    int32_t x = g_save.x0;
    for (size_t i = 0; i < kControlCount; ++i) {
        HWND w = g_save.windows[i];
        if (!w) continue;
        bool shown = (kControls[i].formats & (1u << format)) != 0;
        if (!shown) {
            ShowWindow(w, SW_HIDE);
            continue;
        }
        int h = kControls[i].kind == Kind::List ? 240 : kFieldHeight; // a list's height includes its drop-down
        int y = (g_save.height - kFieldHeight) / 2;
        if (kControls[i].kind == Kind::Label) y += 3; // the text's baseline meets the fields'
        SetWindowPos(w, nullptr, x, y, g_save.widths[i], h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        x += g_save.widths[i] + (kControls[i].kind == Kind::Label ? 3 : kGap);
    }
    g_save.laidOutFormat = format;
    ResizeSaveBand(x);
    return x;
}

LRESULT CALLBACK NumberFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    switch (message) {
    case WM_KEYDOWN:
        // normally the SubWindow's keyboard hook takes this Enter first
        if (wParam == VK_RETURN) {
            CommitSaveBarField(window);
            RunCommand(kCmdSavePreview);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == L'\r') return 0;
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(window, NumberFieldProc, id); break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

HWND CreateControl(HWND panel, const BarControl& c) {
    const wchar_t* className = L"STATIC";
    DWORD style = WS_CHILD;
    DWORD exStyle = 0;
    std::wstring text;
    switch (c.kind) {
    case Kind::Label:
        style |= SS_LEFT | SS_NOPREFIX;
        text = UiText(c.text);
        break;
    case Kind::Number:
        className = L"EDIT";
        style |= WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL | ES_RIGHT;
        exStyle = WS_EX_CLIENTEDGE;
        break;
    case Kind::Check:
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_CHECKBOX; // not automatic: the check follows the setting
        text = UiText(c.text);
        break;
    case Kind::List:
        className = L"COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        break;
    case Kind::Push:
        className = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        text = UiText(c.text);
        break;
    }
    HWND w = CreateWindowExW(exStyle, className, text.c_str(), style, 0, 0, 1, 1, panel,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), Ui().instance, nullptr);
    if (!w) return nullptr;
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(RebarFont()), FALSE);
    if (c.kind == Kind::List) {
        int32_t count = c.id == kFormatListId ? kFormatCount : kChoiceCount;
        for (int32_t i = 0; i < count; ++i)
            SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(UiText(c.text + i).c_str()));
    }
    if (c.kind == Kind::Number) {
        int chars = static_cast<int>(std::to_wstring(c.maximum).size());
        SendMessageW(w, EM_SETLIMITTEXT, chars, 0);
        SetWindowSubclass(w, NumberFieldProc, kFieldSubclass, 0);
    }
    return w;
}

int WidthOf(HWND window, const BarControl& c) {
    switch (c.kind) {
    case Kind::Label: return TextWidth(window, UiText(c.text));
    case Kind::Check: return TextWidth(window, UiText(c.text)) + kCheckBoxExtra;
    case Kind::Push: return TextWidth(window, UiText(c.text)) + 20;
    default: return c.width;
    }
}

// A number typed into a field counts at once when it is one; the field is tidied on commit.
void FieldChanged(const BarControl& c, HWND field) {
    wchar_t text[16] = {};
    GetWindowTextW(field, text, static_cast<int>(std::size(text)));
    int32_t value = 0;
    if (ParseFieldNumber(text, c.minimum, c.maximum, false, &value)) g_settings.*c.number = value;
}

void ListChosen(int id, int32_t choice) {
    if (choice < 0) return;
    switch (id) {
    case kFormatListId:
        // the lossless path rewrites a JPEG file: offered only for an image that came from one
        if (choice == kSaveJpegLossless && g_session.current.sourceFormat != kFormatJpeg) choice = kSaveJpeg;
        if (choice < kFormatCount) g_settings.Format = choice;
        SyncSaveBar(); // the list shows the corrected choice, the bar the format's options
        break;
    case kSamplingListId: RunCommand(kCmdSampling0 + choice); break;
    case kMarkerListId: RunCommand(kCmdMarkers0 + choice); break;
    }
}

} // namespace

int32_t CreateSaveBarControls(HWND panel, int32_t x, int32_t height) {
    g_save.panel = panel;
    g_save.x0 = x;
    g_save.height = height;
    for (size_t i = 0; i < kControlCount; ++i) {
        g_save.windows[i] = CreateControl(panel, kControls[i]);
        g_save.widths[i] = WidthOf(panel, kControls[i]);
    }
    SyncSaveBar();
    return LayOutBar();
}

int32_t RelabelSaveBar() {
    if (!g_save.panel) return 0;
    for (size_t i = 0; i < kControlCount; ++i) {
        const BarControl& c = kControls[i];
        HWND w = g_save.windows[i];
        if (!w) continue;
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(RebarFont()), FALSE);
        if (c.kind == Kind::List) {
            g_save.syncing = true;
            SendMessageW(w, CB_RESETCONTENT, 0, 0);
            int32_t count = c.id == kFormatListId ? kFormatCount : kChoiceCount;
            for (int32_t n = 0; n < count; ++n)
                SendMessageW(w, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(UiText(c.text + n).c_str()));
            g_save.syncing = false;
        } else if (c.kind != Kind::Number) {
            SetWindowTextW(w, UiText(c.text).c_str());
        }
        g_save.widths[i] = WidthOf(g_save.panel, c);
    }
    SyncSaveBar();
    return LayOutBar();
}

bool HandleSaveBarMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT*) {
    if (message != WM_COMMAND || g_save.syncing) return false;
    int id = LOWORD(wParam);
    int code = HIWORD(wParam);
    size_t index = 0;
    const BarControl* c = FindControl(id, &index);
    if (!c || reinterpret_cast<HWND>(lParam) != g_save.windows[index]) return false;
    HWND control = g_save.windows[index];
    switch (c->kind) {
    case Kind::Number:
        if (code == EN_CHANGE) FieldChanged(*c, control);
        if (code == EN_KILLFOCUS) CommitSaveBarField(control);
        return true;
    case Kind::List:
        if (code == CBN_SELCHANGE) ListChosen(id, static_cast<int32_t>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
        if (code == CBN_CLOSEUP) ReturnFocusToSubWindow();
        return true;
    case Kind::Check:
        if (code != BN_CLICKED) return true;
        if (id == kLimitCheckId)
            g_settings.JpgLimit = !g_settings.JpgLimit; // no command of its own
        else
            RunCommand(id);
        SyncSaveBar();
        ReturnFocusToSubWindow();
        return true;
    case Kind::Push:
        if (code == BN_CLICKED) {
            ReturnFocusToSubWindow();
            RunCommand(id);
        }
        return true;
    case Kind::Label: return false;
    }
    return false;
}

void SyncSaveBar() {
    if (!g_save.panel) return;
    g_save.syncing = true;
    const Settings& s = g_settings;
    HWND focus = GetFocus();
    for (size_t i = 0; i < kControlCount; ++i) {
        const BarControl& c = kControls[i];
        HWND w = g_save.windows[i];
        if (!w) continue;
        switch (c.kind) {
        case Kind::Number:
            if (w != focus) SetNumberText(w, s.*c.number); // never under the user's typing
            break;
        case Kind::Check: {
            WPARAM state = s.*c.flag ? BST_CHECKED : BST_UNCHECKED;
            if (static_cast<WPARAM>(SendMessageW(w, BM_GETCHECK, 0, 0)) != state)
                SendMessageW(w, BM_SETCHECK, state, 0);
            break;
        }
        case Kind::List: {
            int32_t selection = ListSelection(c.id);
            if (SendMessageW(w, CB_GETCURSEL, 0, 0) != selection) SendMessageW(w, CB_SETCURSEL, selection, 0);
            break;
        }
        default: break;
        }
    }
    g_save.syncing = false;
    if (g_save.laidOutFormat != ShownFormat()) LayOutBar();
}

void SelectSaveBarFormat(int32_t format) {
    if (format >= 0 && format < kFormatCount) g_settings.Format = format;
    SyncSaveBar();
}

bool IsSaveBarNumberField(HWND window) {
    return NumberFieldOf(window) != nullptr;
}

bool CommitSaveBarField(HWND field) {
    const BarControl* c = NumberFieldOf(field);
    if (!c) return false;
    wchar_t text[16] = {};
    GetWindowTextW(field, text, static_cast<int>(std::size(text)));
    int32_t value = 0;
    bool ok = ParseFieldNumber(text, c->minimum, c->maximum, false, &value);
    if (ok) g_settings.*c->number = value;
    g_save.syncing = true;
    SetNumberText(field, g_settings.*c->number);
    g_save.syncing = false;
    return ok;
}

bool PlaceBelowSaveOptionsBar(HWND dialog) {
    if (CurrentDisplayMode() != DisplayMode::SubWindow || !g_save.panel || !IsWindowVisible(g_save.panel)) return false;
    RECT bar{}, box{};
    if (!GetWindowRect(g_save.panel, &bar) || !GetWindowRect(dialog, &box)) return false;
    int32_t w = box.right - box.left, h = box.bottom - box.top;
    int32_t x = bar.left, y = bar.bottom;
    MONITORINFO info{sizeof info};
    if (GetMonitorInfoW(MonitorFromWindow(g_save.panel, MONITOR_DEFAULTTONEAREST), &info)) {
        // kept on screen, even if that means covering part of the bar's window
        x = std::max<int32_t>(info.rcWork.left, std::min<int32_t>(x, info.rcWork.right - w));
        y = std::max<int32_t>(info.rcWork.top, std::min<int32_t>(y, info.rcWork.bottom - h));
    }
    return SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

} // namespace qv
