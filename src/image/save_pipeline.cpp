#include "image/save_pipeline.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "codecs/bmp_codec.h"
#include "codecs/exif.h"
#include "codecs/gif_codec.h"
#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "codecs/tiff_encoder.h"
#include "image/format_detect.h"
#include "image/resample.h"
#include "model/image_colours.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr uint32_t kMsgCannotRead = kStrCannotRead;
constexpr uint32_t kMsgLosslessFailed = kStrNotTransformed;
constexpr uint32_t kMsgChangedSinceLoad = kStrChangedSinceLoad;
constexpr uint32_t kMsgNoTempFile = kStrNoTempFile;
constexpr uint32_t kMsgCannotPlace = kStrCannotPlace;
constexpr size_t kJpegCommentLimit = 4095;
constexpr const wchar_t* kJpegPatterns = L"*.jpg;*.jpe;*.jpeg";

bool Fail(SaveFailure* failure, uint32_t message) {
    if (failure) failure->message = message;
    return false;
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

bool EncodeJpeg(const wchar_t* path, const SaveSource& source, const SaveOptions& o, SaveFailure* failure) {
    const ImageBuffer& image = *source.image;
    JpegEncodeOptions jo;
    jo.quality = o.quality > 100 ? 75 : o.quality;
    jo.sampling = o.sampling;
    jo.grey = o.jpgGray;
    jo.progressive = o.progressive;
    jo.xPelsPerMeter = image.header.biXPelsPerMeter;
    jo.yPelsPerMeter = image.header.biYPelsPerMeter;
    if (source.hasComment) jo.comment = source.comment.substr(0, kJpegCommentLimit);
    bool copyExif = o.exifCopy && source.exifPresent && !source.sourceBytes.empty() &&
                    CopyExifForSave(reinterpret_cast<const uint8_t*>(source.sourceBytes.data()),
                                    static_cast<uint32_t>(source.sourceBytes.size()), &jo.exif);
    JpegContext ctx;
    bool ok = o.jpgLimit ? WriteJpegFileLimited(image, path, jo, static_cast<uint32_t>(o.jpgLimitValue), &ctx)
                         : WriteJpegFile(image, path, jo, &ctx);
    if (!ok) {
        CodecStatus s = ctx.status;
        if (s == kCodecOutOfMemory || (s >= kCodecCommentNotRewritable && s <= kCodecCannotConvert))
            return Fail(failure, s);
        if (failure) failure->libraryText = ctx.libraryMessage;
        return Fail(failure, 0);
    }
    // the file is rewritten once more for its thumbnail; a failure there may have cut it short
    if (copyExif && RebuildExifThumbnail(path, image, o.jpgGray) == ThumbnailRewrite::Failed)
        return Fail(failure, kCodecCannotWrite);
    return true;
}

bool EncodeLossless(const wchar_t* path, const SaveSource& source, const SaveOptions& o, SaveFailure* failure) {
    JpegTransformOptions to = LosslessSaveOptions(o.losslessTurn, o.jpgTrim, o.jMarker, o.progressive, o.jpegTGray);
    JpegContext ctx;
    if (source.fromArchive) {
        if (source.sourceBytes.empty()) return Fail(failure, kMsgCannotRead);
        std::vector<uint8_t> copy(source.sourceBytes.begin(), source.sourceBytes.end());
        if (!TransformJpeg(copy.data(), static_cast<uint32_t>(copy.size()), to, path, nullptr, 0, &ctx))
            return Fail(failure, kMsgLosslessFailed);
        return true;
    }
    FILETIME now{};
    if (source.sourcePath.empty() || IsDirectory(source.sourcePath.c_str()) ||
        !GetFileFacts(source.sourcePath.c_str(), nullptr, &now))
        return Fail(failure, kMsgCannotRead);
    if (!SameTime(now, source.loadedTime)) return Fail(failure, kMsgChangedSinceLoad);
    if (!TransformJpegFile(source.sourcePath.c_str(), path, to, &ctx)) return Fail(failure, kMsgLosslessFailed);
    return true;
}

} // namespace

