#include "tools/margins_kernel.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "tools/tool_result.h"

namespace qv {

namespace {

void FillPixels(uint8_t* out, int64_t count, const uint8_t bgr[3]) {
    for (int64_t i = 0; i < count; ++i, out += 3)
        out[0] = bgr[0], out[1] = bgr[1], out[2] = bgr[2];
}

MarginsParams NonNegative(MarginsParams m) {
    m.top = std::max(m.top, 0), m.bottom = std::max(m.bottom, 0);
    m.left = std::max(m.left, 0), m.right = std::max(m.right, 0);
    return m;
}

} // namespace

int32_t MarginFromField(int64_t typed) {
    return static_cast<int32_t>(std::clamp<int64_t>(typed, 0, INT32_MAX));
}

int32_t MarginDrag(int32_t valueAtPress, int32_t dxPixels) {
    return MarginFromField(static_cast<int64_t>(valueAtPress) + static_cast<int64_t>(kMarginDragStep) * dxPixels);
}

bool MarginsNeutral(const MarginsParams& m) {
    const MarginsParams n = NonNegative(m);
    return n.top == 0 && n.bottom == 0 && n.left == 0 && n.right == 0;
}

bool MarginsSize(int32_t width, int32_t height, const MarginsParams& m, int32_t* newWidth, int32_t* newHeight) {
    const MarginsParams n = NonNegative(m);
    const int64_t w = static_cast<int64_t>(n.left) + width + n.right;
    const int64_t h = static_cast<int64_t>(n.top) + height + n.bottom;
    if (w > INT32_MAX || h > INT32_MAX) return false;
    // the 24-bit block with its 4 spare bytes must stay below 2^32 bytes
    if (static_cast<uint64_t>(ImageStride(static_cast<uint32_t>(w), 24)) * static_cast<uint64_t>(h) + 4 > UINT32_MAX)
        return false;
    *newWidth = static_cast<int32_t>(w);
    *newHeight = static_cast<int32_t>(h);
    return true;
}

uint8_t* AddMargins(const ImageBuffer& image, const MarginsParams& margins, int32_t* newWidth, int32_t* newHeight) {
    const MarginsParams m = NonNegative(margins);
    const int32_t w = image.header.biWidth, h = image.header.biHeight;
    int32_t nw = 0, nh = 0;
    if (image.pixels == nullptr || !MarginsSize(w, h, m, &nw, &nh)) return nullptr;
    LargeBlock expanded;
    const uint8_t* source = PixelsAs24Bit(image, &expanded);
    if (source == nullptr) return nullptr;
    CodecStatus status = kCodecOk;
    uint8_t* target = AllocPixelBlock(static_cast<uint32_t>(nw), static_cast<uint32_t>(nh), 24, &status);
    if (target == nullptr) return nullptr;
    const uint8_t bgr[3] = {static_cast<uint8_t>(m.colour >> 16), static_cast<uint8_t>(m.colour >> 8),
                            static_cast<uint8_t>(m.colour)};
    const size_t stride = ImageStride(static_cast<uint32_t>(w), 24),
                 newStride = ImageStride(static_cast<uint32_t>(nw), 24);
    // bottom-up: the bottom margin's rows come first in the block, the top margin's last
    for (int32_t y = 0; y < nh; ++y) {
        uint8_t* out = target + static_cast<size_t>(y) * newStride;
        const int32_t sy = y - m.bottom;
        if (sy < 0 || sy >= h) {
            FillPixels(out, nw, bgr);
            continue;
        }
        FillPixels(out, m.left, bgr);
        std::memcpy(out + static_cast<size_t>(m.left) * 3, source + static_cast<size_t>(sy) * stride,
                    static_cast<size_t>(w) * 3);
        FillPixels(out + (static_cast<size_t>(m.left) + w) * 3, m.right, bgr);
    }
    *newWidth = nw;
    *newHeight = nh;
    return target;
}

} // namespace qv
