#include "codecs/depth_converter.h"

#include <algorithm>
#include <cstring>

#include "model/image_colours.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

// Precomputed once so that no pixel needs a multiplication or division: squares for colour
// distances, the four Floyd-Steinberg shares of an error, and the clamp of a diffused value.
struct ConverterTables {
    uint32_t squares[511];  // d * d for d = -255..255, index d + 255
    int16_t share[4][511];  // round(e * {1,3,5,7} / 16), halves away from zero
    uint8_t clamp[766];     // -255..510 -> 0..255, index v + 255
    uint8_t greyRed[256];   // round(0.299 v)
    uint8_t greyGreen[256]; // round(0.587 v)
    uint8_t greyBlue[256];  // round(0.114 v)
};

ConverterTables BuildTables() {
    ConverterTables t{};
    static const int kWeights[4] = {1, 3, 5, 7};
    for (int e = -255; e <= 255; ++e) {
        t.squares[e + 255] = static_cast<uint32_t>(e * e);
        for (int k = 0; k < 4; ++k) {
            int scaled = e * kWeights[k];
            int magnitude = ((scaled < 0 ? -scaled : scaled) + 8) / 16;
            t.share[k][e + 255] = static_cast<int16_t>(scaled < 0 ? -magnitude : magnitude);
        }
    }
    for (int v = -255; v <= 510; ++v)
        t.clamp[v + 255] = static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    for (int v = 0; v < 256; ++v) {
        // integer forms of the rounded products, so that halves round the same on every build
        t.greyRed[v] = static_cast<uint8_t>((299 * v + 500) / 1000);
        t.greyGreen[v] = static_cast<uint8_t>((587 * v + 500) / 1000);
        t.greyBlue[v] = static_cast<uint8_t>((114 * v + 500) / 1000);
    }
    return t;
}

const ConverterTables& Tables() {
    static const ConverterTables tables = BuildTables();
    return tables;
}

constexpr uint8_t kCorners[8][3] = {{0x00, 0x00, 0x00}, {0xFF, 0xFF, 0xFF}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00},
                                    {0x00, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}};
constexpr int kFiveColours = 5; // the first five corners

bool Fail(DepthConverter* c, CodecStatus status) {
    c->status = status;
    return false;
}

// Row bytes of a source block: DIB rows padded to 4 bytes, 32-bit rows unpadded (the same).
size_t SourceStride(uint32_t width, uint32_t depth) {
    uint32_t stride = 0;
    DibStride(width, depth, &stride);
    return stride;
}

// Pixel count of the image when a per-pixel plane of `bytesPerPixel` fits in 32 bits.
bool PlaneBytes(uint32_t width, uint32_t height, uint32_t bytesPerPixel, uint32_t* bytes) {
    uint32_t count = 0;
    return CheckedMul32(width, height, &count) && CheckedMul32(count, bytesPerPixel, bytes) && *bytes <= UINT32_MAX - 4;
}

LargeBlock AllocPlane(uint32_t bytes) {
    return LargeBlock(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(bytes) + 4)));
}

// Blue, green, red and an unused byte per pixel, rows in block order.
void FillWorkingPlane(uint32_t width, uint32_t height, uint32_t depth, const RGBQUAD* palette, const uint8_t* pixels,
                      uint8_t* plane) {
    const size_t stride = SourceStride(width, depth);
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + y * stride;
        for (uint32_t x = 0; x < width; ++x, plane += 4) {
            if (depth == 8) {
                const RGBQUAD& c = palette[in[x]];
                plane[0] = c.rgbBlue;
                plane[1] = c.rgbGreen;
                plane[2] = c.rgbRed;
            } else {
                plane[0] = in[x * 3];
                plane[1] = in[x * 3 + 1];
                plane[2] = in[x * 3 + 2];
            }
        }
    }
}

uint8_t GreyOf(const ConverterTables& t, uint8_t blue, uint8_t green, uint8_t red) {
    return static_cast<uint8_t>(t.greyRed[red] + t.greyGreen[green] + t.greyBlue[blue]);
}

