// Rebuilding the EXIF thumbnail of a freshly re-encoded JPEG from the image that was saved, so
// that the thumbnail shows the edited picture and not the original one: its size, and putting the
// scaled picture (made by the save pipeline) into the file.
#include <vector>

#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr uint32_t kThumbnailSide = 160;
constexpr int32_t kThumbnailQuality = 80;

} // namespace

bool ExifThumbnailSize(uint32_t w, uint32_t h, uint32_t* thumbWidth, uint32_t* thumbHeight) {
    if (w <= kThumbnailSide && h <= kThumbnailSide) return false;
    uint32_t tw = kThumbnailSide, th = kThumbnailSide;
    if (w >= h)
        th = static_cast<uint32_t>(static_cast<double>(h) * kThumbnailSide / w + 0.5);
    else
        tw = static_cast<uint32_t>(static_cast<double>(w) * kThumbnailSide / h + 0.5);
    *thumbWidth = tw == 0 ? 1 : tw;
    *thumbHeight = th == 0 ? 1 : th;
    return true;
}

ThumbnailRewrite ReplaceExifThumbnailPicture(const wchar_t* path, const ImageBuffer& image, bool grey) {
    ExifThumbnail thumb;
    CodecStatus status = kCodecOk;
    if (!FindExifThumbnailInFile(path, &thumb, &status) || !image.pixels) return ThumbnailRewrite::Unchanged;
    JpegEncodeOptions options;
    options.quality = kThumbnailQuality;
    options.sampling = kSampling2x2;
    options.grey = grey;
    options.xPelsPerMeter = image.header.biXPelsPerMeter;
    options.yPelsPerMeter = image.header.biYPelsPerMeter;
    std::vector<uint8_t> jpeg;
    JpegContext ctx;
    if (!WriteJpegMemoryLimited(image, options, thumb.freeRoom, &jpeg, &ctx) || jpeg.size() > thumb.freeRoom)
        return ThumbnailRewrite::Unchanged;
    return ReplaceExifThumbnailInFile(path, thumb, jpeg.data(), static_cast<uint32_t>(jpeg.size()));
}

} // namespace qv
