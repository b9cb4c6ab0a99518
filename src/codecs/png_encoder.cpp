// PNG writer: palette, grey or RGB rows, filtered (adaptively or with one fixed filter) into one
// buffer, optionally as the seven Adam7 passes, deflated in one call (libdeflate or zlib, by level)
// into IDAT chunks (one, unless the data passes the 31-bit chunk length).
#include <zlib.h>

#include <cstring>
#include <vector>

#include "codecs/depth_converter.h"
#include "codecs/png_codec.h"
#include "codecs/png_format.h"
#include "codecs/png_rows.h"
#include "codecs/whole_deflate.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

// Past this width a 24-bit row (3 bytes a pixel) no longer fits in 31 bits.
constexpr uint32_t kMaxWriteWidth = 89478485;

// Rows to write, read through a view of the image or of the converted index plane.
struct RowSource {
    uint32_t width = 0, height = 0;
    bool rgb = false;
    // RGB from the image itself
    const ImageBuffer* image = nullptr;
    // indices (palette or grey) from a plane stored bottom-up at `depth` bits a sample
    const uint8_t* plane = nullptr;
    uint32_t planeStride = 0;
    uint32_t planeDepth = 8;
    uint8_t remap[256] = {}; // duplicate palette entries folded onto their first occurrence
};

inline uint8_t PlaneSample(const uint8_t* row, uint32_t x, uint32_t depth) {
    if (depth == 8) return row[x];
    uint32_t bit = x * depth;
    return static_cast<uint8_t>((row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1));
}

// Packs pixels x0, x0 + dx, ... of row y (from the top) at `bitDepth` into `out`.
void GatherRow(const RowSource& s, uint32_t y, uint32_t x0, uint32_t dx, uint32_t count, uint32_t bitDepth,
               uint8_t* out) {
    if (s.rgb) {
        const uint8_t* row = ImageRowFromTop(s.image, y);
        if (s.image->header.biBitCount == 24) {
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t* p = row + 3 * (x0 + i * dx);
                out[3 * i] = p[2];
                out[3 * i + 1] = p[1];
                out[3 * i + 2] = p[0];
            }
        } else {
            const RGBQUAD* pal = s.image->palette;
            for (uint32_t i = 0; i < count; ++i) {
                const RGBQUAD& q = pal[row[x0 + i * dx]];
                out[3 * i] = q.rgbRed;
                out[3 * i + 1] = q.rgbGreen;
                out[3 * i + 2] = q.rgbBlue;
            }
        }
        return;
    }
    const uint8_t* row = s.plane + static_cast<size_t>(s.height - 1 - y) * s.planeStride;
    if (bitDepth == 8) {
        for (uint32_t i = 0; i < count; ++i)
            out[i] = s.remap[PlaneSample(row, x0 + i * dx, s.planeDepth)];
        return;
    }
    std::memset(out, 0, static_cast<size_t>(PngRowBytes(count, bitDepth)));
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t v = s.remap[PlaneSample(row, x0 + i * dx, s.planeDepth)];
        uint32_t bit = i * bitDepth;
        out[bit >> 3] |= static_cast<uint8_t>(v << (8 - bitDepth - (bit & 7)));
    }
}

// Repeated small or large bytes in a row: what the adaptive choice maximises.
uint32_t RepeatScore(const uint8_t* f, uint32_t bytes) {
    uint32_t score = 0;
    for (uint32_t i = 1; i < bytes; ++i)
        score += (f[i] == f[i - 1]) & (static_cast<uint8_t>(f[i] + 4) < 8);
    return score;
}

uint8_t ChooseFilter(const uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp, uint8_t* scratch) {
    uint32_t score[5];
    score[kFilterNone] = RepeatScore(row, bytes);
    for (uint8_t f = kFilterSub; f <= kFilterPaeth; ++f) {
        FilterRow(f, row, prev, bytes, bpp, scratch);
        score[f] = RepeatScore(scratch, bytes);
    }
    uint8_t subUp = score[kFilterSub] >= score[kFilterUp] ? kFilterSub : kFilterUp;
    uint8_t avgPaeth = score[kFilterAverage] >= score[kFilterPaeth] ? kFilterAverage : kFilterPaeth;
    uint8_t best = score[subUp] >= score[avgPaeth] ? subUp : avgPaeth;
    return score[best] > score[kFilterNone] ? best : static_cast<uint8_t>(kFilterNone);
}

