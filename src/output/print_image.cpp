#include "output/print_image.h"

#include "model/image_colours.h"

namespace qv {

bool PreparePrintImage(const ImageBuffer& image, PrintImage* out) {
    if (!image.pixels || image.header.biWidth < 1 || image.header.biHeight < 1) return false;
    out->header = image.header;
    out->header.biBitCount = 24;
    out->header.biClrUsed = 0;
    out->header.biSizeImage = 0;
    if (image.header.biBitCount == 24) {
        out->pixels = image.pixels;
        return true;
    }
    if (image.header.biBitCount != 8) return false;
    out->converted = ConvertTo24Bit(image.palette, image.pixels, static_cast<uint32_t>(image.header.biWidth),
                                    static_cast<uint32_t>(image.header.biHeight));
    out->pixels = out->converted;
    return out->converted != nullptr;
}

} // namespace qv
