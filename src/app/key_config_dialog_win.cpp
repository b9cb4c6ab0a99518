#include "app/key_config_dialog_win.h"

#include <commctrl.h>

#include <string>

#include "app/accelerators_win.h"
#include "app/app_state_win.h"
#include "app/key_names.h"
#include "app/menus_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/window_layout_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint16_t kCapsLock = 0xF0;

struct KeyConfigState {
    std::vector<AccelEntry> table;
    bool changed = false;
};

void Error(HWND dialog, uint32_t text) {
    MessageBoxW(dialog, UiText(text).c_str(), UiText(kStrKeyErrorCaption).c_str(), MB_OK | MB_ICONERROR);
}

void SetRowKey(HWND list, int row, const AccelEntry& e) {
    std::wstring text = ShortcutText(e);
    ListView_SetItemText(list, row, 1, text.data());
}

void FillCommandList(HWND dialog, const KeyConfigState& state) {
    HWND list = GetDlgItem(dialog, kCtlKeyCommandList);
    ListView_DeleteAllItems(list);
    for (size_t i = 0; i < state.table.size(); ++i) {
        std::wstring name = UiText(state.table[i].command);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = name.data();
        int row = ListView_InsertItem(list, &item);
        SetRowKey(list, row, state.table[i]);
    }
}

void InitDialog(HWND dialog, KeyConfigState* state) {
    HWND list = GetDlgItem(dialog, kCtlKeyCommandList);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT r;
    GetClientRect(list, &r);
    int keyWidth = (r.right - GetSystemMetrics(SM_CXVSCROLL)) * 2 / 5;
    AddListViewColumn(list, 0, kStrKeyColumnCommand, r.right - GetSystemMetrics(SM_CXVSCROLL) - keyWidth);
    AddListViewColumn(list, 1, kStrKeyColumnKey, keyWidth);
    FillCommandList(dialog, *state);
    HWND keys = GetDlgItem(dialog, kCtlKeyList);
    for (uint16_t code : AssignableKeys()) {
        LRESULT i = SendMessageW(keys, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(KeyName(code)));
        SendMessageW(keys, LB_SETITEMDATA, static_cast<WPARAM>(i), code);
    }
}

int SelectedRow(HWND dialog) {
    return ListView_GetNextItem(GetDlgItem(dialog, kCtlKeyCommandList), -1, LVNI_SELECTED);
}

bool SelectedKey(HWND dialog, uint16_t* code) {
    HWND keys = GetDlgItem(dialog, kCtlKeyList);
    LRESULT i = SendMessageW(keys, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR) return false;
    *code = static_cast<uint16_t>(SendMessageW(keys, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
    return true;
}

// CapsLock cannot be combined with Shift.
void FollowKeyChoice(HWND dialog) {
    uint16_t code = 0;
    bool caps = SelectedKey(dialog, &code) && code == kCapsLock;
    if (caps) CheckDlgButton(dialog, kCtlKeyShift, BST_UNCHECKED);
    EnableWindow(GetDlgItem(dialog, kCtlKeyShift), !caps);
}

// Shows the selected command's current key in the key list and the boxes.
void FollowCommandChoice(HWND dialog, const KeyConfigState& state) {
    int row = SelectedRow(dialog);
    if (row < 0 || row >= static_cast<int>(state.table.size())) return;
    const AccelEntry& e = state.table[row];
    if (e.key == 0) return;
    HWND keys = GetDlgItem(dialog, kCtlKeyList);
    LRESULT count = SendMessageW(keys, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i)
        if (SendMessageW(keys, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == e.key)
            SendMessageW(keys, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    CheckDlgButton(dialog, kCtlKeyCtrl, e.flags & FCONTROL ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, kCtlKeyShift, e.flags & FSHIFT ? BST_CHECKED : BST_UNCHECKED);
    FollowKeyChoice(dialog);
}

void Assign(HWND dialog, KeyConfigState* state) {
    int row = SelectedRow(dialog);
    if (row < 0) return Error(dialog, kStrKeyNoCommand);
    uint16_t code = 0;
    if (!SelectedKey(dialog, &code)) return Error(dialog, kStrKeyNoKey);
    bool ctrl = IsDlgButtonChecked(dialog, kCtlKeyCtrl) == BST_CHECKED;
    bool shift = IsDlgButtonChecked(dialog, kCtlKeyShift) == BST_CHECKED;
    if (KeyTaken(state->table, code, ctrl, shift)) return Error(dialog, kStrKeyTaken);
    AccelEntry& e = state->table[row];
    e.flags = AssignmentFlags(ctrl, shift);
    e.key = code;
    SetRowKey(GetDlgItem(dialog, kCtlKeyCommandList), row, e);
    state->changed = true;
}

void Remove(HWND dialog, KeyConfigState* state) {
    int row = SelectedRow(dialog);
    if (row < 0) return Error(dialog, kStrKeyNoCommand);
    AccelEntry& e = state->table[row];
    e.flags = FVIRTKEY;
    e.key = 0;
    SetRowKey(GetDlgItem(dialog, kCtlKeyCommandList), row, e);
    state->changed = true;
}

void RestoreDefaults(HWND dialog, KeyConfigState* state) {
    if (MessageBoxW(dialog, UiText(kStrKeyResetQuestion).c_str(), UiText(kStrKeyResetCaption).c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    state->table = DefaultAcceleratorEntries();
    FillCommandList(dialog, *state);
    state->changed = true;
}

INT_PTR CALLBACK KeyConfigProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<KeyConfigState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        InitDialog(dialog, reinterpret_cast<KeyConfigState*>(lParam));
        return TRUE;
    case WM_NOTIFY: {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (state && hdr->idFrom == kCtlKeyCommandList && hdr->code == LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED))
                FollowCommandChoice(dialog, *state);
        }
        return FALSE;
    }
    case WM_COMMAND:
        if (!state) return FALSE;
        switch (LOWORD(wParam)) {
        case kCtlKeyList:
            if (HIWORD(wParam) == LBN_SELCHANGE) FollowKeyChoice(dialog);
            return TRUE;
        case kCtlKeyAssign: Assign(dialog, state); return TRUE;
        case kCtlKeyRemove: Remove(dialog, state); return TRUE;
        case kCtlKeyDefaults: RestoreDefaults(dialog, state); return TRUE;
        case kCtlKeyClose: EndDialog(dialog, IDOK); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

} // namespace

std::vector<AccelEntry> CurrentCommandKeys() {
    // no table means no keys: every shortcut was removed
    return CommandKeysFromStored(StoreAcceleratorTable(g_app.accelerators));
}

bool RunKeyConfigDialog(HWND owner, std::vector<AccelEntry>* table) {
    KeyConfigState state;
    state.table = *table;
    INT_PTR result =
        RunDialog(kDlgKeyConfig, owner, KeyConfigProc, reinterpret_cast<LPARAM>(&state), g_settings.FHeight);
    if (result != IDOK || !state.changed) return false;
    *table = std::move(state.table);
    return true;
}

void ApplyCommandKeys(const std::vector<AccelEntry>& table) {
    if (g_app.accelerators) DestroyAcceleratorTable(g_app.accelerators);
    g_app.accelerators = BuildAcceleratorTable(EncodeAccelerators(table));
    RebuildMenus();
}

} // namespace qv
