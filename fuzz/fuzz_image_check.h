// Shared checks for the image decoder fuzz targets: a decoded image must obey the buffer rules
// (8 or 24 bits, positive size, a pixel block with 4 spare bytes, all of it readable), and a
// refusal must carry a status and leave no pixels behind. Any breach aborts, so libFuzzer keeps
// the input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/image_buffer.h"

namespace qvfuzz {

inline void CheckDecodeResult(bool ok, qv::CodecStatus status, qv::ImageBuffer* image) {
    if (!ok) {
        if (image->pixels || status == qv::kCodecOk) std::abort();
        return;
    }
    const BITMAPINFOHEADER& h = image->header;
    if (h.biWidth < 1 || h.biHeight < 1 || (h.biBitCount != 8 && h.biBitCount != 24) || !image->pixels) std::abort();
    size_t total = size_t{qv::ImageStride(image)} * static_cast<size_t>(h.biHeight) + 4;
    volatile uint8_t sink = 0;
    for (size_t i = 0; i < total; i += 61)
        sink = sink + image->pixels[i];
    sink = sink + image->pixels[total - 1];
    qv::FreeImagePixels(image);
}

} // namespace qvfuzz
