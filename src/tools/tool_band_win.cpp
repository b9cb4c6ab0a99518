#include "tools/tool_band_win.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <string>

#include "model/command_ids.h"
#include "tools/tool_controls.h"
#include "tools/tool_window_win.h"
#include "ui/colour_box_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/win_handles_win.h"
#include "ui/window_classes.h"
#include "viewer/rebar_rules.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kBandPanelId = 1050;
constexpr int kFirstControlId = 2000; // control i: 2000 + 4 i (label), + 1 (field), + 2 (up-down)
constexpr int kIdsPerControl = 4;
constexpr int kFirstChoiceId = 3000; // radio entry e of control i: 3000 + 16 i + e
constexpr int kIdsPerChoiceGroup = 16;
constexpr int kMaxChoices = 8;
constexpr UINT_PTR kLabelSubclass = 1;
constexpr int kGap = 6;
constexpr int kLabelGap = 3;
constexpr int kUpDownWidth = 16;
constexpr int kCheckExtra = 22;
constexpr int kRadioGap = 4;
constexpr int kComboExtra = 30;
constexpr int kColourBoxWidth = 28;
constexpr int kButtonExtra = 20;
constexpr int kListHeight = 240; // a list's height includes its drop-down

struct ControlWindows {
    HWND label = nullptr;
    HWND field = nullptr; // edit, check box, list or colour box
    HWND upDown = nullptr;
    HWND choices[kMaxChoices] = {}; // a radio group's buttons
    int32_t lo = 0, hi = 0;         // a number's range as the tool set it last
};

struct BandState {
    ToolWindow* tool = nullptr;
    BandValueChanged changed = nullptr;
    HWND panel = nullptr;
    HWND tooltip = nullptr;
    ControlWindows controls[kMaxToolControls];
    bool creating = false;
    int dragging = -1; // the control whose label is being dragged
    int dragX = 0;
    int32_t dragValue = 0;
    std::wstring tips[2];
};
BandState g_band;

const ToolControlRow& RowOf(int control) {
    return g_band.tool->rows[control];
}

int ControlCount() {
    return g_band.tool ? static_cast<int>(g_band.tool->tool->controls.size()) : 0;
}

int TextWidth(HWND window, const std::wstring& text) {
    WindowDc dc(window);
    SelectedObject font(dc.get(), RebarFont());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

HWND MakeChild(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle, int id) {
    HWND w = CreateWindowExW(exStyle, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 1, 1, g_band.panel,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Ui().instance, nullptr);
    if (w) SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(RebarFont()), FALSE);
    return w;
}

void Report(int control, int32_t value) {
    if (g_band.creating || !g_band.tool) return;
    value = ClampToolValue(RowOf(control), value);
    if (value != ToolValue(*g_band.tool, control)) g_band.changed(g_band.tool, control, value);
}

// The range a number field takes now: its row's, unless the tool gave it another.
void RangeOf(int control, int32_t* lo, int32_t* hi) {
    *lo = g_band.controls[control].lo;
    *hi = g_band.controls[control].hi;
}

// ---- number fields ------------------------------------------------------------------------

void NumberTextChanged(int control) {
    int32_t lo = 0, hi = 0;
    RangeOf(control, &lo, &hi);
    wchar_t text[32] = {};
    GetWindowTextW(g_band.controls[control].field, text, static_cast<int>(std::size(text)));
    int32_t value = 0;
    // anything that is no number waits until the field is left, which shows the stored value again
    const ToolControlRow& row = RowOf(control);
    bool parsed = row.parse ? row.parse(text, &value) : ParseFieldNumber(text, lo, hi, false, &value);
    if (parsed) Report(control, value);
}

void SwitchInputMethodOff(HWND field) {
    if (HIMC context = ImmGetContext(field)) {
        ImmSetOpenStatus(context, FALSE);
        ImmReleaseContext(field, context);
    }
}

int32_t DragPixels(int control) {
    const ToolControlRow& row = RowOf(control);
    int32_t lo = 0, hi = 0;
    RangeOf(control, &lo, &hi);
    return row.dragPixels > 0 ? row.dragPixels : LabelDragPixelsPerStep(lo, hi);
}

