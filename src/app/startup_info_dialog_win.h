// The start-up information dialog: the mouse controls, shown at start-up while MouseInfo is on
// and on demand from the help menu. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// Runs the language module's template 4500 modally, centred on `owner`. The check box starts
// ticked when `*mouseInfo` is already off; OK stores the opposite of the box in `*mouseInfo`,
// Cancel leaves it alone. False when the dialog could not be shown.
bool RunStartupInfoDialog(HWND owner, int32_t fontHeight, bool* mouseInfo);

} // namespace qv
