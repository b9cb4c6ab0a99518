// The context menu and the zoom-preset menu: built from the menu tree with owner-drawn items that
// show their shortcut at the right, their states set as a popup opens. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// From the current language module and accelerator table (start-up, after the UI font).
void CreateMenus();
void DestroyMenus();
// After a language or key change: every text and shortcut is fetched anew.
void RebuildMenus();

// The main popup at a screen point, owned by `owner` (null: the current main window). The input
// code calls this for a right click without a drag.
void ShowContextMenu(HWND owner, POINT screen);
void TrackZoomPresetMenu(HWND owner, POINT screen);
// The built popup of a submenu number (the SubWindow's tool-group buttons show 5105-5108 alone);
// null when there is none.
HMENU MenuPopupOf(int32_t number);

// WM_CONTEXTMENU: at the pointer, or at the client origin when it came from the keyboard.
void OnContextMenuMessage(HWND window, LPARAM lParam);
// WM_SYSKEYDOWN / WM_SYSKEYUP: Alt pressed and released alone opens the menu at the client origin.
// True when the message was used (its first press is swallowed).
bool OnAltKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WM_MEASUREITEM / WM_DRAWITEM: false for anything but our menu items.
bool MeasureMenuItem(MEASUREITEMSTRUCT* item);
bool DrawMenuItem(const DRAWITEMSTRUCT* item);
// WM_INITMENUPOPUP: enables and checks the items of one of our popups.
void InitMenuPopup(HMENU popup);

} // namespace qv
