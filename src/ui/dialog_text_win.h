// Reading a dialog control's text whole, whatever its length. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace qv {

// The text of `control` in `dialog`; empty when the control is missing.
std::wstring DialogItemText(HWND dialog, int control);
std::wstring WindowText(HWND window);

} // namespace qv
