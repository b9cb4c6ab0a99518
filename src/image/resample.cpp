#include "image/resample.h"

#include <algorithm>
#include <cstring>

#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr uint32_t kBytesPerPixel = 3;
// Columns of a vertical reduction are summed in chunks of this many bytes, so the sums stay in
// a small stack array that the first-level cache holds.
constexpr uint32_t kColumnChunk = 2048;

uint32_t Stride24(int32_t width) {
    return (static_cast<uint32_t>(width) * kBytesPerPixel + 3) & ~3u;
}

// The per-position facts of one pass along one axis (old length `from`, new length `to`), worked
// out once before the first row so the rows themselves only add, look up and store.
struct AxisPlan {
    int32_t from = 0, to = 0;
    bool reduce = false;
    // Reduction: sums are kept in units of 1 / 2^shift of a value; output j < to - 1 is emitted at
    // source index emitAt[j], where cover[j] of that source pixel lies beyond the boundary and
    // carries into output j + 1. divide[s] = round(s / (d x 2^shift)) for every sum s the walk can
    // reach (entries 0 ... lastSum, the one past it is 255).
    uint32_t shift = 0;
    uint32_t lastSum = 0;
    LargeBlock divideBlock, emitBlock, coverBlock;
    const uint8_t* divide = nullptr;
    const int32_t* emitAt = nullptr;
    const double* cover = nullptr;
    // Enlargement: output x interpolates source[index[x]] and source[index[x] + 1] with weight
    // fraction[x] on the second; index[x] = from - 1 copies the last pixel.
    LargeBlock indexBlock, fractionBlock;
    const int32_t* index = nullptr;
    const double* fraction = nullptr;
};

inline uint32_t RoundHalfUp(double x) {
    return static_cast<uint32_t>(x + 0.5);
}

// The carried part of a scaled pixel value when `cover` of the pixel lies beyond an output
// boundary.
inline uint32_t CarriedPart(uint32_t scaledValue, double cover) {
    return RoundHalfUp(scaledValue * cover);
}

template <typename T> T* AllocArray(uint32_t count, LargeBlock* owner) {
    uint32_t bytes = 0;
    if (!CheckedMul32(count == 0 ? 1 : count, sizeof(T), &bytes)) return nullptr;
    owner->reset(static_cast<uint8_t*>(AllocLargeBlock(bytes)));
    return reinterpret_cast<T*>(owner->get());
}

bool PlanReduction(AxisPlan* plan) {
    const int32_t m = plan->from, n = plan->to;
    const double d = static_cast<double>(m) / n;
    // Each output's sum is off by less than one unit, from rounding the carried parts at its two
    // ends. Divided by d that stays below half a value only when d >= 2; a milder reduction sums
    // in half values, or a flat area would come out one level brighter in places.
    plan->shift = d < 2 ? 1 : 0;
    const double span = d * (1u << plan->shift);
    const double last = span * 255 + 0.5;
    if (last + 2 > static_cast<double>(UINT32_MAX)) return false;
    const uint32_t L = static_cast<uint32_t>(last);
    uint8_t* divide = AllocArray<uint8_t>(L + 2, &plan->divideBlock);
    int32_t* emitAt = AllocArray<int32_t>(static_cast<uint32_t>(n - 1), &plan->emitBlock);
    double* cover = AllocArray<double>(static_cast<uint32_t>(n - 1), &plan->coverBlock);
    if (divide == nullptr || emitAt == nullptr || cover == nullptr) return false;
    for (uint32_t i = 0; i <= L; ++i)
        divide[i] = static_cast<uint8_t>(RoundHalfUp(i / span));
    divide[L + 1] = 255; // the rounding of the carried parts can push a full sum one past L
    // The coverage walk is the same for every row and column of the pass.
    double c = 0;
    int32_t j = 0;
    for (int32_t i = 0; i < m - 1; ++i) {
        c += 1;
        if (c >= d) {
            c -= d;
            if (j == n - 1) return false; // cannot happen for m > n; never write past the plan
            emitAt[j] = i;
            cover[j] = c;
            ++j;
        }
    }
    if (j != n - 1) return false;
    plan->lastSum = L;
    plan->divide = divide;
    plan->emitAt = emitAt;
    plan->cover = cover;
    return true;
}

