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

namespace {
bool TryFallback(const wchar_t* name, const uint8_t* data, uint32_t size, bool fromFile, ImageBuffer* target,
                 LoadInfo* info, CodecStatus* status) {
    if (g_fallback == nullptr) return false;
    *info = LoadInfo{};
    if (!g_fallback(name, data, size, fromFile, target, info)) return false;
    *status = kCodecOk;
    return true;
}
} // namespace

bool DecodeMember(const wchar_t* name, const uint8_t* data, uint32_t size, const LoadOptions& options, bool wantFrames,
                  ImageBuffer* target, LoadInfo* info, CodecStatus* status) {
    SourceFormat format = DetectFormatFromMemory(data, size);
    bool ok = DecodeMemory(format, data, size, options, wantFrames, target, info, status);
    if (!ok) ok = TryFallback(name, data, size, false, target, info, status);
    if (ok) {
        target->fileSize = size;
        // a member has no file time of its own; the record must not keep the last file's
        target->fileTime = FILETIME{};
    }
    return ok;
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
    if (!ok) ok = TryFallback(path, file.view, file.size, true, target, info, status);
    if (ok) {
        target->fileTime = file.lastWrite;
        target->fileSize = file.size;
    }
    return ok;
}

} // namespace qv
