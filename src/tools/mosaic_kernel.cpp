#include "tools/mosaic_kernel.h"

#include <algorithm>

#include "tools/mask_blend.h"

namespace qv {

namespace {
void MosaicBand(const KernelJob& job, const void* params) {
    const MosaicParams& p = *static_cast<const MosaicParams*>(params);
    const int32_t bw = p.blockWidth, bh = MosaicBlockHeight(p), w = job.width, h = job.height;
    const int32_t edgeRows = (bh + 5) >> 3, edgeColumns = (bw + 5) >> 3;
    // Rows are stored bottom-up and the blocks start at the top: visual row v is memory row
    // h - 1 - v. The band covers visual rows [vBegin, vEnd).
    const int32_t vBegin = h - job.rowEnd, vEnd = h - job.rowBegin;
    for (int32_t blockRow = vBegin / bh; blockRow * bh < vEnd; ++blockRow) {
        const int32_t top = blockRow * bh, bottom = std::min(h, top + bh);
        // shifted rows of blocks start half a block to the left of the image, like bricks
        const int32_t offset = p.shift && (blockRow & 1) ? bw / 2 : 0;
        for (int32_t left = offset > 0 ? offset - bw : 0; left < w; left += bw) {
            const int32_t x0 = std::max(0, left), x1 = std::min(w, left + bw);
            uint32_t sum[3] = {0, 0, 0};
            for (int32_t v = top; v < bottom; ++v) {
                const uint8_t* row = job.source + static_cast<size_t>(h - 1 - v) * job.stride;
                for (int32_t x = x0; x < x1; ++x)
                    sum[0] += row[x * 3], sum[1] += row[x * 3 + 1], sum[2] += row[x * 3 + 2];
            }
            const uint32_t count = static_cast<uint32_t>((bottom - top) * (x1 - x0));
            uint8_t colour[3], light[3], dark[3];
            for (int c = 0; c < 3; ++c) {
                colour[c] = static_cast<uint8_t>(sum[c] / count);
                light[c] = static_cast<uint8_t>(std::min(255, colour[c] + kMosaicTileStep));
                dark[c] = static_cast<uint8_t>(std::max(0, colour[c] - kMosaicTileStep));
            }
            for (int32_t v = std::max(top, vBegin); v < std::min(bottom, vEnd); ++v) {
                uint8_t* out = job.dest + static_cast<size_t>(h - 1 - v) * job.stride;
                const int32_t ly = v - top;
                for (int32_t x = x0; x < x1; ++x) {
                    const uint8_t* c = colour;
                    if (p.tile) {
                        // positions within the whole block, even where the image cuts it off
                        const int32_t lx = x - left;
                        if (ly >= bh - edgeRows || lx >= bw - edgeColumns)
                            c = dark;
                        else if (ly < edgeRows || lx < edgeColumns)
                            c = light;
                    }
                    out[x * 3] = c[0], out[x * 3 + 1] = c[1], out[x * 3 + 2] = c[2];
                }
            }
        }
    }
    BlendBandWithMask(job);
}
} // namespace

void RunMosaic(const KernelJob& job, const MosaicParams& p, int threads) {
    RunKernelBands(job, MosaicBand, &p, threads);
}

} // namespace qv
