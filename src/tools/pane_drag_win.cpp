#include "tools/pane_drag_win.h"

#include "viewer/view_input_win.h"

namespace qv {

namespace {

// Screen pixels of a drag in image pixels.
int32_t ImageDistance(int32_t screen, int32_t displaySize, int32_t sourceSize) {
    return displaySize > 0 ? static_cast<int32_t>(int64_t{screen} * sourceSize / displaySize) : 0;
}

} // namespace

PaneDragStep FollowPaneDrag(PaneDrag* drag, const ToolPaneMouse& m, int32_t* x, int32_t* y) {
    switch (m.message) {
    case WM_LBUTTONDOWN:
        drag->dragging = true;
        drag->press = m.client;
        drag->atPressX = *x, drag->atPressY = *y;
        return PaneDragStep::Held;
    case WM_MOUSEMOVE: {
        if (!drag->dragging) return PaneDragStep::NotMine;
        if (!(m.keys & MK_LBUTTON)) { // the release went elsewhere
            drag->dragging = false;
            return PaneDragStep::Released;
        }
        const ViewGeometry& g = g_viewState.geometry;
        *x = drag->atPressX + ImageDistance(m.client.x - drag->press.x, g.displayWidth, g.sourceWidth);
        *y = drag->atPressY + ImageDistance(m.client.y - drag->press.y, g.displayHeight, g.sourceHeight);
        return PaneDragStep::Moved;
    }
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED: {
        const bool mine = drag->dragging;
        drag->dragging = false;
        return mine ? PaneDragStep::Released : PaneDragStep::NotMine;
    }
    }
    return PaneDragStep::NotMine;
}

} // namespace qv
