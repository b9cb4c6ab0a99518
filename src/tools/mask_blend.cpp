#include "tools/mask_blend.h"

#include "model/grey_weights.h"

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
                r[c] = static_cast<uint8_t>(t.t[255 - a][r[c]] + t.t[a][o[c]]);
        }
    }
}

void BuildMaskDisplay(const uint8_t* pixels, const uint8_t* mask, int32_t width, int32_t height, uint8_t* display) {
    const BlendTable& t = GetBlendTable();
    const GreyWeights& w = GetGreyWeights();
    uint32_t stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* m = mask + static_cast<size_t>(y) * static_cast<uint32_t>(width);
        const uint8_t* s = pixels + static_cast<size_t>(y) * stride;
        uint8_t* d = display + static_cast<size_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
            uint8_t a = m[x];
            if (a == 0) {
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
                continue;
            }
            uint8_t dim = static_cast<uint8_t>(64 + (GreyOf(w, s[0], s[1], s[2]) >> 1));
            for (int c = 0; c < 3; ++c)
                d[c] = a == 255 ? dim : static_cast<uint8_t>(t.t[255 - a][s[c]] + t.t[a][dim]);
        }
    }
}

} // namespace qv
