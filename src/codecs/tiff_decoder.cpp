// TIFF reader: the first image (IFD0) of an uncompressed file in either byte order, as bilevel,
// 4- or 8-bit grey, 1-, 4- or 8-bit palette, or 8- or 16-bit RGB. Only IFD0 is read, so chains of
// directories (and loops in them) are never followed. Every value is bounds-checked against the
// data before it is read; strip data is read in place, without gathering it into a second block.
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "codecs/decoders.h"
#include "codecs/tiff_format.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {
namespace {

struct TiffDecoder {
    CodecContext ctx;
    bool bigEndian = false;

    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t bitsPerSample = 1;
    uint32_t samples = 1; // the count of BitsPerSample
    uint32_t photometric = kTiffPhotometricNone;
    bool hasDescription = false;
    bool hasSamplesPerPixel = false;
    uint32_t samplesPerPixel = 1;
    uint32_t planar = 1;
    uint32_t fillOrder = 1;
    bool hasExtraSamples = false;
    bool hasNonIntegerSamples = false;
    bool tiled = false;

    // A strip array is read in place: where its first value lies, its type and its count.
    const uint8_t* stripOffsets = nullptr;
    const uint8_t* stripByteCounts = nullptr;
    uint16_t stripOffsetsType = 0;
    uint16_t stripByteCountsType = 0;
    uint32_t stripOffsetsCount = 0;
    uint32_t stripByteCountsCount = 0;

    const uint8_t* xResolutionEntry = nullptr;
    const uint8_t* yResolutionEntry = nullptr;
    uint32_t resolutionUnit = kTiffResolutionInch;
    const uint8_t* colourMapEntry = nullptr;

    uint16_t Read16(const uint8_t* p) const { return bigEndian ? ReadBE16(p) : ReadLE16(p); }
    uint32_t Read32(const uint8_t* p) const { return bigEndian ? ReadBE32(p) : ReadLE32(p); }
    uint32_t Size() const { return static_cast<uint32_t>(ctx.end - ctx.start); }

    // Value `index` of an array of BYTE, SHORT or LONG values starting at `p`.
    uint32_t ReadValue(const uint8_t* p, uint16_t type, uint32_t index) const {
        switch (type) {
        case kTiffByte: return p[index];
        case kTiffShort: return Read16(p + size_t{index} * 2);
        default: return Read32(p + size_t{index} * 4);
        }
    }

    // Where the `count` values of `type` of an entry lie: inside the entry when they fit in its
    // four value bytes, else at the offset it holds. Null when they lie outside the data.
    const uint8_t* EntryValues(const uint8_t* entry, uint16_t type, uint32_t count) const {
        uint64_t bytes = uint64_t{count} * TiffTypeSize(type);
        if (bytes <= 4) return entry + 8;
        uint32_t offset = Read32(entry + 8);
        if (!RangeInside(offset, bytes, Size())) return nullptr;
        return ctx.start + offset;
    }