bool PlanEnlargement(AxisPlan* plan) {
    const int32_t m = plan->from, n = plan->to;
    const double d = static_cast<double>(m) / n;
    int32_t* index = AllocArray<int32_t>(static_cast<uint32_t>(n), &plan->indexBlock);
    double* fraction = AllocArray<double>(static_cast<uint32_t>(n), &plan->fractionBlock);
    if (index == nullptr || fraction == nullptr) return false;
    double t = 0;
    for (int32_t x = 0; x < n; ++x, t += d) {
        int32_t i = static_cast<int32_t>(t);
        index[x] = std::min(i, m - 1);
        fraction[x] = t - i;
    }
    plan->index = index;
    plan->fraction = fraction;
    return true;
}

bool MakePlan(int32_t from, int32_t to, AxisPlan* plan) {
    plan->from = from;
    plan->to = to;
    plan->reduce = to < from;
    return plan->reduce ? PlanReduction(plan) : PlanEnlargement(plan);
}

// One pass from `source` into `dest`. The band's rows are output rows; `pixels` is the width of
// the rows in pixels (the old width for the vertical pass, which runs first).
struct PassJob {
    const AxisPlan* plan;
    const uint8_t* source;
    uint32_t sourceStride;
    uint8_t* dest;
    uint32_t destStride;
    int32_t pixels;
};

// ---- vertical pass: rows of the output from runs of source rows, byte column by byte column ----

// `Full` chunks have the constant length kColumnChunk, which lets the compiler vectorise the sums
// without a remainder loop; the row's last, shorter chunk takes `length`.
template <typename Sum, bool Full>
void ReduceColumnsChunk(const PassJob& p, int32_t row, uint32_t x0, uint32_t length) {
    const uint32_t len = Full ? kColumnChunk : length;
    const AxisPlan& a = *p.plan;
    const int32_t n = a.to;
    const uint32_t shift = a.shift;
    const int32_t first = row == 0 ? 0 : a.emitAt[row - 1] + 1;
    const int32_t last = row == n - 1 ? a.from - 1 : a.emitAt[row];
    Sum sum[kColumnChunk];
    uint16_t carried[256]; // a scaled value's part: up to 510
    if (row > 0 && a.cover[row - 1] != 0) {
        for (uint32_t v = 0; v < 256; ++v)
            carried[v] = static_cast<uint16_t>(CarriedPart(v << shift, a.cover[row - 1]));
        const uint8_t* src = p.source + static_cast<size_t>(first - 1) * p.sourceStride + x0;
        for (uint32_t x = 0; x < len; ++x)
            sum[x] = carried[src[x]];
    } else {
        std::fill(sum, sum + len, Sum(0));
    }
    for (int32_t i = first; i <= last; ++i) {
        const uint8_t* src = p.source + static_cast<size_t>(i) * p.sourceStride + x0;
        for (uint32_t x = 0; x < len; ++x)
            sum[x] = static_cast<Sum>(sum[x] + (src[x] << shift));
    }
    uint8_t* out = p.dest + static_cast<size_t>(row) * p.destStride + x0;
    if (row < n - 1 && a.cover[row] != 0) {
        for (uint32_t v = 0; v < 256; ++v)
            carried[v] = static_cast<uint16_t>(CarriedPart(v << shift, a.cover[row]));
        const uint8_t* src = p.source + static_cast<size_t>(last) * p.sourceStride + x0;
        for (uint32_t x = 0; x < len; ++x)
            out[x] = a.divide[sum[x] - carried[src[x]]];
    } else {
        for (uint32_t x = 0; x < len; ++x)
            out[x] = a.divide[sum[x]];
    }
}

