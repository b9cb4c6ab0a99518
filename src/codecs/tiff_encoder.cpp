#include "codecs/tiff_encoder.h"

#include <cstring>

#include "codecs/depth_converter.h"
#include "codecs/tiff_format.h"
#include "model/load_types.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {
namespace {

constexpr uint32_t kIfdAt = 8;
constexpr uint32_t kMaxHeaderBytes = 1710; // header, IFD, resolutions and a 256-entry colour map
constexpr uint32_t kResolutionUnitInch = 2;

struct TiffEncoder {
    CodecContext ctx;
    const ImageBuffer* source = nullptr;
    uint32_t sourceDepth = 0;
    TiffWriteOptions options;
    LONG xPelsPerMeter = 0;
    LONG yPelsPerMeter = 0;
    TiffLayout layout;
    RGBQUAD palette[256] = {}; // the colours of the written indices (palette depths)
};

class HeaderWriter {
public:
    explicit HeaderWriter(uint8_t* out) : out_(out) {}
    void Put16(uint16_t v) {
        WriteLE16(out_ + at_, v);
        at_ += 2;
    }
    void Put32(uint32_t v) {
        WriteLE32(out_ + at_, v);
        at_ += 4;
    }
    void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        Put16(tag);
        Put16(type);
        Put32(count);
        Put32(value); // a SHORT sits in the low half, which little-endian puts first
    }
    uint32_t at() const { return at_; }

private:
    uint8_t* out_;
    uint32_t at_ = 0;
};

// A resolution in pixels per metre as dots per inch: ppm x 254 / 10000, kept as a fraction.
void ResolutionFraction(LONG perMetre, uint32_t* numerator, uint32_t* denominator) {
    uint32_t ppm = perMetre > 0 ? static_cast<uint32_t>(perMetre) : 0;
    if (CheckedMul32(ppm, 254, numerator)) {
        *denominator = 10000;
    } else {
        *numerator = static_cast<uint32_t>((uint64_t{ppm} * 254 + 5000) / 10000);
        *denominator = 1;
    }
}

uint32_t BuildHeader(const TiffEncoder& e, uint32_t width, uint32_t height, uint8_t* out) {
    const TiffLayout& l = e.layout;
    bool rgb = l.photometric == kTiffPhotometricRgb;
    HeaderWriter w(out);
    w.Put16(0x4949); // "II"
    w.Put16(kTiffMagic);
    w.Put32(kIfdAt);
    w.Put16(l.entries);
    w.Entry(kTagImageWidth, kTiffLong, 1, width);
    w.Entry(kTagImageLength, kTiffLong, 1, height);
    if (rgb)
        w.Entry(kTagBitsPerSample, kTiffShort, 3, l.bitsAt);
    else
        w.Entry(kTagBitsPerSample, kTiffShort, 1, e.options.depth);
    w.Entry(kTagCompression, kTiffShort, 1, kTiffNoCompression);
    w.Entry(kTagPhotometric, kTiffShort, 1, l.photometric);
    w.Entry(kTagStripOffsets, kTiffLong, 1, l.dataAt);
    if (rgb) w.Entry(kTagSamplesPerPixel, kTiffShort, 1, 3);
    w.Entry(kTagRowsPerStrip, kTiffLong, 1, height);
    w.Entry(kTagStripByteCounts, kTiffLong, 1, l.dataBytes);
    w.Entry(kTagXResolution, kTiffRational, 1, l.xResolutionAt);
    w.Entry(kTagYResolution, kTiffRational, 1, l.yResolutionAt);
    w.Entry(kTagResolutionUnit, kTiffShort, 1, kResolutionUnitInch);
    if (l.colourMapAt) w.Entry(kTagColorMap, kTiffShort, l.colourMapValues, l.colourMapAt);
    w.Put32(0); // no further directory
    if (rgb) {
        w.Put16(8);
        w.Put16(8);
        w.Put16(8);
    }
    uint32_t numerator = 0, denominator = 1;
    ResolutionFraction(e.xPelsPerMeter, &numerator, &denominator);
    w.Put32(numerator);
    w.Put32(denominator);
    ResolutionFraction(e.yPelsPerMeter, &numerator, &denominator);
    w.Put32(numerator);
    w.Put32(denominator);
    if (l.colourMapAt) {
        uint32_t n = l.colourMapValues / 3;
        for (uint32_t i = 0; i < n; ++i)
            w.Put16(static_cast<uint16_t>(e.palette[i].rgbRed * 256));
        for (uint32_t i = 0; i < n; ++i)
            w.Put16(static_cast<uint16_t>(e.palette[i].rgbGreen * 256));
        for (uint32_t i = 0; i < n; ++i)
            w.Put16(static_cast<uint16_t>(e.palette[i].rgbBlue * 256));
    }
    return w.at();
}

