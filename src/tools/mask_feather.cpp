#include "tools/mask_feather.h"

#include <algorithm>
#include <vector>

#include "platform/platform.h"
#include "tools/gaussian_weights.h"
#include "tools/kernel_job.h"
#include "tools/selection_kernel.h"

namespace qv {

int32_t FeatherRadius(int32_t smooth, int32_t width, int32_t height) {
    int32_t r = std::clamp(smooth, kAreSmoothMin, kAreSmoothMax);
    return std::min(r, (std::min(width, height) - 1) / 2);
}

namespace {
// floor(n / d) as (n x multiplier) >> shift for every n <= 255 d: with 2^shift > 255 d^2 and
// multiplier = floor(2^shift / d) + 1 the error stays below 1 / d, and both factors fit 32 bits.
// A multiplier of 1 is a plain shift.
struct Reciprocal {
    uint32_t multiplier = 1;
    uint32_t shift = 0;
};

Reciprocal ReciprocalOf(uint32_t d) {
    uint64_t limit = uint64_t{255} * d * d;
    Reciprocal r;
    while ((uint64_t{1} << r.shift) <= limit)
        ++r.shift;
    r.multiplier = static_cast<uint32_t>((uint64_t{1} << r.shift) / d + 1);
    return r;
}

inline uint8_t Divide(uint32_t n, Reciprocal r) {
    return static_cast<uint8_t>((static_cast<uint64_t>(n) * r.multiplier) >> r.shift);
}

struct FeatherPass {
    const uint8_t* source;
    uint8_t* dest;
    int32_t width;
    int32_t height;
    int32_t radius;
    uint16_t weight[2 * kMaxGaussianRadius + 1]; // k = -r .. r at k + r; each at most 255
    // the divisor of a position e < r steps from the nearer edge: the weights of k >= -e
    Reciprocal nearEdge[kMaxGaussianRadius];
    Reciprocal interior;
};

// Where the kernel covers only equal values the weighted sum is that value times the weights used,
// so the result is the value itself: only positions within r of a change need the sum. Masks are
// mostly wide areas of 0 and 255, so this leaves the work to their edges.

// Horizontal: acc[x] = the weighted sum over the row for x in [from, to].
void SumAcross(uint32_t* acc, const uint8_t* row, const FeatherPass& p, int32_t from, int32_t to) {
    std::fill(acc + from, acc + to + 1, 0u);
    for (int32_t k = -p.radius; k <= p.radius; ++k) {
        int32_t lo = std::max(from, -k), hi = std::min(to, p.width - 1 - k);
        uint16_t w = p.weight[k + p.radius];
        const uint8_t* src = row + k;
        for (int32_t x = lo; x <= hi; ++x)
            acc[x] += static_cast<uint16_t>(w * src[x]);
    }
}

void HorizontalBand(const KernelJob& job, const void* params) {
    const FeatherPass& p = *static_cast<const FeatherPass*>(params);
    const int32_t w = p.width, r = p.radius;
    std::vector<uint32_t> acc(static_cast<size_t>(w));
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* row = p.source + static_cast<size_t>(y) * static_cast<uint32_t>(w);
        uint8_t* out = p.dest + static_cast<size_t>(y) * static_cast<uint32_t>(w);
        std::copy(row, row + w, out);
        // a change between x - 1 and x reaches the outputs [x - r, x + r - 1]; runs of them merge
        int32_t x = 1;
        while (x < w) {
            if (row[x] == row[x - 1]) {
                ++x;
                continue;
            }
            int32_t from = std::max(0, x - r), to = std::min(w - 1, x + r - 1);
            for (x = x + 1; x < w && x - r <= to + 1; ++x)
                if (row[x] != row[x - 1]) to = std::min(w - 1, x + r - 1);
            SumAcross(acc.data(), row, p, from, to);
            for (int32_t i = from; i <= to; ++i) {
                int32_t e = std::min(i, w - 1 - i);
                out[i] = Divide(acc[i], e < r ? p.nearEdge[e] : p.interior);
            }
        }
    }
}

void VerticalBand(const KernelJob& job, const void* params) {
    const FeatherPass& p = *static_cast<const FeatherPass*>(params);
    const uint32_t w = static_cast<uint32_t>(p.width);
    const int32_t r = p.radius;
    auto rowAt = [&](int32_t y) { return p.source + static_cast<size_t>(y) * w; };
    // lastChange[x]: the last row j read so far whose value in column x differs from row j - 1
    std::vector<int32_t> lastChange(w, -1);
    auto readChanges = [&](int32_t j) {
        const uint8_t *now = rowAt(j), *above = rowAt(j - 1);
        for (uint32_t x = 0; x < w; ++x)
            lastChange[x] = now[x] != above[x] ? j : lastChange[x];
    };
    for (int32_t j = std::max(1, job.rowBegin - r + 1); j < std::min(p.height, job.rowBegin + r); ++j)
        readChanges(j);
    std::vector<uint32_t> acc(w);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        if (y + r < p.height && y + r >= 1) readChanges(y + r);
        int32_t top = std::max(0, y - r), from = std::max(-r, -y), to = std::min(r, p.height - 1 - y);
        int32_t e = std::min(y, p.height - 1 - y);
        Reciprocal d = e < r ? p.nearEdge[e] : p.interior;
        const uint8_t* mid = rowAt(y);
        uint8_t* out = p.dest + static_cast<size_t>(y) * w;
        uint32_t x = 0;
        while (x < w) {
            if (lastChange[x] <= top) { // the column holds one value over the whole kernel
                out[x] = mid[x];
                ++x;
                continue;
            }
            uint32_t end = x + 1;
            while (end < w && lastChange[end] > top)
                ++end;
            std::fill(acc.begin() + x, acc.begin() + end, 0u);
            for (int32_t k = from; k <= to; ++k) {
                const uint8_t* row = rowAt(y + k);
                uint16_t wk = p.weight[k + r];
                for (uint32_t i = x; i < end; ++i)
                    acc[i] += static_cast<uint16_t>(wk * row[i]);
            }
            for (uint32_t i = x; i < end; ++i)
                out[i] = Divide(acc[i], d);
            x = end;
        }
    }
}
} // namespace