uint8_t PaletteIndexNearest(const RGBQUAD* pal, uint32_t count, uint8_t r, uint8_t g, uint8_t b) {
    uint32_t best = 0, bestDistance = UINT32_MAX;
    for (uint32_t i = 0; i < count; ++i) {
        int dr = pal[i].rgbRed - r, dg = pal[i].rgbGreen - g, db = pal[i].rgbBlue - b;
        uint32_t d = static_cast<uint32_t>(dr * dr + dg * dg + db * db);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<uint8_t>(best);
}

void PutBE16(std::string* out, uint32_t v) {
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
    out->push_back(static_cast<char>(v & 0xFF));
}

void AppendChunkString(uint32_t type, const std::string& data, std::string* out) {
    AppendPngChunk(type, reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()), out);
}

// Which compressor deflates the rows. libdeflate was measured against zlib at each level on
// filtered rows of photographs, screenshots and palette pictures (bench/deflate_bench and the
// writer's tests): on true-colour photographs it is 2-4 times faster at every level and its
// files are smaller; on palette rows and on flat graphics (rows that are mostly zero bytes after
// filtering) its files came out up to 15 % larger at some levels, so zlib keeps those. Level 0
// stores the rows either way. Whichever runs, the result is one zlib stream.
bool UseLibdeflate(int level, bool palette, const uint8_t* in, uint32_t bytes) {
    if (level == 0) return true;
    if (palette) return false;
    // Flat graphics filter to mostly zero bytes; photographs leave well under half of them zero.
    // A sample of about a million bytes decides.
    const uint32_t step = bytes > (1u << 20) ? bytes >> 20 : 1;
    uint32_t zeros = 0, seen = 0;
    for (uint32_t i = 0; i < bytes; i += step, ++seen)
        zeros += in[i] == 0;
    return zeros * 2 <= seen;
}

// Compresses the filtered rows in one call into a block of the worst-case size; zlib gets the
// filtered strategy for true-colour rows, as their bytes are small differences.
CodecStatus DeflateRows(int level, bool palette, const uint8_t* in, uint32_t bytes, LargeBlock* out,
                        uint32_t* outBytes) {
    if (UseLibdeflate(level, palette, in, bytes)) {
        size_t bound = DeflateWholeZlibBound(bytes);
        if (bound > UINT32_MAX) return kCodecDeflateFailed;
        out->reset(static_cast<uint8_t*>(AllocLargeBlock(bound)));
        if (!*out) return kCodecOutOfMemory;
        size_t n = DeflateWholeZlib(level, in, bytes, out->get(), bound);
        if (n == 0) return kCodecDeflateFailed;
        *outBytes = static_cast<uint32_t>(n);
        return kCodecOk;
    }
    z_stream z{};
    int strategy = palette ? Z_DEFAULT_STRATEGY : Z_FILTERED;
    if (deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy) != Z_OK) return kCodecDeflateFailed;
    uLong bound = deflateBound(&z, static_cast<uLong>(bytes));
    out->reset(static_cast<uint8_t*>(AllocLargeBlock(bound)));
    if (!*out || bound > UINT32_MAX) {
        deflateEnd(&z);
        return *out ? kCodecDeflateFailed : kCodecOutOfMemory;
    }
    z.next_in = const_cast<uint8_t*>(in);
    z.avail_in = bytes;
    z.next_out = out->get();
    z.avail_out = static_cast<uInt>(bound);
    int result = deflate(&z, Z_FINISH);
    *outBytes = static_cast<uint32_t>(z.total_out);
    deflateEnd(&z);
    return result == Z_STREAM_END ? kCodecOk : kCodecDeflateFailed;
}

} // namespace

void AppendPngChunk(uint32_t type, const uint8_t* data, uint32_t length, std::string* out) {
    uint8_t head[8];
    WriteBE32(head, length);
    WriteBE32(head + 4, type);
    size_t at = out->size();
    out->append(reinterpret_cast<const char*>(head), 8);
    if (length) out->append(reinterpret_cast<const char*>(data), length);
    uint32_t crc =
        Crc32Update(0, reinterpret_cast<const uint8_t*>(out->data()) + at + 4, static_cast<size_t>(length) + 4);
    uint8_t tail[4];
    WriteBE32(tail, crc);
    out->append(reinterpret_cast<const char*>(tail), 4);
}

void AppendIdatChunks(const uint8_t* data, uint64_t length, uint32_t pieceLength, std::string* out) {
    if (pieceLength == 0) pieceLength = kPngMaxChunkLength;
    do {
        uint32_t piece = static_cast<uint32_t>(length < pieceLength ? length : pieceLength);
        AppendPngChunk(kChunkIDAT, data, piece, out);
        data += piece;
        length -= piece;
    } while (length > 0);
}

