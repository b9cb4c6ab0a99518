// Noise reduction (5182): a pixel whose grey value stands out from the mean of its neighbours by
// more than a threshold is replaced by the neighbourhood pixel of median grey. The tool window
// binds its level box to NoiseReductionParams and calls RunNoiseReduction on each recompute.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

constexpr int32_t kNoiseLevelMin = 0, kNoiseLevelMax = 255, kNoiseLevelDefault = 255; // NsrLevel

struct NoiseReductionParams {
    int32_t level = kNoiseLevelDefault; // threshold 255 - level: 255 finds noise in any difference
};

bool IsNeutralNoiseReduction(const NoiseReductionParams& p);

// Writes job.dest rows [rowBegin, rowEnd), mask blended. Among candidates of equal grey the one
// first in storage order ranks lower.
void RunNoiseReduction(const KernelJob& job, const NoiseReductionParams& p, int threads);

} // namespace qv
