#include "tools/box_blur_kernel.h"

#include <algorithm>

#include "tools/filter_tables.h"
#include "tools/mask_blend.h"

namespace qv {

namespace {
constexpr int32_t kChunkPixels = 1024; // column sums are kept for this many pixels at a time
} // namespace

namespace {
// The neighbourhood size is a template argument so that its short loops unroll and the loops over
// bytes around them vectorise.
template <int32_t kSize> void BoxBlurRows(const KernelJob& job, const BoxBlurParams& p) {
    const FilterTables& tables = GetFilterTables();
    const uint8_t* divide = kSize == 5 ? tables.div25 : tables.div9;
    constexpr int32_t half = kSize / 2;
    const int32_t w = job.width;
    const uint8_t* toMean = job.blend->t[p.strength];
    const uint8_t* toSource = job.blend->t[255 - p.strength];
    // Column sums (the vertical part of the neighbourhood) of a chunk of pixels and `half` more on
    // each side, the edge pixel repeated beyond the image; the horizontal part then adds 3 or 5 of
    // them. Each step is a plain loop over bytes that the compiler vectorises.
    uint16_t columns[(kChunkPixels + 4) * 3];
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* rows[5];
        for (int32_t k = -half; k <= half; ++k)
            rows[k + half] = job.source + static_cast<size_t>(ClampToEdge(y + k, job.height)) * job.stride;
        const uint8_t* src = job.source + static_cast<size_t>(y) * job.stride;
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x0 = 0; x0 < w; x0 += kChunkPixels) {
            const int32_t x1 = std::min(w, x0 + kChunkPixels);
            const int32_t from = std::max(0, x0 - half), to = std::min(w, x1 + half); // pixels inside the image
            uint16_t* col = columns + (from - (x0 - half)) * 3;
            const uint32_t bytes = static_cast<uint32_t>(to - from) * 3, start = static_cast<uint32_t>(from) * 3;
            for (uint32_t i = 0; i < bytes; ++i) {
                uint32_t s = 0;
                for (int32_t k = 0; k < kSize; ++k)
                    s += rows[k][start + i];
                col[i] = static_cast<uint16_t>(s);
            }
            for (int32_t e = x0 - half; e < from; ++e) // beyond the left edge: the first pixel again
                for (int c = 0; c < 3; ++c)
                    columns[(e - (x0 - half)) * 3 + c] = col[c];
            for (int32_t e = to; e < x1 + half; ++e) // beyond the right edge: the last pixel again
                for (int c = 0; c < 3; ++c)
                    columns[(e - (x0 - half)) * 3 + c] = col[bytes - 3 + c];
            const uint32_t outBytes = static_cast<uint32_t>(x1 - x0) * 3;
            const uint8_t* s0 = src + static_cast<size_t>(x0) * 3;
            uint8_t* o = out + static_cast<size_t>(x0) * 3;
            for (uint32_t i = 0; i < outBytes; ++i) {
                uint32_t s = 0;
                for (int32_t e = 0; e < kSize; ++e)
                    s += columns[i + static_cast<uint32_t>(e) * 3];
                o[i] = static_cast<uint8_t>(toMean[divide[s]] + toSource[s0[i]]);
            }
        }
    }
}
} // namespace

void BoxBlurBand(const KernelJob& job, const void* params) {
    const BoxBlurParams& p = *static_cast<const BoxBlurParams*>(params);
    if (p.size == 5)
        BoxBlurRows<5>(job, p);
    else
        BoxBlurRows<3>(job, p);
    if (p.blendMask) BlendBandWithMask(job);
}

} // namespace qv
