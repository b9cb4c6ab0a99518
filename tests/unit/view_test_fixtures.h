// Views and surface metrics shared by the geometry, input and paint tests.
#pragma once

#include <cstdint>

#include "viewer/view_commands.h"
#include "viewer/view_geometry.h"

namespace qv::test {

// A ViewWindow view of an `imageW` x `imageH` image in a client of `clientW` x `clientH`.
inline ViewGeometry Geometry(int32_t imageW, int32_t imageH, int32_t clientW, int32_t clientH, double zoom) {
    ViewGeometry g;
    SetViewImage(&g, imageW, imageH, DisplayMode::ViewWindow, ViewSize{1920, 1080});
    SetViewClient(&g, clientW, clientH);
    g.zoom = zoom;
    ScaleView(&g);
    LayoutView(&g);
    return g;
}

// A 1920 x 1080 desktop with a 40-pixel task bar and the usual frame sizes.
inline SurfaceMetrics DesktopMetrics(DisplayMode surface) {
    SurfaceMetrics m;
    m.surface = surface;
    m.monitor = ViewRect{0, 0, 1920, 1080};
    m.workArea = ViewRect{0, 0, 1920, 1040};
    m.captionFrame = WindowFrame{8, 31, 8, 8};
    m.thinFrame = WindowFrame{4, 4, 4, 4};
    m.minTrackWidth = 136;
    m.screen = ViewSize{1920, 1080};
    m.clientCentre = ViewPoint{960, 520};
    m.pane = ViewSize{600, 400};
    m.vScrollWidth = 17;
    m.hScrollHeight = 17;
    return m;
}

} // namespace qv::test
