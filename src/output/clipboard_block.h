// The packed device-independent bitmap (CF_DIB) the program puts on the clipboard: a 40-byte
// information header, for an 8-bit image all 256 palette entries, then the pixel rows exactly as
// the image keeps them (bottom-up, each padded to 4 bytes). The same layout as the head of an
// ImageBuffer, so a copy is one header, one table and one block copy. Reading a clipboard bitmap
// back is the BMP codec's ReadDibMemory. Portable.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"

namespace qv {

// The bitmap to put on the clipboard: a current image, or the 24-bit copy of the view.
struct ClipboardBitmap {
    int32_t width = 0, height = 0;
    uint16_t bitCount = 24; // 8 or 24
    int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
    const RGBQUAD* palette = nullptr; // 256 entries, 8-bit only
    const uint8_t* pixels = nullptr;  // bottom-up rows padded to 4 bytes
};
ClipboardBitmap ClipboardBitmapOf(const ImageBuffer& image);

// Bytes of the block: 40 + (1024 for 8 bits) + stride x height; 0 for a bitmap that cannot go
// (no pixels, another depth, a size beyond 32 bits).
uint32_t ClipboardBlockSize(const ClipboardBitmap& bitmap);
// Fills a block of ClipboardBlockSize bytes; false when `size` is not that.
bool WriteClipboardBlock(const ClipboardBitmap& bitmap, uint8_t* block, uint32_t size);

} // namespace qv
