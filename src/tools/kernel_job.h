// KernelJob: one job for a tool kernel. The framework's worker, the immediate operations and
// quorvel-cli's `edit` all describe the work the same way, so a kernel is written once and runs
// under each of them (and on several cores, by handing each thread its own band of rows).
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/blend_table.h"

namespace qv {

struct KernelJob {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;             // bytes per row of source and dest: (width x 3 + 3) & ~3 for 24 bits
    const uint8_t* source = nullptr; // the working copy, rows bottom-up as in an ImageBuffer
    uint8_t* dest = nullptr;         // the result buffer, same layout; never the same block as source
    const uint8_t* mask = nullptr;   // SelectionMask (width x height, no padding, same row order) or null
    const BlendTable* blend = nullptr;
    // The memory rows [rowBegin, rowEnd) this call writes. A kernel may read any source row (its
    // neighbourhood crosses the band's edges) but writes only its own band, so bands run at once.
    int32_t rowBegin = 0;
    int32_t rowEnd = 0;
};

// A job over the whole of a 24-bit image, with the process-wide BlendTable.
KernelJob WholeImageJob(const uint8_t* source, uint8_t* dest, int32_t width, int32_t height, const uint8_t* mask);

// A band kernel: writes dest rows [job.rowBegin, job.rowEnd) from the source with its parameters.
using BandKernel = void (*)(const KernelJob& job, const void* params);

// Number of bands worth running at once on this machine (at least 1).
int KernelThreadCount();

// Runs `kernel` over job's rows split into `threads` bands of whole rows (threads <= 1 or a small
// image: one call on this thread). Kernels write only their band, so the result is byte-identical
// for every thread count.
void RunKernelBands(const KernelJob& job, BandKernel kernel, const void* params, int threads);

} // namespace qv
