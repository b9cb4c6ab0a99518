// The SelectionMask beside the current image: one byte per pixel (width x height, rows without
// padding, bottom-up like the image), the weight of the unprocessed pixel in a tool's output
// (0 the tool's result, 255 protected). While it exists the view shows a display copy of the image
// in which protected pixels are dimmed grey. Only the area selection tool makes one; a committed
// edit that changes the image's size drops it, any other commit keeps it and redraws the copy.
// Portable.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"
#include "platform/platform.h"

namespace qv {

struct SelectionMask {
    LargeBlock bytes;   // width x height (+ 4 spare), null when there is no mask
    LargeBlock display; // the image as shown while the mask exists: 24-bit, the image's size
    int32_t width = 0;
    int32_t height = 0;
};

inline bool HasSelectionMask(const SelectionMask& mask) {
    return mask.bytes != nullptr;
}

// Bytes of a mask for a width x height image (+ 4 spare, as every large block); false when the
// size does not fit in 32 bits.
bool SelectionMaskBytes(int32_t width, int32_t height, uint32_t* bytes);

void DropSelectionMask(SelectionMask* mask);

// Makes `bytes` (a block of SelectionMaskBytes) the mask of `image` and draws its display copy.
// False when the copy cannot be allocated or the sizes disagree: then there is no mask at all,
// `bytes` freed, as a mask the view could not show would protect pixels nobody can see.
bool SetSelectionMask(SelectionMask* mask, LargeBlock bytes, const ImageBuffer& image);

// The image changed under a kept mask: redraws the display copy (false, mask dropped, when the
// sizes no longer match or there is no memory).
bool RedrawMaskDisplay(SelectionMask* mask, const ImageBuffer& image);

// The display copy of 24-bit `pixels`: pixels with m = 0 as they are; otherwise d = 64 +
// (grey >> 1) and, for m < 255, T[255 - m][source] + T[m][d] per channel, d itself for m = 255.
// `display` has the image's 24-bit layout.
void BuildMaskDisplay(const uint8_t* pixels, const uint8_t* mask, int32_t width, int32_t height, uint8_t* display);

// The header the view paints the display copy with: the image's, at 24 bits.
BITMAPINFOHEADER MaskDisplayHeader(const ImageBuffer& image);

} // namespace qv
