#include "codecs/bmp_codec.h"

#include <bit>
#include <cstring>

#include "codecs/decoders.h"
#include "codecs/depth_converter.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kOs2ShortHeaderBytes = 16; // OS/2 2.x header cut after the bit count

// Where a bitmap's parts lie inside the data.
struct DibSource {
    const uint8_t* data;
    uint32_t size;
    uint32_t headerAt; // 14 in a file, 0 in a clipboard block
    bool file;         // pixel offset from the file header; 1- and 4-bit data must be complete
};

// The information header as read, whatever its on-disk form.
struct DibHeader {
    uint32_t headerSize;
    int32_t width, height;
    uint32_t bitCount, compression, colorsUsed;
    int32_t xPelsPerMeter, yPelsPerMeter;
    uint32_t tableAt;    // first colour-table byte
    uint32_t entryBytes; // 4, or 3 for the old 12-byte header
};

// Header sizes whose colour table follows directly: the old core header, the information header
// and its longer versions (52, 56, 108, 124) and the OS/2 2.x forms (16 and 64 bytes). Other sizes
// keep the table at 40 bytes past the header's start.
bool KnownHeaderSize(uint32_t size) {
    return size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

bool ReadHeader(const DibSource& src, DibHeader* h, CodecStatus* status) {
    const uint8_t* p = src.data + src.headerAt;
    if (!RangeInside(src.headerAt, 4, src.size)) return (*status = kCodecCannotOpen, false);
    h->headerSize = ReadLE32(p);
    if (h->headerSize == kCoreHeaderBytes) {
        if (!RangeInside(src.headerAt, kCoreHeaderBytes, src.size)) return (*status = kCodecCannotOpen, false);
        h->width = ReadLE16(p + 4);
        h->height = ReadLE16(p + 6);
        h->bitCount = ReadLE16(p + 10);
        h->compression = BI_RGB;
        h->colorsUsed = 0;
        h->xPelsPerMeter = h->yPelsPerMeter = 0;
        h->entryBytes = 3;
        h->tableAt = src.headerAt + kCoreHeaderBytes;
        return true;
    }
    // The short OS/2 form leaves out every field after the bit count, which then read as zero; its
    // colour table starts where the later fields would be.
    const uint32_t present = h->headerSize == kOs2ShortHeaderBytes ? kOs2ShortHeaderBytes : kInfoHeaderBytes;
    if (!RangeInside(src.headerAt, present, src.size)) return (*status = kCodecCannotOpen, false);
    uint8_t fields[kInfoHeaderBytes] = {};
    std::memcpy(fields, p, present);
    p = fields;
    h->width = static_cast<int32_t>(ReadLE32(p + 4));
    h->height = static_cast<int32_t>(ReadLE32(p + 8));
    h->bitCount = ReadLE16(p + 14);
    h->compression = ReadLE32(p + 16);
    h->xPelsPerMeter = static_cast<int32_t>(ReadLE32(p + 24));
    h->yPelsPerMeter = static_cast<int32_t>(ReadLE32(p + 28));
    h->colorsUsed = ReadLE32(p + 32);
    h->entryBytes = 4;
    h->tableAt = src.headerAt + (KnownHeaderSize(h->headerSize) ? h->headerSize : kInfoHeaderBytes);
    return true;
}

struct ChannelMask {
    uint32_t mask, shift;
    uint64_t maximum; // 2^width - 1, at least 1
};

// A mask's field as shift and width. Fields are taken where the mask says, so that masks in any
// order (blue high, red low) read as well as the usual ones.
ChannelMask MakeChannel(uint32_t mask) {
    ChannelMask c{mask, mask ? static_cast<uint32_t>(std::countr_zero(mask)) : 0, 1};
    uint32_t width = static_cast<uint32_t>(std::bit_width(mask >> c.shift));
    if (width < 1) width = 1;
    c.maximum = (uint64_t{1} << width) - 1;
    return c;
}

inline uint8_t Channel(const ChannelMask& c, uint32_t value) {
    // 64 bits: a field wider than 24 bits times 255 does not fit in 32
    return static_cast<uint8_t>(uint64_t{(value & c.mask) >> c.shift} * 255 / c.maximum);
}

bool Refuse(CodecStatus* status, CodecStatus why, ImageBuffer* target) {
    FreeImagePixels(target);
    *status = why;
    return false;
}

bool DecodeDib(const DibSource& src, ImageBuffer* target, CodecStatus* status) {
    *status = kCodecOk;
    FreeImagePixels(target);
    std::memset(target->palette, 0, sizeof target->palette);

    DibHeader h{};
    if (!ReadHeader(src, &h, status)) return false;
    if (h.width < 1 || h.height < 1) return Refuse(status, kCodecNotSupported, target);
    const uint32_t width = static_cast<uint32_t>(h.width), height = static_cast<uint32_t>(h.height);
    const uint32_t bits = h.bitCount;

    // Compression and the masks of 16- and 32-bit data.
    ChannelMask red{}, green{}, blue{};
    bool masksAfterHeader = false;
    if (bits == 1 || bits == 4 || bits == 8 || bits == 24) {
        if (h.compression != BI_RGB) return Refuse(status, kCodecNotSupported, target);
    } else if (bits == 16 || bits == 32) {
        if (h.compression == BI_RGB) {
            red = MakeChannel(bits == 16 ? 0x7C00 : 0xFF0000);
            green = MakeChannel(bits == 16 ? 0x03E0 : 0x00FF00);
            blue = MakeChannel(bits == 16 ? 0x001F : 0x0000FF);
        } else if (h.compression == BI_BITFIELDS) {
            // the masks follow a 40-byte header and sit inside the longer ones: 40 bytes in either way
            const uint32_t masksAt = src.headerAt + kInfoHeaderBytes;
            if (!RangeInside(masksAt, 12, src.size)) return Refuse(status, kCodecCannotOpen, target);
            red = MakeChannel(ReadLE32(src.data + masksAt));
            green = MakeChannel(ReadLE32(src.data + masksAt + 4));
            blue = MakeChannel(ReadLE32(src.data + masksAt + 8));
            masksAfterHeader = h.headerSize == kInfoHeaderBytes;
        } else {
            return Refuse(status, kCodecNotSupported, target);
        }
    } else {
        return Refuse(status, kCodecNotSupported, target);
    }

    // Colour table: as many entries as the header declares (all 2^bits when it says 0); only the
    // entries a pixel can name are kept, so a longer table never overruns the palette.
    const bool indexed = bits <= 8;
    const uint64_t declared = indexed && h.colorsUsed == 0 ? (uint64_t{1} << bits) : h.colorsUsed;
    const uint64_t tableBytes = declared * h.entryBytes;
    const uint32_t kept = indexed ? static_cast<uint32_t>(declared < (1u << bits) ? declared : (1u << bits)) : 0;
    if (!RangeInside(h.tableAt, uint64_t{kept} * h.entryBytes, src.size))
        return Refuse(status, kCodecCannotOpen, target);

    uint64_t pixelAt = 0;
    if (src.file) {
        pixelAt = ReadLE32(src.data + 10);
    } else {
        pixelAt = h.tableAt + tableBytes + (masksAfterHeader ? 12 : 0);
    }
    if (pixelAt > src.size) return Refuse(status, kCodecCannotOpen, target);

    const uint64_t inputStride = ((uint64_t{width} * bits + 31) / 32) * 4;
    const uint64_t inputBytes = inputStride * height;
    const uint64_t available = src.size - pixelAt;
    // The data must hold every row the header declares (the last one may lack its padding), at
    // every depth and in clipboard blocks too, and that is checked before anything is allocated:
    // otherwise a few bytes could claim an image of gigabytes.
    const uint64_t lastRowBytes = (uint64_t{width} * bits + 7) / 8;
    const uint32_t outputBits = indexed ? 8 : 24;
    uint32_t outputStride = 0, outputBytes = 0;
    if (!DibStride(width, outputBits, &outputStride) || !CheckedMul32(outputStride, height, &outputBytes) ||
        outputBytes > UINT32_MAX - 4)
        return Refuse(status, kCodecNotSupported, target); // too large for any block, however much data
    if (inputStride * (height - 1) + lastRowBytes > available) return Refuse(status, kCodecCannotOpen, target);

    if (!PrepareImage(target, width, height, outputBits, status)) return Refuse(status, *status, target);
    for (uint32_t i = 0; i < kept; ++i) {
        const uint8_t* e = src.data + h.tableAt + i * h.entryBytes;
        target->palette[i] = RGBQUAD{e[0], e[1], e[2], 0};
    }

    const uint32_t outStride = ImageStride(width, outputBits);
    const uint8_t* pixels = src.data + pixelAt;
    for (uint32_t y = 0; y < height; ++y) {
        const uint64_t rowAt = uint64_t{y} * inputStride;
        if (rowAt >= available) break;
        const uint8_t* in = pixels + rowAt;
        const uint64_t rowBytes = available - rowAt < inputStride ? available - rowAt : inputStride;
        uint8_t* out = target->pixels + static_cast<size_t>(y) * outStride;
        // pixels whose bytes are all present in this row
        const uint32_t whole =
            static_cast<uint32_t>(bits < 8 ? (rowBytes * 8 / bits < width ? rowBytes * 8 / bits : width)
                                           : (rowBytes / (bits / 8) < width ? rowBytes / (bits / 8) : width));
        switch (bits) {
        case 1:
            for (uint32_t x = 0; x < whole; ++x)
                out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
            break;
        case 4:
            for (uint32_t x = 0; x < whole; ++x)
                out[x] = x & 1 ? in[x >> 1] & 15 : in[x >> 1] >> 4;
            break;
        case 8:
        case 24: std::memcpy(out, in, static_cast<size_t>(whole) * (bits / 8)); break;
        case 16:
            for (uint32_t x = 0; x < whole; ++x, out += 3) {
                uint32_t v = ReadLE16(in + x * 2);
                out[0] = Channel(blue, v);
                out[1] = Channel(green, v);
                out[2] = Channel(red, v);
            }
            break;
        case 32:
            for (uint32_t x = 0; x < whole; ++x, out += 3) {
                uint32_t v = ReadLE32(in + x * 4);
                out[0] = Channel(blue, v);
                out[1] = Channel(green, v);
                out[2] = Channel(red, v);
            }
            break;
        }
    }

    target->header.biXPelsPerMeter = h.xPelsPerMeter < 0 ? 0 : h.xPelsPerMeter;
    target->header.biYPelsPerMeter = h.yPelsPerMeter < 0 ? 0 : h.yPelsPerMeter;
    target->sourceFormat = kFormatBmp;
    target->sourceBitDepth = bits;
    target->fileTime = FILETIME{};
    if (src.file) {
        target->fileSize = src.size;
    } else {
        const uint64_t sizeAsFile = inputBytes + (indexed ? tableBytes : 0) + 54;
        target->fileSize = sizeAsFile > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(sizeAsFile);
    }
    return true;
}

} // namespace

