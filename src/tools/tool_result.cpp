#include "tools/tool_result.h"

#include <cstring>

#include "model/image_colours.h"

namespace qv {

uint8_t* MakeWorkingCopy(const ImageBuffer& image) {
    uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    if (image.pixels == nullptr) return nullptr;
    if (image.header.biBitCount == 8) return ConvertTo24Bit(image.palette, image.pixels, w, h);
    if (image.header.biBitCount != 24) return nullptr;
    CodecStatus status = kCodecOk;
    uint8_t* copy = AllocPixelBlock(w, h, 24, &status);
    if (copy) std::memcpy(copy, image.pixels, static_cast<size_t>(ImageStride(w, 24)) * h);
    return copy;
}

const uint8_t* PixelsAs24Bit(const ImageBuffer& image, LargeBlock* expanded) {
    if (image.header.biBitCount == 24) return image.pixels;
    expanded->reset(MakeWorkingCopy(image));
    return expanded->get();
}

void TakeToolResult(ImageBuffer* image, uint8_t* pixels, int32_t width, int32_t height, uint16_t bitCount) {
    FreeImagePixels(image);
    image->pixels = pixels;
    image->header.biSize = 40;
    image->header.biWidth = width;
    image->header.biHeight = height;
    image->header.biPlanes = 1;
    image->header.biBitCount = bitCount;
    image->header.biCompression = BI_RGB;
    image->header.biSizeImage = 0;
    image->header.biClrUsed = 0;
    image->header.biClrImportant = 0;
    image->sourceFormat = kFormatBmp;
    image->sourceBitDepth = bitCount;
    uint64_t bytes =
        static_cast<uint64_t>(ImageStride(static_cast<uint32_t>(width), bitCount)) * static_cast<uint32_t>(height);
    uint64_t size = bytes + 54 + (bitCount == 8 ? 1024 : 0);
    image->fileSize = size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
}

} // namespace qv
