#include "image/image_turn.h"

#include <cstring>

namespace qv {

namespace {
template <int Bytes> void TurnPixels(const ImageBuffer& src, int32_t code, ImageBuffer* dst) {
    uint32_t w = static_cast<uint32_t>(src.header.biWidth), h = static_cast<uint32_t>(src.header.biHeight);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = ImageRowFromTop(&src, y);
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t tx, ty; // target position counted from the top
            if (code == kTurn90)
                tx = h - 1 - y, ty = x;
            else if (code == kTurn180)
                tx = w - 1 - x, ty = h - 1 - y;
            else
                tx = y, ty = w - 1 - x;
            uint8_t* out = ImageRowFromTop(dst, ty) + static_cast<size_t>(tx) * Bytes;
            std::memcpy(out, row + static_cast<size_t>(x) * Bytes, Bytes);
        }
    }
}
} // namespace

bool TurnImage(const ImageBuffer& source, int32_t code, ImageBuffer* target, CodecStatus* status) {
    uint32_t bits = source.header.biBitCount;
    if (!source.pixels || (bits != 8 && bits != 24) || code < kTurn90 || code > kTurn270 || &source == target) {
        *status = kCodecCannotConvert;
        return false;
    }
    uint32_t w = static_cast<uint32_t>(source.header.biWidth), h = static_cast<uint32_t>(source.header.biHeight);
    bool swap = code != kTurn180;
    if (!PrepareImage(target, swap ? h : w, swap ? w : h, bits, status)) return false;
    std::memcpy(target->palette, source.palette, sizeof target->palette);
    target->header.biXPelsPerMeter = swap ? source.header.biYPelsPerMeter : source.header.biXPelsPerMeter;
    target->header.biYPelsPerMeter = swap ? source.header.biXPelsPerMeter : source.header.biYPelsPerMeter;
    target->sourceFormat = source.sourceFormat;
    target->fileSize = source.fileSize;
    target->sourceBitDepth = source.sourceBitDepth;
    target->fileTime = source.fileTime;
    if (bits == 8)
        TurnPixels<1>(source, code, target);
    else
        TurnPixels<3>(source, code, target);
    return true;
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
