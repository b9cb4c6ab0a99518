// The ViewWindow's mouse, sizing and background handling: window messages are fed into the
// viewer's input state machine and its actions carried out here. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// WM_LBUTTONDOWN/UP, WM_RBUTTONDOWN/UP, WM_MBUTTONDOWN, WM_MOUSEMOVE, WM_MOUSEWHEEL and
// WM_CAPTURECHANGED of the ViewWindow (also in full screen).
void ViewWindowMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_SIZE: relayout, or after a corner drag of the fitted window refit the zoom and the window.
void ViewWindowSized(HWND window, WPARAM wParam, LPARAM lParam);
// WM_SIZING: edges stop at the fitted size, corners keep the image's aspect ratio.
void ViewWindowSizing(HWND window, WPARAM edge, RECT* proposed);
// WM_GETMINMAXINFO: the fitted window's minimum track size.
void ViewWindowMinMaxInfo(HWND window, MINMAXINFO* info);
// True while a right-button drag scroll paints with COLORONCOLOR for speed.
bool ViewDragFastStretch();

// Commands 5341-5345: the ViewWindow's background colour, repainted at once.
bool HandleBackgroundCommand(int32_t command);

} // namespace qv
