// The Gaussian weights shared by the soften and focus filters and by the feathering of the
// selection mask: 2r + 1 integer weights that sum to about 2^shift, so a blur is a weighted sum and
// one shift. Built from the raw weights round(255 exp(-k^2 / H)), H = 2 (r / 2)^2. The scaled
// weights never sum to less than 2^shift, so a flat area keeps its value through the shift.
#pragma once

#include <cstdint>

namespace qv {

constexpr int32_t kMaxGaussianRadius = 100;

struct GaussianWeights {
    int32_t radius = 0;
    int32_t shift = 0;     // bit length of (raw sum / 2)
    int32_t rawSum = 0;    // w(0) + 2 x the sum of w(k > 0) before scaling
    int32_t weightSum = 0; // sum of the scaled weights over k = -r .. r: at least 1 << shift
    // scaled weights for k = -r .. r at index k + r
    int32_t weight[2 * kMaxGaussianRadius + 1] = {};
    int32_t At(int32_t k) const { return weight[k + radius]; }
};

// Fills `out` for radius 1 .. kMaxGaussianRadius; radius 0 gives the single weight 1 << 0 (a copy).
// False for a radius outside 0 .. kMaxGaussianRadius.
bool BuildGaussianWeights(int32_t radius, GaussianWeights* out);

} // namespace qv
