// The 3 x 3 and 5 x 5 box filters: each channel's neighbourhood sum (neighbours outside the image
// replaced by the nearest edge pixel) divided through the D9 or D25 table, then blended with the
// source at a strength. The soften tool runs them as they are; the unsharp mask's one-time blur and
// the edge-preserving smoothing start from them at full strength.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

struct BoxBlurParams {
    int32_t size = 3;       // 3 or 5
    int32_t strength = 255; // a: out = T[a][mean] + T[255 - a][source]
    bool blendMask = true;  // false for a blur that is only an intermediate plane
};

// A band kernel: writes job.dest rows [rowBegin, rowEnd); then, with blendMask, the mask blend.
void BoxBlurBand(const KernelJob& job, const void* params);

} // namespace qv
