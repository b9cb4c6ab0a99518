// Lossless transformation of untrusted JPEG bytes. The first byte picks the options. What a
// transformation reports as written lies inside the output block and decodes at the size it
// reported.
// Runs in the test command: 600 (each input costs tens of milliseconds under the sanitizers)
#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/jpeg_codec.h"
#include "fuzz_jpeg_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > UINT32_MAX) return 0;
    uint8_t pick = data[0];
    ++data;
    --size;
    if (!FuzzJpegSizeAcceptable(data, size)) return 0;
    qv::JpegTransformOptions o;
    o.transform = pick % 6;
    o.markerCopy = (pick >> 3) % 3;
    o.trim = pick & 0x20;
    o.forceGrey = pick & 0x40;
    o.progressive = pick & 0x80;
    o.resetOrientation = true;
    std::vector<uint8_t> source(data, data + size);
    std::vector<uint8_t> out(size * 4 + 65536);
    qv::JpegContext ctx;
    if (!qv::TransformJpeg(source.data(), static_cast<uint32_t>(size), o, nullptr, out.data(),
                           static_cast<uint32_t>(out.size()), &ctx))
        return 0;
    if (ctx.bytesUsed == 0 || ctx.bytesUsed > out.size()) __builtin_trap();
    qv::ImageBuffer image{};
    qv::JpegContext decoded;
    if (!qv::DecodeJpeg(out.data(), ctx.bytesUsed, &image, &decoded)) __builtin_trap();
    if (static_cast<uint32_t>(image.header.biWidth) != ctx.width ||
        static_cast<uint32_t>(image.header.biHeight) != ctx.height)
        __builtin_trap();
    qv::FreeImagePixels(&image);
    return 0;
}
