#include "tools/levels_kernel.h"

#include <cstring>

#include "tools/tone_tables.h"

namespace qv {

const LevelsPoints& EffectiveLevels(const LevelsParams& params, int32_t channel) {
    return params.current == kLevelsCombined ? params.channel[kLevelsCombined] : params.channel[channel];
}

bool IsNeutralLevels(const LevelsParams& params) {
    for (int32_t c = kLevelsBlue; c <= kLevelsRed; ++c) {
        const LevelsPoints& p = EffectiveLevels(params, c);
        if (p.black != 0 || p.white != 255 || p.gamma != 0) return false;
    }
    return true;
}

void BuildLevelsTable(const LevelsPoints& points, uint8_t* table) {
    const ToneTables& t = GetToneTables();
    int32_t black = ClampInt(points.black, 0, 254);
    int32_t white = ClampInt(points.white, black + 1, 255);
    const uint8_t* curve = GammaCurve(t, ClampInt(points.gamma, kGammaMin, kGammaMax));
    const uint8_t* stretch = t.stretch[white - black];
    for (int32_t v = 0; v < 256; ++v)
        table[v] = v < black ? 0 : v >= white ? 255 : curve[stretch[v - black]];
}

void BuildLevelsLookup(const LevelsParams& params, ChannelLookup* lookup) {
    BuildLevelsTable(EffectiveLevels(params, kLevelsBlue), lookup->blue);
    BuildLevelsTable(EffectiveLevels(params, kLevelsGreen), lookup->green);
    BuildLevelsTable(EffectiveLevels(params, kLevelsRed), lookup->red);
}

bool CountLevelsHistogram(const ImageBuffer& image, const uint8_t* mask, LevelsHistogram* histogram) {
    std::memset(histogram, 0, sizeof *histogram);
    int32_t width = image.header.biWidth, height = image.header.biHeight;
    uint16_t bits = image.header.biBitCount;
    if (image.pixels == nullptr || width <= 0 || height <= 0 || (bits != 8 && bits != 24)) return false;
    uint32_t stride = ImageStride(static_cast<uint32_t>(width), bits);
    if (bits == 8) {
        uint64_t perIndex[256] = {};
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* p = image.pixels + static_cast<size_t>(y) * stride;
            for (int32_t x = 0; x < width; ++x)
                ++perIndex[p[x]];
        }
        for (int i = 0; i < 256; ++i) {
            histogram->count[kLevelsBlue][image.palette[i].rgbBlue] += perIndex[i];
            histogram->count[kLevelsGreen][image.palette[i].rgbGreen] += perIndex[i];
            histogram->count[kLevelsRed][image.palette[i].rgbRed] += perIndex[i];
        }
    } else {
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* p = image.pixels + static_cast<size_t>(y) * stride;
            const uint8_t* m = mask ? mask + static_cast<size_t>(y) * static_cast<uint32_t>(width) : nullptr;
            for (int32_t x = 0; x < width; ++x, p += 3) {
                if (m && m[x] == 255) continue;
                ++histogram->count[kLevelsBlue][p[0]];
                ++histogram->count[kLevelsGreen][p[1]];
                ++histogram->count[kLevelsRed][p[2]];
            }
        }
    }
    for (int v = 0; v < 256; ++v)
        histogram->count[kLevelsCombined][v] =
            histogram->count[kLevelsBlue][v] + histogram->count[kLevelsGreen][v] + histogram->count[kLevelsRed][v];
    return true;
}

uint64_t TallestCount(const LevelsHistogram& histogram, int32_t channel) {
    uint64_t tallest = 0;
    for (uint64_t n : histogram.count[ClampInt(channel, kLevelsBlue, kLevelsCombined)])
        tallest = n > tallest ? n : tallest;
    return tallest;
}

int32_t HistogramBarHeight(uint64_t count, uint64_t tallest, int32_t height) {
    if (count == 0 || tallest == 0 || height <= 0) return 0;
    if (count >= tallest) return height;
    // in floating point: count x height may pass 2^64 for a combined count of a huge picture
    int32_t bar = static_cast<int32_t>(static_cast<double>(count) * height / static_cast<double>(tallest) + 0.5);
    return bar < 1 ? 1 : bar;
}

int32_t LevelAtControlX(int32_t x) {
    return ClampInt(x, 0, 255);
}

LevelsMarker MarkerNear(const LevelsPoints& points, int32_t level) {
    int32_t toBlack = level > points.black ? level - points.black : points.black - level;
    int32_t toWhite = level > points.white ? level - points.white : points.white - level;
    bool black = toBlack <= kLevelsGrabDistance && level < points.white;
    bool white = toWhite <= kLevelsGrabDistance;
    if (black && white) return toWhite < toBlack ? LevelsMarker::kWhite : LevelsMarker::kBlack;
    return black ? LevelsMarker::kBlack : white ? LevelsMarker::kWhite : LevelsMarker::kNone;
}

ValueRange LevelsBlackRange(const LevelsPoints& points) {
    return {0, points.white - 1};
}

ValueRange LevelsWhiteRange(const LevelsPoints& points) {
    return {points.black + 1, 255};
}

void SetLevelsBlack(LevelsPoints* points, int32_t value) {
    ValueRange r = LevelsBlackRange(*points);
    points->black = ClampInt(value, r.min, r.max);
}

void SetLevelsWhite(LevelsPoints* points, int32_t value) {
    ValueRange r = LevelsWhiteRange(*points);
    points->white = ClampInt(value, r.min, r.max);
}

void SetLevelsGamma(LevelsPoints* points, int32_t value) {
    points->gamma = ClampInt(value, kGammaMin, kGammaMax);
}

void DragLevelsMarker(LevelsPoints* points, LevelsMarker marker, int32_t level) {
    if (marker == LevelsMarker::kBlack) SetLevelsBlack(points, level);
    if (marker == LevelsMarker::kWhite) SetLevelsWhite(points, level);
}

void ClickLevel(LevelsPoints* points, bool rightButton, int32_t level) {
    DragLevelsMarker(points, rightButton ? LevelsMarker::kWhite : LevelsMarker::kBlack, level);
}

} // namespace qv