ThumbnailRewrite RebuildExifThumbnail(const wchar_t* path, const ImageBuffer& image, bool grey) {
    if (image.pixels == nullptr) return ThumbnailRewrite::Unchanged;
    const uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    uint32_t tw = 0, th = 0;
    if (!ExifThumbnailSize(w, h, &tw, &th)) return ReplaceExifThumbnailPicture(path, image, grey);
    // the resampling works on 24-bit rows, so an 8-bit image goes through its palette first
    LargeBlock expanded;
    const uint8_t* pixels = image.pixels;
    if (image.header.biBitCount == 8) {
        expanded.reset(ConvertTo24Bit(image.palette, image.pixels, w, h));
        pixels = expanded.get();
    }
    ImageBuffer small{};
    CodecStatus status = kCodecOk;
    ThumbnailRewrite result = ThumbnailRewrite::Unchanged;
    if (pixels != nullptr && PrepareImage(&small, tw, th, 24, &status) &&
        Resample(pixels, static_cast<int32_t>(w), static_cast<int32_t>(h), small.pixels, static_cast<int32_t>(tw),
                 static_cast<int32_t>(th))) {
        small.header.biXPelsPerMeter = image.header.biXPelsPerMeter;
        small.header.biYPelsPerMeter = image.header.biYPelsPerMeter;
        result = ReplaceExifThumbnailPicture(path, small, grey);
    }
    FreeImagePixels(&small);
    return result;
}

const wchar_t* SaveFormatExtension(int32_t format) {
    static const wchar_t* const kExtensions[] = {L"bmp", L"png", L"jpg", L"tif", L"gif", L"jpg"};
    return format >= 0 && format <= kSaveJpegLossless ? kExtensions[format] : L"";
}

int32_t SaveFormatForDetected(uint32_t sourceFormat) {
    switch (sourceFormat) {
    case kFormatBmp: return kSaveBmp;
    case kFormatPng: return kSavePng;
    case kFormatJpeg: return kSaveJpeg;
    case kFormatTiff: return kSaveTiff;
    case kFormatGif: return kSaveGif;
    default: return -1;
    }
}

int32_t SaveOverFormat(const wchar_t* path) {
    return SaveFormatForDetected(DetectFormatFromFile(path));
}

bool WithoutExtension(const std::wstring& name, std::wstring* stripped) {
    // the dialog takes "/" as a folder separator too, and so does ExtensionOf
    std::wstring extension = ExtensionOf(name);
    if (extension.empty()) return false;
    *stripped = name.substr(0, name.size() - extension.size());
    return true;
}

size_t SaveFilterRows(bool jpegSource, SaveFilterRow rows[kMaxSaveFilterRows]) {
    const SaveFilterRow kRows[] = {{kStrFilterBmp, L"*.bmp"},
                                   {kStrFilterPng, L"*.png"},
                                   {kStrFilterJpeg, kJpegPatterns},
                                   {kStrFilterTiff, L"*.tif;*.tiff"},
                                   {kStrFilterGif, L"*.gif"}};
    size_t n = 0;
    for (const SaveFilterRow& row : kRows)
        rows[n++] = row;
    // the filter index is Format + 1, so this row can only ever be the last one
    if (jpegSource) rows[n++] = {kStrFilterJpegLossless, kJpegPatterns};
    return n;
}

SaveOptions LosslessTurnOptions(SaveOptions options, int32_t code) {
    options.format = kSaveJpegLossless;
    options.jpgTrim = false;
    options.jMarker = kCopyAll;
    options.progressive = false;
    options.jpegTGray = false;
    options.losslessTurn = code;
    return options;
}

bool SaveOptions::operator==(const SaveOptions& o) const {
    return format == o.format && bmpDepth == o.bmpDepth && pngDepth == o.pngDepth && tifDepth == o.tifDepth &&
           gifDepth == o.gifDepth && pngGray == o.pngGray && jpgGray == o.jpgGray && tifGray == o.tifGray &&
           jpegTGray == o.jpegTGray && dither == o.dither && level == o.level && filter == o.filter &&
           interlace == o.interlace && writeGamma == o.writeGamma && saveGamma == o.saveGamma &&
           alphaColour == o.alphaColour && quality == o.quality && sampling == o.sampling &&
           progressive == o.progressive && exifCopy == o.exifCopy && jMarker == o.jMarker && jpgTrim == o.jpgTrim &&
           jpgLimit == o.jpgLimit && jpgLimitValue == o.jpgLimitValue && load.gamma == o.load.gamma &&
           load.displayGamma == o.load.displayGamma && load.alpha == o.load.alpha &&
           load.fileBackground == o.load.fileBackground && load.background == o.load.background &&
           (format != kSaveJpegLossless || losslessTurn == o.losslessTurn);
}

