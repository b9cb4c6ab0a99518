// The one view state of the program and the window messages that change it: the ViewWindow (also in
// full screen) and both panes of the SubWindow feed their input into the viewer's state machine,
// and loads, zoom and scroll commands and the zoom field go through it too. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/view_input.h"

namespace qv {

// The geometry and mouse state of the surface shown now (the ViewWindow, full screen and the
// SubWindow's panes share it); only the functions below write it, through the state machine.
extern ViewState g_viewState;

// WM_LBUTTONDOWN/UP, WM_RBUTTONDOWN/UP, WM_MBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEWHEEL and
// WM_CAPTURECHANGED of the ViewWindow (also in full screen) and of the SubWindow's panes.
void ViewSurfaceMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_SIZE of the ViewWindow: relayout, or after a corner drag of the fitted window refit the zoom
// and the window.
void ViewWindowSized(HWND window, WPARAM wParam, LPARAM lParam);
// The SubWindow placed its panes: their client size with the scroll bars' room included.
void PaneAreaSized(ViewSize pane);
// WM_HSCROLL / WM_VSCROLL of either pane (both panes carry the same bars).
void PaneScrolled(HWND pane, bool vertical, int32_t code, int32_t trackPosition);
// WM_SIZING: edges stop at the fitted size, corners keep the image's aspect ratio.
void ViewWindowSizing(HWND window, WPARAM edge, RECT* proposed);
// WM_GETMINMAXINFO: the fitted window's minimum track size.
void ViewWindowMinMaxInfo(HWND window, MINMAXINFO* info);
// True while a drag or a rubber band is under way: commands from keys and menus are dropped.
bool ViewMouseDragging();
// True while a right-button drag scroll paints with COLORONCOLOR for speed.
bool ViewDragFastStretch();

// A new image (0 x 0 for none) or a new surface: the fit on load of the current surface.
void FitShownImage(int32_t imageWidth, int32_t imageHeight);
// The zoom typed into the SubWindow's zoom field.
void SetViewZoom(double zoom);

// The zoom, fit and keyboard scroll commands on the current surface.
bool HandleViewCommand(int32_t command);
// Commands 5341-5345: the ViewWindow's background colour, repainted at once.
bool HandleBackgroundCommand(int32_t command);

} // namespace qv
