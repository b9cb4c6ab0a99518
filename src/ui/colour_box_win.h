// The "color_box" control: a small field that shows a packed colour and, when clicked, lets the
// user choose another with the colour dialog. Tool bands and dialogs place it like any control.
// Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// The parent hears WM_COMMAND with the control's identifier and this code after the user chose a
// new colour.
constexpr WORD kColourBoxChanged = 1;

LRESULT CALLBACK ColourBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The colour shown (red | green << 8 | blue << 16); setting it repaints without notifying.
void SetColourBoxColour(HWND box, uint32_t colour);
uint32_t ColourBoxColour(HWND box);

} // namespace qv