void FillGreyPlane(uint32_t width, uint32_t height, uint32_t depth, const RGBQUAD* palette, const uint8_t* pixels,
                   uint8_t* grey) {
    const ConverterTables& t = Tables();
    const size_t stride = SourceStride(width, depth);
    uint8_t paletteGrey[256];
    if (depth == 8) {
        for (int i = 0; i < 256; ++i)
            paletteGrey[i] = GreyOf(t, palette[i].rgbBlue, palette[i].rgbGreen, palette[i].rgbRed);
    }
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + y * stride;
        for (uint32_t x = 0; x < width; ++x) {
            *grey++ = depth == 8 ? paletteGrey[in[x]] : GreyOf(t, in[x * 3], in[x * 3 + 1], in[x * 3 + 2]);
        }
    }
}

// Adds one share of an error to a channel byte, clamped.
inline void Spread(const ConverterTables& t, uint8_t* value, int share, int error) {
    *value = t.clamp[*value + t.share[share][error + 255] + 255];
}

// Floyd-Steinberg on one channel at `offset` inside pixels of `step` bytes: right 7/16, lower
// left 3/16, lower 5/16, lower right 1/16; neighbours outside the image are skipped.
inline void Diffuse(const ConverterTables& t, uint8_t* plane, uint32_t width, uint32_t height, uint32_t x, uint32_t y,
                    uint32_t step, uint32_t offset, int error) {
    if (error == 0) return;
    uint8_t* here = plane + (static_cast<size_t>(y) * width + x) * step + offset;
    if (x + 1 < width) Spread(t, here + step, 3, error);
    if (y + 1 < height) {
        uint8_t* below = here + static_cast<size_t>(width) * step;
        if (x > 0) Spread(t, below - step, 1, error);
        Spread(t, below, 2, error);
        if (x + 1 < width) Spread(t, below + step, 0, error);
    }
}

// One bit per pixel as index 0 (black) or 1 (white) from a grey plane, which dithering alters.
void GreyToBits(uint32_t width, uint32_t height, bool dither, uint8_t* grey, uint8_t* indices) {
    const ConverterTables& t = Tables();
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            size_t at = static_cast<size_t>(y) * width + x;
            int value = grey[at];
            indices[at] = value >= 128 ? 1 : 0;
            if (dither) Diffuse(t, grey, width, height, x, y, 1, 0, value >= 128 ? value - 255 : value);
        }
    }
}

void BlackAndWhite(RGBQUAD* palette) {
    palette[0] = RGBQUAD{0, 0, 0, 0};
    palette[1] = RGBQUAD{255, 255, 255, 0};
}

// ---- median cut ------------------------------------------------------------------------------

struct MedianBox {
    uint8_t median[3];
    int splitChannel;
    int extent;
    uint8_t splitMaximum;
    uint32_t first; // positions [first, last)
    uint32_t last;
};

void MeasureBox(const uint8_t* plane, const uint32_t* positions, MedianBox* box) {
    uint32_t histogram[3][256] = {};
    for (uint32_t i = box->first; i < box->last; ++i) {
        const uint8_t* p = plane + static_cast<size_t>(positions[i]) * 4;
        ++histogram[0][p[0]];
        ++histogram[1][p[1]];
        ++histogram[2][p[2]];
    }
    const uint32_t half = (box->last - box->first) / 2;
    int minimum[3], maximum[3];
    for (int c = 0; c < 3; ++c) {
        minimum[c] = 255;
        maximum[c] = 0;
        uint32_t cumulative = 0;
        bool medianFound = false;
        for (int v = 0; v < 256; ++v) {
            if (!histogram[c][v]) continue;
            minimum[c] = std::min(minimum[c], v);
            maximum[c] = v;
            cumulative += histogram[c][v];
            if (!medianFound && cumulative > half) {
                box->median[c] = static_cast<uint8_t>(v);
                medianFound = true;
            }
        }
    }
    const int blue = maximum[0] - minimum[0];
    const int green = (maximum[1] - minimum[1]) * 2;
    const int red = (maximum[2] - minimum[2]) * 3 / 2;
    if (blue > green && blue > red)
        box->splitChannel = 0;
    else if (red >= green)
        box->splitChannel = 2;
    else
        box->splitChannel = 1;
    box->extent = std::max({blue, green, red});
    box->splitMaximum = static_cast<uint8_t>(maximum[box->splitChannel]);
}

