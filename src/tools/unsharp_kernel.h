// Unsharp mask (5170). When the tool opens it calls MakeUnsharpDifference once (on the GUI
// thread): the source minus its 5 x 5 box blur, per channel, kept to -128 .. 127. Each recompute
// then runs RunUnsharp: a pixel whose three differences add up to more than the threshold gets
// each channel moved by floor(amount x difference / 8), clamped to 0 .. 255.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

constexpr int32_t kUnsharpAmountMin = 0, kUnsharpAmountMax = 100, kUnsharpAmountDefault = 3;           // UsmLevel
constexpr int32_t kUnsharpThresholdMin = 0, kUnsharpThresholdMax = 100, kUnsharpThresholdDefault = 20; // UsmRange

struct UnsharpParams {
    int32_t amount = kUnsharpAmountDefault;
    int32_t threshold = kUnsharpThresholdDefault;
    const int8_t* difference = nullptr; // from MakeUnsharpDifference, the source's layout
};

bool IsNeutralUnsharp(const UnsharpParams& p);

// The difference plane of the whole 24-bit image in a new large block (FreeLargeBlock), or null
// without memory.
int8_t* MakeUnsharpDifference(const uint8_t* source, int32_t width, int32_t height, int threads);

// Writes job.dest rows [rowBegin, rowEnd), mask blended.
void RunUnsharp(const KernelJob& job, const UnsharpParams& p, int threads);

} // namespace qv
