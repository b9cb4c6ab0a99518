// The paint brush and the correction brush without a window: the soft round stamps, the walk that
// spaces them along a stroke, the targets each brush moves a pixel towards and the fill. The
// working copy stays unchanged and is the source of every target, so going over a place again
// moves it closer to one application of the brush and never beyond it. Portable.
#pragma once

#include <cstdint>

#include "model/blend_table.h"
#include "tools/filter_tables.h"
#include "tools/selection_kernel.h" // ImagePoint
#include "tools/tone_tables.h"

namespace qv {

constexpr int32_t kBrushSizeMin = 3;
constexpr int32_t kBrushSizeMax = 128;
constexpr int32_t kBrushOpacityMax = 100;
constexpr int32_t kCorrectionValueMin = 1;
constexpr int32_t kCorrectionValueMax = 100;

enum CorrectionMode : int32_t {
    kCorrectLighten,    // the gamma curve G+v
    kCorrectDarken,     // G-v
    kCorrectSaturate,   // saturation +v, hue and lightness kept
    kCorrectDesaturate, // saturation -v
    kCorrectSharpen,    // the 3 x 3 sharpening at strength 2v
    kCorrectSoften,     // the 3 x 3 mean at strength 2v
    kCorrectDenoise,    // the median of the 3 x 3 neighbourhood, channel by channel
    kCorrectRedEye,     // red lowered to the mean of green and blue inside the red hues
    kCorrectionModes,
};

// Modes 6 and 7 have no value of their own: the strength box is off for them.
inline bool CorrectionHasValue(int32_t mode) {
    return mode >= kCorrectLighten && mode <= kCorrectSoften;
}

// The stamp of a diameter (clamped to 3..128): n x n weights, row by row from the top. A cell at
// distance d from the centre weighs 255 - round(255 d / R), at least 0; an odd stamp is centred on
// its middle cell with R = n / 2 + 1, an even one between its middle cells with R = n / 2.
const uint8_t* BrushStamp(int32_t diameter);

// A stamp follows the last one when the walk has gone further than this (|dx| + |dy|).
inline int32_t StrokeSpacing(int32_t diameter) {
    return diameter / 8;
}

// The picture a brush works on: the source (the working copy) and the pixels it paints, both
// 24-bit with rows bottom-up, and the selection mask (255 protected) or null.
struct BrushCanvas {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;
    const uint8_t* source = nullptr;
    uint8_t* pixels = nullptr;
    const uint8_t* mask = nullptr;
};
BrushCanvas MakeBrushCanvas(const uint8_t* source, uint8_t* pixels, int32_t width, int32_t height, const uint8_t* mask);

// What a brush moves a pixel towards, prepared once per stroke.
struct BrushTarget {
    int32_t mode = -1;     // -1 paint, else a CorrectionMode
    uint8_t table[3][256]; // per channel: paint, lighten and darken look the target up here
    int32_t saturation = 0;
    uint8_t strength = 0; // sharpen and soften: k = 2v
    const BlendTable* blend = nullptr;
    const FilterTables* filters = nullptr;
};

// Paint: t = T[a][colour] + T[255 - a][source] with a = P[opacity], colour packed red | green << 8
// | blue << 16.
void PreparePaintTarget(uint32_t colour, int32_t opacity, BrushTarget* target);
// Correction in `mode` (out of range: mode 2) with the mode's value (clamped to 1..100).
void PrepareCorrectionTarget(int32_t mode, int32_t value, BrushTarget* target);

// The target of pixel x of memory row `row`, before the mask, as blue-green-red.
void BrushTargetAt(const BrushCanvas& canvas, const BrushTarget& target, int32_t x, int32_t row, uint8_t* out);

// One stamp centred on image point `at` (counted from the top-left): every pixel under a weight
// F > 0 becomes T[F][t'] + T[255 - F][current], t' the target blended with the source by the mask,
// kept between the current value and t' so that the table's rounding never walks past the target.
void StampBrush(const BrushCanvas& canvas, const BrushTarget& target, int32_t diameter, ImagePoint at);

// A stroke: the first point gets a stamp, then the straight walk to each further point stamps
// where it has gone more than the spacing from the last stamp.
struct BrushStroke {
    int32_t diameter = 24;
    ImagePoint lastStamp;
    ImagePoint lastPoint;
    bool begun = false;
    int32_t stamps = 0; // stamps placed so far
};
void BeginBrushStroke(const BrushCanvas& canvas, const BrushTarget& target, BrushStroke* stroke, ImagePoint at);
void ExtendBrushStroke(const BrushCanvas& canvas, const BrushTarget& target, BrushStroke* stroke, ImagePoint to);

// The fill: the target at weight 255 on every pixel, the mask honoured.
void FillWithBrushTarget(const BrushCanvas& canvas, const BrushTarget& target);

} // namespace qv
