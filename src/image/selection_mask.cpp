#include "image/selection_mask.h"

#include "model/blend_table.h"
#include "model/grey_weights.h"
#include "model/image_colours.h"
#include "platform/checked_math.h"

namespace qv {

bool SelectionMaskBytes(int32_t width, int32_t height, uint32_t* bytes) {
    uint32_t n = 0;
    if (width <= 0 || height <= 0 || !CheckedMul32(static_cast<uint32_t>(width), static_cast<uint32_t>(height), &n))
        return false;
    return CheckedAdd32(n, 4, bytes);
}

void DropSelectionMask(SelectionMask* mask) {
    mask->bytes.reset();
    mask->display.reset();
    mask->width = mask->height = 0;
}

bool SetSelectionMask(SelectionMask* mask, LargeBlock bytes, const ImageBuffer& image) {
    DropSelectionMask(mask);
    if (!bytes || !image.pixels) return false;
    mask->bytes = std::move(bytes);
    mask->width = image.header.biWidth;
    mask->height = image.header.biHeight;
    return RedrawMaskDisplay(mask, image);
}

bool RedrawMaskDisplay(SelectionMask* mask, const ImageBuffer& image) {
    if (!HasSelectionMask(*mask)) return true;
    if (!image.pixels || image.header.biWidth != mask->width || image.header.biHeight != mask->height) {
        DropSelectionMask(mask);
        return false;
    }
    uint32_t w = static_cast<uint32_t>(mask->width), h = static_cast<uint32_t>(mask->height);
    CodecStatus status = kCodecOk;
    LargeBlock display(AllocPixelBlock(w, h, 24, &status));
    // an 8-bit image is dimmed through its palette: the copy is always 24-bit
    LargeBlock expanded;
    const uint8_t* source = image.pixels;
    if (display && image.header.biBitCount == 8) {
        expanded.reset(ConvertTo24Bit(image.palette, image.pixels, w, h));
        source = expanded.get();
    }
    if (!display || !source) {
        DropSelectionMask(mask);
        return false;
    }
    BuildMaskDisplay(source, mask->bytes.get(), mask->width, mask->height, display.get());
    mask->display = std::move(display);
    return true;
}

void BuildMaskDisplay(const uint8_t* pixels, const uint8_t* mask, int32_t width, int32_t height, uint8_t* display) {
    const BlendTable& t = GetBlendTable();
    const GreyWeights& w = GetGreyWeights();
    uint32_t stride = ImageStride(static_cast<uint32_t>(width), 24);
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* m = mask + static_cast<size_t>(y) * static_cast<uint32_t>(width);
        const uint8_t* s = pixels + static_cast<size_t>(y) * stride;
        uint8_t* d = display + static_cast<size_t>(y) * stride;
        for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
            uint8_t a = m[x];
            if (a == 0) {
                d[0] = s[0], d[1] = s[1], d[2] = s[2];
                continue;
            }
            uint8_t dim = static_cast<uint8_t>(64 + (GreyOf(w, s[0], s[1], s[2]) >> 1));
            for (int c = 0; c < 3; ++c)
                d[c] = a == 255 ? dim : static_cast<uint8_t>(t.t[255 - a][s[c]] + t.t[a][dim]);
        }
    }
}

BITMAPINFOHEADER MaskDisplayHeader(const ImageBuffer& image) {
    BITMAPINFOHEADER h = image.header;
    h.biBitCount = 24;
    h.biClrUsed = h.biClrImportant = 0;
    return h;
}

} // namespace qv
