#include "viewer/view_geometry.h"

#include <algorithm>
#include <cmath>

#include "viewer/view_commands.h"

namespace qv {
namespace {

int32_t Clamp32(int32_t v, int32_t lo, int32_t hi) {
    if (hi < lo) hi = lo;
    return v < lo ? lo : (v > hi ? hi : v);
}

// One direction of the layout (x or y).
void LayoutAxis(int32_t client, int32_t scaled, int32_t image, double zoom, int32_t* centre, int32_t* displayPos,
                int32_t* displaySize, int32_t* sourcePos, int32_t* sourceSize) {
    if (image <= 0) {
        *centre = *displayPos = *displaySize = *sourcePos = *sourceSize = 0;
        return;
    }
    if (client < scaled) {
        *displayPos = 0;
        *displaySize = client;
        int32_t size = RoundHalfUp(client / zoom);
        // A client narrower than one enlarged pixel still shows that pixel rather than nothing.
        if (size < 1 && client > 0) size = 1;
        if (size > image) size = image;
        *sourceSize = size;
        *sourcePos = Clamp32(*centre - size / 2, 0, image - size);
    } else {
        *displaySize = scaled;
        *displayPos = (client - scaled) / 2;
        *sourcePos = 0;
        *sourceSize = image;
    }
    *centre = *sourcePos + *sourceSize / 2;
}

int32_t PointAxis(int32_t client, int32_t displayPos, int32_t displaySize, int32_t sourcePos, int32_t sourceSize,
                  int32_t image) {
    if (image <= 0) return 0;
    int32_t offset = 0;
    if (displaySize > 0) {
        // (d - s) / 2 is halved exactly: halving it as an integer drops half a pixel when d - s is
        // odd and then picks the neighbour of the pixel drawn under the point.
        double num = static_cast<double>(sourceSize) * (static_cast<double>(client) - displayPos) -
                     (static_cast<double>(displaySize) - sourceSize) / 2.0;
        double r = std::round(num / displaySize);
        r = std::clamp(r, -2147483648.0, 2147483647.0);
        offset = static_cast<int32_t>(r);
    }
    int64_t x = static_cast<int64_t>(sourcePos) + offset;
    return static_cast<int32_t>(std::clamp<int64_t>(x, 0, image - 1));
}

// Steps of 0.1 collect binary rounding errors (0.5 + 5 x 0.1 != 1.0); drop them so that a zoom
// stepped back to 100 % is exactly 1.0 again. Zooms that are not near a 0.001 grid are kept.
double DropStepDrift(double zoom) {
    double grid = std::round(zoom * 1000.0) / 1000.0;
    return std::fabs(zoom - grid) < 1e-9 ? grid : zoom;
}

int32_t AtLeast(int32_t v, int32_t lo) {
    return v < lo ? lo : v;
}

ScrollBarInfo BarFor(int32_t image, int32_t sourceSize, int32_t sourcePos) {
    ScrollBarInfo bar;
    bar.shown = true;
    bar.minimum = 0;
    bar.maximum = image > 0 ? image - 1 : 0;
    bar.page = sourceSize;
    bar.position = sourcePos;
    return bar;
}

} // namespace

int32_t RoundHalfUp(double value) {
    double r = value + 0.5;
    if (!(r > -2147483648.0)) return INT32_MIN; // also catches NaN
    if (r >= 2147483647.0) return INT32_MAX;
    return static_cast<int32_t>(r);
}

double ClampZoom(double zoom) {
    if (!(zoom >= kMinZoom)) return kMinZoom; // NaN too
    return zoom > kMaxZoom ? kMaxZoom : zoom;
}

ViewSize ScaleImage(double zoom, int32_t imageWidth, int32_t imageHeight) {
    ViewSize s;
    s.width = AtLeast(RoundHalfUp(imageWidth * zoom), 1);
    s.height = AtLeast(RoundHalfUp(imageHeight * zoom), 1);
    return s;
}

void ScaleView(ViewGeometry* g) {
    ViewSize s = ScaleImage(g->zoom, g->imageWidth, g->imageHeight);
    g->scaledWidth = s.width;
    g->scaledHeight = s.height;
}

void LayoutView(ViewGeometry* g) {
    int32_t cw = AtLeast(g->clientWidth, 0);
    int32_t ch = AtLeast(g->clientHeight, 0);
    LayoutAxis(cw, g->scaledWidth, g->imageWidth, g->zoom, &g->centreX, &g->displayLeft, &g->displayWidth,
               &g->sourceLeft, &g->sourceWidth);
    LayoutAxis(ch, g->scaledHeight, g->imageHeight, g->zoom, &g->centreY, &g->displayTop, &g->displayHeight,
               &g->sourceTop, &g->sourceHeight);
}

double FitZoom(int32_t availableWidth, int32_t availableHeight, int32_t imageWidth, int32_t imageHeight) {
    double w = imageWidth > 0 ? imageWidth : 1;
    double h = imageHeight > 0 ? imageHeight : 1;
    return ClampZoom(std::min(availableWidth / w, availableHeight / h));
}

void SetViewImage(ViewGeometry* g, int32_t imageWidth, int32_t imageHeight, DisplayMode surface, ViewSize screen) {
    g->imageWidth = AtLeast(imageWidth, 0);
    g->imageHeight = AtLeast(imageHeight, 0);
    g->centreX = g->imageWidth / 2;
    g->centreY = g->imageHeight / 2;
    bool wider = g->imageWidth > screen.width;
    bool taller = g->imageHeight > screen.height;
    g->largeImage = surface == DisplayMode::SubWindow ? (wider && taller) : (wider || taller);
    ScaleView(g);
}

void SetViewClient(ViewGeometry* g, int32_t clientWidth, int32_t clientHeight) {
    g->clientWidth = AtLeast(clientWidth, 0);
    g->clientHeight = AtLeast(clientHeight, 0);
}

bool ApplyZoomCommand(ViewGeometry* g, int32_t command, ViewSize fitArea) {
    double z = g->zoom;
    switch (command) {
    case kCmdZoomActual: z = 1.0; break;
    case kCmdZoomIn:
        if (z < kMaxZoom) z = std::min(z * 2.0, kMaxZoom);
        break;
    case kCmdZoomOut:
        if (z > kMinZoom) z = std::max(z * 0.5, kMinZoom);
        break;
    case kCmdZoom1000: z = 10.0; break;
    case kCmdZoom400: z = 4.0; break;
    case kCmdZoom200: z = 2.0; break;
    case kCmdZoom50: z = 0.5; break;
    case kCmdZoom25: z = 0.25; break;
    case kCmdZoom10: z = 0.1; break;
    case kCmdZoomStepIn: z = DropStepDrift(std::min(z + 0.1, kMaxZoom)); break;
    case kCmdZoomStepOut: z = DropStepDrift(std::max(z - 0.1, kMinZoom)); break;
    case kCmdZoomFit: z = FitZoom(fitArea.width, fitArea.height, g->imageWidth, g->imageHeight); break;
    case kCmdZoomFitOrActual:
        z = g->zoom == 1.0 ? FitZoom(fitArea.width, fitArea.height, g->imageWidth, g->imageHeight) : 1.0;
        break;
    default: return false;
    }
    if (z != g->zoom) {
        g->zoom = z;
        ScaleView(g);
    }
    return true;
}

ViewSize FitArea(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m) {
    ViewSize area;
    switch (m.surface) {
    case DisplayMode::FullScreen:
        area.width = m.monitor.Width();
        area.height = m.monitor.Height();
        break;
    case DisplayMode::SubWindow: area = m.pane; break;
    case DisplayMode::ViewWindow:
        if (s.FitWin) {
            // the frame of a captioned window with CapBar, none otherwise (the hover frame is
            // shown only while the pointer is over the window)
            WindowFrame f = s.CapBar ? m.captionFrame : WindowFrame{};
            area.width = m.workArea.Width() - f.Width();
            area.height = m.workArea.Height() - f.Height();
        } else {
            area.width = g.clientWidth;
            area.height = g.clientHeight;
        }
        break;
    }
    return area;
}

bool ApplyFitRule(ViewGeometry* g, ViewSize available, bool shrink, bool enlarge) {
    ScaleView(g);
    bool fits = g->scaledWidth < available.width && g->scaledHeight < available.height;
    if (fits ? enlarge : shrink) {
        g->zoom = FitZoom(available.width, available.height, g->imageWidth, g->imageHeight);
        ScaleView(g);
        return true;
    }
    return false;
}

bool ScrollViewBy(ViewGeometry* g, int32_t dx, int32_t dy) {
    if (g->imageWidth <= 0 || g->imageHeight <= 0) return false;
    int64_t x = static_cast<int64_t>(g->sourceLeft) + dx;
    int64_t y = static_cast<int64_t>(g->sourceTop) + dy;
    int32_t left = static_cast<int32_t>(std::clamp<int64_t>(x, 0, AtLeast(g->imageWidth - g->sourceWidth, 0)));
    int32_t top = static_cast<int32_t>(std::clamp<int64_t>(y, 0, AtLeast(g->imageHeight - g->sourceHeight, 0)));
    bool moved = left != g->sourceLeft || top != g->sourceTop;
    g->sourceLeft = left;
    g->sourceTop = top;
    g->centreX = left + g->sourceWidth / 2;
    g->centreY = top + g->sourceHeight / 2;
    return moved;
}

// PointAxis rounds s (c - dp) / d - (d - s) / 2d to the nearest pixel, so pixel i starts at the
// first c with c >= dp + (i - sp) d / s - 1/2, that is at dp + ceil(((i - sp) 2d - s) / 2s).
int32_t ImageAxisToPoint(int32_t image, int32_t displayPos, int32_t displaySize, int32_t sourcePos,
                         int32_t sourceSize) {
    if (sourceSize <= 0) return displayPos;
    int64_t num = 2 * (static_cast<int64_t>(image) - sourcePos) * displaySize - sourceSize;
    int64_t den = 2 * static_cast<int64_t>(sourceSize);
    int64_t q = num / den;
    if (num % den != 0 && num > 0) ++q; // ceiling; the division truncated towards zero
    int64_t c = displayPos + q;
    return static_cast<int32_t>(std::clamp<int64_t>(c, INT32_MIN, INT32_MAX));
}

ViewPoint ImageToPoint(const ViewGeometry& g, ViewPoint image) {
    return ViewPoint{ImageAxisToPoint(image.x, g.displayLeft, g.displayWidth, g.sourceLeft, g.sourceWidth),
                     ImageAxisToPoint(image.y, g.displayTop, g.displayHeight, g.sourceTop, g.sourceHeight)};
}

ViewPoint PointToImage(const ViewGeometry& g, ViewPoint client) {
    ViewPoint p;
    p.x = PointAxis(client.x, g.displayLeft, g.displayWidth, g.sourceLeft, g.sourceWidth, g.imageWidth);
    p.y = PointAxis(client.y, g.displayTop, g.displayHeight, g.sourceTop, g.sourceHeight, g.imageHeight);
    return p;
}

bool PointOnImage(const ViewGeometry& g, ViewPoint client) {
    return g.imageWidth > 0 && g.imageHeight > 0 && client.x >= g.displayLeft &&
           client.x < g.displayLeft + g.displayWidth && client.y >= g.displayTop &&
           client.y < g.displayTop + g.displayHeight;
}

WindowFrame FittedWindowFrame(const ViewSettings& s, const SurfaceMetrics& m) {
    if (s.CapBar) return m.captionFrame;
    // The thin frame exists only while the hover frame shows; hidden, the client is the window.
    if (s.Frame && m.hoverFrameShown) return m.thinFrame;
    return WindowFrame{};
}

int32_t MinimumContentSize(const ViewSettings& s, const SurfaceMetrics& m) {
    if (!s.CapBar) return 1;
    return AtLeast(m.minTrackWidth - m.captionFrame.Width(), 1);
}

ViewSize FittedWindowSize(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m) {
    WindowFrame f = FittedWindowFrame(s, m);
    int32_t minContent = MinimumContentSize(s, m);
    int64_t cw = AtLeast(g.scaledWidth, minContent);
    int64_t ch = AtLeast(g.scaledHeight, minContent);
    ViewSize w;
    w.width = static_cast<int32_t>(std::min<int64_t>(m.workArea.Width(), cw + f.Width()));
    w.height = static_cast<int32_t>(std::min<int64_t>(m.workArea.Height(), ch + f.Height()));
    return w;
}

ViewRect FitWindowRect(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m, ViewSize* client) {
    WindowFrame f = FittedWindowFrame(s, m);
    int32_t minContent = MinimumContentSize(s, m);
    int32_t cw = AtLeast(g.scaledWidth, minContent);
    int32_t ch = AtLeast(g.scaledHeight, minContent);
    ViewSize size = FittedWindowSize(g, s, m);
    int32_t x = m.clientCentre.x - cw / 2 - f.left;
    int32_t y = m.clientCentre.y - ch / 2 - f.top;
    x = x >= m.workArea.left ? std::min(x, m.workArea.right - size.width) : m.workArea.left;
    y = y >= m.workArea.top ? std::min(y, m.workArea.bottom - size.height) : m.workArea.top;
    if (client) {
        client->width = AtLeast(size.width - f.Width(), 0);
        client->height = AtLeast(size.height - f.Height(), 0);
    }
    return ViewRect{x, y, x + size.width, y + size.height};
}

ViewSize MinimumTrackSize(const ViewSettings& s, const SurfaceMetrics& m) {
    WindowFrame f = FittedWindowFrame(s, m);
    int32_t minContent = MinimumContentSize(s, m);
    return ViewSize{f.Width() + minContent, f.Height() + minContent};
}

bool IsCornerEdge(int32_t edge) {
    return edge == kSizeTopLeft || edge == kSizeTopRight || edge == kSizeBottomLeft || edge == kSizeBottomRight;
}

ViewRect CornerResize(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m, int32_t edge,
                      ViewRect proposed) {
    ViewRect r = proposed;
    if (g.imageWidth <= 0 || g.imageHeight <= 0) return r;
    WindowFrame f = FittedWindowFrame(s, m);
    if (IsCornerEdge(edge)) {
        int32_t minContent = MinimumContentSize(s, m);
        int64_t sum = static_cast<int64_t>(proposed.Width() - f.Width()) + (proposed.Height() - f.Height());
        double h = static_cast<double>(g.imageHeight) * static_cast<double>(sum) /
                   (static_cast<double>(g.imageWidth) + g.imageHeight);
        int32_t ch = RoundHalfUp(h);
        int32_t cw = static_cast<int32_t>(std::clamp<int64_t>(sum - ch, INT32_MIN, INT32_MAX));
        cw = AtLeast(cw, minContent);
        ch = AtLeast(ch, minContent);
        int32_t ww = cw + f.Width();
        int32_t wh = ch + f.Height();
        bool left = edge == kSizeTopLeft || edge == kSizeBottomLeft;
        bool top = edge == kSizeTopLeft || edge == kSizeTopRight;
        if (left)
            r.left = r.right - ww;
        else
            r.right = r.left + ww;
        if (top)
            r.top = r.bottom - wh;
        else
            r.bottom = r.top + wh;
        return r;
    }
    ViewSize fitted = FittedWindowSize(g, s, m);
    if ((edge == kSizeLeft || edge == kSizeRight) && r.Width() > fitted.width) {
        if (edge == kSizeLeft)
            r.left = r.right - fitted.width;
        else
            r.right = r.left + fitted.width;
    }
    if ((edge == kSizeTop || edge == kSizeBottom) && r.Height() > fitted.height) {
        if (edge == kSizeTop)
            r.top = r.bottom - fitted.height;
        else
            r.bottom = r.top + fitted.height;
    }
    return r;
}

PaneScrollBars DecidePaneScrollBars(ViewGeometry* g, bool scrollBarsOn, ViewSize pane, int32_t vScrollWidth,
                                    int32_t hScrollHeight) {
    int32_t W = pane.width, H = pane.height, V = vScrollWidth, B = hScrollHeight;
    int32_t sw = g->scaledWidth, sh = g->scaledHeight;
    bool hbar = false, vbar = false;
    int32_t cw = W, ch = H;
    if (scrollBarsOn && g->imageWidth > 0 && g->imageHeight > 0) {
        if (W < sw) {
            hbar = true;
            ch = H - B;
            if (ch < sh) {
                cw = W - V;
                vbar = true;
            }
        } else if (W - V >= sw) {
            if (H < sh) {
                cw = W - V;
                vbar = true;
            }
        } else if (H < sh) {
            hbar = vbar = true;
            cw = W - V;
            ch = H - B;
        }
    }
    SetViewClient(g, cw, ch);
    LayoutView(g);
    return PaneScrollBarValues(*g, hbar, vbar);
}

PaneScrollBars PaneScrollBarValues(const ViewGeometry& g, bool horizontalShown, bool verticalShown) {
    PaneScrollBars bars;
    if (horizontalShown) bars.horizontal = BarFor(g.imageWidth, g.sourceWidth, g.sourceLeft);
    if (verticalShown) bars.vertical = BarFor(g.imageHeight, g.sourceHeight, g.sourceTop);
    return bars;
}

bool ApplyScrollBarAction(ViewGeometry* g, bool vertical, int32_t code, int32_t trackPosition) {
    int32_t image = vertical ? g->imageHeight : g->imageWidth;
    int32_t source = vertical ? g->sourceHeight : g->sourceWidth;
    int32_t current = vertical ? g->sourceTop : g->sourceLeft;
    if (image <= 0) return false;
    int64_t pos = current;
    switch (code) {
    case kScrollLineUp: pos -= 20; break;
    case kScrollLineDown: pos += 20; break;
    case kScrollPageUp: pos -= source; break;
    case kScrollPageDown: pos += source; break;
    case kScrollThumbTrack: pos = trackPosition; break;
    case kScrollTop: pos = 0; break;
    case kScrollBottom: pos = image - 1; break;
    default: return false; // the final thumb position repeats the last track position
    }
    pos = std::clamp<int64_t>(pos, 0, AtLeast(image - source, 0));
    if (pos == current) return false;
    int32_t delta = static_cast<int32_t>(pos - current);
    return vertical ? ScrollViewBy(g, 0, delta) : ScrollViewBy(g, delta, 0);
}

ViewPoint ClampIntoDisplay(const ViewGeometry& g, ViewPoint client) {
    ViewPoint p;
    p.x = Clamp32(client.x, g.displayLeft, g.displayLeft + g.displayWidth - 1);
    p.y = Clamp32(client.y, g.displayTop, g.displayTop + g.displayHeight - 1);
    return p;
}

ViewRect NormaliseBand(ViewPoint a, ViewPoint b) {
    return ViewRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

int32_t ZoomPercent(double zoom) {
    return RoundHalfUp(zoom * 100.0);
}

ViewSettings ViewSettingsFrom(const Settings& st) {
    ViewSettings s;
    s.WheelRev = st.WheelRev;
    s.SthMode = st.SthMode;
    s.BgColor = st.BgColor;
    s.FitWin = st.FitWin;
    s.CapBar = st.CapBar;
    s.Frame = st.Frame;
    s.NMZoom = st.NMZoom;
    s.VSmall = st.VSmall;
    s.NVLarge = st.NVLarge;
    s.FLZoom = st.FLZoom;
    s.FSDown = st.FSDown;
    s.FSUp = st.FSUp;
    s.Wheel = st.Wheel;
    s.FSWheel = st.FSWheel;
    s.FSAreaZm = st.FSAreaZm;
    s.SWBgColor = st.SwinBgColor;
    s.SWZoom = st.SWZoom;
    s.SWSmall = st.SWSmall;
    s.SWLarge = st.SWLarge;
    s.SWWheel = st.SWWheel;
    s.SWAreaZm = st.SWAreaZm;
    s.ScrlBar = st.ScrlBar;
    return s;
}

} // namespace qv
