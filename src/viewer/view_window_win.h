// The ViewWindow: the program's main window, showing one image; and the handles of the viewer's
// windows, which the viewer alone writes and everyone may read. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "model/display_mode.h"
#include "viewer/program_hooks_win.h"
#include "viewer/view_geometry.h"

namespace qv {

// Timers on the ViewWindow.
constexpr UINT_PTR kSlideshowTimer = 100000;
constexpr UINT_PTR kAnimationTimer = 200000;

// The windows of the viewer; null before they are made and after they are gone. The list window
// exists while it is open.
HWND ViewWindowHandle();
HWND SubWindowHandle();
HWND ListWindowHandle();
// The surface that shows the image now; display_modes_win.cpp alone changes it.
DisplayMode CurrentDisplayMode();
// The ViewWindow, or the SubWindow in DisplayMode 1: owner of dialogs and message boxes.
HWND CurrentMainWindow();

// Measures the monitor, work area and frames the geometry needs for `window`'s surface.
SurfaceMetrics MeasureSurface(HWND window, DisplayMode surface, const ViewSettings& s);

// Registers every window class of the program.
bool RegisterWindowClasses(HINSTANCE instance);
// Created hidden, placed by the FitWin / stored-placement rules; null when it cannot be made.
HWND CreateViewWindow(HINSTANCE instance);
// The SubWindow, owned by the ViewWindow, made on first use.
HWND EnsureSubWindow();

// After a load: fit on load for the current surface, the window fitted to the image, the title,
// a full repaint.
void ShowLoadedImage();
void UpdateMainWindowTitle();
void RepaintView();
// Paints the current image with the shared geometry into `window`'s client.
void PaintViewSurface(HWND window, HDC dc, DisplayMode surface);

} // namespace qv
