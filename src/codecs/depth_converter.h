// DepthConverter: turns an 8-bit palette image or a 24-bit image into the depth an encoder
// writes (1, 2, 4, 8 bits with a new palette, 24 bits, 8-bit grey), building the palette by
// median cut when the image has more colours than the depth allows, with optional
// Floyd-Steinberg dithering. Output rows keep the source's row order (bottom-up for an
// ImageBuffer); encoders that write top-down walk them backwards.
#pragma once

#include <cstdint>

#include "model/codec_status.h"
#include "platform/win32_types.h"

namespace qv {

struct DepthConverter {
    int32_t width = 0; // negative values count as 0
    int32_t height = 0;
    uint32_t sourceDepth = 0; // 1, 2, 4, 8, 24 or 32
    uint32_t targetDepth = 0;
    uint32_t packedRowBytes = 0; // ceil(width x targetDepth / 8)
    uint32_t stride = 0;         // packed bytes rounded up to 4 (depth <= 24); width x 4 for 32
    uint32_t totalBytes = 0;     // stride x height; 0 when it does not fit in 32 bits
    bool dither = false;
    uint32_t paletteCount = 0; // entries of the target palette that the pixels use (after a convert)
    // Why the last call failed: 50006 (depths, sizes, too many pixels) or 50001 (no memory).
    CodecStatus status = kCodecOk;
};

// Computes the target row sizes. Returns false when the sizes do not fit in 32 bits.
bool ConfigureDepthConverter(DepthConverter* converter, int32_t width, int32_t height, uint32_t sourceDepth,
                             uint32_t targetDepth, bool dither);

// The general conversion of the BMP, PNG and TIFF encoders. `targetPalette` has 256 entries
// (zero-filled first); `targetPixels` holds totalBytes (+ 4 spare) bytes. Returns false for an
// unsupported pair of depths, too many pixels for the median cut, or no memory.
bool ConvertDepth(DepthConverter* converter, const RGBQUAD* sourcePalette, const uint8_t* sourcePixels,
                  RGBQUAD* targetPalette, uint8_t* targetPixels);

// The GIF form: one index byte per pixel for every target depth 1-8 (1 bit as values 0 and 1);
// `targetPlane` has rows of (width + 3) & ~3 bytes in the source's row order.
bool ConvertForGif(DepthConverter* converter, const RGBQUAD* sourcePalette, const uint8_t* sourcePixels,
                   RGBQUAD* targetPalette, uint8_t* targetPlane);

// 8-bit grey, one byte per pixel without row padding, rows in the source's order:
// round(0.299 R) + round(0.587 G) + round(0.114 B), each product rounded on its own.
bool ToGrey(const DepthConverter& converter, const RGBQUAD* sourcePalette, const uint8_t* sourcePixels,
            uint8_t* greyPlane);

} // namespace qv
