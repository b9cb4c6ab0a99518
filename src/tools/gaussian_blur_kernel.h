// The separable Gaussian blur of the soften tool (its third mode) and of the focus tool's one-time
// blur: rows first, then columns, with the shared Gaussian weights. Near an edge the weights that
// fall outside the image are left out and the sum is divided by the weights used; elsewhere it is
// shifted down.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"
#include "tools/kernel_path.h"

namespace qv {

constexpr int32_t kGaussianRadiusLimit = 50;

// The radius a request becomes on an image: min(requested, 50, (min(width, height) - 1) / 2),
// never below 0, so that the whole kernel fits across the image.
int32_t GaussianRadiusFor(int32_t requested, int32_t width, int32_t height);

// Blurs job.source into job.dest rows [rowBegin, rowEnd) with the radius the request becomes, then
// blends through the mask. Bands run on `threads` cores; the bytes are the same for every thread
// count and path. False when a band's row buffer cannot be allocated (dest is then incomplete).
bool RunGaussianBlur(const KernelJob& job, int32_t requestedRadius, int threads, KernelPath path = KernelPath::Best);

} // namespace qv
