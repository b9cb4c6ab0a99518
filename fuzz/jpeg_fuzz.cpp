// Decoding of untrusted JPEG bytes into an ImageBuffer.
// Runs in the test command: 1000
#include <cstddef>
#include <cstdint>

#include "codecs/decoders.h"
#include "fuzz_jpeg_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX || !FuzzJpegSizeAcceptable(data, size)) return 0;
    qv::ImageBuffer image{};
    qv::LoadInfo info;
    qv::CodecStatus status = qv::kCodecOk;
    if (qv::ReadJpegMemory(data, static_cast<uint32_t>(size), &image, &info, &status)) {
        // Touch the last row and the palette so a short block would show.
        volatile uint8_t sink = image.pixels[qv::ImageStride(&image) * (image.header.biHeight - 1)];
        (void)sink;
    }
    qv::FreeImagePixels(&image);
    return 0;
}
