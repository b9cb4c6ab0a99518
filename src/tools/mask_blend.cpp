#include "tools/mask_blend.h"

namespace qv {

void BlendBandWithMask(const KernelJob& job) {
    if (job.mask == nullptr) return;
    const BlendTable& t = *job.blend;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* m = job.mask + static_cast<size_t>(y) * static_cast<uint32_t>(job.width);
        const uint8_t* o = job.source + static_cast<size_t>(y) * job.stride;
        uint8_t* r = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x = 0; x < job.width; ++x, o += 3, r += 3) {
            uint8_t a = m[x];
            if (a == 0) continue;
            if (a == 255) {
                r[0] = o[0], r[1] = o[1], r[2] = o[2];
                continue;
            }
            for (int c = 0; c < 3; ++c)
                r[c] = MaskBlendChannel(t, a, r[c], o[c]);
        }
    }
}

} // namespace qv
