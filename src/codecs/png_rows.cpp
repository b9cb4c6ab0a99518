#include "codecs/png_rows.h"

#include <cstdlib>

#include "codecs/png_format.h"

namespace qv {

namespace {

// Paeth without branches on the data: the compiler turns the selects into conditional moves.
inline uint8_t Paeth(int a, int b, int c) {
    int pa = std::abs(b - c);         // |p - a| where p = a + b - c
    int pb = std::abs(a - c);         // |p - b|
    int pc = std::abs(a + b - 2 * c); // |p - c|
    int nearest = (pb < pa) ? b : a;
    int best = (pb < pa) ? pb : pa;
    return static_cast<uint8_t>((pc < best) ? c : nearest);
}

// The byte distance as a compile-time constant lets the serial filters keep each channel in a
// register of its own.
template <uint32_t kBpp> void UnfilterPaeth(uint8_t* row, const uint8_t* prev, uint32_t bytes) {
    uint32_t n = bytes < kBpp ? bytes : kBpp;
    for (uint32_t i = 0; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    for (uint32_t i = kBpp; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - kBpp], prev[i], prev[i - kBpp]));
}

template <uint32_t kBpp> void UnfilterAverage(uint8_t* row, const uint8_t* prev, uint32_t bytes) {
    uint32_t n = bytes < kBpp ? bytes : kBpp;
    for (uint32_t i = 0; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
    for (uint32_t i = kBpp; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - kBpp] + prev[i]) >> 1));
}

template <uint32_t kBpp> void UnfilterSub(uint8_t* row, uint32_t bytes) {
    for (uint32_t i = kBpp; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - kBpp]);
}

void UnfilterPaethAny(uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    switch (bpp) {
    case 1: UnfilterPaeth<1>(row, prev, bytes); break;
    case 2: UnfilterPaeth<2>(row, prev, bytes); break;
    case 3: UnfilterPaeth<3>(row, prev, bytes); break;
    case 4: UnfilterPaeth<4>(row, prev, bytes); break;
    case 6: UnfilterPaeth<6>(row, prev, bytes); break;
    default: UnfilterPaeth<8>(row, prev, bytes); break;
    }
}

void UnfilterAverageAny(uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    switch (bpp) {
    case 1: UnfilterAverage<1>(row, prev, bytes); break;
    case 2: UnfilterAverage<2>(row, prev, bytes); break;
    case 3: UnfilterAverage<3>(row, prev, bytes); break;
    case 4: UnfilterAverage<4>(row, prev, bytes); break;
    case 6: UnfilterAverage<6>(row, prev, bytes); break;
    default: UnfilterAverage<8>(row, prev, bytes); break;
    }
}

void UnfilterSubAny(uint8_t* row, uint32_t bytes, uint32_t bpp) {
    switch (bpp) {
    case 1: UnfilterSub<1>(row, bytes); break;
    case 2: UnfilterSub<2>(row, bytes); break;
    case 3: UnfilterSub<3>(row, bytes); break;
    case 4: UnfilterSub<4>(row, bytes); break;
    case 6: UnfilterSub<6>(row, bytes); break;
    default: UnfilterSub<8>(row, bytes); break;
    }
}

} // namespace

bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    switch (filter) {
    case kFilterNone: return true;
    case kFilterSub: UnfilterSubAny(row, bytes, bpp); return true;
    case kFilterUp:
        for (uint32_t i = 0; i < bytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prev[i]);
        return true;
    case kFilterAverage: UnfilterAverageAny(row, prev, bytes, bpp); return true;
    case kFilterPaeth: UnfilterPaethAny(row, prev, bytes, bpp); return true;
    default: return false;
    }
}

void FilterRow(uint8_t filter, const uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp, uint8_t* out) {
    uint32_t n = bytes < bpp ? bytes : bpp;
    switch (filter) {
    case kFilterSub:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = row[i];
        for (uint32_t i = bpp; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - row[i - bpp]);
        break;
    case kFilterUp:
        for (uint32_t i = 0; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - prev[i]);
        break;
    case kFilterAverage:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<uint8_t>(row[i] - (prev[i] >> 1));
        for (uint32_t i = bpp; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - ((row[i - bpp] + prev[i]) >> 1));
        break;
    case kFilterPaeth:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<uint8_t>(row[i] - prev[i]);
        for (uint32_t i = bpp; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - Paeth(row[i - bpp], prev[i], prev[i - bpp]));
        break;
    default:
        for (uint32_t i = 0; i < bytes; ++i)
            out[i] = row[i];
        break;
    }
}

void UnpackSamples(const uint8_t* src, uint32_t count, uint32_t bits, uint8_t* dst, uint32_t step) {
    const uint32_t perByte = 8 / bits;
    const uint8_t mask = static_cast<uint8_t>((1u << bits) - 1);
    uint32_t i = 0;
    for (; i + perByte <= count; i += perByte) {
        uint8_t b = src[i / perByte];
        for (uint32_t k = 0; k < perByte; ++k)
            dst[(i + k) * step] = static_cast<uint8_t>((b >> (8 - bits * (k + 1))) & mask);
    }
    if (i < count) {
        uint8_t b = src[i / perByte];
        for (uint32_t k = 0; i + k < count; ++k)
            dst[(i + k) * step] = static_cast<uint8_t>((b >> (8 - bits * (k + 1))) & mask);
    }
}

} // namespace qv