// Splits the pixels of the plane into up to `wanted` boxes; writes their colours in the order the
// boxes were made and returns how many there are. Returns 0 when there is no memory.
uint32_t MedianCut(const uint8_t* plane, uint32_t pixelCount, uint32_t wanted, RGBQUAD* colours) {
    uint32_t positionBytes = 0;
    if (!CheckedMul32(pixelCount, 4, &positionBytes)) return 0;
    LargeBlock block = AllocPlane(positionBytes);
    if (!block) return 0;
    uint32_t* positions = reinterpret_cast<uint32_t*>(block.get());
    for (uint32_t i = 0; i < pixelCount; ++i)
        positions[i] = i;

    MedianBox boxes[256];
    uint32_t count = 1;
    boxes[0] = MedianBox{{0, 0, 0}, 0, 0, 0, 0, pixelCount};
    MeasureBox(plane, positions, &boxes[0]);
    while (count < wanted) {
        uint32_t pick = 0;
        for (uint32_t i = 1; i < count; ++i)
            if (boxes[i].extent > boxes[pick].extent) pick = i;
        MedianBox& box = boxes[pick];
        // a box of one colour cannot be split; every other box is then one colour too
        if (box.extent == 0) break;
        const int channel = box.splitChannel;
        int threshold = box.median[channel];
        if (threshold == box.splitMaximum) --threshold;
        uint32_t end = box.last;
        for (uint32_t i = box.first; i < end;) {
            if (plane[static_cast<size_t>(positions[i]) * 4 + channel] > threshold)
                std::swap(positions[i], positions[--end]);
            else
                ++i;
        }
        MedianBox& made = boxes[count++];
        made = MedianBox{{0, 0, 0}, 0, 0, 0, end, box.last};
        box.last = end;
        MeasureBox(plane, positions, &box);
        MeasureBox(plane, positions, &made);
    }
    for (uint32_t i = 0; i < count; ++i)
        colours[i] = RGBQUAD{boxes[i].median[0], boxes[i].median[1], boxes[i].median[2], 0};
    return count;
}

uint32_t Distance(const ConverterTables& t, const uint8_t* p, const RGBQUAD& c) {
    return t.squares[p[0] - c.rgbBlue + 255] + t.squares[p[1] - c.rgbGreen + 255] + t.squares[p[2] - c.rgbRed + 255];
}

// The image colour nearest to each fixed colour (first pixel on ties), appended to the palette.
void AddNearestFixed(const uint8_t* plane, uint32_t pixelCount, int fixedCount, RGBQUAD* palette) {
    const ConverterTables& t = Tables();
    for (int f = 0; f < fixedCount; ++f) {
        const RGBQUAD target{kCorners[f][0], kCorners[f][1], kCorners[f][2], 0};
        uint32_t best = UINT32_MAX;
        const uint8_t* found = plane;
        for (uint32_t i = 0; i < pixelCount && best; ++i) {
            const uint8_t* p = plane + static_cast<size_t>(i) * 4;
            uint32_t d = Distance(t, p, target);
            if (d < best) {
                best = d;
                found = p;
            }
        }
        palette[f] = RGBQUAD{found[0], found[1], found[2], 0};
    }
}

