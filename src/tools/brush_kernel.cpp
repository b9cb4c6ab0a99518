#include "tools/brush_kernel.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "tools/hls_kernel.h"
#include "tools/mask_blend.h"
#include "tools/selection_outline.h" // WalkLine

namespace qv {

namespace {

struct StampTable {
    std::vector<uint8_t> weights;          // every stamp, one after the other
    size_t offset[kBrushSizeMax + 1] = {}; // where stamp n begins
};

StampTable BuildStamps() {
    StampTable s;
    size_t total = 0;
    for (int32_t n = kBrushSizeMin; n <= kBrushSizeMax; ++n) {
        s.offset[n] = total;
        total += static_cast<size_t>(n) * n;
    }
    s.weights.resize(total);
    for (int32_t n = kBrushSizeMin; n <= kBrushSizeMax; ++n) {
        bool odd = n % 2 != 0;
        double centre = odd ? n / 2 : (n - 1) / 2.0;
        double radius = odd ? n / 2 + 1 : n / 2;
        uint8_t* w = s.weights.data() + s.offset[n];
        for (int32_t y = 0; y < n; ++y)
            for (int32_t x = 0; x < n; ++x) {
                double d = std::hypot(x - centre, y - centre);
                double v = 255.0 - std::floor(255.0 * d / radius + 0.5);
                w[y * n + x] = static_cast<uint8_t>(v < 0 ? 0 : v);
            }
    }
    return s;
}

uint8_t Median9(uint8_t* v) {
    // insertion sort of nine bytes: cheap enough for a brush's few thousand pixels
    for (int i = 1; i < 9; ++i)
        for (int j = i; j > 0 && v[j - 1] > v[j]; --j)
            std::swap(v[j - 1], v[j]);
    return v[4];
}

// The 3 x 3 neighbourhood of (x, row) in the source, channel c, the nearest edge pixel standing in
// outside the picture.
void Neighbourhood(const BrushCanvas& canvas, int32_t x, int32_t row, int c, uint8_t* v) {
    int n = 0;
    for (int32_t dy = -1; dy <= 1; ++dy) {
        const uint8_t* line = canvas.source + static_cast<size_t>(ClampToEdge(row + dy, canvas.height)) * canvas.stride;
        for (int32_t dx = -1; dx <= 1; ++dx)
            v[n++] = line[ClampToEdge(x + dx, canvas.width) * 3 + c];
    }
}

} // namespace

const uint8_t* BrushStamp(int32_t diameter) {
    static const StampTable table = BuildStamps();
    int32_t n = ClampInt(diameter, kBrushSizeMin, kBrushSizeMax);
    return table.weights.data() + table.offset[n];
}

BrushCanvas MakeBrushCanvas(const uint8_t* source, uint8_t* pixels, int32_t width, int32_t height,
                            const uint8_t* mask) {
    BrushCanvas c;
    c.width = width;
    c.height = height;
    c.stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    c.source = source;
    c.pixels = pixels;
    c.mask = mask;
    return c;
}

void PreparePaintTarget(uint32_t colour, int32_t opacity, BrushTarget* target) {
    target->mode = -1;
    target->blend = &GetBlendTable();
    target->filters = &GetFilterTables();
    const BlendTable& t = *target->blend;
    uint8_t a = target->filters->strength[ClampInt(opacity, 0, kBrushOpacityMax)];
    const uint8_t bgr[3] = {static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                            static_cast<uint8_t>(colour)};
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 256; ++v)
            target->table[c][v] = BlendChannel(t, a, bgr[c], static_cast<uint8_t>(v));
}

void PrepareCorrectionTarget(int32_t mode, int32_t value, BrushTarget* target) {
    if (mode < 0 || mode >= kCorrectionModes) mode = kCorrectSaturate;
    value = ClampInt(value, kCorrectionValueMin, kCorrectionValueMax);
    target->mode = mode;
    target->blend = &GetBlendTable();
    target->filters = &GetFilterTables();
    target->saturation = mode == kCorrectDesaturate ? -value : value;
    target->strength = static_cast<uint8_t>(2 * value);
    if (mode == kCorrectLighten || mode == kCorrectDarken) {
        const uint8_t* curve = GammaCurve(GetToneTables(), mode == kCorrectLighten ? value : -value);
        for (int c = 0; c < 3; ++c)
            std::copy(curve, curve + 256, target->table[c]);
    }
}

