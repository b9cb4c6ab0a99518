// Feeds arbitrary bytes to the GIF reader, with and without animation frames. A decoded image
// must be whole, and writing its first frame and reading it back must give the same indices.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/gif_codec.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckImage(const qv::ImageBuffer& image) {
    Check(image.pixels != nullptr);
    Check(image.header.biWidth >= 1 && image.header.biHeight >= 1 && image.header.biBitCount == 8);
    const uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    const uint32_t stride = qv::ImageStride(w, 8);
    // touch the last byte of every frame block, palette included: ASan catches a short block
    volatile uint8_t sink = image.pixels[static_cast<size_t>(stride) * h - 1];
    if (const qv::AnimationFrames* a = image.animation) {
        Check(a->frameCount >= 2 && a->frameCount <= qv::kMaxAnimationFrames);
        Check(a->frames[0] == image.pixels);
        for (int k = 0; k < a->frameCount; ++k) {
            Check(a->frames[k] != nullptr && a->palettes[k] != nullptr);
            sink = a->frames[k][static_cast<size_t>(stride) * h - 1];
            sink = reinterpret_cast<const uint8_t*>(a->palettes[k])[1023];
        }
    }
    (void)sink;
}

void RoundTrip(const qv::ImageBuffer& image) {
    const uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    if (static_cast<uint64_t>(w) * h > 1 << 16) return; // keep runs fast
    const uint32_t stride = qv::ImageStride(w, 8);
    qv::GifIndexPlane plane;
    plane.width = w;
    plane.height = h;
    plane.depth = 8;
    plane.rows = image.pixels + static_cast<size_t>(h - 1) * stride;
    plane.stride = -static_cast<intptr_t>(stride);
    plane.palette = image.palette;
    plane.paletteUsed = 256;
    plane.interlace = (w + h) & 1;
    std::vector<uint8_t> file;
    Check(qv::EncodeGif(plane, &file));
    qv::ImageBuffer again{};
    qv::LoadInfo info;
    qv::CodecStatus status;
    Check(qv::ReadGifMemory(file.data(), static_cast<uint32_t>(file.size()), qv::LoadOptions{}, false, &again, &info,
                            &status));
    Check(again.header.biWidth == image.header.biWidth && again.header.biHeight == image.header.biHeight);
    for (uint32_t y = 0; y < h; ++y)
        Check(std::memcmp(again.pixels + static_cast<size_t>(y) * stride, image.pixels + static_cast<size_t>(y) * stride,
                          w) == 0);
    qv::FreeImagePixels(&again);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > UINT32_MAX) return 0;
    qv::LoadOptions options;
    options.alpha = (size & 1) != 0;
    for (bool frames : {true, false}) {
        qv::ImageBuffer image{};
        qv::LoadInfo info;
        qv::CodecStatus status = qv::kCodecOk;
        bool ok = qv::ReadGifMemory(data, static_cast<uint32_t>(size), options, frames, &image, &info, &status);
        if (ok) {
            CheckImage(image);
            if (!frames) {
                options.alpha = false;
                RoundTrip(image);
            }
        } else {
            Check(image.pixels == nullptr && image.animation == nullptr && status != qv::kCodecOk);
        }
        qv::FreeImagePixels(&image);
    }
    return 0;
}
