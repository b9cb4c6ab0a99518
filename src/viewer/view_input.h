// The viewer's reaction to commands, size changes and mouse input on one display surface, as a
// state machine: each call takes the event and what the window layer measured, updates the
// geometry and returns the actions the window layer must carry out (in the order listed below).
//
//   new image, surface switch, leaving full screen  ViewFitOnLoad
//   WM_COMMAND of a zoom or scroll command          ViewRunCommand (IsViewCommand tells which)
//   a zoom typed into the SubWindow's zoom field    ViewSetZoom
//   WM_SIZE                                         ViewClientSized
//   WM_SIZING, WM_GETMINMAXINFO (fitted window)     ViewSizing, MinimumTrackSize
//   WM_HSCROLL, WM_VSCROLL (SubWindow panes)        ViewScrollBar
//   WM_LBUTTONDOWN / WM_MOUSEMOVE / WM_LBUTTONUP    ViewLeftDown / ViewMouseMove / ViewLeftUp
//   WM_RBUTTONDOWN / WM_RBUTTONUP                   ViewRightDown / ViewRightUp
//   WM_MBUTTONDOWN                                  ViewMiddleDown
//   WM_MOUSEWHEEL                                   ViewWheel, then dispatch the command it names
//   WM_CAPTURECHANGED, chord clicks                 ViewCancelMouse
#pragma once

#include <cstdint>

#include "viewer/view_geometry.h"

