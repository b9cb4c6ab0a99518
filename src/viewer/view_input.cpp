#include "viewer/view_input.h"

#include <cstdlib>

#include "viewer/view_commands.h"

namespace qv {
namespace {

bool HasImage(const ViewGeometry& g) {
    return g.imageWidth > 0 && g.imageHeight > 0;
}

int32_t Distance(ViewPoint a, ViewPoint b) {
    return std::abs(a.x - b.x) + std::abs(a.y - b.y);
}

// After any change of zoom or centre: the SubWindow decides its bars (which set the client), the
// fitted ViewWindow follows the image when asked to, everything else lays out.
void Relayout(ViewState* v, const ViewSettings& s, const SurfaceMetrics& m, bool fitWindow, ViewResponse* r) {
    ViewGeometry* g = &v->geometry;
    if (m.surface == DisplayMode::SubWindow) {
        r->bars = DecidePaneScrollBars(g, s.ScrlBar, m.pane, m.vScrollWidth, m.hScrollHeight);
        v->horizontalBar = r->bars.horizontal.shown;
        v->verticalBar = r->bars.vertical.shown;
        r->actions |= kViewSetScrollBars;
    } else if (m.surface == DisplayMode::ViewWindow && s.FitWin && fitWindow && !m.maximised && HasImage(*g)) {
        ViewSize client;
        r->window = FitWindowRect(*g, s, m, &client);
        SetViewClient(g, client.width, client.height);
        LayoutView(g);
        r->actions |= kViewMoveWindow;
    } else {
        LayoutView(g);
    }
    r->actions |= kViewRepaint | kViewZoomChanged | kViewUpdateNavigator;
}

void AfterScroll(ViewState* v, ViewResponse* r) {
    r->actions |= kViewRepaint | kViewUpdateNavigator;
    if (v->horizontalBar || v->verticalBar) {
        r->bars = PaneScrollBarValues(v->geometry, v->horizontalBar, v->verticalBar);
        r->actions |= kViewSetScrollBars;
    }
}

void EraseBand(ViewState* v, ViewResponse* r) {
    if (!v->bandShown) return;
    r->erasedBand = v->band;
    r->actions |= kViewEraseBand;
    v->bandShown = false;
}

// Ends a right-button drag: the stretch mode and the navigator go back as they were.
void EndRightDrag(ViewState* v, ViewResponse* r) {
    if (v->mouse == MouseMode::DragScrolling) {
        if (v->fastStretch) r->actions |= kViewRestoreStretch | kViewRepaint;
        if (v->navigatorByDrag) r->actions |= kViewHideNavigator;
    } else if (v->mouse == MouseMode::NothingToScroll) {
        r->actions |= kViewRestoreCursor;
    }
    v->fastStretch = false;
    v->navigatorByDrag = false;
}

bool AreaZoomAllowed(const ViewInput& in, const ViewSettings& s, DisplayMode surface) {
    switch (surface) {
    case DisplayMode::FullScreen: return s.FSAreaZm || in.ctrl;
    case DisplayMode::SubWindow: return s.SWAreaZm || in.ctrl;
    case DisplayMode::ViewWindow: return in.ctrl;
    }
    return false;
}

} // namespace

ViewResponse ViewFitOnLoad(ViewState* v, int32_t imageWidth, int32_t imageHeight, const ViewSettings& s,
                           const SurfaceMetrics& m) {
    ViewResponse r;
    ViewGeometry* g = &v->geometry;
    SetViewImage(g, imageWidth, imageHeight, m.surface, m.screen);
    bool keepZoom = false, shrink = false, enlarge = false;
    switch (m.surface) {
    case DisplayMode::FullScreen:
        keepZoom = s.FLZoom;
        shrink = s.FSDown;
        enlarge = s.FSUp;
        break;
    case DisplayMode::ViewWindow:
        keepZoom = s.NMZoom;
        shrink = s.VSmall;
        enlarge = s.NVLarge;
        break;
    case DisplayMode::SubWindow:
        keepZoom = s.SWZoom;
        shrink = s.SWSmall;
        enlarge = s.SWLarge;
        break;
    }
    if (!keepZoom) g->zoom = 1.0;
    g->zoom = ClampZoom(g->zoom);
    if (HasImage(*g)) ApplyFitRule(g, FitArea(*g, s, m), shrink, enlarge);
    ScaleView(g);
    Relayout(v, s, m, true, &r);
    return r;
}

bool IsViewCommand(int32_t command) {
    switch (command) {
    case kCmdZoomFit:
    case kCmdZoomActual:
    case kCmdZoomIn:
    case kCmdZoomOut:
    case kCmdZoom1000:
    case kCmdZoom400:
    case kCmdZoom200:
    case kCmdZoom50:
    case kCmdZoom25:
    case kCmdZoom10:
    case kCmdZoomFitOrActual:
    case kCmdZoomStepIn:
    case kCmdZoomStepOut:
    case kCmdScrollLeft:
    case kCmdScrollRight:
    case kCmdScrollUp:
    case kCmdScrollDown: return true;
    default: return false;
    }
}

ViewResponse ViewRunCommand(ViewState* v, int32_t command, const ViewSettings& s, const SurfaceMetrics& m) {
    ViewResponse r;
    ViewGeometry* g = &v->geometry;
    if (!IsViewCommand(command) || ViewMouseBusy(*v) || !HasImage(*g)) return r;
    if (command >= kCmdScrollLeft && command <= kCmdScrollDown) {
        int32_t step = g->largeImage ? 2 * kScrollStep : kScrollStep;
        bool horizontal = command == kCmdScrollLeft || command == kCmdScrollRight;
        // only where the image is larger than the client
        if (horizontal ? g->scaledWidth <= g->clientWidth : g->scaledHeight <= g->clientHeight) return r;
        if (command == kCmdScrollLeft || command == kCmdScrollUp) step = -step;
        if (horizontal ? ScrollViewBy(g, step, 0) : ScrollViewBy(g, 0, step)) AfterScroll(v, &r);
        return r;
    }
    ApplyZoomCommand(g, command, FitArea(*g, s, m));
    // the fitted ViewWindow follows the image through every zoom change
    Relayout(v, s, m, true, &r);
    return r;
}

ViewResponse ViewSetZoom(ViewState* v, double zoom, const ViewSettings& s, const SurfaceMetrics& m) {
    ViewResponse r;
    ViewGeometry* g = &v->geometry;
    if (ViewMouseBusy(*v) || !HasImage(*g)) return r;
    g->zoom = ClampZoom(zoom);
    ScaleView(g);
    Relayout(v, s, m, true, &r);
    return r;
}

ViewResponse ViewClientSized(ViewState* v, int32_t clientWidth, int32_t clientHeight, const ViewSettings& s,
                             const SurfaceMetrics& m) {
    ViewResponse r;
    ViewGeometry* g = &v->geometry;
    if (m.surface == DisplayMode::SubWindow) {
        SurfaceMetrics pane = m;
        pane.pane = ViewSize{clientWidth, clientHeight};
        Relayout(v, s, pane, false, &r);
        return r;
    }
    SetViewClient(g, clientWidth, clientHeight);
    bool refit = v->cornerSized && m.surface == DisplayMode::ViewWindow && s.FitWin && HasImage(*g);
    v->cornerSized = false;
    if (refit) {
        g->zoom = FitZoom(g->clientWidth, g->clientHeight, g->imageWidth, g->imageHeight);
        ScaleView(g);
    }
    Relayout(v, s, m, refit, &r);
    return r;
}

ViewRect ViewSizing(ViewState* v, int32_t edge, ViewRect proposed, const ViewSettings& s, const SurfaceMetrics& m) {
    if (m.surface != DisplayMode::ViewWindow || !s.FitWin || !HasImage(v->geometry)) return proposed;
    v->cornerSized = IsCornerEdge(edge);
    return CornerResize(v->geometry, s, m, edge, proposed);
}

ViewResponse ViewScrollBar(ViewState* v, bool vertical, int32_t code, int32_t trackPosition) {
    ViewResponse r;
    if (ApplyScrollBarAction(&v->geometry, vertical, code, trackPosition)) AfterScroll(v, &r);
    return r;
}

namespace {

// A press while the other button is down ends whatever that button began (no menu, no band's
// zoom, no move) and waits for this button's release. The mouse stays captured until then.
ViewResponse BeginChord(ViewState* v, bool byLeft, const ViewInput& in) {
    ViewResponse r = ViewCancelMouse(v);
    r.actions &= ~kViewReleaseMouse;
    r.actions |= kViewCaptureMouse;
    v->mouse = MouseMode::Chord;
    v->chordByLeft = byLeft;
    v->chordCommand = in.chordCommand;
    return r;
}

// The first button's release changes nothing; the second's completes the chord.
ViewResponse EndChord(ViewState* v, bool left) {
    ViewResponse r;
    if (left != v->chordByLeft) return r;
    v->mouse = MouseMode::Idle;
    r.actions |= kViewReleaseMouse;
    if (v->chordCommand != 0) {
        r.command = v->chordCommand;
        r.actions |= kViewRunCommand;
    }
    return r;
}

} // namespace

ViewResponse ViewLeftDown(ViewState* v, ViewPoint p, const ViewInput& in, const ViewSettings& s,
                          const SurfaceMetrics& m) {
    if (in.otherButtonHeld) return BeginChord(v, true, in);
    ViewResponse r;
    if (v->mouse != MouseMode::Idle) return r;
    if (m.surface == DisplayMode::FullScreen && in.cursorHidden) {
        r.actions |= kViewShowCursor;
        return r;
    }
    if (AreaZoomAllowed(in, s, m.surface) && PointOnImage(v->geometry, p)) {
        v->mouse = MouseMode::AreaZoom;
        v->pressPoint = v->lastPoint = v->bandCorner = p;
        v->bandShown = false;
        r.actions |= kViewCaptureMouse;
        return r;
    }
    if (m.surface == DisplayMode::ViewWindow && !in.ctrl) {
        v->mouse = MouseMode::LeftPressed;
        v->pressPoint = v->lastPoint = p;
        r.actions |= kViewCaptureMouse;
    }
    return r;
}

ViewResponse ViewMouseMove(ViewState* v, ViewPoint p, const ViewSettings& s, const SurfaceMetrics& m) {
    ViewResponse r;
    ViewGeometry* g = &v->geometry;
    switch (v->mouse) {
    case MouseMode::Idle: break;
    case MouseMode::LeftPressed:
        if (Distance(p, v->pressPoint) > kDragThreshold) {
            // the system's move loop takes the button from here
            v->mouse = MouseMode::Idle;
            r.actions |= kViewReleaseMouse | kViewStartWindowMove;
        }
        break;
    case MouseMode::AreaZoom: {
        ViewPoint corner = ClampIntoDisplay(*g, p);
        EraseBand(v, &r);
        v->bandCorner = corner;
        v->band = NormaliseBand(v->pressPoint, corner);
        v->bandShown = true;
        r.band = v->band;
        r.actions |= kViewDrawBand;
        break;
    }
    case MouseMode::RightPressed:
        if (Distance(p, v->pressPoint) <= kDragThreshold) break;
        if (!HasImage(*g) || (g->clientWidth >= g->scaledWidth && g->clientHeight >= g->scaledHeight)) {
            v->mouse = MouseMode::NothingToScroll;
            r.actions |= kViewNoEntryCursor;
            break;
        }
        v->mouse = MouseMode::DragScrolling;
        if (m.surface != DisplayMode::SubWindow && s.SthMode == 4) {
            v->fastStretch = true;
            r.actions |= kViewFastStretch;
        }
        if (g->clientWidth > kNavigatorDragMinimum && g->clientHeight > kNavigatorDragMinimum) {
            v->navigatorByDrag = true;
            r.actions |= kViewShowNavigator;
        }
        [[fallthrough]]; // the move that starts the drag scrolls too, from the press point
    case MouseMode::DragScrolling: {
        int32_t dx = v->lastPoint.x - p.x;
        int32_t dy = v->lastPoint.y - p.y;
        if (g->largeImage) {
            dx *= 2;
            dy *= 2;
        }
        v->lastPoint = p;
        if (ScrollViewBy(g, dx, dy)) AfterScroll(v, &r);
        break;
    }
    case MouseMode::NothingToScroll:
    case MouseMode::Chord: break;
    }
    return r;
}

ViewResponse ViewLeftUp(ViewState* v, ViewPoint p, const ViewSettings& s, const SurfaceMetrics& m) {
    if (v->mouse == MouseMode::Chord) return EndChord(v, true);
    ViewResponse r;
    ViewGeometry* g = &v->geometry;
    if (v->mouse == MouseMode::LeftPressed) {
        v->mouse = MouseMode::Idle;
        r.actions |= kViewReleaseMouse;
        return r;
    }
    if (v->mouse != MouseMode::AreaZoom) return r;
    v->mouse = MouseMode::Idle;
    r.actions |= kViewReleaseMouse;
    EraseBand(v, &r);
    ViewPoint a = v->pressPoint;
    ViewPoint b = ClampIntoDisplay(*g, p);
    if (std::abs(b.x - a.x) < kAreaZoomMinimum || std::abs(b.y - a.y) < kAreaZoomMinimum) return r;
    ViewPoint ia = PointToImage(*g, a);
    ViewPoint ib = PointToImage(*g, b);
    // the selection counts the pixels between and including both corner pixels
    int32_t w = std::abs(ib.x - ia.x) + 1;
    int32_t h = std::abs(ib.y - ia.y) + 1;
    ViewSize area = FitArea(*g, s, m);
    g->zoom = FitZoom(area.width, area.height, w, h);
    g->centreX = (ia.x + ib.x) / 2;
    g->centreY = (ia.y + ib.y) / 2;
    ScaleView(g);
    Relayout(v, s, m, true, &r);
    return r;
}

ViewResponse ViewRightDown(ViewState* v, ViewPoint p, const ViewInput& in) {
    if (in.otherButtonHeld) return BeginChord(v, false, in);
    ViewResponse r;
    if (v->mouse != MouseMode::Idle) return r;
    v->mouse = MouseMode::RightPressed;
    v->pressPoint = v->lastPoint = p;
    r.actions |= kViewCaptureMouse;
    return r;
}

ViewResponse ViewRightUp(ViewState* v, ViewPoint p) {
    if (v->mouse == MouseMode::Chord) return EndChord(v, false);
    ViewResponse r;
    switch (v->mouse) {
    case MouseMode::RightPressed:
        r.actions |= kViewReleaseMouse | kViewContextMenu;
        r.point = p;
        break;
    case MouseMode::DragScrolling:
    case MouseMode::NothingToScroll:
        EndRightDrag(v, &r);
        r.actions |= kViewReleaseMouse;
        break;
    default: return r;
    }
    v->mouse = MouseMode::Idle;
    return r;
}

ViewResponse ViewMiddleDown(ViewState* v, ViewPoint p, const ViewSettings& s, const SurfaceMetrics& m) {
    ViewGeometry* g = &v->geometry;
    if (ViewMouseBusy(*v) || !HasImage(*g)) return ViewResponse{};
    if (g->zoom == 1.0) return ViewRunCommand(v, kCmdZoomFit, s, m);
    ViewPoint ip = PointToImage(*g, p);
    g->centreX = ip.x;
    g->centreY = ip.y;
    return ViewRunCommand(v, kCmdZoomActual, s, m);
}

ViewResponse ViewWheel(ViewState* v, int32_t delta, uint32_t keyState, const ViewInput& in, const ViewSettings& s,
                       const SurfaceMetrics& m) {
    ViewResponse r;
    if (delta == 0 || !HasImage(v->geometry) || ViewMouseBusy(*v)) return r;
    if (m.surface != DisplayMode::SubWindow && in.slideshowRunning) return r;
    bool ctrl = keyState == kMouseKeyControl;
    bool reversed = m.surface == DisplayMode::ViewWindow   ? s.Wheel
                    : m.surface == DisplayMode::FullScreen ? s.FSWheel
                                                           : s.SWWheel;
    bool towardsUser = delta < 0;
    if (ctrl == reversed) {
        r.command = towardsUser != s.WheelRev ? kCmdZoomStepIn : kCmdZoomStepOut;
    } else {
        if (m.surface == DisplayMode::SubWindow && in.toolOpen) return r;
        r.command = towardsUser ? kCmdNextImage : kCmdPreviousImage;
    }
    r.actions |= kViewRunCommand;
    return r;
}

ViewResponse ViewCancelMouse(ViewState* v) {
    ViewResponse r;
    if (v->mouse == MouseMode::Idle) return r;
    EraseBand(v, &r);
    EndRightDrag(v, &r);
    v->mouse = MouseMode::Idle;
    r.actions |= kViewReleaseMouse;
    return r;
}

bool ViewMouseBusy(const ViewState& v) {
    return v.mouse == MouseMode::DragScrolling || v.mouse == MouseMode::NothingToScroll ||
           v.mouse == MouseMode::AreaZoom || v.mouse == MouseMode::Chord;
}

} // namespace qv
