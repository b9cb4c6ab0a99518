// The ViewWindow: the program's main window, showing one image. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "viewer/view_geometry.h"

namespace qv {

struct Settings;

ViewSettings ViewSettingsFrom(const Settings& settings);
// Measures the monitor, work area and frames the geometry needs for `window`'s surface.
SurfaceMetrics MeasureSurface(HWND window, DisplayMode surface, const ViewSettings& s);

// Registers every window class of the program.
bool RegisterWindowClasses(HINSTANCE instance);
// Created hidden, placed by the FitWin / stored-placement rules.
HWND CreateViewWindow(HINSTANCE instance);
HWND CreateSubWindow(HINSTANCE instance, HWND owner);

// After a load: fit on load for the current surface, the window fitted to the image, the title,
// a full repaint.
void ShowLoadedImage();
void UpdateMainWindowTitle();
void RepaintView();
// Paints the current image with the shared geometry into `window`'s client.
void PaintViewSurface(HWND window, HDC dc, DisplayMode surface);

enum class CommandSource { Program, Accelerator };

// Runs a command number in the window of the current DisplayMode; false when nobody handles it or
// the command was dropped (during a mouse drag; from an accelerator while the ViewWindow is
// minimised, except minimise/restore).
bool RunCommand(int32_t command, CommandSource source = CommandSource::Program);
// WM_COMMAND: notification code 1 marks an accelerator.
bool RunCommandMessage(WPARAM wParam);

} // namespace qv