void ReduceColumnsBand(const void* params, int32_t rowBegin, int32_t rowEnd) {
    const PassJob& p = *static_cast<const PassJob*>(params);
    const uint32_t rowBytes = static_cast<uint32_t>(p.pixels) * kBytesPerPixel;
    const bool narrow = p.plan->lastSum < 0xFFFF; // every reachable sum fits 16 bits
    for (int32_t row = rowBegin; row < rowEnd; ++row)
        for (uint32_t x0 = 0; x0 < rowBytes; x0 += kColumnChunk) {
            const uint32_t len = std::min(kColumnChunk, rowBytes - x0);
            if (narrow && len == kColumnChunk)
                ReduceColumnsChunk<uint16_t, true>(p, row, x0, len);
            else if (narrow)
                ReduceColumnsChunk<uint16_t, false>(p, row, x0, len);
            else
                ReduceColumnsChunk<uint32_t, false>(p, row, x0, len);
        }
}

void EnlargeColumnsBand(const void* params, int32_t rowBegin, int32_t rowEnd) {
    const PassJob& p = *static_cast<const PassJob*>(params);
    const AxisPlan& a = *p.plan;
    const uint32_t rowBytes = static_cast<uint32_t>(p.pixels) * kBytesPerPixel;
    for (int32_t row = rowBegin; row < rowEnd; ++row) {
        const int32_t i = a.index[row];
        uint8_t* out = p.dest + static_cast<size_t>(row) * p.destStride;
        const uint8_t* s0 = p.source + static_cast<size_t>(i) * p.sourceStride;
        if (i >= a.from - 1) {
            std::memcpy(out, s0, rowBytes);
            continue;
        }
        const uint8_t* s1 = s0 + p.sourceStride;
        const double f = a.fraction[row], keep = 1 - f;
        for (uint32_t x = 0; x < rowBytes; ++x)
            out[x] = static_cast<uint8_t>(RoundHalfUp(s0[x] * keep + s1[x] * f));
    }
}

// ---- horizontal pass: each row on its own, pixel by pixel ----------------------------------

void ReduceRowsBand(const void* params, int32_t rowBegin, int32_t rowEnd) {
    const PassJob& p = *static_cast<const PassJob*>(params);
    const AxisPlan& a = *p.plan;
    const uint8_t* divide = a.divide;
    const uint32_t shift = a.shift;
    for (int32_t row = rowBegin; row < rowEnd; ++row) {
        const uint8_t* src = p.source + static_cast<size_t>(row) * p.sourceStride;
        uint8_t* out = p.dest + static_cast<size_t>(row) * p.destStride;
        uint32_t s0 = 0, s1 = 0, s2 = 0;
        int32_t i = 0;
        for (int32_t j = 0; j < a.to - 1; ++j, out += kBytesPerPixel) {
            const int32_t e = a.emitAt[j];
            for (; i < e; ++i) {
                const uint8_t* px = src + static_cast<size_t>(i) * kBytesPerPixel;
                s0 += px[0] << shift, s1 += px[1] << shift, s2 += px[2] << shift;
            }
            const uint8_t* px = src + static_cast<size_t>(e) * kBytesPerPixel;
            const uint32_t v0 = px[0] << shift, v1 = px[1] << shift, v2 = px[2] << shift;
            const double c = a.cover[j];
            uint32_t k0 = 0, k1 = 0, k2 = 0; // nothing carries across a boundary between pixels
            if (c != 0) k0 = CarriedPart(v0, c), k1 = CarriedPart(v1, c), k2 = CarriedPart(v2, c);
            out[0] = divide[s0 + v0 - k0];
            out[1] = divide[s1 + v1 - k1];
            out[2] = divide[s2 + v2 - k2];
            s0 = k0, s1 = k1, s2 = k2;
            i = e + 1;
        }
        for (; i < a.from; ++i) {
            const uint8_t* px = src + static_cast<size_t>(i) * kBytesPerPixel;
            s0 += px[0] << shift, s1 += px[1] << shift, s2 += px[2] << shift;
        }
        out[0] = divide[s0], out[1] = divide[s1], out[2] = divide[s2];
    }
}

