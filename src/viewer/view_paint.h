// The arithmetic of painting a surface: which margins to fill, which part of the bottom-up image
// to stretch where, the stretch mode, the background brushes and the navigator's thumbnail and
// marker. The window layer turns these into GDI calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "viewer/view_geometry.h"

namespace qv {

// SetStretchBltMode values.
constexpr int32_t kStretchColorOnColor = 3;
constexpr int32_t kStretchHalftone = 4;

// GetStockObject indices of the five backgrounds, in BgColor order.
constexpr int32_t kStockWhiteBrush = 0;
constexpr int32_t kStockLightGreyBrush = 1;
constexpr int32_t kStockGreyBrush = 2;
constexpr int32_t kStockDarkGreyBrush = 3;
constexpr int32_t kStockBlackBrush = 4;

constexpr uint32_t kBandPenColour = 0x808080; // grey 128,128,128 for the XOR pen

constexpr int32_t kNavigatorWidth = 160;
constexpr int32_t kNavigatorHeight = 120;

// The stock brush of a BgColor value; out-of-range values take `fallback` (the slot's default).
int32_t BackgroundStockBrush(int32_t bgColor, int32_t fallback);
// The background brush of a surface; the navigator takes that of the surface it navigates.
int32_t SurfaceBackgroundBrush(const ViewSettings& s, DisplayMode surface);
// The colour (red | green << 8 | blue << 16) that stock brush paints.
uint32_t BackgroundColour(int32_t bgColor, int32_t fallback);
// Text on the background: white on grey, dark grey and black, black otherwise.
uint32_t BackgroundTextColour(int32_t bgColor);
// BgColor for one of the background commands; false for other numbers.
bool BackgroundFromCommand(int32_t command, int32_t* bgColor);

// Stretch mode of the ViewWindow and full screen (dragScrolling: a right-button drag is under way).
int32_t ViewWindowStretchMode(const ViewGeometry& g, int32_t sthMode, bool dragScrolling);
// Stretch mode of the SubWindow panes: sharp blocks at 100 % and above.
int32_t PaneStretchMode(const ViewGeometry& g);

struct PaintPlan {
    int32_t fillCount = 0;
    ViewRect fills[4]; // background strips (exclusive right and bottom)
    bool drawImage = false;
    ViewRect destination; // where the image is stretched to
    int32_t sourceX = 0;  // in the bottom-up pixel block
    int32_t sourceY = 0;
    int32_t sourceWidth = 0;
    int32_t sourceHeight = 0;
};

// What one WM_PAINT draws: without an image the whole client is background; with one only the
// margins around the drawn image are filled.
PaintPlan PlanPaint(const ViewGeometry& g);

struct NavigatorLayout {
    bool valid = false;
    double scale = 0;
    ViewRect thumbnail; // exclusive right and bottom, inside the 160 x 120 client
    ViewRect marker;    // the visible part; inclusive corners, drawn as an outline
};

NavigatorLayout LayoutNavigator(const ViewGeometry& g);

// The outline of a rectangle with inclusive corners, as MoveToEx to the first point and LineTo
// through the rest: every pixel of the outline is drawn once, so XOR drawing twice removes it.
void OutlinePoints(ViewRect inclusive, ViewPoint out[5]);

// "125%" and the like; returns the length written (always terminated when capacity > 0).
size_t FormatZoomPercent(double zoom, wchar_t* out, size_t capacity);

} // namespace qv
