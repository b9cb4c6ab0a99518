#include "image/load_pipeline.h"

#include "codecs/decoders.h"
#include "image/format_detect.h"
#include "platform/platform.h"

namespace qv {

namespace {
DecodeFallback g_fallback = nullptr;
}

void SetDecodeFallback(DecodeFallback fallback) {
    g_fallback = fallback;
}

bool DecodeMemory(SourceFormat format, const uint8_t* data, uint32_t size, const LoadOptions& options, bool wantFrames,
                  ImageBuffer* target, LoadInfo* info, CodecStatus* status) {
    *info = LoadInfo{};
    switch (format) {
    case kFormatPng: return ReadPngMemory(data, size, options, target, info, status);
    case kFormatJpeg: return ReadJpegMemory(data, size, target, info, status);
    case kFormatTiff: return ReadTiffMemory(data, size, target, info, status);
    case kFormatGif: return ReadGifMemory(data, size, options, wantFrames, target, info, status);
    case kFormatBmp: return ReadBmpMemory(data, size, target, info, status);
    default: *status = kCodecBadData; return false;
    }
}

bool DecodeFile(const wchar_t* path, const LoadOptions& options, bool wantFrames, ImageBuffer* target, LoadInfo* info,
                CodecStatus* status) {
    *info = LoadInfo{};
    MappedFile file;
    if (!MapWholeFile(path, MapMode::ReadOnly, &file)) {
        *status = kCodecCannotOpen;
        return false;
    }
    SourceFormat format = DetectFormatFromMemory(file.view, file.size);
    bool ok = DecodeMemory(format, file.view, file.size, options, wantFrames, target, info, status);
    if (!ok && g_fallback != nullptr) {
        *info = LoadInfo{};
        ok = g_fallback(path, file.view, file.size, target, info);
        if (ok) *status = kCodecOk;
    }
    if (ok) {
        target->fileTime = file.lastWrite;
        target->fileSize = file.size;
    }
    return ok;
}

} // namespace qv
