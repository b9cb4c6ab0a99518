// Edge-preserving smoothing (5276, immediate): a full-strength 3 x 3 box blur, then twice a
// symmetric-nearest-neighbour pass over 5 x 5 windows, which smooths within areas without
// washing their edges out. The command calls SmoothPreservingEdges once on the working copy.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

// Writes all of job.dest (its rows are ignored: each pass reads across every band of the one
// before), mask blended against
// job.source. False when the intermediate plane cannot be allocated; dest is then incomplete.
bool SmoothPreservingEdges(const KernelJob& job, int threads);

} // namespace qv
