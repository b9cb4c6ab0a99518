// Soften (5171): a 3 x 3 or 5 x 5 box filter at a strength, or a Gaussian blur of a radius. The
// tool window binds its mode choice, the two strength boxes and the radius box to SoftenParams,
// and its worker calls RunSoften on each recompute.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"
#include "tools/kernel_path.h"

namespace qv {

enum SoftenMode : int32_t { kSoftenBox3 = 0, kSoftenBox5 = 1, kSoftenGaussian = 2 };

constexpr int32_t kSoftenModeDefault = kSoftenBox3;
constexpr int32_t kSoftenStrengthMin = 0, kSoftenStrengthMax = 10, kSoftenStrengthDefault = 0; // Sft3, Sft5
constexpr int32_t kSoftenRadiusMin = 0, kSoftenRadiusMax = 20, kSoftenRadiusDefault = 0;       // SftG

struct SoftenParams {
    int32_t mode = kSoftenModeDefault;
    int32_t strength3 = kSoftenStrengthDefault; // tenths of full strength for the 3 x 3 box
    int32_t strength5 = kSoftenStrengthDefault; // the same for the 5 x 5 box
    int32_t radius = kSoftenRadiusDefault;      // of the Gaussian
    KernelPath path = KernelPath::Best;
};

// True when the current mode's value is 0: applying records no history entry.
bool IsNeutralSoften(const SoftenParams& p);

// Writes job.dest rows [rowBegin, rowEnd), mask blended. False when memory runs out.
bool RunSoften(const KernelJob& job, const SoftenParams& p, int threads);

} // namespace qv
