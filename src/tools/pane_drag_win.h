// Moving a tool's point (the text's top-left, the overlay's) by dragging on the view: a press
// anywhere takes hold of it, the mouse's path in screen pixels becomes image pixels at the view's
// zoom, and the release (or a capture lost) lets go. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "tools/tool_window_win.h"

namespace qv {

struct PaneDrag {
    bool dragging = false;
    POINT press{};
    int32_t atPressX = 0, atPressY = 0;
};

enum class PaneDragStep { NotMine, Held, Moved, Released };

// Follows one pane message: Moved when *x, *y took a new place.
PaneDragStep FollowPaneDrag(PaneDrag* drag, const ToolPaneMouse& m, int32_t* x, int32_t* y);

} // namespace qv
