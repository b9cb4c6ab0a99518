// The colour count command's number and message: distinct colours of a 24-bit image, distinct
// palette indices used by an 8-bit one. Portable.
#pragma once

#include <cstdint>
#include <string>

#include "model/image_buffer.h"

namespace qv {

// 0 when there is no image or no memory for the count.
uint32_t CountImageColours(const ImageBuffer& image);
// The message: the label (a language string), ": " and the number in plain digits.
std::wstring ColourCountText(const std::wstring& label, uint32_t count);

} // namespace qv
