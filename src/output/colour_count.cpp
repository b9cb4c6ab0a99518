#include "output/colour_count.h"

#include "model/image_colours.h"

namespace qv {

uint32_t CountImageColours(const ImageBuffer& image) {
    if (!image.pixels || image.header.biWidth < 1 || image.header.biHeight < 1) return 0;
    const uint32_t width = static_cast<uint32_t>(image.header.biWidth);
    const uint32_t height = static_cast<uint32_t>(image.header.biHeight);
    if (image.header.biBitCount == 8) return CountUsedIndices(image.pixels, width, height);
    if (image.header.biBitCount == 24) return CountDistinctColours(image.pixels, width, height, 3);
    return 0;
}

std::wstring ColourCountText(const std::wstring& label, uint32_t count) {
    return label + L": " + std::to_wstring(count);
}

} // namespace qv
