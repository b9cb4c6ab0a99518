#include "tools/colour_kernel.h"

#include "tools/tone_bands_avx512.h"

namespace qv {

// ---- greyscale

void ResetGreyscaleWeights(GreyscaleParams* params) {
    *params = GreyscaleParams{};
}

namespace {
void BuildWeightRow(int32_t weight, uint8_t* row) {
    uint32_t k = static_cast<uint32_t>(ClampInt(weight, 0, kGreyWeightMax));
    for (uint32_t v = 0; v < 256; ++v)
        row[v] = static_cast<uint8_t>((k * v + 500) / 1000); // round(k / 1000 x v), half up
}

int32_t GreyRow(const uint8_t* s, uint8_t* d, int32_t width, const GreyscaleOp& o) {
    return GreyRowAvx512(s, d, width, o.blue, o.green, o.red);
}
} // namespace

TonePass PrepareGreyscale(const GreyscaleParams& params, GreyscaleOp* op, KernelPath path) {
    BuildWeightRow(params.blue, op->blue);
    BuildWeightRow(params.green, op->green);
    BuildWeightRow(params.red, op->red);
    for (int32_t v = 0; v <= 3 * 255; ++v)
        op->saturate[v] = static_cast<uint8_t>(v > 255 ? 255 : v);
    if (path == KernelPath::Best && HasToneAvx512()) return TonePass{VectorColourBand<GreyscaleOp, GreyRow>, op};
    return ColourPass(op);
}

// ---- shadow and highlight correction

bool IsNeutralShadowHighlight(const ShadowHighlightParams& params) {
    return params.shadow == 0 && params.highlight == 0;
}

namespace {
// T[w][curve[v]] + T[255 - w][v] for every weight and value; a strength of 0 keeps every value
// exactly, where blending a value with itself would still move some by one through the rounding.
void BuildCurveBlend(int32_t strength, const uint8_t* curve, uint8_t (*rows)[256]) {
    const BlendTable& t = GetBlendTable();
    for (int32_t w = 0; w < 256; ++w)
        for (int32_t v = 0; v < 256; ++v)
            rows[w][v] =
                strength == 0 ? static_cast<uint8_t>(v) : static_cast<uint8_t>(t.t[w][curve[v]] + t.t[255 - w][v]);
}

int32_t ShadowHighlightRow(const uint8_t* s, uint8_t* d, int32_t width, const ShadowHighlightOp& o) {
    return ShadowHighlightRowAvx512(s, d, width, o.shadowCurve, o.highlightCurve);
}
} // namespace

TonePass PrepareShadowHighlight(const ShadowHighlightParams& params, ShadowHighlightOp* op, KernelPath path) {
    if (IsNeutralShadowHighlight(params)) return CopyPass();
    const ToneTables& t = GetToneTables();
    int32_t shadow = ClampInt(params.shadow, 0, kShadowHighlightMax);
    int32_t highlight = ClampInt(params.highlight, 0, kShadowHighlightMax);
    BuildCurveBlend(shadow, GammaCurve(t, shadow), op->lift);
    BuildCurveBlend(highlight, GammaCurve(t, -highlight), op->lower);
    op->square = &t.squares[255];
    BuildDistanceWeights(kShadowHighlightRange, &op->weights);
    op->shadowCurve = shadow == 0 ? nullptr : GammaCurve(t, shadow);
    op->highlightCurve = highlight == 0 ? nullptr : GammaCurve(t, -highlight);
    if (path == KernelPath::Best && HasToneAvx512())
        return TonePass{VectorColourBand<ShadowHighlightOp, ShadowHighlightRow>, op};
    return ColourPass(op);
}

// ---- the luminance-keeping shift

namespace {

// Fills the shift's tables from the per-channel shifted values (blue, green, red).
void BuildLuminanceShift(const uint8_t* shiftBlue, const uint8_t* shiftGreen, const uint8_t* shiftRed,
                         LuminanceShiftOp* op) {
    const ToneTables& t = GetToneTables();
    op->correctBlue = &t.correctBlue[kLuminanceDeltaMax];
    op->correctGreen = &t.correctGreen[kLuminanceDeltaMax];
    op->correctRed = &t.correctRed[kLuminanceDeltaMax];
    for (int32_t v = 0; v < 256; ++v) {
        op->blueIn[v] = static_cast<int16_t>(shiftBlue[v] + 255);
        op->greenIn[v] = static_cast<int16_t>(t.lumaGreen[shiftGreen[v]] + 1313);
        op->redIn[v] = static_cast<int16_t>(t.lumaRed[shiftRed[v]] + 668);
        op->lostBlue[v] = static_cast<int16_t>(v - shiftBlue[v]);
        op->lostGreen[v] = static_cast<int16_t>(t.lumaGreen[v] - t.lumaGreen[shiftGreen[v]]);
        op->lostRed[v] = static_cast<int16_t>(t.lumaRed[v] - t.lumaRed[shiftRed[v]]);
    }
    for (int32_t v = -255; v <= 510; ++v)
        op->blueOut[v + 255] = ClampByte(v);
    for (int32_t v = -1313; v <= 2626; ++v)
        op->greenOut[v + 1313] = static_cast<uint8_t>((398 * ClampInt(v, 0, 1313)) >> 11);
    for (int32_t v = -668; v <= 1336; ++v)
        op->redOut[v + 668] = static_cast<uint8_t>((391 * ClampInt(v, 0, 668)) >> 10);
}

void LuminanceShiftBandAvx512(const KernelJob& job, const void* op) {
    const LuminanceShiftOp& o = *static_cast<const LuminanceShiftOp*>(op);
    LuminanceShiftBytes t;
    const int16_t* lost[3] = {o.lostBlue, o.lostGreen, o.lostRed};
    for (int32_t v = 0; v < 256; ++v) {
        uint16_t green = static_cast<uint16_t>(o.greenIn[v] - 1313), red = static_cast<uint16_t>(o.redIn[v] - 668);
        t.blue[v] = static_cast<uint8_t>(o.blueIn[v] - 255);
        t.greenLow[v] = static_cast<uint8_t>(green), t.greenHigh[v] = static_cast<uint8_t>(green >> 8);
        t.redLow[v] = static_cast<uint8_t>(red), t.redHigh[v] = static_cast<uint8_t>(red >> 8);
        for (int c = 0; c < 3; ++c) {
            uint16_t bits = static_cast<uint16_t>(lost[c][v]);
            t.lostLow[c][v] = static_cast<uint8_t>(bits), t.lostHigh[c][v] = static_cast<uint8_t>(bits >> 8);
        }
    }
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        size_t offset = static_cast<size_t>(y) * job.stride;
        const uint8_t* s = job.source + offset;
        uint8_t* d = job.dest + offset;
        int32_t x = LuminanceShiftRowAvx512(s, d, job.width, t);
        for (s += 3 * x, d += 3 * x; x < job.width; ++x, s += 3, d += 3)
            o.Map(s, d);
    }
}

TonePass LuminanceShiftPass(const LuminanceShiftOp* op, KernelPath path) {
    if (path == KernelPath::Best && HasToneAvx512()) return TonePass{LuminanceShiftBandAvx512, op};
    return ColourPass(op);
}

} // namespace