// The value a label drag of dx pixels gives, in the range the field takes now.
int32_t DraggedControlValue(int control, int32_t atPress, int dx) {
    const ToolControlRow& row = RowOf(control);
    int32_t lo = 0, hi = 0;
    RangeOf(control, &lo, &hi);
    if (row.dragStep > 0) return static_cast<int32_t>(std::clamp<int64_t>(atPress + int64_t{dx} * row.dragStep, lo, hi));
    return DraggedValue(atPress, dx, DragPixels(control), lo, hi);
}

std::wstring FieldText(const ToolControlRow& row, int32_t value) {
    return row.format ? row.format(value) : std::to_wstring(value);
}

// A horizontal drag over a number's label moves it from its value at the press.
LRESULT CALLBACK LabelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    int control = static_cast<int>(data);
    switch (message) {
    case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_SIZEWE)); return TRUE;
    case WM_LBUTTONDOWN:
        if (!g_band.tool || !IsWindowEnabled(g_band.controls[control].field)) break;
        g_band.dragging = control;
        g_band.dragX = static_cast<int16_t>(LOWORD(lParam));
        g_band.dragValue = ToolValue(*g_band.tool, control);
        SetCapture(window);
        return 0;
    case WM_MOUSEMOVE:
        if (g_band.dragging == control && GetCapture() == window) {
            const ToolControlRow& row = RowOf(control);
            int dx = static_cast<int16_t>(LOWORD(lParam)) - g_band.dragX;
            int32_t value = DraggedControlValue(control, g_band.dragValue, dx);
            // written into the field, whose change notification stores it
            if (value != ToolValue(*g_band.tool, control))
                SetWindowTextW(g_band.controls[control].field, FieldText(row, value).c_str());
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == window) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED: g_band.dragging = -1; return 0;
    case WM_NCDESTROY: RemoveWindowSubclass(window, LabelProc, id); break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// ---- the panel's messages -----------------------------------------------------------------

// The up-down of a field with its own text form steps the value, not the text.
bool UpDownStep(const NMHDR& header) {
    if (header.code != UDN_DELTAPOS || header.idFrom < kFirstControlId) return false;
    int control = static_cast<int>(header.idFrom - kFirstControlId) / kIdsPerControl;
    if (control >= ControlCount() || (header.idFrom - kFirstControlId) % kIdsPerControl != 2) return false;
    const ToolControlRow& row = RowOf(control);
    if (!row.format) return false;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    int64_t value = std::clamp<int64_t>(int64_t{ToolValue(*g_band.tool, control)} + change.iDelta, row.lo, row.hi);
    SetWindowTextW(g_band.controls[control].field, FieldText(row, static_cast<int32_t>(value)).c_str());
    return true;
}

