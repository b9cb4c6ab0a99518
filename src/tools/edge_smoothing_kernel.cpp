#include "tools/edge_smoothing_kernel.h"

#include "platform/platform.h"
#include "tools/box_blur_kernel.h"
#include "tools/filter_tables.h"
#include "tools/mask_blend.h"

namespace qv {

namespace {
int32_t Energy(const FilterTables& t, const uint8_t* q) {
    return t.Square(q[0]) + t.Square(q[1]) + t.Square(q[2]);
}

// One pass: each of the twelve pairs placed symmetrically about the centre gives the member whose
// energy is nearer the centre's (the earlier in storage order on a tie; the one inside the image
// when the other is not); the output is the truncated mean of the chosen pixels.
void SymmetricNearestBand(const KernelJob& job, const void*) {
    const FilterTables& t = GetFilterTables();
    const int32_t w = job.width, h = job.height;
    auto at = [&](int32_t x, int32_t y) {
        return job.source + static_cast<size_t>(y) * job.stride + static_cast<size_t>(x) * 3;
    };
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t centre = Energy(t, at(x, y));
            int32_t sum[3] = {0, 0, 0}, count = 0;
            // the pairs (x + dx, y + dy) and (x - dx, y - dy) with (dy, dx) after (0, 0)
            for (int32_t dy = 0; dy <= 2; ++dy)
                for (int32_t dx = -2; dx <= 2; ++dx) {
                    if (dy == 0 && dx <= 0) continue;
                    const int32_t ax = x + dx, ay = y + dy, bx = x - dx, by = y - dy;
                    const bool aIn = ax >= 0 && ax < w && ay < h, bIn = bx >= 0 && bx < w && by >= 0;
                    const uint8_t* pick;
                    if (aIn && bIn) {
                        const uint8_t *a = at(ax, ay), *b = at(bx, by);
                        int32_t da = Energy(t, a) - centre, db = Energy(t, b) - centre;
                        if (da < 0) da = -da;
                        if (db < 0) db = -db;
                        pick = da < db ? a : b;
                    } else if (aIn || bIn) {
                        pick = aIn ? at(ax, ay) : at(bx, by);
                    } else {
                        continue;
                    }
                    sum[0] += pick[0], sum[1] += pick[1], sum[2] += pick[2];
                    ++count;
                }
            for (int c = 0; c < 3; ++c)
                out[x * 3 + c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
}

void BlendWholeBand(const KernelJob& job, const void*) {
    BlendBandWithMask(job);
}
} // namespace

bool SmoothPreservingEdges(const KernelJob& image, int threads) {
    LargeBlock between(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(image.stride) * image.height + 4)));
    if (!between) return false;
    // each pass reads the rows around every band of the one before: they all cover the image
    KernelJob job = image;
    job.rowBegin = 0;
    job.rowEnd = image.height;
    KernelJob pass = job;
    pass.mask = nullptr;
    BoxBlurParams box; // 3 x 3 at full strength
    RunKernelBands(pass, BoxBlurBand, &box, threads);
    pass.source = job.dest;
    pass.dest = between.get();
    RunKernelBands(pass, SymmetricNearestBand, nullptr, threads);
    pass.source = between.get();
    pass.dest = job.dest;
    RunKernelBands(pass, SymmetricNearestBand, nullptr, threads);
    RunKernelBands(job, BlendWholeBand, nullptr, threads);
    return true;
}

} // namespace qv
