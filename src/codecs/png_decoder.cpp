// PNG reader: walks the chunks in place, inflates the IDAT run straight from the mapped bytes,
// un-filters each row as it arrives and converts it into the pixel block (8-bit indices or 24-bit
// BGR), applying gamma and transparency blending on the way, since ImageBuffer has no alpha.
#include <zlib.h>

#include <cmath>
#include <cstring>

#include "codecs/decoders.h"
#include "codecs/png_format.h"
#include "codecs/png_rows.h"
#include "codecs/whole_deflate.h"
#include "model/blend_table.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

// Deflate cannot expand data by more than about 1032:1 (a 258-byte match costs at least two bits).
// A header that declares more filtered bytes than that from the IDAT bytes present cannot come
// from a complete stream: refusing it keeps a tiny file from making us allocate gigabytes.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateRatioSlack = 64 * 1024;

// Inflate output per call: large enough that zlib's fast path and window copies stay cheap.
constexpr size_t kInflateBatchBytes = 256 * 1024;
// While the rows of a whole inflated image are converted, the filtered bytes behind them are
// handed back to the system in steps of this size.
constexpr size_t kReleaseStepBytes = 4u << 20;

enum class RowKind {
    Indices8,  // 8-bit grey or palette: the byte is the index
    Packed,    // 1, 2, 4-bit grey or palette, most significant sample first
    Grey16,    // high byte of each sample
    GreyAlpha, // 8 or 16 bits; blended onto the background's red when blending
    Rgb,       // 8 or 16 bits; the tRNS colour becomes the background when blending
    RgbAlpha,  // 8 or 16 bits; blended per channel when blending
};

struct PngReader {
    CodecContext ctx;

    // options
    int32_t displayGamma = 0; // x 1000, 0 = no correction
    bool blend = false;
    bool ignoreFileBackground = false;
    uint32_t background = 0; // COLORREF

    // header
    uint32_t width = 0, height = 0;
    uint8_t bitDepth = 0, colourType = 0, interlace = 0;
    uint32_t channels = 0, bitsPerPixel = 0, filterBpp = 0;
    uint32_t outBits = 0, stride = 0;
    RowKind kind = RowKind::Indices8;

    bool paletteSeen = false, imageDataSeen = false, gammaSeen = false, backgroundSeen = false;
    bool transparencySeen = false, alphaChannel = false;
    uint32_t gamma = 0;                 // x 100000
    uint8_t fileBackground[3] = {};     // red, green, blue
    uint16_t transparentSample[3] = {}; // grey in [0], or red, green, blue, at the file's depth
    bool transparentInRange = false;    // the tRNS sample fits the bit depth
    uint8_t alphaTable[256];            // palette alpha, 255 where tRNS gave none
    uint32_t paletteSize = 0;
    RGBQUAD palette[256] = {}; // the file's PLTE, blue-green-red
    int32_t xResolution = 0, yResolution = 0;
    int32_t textCount = 0, commentCount = 0;

    // transforms, fixed when the image data starts
    bool gammaActive = false;
    uint8_t gammaTable[256];
    uint8_t blendBackground[3] = {}; // red, green, blue
    bool blendPixels = false;        // RGB tRNS or alpha blended inside the row conversion
};

