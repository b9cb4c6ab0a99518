// Colour facts and the 8-to-24-bit expansion of an image's pixel block, shared by the image
// information, the tools and the depth converter.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace qv {

// A new 24-bit block (rows (width x 3 + 3) & ~3, 4 spare bytes) holding each index of the 8-bit
// rows (stride (width + 3) & ~3) as its palette colour; null when the size does not fit in 32 bits
// or there is no memory. Free it with FreePixelBlock.
uint8_t* ConvertTo24Bit(const RGBQUAD* palette, const uint8_t* pixels, uint32_t width, uint32_t height);

// Number of different indices (at most 256) in an 8-bit block of rows padded to 4 bytes.
uint32_t CountUsedIndices(const uint8_t* pixels, uint32_t width, uint32_t height);

// Number of distinct blue-green-red values in a block of `pixelStep` 3 (rows padded to 4 bytes)
// or 4 (rows of width x 4 bytes, the fourth byte ignored). Returns 0 when the 2 MiB bit set
// cannot be allocated or the step is neither.
uint32_t CountDistinctColours(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t pixelStep);

} // namespace qv
