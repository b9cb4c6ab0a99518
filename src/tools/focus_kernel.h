// Focus (5172): the image blended with a strong Gaussian blur of itself. The tool window calls
// MakeFocusBlur once when it opens (on the GUI thread) and RunFocus on each recompute.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"
#include "tools/kernel_path.h"

namespace qv {

constexpr int32_t kFocusLevelMin = 0, kFocusLevelMax = 200, kFocusLevelDefault = 100; // FcsLevel
constexpr int32_t kFocusBlurRadius = 20; // before the image-size limit of the Gaussian

struct FocusParams {
    int32_t level = kFocusLevelDefault; // the blur's weight F: out = T[F][blur] + T[255 - F][source]
    const uint8_t* blur = nullptr;      // from MakeFocusBlur, the source's layout
};

bool IsNeutralFocus(const FocusParams& p);

// The blur of the whole 24-bit image at radius 20, in a new large block (FreeLargeBlock), or null
// without memory.
uint8_t* MakeFocusBlur(const uint8_t* source, int32_t width, int32_t height, int threads,
                       KernelPath path = KernelPath::Best);

// Writes job.dest rows [rowBegin, rowEnd), mask blended.
void RunFocus(const KernelJob& job, const FocusParams& p, int threads);

} // namespace qv
