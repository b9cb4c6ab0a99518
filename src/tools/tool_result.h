// Moving pixels in and out of an ImageBuffer for an edit: the 24-bit working copy a tool starts
// from, and the description an edit's result carries. Shared by the tool windows, the immediate
// operations and quorvel-cli's `edit`, so every route describes a result the same way.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"
#include "platform/platform.h"

namespace qv {

// A new 24-bit block of the image's size: a copy of a 24-bit block, the palette expansion of an
// 8-bit one. Null when the size does not fit in 32 bits or there is no memory.
uint8_t* MakeWorkingCopy(const ImageBuffer& image);

// The 24-bit rows a kernel with a result of another size reads: the image's own pixels when they
// are 24-bit, else its working copy, held by `expanded`. Null when the copy cannot be made.
const uint8_t* PixelsAs24Bit(const ImageBuffer& image, LargeBlock* expanded);

// Gives `image` the result block `pixels` (width x height at 8 or 24 bits, owned by the image from
// now on): the old pixels and any animation frames are freed, the header rules hold, the resolution
// stays, sourceFormat is BMP, sourceBitDepth the bit count and fileSize the size of an uncompressed
// BMP file (54 + pixel bytes, + 1024 for a palette). An 8-bit result keeps the image's palette
// unless the caller writes a new one afterwards.
void TakeToolResult(ImageBuffer* image, uint8_t* pixels, int32_t width, int32_t height, uint16_t bitCount);

} // namespace qv