bool ParseHeader(PngReader* r) {
    CodecContext& ctx = r->ctx;
    PngChunk chunk;
    ChunkRead read = ReadPngChunk(ctx.pos, ctx.end, &chunk);
    if (read == ChunkRead::PastEnd && ctx.end - ctx.pos >= 4 && ReadBE32(ctx.pos) != 13)
        return ctx.Fail(kPngHeaderNot13);
    if (read == ChunkRead::LengthTopBit) return ctx.Fail(kPngHeaderNot13);
    if (read == ChunkRead::PastEnd) return ctx.Fail(kCodecBadData);
    if (chunk.length != 13) return ctx.Fail(kPngHeaderNot13);
    if (chunk.type != kChunkIHDR) return ctx.Fail(kPngFirstNotIhdr);
    if (!PngChunkCrcMatches(chunk)) return ctx.Fail(kPngCrcMismatch);
    const uint8_t* d = chunk.data;
    r->width = ReadBE32(d);
    r->height = ReadBE32(d + 4);
    r->bitDepth = d[8];
    r->colourType = d[9];
    if (r->width == 0 || r->height == 0 || r->width > 0x7FFFFFFFu || r->height > 0x7FFFFFFFu)
        return ctx.Fail(kCodecNotSupported);
    if (d[10] != 0) return ctx.Fail(kPngBadCompression);
    if (d[11] != 0) return ctx.Fail(kPngBadFilterMethod);
    if (d[12] > 1) return ctx.Fail(kPngBadInterlace);
    r->interlace = d[12];

    uint8_t depth = r->bitDepth, type = r->colourType;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) return ctx.Fail(kPngBadBitDepth);
    switch (type) {
    case kPngGrey: r->channels = 1; break;
    case kPngRgb: r->channels = 3; break;
    case kPngPalette: r->channels = 1; break;
    case kPngGreyAlpha: r->channels = 2; break;
    case kPngRgbAlpha: r->channels = 4; break;
    default: return ctx.Fail(kPngBadColourType);
    }
    if (depth < 8 && type != kPngGrey && type != kPngPalette) return ctx.Fail(kPngBadColourType);
    if (depth == 16 && type == kPngPalette) return ctx.Fail(kPngBadColourType);

    r->bitsPerPixel = depth * r->channels;
    r->filterBpp = r->bitsPerPixel < 8 ? 1 : r->bitsPerPixel / 8;
    r->alphaChannel = type == kPngGreyAlpha || type == kPngRgbAlpha;
    r->outBits = (type == kPngRgb || type == kPngRgbAlpha) ? 24 : 8;
    if (type == kPngRgb) {
        r->kind = RowKind::Rgb;
    } else if (type == kPngRgbAlpha) {
        r->kind = RowKind::RgbAlpha;
    } else if (type == kPngGreyAlpha) {
        r->kind = RowKind::GreyAlpha;
    } else {
        r->kind = depth < 8 ? RowKind::Packed : depth == 8 ? RowKind::Indices8 : RowKind::Grey16;
    }
    ctx.pos = chunk.next;
    return true;
}

// ---- ancillary chunks ---------------------------------------------------------------------

void TakeGamma(PngReader* r, const PngChunk& c) {
    if (r->gammaSeen || r->paletteSeen || r->imageDataSeen || c.length != 4 || !PngChunkCrcMatches(c)) return;
    uint32_t value = ReadBE32(c.data);
    if (value == 0 || (value & 0x80000000u)) return;
    r->gamma = value;
    r->gammaSeen = true;
}

void TakeBackground(PngReader* r, const PngChunk& c) {
    if (r->backgroundSeen || r->imageDataSeen || !PngChunkCrcMatches(c)) return;
    const uint8_t* d = c.data;
    switch (r->colourType) {
    case kPngGrey:
    case kPngGreyAlpha: {
        if (c.length != 2) return;
        uint16_t sample = ReadBE16(d);
        uint8_t grey;
        switch (r->bitDepth) {
        case 1: grey = (sample & 1) ? 255 : 0; break;
        case 2: grey = static_cast<uint8_t>((sample & 3) * 85); break;
        case 4: grey = static_cast<uint8_t>((sample & 15) * 17); break;
        case 8: grey = d[1]; break;
        default: grey = d[0]; break;
        }
        r->fileBackground[0] = r->fileBackground[1] = r->fileBackground[2] = grey;
        break;
    }
    case kPngPalette:
        if (c.length != 1 || !r->paletteSeen || d[0] >= r->paletteSize) return;
        r->fileBackground[0] = r->palette[d[0]].rgbRed;
        r->fileBackground[1] = r->palette[d[0]].rgbGreen;
        r->fileBackground[2] = r->palette[d[0]].rgbBlue;
        break;
    default: {
        if (c.length != 6) return;
        int offset = r->bitDepth == 16 ? 0 : 1;
        for (int i = 0; i < 3; ++i)
            r->fileBackground[i] = d[2 * i + offset];
        break;
    }
    }
    r->backgroundSeen = true;
}

