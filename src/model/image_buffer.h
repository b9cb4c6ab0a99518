// ImageBuffer: every decoded picture. Its head is laid out as a BITMAPINFO with a 256-entry colour
// table, so header, palette and pixels go unchanged to StretchDIBits and to the clipboard.
// After loading an image is 8 bits per pixel with a palette, or 24 bits blue-green-red; rows are
// bottom-up and padded to 4 bytes, and the pixel block has 4 spare bytes after the last row.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/codec_status.h"
#include "platform/win32_types.h"

namespace qv {

// Where an image's bytes came from; the same numbers are the result of format detection.
enum SourceFormat : uint32_t {
    kFormatNone = 0, // plug-in image, or built in memory
    kFormatBmp = 1,  // also every tool result and every pasted image
    kFormatPng = 2,
    kFormatJpeg = 3,
    kFormatTiff = 4,
    kFormatGif = 5,
    kFormatUnreadable = 6, // detection only: fewer than 8 bytes, or the file cannot be opened
};

constexpr int kMaxAnimationFrames = 256;

// Frames of an animated GIF. Frame 0 is the ImageBuffer's own block and palette; every other
// frame block holds a full logical-screen 8-bit plane with its palette stored after the pixels.
struct AnimationFrames {
    int32_t frameCount = 0;
    uint32_t loopCount = 0;
    uint32_t delays[kMaxAnimationFrames] = {};   // hundredths of a second, as the file gave them
    RGBQUAD* palettes[kMaxAnimationFrames] = {}; // 256 entries each
    uint8_t* frames[kMaxAnimationFrames] = {};
    int32_t shownFrame = 0; // the frame whose block `pixels` points at
};

struct ImageBuffer {
    BITMAPINFOHEADER header;
    RGBQUAD palette[256];
    uint32_t sourceFormat;
    uint8_t* pixels;
    uint32_t fileSize;
    uint32_t sourceBitDepth;
    FILETIME fileTime;
    AnimationFrames* animation; // set for animated GIFs only; owns every frame block
};

static_assert(offsetof(ImageBuffer, header) == 0);
static_assert(offsetof(ImageBuffer, palette) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(ImageBuffer, sourceFormat) == sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));

inline const BITMAPINFO* AsBitmapInfo(const ImageBuffer* image) {
    return reinterpret_cast<const BITMAPINFO*>(image);
}

// Bytes per row for the two in-memory forms (8 or 24 bits), padded to 4.
inline uint32_t ImageStride(uint32_t width, uint32_t bitCount) {
    return bitCount == 8 ? (width + 3) & ~3u : (width * 3 + 3) & ~3u;
}
inline uint32_t ImageStride(const ImageBuffer* image) {
    return ImageStride(static_cast<uint32_t>(image->header.biWidth), image->header.biBitCount);
}
// Pointer to row y counted from the top of the picture (the block is stored bottom-up).
inline uint8_t* ImageRowFromTop(const ImageBuffer* image, uint32_t y) {
    uint32_t height = static_cast<uint32_t>(image->header.biHeight);
    return image->pixels + static_cast<size_t>(height - 1 - y) * ImageStride(image);
}

// A zero-filled record from the private heap; null on failure (status 50001).
ImageBuffer* AllocImageRecord();
// Frees the pixels (and animation frames) and the record itself.
void FreeImageRecord(ImageBuffer* image);
// Frees the pixel block, or every animation frame block, and clears the pointers.
void FreeImagePixels(ImageBuffer* image);

// A zero-filled pixel block of stride x height + 4 bytes. Fails with 50002 when the size does not
// fit in 32 bits (before anything is allocated) and 50001 when allocation fails.
uint8_t* AllocPixelBlock(uint32_t width, uint32_t height, uint32_t bitCount, CodecStatus* status);
void FreePixelBlock(uint8_t* block);

// Prepares `image` for a decoded picture: the header rules (biSize 40, one plane, BI_RGB,
// positive height), palette cleared, a fresh pixel block. Any previous pixels are freed first.
bool PrepareImage(ImageBuffer* image, uint32_t width, uint32_t height, uint32_t bitCount, CodecStatus* status);

} // namespace qv