// ---- colour balance

namespace {
struct BalanceShifts {
    int32_t red, green, blue;
};
// Each shift less the mean of the three (integer division): equal shifts cancel.
BalanceShifts EffectiveShifts(const ColourBalanceParams& p) {
    int32_t red = ClampInt(p.red, -kColourBalanceMax, kColourBalanceMax);
    int32_t green = ClampInt(p.green, -kColourBalanceMax, kColourBalanceMax);
    int32_t blue = ClampInt(p.blue, -kColourBalanceMax, kColourBalanceMax);
    int32_t mean = (red + green + blue) / 3;
    return {red - mean, green - mean, blue - mean};
}
} // namespace

bool IsNeutralColourBalance(const ColourBalanceParams& params) {
    BalanceShifts s = EffectiveShifts(params);
    return s.red == 0 && s.green == 0 && s.blue == 0;
}

TonePass PrepareColourBalance(const ColourBalanceParams& params, LuminanceShiftOp* op, KernelPath path) {
    // The shift's way back from blue units truncates, so even an unshifted colour would come back
    // a level darker in green or red: neutral shifts keep the pixels as they are instead.
    if (IsNeutralColourBalance(params)) return CopyPass();
    BalanceShifts s = EffectiveShifts(params);
    uint8_t blue[256], green[256], red[256];
    for (int32_t v = 0; v < 256; ++v) {
        blue[v] = ClampByte(v + s.blue);
        green[v] = ClampByte(v + s.green);
        red[v] = ClampByte(v + s.red);
    }
    BuildLuminanceShift(blue, green, red, op);
    return LuminanceShiftPass(op, path);
}

