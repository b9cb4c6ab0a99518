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

SourceFormat ClassifyExtension(const wchar_t* path) {
    if (path == nullptr) return kFormatNone;
    const wchar_t* dot = std::wcsrchr(path, L'.');
    if (dot == nullptr) return kFormatNone;
    wchar_t ext[8] = {};
    size_t n = 0;
    for (const wchar_t* p = dot + 1; *p != 0; ++p) {
        if (n == 7) return kFormatNone;
        wchar_t c = *p;
        ext[n++] = (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    struct Row {
        const wchar_t* ext;
        SourceFormat format;
    };
    static const Row kRows[] = {{L"jpg", kFormatJpeg}, {L"jpe", kFormatJpeg}, {L"jpeg", kFormatJpeg},
                                {L"png", kFormatPng},  {L"gif", kFormatGif},  {L"bmp", kFormatBmp},
                                {L"tif", kFormatTiff}, {L"tiff", kFormatTiff}};
    for (const Row& row : kRows)
        if (std::wcscmp(ext, row.ext) == 0) return row.format;
    return kFormatNone;
}

} // namespace qv
