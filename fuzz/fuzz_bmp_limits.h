// Shared by the BMP and clipboard-bitmap fuzz targets: skip inputs that a tiny header makes the
// reader accept as a picture of more than 64 megabytes, whose decode only measures how long such a
// block takes to fill (a seed of 54 bytes took 25 s). Blocks beyond 32 bits still go to the reader,
// so its size checks stay fuzzed; the sizes it accepts are tested by the unit tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

inline bool FuzzBitmapSizeAcceptable(const uint8_t* header, size_t size) {
    auto le = [&](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = bytes - 1; i >= 0; --i)
            v = v << 8 | header[at + i];
        return v;
    };
    if (size < 16) return true;
    uint32_t infoSize = le(0, 4);
    int64_t width, height;
    uint32_t bits;
    if (infoSize == 12) { // the old core header: 16-bit sizes
        width = le(4, 2), height = le(6, 2), bits = le(10, 2);
    } else if (size >= 16 && infoSize >= 16) {
        width = static_cast<int32_t>(le(4, 4)), height = static_cast<int32_t>(le(8, 4)), bits = le(14, 2);
    } else {
        return true;
    }
    // the block the reader fills: 8-bit indices, or 24-bit pixels for every deeper form
    uint64_t outBits = bits != 0 && bits <= 8 ? 8 : 24;
    uint64_t stride = (static_cast<uint64_t>(std::llabs(width)) * outBits + 31) / 32 * 4;
    uint64_t block = stride * static_cast<uint64_t>(std::llabs(height));
    return block <= (64ull << 20) || block >= (1ull << 32);
}
