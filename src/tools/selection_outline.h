// The two area-selection shapes that follow the mouse: the freehand outline (its point buffer and
// the classing of its pixels) and the brush (discs stamped along the mouse path). Points are image
// coordinates from the top-left pixel and may lie outside the image; planes are bottom-up like
// the mask (see selection_kernel.h).
//
// The tool window calls: on press BeginOutline / BeginBrushStroke; on every mouse move
// AddOutlinePoint (closing the outline at once when it says so) / StampBrushLine from the last
// position; on release FillOutlineShape then CombineShape, or nothing more for the brush.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/selection_kernel.h"

namespace qv {

// ---- the straight-line walk ------------------------------------------------------------------
// Visits the pixels of the line from a to b, both ends included, one per step along the longer
// axis; the other coordinate is the line's rounded (half up) value there. Only the steps whose
// longer-axis coordinate lies in [lo, hi] of that axis are visited, so a far-off segment costs
// nothing; the visitor still sees points outside the other axis's range.
struct LineClip {
    int32_t left, top, right, bottom; // inclusive
};

template <typename Visit> void WalkLine(ImagePoint a, ImagePoint b, const LineClip& clip, Visit&& visit) {
    int64_t dx = int64_t{b.x} - a.x, dy = int64_t{b.y} - a.y;
    int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    bool alongX = adx >= ady;
    int64_t steps = alongX ? adx : ady, minor = alongX ? ady : adx;
    int64_t major0 = alongX ? a.x : a.y, minor0 = alongX ? a.y : a.x;
    int64_t majorSign = (alongX ? dx : dy) < 0 ? -1 : 1, minorSign = (alongX ? dy : dx) < 0 ? -1 : 1;
    int64_t lo = alongX ? clip.left : clip.top, hi = alongX ? clip.right : clip.bottom;
    // the steps i whose major coordinate major0 + sign x i lies in [lo, hi]
    int64_t first = majorSign > 0 ? lo - major0 : major0 - hi, last = majorSign > 0 ? hi - major0 : major0 - lo;
    if (first < 0) first = 0;
    if (last > steps) last = steps;
    for (int64_t i = first; i <= last; ++i) {
        int64_t m = steps == 0 ? 0 : (2 * i * minor + steps) / (2 * steps);
        int64_t major = major0 + majorSign * i, other = minor0 + minorSign * m;
        if (alongX)
            visit(static_cast<int32_t>(major), static_cast<int32_t>(other));
        else
            visit(static_cast<int32_t>(other), static_cast<int32_t>(major));
    }
}

// ---- freehand outline ------------------------------------------------------------------------
constexpr size_t kMaxOutlinePoints = 40000;
// Reaching this many recorded points closes the outline; the closing edge back to the first point
// makes the 40,000th.
constexpr size_t kOutlineClosesAt = kMaxOutlinePoints - 1;

struct FreehandOutline {
    std::vector<ImagePoint> points; // the polygon's corners in the order drawn
};

void BeginOutline(FreehandOutline* outline, ImagePoint start);
// Records the mouse position (a repeat of the last point adds nothing). True when the outline is
// full and must be closed and applied now; further points are not taken.
bool AddOutlinePoint(FreehandOutline* outline, ImagePoint p);

// The outline's pixels: every pixel of the walks between successive corners and back to the first
// is inside, and so is every other pixel in the polygon by the even-odd rule (a part that the
// outline encloses twice, such as the middle of a star drawn in one stroke, or a hole drawn inside
// it, is outside). Corners sit on pixel centres. This is the answer of classing each four-connected
// area that the outline leaves by one pixel of it; computed by rows, in time proportional to the
// rows and crossings rather than to the image. `inside` is width x height, bottom-up.
void FillOutlineShape(uint8_t* inside, int32_t width, int32_t height, const ImagePoint* points, size_t count);

// ---- brush ---------------------------------------------------------------------------------------
// A disc of `diameter` (clamped to 3-128) pixels: the pixels whose centres lie within diameter / 2
// of the disc's centre, which is the centre pixel's centre for odd diameters and its top-left
// corner for even ones. Row r of the disc (top first, at offset top + r from the centre row)
// reaches halfWidth[r] pixels left of the centre column and, rightward, one less for even
// diameters.
struct BrushDisc {
    int32_t diameter = 0;
    int32_t top = 0; // offset of the first row from the centre row (negative)
    std::vector<int32_t> halfWidth;
};
BrushDisc MakeBrushDisc(int32_t diameter);

// Starts a stroke in `mode`: the combine table's outside operation over the whole mask (with no
// mask yet everything becomes protected, or editable in remove mode; in new mode with a mask
// everything is protected again) and the value the discs paint (its inside operation).
uint8_t BeginBrushStroke(uint8_t* mask, size_t count, int32_t mode, bool maskExists);

// Stamps the disc at every pixel of the walk from `from` to `to` (both included), writing `value`.
void StampBrushLine(uint8_t* mask, int32_t width, int32_t height, const BrushDisc& disc, ImagePoint from, ImagePoint to,
                    uint8_t value);

} // namespace qv
