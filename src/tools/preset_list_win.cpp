#include "tools/preset_list_win.h"

#include <algorithm>

#include "model/settings.h"
#include "model/ui_strings.h"
#include "settings/settings_file.h"
#include "settings/settings_load.h"
#include "ui/language_module_win.h"

namespace qv {

namespace {

INT_PTR CALLBACK PresetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const auto* presets = reinterpret_cast<const SizePreset*>(lParam);
        for (int i = 0; i < kPresetSlots; ++i) {
            for (int side = 0; side < 2; ++side) {
                HWND box = GetDlgItem(dialog, (side ? kCtlPresetFirstHeight : kCtlPresetFirstWidth) + i);
                SendMessageW(box, EM_SETLIMITTEXT, 5, 0);
                SetWindowTextW(box, std::to_wstring(side ? presets[i].height : presets[i].width).c_str());
            }
        }
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* presets = reinterpret_cast<SizePreset*>(GetWindowLongPtrW(dialog, DWLP_USER));
            for (int i = 0; i < kPresetSlots; ++i) {
                // what is no number counts as 0, a side not given
                BOOL ok = FALSE;
                UINT w = GetDlgItemInt(dialog, kCtlPresetFirstWidth + i, &ok, FALSE);
                presets[i].width = ClampPresetValue(ok ? w : 0);
                UINT h = GetDlgItemInt(dialog, kCtlPresetFirstHeight + i, &ok, FALSE);
                presets[i].height = ClampPresetValue(ok ? h : 0);
            }
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

void ReadPresets(const std::wstring& settingsPath, PresetSlots slots, SizePreset presets[kPresetSlots]) {
    SettingsReader reader;
    reader.Open(settingsPath); // an unreadable file gives every default
    for (int i = 0; i < kPresetSlots; ++i) {
        presets[i].width = ReadToolSetting(reader, slots.firstWidth + static_cast<uint32_t>(i));
        presets[i].height = ReadToolSetting(reader, slots.firstHeight + static_cast<uint32_t>(i));
    }
}

void WritePresets(const std::wstring& settingsPath, PresetSlots slots, const SizePreset presets[kPresetSlots]) {
    SettingsWriter writer;
    if (!writer.Open(settingsPath)) return;
    for (int i = 0; i < kPresetSlots; ++i) {
        writer.WriteInt(slots.firstWidth + static_cast<uint32_t>(i), presets[i].width);
        writer.WriteInt(slots.firstHeight + static_cast<uint32_t>(i), presets[i].height);
    }
    writer.Close();
}

std::wstring PresetEntryText(const SizePreset& preset) {
    return PresetListText(preset, UiText(kStrPresetWidthPrefix), UiText(kStrPresetHeightPrefix));
}

bool EditPresets(HWND owner, SizePreset presets[kPresetSlots]) {
    SizePreset edited[kPresetSlots];
    std::copy(presets, presets + kPresetSlots, edited);
    if (RunDialog(kDlgPresets, owner, PresetDialogProc, reinterpret_cast<LPARAM>(edited), g_settings.FHeight) != IDOK)
        return false;
    std::copy(edited, edited + kPresetSlots, presets);
    return true;
}

} // namespace qv
