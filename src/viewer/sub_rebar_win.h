// The SubWindow's rebar across its top: band 1 the main tool bar, band 2 the zoom field and the
// save-options bar; the editing tools add bands of their own. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace qv {

// Heights of a band's panel and of the fields on it.
constexpr int32_t kRebarPanelHeight = 26;
constexpr int32_t kRebarFieldHeight = 22;

// Creates the rebar on first use, sizes it to the SubWindow's width and returns its height (0
// when it could not be made).
int32_t LayOutSubRebar(HWND subWindow);
// The rebar's rows for the settings file; `fallback` when the rebar was never made.
int32_t SubRebarRowCount(int32_t fallback);

// The zoom field shows the current zoom; the buttons follow the image (called on every repaint,
// cheap when nothing changed).
void RefreshSubRebar();

// After a language or font change: the main tool bar and the save-options bar take the new texts
// and font. Tool bands keep theirs (the options dialog waits for an open tool to close).
void RelabelSubRebar();

// Seam for the tool framework: a band holding `child` (a window whose parent is the rebar, see
// SubRebarWindow), placed on a row of its own. Returns false when there is no rebar.
bool AddSubRebarBand(HWND child, const std::wstring& label, int32_t minHeight);
bool RemoveSubRebarBand(HWND child);
HWND SubRebarWindow();
// The save-options bar's controls changed their width (another format shows other options).
void ResizeSaveBand(int32_t width);

// A child window of the rebar with the common look, which hands its controls' WM_COMMAND and
// WM_NOTIFY to `handler` (true: handled, with *result as the answer).
using PanelHandler = bool (*)(HWND panel, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
HWND CreateRebarPanel(HWND rebar, int id, PanelHandler handler);
// The font of the rebar's controls.
HFONT RebarFont();
// Gives the keyboard back to the SubWindow after a button or list of the rebar was used.
void ReturnFocusToSubWindow();

// While a tool is open the main tool bar is disabled and its tool groups (5105-5108) show as
// indeterminate; unlocking gives every button its usual state back.
void LockMainToolBar(bool locked);

// Tool-group buttons 5105-5108: which one's menu is open (0: none), which one lies under a screen
// point (0: none).
int32_t OpenToolGroup();
int32_t ToolGroupButtonAt(POINT screen);
// Ends the open tool-group menu; the SubWindow then opens the one under the pointer (WM_APP).
void SwitchToolGroupMenu();

} // namespace qv
