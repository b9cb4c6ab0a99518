#include "model/image_buffer.h"

#include <cstring>

#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

ImageBuffer* AllocImageRecord() {
    return static_cast<ImageBuffer*>(PrivateAlloc(sizeof(ImageBuffer)));
}

void FreeImagePixels(ImageBuffer* image) {
    if (!image) return;
    if (AnimationFrames* frames = image->animation) {
        for (int i = 0; i < kMaxAnimationFrames; ++i) {
            // frame 0 may be the image's own block; free each distinct block once
            if (frames->frames[i] && frames->frames[i] != image->pixels) FreePixelBlock(frames->frames[i]);
            frames->frames[i] = nullptr;
        }
        frames->~AnimationFrames();
        PrivateFree(frames);
        image->animation = nullptr;
    }
    FreePixelBlock(image->pixels);
    image->pixels = nullptr;
}

void FreeImageRecord(ImageBuffer* image) {
    if (!image) return;
    FreeImagePixels(image);
    PrivateFree(image);
}

uint8_t* AllocPixelBlock(uint32_t width, uint32_t height, uint32_t bitCount, CodecStatus* status) {
    uint32_t stride = 0, bytes = 0, total = 0;
    if (width == 0 || height == 0 || !DibStride(width, bitCount, &stride) || !CheckedMul32(stride, height, &bytes) ||
        !CheckedAdd32(bytes, 4, &total)) {
        if (status) *status = kCodecNotSupported;
        return nullptr;
    }
    uint8_t* block = static_cast<uint8_t*>(AllocLargeBlock(total));
    if (!block && status) *status = kCodecOutOfMemory;
    return block;
}

void FreePixelBlock(uint8_t* block) {
    FreeLargeBlock(block);
}

bool PrepareImage(ImageBuffer* image, uint32_t width, uint32_t height, uint32_t bitCount, CodecStatus* status) {
    FreeImagePixels(image);
    if (width > INT32_MAX || height > INT32_MAX) {
        if (status) *status = kCodecNotSupported;
        return false;
    }
    uint8_t* block = AllocPixelBlock(width, height, bitCount, status);
    if (!block) return false;
    std::memset(&image->header, 0, sizeof image->header);
    std::memset(image->palette, 0, sizeof image->palette);
    image->header.biSize = 40;
    image->header.biWidth = static_cast<LONG>(width);
    image->header.biHeight = static_cast<LONG>(height);
    image->header.biPlanes = 1;
    image->header.biBitCount = static_cast<WORD>(bitCount);
    image->header.biCompression = BI_RGB;
    image->pixels = block;
    return true;
}

} // namespace qv
