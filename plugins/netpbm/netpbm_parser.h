// The Netpbm formats: PBM, PGM and PPM in their plain (text) and raw forms, and PAM. Decodes the
// first image of a file into a bottom-up device-independent bitmap: PBM to 1 bit with a white and
// a black entry, grey images to 8 bits with a grey ramp, colour images to 24 bits. Samples with a
// maximum above 255 are reduced to 8 bits; PAM transparency is laid over white. Portable: the
// plug-in library (netpbm_plugin_win.cpp) only reads the file and hands the blocks over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qv {

enum class NetpbmKind { Bitmap, Graymap, Pixmap, ArbitraryMap };

struct NetpbmHeader {
    NetpbmKind kind = NetpbmKind::Bitmap;
    bool plain = false; // samples written as decimal text
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;      // samples per pixel
    uint32_t maxval = 1;     // largest sample value
    bool alpha = false;      // PAM: the last sample is opacity
    size_t rasterOffset = 0; // where the samples start
};

// The image as a DIB: `bits` holds bottom-up rows padded to 4 bytes.
struct NetpbmImage {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitCount = 0;        // 1, 8 or 24
    uint16_t sourceDepth = 0;     // bits per pixel in the file (16-bit samples count 16)
    std::vector<uint8_t> palette; // blue, green, red, 0 per entry; empty for 24 bits
    std::vector<uint8_t> bits;
};

// True when the first bytes start a Netpbm file ("P1" to "P6" and white space, "P7" and a line
// end). Reads at most `size` bytes.
bool LooksLikeNetpbm(const uint8_t* data, size_t size);

// Parses the header; false for anything that is not a sound header of one of the formats.
bool ReadNetpbmHeader(const uint8_t* data, size_t size, NetpbmHeader* header);

// Decodes the first image. False for a damaged header, a raster that ends early, or an image
// whose bitmap would not fit in 32 bits. Nothing is allocated before the header and the length of
// the data have been checked against the image size.
bool DecodeNetpbm(const uint8_t* data, size_t size, NetpbmImage* image);

} // namespace qv