// Maps every pixel of the plane to its nearest palette entry (lowest index on ties), diffusing
// the error through the plane when dithering.
void MapToPalette(uint8_t* plane, uint32_t width, uint32_t height, const RGBQUAD* palette, uint32_t entries,
                  bool dither, uint8_t* indices) {
    const ConverterTables& t = Tables();
    // a small cache of colour -> index: photographs repeat colours a great deal
    constexpr uint32_t kCacheSize = 4096;
    uint32_t cacheKey[kCacheSize] = {};
    uint8_t cacheIndex[kCacheSize];
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            uint8_t* p = plane + at * 4;
            const uint32_t key = (p[0] | (p[1] << 8) | (p[2] << 16)) + 1;
            const uint32_t slot = (key * 2654435761u) >> 20;
            uint32_t index = 0;
            if (cacheKey[slot] == key) {
                index = cacheIndex[slot];
            } else {
                uint32_t best = UINT32_MAX;
                for (uint32_t i = 0; i < entries; ++i) {
                    uint32_t d = Distance(t, p, palette[i]);
                    if (d < best) {
                        best = d;
                        index = i;
                        if (!d) break;
                    }
                }
                cacheKey[slot] = key;
                cacheIndex[slot] = static_cast<uint8_t>(index);
            }
            indices[at] = static_cast<uint8_t>(index);
            if (dither) {
                const RGBQUAD& c = palette[index];
                Diffuse(t, plane, width, height, x, y, 4, 0, p[0] - c.rgbBlue);
                Diffuse(t, plane, width, height, x, y, 4, 1, p[1] - c.rgbGreen);
                Diffuse(t, plane, width, height, x, y, 4, 2, p[2] - c.rgbRed);
            }
        }
    }
}

struct ReductionPlan {
    uint32_t entries; // 2^depth
    uint32_t boxes;   // median-cut boxes when the image has more colours
    int fixedColours; // corners appended after the boxes (0, 5 or 8)
};

// The exact palette of an image with few enough colours. For an 8-bit source the entries are the
// distinct colours of the indices the pixels use, in index order, so that unused palette entries
// can never push a used colour past the target's range.
bool ExactFromPalette(const DepthConverter& c, const RGBQUAD* palette, const uint8_t* pixels, uint32_t limit,
                      RGBQUAD* target, uint8_t* indices, uint32_t* entries) {
    const uint32_t width = static_cast<uint32_t>(c.width), height = static_cast<uint32_t>(c.height);
    const size_t stride = SourceStride(width, 8);
    bool used[256] = {};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            used[pixels[y * stride + x]] = true;
    uint8_t map[256] = {};
    uint32_t count = 0;
    for (int i = 0; i < 256; ++i) {
        if (!used[i]) continue;
        uint32_t j = 0;
        while (j < count && std::memcmp(&target[j], &palette[i], 3) != 0)
            ++j;
        if (j == count) {
            if (count == limit) return false;
            target[count++] = RGBQUAD{palette[i].rgbBlue, palette[i].rgbGreen, palette[i].rgbRed, 0};
        }
        map[i] = static_cast<uint8_t>(j);
    }
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            indices[static_cast<size_t>(y) * width + x] = map[pixels[y * stride + x]];
    *entries = count;
    return true;
}

// 24-bit colours in the order first met, then by blue + green + red (stable: earlier first).
void ExactFromPlane(const uint8_t* plane, uint32_t pixelCount, uint32_t distinct, RGBQUAD* target, uint8_t* indices) {
    uint32_t keys[256];
    uint32_t count = 0;
    for (uint32_t i = 0; i < pixelCount && count < distinct; ++i) {
        const uint8_t* p = plane + static_cast<size_t>(i) * 4;
        uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16);
        if (std::find(keys, keys + count, key) == keys + count) keys[count++] = key;
    }
    auto sum = [](uint32_t k) { return (k & 0xFF) + ((k >> 8) & 0xFF) + (k >> 16); };
    std::stable_sort(keys, keys + count, [&](uint32_t a, uint32_t b) { return sum(a) < sum(b); });
    for (uint32_t i = 0; i < count; ++i)
        target[i] =
            RGBQUAD{static_cast<BYTE>(keys[i]), static_cast<BYTE>(keys[i] >> 8), static_cast<BYTE>(keys[i] >> 16), 0};
    // look-up by sorted key; runs of one colour skip the search
    uint32_t sortedKeys[256];
    uint8_t sortedIndex[256];
    for (uint32_t i = 0; i < count; ++i)
        sortedKeys[i] = keys[i];
    std::sort(sortedKeys, sortedKeys + count);
    for (uint32_t i = 0; i < count; ++i)
        sortedIndex[i] = static_cast<uint8_t>(std::find(keys, keys + count, sortedKeys[i]) - keys);
    uint32_t lastKey = UINT32_MAX;
    uint8_t lastIndex = 0;
    for (uint32_t i = 0; i < pixelCount; ++i) {
        const uint8_t* p = plane + static_cast<size_t>(i) * 4;
        uint32_t key = p[0] | (p[1] << 8) | (p[2] << 16);
        if (key != lastKey) {
            lastKey = key;
            lastIndex = sortedIndex[std::lower_bound(sortedKeys, sortedKeys + count, key) - sortedKeys];
        }
        indices[i] = lastIndex;
    }
}

