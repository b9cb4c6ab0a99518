// Emboss (5273) and edge extraction (5274, immediate): a 3 x 3 kernel over each channel, nearest
// edge pixels standing in beyond the image. Emboss's grey form adds 127 and writes one grey to all
// three channels; its colour form and edge extraction divide by the sum of the coefficients. The
// emboss window binds its controls to EmbossParams and calls RunEmboss on each recompute; the
// edge-extraction command calls ExtractEdges once.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

constexpr int32_t kEmbossDirectionMin = 0, kEmbossDirectionMax = 7, kEmbossDirectionDefault = 0; // EmbLine
constexpr int32_t kEmbossLevelMin = 1, kEmbossLevelMax = 16, kEmbossLevelDefault = 1;            // EmbLevel

struct EmbossParams {
    int32_t direction = kEmbossDirectionDefault;
    int32_t level = kEmbossLevelDefault;
    bool colour = false; // EmbColor
};

inline bool IsNeutralEmboss(const EmbossParams&) {
    return false; // always records a history entry
}

// The nine coefficients k0 .. k8 (k0 .. k2 for the first of the three rows in storage order).
void EmbossCoefficients(const EmbossParams& p, int32_t k[9]);

// Writes job.dest rows [rowBegin, rowEnd), mask blended.
void RunEmboss(const KernelJob& job, const EmbossParams& p, int threads);
void ExtractEdges(const KernelJob& job, int threads);

} // namespace qv