bool ReadBmpMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, LoadInfo* info, CodecStatus* status) {
    if (info) *info = LoadInfo{};
    // the old 12-byte header makes files shorter than 54 bytes possible; ReadHeader checks the rest
    if (size < kFileHeaderBytes + kCoreHeaderBytes) {
        FreeImagePixels(target);
        *status = kCodecCannotOpen;
        return false;
    }
    return DecodeDib(DibSource{data, size, kFileHeaderBytes, true}, target, status);
}

bool ReadDibMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, CodecStatus* status) {
    return DecodeDib(DibSource{data, size, 0, false}, target, status);
}

bool ReadBmpFile(const wchar_t* path, ImageBuffer* target, LoadInfo* info, CodecStatus* status) {
    MappedFile file;
    if (!MapWholeFile(path, MapMode::ReadOnly, &file)) {
        if (info) *info = LoadInfo{};
        FreeImagePixels(target);
        *status = kCodecCannotOpen;
        return false;
    }
    if (!ReadBmpMemory(file.view, file.size, target, info, status)) return false;
    target->fileTime = file.lastWrite;
    return true;
}

bool WriteBmpFile(const wchar_t* path, const ImageBuffer& image, uint32_t depth, bool dither, CodecStatus* status) {
    *status = kCodecOk;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return (*status = kCodecCannotConvert, false);
    const uint32_t width = static_cast<uint32_t>(image.header.biWidth);
    const uint32_t height = static_cast<uint32_t>(image.header.biHeight);
    const uint32_t sourceBits = image.header.biBitCount;
    if (image.header.biWidth < 1 || image.header.biHeight < 1 || !image.pixels || (sourceBits != 8 && sourceBits != 24))
        return (*status = kCodecCannotConvert, false);

    uint32_t stride = 0, pixelBytes = 0;
    if (!DibStride(width, depth, &stride) || !CheckedMul32(stride, height, &pixelBytes) ||
        pixelBytes > UINT32_MAX - 54 - 1024)
        return (*status = kCodecOutOfMemory, false);
    const uint32_t colours = depth == 24 ? 0 : 1u << depth;

    // Same depth: header, palette and block go out unchanged; otherwise through the converter.
    const RGBQUAD* palette = image.palette;
    const uint8_t* pixels = image.pixels;
    RGBQUAD converted[256] = {};
    LargeBlock block;
    if (sourceBits != depth) {
        DepthConverter converter;
        if (!ConfigureDepthConverter(&converter, image.header.biWidth, image.header.biHeight, sourceBits, depth,
                                     dither))
            return (*status = kCodecOutOfMemory, false);
        block.reset(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(converter.totalBytes) + 4)));
        if (!block) return (*status = kCodecOutOfMemory, false);
        if (!ConvertDepth(&converter, image.palette, image.pixels, converted, block.get())) {
            *status = converter.status == kCodecOutOfMemory ? kCodecOutOfMemory : kCodecCannotConvert;
            return false;
        }
        palette = converted;
        pixels = block.get();
    }

    uint8_t head[54] = {};
    head[0] = 'B';
    head[1] = 'M';
    WriteLE32(head + 2, pixelBytes + 4 * colours + 54);
    WriteLE32(head + 10, 54 + 4 * colours);
    WriteLE32(head + 14, kInfoHeaderBytes);
    WriteLE32(head + 18, width);
    WriteLE32(head + 22, height);
    WriteLE16(head + 26, 1);
    WriteLE16(head + 28, static_cast<uint16_t>(depth));
    WriteLE32(head + 38, static_cast<uint32_t>(image.header.biXPelsPerMeter));
    WriteLE32(head + 42, static_cast<uint32_t>(image.header.biYPelsPerMeter));
    WriteLE32(head + 46, colours);

    uint8_t table[1024];
    for (uint32_t i = 0; i < colours; ++i) {
        table[i * 4] = palette[i].rgbBlue;
        table[i * 4 + 1] = palette[i].rgbGreen;
        table[i * 4 + 2] = palette[i].rgbRed;
        table[i * 4 + 3] = 0;
    }

    OutputFile file;
    if (!file.Create(path)) return (*status = kCodecCannotWrite, false);
    // every write is checked, and the close too, so a full disk never reads as a saved file
    bool ok = file.Write(head, sizeof head) && file.Write(table, 4 * colours) && file.Write(pixels, pixelBytes);
    ok = file.Close() && ok;
    if (!ok) return (*status = kCodecCannotWrite, false);
    return true;
}

} // namespace qv
