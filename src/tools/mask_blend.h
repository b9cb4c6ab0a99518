// The selection mask in a tool's kernel: blending the result with the unprocessed pixels. The
// dimmed display copy lives with the mask itself (image/selection_mask.h).
#pragma once

#include <cstdint>

#include "image/selection_mask.h"
#include "tools/kernel_job.h"

namespace qv {

// One channel through mask value m: T[255 - m][result] + T[m][source], the source itself at 255.
inline uint8_t MaskBlendChannel(const BlendTable& t, uint8_t m, uint8_t result, uint8_t source) {
    return m == 255 ? source : static_cast<uint8_t>(t.t[255 - m][result] + t.t[m][source]);
}

// Over dest rows [job.rowBegin, job.rowEnd): out = T[255 - m][result] + T[m][source] per channel,
// where m is the mask value (0 keeps the result, 255 restores the source byte for byte). Does
// nothing without a mask. Run it after the kernel, on the same band.
void BlendBandWithMask(const KernelJob& job);

} // namespace qv