bool EncodeImageFile(const wchar_t* path, const SaveSource& source, const SaveOptions& o, SaveFailure* failure) {
    if (o.format == kSaveJpegLossless) return EncodeLossless(path, source, o, failure);
    if (!source.image || !source.image->pixels) return Fail(failure, kCodecCannotConvert);
    const ImageBuffer& image = *source.image;
    CodecStatus status = kCodecOk;
    switch (o.format) {
    case kSaveBmp:
        if (!WriteBmpFile(path, image, static_cast<uint32_t>(o.bmpDepth), o.dither, &status))
            return Fail(failure, status);
        return true;
    case kSavePng: {
        PngWriteOptions po;
        po.depth = static_cast<uint32_t>(o.pngDepth);
        po.grey = o.pngGray;
        po.level = o.level > 9 ? 9 : o.level;
        po.filter = static_cast<uint32_t>(o.filter);
        po.interlace = o.interlace;
        po.dither = o.dither;
        po.transparent = source.transparentColour;
        po.transparentColour = o.alphaColour;
        po.gamma = o.writeGamma && o.saveGamma != 0 ? static_cast<uint32_t>(o.saveGamma) : 0;
        po.xResolution = image.header.biXPelsPerMeter;
        po.yResolution = image.header.biYPelsPerMeter;
        po.comment = source.hasComment ? source.comment.c_str() : nullptr;
        po.progress = source.progress;
        po.progressContext = source.progressContext;
        status = WritePngFile(path, image, po);
        return status == kCodecOk || Fail(failure, status);
    }
    case kSaveJpeg: return EncodeJpeg(path, source, o, failure);
    case kSaveTiff: {
        TiffWriteOptions to;
        to.depth = static_cast<uint32_t>(o.tifDepth);
        to.grey = o.tifGray;
        to.dither = o.dither;
        return WriteTiffFile(path, image, to, &status) || Fail(failure, status);
    }
    case kSaveGif: {
        GifWriteOptions go;
        go.depth = static_cast<uint32_t>(o.gifDepth);
        go.dither = o.dither;
        go.interlace = o.interlace;
        go.transparent = source.transparentColour;
        go.transparentColour = o.alphaColour;
        status = WriteGifFile(path, image, go);
        return status == kCodecOk || Fail(failure, status);
    }
    default: return Fail(failure, kCodecCannotConvert);
    }
}

bool FitPreviewToSize(ImageBuffer* preview, int32_t width, int32_t height) {
    const ImageBuffer& from = *preview;
    if (width < 1 || height < 1 || !from.pixels) return false;
    if (from.header.biWidth == width && from.header.biHeight == height) return true;
    const uint32_t bits = from.header.biBitCount;
    const uint32_t bytesPerPixel = bits / 8;
    CodecStatus status = kCodecOk;
    uint8_t* block = AllocPixelBlock(static_cast<uint32_t>(width), static_cast<uint32_t>(height), bits, &status);
    if (!block) return false;
    const uint32_t toStride = ImageStride(static_cast<uint32_t>(width), bits);
    const uint32_t fromStride = ImageStride(&from);
    // a row wider than the target keeps its left part; a narrower one ends at the right edge
    const uint32_t copied = static_cast<uint32_t>(std::min<int32_t>(from.header.biWidth, width)) * bytesPerPixel;
    const uint32_t offset = static_cast<uint32_t>(width) * bytesPerPixel - copied;
    const int32_t rows = std::min<int32_t>(from.header.biHeight, height);
    for (int32_t y = 0; y < rows; ++y) // bottom-up in both blocks
        std::memcpy(block + static_cast<size_t>(y) * toStride + offset,
                    from.pixels + static_cast<size_t>(y) * fromStride, copied);
    FreePixelBlock(preview->pixels);
    preview->pixels = block;
    preview->header.biWidth = width;
    preview->header.biHeight = height;
    return true;
}

