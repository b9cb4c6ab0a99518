#include "tools/emboss_kernel.h"

#include "tools/filter_tables.h"
#include "tools/mask_blend.h"

namespace qv {

namespace {
// The sign pattern of each direction's off-centre coefficients, k0 .. k8 with the centre 0: +1
// for x, -1 for -x.
constexpr int8_t kDirectionSigns[8][9] = {
    {0, -1, -1, 1, 0, -1, 1, 1, 0}, {-1, -1, -1, 0, 0, 0, 1, 1, 1}, {-1, -1, 0, -1, 0, 1, 0, 1, 1},
    {-1, 0, 1, -1, 0, 1, -1, 0, 1}, {0, 1, 1, -1, 0, 1, -1, -1, 0}, {1, 1, 1, 0, 0, 0, -1, -1, -1},
    {1, 1, 0, 1, 0, -1, 0, -1, -1}, {1, 0, -1, 1, 0, -1, 1, 0, -1},
};

constexpr int32_t kEdgeKernel[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};

struct Convolution {
    int32_t k[9];
    bool grey;       // emboss's grey form: + 127 per channel, then one grey for all three
    int32_t divisor; // the colour form's N
};

void ConvolutionBand(const KernelJob& job, const void* params) {
    const Convolution& p = *static_cast<const Convolution*>(params);
    const int32_t w = job.width;
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* rows[3];
        for (int32_t i = 0; i < 3; ++i)
            rows[i] = job.source + static_cast<size_t>(ClampToEdge(y + i - 1, job.height)) * job.stride;
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t cols[3] = {ClampToEdge(x - 1, w) * 3, x * 3, ClampToEdge(x + 1, w) * 3};
            int32_t s[3];
            for (int c = 0; c < 3; ++c) {
                int32_t sum = 0;
                for (int32_t i = 0; i < 9; ++i)
                    sum += p.k[i] * rows[i / 3][cols[i % 3] + c];
                if (p.grey) {
                    sum += 127;
                } else {
                    sum /= p.divisor; // C division: toward zero
                }
                s[c] = sum < 0 ? 0 : (sum > 255 ? 255 : sum);
            }
            if (p.grey) s[0] = s[1] = s[2] = (s[0] + s[1] + s[2]) / 3;
            out[x * 3] = static_cast<uint8_t>(s[0]);
            out[x * 3 + 1] = static_cast<uint8_t>(s[1]);
            out[x * 3 + 2] = static_cast<uint8_t>(s[2]);
        }
    }
    BlendBandWithMask(job);
}
} // namespace

void EmbossCoefficients(const EmbossParams& p, int32_t k[9]) {
    const int32_t x = p.colour ? 8 : p.level, centre = p.colour ? 17 - p.level : 0;
    for (int32_t i = 0; i < 9; ++i)
        k[i] = kDirectionSigns[p.direction][i] * x;
    k[4] = centre;
}

void RunEmboss(const KernelJob& job, const EmbossParams& p, int threads) {
    Convolution c;
    EmbossCoefficients(p, c.k);
    c.grey = !p.colour;
    int32_t n = 0;
    for (int32_t v : c.k)
        n += v;
    c.divisor = n > 0 ? n : 1;
    RunKernelBands(job, ConvolutionBand, &c, threads);
}

void ExtractEdges(const KernelJob& job, int threads) {
    Convolution c;
    for (int32_t i = 0; i < 9; ++i)
        c.k[i] = kEdgeKernel[i];
    c.grey = false;
    c.divisor = 1;
    RunKernelBands(job, ConvolutionBand, &c, threads);
}

} // namespace qv