bool TakePalette(PngReader* r, const PngChunk& c) {
    if (r->colourType != kPngPalette) return true; // a suggested palette of a true-colour file
    if (r->paletteSeen || r->imageDataSeen) return r->ctx.Fail(kPngChunkOrder);
    if (!PngChunkCrcMatches(c)) return r->ctx.Fail(kPngCrcMismatch);
    uint32_t entries = c.length / 3;
    uint32_t cap = 1u << r->bitDepth;
    if (entries > cap) entries = cap;
    for (uint32_t i = 0; i < entries; ++i) {
        r->palette[i].rgbRed = c.data[3 * i];
        r->palette[i].rgbGreen = c.data[3 * i + 1];
        r->palette[i].rgbBlue = c.data[3 * i + 2];
        r->palette[i].rgbReserved = 0;
    }
    r->paletteSize = entries;
    r->paletteSeen = true;
    return true;
}

void TakeTransparency(PngReader* r, const PngChunk& c) {
    if (r->transparencySeen || r->imageDataSeen || !PngChunkCrcMatches(c)) return;
    uint32_t maxSample = (1u << r->bitDepth) - 1;
    if (r->colourType == kPngGrey && c.length == 2) {
        r->transparentSample[0] = ReadBE16(c.data);
        r->transparentInRange = r->transparentSample[0] <= maxSample;
    } else if (r->colourType == kPngRgb && c.length == 6) {
        r->transparentInRange = true;
        for (int i = 0; i < 3; ++i) {
            r->transparentSample[i] = ReadBE16(c.data + 2 * i);
            if (r->transparentSample[i] > maxSample) r->transparentInRange = false;
        }
    } else if (r->colourType == kPngPalette && r->paletteSeen && c.length <= r->paletteSize) {
        std::memcpy(r->alphaTable, c.data, c.length);
    } else {
        return;
    }
    r->transparencySeen = true;
}

void CountText(PngReader* r, const PngChunk& c) {
    if (c.length < 2 || c.data[0] == 0 || !PngChunkCrcMatches(c)) return;
    uint32_t limit = c.length < 80 ? c.length : 80; // keyword of 1-79 bytes and its NUL
    const void* nul = std::memchr(c.data, 0, limit);
    if (!nul) return;
    ++r->textCount;
    if (IsPngCommentChunk(c)) ++r->commentCount;
}

void TakeResolution(PngReader* r, const PngChunk& c) {
    if (r->imageDataSeen || c.length != 9 || c.data[8] != 1 || !PngChunkCrcMatches(c)) return;
    uint32_t x = ReadBE32(c.data), y = ReadBE32(c.data + 4);
    if ((x | y) & 0x80000000u) return;
    r->xResolution = static_cast<int32_t>(x);
    r->yResolution = static_cast<int32_t>(y);
}

// ---- image data -------------------------------------------------------------------------

void PrepareTransforms(PngReader* r) {
    r->gammaActive = r->gammaSeen && r->displayGamma != 0;
    for (int i = 0; i < 256; ++i)
        r->gammaTable[i] = static_cast<uint8_t>(i);
    if (r->gammaActive) {
        double exponent = 1.0 / ((r->gamma / 100000.0) * (r->displayGamma / 1000.0));
        for (int i = 1; i < 256; ++i) {
            double v = std::floor(255.0 * std::pow(i / 255.0, exponent) + 0.5);
            r->gammaTable[i] = static_cast<uint8_t>(v > 255.0 ? 255.0 : v);
        }
    }
    if (r->backgroundSeen && !r->ignoreFileBackground) {
        for (int i = 0; i < 3; ++i)
            r->blendBackground[i] = r->gammaTable[r->fileBackground[i]];
    } else {
        r->blendBackground[0] = static_cast<uint8_t>(r->background);
        r->blendBackground[1] = static_cast<uint8_t>(r->background >> 8);
        r->blendBackground[2] = static_cast<uint8_t>(r->background >> 16);
    }
    bool transparent = r->alphaChannel || (r->transparencySeen && r->transparentInRange);
    r->blendPixels = r->blend && transparent && r->kind != RowKind::Indices8 && r->kind != RowKind::Packed &&
                     r->kind != RowKind::Grey16;
}