    // The first value of a BYTE, SHORT or LONG entry; false for other types or no values.
    bool ScalarValue(const uint8_t* entry, uint32_t* value) const {
        uint16_t type = Read16(entry + 2);
        uint32_t count = Read32(entry + 4);
        if (count == 0 || (type != kTiffByte && type != kTiffShort && type != kTiffLong)) return false;
        const uint8_t* values = EntryValues(entry, type, count);
        if (!values) return false;
        *value = ReadValue(values, type, 0);
        return true;
    }
};

bool ReadHeader(TiffDecoder* d, uint32_t* ifdOffset) {
    if (d->Size() < 8) return d->ctx.Fail(kCodecBadData);
    const uint8_t* p = d->ctx.start;
    if (p[0] == 'I' && p[1] == 'I') {
        d->bigEndian = false;
    } else if (p[0] == 'M' && p[1] == 'M') {
        d->bigEndian = true;
    } else {
        return d->ctx.Fail(kCodecBadData);
    }
    if (d->Read16(p + 2) != kTiffMagic) return d->ctx.Fail(kCodecBadData);
    *ifdOffset = d->Read32(p + 4);
    return true;
}

bool ReadDimension(TiffDecoder* d, const uint8_t* entry, uint32_t* out) {
    uint16_t type = d->Read16(entry + 2);
    if ((type != kTiffShort && type != kTiffLong) || d->Read32(entry + 4) != 1) return d->ctx.Fail(kCodecBadData);
    uint32_t value = d->ReadValue(entry + 8, type, 0);
    // the value counts as signed: 0 and anything from 2^31 up cannot be an image size
    if (value == 0 || value > INT32_MAX) return d->ctx.Fail(kCodecNotSupported);
    *out = value;
    return true;
}

bool ReadBitsPerSample(TiffDecoder* d, const uint8_t* entry) {
    uint16_t type = d->Read16(entry + 2);
    uint32_t count = d->Read32(entry + 4);
    if (count == 1) {
        uint32_t bits = 0;
        if (!d->ScalarValue(entry, &bits)) return d->ctx.Fail(kCodecBadData);
        d->bitsPerSample = bits;
        d->samples = 1;
    } else if (count == 3) {
        const uint8_t* values = type == kTiffShort ? d->EntryValues(entry, type, 3) : nullptr;
        if (!values) return d->ctx.Fail(kCodecBadData);
        uint32_t r = d->Read16(values), g = d->Read16(values + 2), b = d->Read16(values + 4);
        if (r != g || g != b || (r != 8 && r != 16)) return d->ctx.Fail(kCodecBadData);
        d->bitsPerSample = r;
        d->samples = 3;
    } else {
        // other layouts (grey with alpha, RGBA, CMYK...) are refused later by their sample count
        d->samples = count;
    }
    return true;
}

bool ReadStripArray(TiffDecoder* d, const uint8_t* entry, const uint8_t** values, uint16_t* typeOut,
                    uint32_t* countOut) {
    if (*values) return d->ctx.Fail(kCodecBadData); // a second StripOffsets or StripByteCounts
    uint16_t type = d->Read16(entry + 2);
    uint32_t count = d->Read32(entry + 4);
    // no strips at all is allowed here: it ends as rows beyond the data
    if ((type != kTiffShort && type != kTiffLong) || count >= kTiffMaxStrips) return d->ctx.Fail(kCodecNotSupported);
    const uint8_t* at = d->EntryValues(entry, type, count);
    if (!at) return d->ctx.Fail(kCodecBadData);
    *values = at;
    *typeOut = type;
    *countOut = count;
    return true;
}

bool WalkIfd0(TiffDecoder* d, uint32_t ifdOffset) {
    uint32_t size = d->Size();
    if (!RangeInside(ifdOffset, 2, size)) return d->ctx.Fail(kCodecBadData);
    uint32_t entries = d->Read16(d->ctx.start + ifdOffset);
    if (!RangeInside(uint64_t{ifdOffset} + 2, uint64_t{entries} * 12, size)) return d->ctx.Fail(kCodecBadData);

    const uint8_t* entry = d->ctx.start + ifdOffset + 2;
    for (uint32_t i = 0; i < entries; ++i, entry += 12) {
        uint16_t tag = d->Read16(entry);
        uint32_t value = 0;
        switch (tag) {
        case kTagImageWidth:
            if (!ReadDimension(d, entry, &d->width)) return false;
            break;
        case kTagImageLength:
            if (!ReadDimension(d, entry, &d->height)) return false;
            break;
        case kTagBitsPerSample:
            if (!ReadBitsPerSample(d, entry)) return false;
            break;
        case kTagCompression:
            if (!d->ScalarValue(entry, &value)) return d->ctx.Fail(kCodecBadData);
            if (value != kTiffNoCompression) return d->ctx.Fail(kCodecNotSupported);
            break;
        case kTagPhotometric:
            if (!d->ScalarValue(entry, &value)) return d->ctx.Fail(kCodecBadData);
            d->photometric = value;
            break;
        case kTagFillOrder:
            if (d->ScalarValue(entry, &value)) d->fillOrder = value;
            break;
        case kTagImageDescription: d->hasDescription = true; break;
        case kTagStripOffsets:
            if (!ReadStripArray(d, entry, &d->stripOffsets, &d->stripOffsetsType, &d->stripOffsetsCount)) return false;
            break;
        case kTagSamplesPerPixel: d->hasSamplesPerPixel = d->ScalarValue(entry, &d->samplesPerPixel); break;
        case kTagStripByteCounts:
            if (!ReadStripArray(d, entry, &d->stripByteCounts, &d->stripByteCountsType, &d->stripByteCountsCount))
                return false;
            break;
        case kTagXResolution: d->xResolutionEntry = entry; break;
        case kTagYResolution: d->yResolutionEntry = entry; break;
        case kTagPlanarConfiguration:
            if (d->ScalarValue(entry, &value)) d->planar = value;
            break;
        case kTagResolutionUnit:
            if (d->ScalarValue(entry, &value)) d->resolutionUnit = value;
            break;
        case kTagColorMap: d->colourMapEntry = entry; break;
        case kTagTileWidth:
        case kTagTileLength:
        case kTagTileOffsets:
        case kTagTileByteCounts: d->tiled = true; break;
        case kTagExtraSamples: d->hasExtraSamples = d->Read32(entry + 4) != 0; break;
        case kTagSampleFormat:
            // signed or floating-point samples would be shown as nonsense
            if (d->ScalarValue(entry, &value) && value != kTiffSampleUnsigned) d->hasNonIntegerSamples = true;
            break;
        default: break;
        }
    }

    if (d->width < 1 || d->height < 1) return d->ctx.Fail(kCodecNotSupported);
    // a tiled file keeps its data in tiles, never in strips, even when it carries strip tags
    if (d->tiled || !d->stripOffsets || !d->stripByteCounts || d->stripOffsetsCount != d->stripByteCountsCount)
        return d->ctx.Fail(kCodecBadData);
    return true;
}

// The pixel layouts this reader turns into an 8-bit or 24-bit image.
enum class RowKind { Bits1, Bits4, Bits8, Rgb8, Rgb16 };

struct RowFormat {
    RowKind kind;
    uint32_t outputBits; // 8 or 24
    uint64_t rowBytes;   // bytes of one file row
};

bool CheckFormat(TiffDecoder* d, RowFormat* format) {
    uint32_t bits = d->bitsPerSample;
    // samples the file says it has must be the samples BitsPerSample describes, with no extra
    // (alpha) samples, stored interleaved and as unsigned integers
    if ((d->hasSamplesPerPixel && d->samplesPerPixel != d->samples) || d->hasExtraSamples ||
        (d->planar != 1 && d->samples > 1) || d->hasNonIntegerSamples || d->fillOrder != 1)
        return d->ctx.Fail(kCodecNotSupported);

    uint64_t width = d->width;
    switch (d->photometric) {
    case kTiffPhotometricWhiteIsZero:
    case kTiffPhotometricBlackIsZero:
    case kTiffPhotometricPalette:
        if (d->samples != 1 || (bits != 1 && bits != 4 && bits != 8)) return d->ctx.Fail(kCodecNotSupported);
        if (d->photometric == kTiffPhotometricPalette && !d->colourMapEntry) return d->ctx.Fail(kCodecNotSupported);
        format->outputBits = 8;
        format->kind = bits == 1 ? RowKind::Bits1 : bits == 4 ? RowKind::Bits4 : RowKind::Bits8;
        format->rowBytes = bits == 1 ? (width + 7) / 8 : bits == 4 ? (width + 1) / 2 : width;
        return true;
    case kTiffPhotometricRgb:
        if (d->samples != 3 || (bits != 8 && bits != 16)) return d->ctx.Fail(kCodecNotSupported);
        format->outputBits = 24;
        format->kind = bits == 8 ? RowKind::Rgb8 : RowKind::Rgb16;
        format->rowBytes = width * 3 * (bits / 8);
        return true;
    default: return d->ctx.Fail(kCodecNotSupported); // also a file without PhotometricInterpretation
    }
}

// Checks every strip against the data and that together they hold the rows the image needs.
bool CheckStrips(TiffDecoder* d, const RowFormat& format) {
    uint64_t total = 0;
    for (uint32_t i = 0; i < d->stripByteCountsCount; ++i) {
        total += d->ReadValue(d->stripByteCounts, d->stripByteCountsType, i);
        if (total > UINT32_MAX) return d->ctx.Fail(kCodecNotSupported);
    }
    for (uint32_t i = 0; i < d->stripOffsetsCount; ++i) {
        uint32_t offset = d->ReadValue(d->stripOffsets, d->stripOffsetsType, i);
        uint32_t count = d->ReadValue(d->stripByteCounts, d->stripByteCountsType, i);
        if (!RangeInside(offset, count, d->Size())) return d->ctx.Fail(kCodecCannotOpen);
    }
    if (total < format.rowBytes * d->height) return d->ctx.Fail(kCodecCannotOpen);
    return true;
}

bool ReadColourMap(TiffDecoder* d, uint32_t entriesUsed, RGBQUAD* palette) {
    const uint8_t* entry = d->colourMapEntry;
    uint16_t type = d->Read16(entry + 2);
    uint32_t count = d->Read32(entry + 4);
    // the map holds 2^bits values per channel; a shorter one would colour with unrelated bytes
    uint32_t mapEntries = 1u << d->bitsPerSample;
    if (type != kTiffShort || count != mapEntries * 3) return d->ctx.Fail(kCodecNotSupported);
    const uint8_t* values = d->EntryValues(entry, type, count);
    if (!values) return d->ctx.Fail(kCodecCannotOpen);
    // each value is 16 bits; the colour is its high byte
    size_t high = d->bigEndian ? 0 : 1;
    for (uint32_t i = 0; i < entriesUsed; ++i) {
        palette[i].rgbRed = values[2 * i + high];
        palette[i].rgbGreen = values[2 * (mapEntries + i) + high];
        palette[i].rgbBlue = values[2 * (2 * mapEntries + i) + high];
        palette[i].rgbReserved = 0;
    }
    return true;
}

void GreyPalette(bool whiteIsZero, uint32_t entries, uint32_t step, RGBQUAD* palette) {
    for (uint32_t i = 0; i < entries; ++i) {
        uint8_t level = static_cast<uint8_t>(whiteIsZero ? 255 - i * step : i * step);
        palette[i] = RGBQUAD{level, level, level, 0};
    }
}

// Tables that expand one packed byte into its index bytes, built once.
struct ExpandTables {
    uint8_t bits1[256][8];
    uint8_t bits4[256][2];
    ExpandTables() {
        for (int v = 0; v < 256; ++v) {
            for (int b = 0; b < 8; ++b)
                bits1[v][b] = static_cast<uint8_t>((v >> (7 - b)) & 1);
            bits4[v][0] = static_cast<uint8_t>(v >> 4);
            bits4[v][1] = static_cast<uint8_t>(v & 15);
        }
    }
};

const ExpandTables& Tables() {
    static const ExpandTables tables;
    return tables;
}

// R G B to B G R. With SSE2 (every x86-64) four pixels go at a time: a 16-byte load holds them
// and 4 bytes of the next pixel, and byte shifts by 2 bring each red to the blue place and back.
void ConvertRgb8Row(const uint8_t* src, uint8_t* dst, uint32_t width) {
    uint32_t x = 0;
#ifdef __SSE2__
    const __m128i middle = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, -1, -1, -1, -1);
    const __m128i first = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0, 0, 0);
    const __m128i last = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0, 0);
    // the 16-byte load and store stay inside the row: 3x + 16 <= 3 width
    for (; x + 6 <= width; x += 4, src += 12, dst += 12) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        __m128i out = _mm_or_si128(_mm_and_si128(v, middle), _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), first),
                                                                          _mm_and_si128(_mm_slli_si128(v, 2), last)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
    }
