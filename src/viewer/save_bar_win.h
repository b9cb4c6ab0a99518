// The SubWindow's save-options bar: the save format, the options of that format and the preview
// button. Every change sets its setting in memory at once; the settings file gets it at shutdown.
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Makes the bar's controls in `panel` from `x` on; returns the right edge of the last one shown.
int32_t CreateSaveBarControls(HWND panel, int32_t x, int32_t height);
// WM_COMMAND and WM_NOTIFY of the panel's controls; true when handled.
bool HandleSaveBarMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The controls follow the settings (the save-as dialog and the commands change them too).
void SyncSaveBar();
// After a language or font change: every text and list item fetched anew, the controls measured
// and laid out again; returns the right edge as CreateSaveBarControls does.
int32_t RelabelSaveBar();
// The save-as dialog chose another type.
void SelectSaveBarFormat(int32_t format);

// The number fields 1061 (JPEG quality), 1062 (JPEG size limit, KB), 1070 (PNG level) and 1073
// (PNG gamma x 1000).
bool IsSaveBarNumberField(HWND window);
// Clamps the field's number into its range, stores it and writes it back; false for other windows
// or text that is no number (the field then shows the setting again).
bool CommitSaveBarField(HWND field);

// Moves the save-as dialog to just below the bar (SubWindow only); false when there is no bar.
bool PlaceBelowSaveOptionsBar(HWND dialog);

} // namespace qv