// Converts one un-filtered row of `count` pixels into the destination row, pixel i going to
// column x0 + i * dx. The switch runs once per row; the loops inside stay plain.
void EmitRow(const PngReader& r, const uint8_t* src, uint32_t count, uint8_t* dstRow, uint32_t x0, uint32_t dx) {
    const uint8_t* g = r.gammaTable;
    const bool wide = r.bitDepth == 16;
    switch (r.kind) {
    case RowKind::Indices8: {
        uint8_t* dst = dstRow + x0;
        if (dx == 1) {
            std::memcpy(dst, src, count);
        } else {
            for (uint32_t i = 0; i < count; ++i)
                dst[i * dx] = src[i];
        }
        break;
    }
    case RowKind::Packed: UnpackSamples(src, count, r.bitDepth, dstRow + x0, dx); break;
    case RowKind::Grey16: {
        uint8_t* dst = dstRow + x0;
        for (uint32_t i = 0; i < count; ++i)
            dst[i * dx] = src[2 * i];
        break;
    }
    case RowKind::GreyAlpha: {
        const uint32_t step = wide ? 4 : 2, alphaAt = wide ? 2 : 1;
        uint8_t* dst = dstRow + x0;
        if (r.blendPixels) {
            const BlendTable& t = GetBlendTable();
            const uint8_t bg = r.blendBackground[0];
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t* p = src + i * step;
                dst[i * dx] = BlendChannel(t, p[alphaAt], p[0], bg);
            }
        } else {
            for (uint32_t i = 0; i < count; ++i)
                dst[i * dx] = src[i * step];
        }
        break;
    }
    case RowKind::Rgb: {
        const uint32_t step = wide ? 6 : 3, c = wide ? 2 : 1;
        uint8_t* dst = dstRow + 3 * x0;
        const uint32_t dstep = 3 * dx;
        if (r.blendPixels) {
            const uint8_t bgR = r.blendBackground[0], bgG = r.blendBackground[1], bgB = r.blendBackground[2];
            const uint16_t tr = r.transparentSample[0], tg = r.transparentSample[1], tb = r.transparentSample[2];
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t* p = src + i * step;
                uint8_t* o = dst + i * dstep;
                uint16_t sr = wide ? ReadBE16(p) : p[0];
                uint16_t sg = wide ? ReadBE16(p + 2) : p[1];
                uint16_t sb = wide ? ReadBE16(p + 4) : p[2];
                if (sr == tr && sg == tg && sb == tb) {
                    o[0] = bgB;
                    o[1] = bgG;
                    o[2] = bgR;
                } else {
                    o[0] = g[p[2 * c]];
                    o[1] = g[p[c]];
                    o[2] = g[p[0]];
                }
            }
        } else if (!r.gammaActive && !wide && dx == 1) {
            SwapRedBlue(src, count, dst);
        } else {
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t* p = src + i * step;
                uint8_t* o = dst + i * dstep;
                o[0] = g[p[2 * c]];
                o[1] = g[p[c]];
                o[2] = g[p[0]];
            }
        }
        break;
    }
    case RowKind::RgbAlpha: {
        const uint32_t step = wide ? 8 : 4, c = wide ? 2 : 1;
        uint8_t* dst = dstRow + 3 * x0;
        const uint32_t dstep = 3 * dx;
        if (r.blendPixels) {
            const BlendTable& t = GetBlendTable();
            const uint8_t bgR = r.blendBackground[0], bgG = r.blendBackground[1], bgB = r.blendBackground[2];
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t* p = src + i * step;
                uint8_t* o = dst + i * dstep;
                uint8_t a = p[3 * c];
                if (a == 255) {
                    o[0] = g[p[2 * c]];
                    o[1] = g[p[c]];
                    o[2] = g[p[0]];
                } else if (a == 0) {
                    o[0] = bgB;
                    o[1] = bgG;
                    o[2] = bgR;
                } else {
                    o[0] = BlendChannel(t, a, g[p[2 * c]], bgB);
                    o[1] = BlendChannel(t, a, g[p[c]], bgG);
                    o[2] = BlendChannel(t, a, g[p[0]], bgR);
                }
            }
        } else {
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t* p = src + i * step;
                uint8_t* o = dst + i * dstep;
                o[0] = g[p[2 * c]];
                o[1] = g[p[c]];
                o[2] = g[p[0]];
            }
        }
        break;
    }
    }
}

