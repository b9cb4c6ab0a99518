// Feeds arbitrary bytes to the TIFF reader. A decoded image must obey the buffer rules, and every
// byte of its pixel block must be readable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "codecs/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    // an exact copy, so that a read one byte past the input is caught
    std::vector<uint8_t> bytes(data, data + size);
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    bool ok = qv::ReadTiffMemory(bytes.data(), static_cast<uint32_t>(size), &image, &info, &status);
    if (ok != (status == qv::kCodecOk)) std::abort();
    if (!ok) {
        if (image.pixels) std::abort();
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
