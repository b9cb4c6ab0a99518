// The per-colour tone tools whose output channels depend on the whole colour: greyscale with
// channel weights, shadow and highlight correction, colour balance and the colour filter (both
// through the luminance-keeping colour shift), and colour replacement. Each has its parameter
// record, a Prepare that builds the per-recompute tables into an op record, and that op's pass
// (see tone_kernel.h). The tool window prepares again whenever a parameter changes.
#pragma once

#include <cstdint>

#include "model/blend_table.h"
#include "platform/win32_types.h"
#include "tools/tone_kernel.h"
#include "tools/tone_tables.h"

namespace qv {

// ---- greyscale with channel weights (thousandths)

constexpr int32_t kGreyWeightMax = 1000;
constexpr int32_t kGreyWeightBlueDefault = 114;
constexpr int32_t kGreyWeightGreenDefault = 587;
constexpr int32_t kGreyWeightRedDefault = 299;

struct GreyscaleParams {
    int32_t blue = kGreyWeightBlueDefault;
    int32_t green = kGreyWeightGreenDefault;
    int32_t red = kGreyWeightRedDefault;
};

// The tool's reset button.
void ResetGreyscaleWeights(GreyscaleParams* params);
// Greyscale has no neutral setting: any weights change a colour picture.
inline bool IsNeutralGreyscale(const GreyscaleParams&) {
    return false;
}

struct GreyscaleOp {
    uint8_t blue[256]; // round(weight / 1000 x v), half up: never above v
    uint8_t green[256];
    uint8_t red[256];
    uint8_t saturate[3 * 255 + 1]; // min(255, sum)
    void Map(const uint8_t* __restrict s, uint8_t* __restrict d) const {
        uint8_t grey = saturate[blue[s[0]] + green[s[1]] + red[s[2]]];
        d[0] = d[1] = d[2] = grey;
    }
};
// Best takes 512-bit byte permutes where the processor has them; Plain is the reference.
TonePass PrepareGreyscale(const GreyscaleParams& params, GreyscaleOp* op, KernelPath path = KernelPath::Best);

// ---- shadow and highlight correction

constexpr int32_t kShadowHighlightMax = 50;
constexpr int32_t kShadowHighlightRange = 127; // colour range around black and around white

struct ShadowHighlightParams {
    int32_t shadow = 0;    // lifts colours near black with G_shadow
    int32_t highlight = 0; // lowers colours near white with G_-highlight
};
bool IsNeutralShadowHighlight(const ShadowHighlightParams& params);

struct ShadowHighlightOp {
    const int32_t* square = nullptr; // square[d] = d^2 for d = -255..255
    DistanceWeights weights;         // W_127
    // lift[w][v] = T[w][G_shadow[v]] + T[255 - w][v], lower[w][v] likewise with G_-highlight: the
    // curve and the blend in one look-up per channel. A side at strength 0 is the identity.
    uint8_t lift[256][256];
    uint8_t lower[256][256];
    const uint8_t* shadowCurve = nullptr; // G_shadow, null at strength 0; the vector path's tables
    const uint8_t* highlightCurve = nullptr;
    void Map(const uint8_t* __restrict s, uint8_t* __restrict d) const {
        const uint8_t* row;
        // the two ranges cannot overlap: 2 x 127 < 255
        int32_t toBlack = square[s[0]] + square[s[1]] + square[s[2]];
        if (toBlack <= weights.limit) {
            row = lift[weights.weight[toBlack]];
        } else {
            int32_t toWhite = square[s[0] - 255] + square[s[1] - 255] + square[s[2] - 255];
            if (toWhite > weights.limit) {
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
                return;
            }
            row = lower[weights.weight[toWhite]];
        }
        uint8_t b = row[s[0]], g = row[s[1]], r = row[s[2]];
        d[0] = b, d[1] = g, d[2] = r;
    }
};
TonePass PrepareShadowHighlight(const ShadowHighlightParams& params, ShadowHighlightOp* op,
                                KernelPath path = KernelPath::Best);

// ---- the luminance-keeping colour shift of colour balance and the colour filter

// Each channel is first shifted on its own (c -> c'), then the luminance the shift lost, measured
// in blue units, is added back to the three channels in their shares 0.114 / 0.587 / 0.299.
struct LuminanceShiftOp {
    // per source value: b' + 255, YG[g'] + 1313 and YR[r'] + 668, the offsets of the out tables
    int16_t blueIn[256];
    int16_t greenIn[256];
    int16_t redIn[256];
    int16_t lostBlue[256]; // YB[b] - YB[b'], likewise for green and red: their sum is dY
    int16_t lostGreen[256];
    int16_t lostRed[256];
    const int16_t* correctBlue = nullptr; // c(dY) for dY = -kLuminanceDeltaMax..kLuminanceDeltaMax
    const int16_t* correctGreen = nullptr;
    const int16_t* correctRed = nullptr;
    // back from blue units with the clamps built in: clamp(v) for v = -255..510, (398 clamp(v, 0,
    // 1313)) >> 11 for v = -1313..2626, (391 clamp(v, 0, 668)) >> 10 for v = -668..1336
    uint8_t blueOut[255 + 511];
    uint8_t greenOut[1313 + 2627];
    uint8_t redOut[668 + 1337];
    void Map(const uint8_t* __restrict s, uint8_t* __restrict d) const {
        int32_t lost = lostBlue[s[0]] + lostGreen[s[1]] + lostRed[s[2]];
        uint8_t b = blueOut[blueIn[s[0]] + correctBlue[lost]];
        uint8_t g = greenOut[greenIn[s[1]] + correctGreen[lost]];
        uint8_t r = redOut[redIn[s[2]] + correctRed[lost]];
        d[0] = b, d[1] = g, d[2] = r;
    }
};

// ---- colour balance

constexpr int32_t kColourBalanceMax = 100; // each shift -100..100

struct ColourBalanceParams {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};
// Neutral when the shifts are all equal: their mean is taken out, so nothing is left to shift.
bool IsNeutralColourBalance(const ColourBalanceParams& params);
TonePass PrepareColourBalance(const ColourBalanceParams& params, LuminanceShiftOp* op,
                              KernelPath path = KernelPath::Best);

// ---- colour filter

constexpr int32_t kColourFilterCount = 5;
constexpr int32_t kColourFilterStrengthMax = 255;
constexpr int32_t kColourFilterStrengthDefault = 100;
constexpr uint32_t kColourFilterDefaults[kColourFilterCount] = {0x144270, 0x0080FF, 0x80FFFF, 0x800000, 0xFFFF80};

struct ColourFilterParams {
    int32_t choice = 0; // which of the five colours
    uint32_t colours[kColourFilterCount] = {kColourFilterDefaults[0], kColourFilterDefaults[1],
                                            kColourFilterDefaults[2], kColourFilterDefaults[3],
                                            kColourFilterDefaults[4]};
    int32_t strength = kColourFilterStrengthDefault; // 0 keeps the pixel, 255 takes the filter colour
};
bool IsNeutralColourFilter(const ColourFilterParams& params);
TonePass PrepareColourFilter(const ColourFilterParams& params, LuminanceShiftOp* op,
                             KernelPath path = KernelPath::Best);

// ---- colour replacement

constexpr int32_t kReplaceRangeDefault = 75;
constexpr int32_t kReplaceLevelDefault = 100;
constexpr int32_t kReplaceLevelMax = 255;

struct ReplaceColourParams {
    uint32_t from = MakeColor(96, 160, 255);
    uint32_t to = MakeColor(255, 0, 128);
    int32_t range = kReplaceRangeDefault; // 0..kColourRangeMax
    int32_t level = kReplaceLevelDefault; // 0..255: the weight at the from-colour itself
    int32_t activeBox = 0;                // 0 from-colour, 1 to-colour: the box selected last
};
bool IsNeutralReplaceColour(const ReplaceColourParams& params);
// A colour picked from the view goes into the box selected last.
void PickReplaceColour(ReplaceColourParams* params, uint32_t colour);

struct ReplaceColourOp {
    int32_t distBlue[256]; // (v - from)^2 per channel
    int32_t distGreen[256];
    int32_t distRed[256];
    uint8_t from[3];
    uint8_t to[3];
    const uint8_t* level = nullptr; // T[level]
    const BlendTable* blend = nullptr;
    DistanceWeights weights;
    void Map(const uint8_t* __restrict s, uint8_t* __restrict d) const {
        int32_t distance = distBlue[s[0]] + distGreen[s[1]] + distRed[s[2]];
        if (distance > weights.limit) {
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
            return;
        }
        int32_t w = level[weights.weight[distance]];
        const uint8_t* toTarget = blend->t[w];
        const uint8_t* toSource = blend->t[255 - w];
        for (int c = 0; c < 3; ++c)
            d[c] = static_cast<uint8_t>(toTarget[to[c]] + toSource[s[c]]);
    }
};
TonePass PrepareReplaceColour(const ReplaceColourParams& params, ReplaceColourOp* op,
                              KernelPath path = KernelPath::Best);

} // namespace qv
