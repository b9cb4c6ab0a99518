// Jitter (5272): each pixel blended with a randomly displaced one. The draws come from the C
// library's linear congruential generator as the Windows run-time library defines it (state x
// 214013 + 2531011, the value bits 16 .. 30), computed here so that both builds draw the same
// values and a seed pins the pattern: the tool window passes a new seed with each recompute (the
// pattern changes) and keeps the preview's seed for apply.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

constexpr int32_t kJitterLevelMin = 1, kJitterLevelMax = 100, kJitterLevelDefault = 80; // JitLevel
constexpr int32_t kJitterRangeMin = 1, kJitterRangeMax = 100, kJitterRangeDefault = 20; // JitRange
constexpr uint32_t kJitterDefaultSeed = 1; // the run-time library's state before any srand

struct JitterParams {
    int32_t level = kJitterLevelDefault; // a percentage: the displaced pixel's weight P[level]
    int32_t range = kJitterRangeDefault; // the width of the displacement in pixels
    uint32_t seed = kJitterDefaultSeed;
};

inline bool IsNeutralJitter(const JitterParams&) {
    return false; // always records a history entry
}

// The generator: Next() returns 0 .. 32767 as rand() does after srand(seed).
struct JitterRandom {
    uint32_t state;
    int32_t Next() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    }
    // Moves the state on by `steps` draws at once (the generator is affine, so steps compose).
    void Skip(uint64_t steps);
};

// One displacement from a draw f in 0 .. 32767: trunc(range x f / 32767 - (range >> 1)).
int32_t JitterOffset(int32_t range, int32_t draw);

// Writes job.dest rows [rowBegin, rowEnd), mask blended. Pixels draw in storage order, two values
// each (x then y), so a band starts from the seed skipped by the draws of the rows before it.
void RunJitter(const KernelJob& job, const JitterParams& p, int threads);

} // namespace qv