void EnlargeRowsBand(const void* params, int32_t rowBegin, int32_t rowEnd) {
    const PassJob& p = *static_cast<const PassJob*>(params);
    const AxisPlan& a = *p.plan;
    for (int32_t row = rowBegin; row < rowEnd; ++row) {
        const uint8_t* src = p.source + static_cast<size_t>(row) * p.sourceStride;
        uint8_t* out = p.dest + static_cast<size_t>(row) * p.destStride;
        for (int32_t x = 0; x < a.to; ++x, out += kBytesPerPixel) {
            const int32_t i = a.index[x];
            const uint8_t* s0 = src + static_cast<size_t>(i) * kBytesPerPixel;
            if (i >= a.from - 1) {
                out[0] = s0[0], out[1] = s0[1], out[2] = s0[2];
                continue;
            }
            const double f = a.fraction[x], keep = 1 - f;
            for (uint32_t ch = 0; ch < kBytesPerPixel; ++ch)
                out[ch] = static_cast<uint8_t>(RoundHalfUp(s0[ch] * keep + s0[ch + kBytesPerPixel] * f));
        }
    }
}

void RunPass(const PassJob& pass, int32_t rows, ResampleBand band, ResampleRunner runner, int threads) {
    if (runner == nullptr || threads <= 1)
        band(&pass, 0, rows);
    else
        runner(band, &pass, rows, threads);
}

} // namespace

bool ResampleSizeAllowed(int32_t width, int32_t height, int32_t newWidth, int32_t newHeight) {
    if (width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0) return false;
    return newWidth <= 2 * static_cast<int64_t>(width) && newHeight <= 2 * static_cast<int64_t>(height);
}

bool Resample(const uint8_t* source, int32_t width, int32_t height, uint8_t* target, int32_t newWidth,
              int32_t newHeight, ResampleRunner runner, int threads) {
    if (source == nullptr || target == nullptr || !ResampleSizeAllowed(width, height, newWidth, newHeight))
        return false;
    const uint32_t stride = Stride24(width), newStride = Stride24(newWidth);
    if (newWidth == width && newHeight == height) {
        std::memcpy(target, source, static_cast<size_t>(stride) * static_cast<uint32_t>(height));
        return true;
    }
    const bool vertical = newHeight != height, horizontal = newWidth != width;
    AxisPlan columns, rows;
    if (vertical && !MakePlan(height, newHeight, &columns)) return false;
    if (horizontal && !MakePlan(width, newWidth, &rows)) return false;
    LargeBlock scratch;
    uint8_t* between = target;
    if (vertical && horizontal) {
        uint32_t bytes = 0;
        if (!CheckedMul32(stride, static_cast<uint32_t>(newHeight), &bytes)) return false;
        scratch.reset(static_cast<uint8_t*>(AllocLargeBlock(bytes)));
        if (!scratch) return false;
        between = scratch.get();
    }
    if (vertical) {
        PassJob pass{&columns, source, stride, between, vertical && horizontal ? stride : newStride, width};
        RunPass(pass, newHeight, columns.reduce ? ReduceColumnsBand : EnlargeColumnsBand, runner, threads);
    }
    if (horizontal) {
        const uint8_t* from = vertical ? between : source;
        PassJob pass{&rows, from, stride, target, newStride, newWidth};
        RunPass(pass, newHeight, rows.reduce ? ReduceRowsBand : EnlargeRowsBand, runner, threads);
    }
    return true;
}

} // namespace qv
