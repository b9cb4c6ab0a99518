// The image as the printer gets it: always a 24-bit bitmap, the one form every driver that
// stretches bitmaps takes; an 8-bit image goes through a converted copy. Portable.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"

namespace qv {

struct PrintImage {
    BITMAPINFOHEADER header{}; // 24 bits, bottom-up
    const uint8_t* pixels = nullptr;
    uint8_t* converted = nullptr; // owned: the copy of an 8-bit image

    PrintImage() = default;
    PrintImage(const PrintImage&) = delete;
    PrintImage& operator=(const PrintImage&) = delete;
    ~PrintImage() { FreePixelBlock(converted); }
};

// False when there is no image or no memory for the copy.
bool PreparePrintImage(const ImageBuffer& image, PrintImage* out);

} // namespace qv
