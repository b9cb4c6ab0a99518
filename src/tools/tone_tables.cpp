#include "tools/tone_tables.h"

#include <cmath>

namespace qv {

namespace {

void BuildGammaCurves(ToneTables* t) {
    const double kPi = 3.14159265358979323846;
    for (int32_t k = kGammaMin; k <= kGammaMax; ++k) {
        int32_t degrees = 2 * (k + 100) / 5 + 5; // truncated, so 2.5 steps of k share one curve
        double theta = degrees * kPi / 180.0;
        double exponent = std::cos(theta) / std::sin(theta);
        uint8_t* curve = t->gamma[k - kGammaMin];
        curve[0] = 0;
        for (int32_t j = 1; j < 256; ++j)
            curve[j] = static_cast<uint8_t>(std::floor(255.0 * std::pow(j / 255.0, exponent) + 0.5));
    }
}

void BuildStretch(ToneTables* t) {
    for (int32_t w = 1; w < 256; ++w) {
        uint32_t a = 16711680u / static_cast<uint32_t>(w);
        t->stretch[w][0] = 0;
        for (uint32_t j = 1; j < 256; ++j)
            t->stretch[w][j] = j * a <= 16777215u ? static_cast<uint8_t>((j * a) >> 16) : 255;
    }
}

int16_t OddShift(int32_t factor, int32_t i) {
    int32_t magnitude = (factor * (i < 0 ? -i : i)) >> 12;
    return static_cast<int16_t>(i < 0 ? -magnitude : magnitude);
}

ToneTables* BuildToneTables() {
    static ToneTables tables;
    BuildGammaCurves(&tables);
    BuildStretch(&tables);
    for (int32_t d = -255; d <= 255; ++d)
        tables.squares[d + 255] = d * d;
    for (int32_t n = 0; n < 256; ++n) {
        tables.lumaGreen[n] = static_cast<int16_t>(587 * n / 114);
        tables.lumaRed[n] = static_cast<int16_t>(299 * n / 114);
    }
    for (int32_t i = -kLuminanceDeltaMax; i <= kLuminanceDeltaMax; ++i) {
        tables.correctBlue[i + kLuminanceDeltaMax] = OddShift(468, i);
        tables.correctGreen[i + kLuminanceDeltaMax] = OddShift(2406, i);
        tables.correctRed[i + kLuminanceDeltaMax] = OddShift(1224, i);
    }
    tables.reciprocal[0] = 0;
    for (uint64_t n = 1; n <= 510; ++n)
        tables.reciprocal[n] = ((uint64_t{1} << 32) + n - 1) / n;
    return &tables;
}

} // namespace

const ToneTables& GetToneTables() {
    static const ToneTables* tables = BuildToneTables();
    return *tables;
}

void BuildDistanceWeights(int32_t range, DistanceWeights* w) {
    range = ClampInt(range, 0, kColourRangeMax);
    w->range = range;
    w->limit = 3 * range * range;
    if (w->limit == 0) {
        w->weight[0] = 255;
        return;
    }
    for (int32_t k = 0; k <= w->limit; ++k)
        w->weight[k] = static_cast<uint8_t>(255 - static_cast<int64_t>(k) * 255 / w->limit);
}

} // namespace qv