#endif
    for (; x < width; ++x, src += 3, dst += 3) {
        uint8_t r = src[0], g = src[1], b = src[2];
        dst[0] = b;
        dst[1] = g;
        dst[2] = r;
    }
}

void ConvertRgb16Row(const uint8_t* src, uint8_t* dst, uint32_t width, size_t high) {
    const uint8_t* s = src + high;
    for (uint32_t x = 0; x < width; ++x, s += 6, dst += 3) {
        uint8_t r = s[0], g = s[2], b = s[4];
        dst[0] = b;
        dst[1] = g;
        dst[2] = r;
    }
}

void ConvertRow(RowKind kind, bool bigEndian, const uint8_t* src, uint8_t* dst, uint32_t width) {
    switch (kind) {
    case RowKind::Bits1: {
        const ExpandTables& t = Tables();
        uint32_t whole = width / 8;
        for (uint32_t i = 0; i < whole; ++i)
            std::memcpy(dst + size_t{i} * 8, t.bits1[src[i]], 8);
        if (uint32_t rest = width % 8) std::memcpy(dst + size_t{whole} * 8, t.bits1[src[whole]], rest);
        break;
    }
    case RowKind::Bits4: {
        const ExpandTables& t = Tables();
        uint32_t whole = width / 2;
        for (uint32_t i = 0; i < whole; ++i)
            std::memcpy(dst + size_t{i} * 2, t.bits4[src[i]], 2);
        if (width & 1) dst[width - 1] = t.bits4[src[whole]][0];
        break;
    }
    case RowKind::Bits8: std::memcpy(dst, src, width); break;
    case RowKind::Rgb8: ConvertRgb8Row(src, dst, width); break;
    case RowKind::Rgb16: ConvertRgb16Row(src, dst, width, bigEndian ? 0 : 1); break;
    }
}

