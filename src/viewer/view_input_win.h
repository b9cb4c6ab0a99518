// The ViewWindow's mouse, sizing and background handling: window messages are fed into the
// viewer's input state machine and its actions carried out here. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/view_input.h"

namespace qv {

// The geometry and mouse state of the surface shown now (the ViewWindow, full screen and the
// SubWindow's panes share it); the viewer alone writes it.
extern ViewState g_viewState;

// WM_LBUTTONDOWN/UP, WM_RBUTTONDOWN/UP, WM_MBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEWHEEL and
// WM_CAPTURECHANGED of the ViewWindow (also in full screen).
void ViewWindowMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_SIZE: relayout, or after a corner drag of the fitted window refit the zoom and the window.
void ViewWindowSized(HWND window, WPARAM wParam, LPARAM lParam);
// WM_SIZING: edges stop at the fitted size, corners keep the image's aspect ratio.
void ViewWindowSizing(HWND window, WPARAM edge, RECT* proposed);
// WM_GETMINMAXINFO: the fitted window's minimum track size.
void ViewWindowMinMaxInfo(HWND window, MINMAXINFO* info);
// True while a drag or a rubber band is under way: commands from keys and menus are dropped.
bool ViewMouseDragging();
// True while a right-button drag scroll paints with COLORONCOLOR for speed.
bool ViewDragFastStretch();

// The zoom and fit commands on the current surface.
bool HandleZoomCommand(int32_t command);
// Commands 5341-5345: the ViewWindow's background colour, repainted at once.
bool HandleBackgroundCommand(int32_t command);

} // namespace qv