// 24-bit data, R G B, top row first; an 8-bit image goes through its palette.
void WriteRgbData(const ImageBuffer& image, uint32_t width, uint32_t height, uint8_t* out) {
    for (uint32_t y = 0; y < height; ++y, out += size_t{width} * 3) {
        const uint8_t* row = ImageRowFromTop(&image, y);
        if (image.header.biBitCount == 24) {
            for (uint32_t x = 0; x < width; ++x) {
                out[3 * x] = row[3 * x + 2];
                out[3 * x + 1] = row[3 * x + 1];
                out[3 * x + 2] = row[3 * x];
            }
        } else {
            for (uint32_t x = 0; x < width; ++x) {
                const RGBQUAD& c = image.palette[row[x]];
                out[3 * x] = c.rgbRed;
                out[3 * x + 1] = c.rgbGreen;
                out[3 * x + 2] = c.rgbBlue;
            }
        }
    }
}

// Copies rows kept bottom-up with `stride` bytes into the file's top-down rows of `rowBytes`.
void WriteRowsTopDown(const uint8_t* rows, uint32_t stride, uint32_t rowBytes, uint32_t height, uint8_t* out) {
    for (uint32_t y = 0; y < height; ++y, out += rowBytes)
        std::memcpy(out, rows + size_t{height - 1 - y} * stride, rowBytes);
}

// A converter that ran out of memory says so; anything else is a conversion it cannot make.
bool ConversionFailed(TiffEncoder* e, const DepthConverter& converter) {
    return e->ctx.Fail(converter.status == kCodecOutOfMemory ? kCodecOutOfMemory : kCodecCannotConvert);
}

// Fills `data` with the file's pixel rows for the target depth, and e->palette for palette depths.
bool ConvertPixels(TiffEncoder* e, uint32_t width, uint32_t height, uint8_t* data) {
    const ImageBuffer& image = *e->source;
    const TiffLayout& l = e->layout;
    uint32_t depth = e->options.depth;
    if (depth == 24) {
        WriteRgbData(image, width, height, data);
        return true;
    }
    if (depth == 8 && !e->options.grey && image.header.biBitCount == 8) {
        // already 256 colours at most: the indices and palette go out as they are
        std::memcpy(e->palette, image.palette, sizeof e->palette);
        WriteRowsTopDown(image.pixels, ImageStride(&image), l.rowBytes, height, data);
        return true;
    }

    // 1 bit comes out black at 0 and white at 1, as photometric 1 wants; 4 and 8 bits with a
    // palette of their own; grey as one level byte per pixel
    DepthConverter converter;
    if (!ConfigureDepthConverter(&converter, static_cast<int32_t>(width), static_cast<int32_t>(height), e->sourceDepth,
                                 depth, e->options.dither))
        return e->ctx.Fail(kCodecCannotConvert);

    if (depth == 8 && e->options.grey) {
        uint32_t greyBytes = 0;
        if (!CheckedMul32(width, height, &greyBytes)) return e->ctx.Fail(kCodecCannotConvert);
        LargeBlock grey(static_cast<uint8_t*>(AllocLargeBlock(size_t{greyBytes} + 4)));
        if (!grey) return e->ctx.Fail(kCodecOutOfMemory);
        if (!ToGrey(converter, image.palette, image.pixels, grey.get())) return ConversionFailed(e, converter);
        WriteRowsTopDown(grey.get(), width, width, height, data);
        return true;
    }

    LargeBlock reduced(static_cast<uint8_t*>(AllocLargeBlock(size_t{converter.totalBytes} + 4)));
    if (!reduced) return e->ctx.Fail(kCodecOutOfMemory);
    if (!ConvertDepth(&converter, image.palette, image.pixels, e->palette, reduced.get()))
        return ConversionFailed(e, converter);
    WriteRowsTopDown(reduced.get(), converter.stride, l.rowBytes, height, data);
    return true;
}

