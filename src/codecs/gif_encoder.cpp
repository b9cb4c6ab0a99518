// GIF89a bytes for one index plane: screen, global table, optional transparency block, one image
// and its LZW data in sub-blocks.
#include <cstring>

#include "codecs/gif_codec.h"
#include "codecs/gif_lzw.h"

namespace qv {

namespace {
void PutLE16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}
void PutBytes(std::vector<uint8_t>* out, const void* bytes, size_t count) {
    const uint8_t* p = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < count; ++i)
        out->push_back(p[i]);
}
} // namespace

uint32_t NearestPaletteEntry(const RGBQUAD* palette, uint32_t used, uint32_t colour) {
    const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    uint32_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (uint32_t i = 0; i < used; ++i) {
        int dr = palette[i].rgbRed - r, dg = palette[i].rgbGreen - g, db = palette[i].rgbBlue - b;
        int64_t distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) { // strictly smaller: the first entry wins ties and exact matches
            bestDistance = distance;
            best = i;
            if (distance == 0) break;
        }
    }
    return best;
}

bool EncodeGif(const GifIndexPlane& plane, std::vector<uint8_t>* out) {
    const uint32_t w = plane.width, h = plane.height, depth = plane.depth;
    if (w == 0 || h == 0 || w > 65535 || h > 65535 || depth < 1 || depth > 8 || !plane.rows || !plane.palette)
        return false;
    const uint32_t entries = 1u << depth;
    const bool transparent = plane.transparentIndex >= 0 && static_cast<uint32_t>(plane.transparentIndex) < entries;
    out->clear();
    out->reserve(static_cast<size_t>(w) * h / 2 + 1024);

    static const char kSignature[] = "GIF89a";
    PutBytes(out, kSignature, 6);
    PutLE16(out, w);
    PutLE16(out, h);
    out->push_back(static_cast<uint8_t>(0x80 | ((depth - 1) << 4) | (depth - 1)));
    // the background is the transparent entry, so viewers that fill with it show the same thing
    out->push_back(transparent ? static_cast<uint8_t>(plane.transparentIndex) : 0);
    out->push_back(0);
    for (uint32_t i = 0; i < entries; ++i) {
        out->push_back(plane.palette[i].rgbRed);
        out->push_back(plane.palette[i].rgbGreen);
        out->push_back(plane.palette[i].rgbBlue);
    }
    if (transparent) {
        const uint8_t control[] = {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, static_cast<uint8_t>(plane.transparentIndex), 0};
        PutBytes(out, control, sizeof control);
    }
    out->push_back(0x2C);
    PutLE16(out, 0);
    PutLE16(out, 0);
    PutLE16(out, w);
    PutLE16(out, h);
    out->push_back(plane.interlace ? 0x40 : 0x00);

    // GIF has no 1-bit code size: two-colour images use 2
    const uint32_t minCodeSize = depth == 1 ? 2 : depth;
    out->push_back(static_cast<uint8_t>(minCodeSize));

    std::vector<uint8_t> codes;
    codes.reserve(static_cast<size_t>(w) * h / 2 + 16);
    GifLzwEncoder encoder;
    encoder.Begin(minCodeSize, &codes);
    auto row = [&](uint32_t y) { return plane.rows + static_cast<intptr_t>(y) * plane.stride; };
    if (plane.interlace) {
        static constexpr uint32_t kPassStart[4] = {0, 4, 2, 1};
        static constexpr uint32_t kPassStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (uint32_t y = kPassStart[pass]; y < h; y += kPassStep[pass])
                encoder.Add(row(y), w);
    } else {
        for (uint32_t y = 0; y < h; ++y)
            encoder.Add(row(y), w);
    }
    encoder.Finish();

    size_t at = out->size();
    out->resize(at + codes.size() + (codes.size() + 254) / 255 + 2);
    uint8_t* dst = out->data() + at;
    for (size_t done = 0; done < codes.size();) {
        size_t n = codes.size() - done < 255 ? codes.size() - done : 255;
        *dst++ = static_cast<uint8_t>(n);
        std::memcpy(dst, codes.data() + done, n);
        dst += n;
        done += n;
    }
    *dst++ = 0;    // block terminator
    *dst++ = 0x3B; // trailer
    out->resize(static_cast<size_t>(dst - out->data()));
    return true;
}

} // namespace qv