// Colour reduction of an 8- or 24-bit source into one index byte per pixel (rows unpadded).
bool ReduceColours(DepthConverter* c, const ReductionPlan& plan, const RGBQUAD* sourcePalette,
                   const uint8_t* sourcePixels, RGBQUAD* targetPalette, uint8_t* indices) {
    const uint32_t width = static_cast<uint32_t>(c->width), height = static_cast<uint32_t>(c->height);
    const uint32_t pixelCount = width * height; // checked by the caller
    uint32_t entries = 0;
    if (c->sourceDepth == 8 &&
        ExactFromPalette(*c, sourcePalette, sourcePixels, plan.entries, targetPalette, indices, &entries)) {
        c->paletteCount = entries;
        return true;
    }
    std::memset(targetPalette, 0, 256 * sizeof(RGBQUAD));
    uint32_t planeBytes = 0;
    if (!PlaneBytes(width, height, 4, &planeBytes)) return Fail(c, kCodecCannotConvert);
    LargeBlock plane = AllocPlane(planeBytes);
    if (!plane) return Fail(c, kCodecOutOfMemory);
    FillWorkingPlane(width, height, c->sourceDepth, sourcePalette, sourcePixels, plane.get());
    if (c->sourceDepth == 24) {
        uint32_t distinct = CountDistinctColours(plane.get(), width, height, 4);
        if (distinct == 0) return Fail(c, kCodecOutOfMemory);
        if (distinct <= plan.entries) {
            ExactFromPlane(plane.get(), pixelCount, distinct, targetPalette, indices);
            c->paletteCount = distinct;
            return true;
        }
    }
    if (pixelCount >= (1u << 30)) return Fail(c, kCodecCannotConvert);
    uint32_t made = MedianCut(plane.get(), pixelCount, plan.boxes, targetPalette);
    if (made == 0) return Fail(c, kCodecOutOfMemory);
    if (plan.fixedColours) AddNearestFixed(plane.get(), pixelCount, plan.fixedColours, targetPalette + made);
    entries = made + plan.fixedColours;
    MapToPalette(plane.get(), width, height, targetPalette, entries, c->dither, indices);
    c->paletteCount = entries;
    return true;
}

// 1 bit from 8 or 24: grey, then threshold or dither.
bool ReduceToBits(DepthConverter* c, const RGBQUAD* sourcePalette, const uint8_t* sourcePixels, RGBQUAD* targetPalette,
                  uint8_t* indices) {
    const uint32_t width = static_cast<uint32_t>(c->width), height = static_cast<uint32_t>(c->height);
    uint32_t bytes = 0;
    if (!PlaneBytes(width, height, 1, &bytes)) return Fail(c, kCodecCannotConvert);
    LargeBlock grey = AllocPlane(bytes);
    if (!grey) return Fail(c, kCodecOutOfMemory);
    FillGreyPlane(width, height, c->sourceDepth, sourcePalette, sourcePixels, grey.get());
    GreyToBits(width, height, c->dither, grey.get(), indices);
    BlackAndWhite(targetPalette);
    c->paletteCount = 2;
    return true;
}

// Packs one index byte per pixel into rows of the target stride, most significant bits first.
void PackIndices(const DepthConverter& c, const uint8_t* indices, uint8_t* target) {
    const uint32_t width = static_cast<uint32_t>(c.width), height = static_cast<uint32_t>(c.height);
    const uint32_t depth = c.targetDepth;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = indices + static_cast<size_t>(y) * width;
        uint8_t* out = target + static_cast<size_t>(y) * c.stride;
        std::memset(out, 0, c.stride);
        if (depth == 8) {
            std::memcpy(out, in, width);
            continue;
        }
        const uint32_t perByte = 8 / depth;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t shift = 8 - depth * (x % perByte + 1);
            out[x / perByte] |= static_cast<uint8_t>(in[x] << shift);
        }
    }
}

