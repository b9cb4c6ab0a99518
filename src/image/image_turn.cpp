#include "image/image_turn.h"

#include <algorithm>
#include <cstring>

namespace qv {

namespace {

// Quarter turns read the source down its columns. Going through the picture in square tiles,
// each tile's source rows are first copied into a small local block; the tile's target rows are
// then written from that block, so only a few rows of the large blocks are touched at a time and
// the walk down the columns stays inside the first-level cache (and its page table entries).
constexpr uint32_t kTile = 64;

template <uint32_t Bytes> inline void CopyPixel(uint8_t* out, const uint8_t* in) {
    for (uint32_t b = 0; b < Bytes; ++b)
        out[b] = in[b];
}

// In storage terms (rows counted from the bottom), with the source `width` x `height`:
// clockwise, target pixel (c, r) = source (width - 1 - r, c); counter-clockwise, source (r, height - 1 - c).
template <uint32_t Bytes>
void QuarterTurn(const uint8_t* src, uint32_t width, uint32_t height, bool clockwise, uint8_t* dst) {
    const size_t srcStride = ImageStride(width, Bytes * 8), dstStride = ImageStride(height, Bytes * 8);
    uint8_t local[kTile][kTile * Bytes + 4]; // +4: a pixel may be read as one 4-byte word
    for (uint32_t r0 = 0; r0 < width; r0 += kTile) {
        const uint32_t r1 = std::min(r0 + kTile, width);
        // the tile's target rows come from these source columns, in one run per source row
        const uint32_t firstColumn = clockwise ? width - r1 : r0;
        for (uint32_t c0 = 0; c0 < height; c0 += kTile) {
            const uint32_t c1 = std::min(c0 + kTile, height);
            for (uint32_t c = c0; c < c1; ++c) {
                const uint32_t sr = clockwise ? c : height - 1 - c;
                std::memcpy(local[c - c0], src + sr * srcStride + static_cast<size_t>(firstColumn) * Bytes,
                            static_cast<size_t>(r1 - r0) * Bytes);
            }
            // a 3-byte pixel goes out as a 4-byte word whose last byte the next pixel overwrites;
            // the row's last pixel is copied byte by byte so nothing lands past it
            uint32_t wordEnd = c0; // 8-bit pixels go one by one
            if (Bytes == 3) wordEnd = c1 == height ? c1 - 1 : c1;
            for (uint32_t r = r0; r < r1; ++r) {
                const size_t at = static_cast<size_t>(clockwise ? width - 1 - r - firstColumn : r - r0) * Bytes;
                uint8_t* out = dst + r * dstStride + static_cast<size_t>(c0) * Bytes;
                uint32_t c = c0;
                for (; c < wordEnd; ++c, out += Bytes) {
                    uint32_t word;
                    std::memcpy(&word, &local[c - c0][at], 4);
                    std::memcpy(out, &word, 4);
                }
                for (; c < c1; ++c, out += Bytes)
                    CopyPixel<Bytes>(out, &local[c - c0][at]);
            }
        }
    }
}

// Row by row: each target row is one source row, its pixel order reversed when `reverse` is set
// (180 degrees and the mirror) and the row order reversed when `upsideDown` is (180 and the flip).
template <uint32_t Bytes>
void RowTurn(const uint8_t* src, uint32_t width, uint32_t height, bool reverse, bool upsideDown, uint8_t* dst) {
    const size_t stride = ImageStride(width, Bytes * 8);
    for (uint32_t r = 0; r < height; ++r) {
        const uint8_t* in = src + (upsideDown ? height - 1 - r : r) * stride;
        uint8_t* out = dst + r * stride;
        if (!reverse) {
            std::memcpy(out, in, static_cast<size_t>(width) * Bytes);
            continue;
        }
        in += static_cast<size_t>(width - 1) * Bytes;
        for (uint32_t x = 0; x < width; ++x, in -= Bytes, out += Bytes)
            CopyPixel<Bytes>(out, in);
    }
}

template <uint32_t Bytes> void TurnPixelsAt(const uint8_t* src, uint32_t w, uint32_t h, int32_t code, uint8_t* dst) {
    switch (code) {
    case kTurn90: QuarterTurn<Bytes>(src, w, h, true, dst); break;
    case kTurn270: QuarterTurn<Bytes>(src, w, h, false, dst); break;
    case kTurn180: RowTurn<Bytes>(src, w, h, true, true, dst); break;
    case kTurnMirror: RowTurn<Bytes>(src, w, h, true, false, dst); break;
    case kTurnFlip: RowTurn<Bytes>(src, w, h, false, true, dst); break;
    default: break;
    }
}

} // namespace

void TurnPixels(const uint8_t* source, uint32_t width, uint32_t height, uint32_t bytesPerPixel, int32_t code,
                uint8_t* target) {
    if (bytesPerPixel == 1)
        TurnPixelsAt<1>(source, width, height, code, target);
    else
        TurnPixelsAt<3>(source, width, height, code, target);
}

bool TurnImage(const ImageBuffer& source, int32_t code, ImageBuffer* target, CodecStatus* status) {
    uint32_t bits = source.header.biBitCount;
    if (!source.pixels || (bits != 8 && bits != 24) || code < kTurn90 || code > kTurnFlip || &source == target) {
        *status = kCodecCannotConvert;
        return false;
    }
    uint32_t w = static_cast<uint32_t>(source.header.biWidth), h = static_cast<uint32_t>(source.header.biHeight);
    bool swap = code == kTurn90 || code == kTurn270;
    if (!PrepareImage(target, swap ? h : w, swap ? w : h, bits, status)) return false;
    std::memcpy(target->palette, source.palette, sizeof target->palette);
    target->header.biXPelsPerMeter = swap ? source.header.biYPelsPerMeter : source.header.biXPelsPerMeter;
    target->header.biYPelsPerMeter = swap ? source.header.biXPelsPerMeter : source.header.biYPelsPerMeter;
    target->sourceFormat = source.sourceFormat;
    target->fileSize = source.fileSize;
    target->sourceBitDepth = source.sourceBitDepth;
    target->fileTime = source.fileTime;
    TurnPixels(source.pixels, w, h, bits / 8, code, target->pixels);
    return true;
}

int32_t ComposeRotation(int32_t pending, int32_t operation) {
    // rows: the pending code 0-5; columns: 90 cw, 180, 90 ccw, mirror, flip
    static const int8_t kCompose[6][5] = {
        {1, 2, 3, 4, 5}, {2, 3, 0, -1, -1}, {3, 0, 1, 5, 4}, {0, 1, 2, -1, -1}, {-1, 5, -1, 0, 2}, {-1, 4, -1, 2, 0},
    };
    if (pending < kTurnNone || pending > kTurnFlip || operation < kTurn90 || operation > kTurnFlip) return -1;
    return kCompose[pending][operation - 1];
}

int32_t TurnForOrientation(int32_t orientation) {
    if (orientation == 1) return kTurnNone;
    if (orientation == 6) return kTurn90;
    if (orientation == 8) return kTurn270;
    return kTurn180;
}

int32_t AutoRotate(const ImageBuffer& current, int32_t orientation, bool autoRotate, ImageBuffer* result) {
    int32_t code = autoRotate ? TurnForOrientation(orientation) : kTurnNone;
    if (code == kTurnNone) return kTurnNone;
    CodecStatus status = kCodecOk;
    return TurnImage(current, code, result, &status) ? code : kTurnNone;
}

} // namespace qv
