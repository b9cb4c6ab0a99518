// The colour readout over the SubWindow's image pane while an open tool picks colours. Windows
// only.
#pragma once

#include <windows.h>

#include "viewer/pixel_readout.h"

namespace qv {

// Called with the colour under the pointer, or null off the image, after the title changed: the
// tool repaints its colour field.
using ColourPickedFn = void (*)(const PixelColour* colour);

// A tool switches colour picking on with its callback and off again when it closes or picking
// ends.
void SetColourPicking(bool on, ColourPickedFn picked = nullptr);
bool ColourPickingOn();

// WM_MOUSEMOVE of pane 1: with picking on and no button held, the SubWindow's title shows the
// colour under the pointer.
void PaneColourReadout(WPARAM keys, LPARAM point);

} // namespace qv