// The zlib stream over the IDAT run, fed chunk by chunk without gathering the run into one block.
struct IdatStream {
    z_stream z{};
    bool open = false;
    bool ended = false; // the stream finished or ran out of data: the remaining rows stay zero
    const uint8_t* nextChunk = nullptr;
    const uint8_t* runEnd = nullptr;

    ~IdatStream() {
        if (open) inflateEnd(&z);
    }
};

// Inflates up to `bytes` bytes into `out` and reports how many arrived. Returns false with a status
// on an inflate error; sets `ended` when the stream stops before `bytes` were produced.
bool InflateInto(IdatStream* s, uint8_t* out, uint32_t bytes, uint32_t* produced, CodecContext* ctx) {
    s->z.next_out = out;
    s->z.avail_out = bytes;
    while (s->z.avail_out > 0) {
        if (s->z.avail_in == 0) {
            if (s->nextChunk >= s->runEnd) {
                s->ended = true;
                break;
            }
            PngChunk chunk;
            ReadPngChunk(s->nextChunk, s->runEnd, &chunk); // validated when the run was gathered
            s->z.next_in = const_cast<uint8_t*>(chunk.data);
            s->z.avail_in = chunk.length;
            s->nextChunk = chunk.next;
            continue;
        }
        int result = inflate(&s->z, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            if (s->z.avail_out > 0) s->ended = true;
            break;
        }
        if (result == Z_OK || result == Z_BUF_ERROR) continue;
        return ctx->Fail(result == Z_MEM_ERROR ? kCodecOutOfMemory : kCodecInflateFailed);
    }
    *produced = bytes - s->z.avail_out;
    return true;
}

// One pass of the image as it lies in the filtered data: where its pixels go and how long its
// rows are.
struct PassLayout {
    uint32_t x0 = 0, y0 = 0, dx = 1, dy = 1, width = 0, height = 0;
    uint32_t rowBytes = 0; // without the filter byte
};

bool LayoutPass(const PngReader& r, int p, PassLayout* out) {
    PassLayout l;
    l.width = r.width;
    l.height = r.height;
    if (r.interlace) {
        l.x0 = kAdam7X0[p], l.y0 = kAdam7Y0[p], l.dx = kAdam7DX[p], l.dy = kAdam7DY[p];
        l.width = Adam7Extent(r.width, l.x0, l.dx);
        l.height = Adam7Extent(r.height, l.y0, l.dy);
        if (l.width == 0 || l.height == 0) return false;
    }
    l.rowBytes = static_cast<uint32_t>(PngRowBytes(l.width, r.bitsPerPixel));
    *out = l;
    return true;
}

// Un-filters one row in place against the row above (filter byte first in both) and converts it
// into its place in the pixel block.
bool FinishRow(const PngReader& r, const PassLayout& l, uint32_t y, uint8_t* cur, const uint8_t* prev) {
    if (!UnfilterRow(cur[0], cur + 1, prev + 1, l.rowBytes, r.filterBpp)) return false;
    uint32_t outY = l.y0 + y * l.dy;
    EmitRow(r, cur + 1, l.width, r.ctx.image->pixels + static_cast<size_t>(r.height - 1 - outY) * r.stride, l.x0, l.dx);
    return true;
}

enum class WholeResult { Decoded, Failed, UseStream };

