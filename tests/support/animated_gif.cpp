#include "animated_gif.h"

#include <algorithm>

#include "codecs/gif_lzw.h"

namespace qvtest {

namespace {

void U16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Byte(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>(v & 0xFF));
}

} // namespace

std::string SolidAnimatedGif(uint16_t width, uint16_t height, const std::vector<SolidFrame>& frames,
                             uint16_t loopCount) {
    uint32_t bits = 2; // LZW needs a minimum code size of 2 even for two colours
    while ((1u << bits) < frames.size())
        ++bits;
    std::string out = "GIF89a";
    U16(&out, width);
    U16(&out, height);
    Byte(&out, 0x80 | (bits - 1)); // global table of 2^bits entries
    Byte(&out, 0);                 // background index
    Byte(&out, 0);                 // aspect
    for (uint32_t i = 0; i < (1u << bits); ++i) {
        uint32_t c = i < frames.size() ? frames[i].colour : 0;
        Byte(&out, c);
        Byte(&out, c >> 8);
        Byte(&out, c >> 16);
    }
    const char netscape[] = "\x21\xFF\x0B"
                            "NETSCAPE2.0\x03\x01";
    out.append(netscape, sizeof netscape - 1);
    U16(&out, loopCount);
    Byte(&out, 0);

    std::vector<uint8_t> plane(static_cast<size_t>(width) * height);
    for (size_t k = 0; k < frames.size(); ++k) {
        const char control[] = "\x21\xF9\x04\x00"; // graphic control, no disposal, opaque
        out.append(control, 4);
        U16(&out, frames[k].delay);
        Byte(&out, 0);
        Byte(&out, 0);
        Byte(&out, 0x2C);
        U16(&out, 0);
        U16(&out, 0);
        U16(&out, width);
        U16(&out, height);
        Byte(&out, 0); // no local table, not interlaced
        std::fill(plane.begin(), plane.end(), static_cast<uint8_t>(k));
        std::vector<uint8_t> codes;
        qv::GifLzwEncoder encoder;
        encoder.Begin(bits, &codes);
        encoder.Add(plane.data(), plane.size());
        encoder.Finish();
        Byte(&out, bits);
        for (size_t i = 0; i < codes.size(); i += 255) {
            size_t n = std::min<size_t>(255, codes.size() - i);
            Byte(&out, static_cast<uint32_t>(n));
            out.append(reinterpret_cast<const char*>(codes.data() + i), n);
        }
        Byte(&out, 0);
    }
    Byte(&out, 0x3B);
    return out;
}

} // namespace qvtest
