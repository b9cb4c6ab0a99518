// The lossless operation from one JPEG file into another, and the EXIF thumbnail that must follow it.
#include <vector>

#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "platform/platform.h"

namespace qv {

namespace {

// Turns or greys the EXIF thumbnail of `path` the way its main image was transformed.
ThumbnailRewrite TransformThumbnail(const wchar_t* path, const JpegTransformOptions& options) {
    ExifThumbnail thumb;
    CodecStatus status = kCodecOk;
    if (!FindExifThumbnailInFile(path, &thumb, &status)) return ThumbnailRewrite::Unchanged;
    std::vector<uint8_t> source(thumb.app1.begin() + 6 + thumb.offset,
                                thumb.app1.begin() + 6 + thumb.offset + thumb.length);
    std::vector<uint8_t> out(kExifMaxPayload);
    JpegTransformOptions t;
    t.transform = options.transform;
    t.forceGrey = options.forceGrey;
    t.trim = true;
    t.markerCopy = kCopyNone;
    JpegContext ctx;
    if (!TransformJpeg(source.data(), static_cast<uint32_t>(source.size()), t, nullptr, out.data(),
                       static_cast<uint32_t>(out.size()), &ctx))
        return ThumbnailRewrite::Unchanged;
    return ReplaceExifThumbnailInFile(path, thumb, out.data(), ctx.bytesUsed);
}

} // namespace

bool TransformJpegFile(const wchar_t* sourcePath, const wchar_t* outputPath, const JpegTransformOptions& options,
                       JpegContext* ctx) {
    ctx->status = kCodecOk;
    bool ok = false;
    {
        MappedFile source;
        if (!MapWholeFile(sourcePath, MapMode::CopyOnWrite, &source)) {
            ctx->status = kCodecCannotOpen;
            return false;
        }
        ok = TransformJpeg(source.view, source.size, options, outputPath, nullptr, 0, ctx);
    }
    // a thumbnail that cannot be turned stays as it was; a rewrite that failed spoilt the file
    if (ok && options.markerCopy == kCopyAll && (options.transform != kTransformNone || options.forceGrey) &&
        TransformThumbnail(outputPath, options) == ThumbnailRewrite::Failed) {
        ctx->status = kCodecCannotWrite;
        return false;
    }
    return ok;
}

} // namespace qv
