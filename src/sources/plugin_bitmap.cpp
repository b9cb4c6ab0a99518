#include "sources/plugin_bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/checked_math.h"

namespace qv {

namespace {

constexpr uint32_t kHeaderBytes = sizeof(BITMAPINFOHEADER);

// Bytes of one packed row of `width` pixels at 1 or 4 bits, padded to 4.
uint64_t PackedStride(uint32_t width, uint32_t bitCount) {
    uint64_t bytes = bitCount == 1 ? (static_cast<uint64_t>(width) + 7) / 8 : (static_cast<uint64_t>(width) + 1) / 2;
    return (bytes + 3) & ~uint64_t{3};
}

void ExpandRow(const uint8_t* from, uint32_t width, uint32_t bitCount, uint8_t* to) {
    if (bitCount == 1) {
        for (uint32_t x = 0; x < width; ++x)
            to[x] = (from[x >> 3] >> (7 - (x & 7))) & 1;
    } else {
        for (uint32_t x = 0; x < width; ++x)
            to[x] = (x & 1) ? from[x >> 1] & 0x0F : from[x >> 1] >> 4;
    }
}

} // namespace

bool ConvertPluginBitmap(const uint8_t* info, uint64_t infoSize, const uint8_t* bits, uint64_t bitsSize,
                         int32_t sourceDepth, ImageBuffer* target) {
    FreeImagePixels(target);
    std::memset(target->palette, 0, sizeof target->palette);
    if (!info || !bits || infoSize < kHeaderBytes || bitsSize == 0 || bitsSize > UINT32_MAX) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, info, kHeaderBytes);
    // the colour table follows a larger header where the block holds one; plug-ins that leave
    // the size field unset put it straight after the 40 bytes
    uint64_t paletteAt = h.biSize >= kHeaderBytes && h.biSize <= infoSize ? h.biSize : kHeaderBytes;
    if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight <= 0) return false;
    uint32_t bitCount = h.biBitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return false;
    uint32_t width = static_cast<uint32_t>(h.biWidth), height = static_cast<uint32_t>(h.biHeight);
    uint32_t outBits = bitCount == 24 ? 24 : 8;

    CodecStatus status = kCodecOk;
    uint8_t* block = AllocPixelBlock(width, height, outBits, &status);
    if (!block) return false;
    uint32_t outStride = ImageStride(width, outBits);
    if (bitCount < 8) {
        uint64_t stride = PackedStride(width, bitCount);
        if (stride * height > bitsSize) {
            FreePixelBlock(block);
            return false;
        }
        for (uint32_t y = 0; y < height; ++y)
            ExpandRow(bits + stride * y, width, bitCount, block + static_cast<size_t>(outStride) * y);
    } else {
        // a block cut short still shows the rows it holds
        uint64_t whole = static_cast<uint64_t>(outStride) * height;
        std::memcpy(block, bits, static_cast<size_t>(std::min(whole, bitsSize)));
    }

    if (bitCount <= 8) {
        uint64_t entries = std::min<uint64_t>((infoSize - paletteAt) / sizeof(RGBQUAD), 256);
        std::memcpy(target->palette, info + paletteAt, static_cast<size_t>(entries * sizeof(RGBQUAD)));
    }
    std::memset(&target->header, 0, sizeof target->header);
    target->header.biSize = kHeaderBytes;
    target->header.biWidth = h.biWidth;
    target->header.biHeight = h.biHeight;
    target->header.biPlanes = 1;
    target->header.biBitCount = static_cast<WORD>(outBits);
    target->header.biCompression = BI_RGB;
    target->header.biXPelsPerMeter = h.biXPelsPerMeter;
    target->header.biYPelsPerMeter = h.biYPelsPerMeter;
    target->pixels = block;
    target->sourceFormat = kFormatNone;
    target->sourceBitDepth = sourceDepth > 0 ? static_cast<uint32_t>(sourceDepth) : bitCount;
    return true;
}

} // namespace qv
