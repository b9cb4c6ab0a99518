#include "viewer/pixel_readout.h"

namespace qv {

bool ReadPixelColour(const ImageBuffer& image, int32_t x, int32_t y, PixelColour* colour) {
    const BITMAPINFOHEADER& h = image.header;
    if (!image.pixels || x < 0 || y < 0 || x >= h.biWidth || y >= h.biHeight) return false;
    if (h.biBitCount != 8 && h.biBitCount != 24) return false;
    const uint8_t* row = ImageRowFromTop(&image, static_cast<uint32_t>(y));
    if (h.biBitCount == 24) {
        const uint8_t* p = row + static_cast<size_t>(x) * 3;
        *colour = PixelColour{p[2], p[1], p[0]};
    } else {
        const RGBQUAD& q = image.palette[row[x]];
        *colour = PixelColour{q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    return true;
}

std::wstring PixelReadoutText(const PixelColour* c) {
    if (!c) return L"r:-  g:-  b:-";
    return L"r:" + std::to_wstring(c->red) + L"  g:" + std::to_wstring(c->green) + L"  b:" + std::to_wstring(c->blue);
}

bool PixelUnderPoint(const ImageBuffer& image, const ViewGeometry& g, ViewPoint client, PixelColour* colour) {
    if (!PointOnImage(g, client)) return false;
    ViewPoint p = PointToImage(g, client);
    return ReadPixelColour(image, p.x, p.y, colour);
}

} // namespace qv