void BrushTargetAt(const BrushCanvas& canvas, const BrushTarget& target, int32_t x, int32_t row, uint8_t* out) {
    const uint8_t* s = canvas.source + static_cast<size_t>(row) * canvas.stride + static_cast<size_t>(x) * 3;
    const BlendTable& t = *target.blend;
    switch (target.mode) {
    case kCorrectSaturate:
    case kCorrectDesaturate: {
        HlsColour hls = RgbToHls(s[2], s[1], s[0]);
        // a grey has no hue to strengthen: shifting its saturation would paint it red (hue 0)
        if (hls.saturation == 0) {
            out[0] = s[0], out[1] = s[1], out[2] = s[2];
            return;
        }
        HlsToRgb(hls.hue, hls.lightness, ClampInt(hls.saturation + target.saturation, 0, 255), out);
        return;
    }
    case kCorrectSharpen:
    case kCorrectSoften:
    case kCorrectDenoise:
        for (int c = 0; c < 3; ++c) {
            uint8_t v[9];
            Neighbourhood(canvas, x, row, c, v);
            int32_t sum = 0;
            for (uint8_t n : v)
                sum += n;
            if (target.mode == kCorrectDenoise) {
                out[c] = Median9(v);
                continue;
            }
            uint8_t filtered =
                target.mode == kCorrectSharpen ? ClampByte((24 * v[4] - (sum - v[4])) >> 4) : target.filters->div9[sum];
            out[c] = BlendChannel(t, target.strength, filtered, s[c]);
        }
        return;
    case kCorrectRedEye: {
        out[0] = s[0], out[1] = s[1], out[2] = s[2];
        int32_t hue = RgbToHls(s[2], s[1], s[0]).hue;
        // lowering red to what green and blue hold leaves the pupil as dark as its other
        // channels; greys (hue 0) are untouched since their red is no higher than that
        int32_t lowered = (s[0] + s[1]) / 2;
        if ((hue >= 280 || hue <= 20) && s[2] > lowered) out[2] = static_cast<uint8_t>(lowered);
        return;
    }
    default: // paint, lighten, darken
        for (int c = 0; c < 3; ++c)
            out[c] = target.table[c][s[c]];
        return;
    }
}

void StampBrush(const BrushCanvas& canvas, const BrushTarget& target, int32_t diameter, ImagePoint at) {
    const int32_t n = ClampInt(diameter, kBrushSizeMin, kBrushSizeMax);
    const uint8_t* stamp = BrushStamp(n);
    const BlendTable& t = *target.blend;
    // paint, lighten and darken look their target up per channel: no call per pixel
    const bool lookup = target.mode < 0 || target.mode == kCorrectLighten || target.mode == kCorrectDarken;
    const int64_t left = int64_t{at.x} - n / 2, top = int64_t{at.y} - n / 2;
    const int32_t x0 = static_cast<int32_t>(std::max<int64_t>(0, -left));
    const int32_t x1 = static_cast<int32_t>(std::min<int64_t>(n, canvas.width - left));
    const int32_t y0 = static_cast<int32_t>(std::max<int64_t>(0, -top));
    const int32_t y1 = static_cast<int32_t>(std::min<int64_t>(n, canvas.height - top));
    for (int32_t j = y0; j < y1; ++j) {
        const int32_t row = canvas.height - 1 - static_cast<int32_t>(top + j); // memory rows run bottom-up
        const uint8_t* weights = stamp + static_cast<size_t>(j) * n;
        const uint8_t* src = canvas.source + static_cast<size_t>(row) * canvas.stride;
        uint8_t* dst = canvas.pixels + static_cast<size_t>(row) * canvas.stride;
        const uint8_t* mask =
            canvas.mask ? canvas.mask + static_cast<size_t>(row) * static_cast<uint32_t>(canvas.width) : nullptr;
        for (int32_t i = x0; i < x1; ++i) {
            uint8_t f = weights[i];
            if (f == 0) continue;
            int32_t x = static_cast<int32_t>(left + i);
            uint8_t m = mask ? mask[x] : 0;
            if (m == 255) continue; // protected: the target is the source, which the pixel already is
            const uint8_t* s = src + static_cast<size_t>(x) * 3;
            uint8_t goal[3];
            if (lookup) {
                goal[0] = target.table[0][s[0]], goal[1] = target.table[1][s[1]], goal[2] = target.table[2][s[2]];
            } else {
                BrushTargetAt(canvas, target, x, row, goal);
            }
            uint8_t* d = dst + static_cast<size_t>(x) * 3;
            for (int c = 0; c < 3; ++c) {
                uint8_t g = MaskBlendChannel(t, m, goal[c], s[c]);
                uint8_t v = BlendChannel(t, f, g, d[c]);
                // a blend lies between its two ends; the table's rounding may step one past
                uint8_t lo = std::min(g, d[c]), hi = std::max(g, d[c]);
                d[c] = v < lo ? lo : v > hi ? hi : v;
            }
        }
    }
}

