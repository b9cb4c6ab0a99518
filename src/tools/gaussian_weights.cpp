#include "tools/gaussian_weights.h"

#include <cmath>

namespace qv {

namespace {
int32_t BitLength(uint32_t value) {
    int32_t bits = 0;
    while (value != 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}
} // namespace

bool BuildGaussianWeights(int32_t radius, GaussianWeights* out) {
    if (radius < 0 || radius > kMaxGaussianRadius) return false;
    *out = GaussianWeights{};
    out->radius = radius;
    if (radius == 0) {
        out->weight[0] = 1;
        out->rawSum = 1;
        out->weightSum = 1;
        return true;
    }
    // (r / 2) is a real half: with whole-number halving radius 1 would divide by zero
    double half = radius / 2.0;
    double h = 2.0 * half * half;
    int32_t raw[2 * kMaxGaussianRadius + 1];
    int64_t sum = 0;
    for (int32_t k = -radius; k <= radius; ++k) {
        raw[k + radius] = static_cast<int32_t>(255.0 * std::exp(-static_cast<double>(k) * k / h) + 0.5);
        sum += raw[k + radius];
    }
    out->rawSum = static_cast<int32_t>(sum);
    out->shift = BitLength(static_cast<uint32_t>(sum / 2));
    int64_t scale = int64_t{1} << out->shift;
    for (int32_t i = 0; i <= 2 * radius; ++i) {
        // round half up of raw x 2^shift / sum
        out->weight[i] = static_cast<int32_t>((raw[i] * scale * 2 + sum) / (2 * sum));
        out->weightSum += out->weight[i];
    }
    // Rounding each weight can leave the total a little short of 2^shift (radius 6 and 20 among
    // others). A blur that divides by 2^shift would then darken every flat area by a level per pass
    // and unprotect a fully protected mask, so the centre weight takes up the shortfall. A small
    // excess is harmless: 255 x the total still shifts down to 255, so flat areas keep their value.
    if (out->weightSum < scale) {
        out->weight[radius] += static_cast<int32_t>(scale) - out->weightSum;
        out->weightSum = static_cast<int32_t>(scale);
    }
    return true;
}

} // namespace qv
