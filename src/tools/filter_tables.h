// The tables and rules every filter shares: the strength table, the division tables of the box
// sums, the unsharp amount and clamp tables, the squares, the smallest image a filter takes and the
// nearest-edge rule for neighbours outside the image. Built once; kernels only look up.
#pragma once

#include <cstdint>

namespace qv {

// Filters refuse an image narrower or lower than this (the tool reports 30006).
constexpr int32_t kFilterMinSize = 5;
inline bool FilterSizeOk(int32_t width, int32_t height) {
    return width >= kFilterMinSize && height >= kFilterMinSize;
}

// A neighbour's coordinate moved into 0 .. size - 1: outside the image the nearest edge pixel
// stands in, so every neighbourhood keeps its full count of terms.
inline int32_t ClampToEdge(int32_t i, int32_t size) {
    return i < 0 ? 0 : (i >= size ? size - 1 : i);
}

constexpr int32_t kUnsharpLevels = 101; // amounts 0 .. 100
constexpr int32_t kClampLowest = -1600; // 0 + floor(100 x -128 / 8)
constexpr int32_t kClampHighest = 1842; // 255 + floor(100 x 127 / 8)

struct FilterTables {
    uint8_t strength[101];                                // P[i] = round(i x 255 / 100): a percentage as a blend weight
    uint8_t div9[9 * 255 + 1];                            // D9[i] = (7281 i + 32768) >> 16: a 3 x 3 sum divided by 9
    uint8_t div25[25 * 255 + 1];                          // D25[i] = (2621 i + 32768) >> 16: a 5 x 5 sum divided by 25
    int16_t amount[kUnsharpLevels][256];                  // A[level][d + 128] = floor(level x d / 8)
    uint8_t clampTable[kClampHighest - kClampLowest + 1]; // C[x - kClampLowest] = clamp(x, 0, 255)
    int32_t squares[511];                                 // Q[d + 255] = d^2

    int32_t Amount(int32_t level, int32_t d) const { return amount[level][d + 128]; }
    uint8_t Clamp(int32_t x) const { return clampTable[x - kClampLowest]; }
    int32_t Square(int32_t d) const { return squares[d + 255]; }
};

// The process-wide tables, built on first use (thread-safe).
const FilterTables& GetFilterTables();

} // namespace qv