void BeginBrushStroke(const BrushCanvas& canvas, const BrushTarget& target, BrushStroke* stroke, ImagePoint at) {
    at = HoldFarPoint(at);
    stroke->lastStamp = stroke->lastPoint = at;
    stroke->begun = true;
    stroke->stamps = 1;
    StampBrush(canvas, target, stroke->diameter, at);
}

void ExtendBrushStroke(const BrushCanvas& canvas, const BrushTarget& target, BrushStroke* stroke, ImagePoint to) {
    if (!stroke->begun) {
        BeginBrushStroke(canvas, target, stroke, to);
        return;
    }
    to = HoldFarPoint(to);
    const int32_t spacing = StrokeSpacing(ClampInt(stroke->diameter, kBrushSizeMin, kBrushSizeMax));
    const int32_t reach = kBrushSizeMax;
    // steps far outside the picture cannot stamp it; the walk skips them
    const LineClip reachable{-reach, -reach, canvas.width - 1 + reach, canvas.height - 1 + reach};
    WalkLine(stroke->lastPoint, to, reachable, [&](int32_t x, int32_t y) {
        int64_t moved = std::abs(int64_t{x} - stroke->lastStamp.x) + std::abs(int64_t{y} - stroke->lastStamp.y);
        if (moved <= spacing) return;
        stroke->lastStamp = ImagePoint{x, y};
        ++stroke->stamps;
        StampBrush(canvas, target, stroke->diameter, stroke->lastStamp);
    });
    stroke->lastPoint = to;
}

void FillWithBrushTarget(const BrushCanvas& canvas, const BrushTarget& target) {
    const BlendTable& t = *target.blend;
    const bool lookup = target.mode < 0 || target.mode == kCorrectLighten || target.mode == kCorrectDarken;
    for (int32_t row = 0; row < canvas.height; ++row) {
        const uint8_t* s = canvas.source + static_cast<size_t>(row) * canvas.stride;
        uint8_t* d = canvas.pixels + static_cast<size_t>(row) * canvas.stride;
        const uint8_t* mask =
            canvas.mask ? canvas.mask + static_cast<size_t>(row) * static_cast<uint32_t>(canvas.width) : nullptr;
        for (int32_t x = 0; x < canvas.width; ++x, s += 3, d += 3) {
            uint8_t m = mask ? mask[x] : 0;
            uint8_t goal[3];
            if (lookup)
                goal[0] = target.table[0][s[0]], goal[1] = target.table[1][s[1]], goal[2] = target.table[2][s[2]];
            else
                BrushTargetAt(canvas, target, x, row, goal);
            for (int c = 0; c < 3; ++c)
                d[c] = MaskBlendChannel(t, m, goal[c], s[c]);
        }
    }
}

} // namespace qv
