#include "tools/unsharp_kernel.h"

#include <cstdlib>

#include "platform/platform.h"
#include "tools/box_blur_kernel.h"
#include "tools/filter_tables.h"
#include "tools/mask_blend.h"

namespace qv {

namespace {
// job.dest holds the blur on entry and the difference on return (the same bytes reused).
void DifferenceBand(const KernelJob& job, const void*) {
    const uint32_t rowBytes = static_cast<uint32_t>(job.width) * 3;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        size_t at = static_cast<size_t>(y) * job.stride;
        const uint8_t* src = job.source + at;
        uint8_t* plane = job.dest + at;
        for (uint32_t i = 0; i < rowBytes; ++i) {
            int32_t d = src[i] - plane[i];
            d = d < -128 ? -128 : (d > 127 ? 127 : d);
            plane[i] = static_cast<uint8_t>(static_cast<int8_t>(d));
        }
    }
}

void DifferenceFromBlurBand(const KernelJob& job, const void* params) {
    BoxBlurBand(job, params);
    DifferenceBand(job, nullptr);
}

void UnsharpBand(const KernelJob& job, const void* params) {
    const UnsharpParams& p = *static_cast<const UnsharpParams*>(params);
    const FilterTables& t = GetFilterTables();
    const int16_t* amount = t.amount[p.amount] + 128;
    const uint8_t* clamp = t.clampTable - kClampLowest;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        size_t at = static_cast<size_t>(y) * job.stride;
        const uint8_t* src = job.source + at;
        const int8_t* d = p.difference + at;
        uint8_t* out = job.dest + at;
        for (int32_t x = 0; x < job.width; ++x, src += 3, d += 3, out += 3) {
            if (std::abs(d[0]) + std::abs(d[1]) + std::abs(d[2]) <= p.threshold) {
                out[0] = src[0], out[1] = src[1], out[2] = src[2];
                continue;
            }
            for (int c = 0; c < 3; ++c)
                out[c] = clamp[src[c] + amount[d[c]]];
        }
    }
    BlendBandWithMask(job);
}
} // namespace

bool IsNeutralUnsharp(const UnsharpParams& p) {
    return p.amount == 0;
}

int8_t* MakeUnsharpDifference(const uint8_t* source, int32_t width, int32_t height, int threads) {
    KernelJob job = WholeImageJob(source, nullptr, width, height, nullptr);
    auto* plane = static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(job.stride) * height + 4));
    if (plane == nullptr) return nullptr;
    job.dest = plane;
    BoxBlurParams blur; // 5 x 5 at full strength: the plain mean
    blur.size = 5;
    blur.strength = 255;
    blur.blendMask = false;
    RunKernelBands(job, DifferenceFromBlurBand, &blur, threads);
    return reinterpret_cast<int8_t*>(plane);
}

void RunUnsharp(const KernelJob& job, const UnsharpParams& p, int threads) {
    RunKernelBands(job, UnsharpBand, &p, threads);
}

} // namespace qv