// The fast path: with the IDAT run's whole stream in one place and the exact filtered size
// known, libdeflate inflates everything in one call, and the rows are then finished straight
// from that buffer. A run of several chunks is gathered into the pixel block, which nothing
// else uses until the rows are converted. Anything the library refuses (damage, a stream that
// ends early or runs long, a bad checksum) goes back to the zlib stream, which decides what
// such a file shows.
WholeResult DecodeWhole(PngReader* r, const PngChunk& first, const uint8_t* runEnd, uint64_t compressed,
                        uint64_t filteredTotal, size_t widestStep, size_t pixelBytes) {
    if (filteredTotal > SIZE_MAX || filteredTotal > UINT32_MAX) return WholeResult::UseStream;
    uint8_t* pixels = r->ctx.image->pixels;
    const uint8_t* in = first.data;
    LargeBlock gatheredOwn;
    uint8_t* gathered = nullptr;
    if (first.next != runEnd) {
        if (compressed <= pixelBytes) {
            gathered = pixels;
        } else {
            gatheredOwn.reset(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(compressed))));
            if (!gatheredOwn) return WholeResult::UseStream;
            gathered = gatheredOwn.get();
        }
        size_t at = 0;
        for (const uint8_t* c = first.data - 8; c < runEnd;) {
            PngChunk chunk;
            ReadPngChunk(c, runEnd, &chunk); // validated when the run was walked
            std::memcpy(gathered + at, chunk.data, chunk.length);
            at += chunk.length;
            c = chunk.next;
        }
        in = gathered;
    }
    LargeBlock filtered(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(filteredTotal))));
    bool inflated = filtered && InflateWholeZlib(in, static_cast<size_t>(compressed), filtered.get(),
                                                 static_cast<size_t>(filteredTotal));
    // The pixel block must be as zero-filled as the streaming path expects it, padding included.
    if (gathered == pixels) std::memset(pixels, 0, static_cast<size_t>(compressed));
    if (!inflated) return WholeResult::UseStream;

    // The first row of each pass sees zeros above it.
    LargeBlock zeroRow(static_cast<uint8_t*>(AllocLargeBlock(widestStep)));
    if (!zeroRow) return WholeResult::UseStream;
    uint8_t* data = filtered.get();
    size_t released = 0, offset = 0;
    const int passes = r->interlace ? 7 : 1;
    for (int p = 0; p < passes; ++p) {
        PassLayout l;
        if (!LayoutPass(*r, p, &l)) continue;
        const size_t step = static_cast<size_t>(l.rowBytes) + 1;
        const uint8_t* prev = zeroRow.get();
        for (uint32_t y = 0; y < l.height; ++y, offset += step) {
            uint8_t* cur = data + offset;
            if (!FinishRow(*r, l, y, cur, prev)) {
                r->ctx.Fail(kCodecBadData);
                return WholeResult::Failed;
            }
            prev = cur;
            // everything before the row above is done with
            if (offset - released >= kReleaseStepBytes + step) {
                ReleaseLargeBlockPages(data, released, offset - step);
                released = offset - step;
            }
        }
    }
    return WholeResult::Decoded;
}

