// Feeds arbitrary bytes to the BMP file reader. A decoded image must obey the buffer rules and every
// byte of its pixel block must be readable; a refusal must leave no pixels behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codecs/bmp_codec.h"
#include "codecs/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    // an exact copy, so that a read one byte past the input is caught
    std::vector<uint8_t> bytes(data, data + size);
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    bool ok = qv::ReadBmpMemory(bytes.data(), static_cast<uint32_t>(size), &image, &info, &status);
    if (!ok) {
        if (image.pixels || status == qv::kCodecOk) std::abort();
        return 0;
    }
    const BITMAPINFOHEADER& h = image.header;
    if (h.biWidth < 1 || h.biHeight < 1 || (h.biBitCount != 8 && h.biBitCount != 24) || !image.pixels) std::abort();
    size_t total = size_t{qv::ImageStride(&image)} * static_cast<size_t>(h.biHeight) + 4;
    volatile uint8_t sink = 0;
    for (size_t i = 0; i < total; i += 61)
        sink = sink + image.pixels[i];
    sink = sink + image.pixels[total - 1];
    qv::FreeImagePixels(&image);
    return 0;
}