// ---- colour filter

bool IsNeutralColourFilter(const ColourFilterParams& params) {
    return params.strength <= 0;
}

TonePass PrepareColourFilter(const ColourFilterParams& params, LuminanceShiftOp* op, KernelPath path) {
    if (IsNeutralColourFilter(params)) return CopyPass();
    const BlendTable& t = GetBlendTable();
    int32_t a = ClampInt(params.strength, 0, kColourFilterStrengthMax);
    uint32_t filter = params.colours[ClampInt(params.choice, 0, kColourFilterCount - 1)];
    // each channel mixed toward the filter colour: T[255 - a][c] + T[a][F]
    uint8_t blue[256], green[256], red[256];
    for (int32_t v = 0; v < 256; ++v) {
        blue[v] = static_cast<uint8_t>(t.t[255 - a][v] + t.t[a][ColorBlue(filter)]);
        green[v] = static_cast<uint8_t>(t.t[255 - a][v] + t.t[a][ColorGreen(filter)]);
        red[v] = static_cast<uint8_t>(t.t[255 - a][v] + t.t[a][ColorRed(filter)]);
    }
    BuildLuminanceShift(blue, green, red, op);
    return LuminanceShiftPass(op, path);
}

// ---- colour replacement

bool IsNeutralReplaceColour(const ReplaceColourParams& params) {
    return params.level <= 0;
}

void PickReplaceColour(ReplaceColourParams* params, uint32_t colour) {
    (params->activeBox == 1 ? params->to : params->from) = colour & 0xFFFFFF;
}

namespace {
int32_t ReplaceColourRow(const uint8_t* s, uint8_t* d, int32_t width, const ReplaceColourOp& o) {
    return ReplaceColourRowAvx512(s, d, width, o.from, o.to, o.level, o.weights.limit);
}
} // namespace

TonePass PrepareReplaceColour(const ReplaceColourParams& params, ReplaceColourOp* op, KernelPath path) {
    if (IsNeutralReplaceColour(params)) return CopyPass();
    const ToneTables& t = GetToneTables();
    for (int32_t v = 0; v < 256; ++v) {
        op->distBlue[v] = Square(t, v - ColorBlue(params.from));
        op->distGreen[v] = Square(t, v - ColorGreen(params.from));
        op->distRed[v] = Square(t, v - ColorRed(params.from));
    }
    op->from[0] = ColorBlue(params.from);
    op->from[1] = ColorGreen(params.from);
    op->from[2] = ColorRed(params.from);
    op->to[0] = ColorBlue(params.to);
    op->to[1] = ColorGreen(params.to);
    op->to[2] = ColorRed(params.to);
    op->blend = &GetBlendTable();
    op->level = op->blend->t[ClampInt(params.level, 0, kReplaceLevelMax)];
    BuildDistanceWeights(params.range, &op->weights);
    if (path == KernelPath::Best && HasToneAvx512())
        return TonePass{VectorColourBand<ReplaceColourOp, ReplaceColourRow>, op};
    return ColourPass(op);
}

} // namespace qv
