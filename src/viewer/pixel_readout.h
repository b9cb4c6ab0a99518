// The colour under the pointer while a tool picks colours: the image pixel under a pane point and
// the title text that shows it. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "model/image_buffer.h"
#include "viewer/view_geometry.h"

namespace qv {

struct PixelColour {
    uint8_t red = 0, green = 0, blue = 0;
};

// The colour of image pixel (x, y), y counted from the top: the blue-green-red bytes of a 24-bit
// image, the palette entry of an 8-bit one. False outside the image, without pixels, or for any
// other depth.
bool ReadPixelColour(const ImageBuffer& image, int32_t x, int32_t y, PixelColour* colour);

// "r:R  g:G  b:B" in decimal, or "r:-  g:-  b:-" without a colour.
std::wstring PixelReadoutText(const PixelColour* colour);

// The colour under a client point of a surface showing `image` with geometry `g`; false when the
// point is not on the drawn image.
bool PixelUnderPoint(const ImageBuffer& image, const ViewGeometry& g, ViewPoint client, PixelColour* colour);

} // namespace qv
