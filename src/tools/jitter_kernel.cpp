#include "tools/jitter_kernel.h"

#include "tools/filter_tables.h"
#include "tools/mask_blend.h"

namespace qv {

void JitterRandom::Skip(uint64_t steps) {
    // (mul, add) is the map of 2^i steps; squaring it doubles the step count
    uint32_t mul = 214013u, add = 2531011u;
    for (; steps != 0; steps >>= 1) {
        if (steps & 1) state = state * mul + add;
        add = add * mul + add;
        mul = mul * mul;
    }
}

int32_t JitterOffset(int32_t range, int32_t draw) {
    // exact integer form of the real-valued trunc: below the half range it rounds toward zero
    const int32_t scaled = range * draw, half = (range >> 1) * 32767;
    return scaled >= half ? (scaled - half) / 32767 : -((half - scaled) / 32767);
}

namespace {
void JitterBand(const KernelJob& job, const void* params) {
    const JitterParams& p = *static_cast<const JitterParams*>(params);
    const int32_t w = job.width;
    const uint8_t a = GetFilterTables().strength[p.level];
    const uint8_t* toDisplaced = job.blend->t[a];
    const uint8_t* toSource = job.blend->t[255 - a];
    JitterRandom random{p.seed};
    random.Skip(static_cast<uint64_t>(job.rowBegin) * static_cast<uint32_t>(w) * 2);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* src = job.source + static_cast<size_t>(y) * job.stride;
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t dx = JitterOffset(p.range, random.Next());
            const int32_t dy = JitterOffset(p.range, random.Next());
            const uint8_t* q = job.source + static_cast<size_t>(ClampToEdge(y + dy, job.height)) * job.stride +
                               static_cast<size_t>(ClampToEdge(x + dx, w)) * 3;
            for (int c = 0; c < 3; ++c)
                out[x * 3 + c] = static_cast<uint8_t>(toDisplaced[q[c]] + toSource[src[x * 3 + c]]);
        }
    }
    BlendBandWithMask(job);
}
} // namespace

void RunJitter(const KernelJob& job, const JitterParams& p, int threads) {
    RunKernelBands(job, JitterBand, &p, threads);
}

} // namespace qv
