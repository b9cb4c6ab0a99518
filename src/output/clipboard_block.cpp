#include "output/clipboard_block.h"

#include <cstring>

#include "platform/checked_math.h"

namespace qv {

namespace {

constexpr uint32_t kHeaderBytes = 40;
constexpr uint32_t kPaletteBytes = 256 * 4;

} // namespace

ClipboardBitmap ClipboardBitmapOf(const ImageBuffer& image) {
    ClipboardBitmap b;
    b.width = image.header.biWidth;
    b.height = image.header.biHeight;
    b.bitCount = image.header.biBitCount;
    b.xPelsPerMeter = image.header.biXPelsPerMeter;
    b.yPelsPerMeter = image.header.biYPelsPerMeter;
    b.palette = image.palette;
    b.pixels = image.pixels;
    return b;
}

uint32_t ClipboardBlockSize(const ClipboardBitmap& b) {
    if (!b.pixels || b.width < 1 || b.height < 1 || (b.bitCount != 8 && b.bitCount != 24)) return 0;
    uint32_t stride = 0, pixelBytes = 0, total = 0;
    if (!DibStride(static_cast<uint32_t>(b.width), b.bitCount, &stride) ||
        !CheckedMul32(stride, static_cast<uint32_t>(b.height), &pixelBytes))
        return 0;
    uint32_t head = kHeaderBytes + (b.bitCount == 8 ? kPaletteBytes : 0);
    if (!CheckedAdd32(head, pixelBytes, &total)) return 0;
    return total;
}

bool WriteClipboardBlock(const ClipboardBitmap& b, uint8_t* block, uint32_t size) {
    uint32_t expected = ClipboardBlockSize(b);
    if (expected == 0 || size != expected || !block) return false;
    BITMAPINFOHEADER h{};
    h.biSize = kHeaderBytes;
    h.biWidth = b.width;
    h.biHeight = b.height;
    h.biPlanes = 1;
    h.biBitCount = b.bitCount;
    h.biCompression = 0;
    h.biSizeImage = 0;
    h.biXPelsPerMeter = b.xPelsPerMeter;
    h.biYPelsPerMeter = b.yPelsPerMeter;
    h.biClrUsed = 0; // with 8 bits a full table of 256 follows
    h.biClrImportant = 0;
    std::memcpy(block, &h, kHeaderBytes);
    uint32_t at = kHeaderBytes;
    if (b.bitCount == 8) {
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& c = b.palette[i];
            uint8_t* entry = block + at + i * 4;
            entry[0] = c.rgbBlue;
            entry[1] = c.rgbGreen;
            entry[2] = c.rgbRed;
            entry[3] = 0;
        }
        at += kPaletteBytes;
    }
    std::memcpy(block + at, b.pixels, size - at);
    return true;
}

} // namespace qv
