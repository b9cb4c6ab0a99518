// The ViewWindow's helpers that come and go with the pointer: the hover tool bar and its tool tips,
// the hover frame and the window styles (CapBar, Top, Frame), the cursor, the navigator popup, and
// the history window. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ui/cursor_win.h"

namespace qv {

// ---- window styles and the hover frame (window_styles_win.cpp)
DWORD ViewWindowCaptionStyle();
DWORD ViewWindowBareStyle();
// Moves the pointer tracking of the ViewWindow along: WM_MOUSEMOVE, WM_NCMOUSEMOVE, WM_MOUSELEAVE,
// WM_NCMOUSELEAVE, WM_ENTERSIZEMOVE and WM_EXITSIZEMOVE. True when the message is consumed.
bool HoverFrameMessage(HWND window, UINT message);
bool HoverFrameShown();
// Full screen takes the frame away (true when it was shown); leaving puts it back.
bool DropHoverFrame();
void RestoreHoverFrame();
// Once the window has its final place: a frame put back around a window the pointer is no
// longer over goes, since no leave message will come for it.
void SettleHoverFrame();
// Everything the ViewWindow's WM_MOUSEMOVE and WM_RBUTTONUP feed (client point x, y): the cursor,
// the hover frame, the navigator strip and the hover tool bar.
void HoverOnViewMouse(HWND window, UINT message, int32_t x, int32_t y);
// 5320 Top, 5330 CapBar, 5331 Frame, 5332 VTBar, 5333 AutoNavi.
bool HandleWindowStyleCommand(int32_t command);

// ---- hover tool bar (hover_bar_win.cpp)
LRESULT CALLBACK ToolBarHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_CREATE of the ViewWindow: the hidden tool bar host (child 1000) and the three tool tips.
void CreateHoverToolBar(HWND viewWindow);
// One of the three tool tips owned by the ViewWindow (0 serves the hover tool bar).
HWND SharedToolTip(int index);
HWND ToolBarHost();
bool ToolBarHostShown();
// WM_MOUSEMOVE / WM_RBUTTONUP of the ViewWindow at client point x, y.
void ToolBarOnMouse(HWND viewWindow, UINT message, int32_t x, int32_t y);
void HideToolBarHost();
// Full screen shows the minimise, leave and close buttons at the right edge and the position field.
void SetToolBarFullScreen(bool fullScreen);
// After a load or a slideshow change: the position field and the slideshow button.
void RefreshHoverToolBar();

// ---- cursor (cursor_win.cpp; showing and hiding itself is ui/cursor_win.h)
// A pointer move in screen coordinates: far enough from where the cursor was hidden shows it.
void CursorOnMove(POINT screen);
// Navigation in full screen and slideshow steps hide the cursor, unless the hover tool bar is up
// or the pointer rests on the list window's list box.
void HideCursorAfterStep();

// ---- navigator (navigator_win.cpp)
LRESULT CALLBACK NavigatorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Strip and Drag come and go with the pointer; Pinned is the SubWindow's navigator switched on
// (5740), which stays until it is switched off or the SubWindow is left.
enum class NavigatorReason { Strip, Drag, Pinned };
void ShowNavigator(NavigatorReason reason);
void HideNavigator();
// The end of a right-button drag: hides the navigator only when the drag showed it.
void HideDragNavigator();
bool NavigatorShown();
// WM_MOUSEMOVE of the ViewWindow and full screen at client point x, y: AutoNavi's strip.
void NavigatorOnMouse(HWND viewWindow, int32_t x, int32_t y);
// The view scrolled or zoomed: erase the old marker and draw the new one.
void UpdateNavigator();

// ---- history window (history_window_win.cpp)
LRESULT CALLBACK HistoryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// 5117.
bool HandleHistoryCommand(int32_t command);
bool HistoryWindowOpen();
void CloseHistoryWindow();

} // namespace qv