void FillCombo(int control) {
    const ToolControlRow& row = RowOf(control);
    HWND field = g_band.controls[control].field;
    SendMessageW(field, CB_RESETCONTENT, 0, 0);
    for (int32_t e = 0; e <= row.hi; ++e) {
        const ToolClass& c = *g_band.tool->tool;
        std::wstring entry =
            c.entryText ? c.entryText(*g_band.tool, control, e) : UiText(row.text + static_cast<uint32_t>(e));
        SendMessageW(field, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

bool BandMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_NOTIFY && g_band.tool) {
        if (!UpDownStep(*reinterpret_cast<const NMHDR*>(lParam))) return false;
        *result = 1; // the up-down keeps its own position: the field is the value
        return true;
    }
    if (message != WM_COMMAND) return false;
    int id = LOWORD(wParam);
    WORD code = HIWORD(wParam);
    if (id == kCmdApplyTool || id == kCmdCancelTool) {
        // after this message: the band goes away with the tool
        if (code == BN_CLICKED) PostMessageW(SubWindowHandle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
        return true;
    }
    if (id >= kFirstChoiceId && id < kFirstChoiceId + kMaxToolControls * kIdsPerChoiceGroup) {
        int group = (id - kFirstChoiceId) / kIdsPerChoiceGroup;
        if (group < ControlCount() && code == BN_CLICKED) Report(group, (id - kFirstChoiceId) % kIdsPerChoiceGroup);
        return true;
    }
    int control = (id - kFirstControlId) / kIdsPerControl;
    if (id < kFirstControlId || control >= ControlCount() || (id - kFirstControlId) % kIdsPerControl != 1) return true;
    HWND field = g_band.controls[control].field;
    switch (RowOf(control).kind) {
    case ToolControlKind::Number:
        if (code == EN_CHANGE) NumberTextChanged(control);
        if (code == EN_SETFOCUS) SwitchInputMethodOff(field);
        if (code == EN_KILLFOCUS) ShowBandValue(g_band.tool, control);
        break;
    case ToolControlKind::Check:
        if (code == BN_CLICKED) Report(control, SendMessageW(field, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
        break;
    case ToolControlKind::Combo:
        if (code == CBN_SELCHANGE) Report(control, static_cast<int32_t>(SendMessageW(field, CB_GETCURSEL, 0, 0)));
        break;
    case ToolControlKind::Colour:
        if (code == kColourBoxChanged) Report(control, static_cast<int32_t>(ColourBoxColour(field)));
        break;
    case ToolControlKind::Button:
        // a button holds no value: every click is news to the tool
        if (code == BN_CLICKED && !g_band.creating && g_band.tool) g_band.changed(g_band.tool, control, 0);
        break;
    case ToolControlKind::Radio:
    case ToolControlKind::Stored: break;
    }
    return true;
}

// ---- making the controls ------------------------------------------------------------------

// Creates control `i` at `x` and returns the x after it, or -1 when a window cannot be made.
int MakeControl(int i, int x) {
    const ToolControlRow& row = RowOf(i);
    ControlWindows& c = g_band.controls[i];
    int id = kFirstControlId + i * kIdsPerControl;
    int fieldY = (kRebarPanelHeight - kRebarFieldHeight) / 2;
    auto place = [&](HWND w, int width, int height, int y) {
        SetWindowPos(w, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        x += width;
    };
    std::wstring text = UiText(row.text);
    c.lo = row.lo;
    c.hi = row.hi;
    if (row.kind == ToolControlKind::Number || row.kind == ToolControlKind::Colour) {
        c.label = MakeChild(L"STATIC", text, SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0, id);
        if (!c.label) return -1;
        // a label the tool switches between two texts is as wide as the wider
        int width = TextWidth(c.label, text);
        if (row.altText != 0) width = std::max(width, TextWidth(c.label, UiText(row.altText)));
        place(c.label, width, kRebarFieldHeight - 6, fieldY + 3);
        x += kLabelGap;
    }
    switch (row.kind) {
    case ToolControlKind::Number: {
        c.field = MakeChild(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_RIGHT, WS_EX_CLIENTEDGE, id + 1);
        DWORD buddyInt = row.format ? 0 : UDS_SETBUDDYINT;
        c.upDown = MakeChild(UPDOWN_CLASSW, L"",
                             buddyInt | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS | UDS_HOTTRACK, 0, id + 2);
        if (!c.field || !c.upDown) return -1;
        // a field with its own text form takes a few more characters than it shows (more decimals,
        // which its reading rounds)
        int chars = row.format
                        ? static_cast<int>(std::max(FieldText(row, row.lo).size(), FieldText(row, row.hi).size())) + 3
                        : NumberFieldChars(row.lo, row.hi);
        SendMessageW(c.field, EM_SETLIMITTEXT, static_cast<WPARAM>(chars), 0);
        place(c.field, TextWidth(c.field, std::wstring(static_cast<size_t>(chars), L'0')) + 10 + kUpDownWidth,
              kRebarFieldHeight, fieldY);
        SendMessageW(c.upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(c.field), 0);
        SendMessageW(c.upDown, UDM_SETRANGE32, static_cast<WPARAM>(row.lo), static_cast<LPARAM>(row.hi));
        SetWindowSubclass(c.label, LabelProc, kLabelSubclass, static_cast<DWORD_PTR>(i));
        break;
    }
    case ToolControlKind::Check:
        c.field = MakeChild(L"BUTTON", text, WS_TABSTOP | BS_AUTOCHECKBOX, 0, id + 1);
        if (!c.field) return -1;
        place(c.field, TextWidth(c.field, text) + kCheckExtra, kRebarFieldHeight, fieldY);
        break;
    case ToolControlKind::Combo: {
        c.field = MakeChild(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, id + 1);
        if (!c.field) return -1;
        FillCombo(i);
        int widest = 0;
        for (int32_t e = 0; e <= row.hi; ++e) {
            wchar_t entry[128] = {};
            if (SendMessageW(c.field, CB_GETLBTEXTLEN, static_cast<WPARAM>(e), 0) < 128)
                SendMessageW(c.field, CB_GETLBTEXT, static_cast<WPARAM>(e), reinterpret_cast<LPARAM>(entry));
            widest = std::max(widest, TextWidth(c.field, entry));
        }
        place(c.field, widest + kComboExtra, kListHeight, fieldY);
        break;
    }
    case ToolControlKind::Colour:
        c.field = MakeChild(kColourBoxClass, L"", WS_TABSTOP, 0, id + 1);
        if (!c.field) return -1;
        place(c.field, kColourBoxWidth, kRebarFieldHeight - 4, fieldY + 2);
        break;
    case ToolControlKind::Button:
        c.field = MakeChild(L"BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, 0, id + 1);
        if (!c.field) return -1;
        place(c.field, TextWidth(c.field, text) + kButtonExtra, kRebarFieldHeight, fieldY);
        break;
    case ToolControlKind::Radio:
        for (int32_t e = 0; e <= row.hi && e < kMaxChoices; ++e) {
            std::wstring entry = UiText(row.text + static_cast<uint32_t>(e));
            DWORD style = BS_AUTORADIOBUTTON | (e == 0 ? WS_GROUP | WS_TABSTOP : 0);
            c.choices[e] = MakeChild(L"BUTTON", entry, style, 0, kFirstChoiceId + i * kIdsPerChoiceGroup + e);
            if (!c.choices[e]) return -1;
            place(c.choices[e], TextWidth(c.choices[e], entry) + kCheckExtra, kRebarFieldHeight, fieldY);
            x += kRadioGap;
        }
        break;
    case ToolControlKind::Stored: return x; // nothing to show
    }
    ShowBandValue(g_band.tool, i);
    if (row.flags & kControlStartsDisabled) EnableBandControl(g_band.tool, i, false);
    return x + kGap;
}

int MakeButton(int32_t command, int index, int x) {
    std::wstring text = UiText(static_cast<uint32_t>(command));
    HWND button = MakeChild(L"BUTTON", text, WS_TABSTOP | BS_PUSHBUTTON, 0, command);
    if (!button) return -1;
    int width = TextWidth(button, text) + kButtonExtra;
    SetWindowPos(button, nullptr, x, (kRebarPanelHeight - kRebarFieldHeight) / 2, width, kRebarFieldHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // the tip names the command with its key, as the menus do
    g_band.tips[index] = text + UiText(static_cast<uint32_t>(command) + 10000);
    TOOLINFOW tool{sizeof tool};
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = g_band.panel;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = const_cast<wchar_t*>(g_band.tips[index].c_str());
    if (g_band.tooltip) SendMessageW(g_band.tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return x + width + kGap;
}

} // namespace

bool CreateToolBand(ToolWindow* tool, BandValueChanged changed) {
    HWND rebar = SubRebarWindow();
    if (!rebar || g_band.panel) return false;
    g_band = BandState{};
    g_band.tool = tool;
    g_band.changed = changed;
    g_band.creating = true;
    g_band.panel = CreateRebarPanel(rebar, kBandPanelId, BandMessage);
    g_band.tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                     SubWindowHandle(), nullptr, Ui().instance, nullptr);
    int x = 4;
    for (int i = 0; g_band.panel && i < ControlCount() && x >= 0; ++i)
        x = MakeControl(i, x);
    if (x >= 0) x = MakeButton(kCmdApplyTool, 0, x);
    if (x >= 0) x = MakeButton(kCmdCancelTool, 1, x);
    g_band.creating = false;
    if (!g_band.panel || x < 0) {
        DestroyToolBand(tool);
        return false;
    }
    SetWindowPos(g_band.panel, nullptr, 0, 0, x, kRebarPanelHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!AddSubRebarBand(g_band.panel, UiText(static_cast<uint32_t>(tool->tool->command)), kRebarPanelHeight)) {
        DestroyToolBand(tool);
        return false;
    }
    tool->band = g_band.panel;
    return true;
}

void DestroyToolBand(ToolWindow* tool) {
    if (g_band.tool != tool) return;
    if (g_band.panel) {
        RemoveSubRebarBand(g_band.panel);
        DestroyWindow(g_band.panel);
    }
    if (g_band.tooltip) DestroyWindow(g_band.tooltip);
    tool->band = nullptr;
    g_band = BandState{};
}

void ShowBandValue(ToolWindow* tool, int control) {
    if (g_band.tool != tool || control < 0 || control >= ControlCount()) return;
    HWND field = g_band.controls[control].field;
    int32_t value = ToolValue(*tool, control);
    bool creating = g_band.creating;
    g_band.creating = true; // what the program writes is no change by the user
    switch (RowOf(control).kind) {
    case ToolControlKind::Number: {
        std::wstring text = FieldText(RowOf(control), value);
        wchar_t shown[32] = {};
        GetWindowTextW(field, shown, static_cast<int>(std::size(shown)));
        if (text != shown) SetWindowTextW(field, text.c_str());
        if (g_band.controls[control].upDown) SendMessageW(g_band.controls[control].upDown, UDM_SETPOS32, 0, value);
        break;
    }
    case ToolControlKind::Check: SendMessageW(field, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0); break;
    case ToolControlKind::Combo: SendMessageW(field, CB_SETCURSEL, static_cast<WPARAM>(value), 0); break;
    case ToolControlKind::Colour: SetColourBoxColour(field, static_cast<uint32_t>(value)); break;
    case ToolControlKind::Radio:
        for (int e = 0; e < kMaxChoices; ++e)
            if (HWND choice = g_band.controls[control].choices[e])
                SendMessageW(choice, BM_SETCHECK, e == value ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case ToolControlKind::Button:
    case ToolControlKind::Stored: break;
    }
    g_band.creating = creating;
}

void RefillBandCombo(ToolWindow* tool, int control) {
    if (g_band.tool != tool || control < 0 || control >= ControlCount() ||
        RowOf(control).kind != ToolControlKind::Combo)
        return;
    bool creating = g_band.creating;
    g_band.creating = true;
    FillCombo(control);
    g_band.creating = creating;
    ShowBandValue(tool, control);
}

void EnableBandControl(ToolWindow* tool, int control, bool enabled) {
    if (g_band.tool != tool || control < 0 || control >= ControlCount()) return;
    const ControlWindows& c = g_band.controls[control];
    for (HWND w : {c.label, c.field, c.upDown})
        if (w) EnableWindow(w, enabled ? TRUE : FALSE);
    for (HWND w : c.choices)
        if (w) EnableWindow(w, enabled ? TRUE : FALSE);
}

void SetBandNumberRange(ToolWindow* tool, int control, uint32_t label, int32_t lo, int32_t hi) {
    if (g_band.tool != tool || control < 0 || control >= ControlCount()) return;
    ControlWindows& c = g_band.controls[control];
    c.lo = lo;
    c.hi = hi;
    if (c.label && label != 0) SetWindowTextW(c.label, UiText(label).c_str());
    if (c.upDown) SendMessageW(c.upDown, UDM_SETRANGE32, static_cast<WPARAM>(lo), static_cast<LPARAM>(hi));
}

} // namespace qv