bool FeatherMask(uint8_t* mask, int32_t width, int32_t height, int32_t smooth, int threads) {
    int32_t r = FeatherRadius(smooth, width, height);
    if (r <= 0) return true;
    GaussianWeights g;
    if (!BuildGaussianWeights(r, &g)) return false;
    LargeBlock plane(
        static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(width) * static_cast<uint32_t>(height))));
    if (!plane) return false;

    FeatherPass pass{};
    pass.width = width;
    pass.height = height;
    pass.radius = r;
    for (int32_t i = 0; i <= 2 * r; ++i)
        pass.weight[i] = static_cast<uint16_t>(g.weight[i]);
    uint32_t used = 0;
    for (int32_t k = 0; k <= r; ++k)
        used += g.At(k);
    for (int32_t e = 0; e < r; ++e) {
        if (e > 0) used += g.At(-e);
        pass.nearEdge[e] = ReciprocalOf(used);
    }
    // inside, every weight is used and the sum shifts down by s; the weights never sum below 2^s,
    // and never so far above it that 255 x their sum shifts past 255, so flat areas stay exact
    pass.interior = Reciprocal{1, static_cast<uint32_t>(g.shift)};

    KernelJob rows;
    rows.width = width;
    rows.height = height;
    rows.rowBegin = 0;
    rows.rowEnd = height;
    pass.source = mask;
    pass.dest = plane.get();
    RunKernelBands(rows, HorizontalBand, &pass, threads);
    pass.source = plane.get();
    pass.dest = mask;
    RunKernelBands(rows, VerticalBand, &pass, threads);
    return true;
}

} // namespace qv
