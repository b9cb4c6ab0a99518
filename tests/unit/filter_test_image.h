// Small 24-bit pictures for the filter tests, and the blend of two values written out from its
// definition, so that the tests' own readings of the filters never lean on the product's tables.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "tools/kernel_job.h"

namespace qvtest {

struct Picture {
    int32_t w = 0, h = 0;
    uint32_t stride = 0;
    std::vector<uint8_t> bytes;

    Picture(int32_t width, int32_t height)
        : w(width), h(height), stride((static_cast<uint32_t>(width) * 3 + 3) & ~3u), bytes(stride * height + 4) {}
    // x, y in storage order (row 0 first in memory), c = 0 blue, 1 green, 2 red
    uint8_t& At(int32_t x, int32_t y, int c) { return bytes[static_cast<size_t>(y) * stride + x * 3 + c]; }
    uint8_t At(int32_t x, int32_t y, int c) const { return bytes[static_cast<size_t>(y) * stride + x * 3 + c]; }
    uint8_t* data() { return bytes.data(); }
    const uint8_t* data() const { return bytes.data(); }
    bool operator==(const Picture& o) const { return w == o.w && h == o.h && bytes == o.bytes; }
};

// Noise with some flat runs, so that thresholds and ties are met as well as differences.
inline Picture RandomPicture(int32_t w, int32_t h, uint32_t seed) {
    Picture p(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t i = 0; i < w * 3; ++i) {
            seed = seed * 1664525u + 1013904223u;
            uint8_t v = static_cast<uint8_t>(seed >> 24);
            p.bytes[static_cast<size_t>(y) * p.stride + i] =
                (seed >> 8 & 7) == 0 ? 255 : ((seed >> 12 & 7) == 0 ? 0 : v);
        }
    return p;
}

inline Picture FlatPicture(int32_t w, int32_t h, uint8_t b, uint8_t g, uint8_t r) {
    Picture p(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            p.At(x, y, 0) = b, p.At(x, y, 1) = g, p.At(x, y, 2) = r;
    return p;
}

// T[a][v] from its definition: exact ends, otherwise the fixed-point reciprocal of the smaller.
inline int Blend(int a, int v) {
    if (a == 0 || v == 0) return 0;
    if (a == 255) return v;
    if (v == 255) return a;
    int m = a < v ? a : v, big = a < v ? v : a;
    return (big * (m * 65536 / 255) + 32768) >> 16;
}

// The job of a filter from `src` into `dst` (a fresh picture of the same size).
inline qv::KernelJob JobOf(const Picture& src, Picture* dst, const uint8_t* mask = nullptr) {
    return qv::WholeImageJob(src.data(), dst->data(), src.w, src.h, mask);
}

// Mask of vertical stripes 0, 128, 255 repeating across each row.
inline std::vector<uint8_t> StripeMask(int32_t w, int32_t h) {
    std::vector<uint8_t> mask(static_cast<size_t>(w) * h);
    const uint8_t values[3] = {0, 128, 255};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            mask[static_cast<size_t>(y) * w + x] = values[x % 3];
    return mask;
}

inline int Clamp255(int v) {
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

inline int Edge(int i, int size) {
    return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

} // namespace qvtest
