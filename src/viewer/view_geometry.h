// Where and how large the current image appears on a display surface: zoom, the visible part of
// the image, its place in the client area, fitting, scrolling and the window fitted around the
// image. Pure arithmetic on 32-bit integers and one double zoom factor; the window layer measures
// the screen, feeds the sizes in and applies what comes back.
#pragma once

#include <cstdint>

#include "model/display_mode.h"
#include "model/settings.h"

namespace qv {

constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 16.0;

struct ViewPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const ViewPoint&) const = default;
};

struct ViewSize {
    int32_t width = 0;
    int32_t height = 0;
    bool operator==(const ViewSize&) const = default;
};

// A Win32-style rectangle: right and bottom are exclusive unless a comment says otherwise.
struct ViewRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const ViewRect&) const = default;
};

// Thickness of a window's non-client parts on each side (all >= 0).
struct WindowFrame {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    int32_t Width() const { return left + right; }
    int32_t Height() const { return top + bottom; }
};

struct ViewGeometry {
    int32_t displayLeft = 0;
    int32_t displayTop = 0;
    int32_t displayWidth = 0;
    int32_t displayHeight = 0;
    int32_t sourceLeft = 0;
    int32_t sourceTop = 0;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
    int32_t centreX = 0;
    int32_t centreY = 0;
    int32_t clientWidth = 0;
    int32_t clientHeight = 0;
    int32_t scaledWidth = 1;
    int32_t scaledHeight = 1;
    double zoom = 1.0;
    // Size of the image shown (0 x 0 without an image), kept here so that every operation sees it.
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    // Doubles the keyboard and drag scroll step.
    bool largeImage = false;
};

// The settings the viewer's geometry, input and painting read, named after their keys. The two
// BgColor slots (ViewWindow and SubWindow sections) share a key, so the SubWindow's is SWBgColor.
struct ViewSettings {
    bool WheelRev = false;
    int32_t SthMode = 4;
    int32_t BgColor = 2;
    bool FitWin = true;
    bool CapBar = true;
    bool Frame = true;
    bool NMZoom = false;
    bool VSmall = true;
    bool NVLarge = false;
    bool FLZoom = false;
    bool FSDown = true;
    bool FSUp = false;
    bool Wheel = false;
    bool FSWheel = false;
    bool FSAreaZm = true;
    int32_t SWBgColor = 1;
    bool SWZoom = false;
    bool SWSmall = true;
    bool SWLarge = false;
    bool SWWheel = false;
    bool SWAreaZm = true;
    bool ScrlBar = true;
};

// The one conversion from the Settings record.
ViewSettings ViewSettingsFrom(const Settings& settings);

// What the window layer measured for the surface. Screen coordinates throughout.
struct SurfaceMetrics {
    DisplayMode surface = DisplayMode::ViewWindow;
    ViewRect monitor;         // the whole monitor of the ViewWindow
    ViewRect workArea;        // that monitor's work area
    WindowFrame captionFrame; // frame of a captioned sizable window
    WindowFrame thinFrame;    // frame of a thin sizable window (the hover frame)
    bool hoverFrameShown = false;
    int32_t minTrackWidth = 0; // the system minimum window width
    ViewSize screen;           // the primary screen size, for the large-image flag
    ViewPoint clientCentre;    // centre of the ViewWindow's client area on the screen
    ViewSize pane;             // client size of a SubWindow pane, scroll bars included
    bool maximised = false;    // the ViewWindow is maximised: a fitted window keeps its place
    int32_t vScrollWidth = 0;  // width of a vertical scroll bar
    int32_t hScrollHeight = 0; // height of a horizontal scroll bar
};

struct ScrollBarInfo {
    bool shown = false;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t page = 0;
    int32_t position = 0;
};

struct PaneScrollBars {
    ScrollBarInfo horizontal;
    ScrollBarInfo vertical;
};

// Scroll-bar request codes, the SB_* values of WM_HSCROLL / WM_VSCROLL.
constexpr int32_t kScrollLineUp = 0;
constexpr int32_t kScrollLineDown = 1;
constexpr int32_t kScrollPageUp = 2;
constexpr int32_t kScrollPageDown = 3;
constexpr int32_t kScrollThumbPosition = 4;
constexpr int32_t kScrollThumbTrack = 5;
constexpr int32_t kScrollTop = 6;
constexpr int32_t kScrollBottom = 7;
constexpr int32_t kScrollEnd = 8;

// Sizing edges, the WMSZ_* values of WM_SIZING.
constexpr int32_t kSizeLeft = 1;
constexpr int32_t kSizeRight = 2;
constexpr int32_t kSizeTop = 3;
constexpr int32_t kSizeTopLeft = 4;
constexpr int32_t kSizeTopRight = 5;
constexpr int32_t kSizeBottom = 6;
constexpr int32_t kSizeBottomLeft = 7;
constexpr int32_t kSizeBottomRight = 8;

