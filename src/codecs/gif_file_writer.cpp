// WriteGifFile: reduces the image to the chosen depth and writes it as a GIF89a file.
#include <new>

#include "codecs/depth_converter.h"
#include "codecs/gif_codec.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

CodecStatus WriteGifFile(const wchar_t* path, const ImageBuffer& image, const GifWriteOptions& options) {
    const LONG width = image.header.biWidth, height = image.header.biHeight;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535 || !image.pixels) return kCodecCannotWrite;
    if (options.depth < 1 || options.depth > 8) return kCodecCannotConvert;
    OutputFile file;
    if (!file.Create(path)) return kCodecCannotWrite;

    const uint32_t w = static_cast<uint32_t>(width), h = static_cast<uint32_t>(height);
    DepthConverter converter;
    if (!ConfigureDepthConverter(&converter, width, height, image.header.biBitCount, options.depth, options.dither))
        return kCodecCannotConvert;
    const uint32_t stride = ImageStride(w, 8);
    uint32_t planeBytes = 0;
    if (!CheckedMul32(stride, h, &planeBytes) || planeBytes > UINT32_MAX - 4) return kCodecCannotConvert;
    LargeBlock plane(static_cast<uint8_t*>(AllocLargeBlock(planeBytes + 4)));
    if (!plane) return kCodecOutOfMemory;
    RGBQUAD palette[256] = {};
    if (!ConvertForGif(&converter, image.palette, image.pixels, palette, plane.get()))
        return converter.status == kCodecOutOfMemory ? kCodecOutOfMemory : kCodecCannotConvert;

    GifIndexPlane gif;
    gif.width = w;
    gif.height = h;
    gif.depth = options.depth;
    // the converted plane keeps the image's bottom-up order: walk it from its last row
    gif.rows = plane.get() + static_cast<size_t>(h - 1) * stride;
    gif.stride = -static_cast<intptr_t>(stride);
    gif.palette = palette;
    gif.paletteUsed = converter.paletteCount ? converter.paletteCount : 1u << options.depth;
    if (gif.paletteUsed > (1u << options.depth)) gif.paletteUsed = 1u << options.depth;
    gif.interlace = options.interlace;
    if (options.transparent)
        gif.transparentIndex =
            static_cast<int32_t>(NearestPaletteEntry(palette, gif.paletteUsed, options.transparentColour));

    std::vector<uint8_t> bytes;
    try {
        if (!EncodeGif(gif, &bytes)) return kCodecCannotWrite;
    } catch (const std::bad_alloc&) {
        return kCodecOutOfMemory;
    }
    if (!file.Write(bytes.data(), bytes.size()) || !file.Close()) return kCodecCannotWrite;
    return kCodecOk;
}

} // namespace qv