bool PreviewValid(const SavePreview& preview, const SaveOptions& current) {
    return preview.imageShown && !preview.tempPath.empty() && preview.snapshot == current;
}

void DiscardPreview(SavePreview* preview) {
    if (!preview->tempPath.empty()) DeleteFilePath(preview->tempPath.c_str());
    preview->tempPath.clear();
    preview->imageShown = false;
}

bool EncodeToTemp(SavePreview* preview, const SaveSource& source, const SaveOptions& options,
                  const std::wstring& tempFolder, SaveFailure* failure) {
    DiscardPreview(preview);
    std::wstring temp;
    if (!CreateTempFile(tempFolder, &temp)) return Fail(failure, kMsgNoTempFile);
    if (!EncodeImageFile(temp.c_str(), source, options, failure)) {
        DeleteFilePath(temp.c_str());
        return false;
    }
    preview->tempPath = temp;
    preview->snapshot = options;
    return true;
}

bool PlaceSavedFile(const std::wstring& tempPath, const std::wstring& target, SaveFailure* failure) {
    // The new file is copied beside the target before the old one goes, and then renamed into
    // place: at every moment one complete version is on disk, at the path, beside it or in the
    // bin, even when the shell deletes instead of recycling.
    std::wstring folder = FolderOf(target);
    std::wstring beside;
    if (!CreateTempFile(folder.empty() ? std::wstring(L".") : folder, &beside)) return Fail(failure, kMsgCannotPlace);
    if (!CopyFilePath(tempPath.c_str(), beside.c_str())) {
        DeleteFilePath(beside.c_str());
        return Fail(failure, kMsgCannotPlace);
    }
    if (PathExists(target.c_str())) {
        RecycleFile(target.c_str());
        // A file the bin did not take (held open by another program) is left as it is: copying
        // over it could succeed and leave no old copy anywhere.
        if (PathExists(target.c_str())) {
            DeleteFilePath(beside.c_str());
            return Fail(failure, kCodecCannotWrite);
        }
    }
    // the copy beside the target is then the only version outside the bin: it stays
    if (!RenameFilePath(beside.c_str(), target.c_str())) return Fail(failure, kMsgCannotPlace);
    return true;
}

bool SaveImageToPath(SavePreview* preview, const SaveSource& source, const SaveOptions& options,
                     const std::wstring& target, const std::wstring& tempFolder, SaveFailure* failure, bool* encoded) {
    if (encoded) *encoded = false;
    // a temporary folder cleaner may have taken the preview's file: then encode afresh
    if (PreviewValid(*preview, options) && PathExists(preview->tempPath.c_str()))
        return PlaceSavedFile(preview->tempPath, target, failure);
    if (!EncodeToTemp(preview, source, options, tempFolder, failure)) return false;
    if (encoded) *encoded = true;
    bool placed = PlaceSavedFile(preview->tempPath, target, failure);
    // a failed placement keeps the encoded file, which may be the only copy of the new version
    if (placed) DiscardPreview(preview);
    return placed;
}

SaveOptions SaveOptionsFrom(const Settings& s, int32_t pendingRotation) {
    SaveOptions o;
    o.format = s.Format;
    o.bmpDepth = s.BmpDepth;
    o.pngDepth = s.PngDepth;
    o.tifDepth = s.TifDepth;
    o.gifDepth = s.GifDepth;
    o.pngGray = s.PngGray;
    o.jpgGray = s.JpgGray;
    o.tifGray = s.TifGray;
    o.jpegTGray = s.JpegTGray;
    o.dither = s.Dither;
    o.level = s.Level;
    o.filter = s.Filter;
    o.interlace = s.Interlace;
    o.writeGamma = s.SImgGamma;
    o.saveGamma = s.SaveGam;
    o.alphaColour = s.AlphaColor;
    o.quality = s.Quality;
    o.sampling = s.Sampling;
    o.progressive = s.Progressive;
    o.exifCopy = s.ExifCopy;
    o.jMarker = s.JMarker;
    o.jpgTrim = s.JpgTrim;
    o.jpgLimit = s.JpgLimit;
    o.jpgLimitValue = s.JpgLmtVal;
    o.losslessTurn = pendingRotation;
    o.load = LoadOptionsFrom(s);
    return o;
}

} // namespace qv