// (int)(value + 0.5), saturated to the 32-bit range.
int32_t RoundHalfUp(double value);
double ClampZoom(double zoom);

// Image size x zoom, rounded half up, at least 1 in each direction.
ViewSize ScaleImage(double zoom, int32_t imageWidth, int32_t imageHeight);
// Recomputes the scaled size from the zoom.
void ScaleView(ViewGeometry* g);
// Display and source rectangles from the client size, scaled size, zoom and centre; corrects the
// centre. Without an image everything but the client size becomes 0.
void LayoutView(ViewGeometry* g);
// The zoom that fits the image into the area, clamped to the zoom limits.
double FitZoom(int32_t availableWidth, int32_t availableHeight, int32_t imageWidth, int32_t imageHeight);

// Replaces the image: size, centre at the image centre, large-image flag for the surface.
void SetViewImage(ViewGeometry* g, int32_t imageWidth, int32_t imageHeight, DisplayMode surface, ViewSize screen);
void SetViewClient(ViewGeometry* g, int32_t clientWidth, int32_t clientHeight);

// Zoom for a zoom command (table of the zoom commands); `fitArea` is what the Fit command fits
// into. Returns false for a number that is not a zoom command. Scales but does not lay out.
bool ApplyZoomCommand(ViewGeometry* g, int32_t command, ViewSize fitArea);
// The area the Fit command fits into on this surface.
ViewSize FitArea(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m);
// Rule R: Fit when the scaled image fits strictly inside the area and `enlarge` is on, or when it
// does not and `shrink` is on. Scales; returns true when the zoom was refitted.
bool ApplyFitRule(ViewGeometry* g, ViewSize available, bool shrink, bool enlarge);

// Moves the visible part by dx, dy image pixels; returns true when it moved.
bool ScrollViewBy(ViewGeometry* g, int32_t dx, int32_t dy);
// The image pixel under a client point, clamped to the image.
ViewPoint PointToImage(const ViewGeometry& g, ViewPoint client);
// The first client pixel (left, top) that shows image pixel `image`: the inverse of PointToImage
// for drawing over the image; may lie outside the client for pixels out of view.
ViewPoint ImageToPoint(const ViewGeometry& g, ViewPoint image);
// True when the client point lies on the drawn image.
bool PointOnImage(const ViewGeometry& g, ViewPoint client);

// The frame the ViewWindow has around its client while fitted to the image.
WindowFrame FittedWindowFrame(const ViewSettings& s, const SurfaceMetrics& m);
// The smallest client size a fitted ViewWindow keeps (both directions).
int32_t MinimumContentSize(const ViewSettings& s, const SurfaceMetrics& m);
// The window rectangle that fits the scaled image around the current client centre, kept inside
// the work area; `client` receives the client size that window gives.
ViewRect FitWindowRect(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m, ViewSize* client);
// The window size a fitted ViewWindow has at the current zoom.
ViewSize FittedWindowSize(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m);
// Minimum track size of a fitted ViewWindow (WM_GETMINMAXINFO).
ViewSize MinimumTrackSize(const ViewSettings& s, const SurfaceMetrics& m);
// Corrects a proposed window rectangle during WM_SIZING: edges stop at the fitted size, corners
// keep the image's aspect ratio with the opposite corner fixed.
ViewRect CornerResize(const ViewGeometry& g, const ViewSettings& s, const SurfaceMetrics& m, int32_t edge,
                      ViewRect proposed);
bool IsCornerEdge(int32_t edge);

// Chooses the pane client size and the scroll bars of the SubWindow panes, then lays out.
PaneScrollBars DecidePaneScrollBars(ViewGeometry* g, bool scrollBarsOn, ViewSize pane, int32_t vScrollWidth,
                                    int32_t hScrollHeight);
// Range, page and position of the bars already decided (after scrolling).
PaneScrollBars PaneScrollBarValues(const ViewGeometry& g, bool horizontalShown, bool verticalShown);
// Applies a scroll-bar request; returns true when the position changed.
bool ApplyScrollBarAction(ViewGeometry* g, bool vertical, int32_t code, int32_t trackPosition);

// The client point moved into the drawn image (inclusive of its last column and row).
ViewPoint ClampIntoDisplay(const ViewGeometry& g, ViewPoint client);
// The rectangle spanned by two corners with left <= right and top <= bottom; all four edges are
// inclusive (the outline passes through both corners).
ViewRect NormaliseBand(ViewPoint a, ViewPoint b);

// The integer percentage shown to the user.
int32_t ZoomPercent(double zoom);

} // namespace qv