// 1, 2, 4 or 8 bits to 8 (indices, palette kept) or 24 (colours looked up).
void Unpack(const DepthConverter& c, const RGBQUAD* palette, const uint8_t* pixels, RGBQUAD* targetPalette,
            uint8_t* target) {
    const uint32_t width = static_cast<uint32_t>(c.width), height = static_cast<uint32_t>(c.height);
    const uint32_t depth = c.sourceDepth;
    const size_t stride = SourceStride(width, depth);
    const uint32_t entries = 1u << depth;
    if (c.targetDepth == 8) std::memcpy(targetPalette, palette, entries * sizeof(RGBQUAD));
    const uint32_t mask = entries - 1;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = pixels + y * stride;
        uint8_t* out = target + static_cast<size_t>(y) * c.stride;
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t bit = x * depth;
            uint32_t index = (in[bit >> 3] >> (8 - depth - (bit & 7))) & mask;
            if (c.targetDepth == 8) {
                out[x] = static_cast<uint8_t>(index);
            } else {
                out[x * 3] = palette[index].rgbBlue;
                out[x * 3 + 1] = palette[index].rgbGreen;
                out[x * 3 + 2] = palette[index].rgbRed;
            }
        }
    }
}

bool Copy24(const DepthConverter& c, const uint8_t* pixels, uint8_t* target) {
    const uint32_t height = static_cast<uint32_t>(c.height);
    const size_t sourceStride = SourceStride(static_cast<uint32_t>(c.width), 24);
    for (uint32_t y = 0; y < height; ++y)
        std::memcpy(target + static_cast<size_t>(y) * c.stride, pixels + y * sourceStride, c.packedRowBytes);
    return true;
}

// Width and height checked, and the per-pixel index buffer of a reduction.
bool PrepareIndices(DepthConverter* c, LargeBlock* indices) {
    uint32_t bytes = 0;
    if (!PlaneBytes(static_cast<uint32_t>(c->width), static_cast<uint32_t>(c->height), 1, &bytes))
        return Fail(c, kCodecCannotConvert);
    indices->reset(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(bytes) + 4)));
    if (!*indices) return Fail(c, kCodecOutOfMemory);
    return true;
}

} // namespace

bool ConfigureDepthConverter(DepthConverter* converter, int32_t width, int32_t height, uint32_t sourceDepth,
                             uint32_t targetDepth, bool dither) {
    DepthConverter& c = *converter;
    c = DepthConverter{};
    c.width = width < 0 ? 0 : width;
    c.height = height < 0 ? 0 : height;
    c.sourceDepth = sourceDepth;
    c.targetDepth = targetDepth;
    c.dither = dither;
    const uint64_t bits = static_cast<uint64_t>(c.width) * targetDepth;
    const uint64_t packed = (bits + 7) / 8;
    const uint64_t stride = targetDepth == 32 ? packed : (packed + 3) & ~uint64_t{3};
    const uint64_t total = stride * static_cast<uint64_t>(c.height);
    if (stride > UINT32_MAX || total > UINT32_MAX) {
        c.status = kCodecCannotConvert;
        return false;
    }
    c.packedRowBytes = static_cast<uint32_t>(packed);
    c.stride = static_cast<uint32_t>(stride);
    c.totalBytes = static_cast<uint32_t>(total);
    return true;
}

