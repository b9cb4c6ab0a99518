#include "tools/hls_kernel.h"

#include <cstring>

#include "tools/tool_result.h"

namespace qv {

namespace {

int32_t WrapHue(int32_t h) {
    h %= 360;
    return h < 0 ? h + 360 : h;
}

// The share of d a channel gets at hue distance x: a ramp up over 0..60, full over 60..180, a
// ramp down over 180..240, nothing beyond.
int32_t HueShare(int32_t x, int32_t d) {
    if (x < 60) return x * d / 60;
    if (x < 180) return d;
    if (x < 240) return (240 - x) * d / 60;
    return 0;
}

// RgbToHls with the tables at hand: the two divisions by a pixel's own span and sum become
// multiplications by reciprocals.
inline HlsColour ToHls(const ToneTables& t, int32_t r, int32_t g, int32_t b) {
    int32_t gb = g > b ? g : b;
    int32_t high = r > gb ? r : gb;
    int32_t low = r < g ? (r < b ? r : b) : (g < b ? g : b);
    int32_t lightness = (high + low) >> 1;
    if (high == low) return {0, lightness, 0};
    int32_t span = high - low, sum = high + low;
    int32_t base, d;
    if (r > gb) {
        base = 0, d = g - b;
    } else if (g < b) {
        base = 240, d = r - g;
    } else {
        base = 120, d = b - r;
    }
    // 60 d / span truncated toward zero
    int32_t step = static_cast<int32_t>(DivideSmall(t, static_cast<uint32_t>(60 * (d < 0 ? -d : d)), span));
    int32_t hue = base + (d < 0 ? -step : step);
    if (hue < 0) hue += 360;
    int32_t saturation = static_cast<int32_t>(
        DivideSmall(t, static_cast<uint32_t>(255 * span), static_cast<uint32_t>(sum <= 255 ? sum : 510 - sum)));
    return {hue, lightness, saturation};
}

// HlsToRgb for a hue already in 0..359.
inline void FromHls(int32_t hue, int32_t lightness, int32_t saturation, uint8_t* bgr) {
    if (saturation == 0) {
        bgr[0] = bgr[1] = bgr[2] = static_cast<uint8_t>(lightness);
        return;
    }
    int32_t m2 =
        lightness <= 127 ? lightness * (255 + saturation) / 255 : lightness + saturation - lightness * saturation / 255;
    int32_t m1 = 2 * lightness - m2;
    int32_t d = m2 - m1;
    int32_t red = hue + 120, blue = hue - 120;
    red -= red >= 360 ? 360 : 0;
    blue += blue < 0 ? 360 : 0;
    bgr[2] = static_cast<uint8_t>(m1 + HueShare(red, d));
    bgr[1] = static_cast<uint8_t>(m1 + HueShare(hue, d));
    bgr[0] = static_cast<uint8_t>(m1 + HueShare(blue, d));
}

} // namespace

HlsColour RgbToHls(uint8_t red, uint8_t green, uint8_t blue) {
    return ToHls(GetToneTables(), red, green, blue);
}

void HlsToRgb(int32_t hue, int32_t lightness, int32_t saturation, uint8_t* bgr) {
    FromHls(WrapHue(hue), lightness, saturation, bgr);
}

// ---- the hue, lightness and saturation tool

bool IsNeutralHls(const HlsParams& params) {
    return params.hue == 0 && params.saturation == 0 && params.lightness == 0;
}

void ResetHlsShifts(HlsParams* params) {
    params->hue = params->saturation = params->lightness = 0;
}

void PickHlsColour(HlsParams* params, uint32_t colour) {
    params->reference = colour & 0xFFFFFF;
}

void HlsOp::Map(const uint8_t* __restrict s, uint8_t* __restrict d) const {
    int32_t w = 255;
    if (limit) {
        int32_t distance = distBlue[s[0]] + distGreen[s[1]] + distRed[s[2]];
        if (distance > weights.limit) {
            d[0] = s[0], d[1] = s[1], d[2] = s[2];
            return;
        }
        w = weights.weight[distance];
    }
    HlsColour c = ToHls(*tables, s[2], s[1], s[0]);
    int32_t h = c.hue + hue; // -180..539
    h += h < 0 ? 360 : h >= 360 ? -360 : 0;
    uint8_t out[3];
    FromHls(h, ClampInt(c.lightness + lightness, 0, 255), ClampInt(c.saturation + saturation, 0, 255), out);
    if (!limit) {
        d[0] = out[0], d[1] = out[1], d[2] = out[2];
        return;
    }
    for (int k = 0; k < 3; ++k)
        d[k] = static_cast<uint8_t>(blend->t[w][out[k]] + blend->t[255 - w][s[k]]);
}

TonePass PrepareHls(const HlsParams& params, HlsOp* op) {
    if (IsNeutralHls(params)) return CopyPass();
    op->hue = ClampInt(params.hue, -kHueShiftMax, kHueShiftMax);
    op->saturation = ClampInt(params.saturation, -kSaturationShiftMax, kSaturationShiftMax);
    op->lightness = ClampInt(params.lightness, -kLightnessShiftMax, kLightnessShiftMax);
    op->limit = params.limit;
    op->blend = &GetBlendTable();
    op->tables = &GetToneTables();
    if (params.limit) {
        const ToneTables& t = GetToneTables();
        for (int32_t v = 0; v < 256; ++v) {
            op->distBlue[v] = Square(t, v - ColorBlue(params.reference));
            op->distGreen[v] = Square(t, v - ColorGreen(params.reference));
            op->distRed[v] = Square(t, v - ColorRed(params.reference));
        }
        BuildDistanceWeights(params.range, &op->weights);
    }
    return ColourPass(op);
}

// ---- luminance equalisation

void EqualiseOp::Map(const uint8_t* __restrict s, uint8_t* __restrict d) const {
    HlsColour c = ToHls(*tables, s[2], s[1], s[0]);
    int32_t lightness = ClampInt(c.lightness + lift[GreyOf(*grey, s[0], s[1], s[2])], 0, 255);
    FromHls(c.hue, lightness, c.saturation, d);
}

TonePass PrepareEqualise(const uint8_t* pixels, int32_t width, int32_t height, EqualiseOp* op) {
    op->grey = &GetGreyWeights();
    op->tables = &GetToneTables();
    uint64_t count[256] = {};
    uint32_t stride = ImageStride(static_cast<uint32_t>(width), 24);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* p = pixels + static_cast<size_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x, p += 3)
            ++count[GreyOf(*op->grey, p[0], p[1], p[2])];
    }
    uint64_t total = static_cast<uint64_t>(width) * static_cast<uint32_t>(height);
    uint64_t cumulative = 0, first = 0;
    for (int v = 0; v < 256 && first == 0; ++v)
        first = count[v];
    if (total == first) return CopyPass();
    for (int32_t v = 0; v < 256; ++v) {
        cumulative += count[v];
        double share =
            (static_cast<double>(cumulative) - static_cast<double>(first)) / static_cast<double>(total - first);
        int32_t target = static_cast<int32_t>(share * 255.0); // truncated toward zero
        op->lift[v] = static_cast<int16_t>((target - v) >> 1);
    }
    return ColourPass(op);
}

bool EqualiseLuminance(ImageBuffer* image, const uint8_t* mask, int threads) {
    int32_t width = image->header.biWidth, height = image->header.biHeight;
    uint8_t* source = MakeWorkingCopy(*image);
    if (source == nullptr) return false;
    CodecStatus status = kCodecOk;
    uint8_t* result = AllocPixelBlock(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 24, &status);
    if (result == nullptr) {
        FreePixelBlock(source);
        return false;
    }
    EqualiseOp op;
    RunTonePass(PrepareEqualise(source, width, height, &op), WholeImageJob(source, result, width, height, mask),
                threads);
    FreePixelBlock(source);
    TakeToolResult(image, result, width, height, 24);
    return true;
}

} // namespace qv