bool Encode(TiffEncoder* e, const wchar_t* path) {
    const ImageBuffer& image = *e->source;
    if (!image.pixels || image.header.biWidth < 1 || image.header.biHeight < 1 ||
        (image.header.biBitCount != 8 && image.header.biBitCount != 24))
        return e->ctx.Fail(kCodecCannotConvert);
    uint32_t width = static_cast<uint32_t>(image.header.biWidth);
    uint32_t height = static_cast<uint32_t>(image.header.biHeight);
    if (!TiffLayoutFor(width, height, e->options.depth, e->options.grey, &e->layout))
        return e->ctx.Fail(kCodecCannotWrite);

    LargeBlock data(static_cast<uint8_t*>(AllocLargeBlock(size_t{e->layout.dataBytes} + 4)));
    if (!data) return e->ctx.Fail(kCodecOutOfMemory);
    if (!ConvertPixels(e, width, height, data.get())) return false;

    uint8_t header[kMaxHeaderBytes] = {};
    uint32_t headerBytes = BuildHeader(*e, width, height, header);

    OutputFile file;
    if (!file.Create(path)) return e->ctx.Fail(kCodecCannotWrite);
    bool written = file.Write(header, headerBytes) && file.Write(data.get(), e->layout.dataBytes);
    if (!file.Close() || !written) {
        DeleteFilePath(path); // leave no half-written file behind
        return e->ctx.Fail(kCodecCannotWrite);
    }
    return true;
}

} // namespace

bool TiffLayoutFor(uint32_t width, uint32_t height, uint32_t depth, bool grey, TiffLayout* layout) {
    TiffLayout l;
    uint64_t rowBytes = 0;
    switch (depth) {
    case 1:
        l = {kTiffPhotometricBlackIsZero, 11, 0, 146, 154, 0, 0, 162};
        rowBytes = (uint64_t{width} + 7) / 8;
        break;
    case 4:
        l = {kTiffPhotometricPalette, 12, 0, 158, 166, 174, 48, 270};
        rowBytes = (uint64_t{width} + 1) / 2;
        break;
    case 8:
        if (grey)
            l = {kTiffPhotometricBlackIsZero, 11, 0, 146, 154, 0, 0, 162};
        else
            l = {kTiffPhotometricPalette, 12, 0, 158, 166, 174, 768, 1710};
        rowBytes = width;
        break;
    case 24:
        l = {kTiffPhotometricRgb, 12, 158, 164, 172, 0, 0, 180};
        rowBytes = uint64_t{width} * 3;
        break;
    default: return false;
    }
    // the strip's offset and size, and so the whole file, must be expressible in 32 bits
    uint64_t dataBytes = rowBytes * height;
    if (rowBytes == 0 || dataBytes > UINT32_MAX - l.dataAt) return false;
    l.rowBytes = static_cast<uint32_t>(rowBytes);
    l.dataBytes = static_cast<uint32_t>(dataBytes);
    *layout = l;
    return true;
}

bool WriteTiffFile(const wchar_t* path, const ImageBuffer& image, const TiffWriteOptions& options,
                   CodecStatus* status) {
    TiffEncoder encoder;
    encoder.source = &image;
    encoder.ctx.image = const_cast<ImageBuffer*>(&image);
    encoder.sourceDepth = image.header.biBitCount;
    encoder.options = options;
    encoder.xPelsPerMeter = image.header.biXPelsPerMeter;
    encoder.yPelsPerMeter = image.header.biYPelsPerMeter;
    bool ok = Encode(&encoder, path);
    if (status) *status = ok ? kCodecOk : encoder.ctx.status;
    return ok;
}

} // namespace qv
