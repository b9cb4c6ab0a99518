#include "image/format_detect.h"

#include <cstring>
#include <cwchar>

#include "platform/platform.h"

namespace qv {

SourceFormat DetectFormatFromMemory(const uint8_t* b, size_t length) {
    if (b == nullptr || length < 8) return kFormatUnreadable;
    static const uint8_t kPng[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
    if (b[0] == 0x42 && b[1] == 0x4D) return kFormatBmp;
    if (std::memcmp(b, kPng, 8) == 0) return kFormatPng;
    if (b[0] == 0xFF && b[1] == 0xD8) return kFormatJpeg;
    if (b[0] == 0x49 && b[1] == 0x49 && b[2] == 0x2A) return kFormatTiff;
    if (b[0] == 0x4D && b[1] == 0x4D && b[3] == 0x2A) return kFormatTiff;
    if (b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46) return kFormatGif;
    return kFormatNone;
}

SourceFormat DetectFormatFromFile(const wchar_t* path) {
    // Only the first 8 bytes matter; a mapping would touch no more pages than that.
    MappedFile file;
    if (path == nullptr || !MapWholeFile(path, MapMode::ReadOnly, &file)) return kFormatUnreadable;
    return DetectFormatFromMemory(file.view, file.size);
}

} // namespace qv
