#include "tools/focus_kernel.h"

#include "platform/platform.h"
#include "tools/gaussian_blur_kernel.h"
#include "tools/mask_blend.h"

namespace qv {

namespace {
void FocusBand(const KernelJob& job, const void* params) {
    const FocusParams& p = *static_cast<const FocusParams*>(params);
    const uint8_t* toBlur = job.blend->t[p.level];
    const uint8_t* toSource = job.blend->t[255 - p.level];
    const uint32_t rowBytes = static_cast<uint32_t>(job.width) * 3;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        size_t at = static_cast<size_t>(y) * job.stride;
        const uint8_t* src = job.source + at;
        const uint8_t* blur = p.blur + at;
        uint8_t* out = job.dest + at;
        for (uint32_t i = 0; i < rowBytes; ++i)
            out[i] = static_cast<uint8_t>(toBlur[blur[i]] + toSource[src[i]]);
    }
    BlendBandWithMask(job);
}
} // namespace

bool IsNeutralFocus(const FocusParams& p) {
    return p.level == 0;
}

uint8_t* MakeFocusBlur(const uint8_t* source, int32_t width, int32_t height, int threads, KernelPath path) {
    KernelJob job = WholeImageJob(source, nullptr, width, height, nullptr);
    auto* blur = static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(job.stride) * height + 4));
    if (blur == nullptr) return nullptr;
    job.dest = blur;
    if (!RunGaussianBlur(job, kFocusBlurRadius, threads, path)) {
        FreeLargeBlock(blur);
        return nullptr;
    }
    return blur;
}

void RunFocus(const KernelJob& job, const FocusParams& p, int threads) {
    RunKernelBands(job, FocusBand, &p, threads);
}

} // namespace qv
