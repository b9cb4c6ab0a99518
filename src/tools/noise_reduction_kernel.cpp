#include "tools/noise_reduction_kernel.h"

#include <cstdlib>

#include "model/grey_weights.h"
#include "tools/mask_blend.h"

namespace qv {

namespace {
void NoiseBand(const KernelJob& job, const void* params) {
    const NoiseReductionParams& p = *static_cast<const NoiseReductionParams*>(params);
    const int32_t threshold = p.level >= 255 ? 0 : 255 - p.level;
    const GreyWeights& gw = GetGreyWeights();
    const int32_t w = job.width, h = job.height;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* src = job.source + static_cast<size_t>(y) * job.stride;
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        const int32_t y0 = y > 0 ? y - 1 : y, y1 = y + 1 < h ? y + 1 : y;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t x0 = x > 0 ? x - 1 : x, x1 = x + 1 < w ? x + 1 : x;
            // candidates in storage order, the centre among them
            const uint8_t* cand[9];
            uint8_t grey[9];
            int32_t n = 0, centre = 0, sum[3] = {0, 0, 0};
            for (int32_t yy = y0; yy <= y1; ++yy)
                for (int32_t xx = x0; xx <= x1; ++xx) {
                    const uint8_t* q = job.source + static_cast<size_t>(yy) * job.stride + static_cast<size_t>(xx) * 3;
                    if (yy == y && xx == x) {
                        centre = n;
                    } else {
                        sum[0] += q[0], sum[1] += q[1], sum[2] += q[2];
                    }
                    cand[n] = q;
                    grey[n++] = GreyOf(gw, q[0], q[1], q[2]);
                }
            const int32_t neighbours = n - 1; // 8 inside, 5 on an edge, 3 at a corner
            uint8_t mean[3];
            for (int c = 0; c < 3; ++c)
                mean[c] = static_cast<uint8_t>(neighbours == 8 ? sum[c] >> 3 : sum[c] / neighbours);
            const uint8_t* pick = src + static_cast<size_t>(x) * 3;
            if (std::abs(GreyOf(gw, mean[0], mean[1], mean[2]) - grey[centre]) > threshold) {
                // the lower middle of the candidates ranked by grey, ties by storage order
                const int32_t wanted = (n - 1) / 2;
                for (int32_t i = 0; i < n; ++i) {
                    int32_t rank = 0;
                    for (int32_t j = 0; j < n; ++j)
                        rank += grey[j] < grey[i] || (grey[j] == grey[i] && j < i);
                    if (rank == wanted) {
                        pick = cand[i];
                        break;
                    }
                }
            }
            out[x * 3] = pick[0], out[x * 3 + 1] = pick[1], out[x * 3 + 2] = pick[2];
        }
    }
    BlendBandWithMask(job);
}
} // namespace

bool IsNeutralNoiseReduction(const NoiseReductionParams& p) {
    return p.level == 0;
}

void RunNoiseReduction(const KernelJob& job, const NoiseReductionParams& p, int threads) {
    RunKernelBands(job, NoiseBand, &p, threads);
}

} // namespace qv