void AppendPngCommentChunk(const char* text, std::string* out) {
    constexpr size_t kMaxCommentBytes = 4095;
    std::string data(kPngCommentKeyword, 7);
    data.push_back('\0');
    size_t kept = 0;
    for (const char* p = text; *p && kept < kMaxCommentBytes; ++p) {
        if (*p == '\r') continue;
        data.push_back(*p);
        ++kept;
    }
    AppendChunkString(kChunkTEXT, data, out);
}

uint8_t ChooseAdaptiveFilter(const uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    std::vector<uint8_t> scratch(bytes ? bytes : 1);
    return ChooseFilter(row, prev, bytes, bpp, scratch.data());
}

CodecStatus EncodePngMemory(const ImageBuffer& image, const PngWriteOptions& options, std::string* out) {
    out->clear();
    const uint32_t width = static_cast<uint32_t>(image.header.biWidth);
    const uint32_t height = static_cast<uint32_t>(image.header.biHeight);
    const uint32_t sourceDepth = image.header.biBitCount;
    if (image.header.biWidth <= 0 || image.header.biHeight <= 0 || !image.pixels) return kCodecCannotConvert;
    if (width > kMaxWriteWidth) return kCodecCannotWrite;
    if (sourceDepth != 8 && sourceDepth != 24) return kCodecCannotConvert;

    // The file form the target depth asks for.
    uint32_t bitDepth;
    uint8_t colourType;
    switch (options.depth) {
    case 1:
    case 2:
    case 4:
    case 8:
        bitDepth = options.depth;
        colourType = options.grey ? kPngGrey : kPngPalette;
        break;
    case 24:
        bitDepth = 8;
        colourType = kPngRgb;
        break;
    default: return kCodecCannotConvert;
    }
    if (colourType == kPngGrey && bitDepth != 8) return kCodecCannotConvert;
    const uint32_t channels = colourType == kPngRgb ? 3 : 1;
    const uint32_t bitsPerPixel = bitDepth * channels;
    const uint32_t bpp = bitsPerPixel < 8 ? 1 : bitsPerPixel / 8;

    // Filtered data: packed rows plus one filter byte each, summed over the passes.
    const int passes = options.interlace ? 7 : 1;
    uint64_t filteredTotal = 0, widestRow = 0;
    for (int p = 0; p < passes; ++p) {
        uint32_t pw = options.interlace ? Adam7Extent(width, kAdam7X0[p], kAdam7DX[p]) : width;
        uint32_t ph = options.interlace ? Adam7Extent(height, kAdam7Y0[p], kAdam7DY[p]) : height;
        if (pw == 0 || ph == 0) continue;
        uint64_t rowBytes = PngRowBytes(pw, bitsPerPixel);
        if (rowBytes > widestRow) widestRow = rowBytes;
        filteredTotal += (rowBytes + 1) * ph;
    }
    if (filteredTotal > UINT32_MAX) return kCodecCannotConvert;

    RowSource source;
    source.width = width;
    source.height = height;
    for (int i = 0; i < 256; ++i)
        source.remap[i] = static_cast<uint8_t>(i);

    // Palette and grey forms go through the colour reduction; the plane lives until the end.
    LargeBlock plane;
    RGBQUAD palette[256] = {};
    uint32_t paletteCount = 0;
    std::string headerChunks; // PLTE, tRNS, bKGD: between IHDR/gAMA/pHYs and IDAT
    if (colourType == kPngRgb) {
        source.rgb = true;
        source.image = &image;
        if (options.transparent) {
            std::string trns;
            PutBE16(&trns, options.transparentColour & 0xFF);
            PutBE16(&trns, (options.transparentColour >> 8) & 0xFF);
            PutBE16(&trns, (options.transparentColour >> 16) & 0xFF);
            AppendChunkString(kChunkTRNS, trns, &headerChunks);
            AppendChunkString(kChunkBKGD, trns, &headerChunks);
        }
    } else if (colourType == kPngGrey) {
        DepthConverter converter;
        uint32_t planeBytes = 0;
        if (!ConfigureDepthConverter(&converter, image.header.biWidth, image.header.biHeight, sourceDepth, 8, false) ||
            !CheckedMul32(width, height, &planeBytes) || planeBytes > UINT32_MAX - 4)
            return kCodecCannotConvert;
        plane.reset(static_cast<uint8_t*>(AllocLargeBlock(planeBytes + 4)));
        if (!plane) return kCodecOutOfMemory;
        if (!ToGrey(converter, image.palette, image.pixels, plane.get()))
            return converter.status == kCodecOutOfMemory ? kCodecOutOfMemory : kCodecCannotConvert;
        source.plane = plane.get();
        source.planeStride = width;
        if (options.transparent) {
            uint32_t c = options.transparentColour;
            uint32_t grey = ((c & 0xFF) * 299 + ((c >> 8) & 0xFF) * 587 + ((c >> 16) & 0xFF) * 114) / 1000;
            std::string sample;
            PutBE16(&sample, grey);
            AppendChunkString(kChunkTRNS, sample, &headerChunks);
            AppendChunkString(kChunkBKGD, sample, &headerChunks);
        }
    } else {
        if (sourceDepth == 8 && bitDepth == 8) {
            // already indices: the image's own plane and palette, up to the highest index used
            source.plane = image.pixels;
            source.planeStride = ImageStride(&image);
            std::memcpy(palette, image.palette, sizeof palette);
            uint8_t highest = 0;
            for (uint32_t y = 0; y < height; ++y) {
                const uint8_t* row = image.pixels + static_cast<size_t>(y) * source.planeStride;
                for (uint32_t x = 0; x < width; ++x)
                    highest = row[x] > highest ? row[x] : highest;
            }
            paletteCount = highest + 1u;
        } else {
            DepthConverter converter;
            if (!ConfigureDepthConverter(&converter, image.header.biWidth, image.header.biHeight, sourceDepth, bitDepth,
                                         options.dither) ||
                converter.totalBytes == 0 || converter.totalBytes > UINT32_MAX - 4)
                return kCodecCannotConvert;
            plane.reset(static_cast<uint8_t*>(AllocLargeBlock(converter.totalBytes + 4)));
            if (!plane) return kCodecOutOfMemory;
            if (!ConvertDepth(&converter, image.palette, image.pixels, palette, plane.get()))
                return converter.status == kCodecOutOfMemory ? kCodecOutOfMemory : kCodecCannotConvert;
            source.plane = plane.get();
            source.planeStride = converter.stride;
            source.planeDepth = bitDepth;
            paletteCount = converter.paletteCount;
            uint32_t cap = 1u << bitDepth;
            if (paletteCount == 0 || paletteCount > cap) paletteCount = cap;
        }
        // Fold duplicate entries onto their first occurrence (a 1-bit palette keeps both).
        RGBQUAD merged[256] = {};
        uint32_t mergedCount = 0;
        for (uint32_t i = 0; i < paletteCount; ++i) {
            uint32_t found = mergedCount;
            if (bitDepth > 1) {
                for (uint32_t j = 0; j < mergedCount; ++j) {
                    if (merged[j].rgbRed == palette[i].rgbRed && merged[j].rgbGreen == palette[i].rgbGreen &&
                        merged[j].rgbBlue == palette[i].rgbBlue) {
                        found = j;
                        break;
                    }
                }
            }
            if (found == mergedCount) merged[mergedCount++] = palette[i];
            source.remap[i] = static_cast<uint8_t>(found);
        }
        std::string plte;
        for (uint32_t i = 0; i < mergedCount; ++i) {
            plte.push_back(static_cast<char>(merged[i].rgbRed));
            plte.push_back(static_cast<char>(merged[i].rgbGreen));
            plte.push_back(static_cast<char>(merged[i].rgbBlue));
        }
        AppendChunkString(kChunkPLTE, plte, &headerChunks);
        if (options.transparent) {
            uint8_t r = options.transparentColour & 0xFF, g = (options.transparentColour >> 8) & 0xFF,
                    b = (options.transparentColour >> 16) & 0xFF;
            std::string alpha;
            int first = -1;
            for (uint32_t i = 0; i < mergedCount; ++i) {
                if (merged[i].rgbRed == r && merged[i].rgbGreen == g && merged[i].rgbBlue == b) {
                    if (first < 0) first = static_cast<int>(i);
                    alpha.resize(i + 1, static_cast<char>(0xFF));
                    alpha[i] = 0;
                }
            }
            if (first < 0) {
                first = PaletteIndexNearest(merged, mergedCount, r, g, b);
                alpha.assign(static_cast<size_t>(first) + 1, static_cast<char>(0xFF));
                alpha[first] = 0;
            }
            AppendChunkString(kChunkTRNS, alpha, &headerChunks);
            std::string index(1, static_cast<char>(first));
            AppendChunkString(kChunkBKGD, index, &headerChunks);
        }
    }

    // Filter every row into one buffer. Palette rows are never filtered.
    const uint32_t filterChoice = colourType == kPngPalette ? kPngFilterChoiceNone : options.filter;
    if (filterChoice > kPngFilterChoicePaeth) return kCodecCannotConvert;
    LargeBlock filtered(static_cast<uint8_t*>(AllocLargeBlock(filteredTotal ? filteredTotal : 1)));
    const size_t rowBuffer = static_cast<size_t>(widestRow) + 1;
    std::vector<uint8_t> rows(rowBuffer * 3, 0);
    if (!filtered) return kCodecOutOfMemory;
    uint8_t* cur = rows.data();
    uint8_t* prev = rows.data() + rowBuffer;
    uint8_t* scratch = rows.data() + 2 * rowBuffer;
    uint8_t* o = filtered.get();
    for (int p = 0; p < passes; ++p) {
        uint32_t x0 = 0, y0 = 0, dx = 1, dy = 1, pw = width, ph = height;
        if (options.interlace) {
            x0 = kAdam7X0[p], y0 = kAdam7Y0[p], dx = kAdam7DX[p], dy = kAdam7DY[p];
            pw = Adam7Extent(width, x0, dx);
            ph = Adam7Extent(height, y0, dy);
            if (pw == 0 || ph == 0) continue;
        }
        const uint32_t rowBytes = static_cast<uint32_t>(PngRowBytes(pw, bitsPerPixel));
        std::memset(prev, 0, rowBytes);
        for (uint32_t y = 0; y < ph; ++y) {
            GatherRow(source, y0 + y * dy, x0, dx, pw, bitDepth, cur);
            uint8_t f = filterChoice == kPngFilterAdaptive ? ChooseFilter(cur, prev, rowBytes, bpp, scratch)
                                                           : static_cast<uint8_t>(filterChoice - 1);
            *o++ = f;
            FilterRow(f, cur, prev, rowBytes, bpp, o);
            o += rowBytes;
            uint8_t* swap = cur;
            cur = prev;
            prev = swap;
        }
    }

    // One deflate call over the whole buffer.
    if (options.level < 0 || options.level > 9) return kCodecDeflateFailed;
    LargeBlock compressed;
    uint32_t compressedBytes = 0;
    if (options.progress) options.progress(options.progressContext, true);
    CodecStatus deflated = DeflateRows(options.level, colourType == kPngPalette, filtered.get(),
                                       static_cast<uint32_t>(filteredTotal), &compressed, &compressedBytes);
    if (options.progress) options.progress(options.progressContext, false);
    if (deflated != kCodecOk) return deflated;
    filtered.reset();

    // Assemble the file.
    out->reserve(static_cast<size_t>(compressedBytes) + headerChunks.size() + 256);
    out->append(reinterpret_cast<const char*>(kPngSignature), 8);
    uint8_t ihdr[13];
    WriteBE32(ihdr, width);
    WriteBE32(ihdr + 4, height);
    ihdr[8] = static_cast<uint8_t>(bitDepth);
    ihdr[9] = colourType;
    ihdr[10] = 0;
    ihdr[11] = 0;
    ihdr[12] = options.interlace ? 1 : 0;
    AppendPngChunk(kChunkIHDR, ihdr, 13, out);
    if (options.gamma > 0) {
        uint8_t g[4];
        WriteBE32(g, static_cast<uint32_t>((100000000ull + options.gamma / 2) / options.gamma));
        AppendPngChunk(kChunkGAMA, g, 4, out);
    }
    // the fields are 31-bit: a negative value would read back as a huge resolution
    if (options.xResolution > 0 && options.yResolution > 0) {
        uint8_t phys[9];
        WriteBE32(phys, static_cast<uint32_t>(options.xResolution));
        WriteBE32(phys + 4, static_cast<uint32_t>(options.yResolution));
        phys[8] = 1;
        AppendPngChunk(kChunkPHYS, phys, 9, out);
    }
    out->append(headerChunks);
    AppendIdatChunks(compressed.get(), compressedBytes, kPngMaxChunkLength, out);
    if (options.comment && *options.comment) AppendPngCommentChunk(options.comment, out);
    AppendPngChunk(kChunkIEND, nullptr, 0, out);
    return kCodecOk;
}

CodecStatus WritePngFile(const wchar_t* path, const ImageBuffer& image, const PngWriteOptions& options) {
    if (image.header.biWidth > 0 && static_cast<uint32_t>(image.header.biWidth) > kMaxWriteWidth)
        return kCodecCannotWrite;
    OutputFile file;
    if (!file.Create(path)) return kCodecCannotWrite;
    std::string bytes;
    CodecStatus status = EncodePngMemory(image, options, &bytes);
    if (status != kCodecOk) return status;
    if (!file.Write(bytes.data(), bytes.size()) || !file.Close()) return kCodecCannotWrite;
    return kCodecOk;
}

} // namespace qv
