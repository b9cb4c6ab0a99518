// Where the ViewWindow stands: centring it on its monitor (5321), arranging the running instances
// (5351-5355) and the requests they send each other, and the frame's own requests (caption double
// click, maximise) that mean full screen. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

namespace qv {

// 5321 and 5351-5355.
bool HandleArrangeCommand(int32_t command);

// Request 1: move into the cell {x, y, width, height}.
void MoveIntoCellRequest(const int32_t cell[4]);
// Request 2: centre on the monitor and, with FitWin, re-fit to its work area.
void CentreAndRefitRequest();

// WM_NCLBUTTONDBLCLK and WM_SYSCOMMAND of the ViewWindow: true when the message became full
// screen (5530) and must not reach the default handling.
bool ViewWindowFrameRequest(UINT message, WPARAM wParam);

} // namespace qv