bool DecodeImageData(PngReader* r, const PngChunk& first) {
    CodecContext& ctx = r->ctx;
    if (r->imageDataSeen) return ctx.Fail(kPngChunkOrder);
    if (!PngChunkCrcMatches(first)) return ctx.Fail(kPngCrcMismatch);

    // The whole run is checked before anything is allocated or inflated.
    uint64_t compressed = first.length;
    const uint8_t* runEnd = first.next;
    for (;;) {
        PngChunk chunk;
        if (ctx.end - runEnd < 8 || ReadBE32(runEnd + 4) != kChunkIDAT) break;
        if (ReadPngChunk(runEnd, ctx.end, &chunk) != ChunkRead::Ok || !PngChunkCrcMatches(chunk))
            return ctx.Fail(kPngIdatDamaged);
        compressed += chunk.length;
        if (compressed > UINT32_MAX) return ctx.Fail(kPngIdatDamaged);
        runEnd = chunk.next;
    }
    r->imageDataSeen = true;

    // Filtered bytes the header promises, pass by pass, and the widest row.
    const int passes = r->interlace ? 7 : 1;
    uint64_t filteredTotal = 0, widestRow = 0;
    for (int p = 0; p < passes; ++p) {
        uint32_t pw = r->interlace ? Adam7Extent(r->width, kAdam7X0[p], kAdam7DX[p]) : r->width;
        uint32_t ph = r->interlace ? Adam7Extent(r->height, kAdam7Y0[p], kAdam7DY[p]) : r->height;
        if (pw == 0 || ph == 0) continue;
        uint64_t rowBytes = PngRowBytes(pw, r->bitsPerPixel);
        if (rowBytes > widestRow) widestRow = rowBytes;
        filteredTotal += (rowBytes + 1) * ph;
    }
    if (widestRow + 1 > UINT32_MAX / 2) return ctx.Fail(kCodecNotSupported);
    if (filteredTotal > compressed * kMaxInflateRatio + kInflateRatioSlack) return ctx.Fail(kCodecBadData);

    if (!PrepareImage(ctx.image, r->width, r->height, r->outBits, &ctx.status)) return false;
    r->stride = ImageStride(r->width, r->outBits);
    PrepareTransforms(r);

    const size_t pixelBytes = static_cast<size_t>(r->stride) * r->height;
    switch (DecodeWhole(r, first, runEnd, compressed, filteredTotal, widestRow + 1, pixelBytes)) {
    case WholeResult::Decoded: ctx.pos = runEnd; return true;
    case WholeResult::Failed: return false;
    case WholeResult::UseStream: break;
    }

    // Rows are inflated several at a time into one batch (zlib works best with a large output
    // buffer) and un-filtered in place; the last row of a batch is kept as the next one's "above".
    const size_t rowBuffer = static_cast<size_t>(widestRow) + 1;
    const size_t batchBytes = rowBuffer > kInflateBatchBytes ? rowBuffer : kInflateBatchBytes;
    LargeBlock rows(static_cast<uint8_t*>(AllocLargeBlock(batchBytes + rowBuffer)));
    if (!rows) return ctx.Fail(kCodecOutOfMemory);

    IdatStream stream;
    if (inflateInit2(&stream.z, 15) != Z_OK) return ctx.Fail(kCodecOutOfMemory);
    stream.open = true;
    stream.z.next_in = const_cast<uint8_t*>(first.data);
    stream.z.avail_in = first.length;
    stream.nextChunk = first.next;
    stream.runEnd = runEnd;

    uint8_t* batch = rows.get();
    uint8_t* above = rows.get() + batchBytes; // un-filtered row above the batch's first, filter byte first
    for (int p = 0; p < passes && !stream.ended; ++p) {
        PassLayout l;
        if (!LayoutPass(*r, p, &l)) continue;
        const uint32_t step = l.rowBytes + 1;
        const uint32_t rowsPerBatch = static_cast<uint32_t>(batchBytes / step);
        std::memset(above, 0, step);
        for (uint32_t y = 0; y < l.height && !stream.ended;) {
            uint32_t want = l.height - y < rowsPerBatch ? l.height - y : rowsPerBatch;
            uint32_t produced = 0;
            if (!InflateInto(&stream, batch, want * step, &produced, &ctx)) return false;
            uint32_t complete = produced / step;
            const uint8_t* prev = above;
            for (uint32_t k = 0; k < complete; ++k, ++y) {
                uint8_t* cur = batch + static_cast<size_t>(k) * step;
                if (!FinishRow(*r, l, y, cur, prev)) return ctx.Fail(kCodecBadData);
                prev = cur;
            }
            if (complete > 0) std::memcpy(above, prev, step);
        }
    }
    ctx.pos = runEnd;
    return true;
}

// Palette of an 8-bit result: the file's, or a grey ramp; then gamma and palette transparency.
void FinishPalette(PngReader* r) {
    RGBQUAD* pal = r->ctx.image->palette;
    if (r->colourType == kPngPalette) {
        std::memcpy(pal, r->palette, sizeof r->palette);
    } else if (r->outBits == 8) {
        uint32_t step = r->bitDepth == 1 ? 255 : r->bitDepth == 2 ? 85 : r->bitDepth == 4 ? 17 : 1;
        uint32_t entries = r->bitDepth >= 8 ? 256 : 1u << r->bitDepth;
        for (uint32_t i = 0; i < entries; ++i) {
            uint8_t v = static_cast<uint8_t>(i * step);
            pal[i] = RGBQUAD{v, v, v, 0};
        }
    } else {
        return;
    }
    if (r->gammaActive) {
        for (int i = 0; i < 256; ++i) {
            pal[i].rgbBlue = r->gammaTable[pal[i].rgbBlue];
            pal[i].rgbGreen = r->gammaTable[pal[i].rgbGreen];
            pal[i].rgbRed = r->gammaTable[pal[i].rgbRed];
        }
    }
    if (!r->blend || !r->transparencySeen) return;
    const uint8_t bgR = r->blendBackground[0], bgG = r->blendBackground[1], bgB = r->blendBackground[2];
    if (r->colourType == kPngPalette) {
        const BlendTable& t = GetBlendTable();
        for (int i = 0; i < 256; ++i) {
            uint8_t a = r->alphaTable[i];
            if (a == 255) continue;
            pal[i].rgbBlue = BlendChannel(t, a, pal[i].rgbBlue, bgB);
            pal[i].rgbGreen = BlendChannel(t, a, pal[i].rgbGreen, bgG);
            pal[i].rgbRed = BlendChannel(t, a, pal[i].rgbRed, bgR);
        }
    } else if (r->colourType == kPngGrey && r->transparentInRange) {
        // 16-bit grey keeps only the high byte, so the sample's index is that byte
        uint32_t index = r->bitDepth == 16 ? r->transparentSample[0] >> 8 : r->transparentSample[0];
        pal[index] = RGBQUAD{bgB, bgG, bgR, 0};
    }
}

