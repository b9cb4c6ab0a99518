// Hue, lightness and saturation: the integer HLS model, the tool that shifts the three (optionally
// only near a reference colour picked from the view), and the immediate luminance equalisation
// that moves each pixel's lightness along the grey histogram's cumulative curve.
#pragma once

#include <cstdint>

#include "model/blend_table.h"
#include "model/grey_weights.h"
#include "model/image_buffer.h"
#include "tools/tone_kernel.h"
#include "tools/tone_tables.h"

namespace qv {

struct HlsColour {
    int32_t hue;        // degrees 0..359 (0 for greys)
    int32_t lightness;  // 0..255
    int32_t saturation; // 0..255
};

// Hue from the largest channel (ties prefer green over blue and either over red), lightness
// (max + min) >> 1, saturation 255 w / t or 255 w / (510 - t) with w = max - min, t = max + min.
HlsColour RgbToHls(uint8_t red, uint8_t green, uint8_t blue);
// Back to blue-green-red bytes; any hue (wrapped into 0..359), lightness and saturation 0..255.
void HlsToRgb(int32_t hue, int32_t lightness, int32_t saturation, uint8_t* bgr);

// ---- the hue, lightness and saturation tool

constexpr int32_t kHueShiftMax = 180;
constexpr int32_t kSaturationShiftMax = 255;
constexpr int32_t kLightnessShiftMax = 255;
constexpr int32_t kHlsRangeDefault = 50;
constexpr uint32_t kHlsReferenceDefault = 0xFFFFFF;

struct HlsParams {
    int32_t hue = 0;        // -180..180
    int32_t saturation = 0; // -255..255
    int32_t lightness = 0;  // -255..255
    bool limit = false;     // only colours within `range` of `reference`, weighted by distance
    uint32_t reference = kHlsReferenceDefault;
    int32_t range = kHlsRangeDefault; // 0..kColourRangeMax
};
bool IsNeutralHls(const HlsParams& params);
// The tool's reset button: the three shifts back to 0.
void ResetHlsShifts(HlsParams* params);
// A colour picked from the view becomes the reference colour.
void PickHlsColour(HlsParams* params, uint32_t colour);

struct HlsOp {
    int32_t hue = 0, saturation = 0, lightness = 0;
    bool limit = false;
    int32_t distBlue[256]; // (v - reference)^2 per channel, with `limit`
    int32_t distGreen[256];
    int32_t distRed[256];
    const BlendTable* blend = nullptr;
    const ToneTables* tables = nullptr;
    DistanceWeights weights;
    void Map(const uint8_t* __restrict s, uint8_t* __restrict d) const;
};
TonePass PrepareHls(const HlsParams& params, HlsOp* op);

// ---- luminance equalisation (immediate)

struct EqualiseOp {
    int16_t lift[256]; // (E[y] - y) >> 1 for grey value y: what the lightness gains
    const GreyWeights* grey = nullptr;
    const ToneTables* tables = nullptr;
    void Map(const uint8_t* __restrict s, uint8_t* __restrict d) const;
};
// Counts the grey values of a 24-bit block and builds E from the cumulative histogram. A picture
// of one grey value everywhere has nothing to spread (and E would divide by zero): it gets CopyPass.
TonePass PrepareEqualise(const uint8_t* pixels, int32_t width, int32_t height, EqualiseOp* op);
// The immediate operation: an 8-bit image becomes 24-bit (its lightness is spread per pixel, not per
// palette entry); `mask` as for every tool. False without memory.
bool EqualiseLuminance(ImageBuffer* image, const uint8_t* mask, int threads);

} // namespace qv