namespace qv {

enum class MouseMode : int32_t {
    Idle,
    LeftPressed,  // ViewWindow: a plain left press that may become a window move
    RightPressed, // no movement yet: a release opens the context menu
    DragScrolling,
    NothingToScroll, // dragged, but the whole image is visible
    AreaZoom,        // rubber band active
    Chord,           // one button pressed while the other was held: its release runs LRClick
};

// Actions, carried out by the window layer in this order.
enum ViewAction : uint32_t {
    kViewEraseBand = 1u << 0,       // draw `erasedBand` again with the XOR pen
    kViewDrawBand = 1u << 1,        // draw `band` with the XOR pen
    kViewCaptureMouse = 1u << 2,    // SetCapture
    kViewReleaseMouse = 1u << 3,    // ReleaseCapture
    kViewStartWindowMove = 1u << 4, // WM_SYSCOMMAND SC_MOVE + 2
    kViewNoEntryCursor = 1u << 5,
    kViewRestoreCursor = 1u << 6,  // back to the normal pointer
    kViewShowCursor = 1u << 7,     // re-show a hidden cursor
    kViewFastStretch = 1u << 8,    // COLORONCOLOR while drag scrolling
    kViewRestoreStretch = 1u << 9, // back to the chosen stretch mode
    kViewMoveWindow = 1u << 10,    // move and size the ViewWindow to `window` (no Z-order change)
    kViewSetScrollBars = 1u << 11, // SubWindow panes: apply `bars` to both panes
    kViewShowNavigator = 1u << 12,
    kViewHideNavigator = 1u << 13,
    kViewUpdateNavigator = 1u << 14, // the visible part changed: move the navigator's marker
    kViewZoomChanged = 1u << 15,     // refresh the zoom percentage field and the stretch mode
    kViewRepaint = 1u << 16,         // invalidate the whole client without erasing
    kViewContextMenu = 1u << 17,     // open the context menu at `point` (client coordinates)
    kViewRunCommand = 1u << 18,      // dispatch `command` as if chosen from the menu
};

struct ViewResponse {
    uint32_t actions = 0;
    int32_t command = 0;
    ViewRect window;     // screen rectangle for kViewMoveWindow
    ViewRect band;       // inclusive corners, client coordinates
    ViewRect erasedBand; // inclusive corners, client coordinates
    ViewPoint point;
    PaneScrollBars bars;
    bool Has(uint32_t action) const { return (actions & action) != 0; }
};

// One surface's geometry and interaction state (the ViewWindow and full screen share one, the
// SubWindow's panes another).
struct ViewState {
    ViewGeometry geometry;
    MouseMode mouse = MouseMode::Idle;
    ViewPoint pressPoint;
    ViewPoint lastPoint;
    ViewPoint bandCorner;
    ViewRect band;
    bool bandShown = false;
    bool navigatorByDrag = false;
    bool fastStretch = false;
    bool cornerSized = false; // the last WM_SIZING moved a corner: the next WM_SIZE refits
    bool horizontalBar = false;
    bool verticalBar = false;
    bool chordByLeft = false; // the chord's second button, whose release completes it
    int32_t chordCommand = 0;
};

// Facts about the moment of the event that the window layer knows.
struct ViewInput {
    bool ctrl = false;         // Ctrl held with the button press
    bool cursorHidden = false; // full screen hid the cursor
    bool slideshowRunning = false;
    bool toolOpen = false;
    bool otherButtonHeld = false; // a press while the other of left and right is down: a chord
    int32_t chordCommand = 0;     // what a chord runs (the LRClick action)
};

constexpr uint32_t kMouseKeyControl = 0x0008;  // MK_CONTROL
constexpr int32_t kDragThreshold = 8;          // |dx| + |dy| beyond this starts a drag
constexpr int32_t kAreaZoomMinimum = 9;        // smaller bands (screen pixels) do not zoom
constexpr int32_t kScrollStep = 16;            // keyboard scroll, doubled for large images
constexpr int32_t kNavigatorDragMinimum = 240; // client larger than this in both directions

// A newly shown image (0 x 0 for none) or a switch of surface: zoom rule, centre, layout, and for
// the fitted ViewWindow its new rectangle. The geometry's client size must be current.
ViewResponse ViewFitOnLoad(ViewState* v, int32_t imageWidth, int32_t imageHeight, const ViewSettings& s,
                           const SurfaceMetrics& m);
// Zoom, fit and keyboard scroll commands; nothing for other numbers or during a mouse drag.
bool IsViewCommand(int32_t command);
ViewResponse ViewRunCommand(ViewState* v, int32_t command, const ViewSettings& s, const SurfaceMetrics& m);
// A zoom factor chosen directly (clamped to the zoom limits), centre kept.
ViewResponse ViewSetZoom(ViewState* v, double zoom, const ViewSettings& s, const SurfaceMetrics& m);
// WM_SIZE: the new client size (for the SubWindow the pane's client size, bars included).
ViewResponse ViewClientSized(ViewState* v, int32_t clientWidth, int32_t clientHeight, const ViewSettings& s,
                             const SurfaceMetrics& m);
// WM_SIZING of the fitted ViewWindow: the corrected window rectangle.
ViewRect ViewSizing(ViewState* v, int32_t edge, ViewRect proposed, const ViewSettings& s, const SurfaceMetrics& m);
// WM_HSCROLL / WM_VSCROLL of a SubWindow pane.
ViewResponse ViewScrollBar(ViewState* v, bool vertical, int32_t code, int32_t trackPosition);

ViewResponse ViewLeftDown(ViewState* v, ViewPoint p, const ViewInput& in, const ViewSettings& s,
                          const SurfaceMetrics& m);
ViewResponse ViewMouseMove(ViewState* v, ViewPoint p, const ViewSettings& s, const SurfaceMetrics& m);
ViewResponse ViewLeftUp(ViewState* v, ViewPoint p, const ViewSettings& s, const SurfaceMetrics& m);
ViewResponse ViewRightDown(ViewState* v, ViewPoint p, const ViewInput& in);
ViewResponse ViewRightUp(ViewState* v, ViewPoint p);
ViewResponse ViewMiddleDown(ViewState* v, ViewPoint p, const ViewSettings& s, const SurfaceMetrics& m);
// WM_MOUSEWHEEL: `delta` as sent (positive = turned away from the user), `keyState` its key flags.
ViewResponse ViewWheel(ViewState* v, int32_t delta, uint32_t keyState, const ViewInput& in, const ViewSettings& s,
                       const SurfaceMetrics& m);
// Capture lost or the surface is going away: end any drag without its final effect.
ViewResponse ViewCancelMouse(ViewState* v);
// Commands are dropped while this is true.
bool ViewMouseBusy(const ViewState& v);

} // namespace qv