// Reads the rows from the strips taken one after another, without regard to strip boundaries:
// a row wholly inside a strip is converted in place, a row split between strips is first put
// together in `carry`. CheckStrips has made sure that the strips hold every row.
bool ReadRows(TiffDecoder* d, const RowFormat& format) {
    ImageBuffer* image = d->ctx.image;
    uint32_t rowBytes = static_cast<uint32_t>(format.rowBytes);
    LargeBlock carry;
    uint32_t carried = 0;
    uint32_t y = 0;
    for (uint32_t i = 0; i < d->stripOffsetsCount && y < d->height; ++i) {
        const uint8_t* p = d->ctx.start + d->ReadValue(d->stripOffsets, d->stripOffsetsType, i);
        uint32_t left = d->ReadValue(d->stripByteCounts, d->stripByteCountsType, i);
        if (carried > 0) {
            uint32_t take = left < rowBytes - carried ? left : rowBytes - carried;
            std::memcpy(carry.get() + carried, p, take);
            carried += take;
            p += take;
            left -= take;
            if (carried < rowBytes) continue;
            ConvertRow(format.kind, d->bigEndian, carry.get(), ImageRowFromTop(image, y++), d->width);
            carried = 0;
        }
        for (; left >= rowBytes && y < d->height; p += rowBytes, left -= rowBytes)
            ConvertRow(format.kind, d->bigEndian, p, ImageRowFromTop(image, y++), d->width);
        if (left > 0 && y < d->height) {
            if (!carry) {
                carry.reset(static_cast<uint8_t*>(AllocLargeBlock(size_t{rowBytes} + 4)));
                if (!carry) return d->ctx.Fail(kCodecOutOfMemory);
            }
            std::memcpy(carry.get(), p, left);
            carried = left;
        }
    }
    return y == d->height || d->ctx.Fail(kCodecCannotOpen);
}

