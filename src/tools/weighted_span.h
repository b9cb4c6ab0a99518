// The inner loop of the separable Gaussian: a run of output bytes, each the weighted sum of the
// bytes at the same offset in several tap rows, shifted down. The horizontal pass points the taps
// at neighbouring pixels of one row, the vertical pass at neighbouring rows.
#pragma once

#include <cstdint>

#include "tools/kernel_path.h"

namespace qv {

// out[j] = (sum over k < tapCount of weight[k] x taps[k][j]) >> shift for j < count. The caller
// keeps each sum within 255 << shift (its weights sum to about 2^shift) and weights below 2^15.
// Every path gives the same bytes; `path` must be resolved (not Best).
void WeightedSpan(const uint8_t* const* taps, const int32_t* weight, int32_t tapCount, int32_t shift, uint32_t count,
                  uint8_t* out, KernelPath path);

} // namespace qv
