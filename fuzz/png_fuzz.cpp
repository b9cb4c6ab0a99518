// Decodes arbitrary bytes as PNG under two option sets (gamma and blending on, both off).
#include <cstddef>
#include <cstdint>

#include "codecs/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status;
    qv::LoadOptions options;
    options.background = 0x00204080;
    qv::ReadPngMemory(data, static_cast<uint32_t>(size), options, &image, &info, &status);
    qv::FreeImagePixels(&image);
    options.gamma = false;
    options.alpha = false;
    options.fileBackground = false;
    if (qv::ReadPngMemory(data, static_cast<uint32_t>(size), options, &image, &info, &status)) {
        // touch the whole block so that a wrong size shows up under ASan
        uint32_t stride = qv::ImageStride(&image);
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < stride * static_cast<uint32_t>(image.header.biHeight) + 4; ++i)
            sum += image.pixels[i];
    }
    qv::FreeImagePixels(&image);
    return 0;
}
