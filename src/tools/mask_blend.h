// The selection mask's two uses on 24-bit rows: blending a tool's result with the unprocessed
// pixels, and the dimmed display copy that shows which pixels are protected.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

// Over dest rows [job.rowBegin, job.rowEnd): out = T[255 - m][result] + T[m][source] per channel,
// where m is the mask value (0 keeps the result, 255 restores the source byte for byte). Does
// nothing without a mask. Run it after the kernel, on the same band.
void BlendBandWithMask(const KernelJob& job);

// The display copy: pixels with m = 0 as they are; otherwise d = 64 + (grey >> 1) and, for
// m < 255, T[255 - m][source] + T[m][d] per channel, d itself for m = 255. `display` has the
// image's 24-bit layout.
void BuildMaskDisplay(const uint8_t* pixels, const uint8_t* mask, int32_t width, int32_t height, uint8_t* display);

} // namespace qv
