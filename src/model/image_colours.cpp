#include "model/image_colours.h"

#include <bit>
#include <cstring>

#include "model/image_buffer.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

uint8_t* ConvertTo24Bit(const RGBQUAD* palette, const uint8_t* pixels, uint32_t width, uint32_t height) {
    CodecStatus status = kCodecOk;
    uint8_t* block = AllocPixelBlock(width, height, 24, &status);
    if (!block) return nullptr;
    const uint32_t sourceStride = ImageStride(width, 8);
    const uint32_t targetStride = ImageStride(width, 24);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + static_cast<size_t>(y) * sourceStride;
        uint8_t* out = block + static_cast<size_t>(y) * targetStride;
        for (uint32_t x = 0; x < width; ++x, out += 3) {
            const RGBQUAD& c = palette[in[x]];
            out[0] = c.rgbBlue;
            out[1] = c.rgbGreen;
            out[2] = c.rgbRed;
        }
    }
    return block;
}

uint32_t CountUsedIndices(const uint8_t* pixels, uint32_t width, uint32_t height) {
    bool seen[256] = {};
    const uint32_t stride = ImageStride(width, 8);
    uint32_t count = 0;
    for (uint32_t y = 0; y < height && count < 256; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * stride;
        for (uint32_t x = 0; x < width; ++x) {
            if (!seen[row[x]]) {
                seen[row[x]] = true;
                ++count;
            }
        }
    }
    return count;
}

uint32_t CountDistinctColours(const uint8_t* pixels, uint32_t width, uint32_t height, uint32_t pixelStep) {
    if (pixelStep != 3 && pixelStep != 4) return 0;
    constexpr size_t kSetBytes = (size_t{1} << 24) / 8;
    LargeBlock set(static_cast<uint8_t*>(AllocLargeBlock(kSetBytes)));
    if (!set) return 0;
    uint8_t* bits = set.get();
    const size_t stride = pixelStep == 4 ? static_cast<size_t>(width) * 4 : ImageStride(width, 24);
    uint32_t count = 0;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* p = pixels + y * stride;
        for (uint32_t x = 0; x < width; ++x, p += pixelStep) {
            uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16);
            uint8_t mask = static_cast<uint8_t>(1u << (key & 7));
            if (!(bits[key >> 3] & mask)) {
                bits[key >> 3] |= mask;
                ++count;
            }
        }
    }
    return count;
}

} // namespace qv
