#include "tools/gaussian_blur_kernel.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "tools/gaussian_weights.h"
#include "tools/mask_blend.h"
#include "tools/weighted_span.h"

namespace qv {

namespace {

struct GaussianBand {
    GaussianWeights weights;
    KernelPath path;
    std::atomic<bool> failed{false};
};

// One row across: the borders by their own division, the rest as one weighted span whose taps are
// the pixels k = -r .. r away.
void BlurRow(const uint8_t* src, uint8_t* dst, int32_t width, const GaussianWeights& g, KernelPath path) {
    const int32_t r = g.radius;
    // the first and last r pixels: only the weights that land inside the row, divided by their sum
    for (int32_t x = 0; x < width; ++x) {
        if (x == r && width - r > r) x = width - r;
        int32_t sum[3] = {0, 0, 0}, used = 0;
        for (int32_t k = std::max(-r, -x); k <= std::min(r, width - 1 - x); ++k) {
            const uint8_t* p = src + static_cast<size_t>(x + k) * 3;
            int32_t w = g.At(k);
            sum[0] += w * p[0], sum[1] += w * p[1], sum[2] += w * p[2];
            used += w;
        }
        for (int c = 0; c < 3; ++c)
            dst[x * 3 + c] = static_cast<uint8_t>(sum[c] / used);
    }
    if (width - r <= r) return;
    const uint8_t* taps[2 * kMaxGaussianRadius + 1];
    for (int32_t k = 0; k <= 2 * r; ++k)
        taps[k] = src + static_cast<size_t>(k) * 3;
    WeightedSpan(taps, g.weight, 2 * r + 1, g.shift, static_cast<uint32_t>(width - 2 * r) * 3, dst + r * 3, path);
}

// One band: each source row the band needs is blurred across once into a ring of 2r + 1 rows, and
// each output row is the weighted sum down the ring, so the band never holds a whole plane.
void GaussianBandKernel(const KernelJob& job, const void* params) {
    GaussianBand& band = *const_cast<GaussianBand*>(static_cast<const GaussianBand*>(params));
    const GaussianWeights& g = band.weights;
    const int32_t r = g.radius, h = job.height;
    const uint32_t rowBytes = static_cast<uint32_t>(job.width) * 3;
    if (r == 0) {
        for (int32_t y = job.rowBegin; y < job.rowEnd; ++y)
            std::memcpy(job.dest + static_cast<size_t>(y) * job.stride,
                        job.source + static_cast<size_t>(y) * job.stride, rowBytes);
        BlendBandWithMask(job);
        return;
    }
    const int32_t ringRows = 2 * r + 1;
    std::unique_ptr<uint8_t[]> ring(new (std::nothrow) uint8_t[static_cast<size_t>(ringRows) * rowBytes]);
    if (!ring) {
        band.failed = true;
        return;
    }
    auto ringRow = [&](int32_t y) { return ring.get() + static_cast<size_t>(y % ringRows) * rowBytes; };
    int32_t next = std::max(0, job.rowBegin - r); // first source row not yet in the ring
    const uint8_t* taps[2 * kMaxGaussianRadius + 1];
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        for (int32_t last = std::min(h - 1, y + r); next <= last; ++next)
            BlurRow(job.source + static_cast<size_t>(next) * job.stride, ringRow(next), job.width, g, band.path);
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        if (y >= r && y < h - r) {
            for (int32_t k = 0; k < ringRows; ++k)
                taps[k] = ringRow(y + k - r);
            WeightedSpan(taps, g.weight, ringRows, g.shift, rowBytes, out, band.path);
            continue;
        }
        // the first and last r rows: only the rows inside the image, divided by their weights
        int32_t k0 = std::max(-r, -y), k1 = std::min(r, h - 1 - y), used = 0;
        for (int32_t k = k0; k <= k1; ++k)
            used += g.At(k);
        for (uint32_t i = 0; i < rowBytes; ++i) {
            int32_t sum = 0;
            for (int32_t k = k0; k <= k1; ++k)
                sum += g.At(k) * ringRow(y + k)[i];
            out[i] = static_cast<uint8_t>(sum / used);
        }
    }
    BlendBandWithMask(job);
}

} // namespace

int32_t GaussianRadiusFor(int32_t requested, int32_t width, int32_t height) {
    int32_t fit = (std::min(width, height) - 1) / 2;
    return std::max(0, std::min({requested, kGaussianRadiusLimit, fit}));
}

bool RunGaussianBlur(const KernelJob& job, int32_t requestedRadius, int threads, KernelPath path) {
    GaussianBand band;
    band.path = ResolveKernelPath(path);
    if (!BuildGaussianWeights(GaussianRadiusFor(requestedRadius, job.width, job.height), &band.weights)) return false;
    RunKernelBands(job, GaussianBandKernel, &band, threads);
    return !band.failed;
}

} // namespace qv