// The value of a RATIONAL entry; false when it is absent, lies outside the data or divides by 0.
bool ReadRational(const TiffDecoder* d, const uint8_t* entry, double* value) {
    if (!entry || d->Read16(entry + 2) != kTiffRational || d->Read32(entry + 4) < 1) return false;
    const uint8_t* values = d->EntryValues(entry, kTiffRational, 1);
    if (!values) return false;
    uint32_t numerator = d->Read32(values), denominator = d->Read32(values + 4);
    if (denominator == 0) return false;
    *value = static_cast<double>(numerator) / denominator;
    return true;
}

// Pixels per metre for a resolution in the file's unit; 0 for other units and for values that
// do not fit the header's signed field.
LONG PerMetre(double value, uint32_t unit) {
    double perMetre;
    if (unit == kTiffResolutionInch)
        perMetre = value / 0.0254 + 0.5;
    else if (unit == kTiffResolutionCentimetre)
        perMetre = value * 100 + 0.5;
    else
        return 0;
    return perMetre < INT32_MAX ? static_cast<LONG>(perMetre) : 0;
}

bool Decode(TiffDecoder* d) {
    uint32_t ifdOffset = 0;
    RowFormat format{};
    if (!ReadHeader(d, &ifdOffset) || !WalkIfd0(d, ifdOffset) || !CheckFormat(d, &format) || !CheckStrips(d, format))
        return false;

    ImageBuffer* image = d->ctx.image;
    RGBQUAD palette[256] = {};
    if (format.outputBits == 8) {
        uint32_t entries = 1u << d->bitsPerSample;
        if (d->photometric == kTiffPhotometricPalette) {
            if (!ReadColourMap(d, entries, palette)) return false;
        } else {
            GreyPalette(d->photometric == kTiffPhotometricWhiteIsZero, entries, 255 / (entries - 1), palette);
        }
    }
    if (!PrepareImage(image, d->width, d->height, format.outputBits, &d->ctx.status)) return false;
    std::memcpy(image->palette, palette, sizeof palette);
    if (!ReadRows(d, format)) return false;

    double x = 0, y = 0;
    if (ReadRational(d, d->xResolutionEntry, &x) && ReadRational(d, d->yResolutionEntry, &y)) {
        image->header.biXPelsPerMeter = PerMetre(x, d->resolutionUnit);
        image->header.biYPelsPerMeter = PerMetre(y, d->resolutionUnit);
    }
    image->sourceFormat = kFormatTiff;
    image->sourceBitDepth = d->photometric == kTiffPhotometricRgb ? d->bitsPerSample * 3 : d->bitsPerSample;
    return true;
}

} // namespace

bool ReadTiffMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, LoadInfo* info, CodecStatus* status) {
    CodecStatus local = kCodecOk;
    if (!status) status = &local;
    *status = kCodecOk;
    if (!target) {
        *status = kCodecOutOfMemory;
        return false;
    }
    FreeImagePixels(target);
    std::memset(target->palette, 0, sizeof target->palette);
    target->fileSize = size;

    TiffDecoder decoder;
    decoder.ctx.start = decoder.ctx.pos = data;
    decoder.ctx.end = data ? data + size : data;
    decoder.ctx.image = target;
    bool ok = data && Decode(&decoder);
    if (!ok) {
        *status = data ? decoder.ctx.status : kCodecBadData;
        FreeImagePixels(target);
        return false;
    }
    if (info) {
        *info = LoadInfo{};
        info->commentPresent = decoder.hasDescription ? 1 : 0;
    }
    return true;
}

} // namespace qv
