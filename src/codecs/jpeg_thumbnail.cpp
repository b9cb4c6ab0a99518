// Rebuilding the EXIF thumbnail of a freshly re-encoded JPEG from the image that was saved, so
// that the thumbnail shows the edited picture and not the original one.
#include <vector>

#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr uint32_t kThumbnailSide = 160;
constexpr int32_t kThumbnailQuality = 80;

// Box-filtered reduction of an 8-bit or 24-bit image to `w` x `h` (24-bit result).
bool ShrinkImage(const ImageBuffer& src, uint32_t w, uint32_t h, ImageBuffer* dst) {
    CodecStatus status = kCodecOk;
    if (!PrepareImage(dst, w, h, 24, &status)) return false;
    uint32_t sw = static_cast<uint32_t>(src.header.biWidth), sh = static_cast<uint32_t>(src.header.biHeight);
    bool palette = src.header.biBitCount == 8;
    for (uint32_t y = 0; y < h; ++y) {
        uint32_t y0 = static_cast<uint32_t>(static_cast<uint64_t>(y) * sh / h);
        uint32_t y1 = static_cast<uint32_t>(static_cast<uint64_t>(y + 1) * sh / h);
        if (y1 <= y0) y1 = y0 + 1;
        uint8_t* out = ImageRowFromTop(dst, y);
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t x0 = static_cast<uint32_t>(static_cast<uint64_t>(x) * sw / w);
            uint32_t x1 = static_cast<uint32_t>(static_cast<uint64_t>(x + 1) * sw / w);
            if (x1 <= x0) x1 = x0 + 1;
            uint64_t sum[3] = {0, 0, 0}, count = 0;
            for (uint32_t yy = y0; yy < y1; ++yy) {
                const uint8_t* row = ImageRowFromTop(&src, yy);
                for (uint32_t xx = x0; xx < x1; ++xx, ++count) {
                    if (palette) {
                        const RGBQUAD& c = src.palette[row[xx]];
                        sum[0] += c.rgbBlue, sum[1] += c.rgbGreen, sum[2] += c.rgbRed;
                    } else {
                        sum[0] += row[3 * xx], sum[1] += row[3 * xx + 1], sum[2] += row[3 * xx + 2];
                    }
                }
            }
            for (int c = 0; c < 3; ++c)
                out[3 * x + c] = static_cast<uint8_t>(sum[c] / count);
        }
    }
    dst->header.biXPelsPerMeter = src.header.biXPelsPerMeter;
    dst->header.biYPelsPerMeter = src.header.biYPelsPerMeter;
    return true;
}

} // namespace

ThumbnailRewrite RebuildExifThumbnail(const wchar_t* path, const ImageBuffer& image, bool grey) {
    ExifThumbnail thumb;
    CodecStatus status = kCodecOk;
    if (!FindExifThumbnailInFile(path, &thumb, &status) || !image.pixels) return ThumbnailRewrite::Unchanged;
    uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    ImageBuffer small{};
    const ImageBuffer* source = &image;
    if (w > kThumbnailSide || h > kThumbnailSide) {
        uint32_t tw = kThumbnailSide, th = kThumbnailSide;
        if (w >= h)
            th = static_cast<uint32_t>(static_cast<double>(h) * kThumbnailSide / w + 0.5);
        else
            tw = static_cast<uint32_t>(static_cast<double>(w) * kThumbnailSide / h + 0.5);
        if (tw == 0) tw = 1;
        if (th == 0) th = 1;
        if (!ShrinkImage(image, tw, th, &small)) return ThumbnailRewrite::Unchanged;
        source = &small;
    }
    JpegEncodeOptions options;
    options.quality = kThumbnailQuality;
    options.sampling = kSampling2x2;
    options.grey = grey;
    options.xPelsPerMeter = image.header.biXPelsPerMeter;
    options.yPelsPerMeter = image.header.biYPelsPerMeter;
    std::vector<uint8_t> jpeg;
    JpegContext ctx;
    ThumbnailRewrite result = ThumbnailRewrite::Unchanged;
    if (WriteJpegMemoryLimited(*source, options, thumb.freeRoom, &jpeg, &ctx) && jpeg.size() <= thumb.freeRoom)
        result = ReplaceExifThumbnailInFile(path, thumb, jpeg.data(), static_cast<uint32_t>(jpeg.size()));
    FreeImagePixels(&small);
    return result;
}

} // namespace qv