bool WalkChunks(PngReader* r) {
    CodecContext& ctx = r->ctx;
    for (;;) {
        PngChunk c;
        ChunkRead read = ReadPngChunk(ctx.pos, ctx.end, &c);
        if (read == ChunkRead::LengthTopBit) return ctx.Fail(kPngLengthTopBit);
        if (read == ChunkRead::PastEnd) return ctx.Fail(kCodecBadData);
        ctx.pos = c.next;
        switch (c.type) {
        case kChunkIHDR: return ctx.Fail(kPngChunkOrder);
        case kChunkGAMA: TakeGamma(r, c); break;
        case kChunkBKGD: TakeBackground(r, c); break;
        case kChunkPLTE:
            if (!TakePalette(r, c)) return false;
            break;
        case kChunkTRNS: TakeTransparency(r, c); break;
        case kChunkPHYS: TakeResolution(r, c); break;
        case kChunkTEXT: CountText(r, c); break;
        case kChunkIDAT:
            if (!DecodeImageData(r, c)) return false;
            break;
        case kChunkIEND:
            if (!PngChunkCrcMatches(c)) return ctx.Fail(kPngCrcMismatch);
            if (!r->imageDataSeen || (r->colourType == kPngPalette && !r->paletteSeen))
                return ctx.Fail(kPngNoImageData);
            return true;
        default: break;
        }
    }
}

} // namespace

bool ReadPngMemory(const uint8_t* data, uint32_t size, const LoadOptions& options, ImageBuffer* target, LoadInfo* info,
                   CodecStatus* status) {
    *info = LoadInfo{};
    FreeImagePixels(target);
    std::memset(target->palette, 0, sizeof target->palette);

    PngReader r;
    r.ctx.start = r.ctx.pos = data;
    r.ctx.end = data + size;
    r.ctx.image = target;
    r.displayGamma = options.DecoderGamma();
    r.blend = options.alpha;
    r.ignoreFileBackground = !options.fileBackground;
    r.background = options.background;
    std::memset(r.alphaTable, 255, sizeof r.alphaTable);

    bool ok = size >= 8 && std::memcmp(data, kPngSignature, 8) == 0;
    if (!ok) {
        r.ctx.status = kCodecBadData;
    } else {
        r.ctx.pos = data + 8;
        ok = ParseHeader(&r) && WalkChunks(&r);
    }
    if (!ok) {
        FreeImagePixels(target);
        *status = r.ctx.status;
        return false;
    }

    FinishPalette(&r);
    target->header.biXPelsPerMeter = r.xResolution;
    target->header.biYPelsPerMeter = r.yResolution;
    target->sourceFormat = kFormatPng;
    target->fileSize = size;
    bool trueColour = r.colourType == kPngRgb || r.colourType == kPngRgbAlpha;
    target->sourceBitDepth = trueColour ? r.bitDepth * 3u : r.bitDepth;

    info->interlaced = r.interlace == 1;
    info->transparency = r.transparencySeen || r.alphaChannel;
    info->textPresent = r.textCount;
    info->commentPresent = r.commentCount;
    *status = kCodecOk;
    return true;
}

} // namespace qv
