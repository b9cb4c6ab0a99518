// The bitmap an image plug-in returns (its bitmap-information block: header and colour table, and
// its bits block) as an ImageBuffer. Portable, so every rule is tested natively; the host hands
// over the locked blocks with their sizes.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"

namespace qv {

// Accepts uncompressed bottom-up bitmaps of 1, 4, 8 and 24 bits with a positive size. 1- and
// 4-bit rows become one index byte per pixel (most significant bits first) and need every row in
// the bits block; 8- and 24-bit rows are copied as far as the block reaches, the rest stays zero.
// The colour table fills the palette as far as the block holds it, the rest stays zero.
// `sourceDepth` (from the picture information, 0 when unknown) becomes the source bit depth,
// else the bitmap's own bit count. On failure `target` keeps no pixels.
bool ConvertPluginBitmap(const uint8_t* info, uint64_t infoSize, const uint8_t* bits, uint64_t bitsSize,
                         int32_t sourceDepth, ImageBuffer* target);

} // namespace qv