bool ConvertDepth(DepthConverter* converter, const RGBQUAD* sourcePalette, const uint8_t* sourcePixels,
                  RGBQUAD* targetPalette, uint8_t* targetPixels) {
    DepthConverter* c = converter;
    c->status = kCodecOk;
    c->paletteCount = 0;
    const uint32_t from = c->sourceDepth, to = c->targetDepth;
    if (c->totalBytes == 0 && c->width && c->height) return Fail(c, kCodecCannotConvert);
    const bool packedSource = from == 1 || from == 2 || from == 4;
    if ((packedSource || from == 8) && (to == 8 || to == 24) && (from != 8 || to == 24)) {
        Unpack(*c, sourcePalette, sourcePixels, targetPalette, targetPixels);
        c->paletteCount = to == 8 ? 1u << from : 0;
        return true;
    }
    if (from == 8 && to == 8) {
        std::memcpy(targetPalette, sourcePalette, 256 * sizeof(RGBQUAD));
        const uint32_t width = static_cast<uint32_t>(c->width), height = static_cast<uint32_t>(c->height);
        const size_t stride = SourceStride(width, 8);
        uint32_t highest = 0;
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = sourcePixels + y * stride;
            std::memcpy(targetPixels + static_cast<size_t>(y) * c->stride, row, stride);
            for (uint32_t x = 0; x < width; ++x)
                highest = std::max<uint32_t>(highest, row[x]);
        }
        c->paletteCount = highest + 1;
        return true;
    }
    if (from == 24 && to == 24) return Copy24(*c, sourcePixels, targetPixels);
    if ((from != 8 && from != 24) || (to != 1 && to != 2 && to != 4 && to != 8)) return Fail(c, kCodecCannotConvert);

    LargeBlock indices;
    if (!PrepareIndices(c, &indices)) return false;
    std::memset(targetPalette, 0, 256 * sizeof(RGBQUAD));
    bool ok = false;
    if (to == 1) {
        ok = ReduceToBits(c, sourcePalette, sourcePixels, targetPalette, indices.get());
    } else {
        ReductionPlan plan{1u << to, 0, 0};
        if (to == 2)
            plan.boxes = 4;
        else
            plan = c->dither ? ReductionPlan{plan.entries, plan.entries - 8, 8}
                             : ReductionPlan{plan.entries, plan.entries, 0};
        ok = ReduceColours(c, plan, sourcePalette, sourcePixels, targetPalette, indices.get());
    }
    if (!ok) return false;
    PackIndices(*c, indices.get(), targetPixels);
    return true;
}

bool ConvertForGif(DepthConverter* converter, const RGBQUAD* sourcePalette, const uint8_t* sourcePixels,
                   RGBQUAD* targetPalette, uint8_t* targetPlane) {
    DepthConverter* c = converter;
    c->status = kCodecOk;
    c->paletteCount = 0;
    const uint32_t from = c->sourceDepth, depth = c->targetDepth;
    if ((from != 8 && from != 24) || depth < 1 || depth > 8) return Fail(c, kCodecCannotConvert);
    LargeBlock indices;
    if (!PrepareIndices(c, &indices)) return false;
    std::memset(targetPalette, 0, 256 * sizeof(RGBQUAD));
    bool ok = false;
    if (depth == 1) {
        ok = ReduceToBits(c, sourcePalette, sourcePixels, targetPalette, indices.get());
    } else {
        const uint32_t entries = 1u << depth;
        ReductionPlan plan{entries, entries, 0};
        if (c->dither && depth == 3)
            plan = ReductionPlan{entries, 3, kFiveColours};
        else if (c->dither && depth >= 4)
            plan = ReductionPlan{entries, entries - 8, 8};
        ok = ReduceColours(c, plan, sourcePalette, sourcePixels, targetPalette, indices.get());
    }
    if (!ok) return false;
    const uint32_t width = static_cast<uint32_t>(c->width), height = static_cast<uint32_t>(c->height);
    const size_t planeStride = (static_cast<size_t>(width) + 3) & ~size_t{3};
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* out = targetPlane + y * planeStride;
        std::memcpy(out, indices.get() + static_cast<size_t>(y) * width, width);
        std::memset(out + width, 0, planeStride - width);
    }
    return true;
}

bool ToGrey(const DepthConverter& converter, const RGBQUAD* sourcePalette, const uint8_t* sourcePixels,
            uint8_t* greyPlane) {
    if (converter.sourceDepth != 8 && converter.sourceDepth != 24) return false;
    FillGreyPlane(static_cast<uint32_t>(converter.width), static_cast<uint32_t>(converter.height),
                  converter.sourceDepth, sourcePalette, sourcePixels, greyPlane);
    return true;
}

} // namespace qv
