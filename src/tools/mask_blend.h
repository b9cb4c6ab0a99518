// The selection mask in a tool's kernel: blending the result with the unprocessed pixels. The
// dimmed display copy lives with the mask itself (image/selection_mask.h).
#pragma once

#include <cstdint>

#include "image/selection_mask.h"
#include "tools/kernel_job.h"

namespace qv {

// Over dest rows [job.rowBegin, job.rowEnd): out = T[255 - m][result] + T[m][source] per channel,
// where m is the mask value (0 keeps the result, 255 restores the source byte for byte). Does
// nothing without a mask. Run it after the kernel, on the same band.
void BlendBandWithMask(const KernelJob& job);

} // namespace qv
