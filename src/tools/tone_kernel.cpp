#include "tools/tone_kernel.h"

#include <cstring>

#include "model/command_ids.h"
#include "tools/mask_blend.h"
#include "tools/tone_bands_avx512.h"
#include "tools/tone_tables.h"
#include "tools/tool_result.h"

namespace qv {

namespace {

void PassBand(const KernelJob& job, const void* pass) {
    const TonePass& p = *static_cast<const TonePass*>(pass);
    p.band(job, p.op);
    BlendBandWithMask(job);
}

void CopyBand(const KernelJob& job, const void*) {
    size_t offset = static_cast<size_t>(job.rowBegin) * job.stride;
    std::memcpy(job.dest + offset, job.source + offset, static_cast<size_t>(job.rowEnd - job.rowBegin) * job.stride);
}

// One load per byte: on x86-64 without byte permutes there is nothing faster (neither eight bytes
// at a time in a word, a two-byte table of pairs nor 256-bit gathers measured better).
void LookupRowPlain(const uint8_t* __restrict s, uint8_t* __restrict d, int32_t begin, int32_t width,
                    const ChannelLookup& t) {
    s += 3 * begin, d += 3 * begin;
    for (int32_t x = begin; x < width; ++x, s += 3, d += 3) {
        d[0] = t.blue[s[0]];
        d[1] = t.green[s[1]];
        d[2] = t.red[s[2]];
    }
}

void LookupBand(const KernelJob& job, const void* op) {
    const ChannelLookup& t = *static_cast<const ChannelLookup*>(op);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        size_t offset = static_cast<size_t>(y) * job.stride;
        LookupRowPlain(job.source + offset, job.dest + offset, 0, job.width, t);
    }
}

void LookupBandAvx512(const KernelJob& job, const void* op) {
    const ChannelLookup& t = *static_cast<const ChannelLookup*>(op);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        size_t offset = static_cast<size_t>(y) * job.stride;
        const uint8_t* s = job.source + offset;
        uint8_t* d = job.dest + offset;
        int32_t done = LookupRowAvx512(s, d, job.width, t.blue, t.green, t.red);
        LookupRowPlain(s, d, done, job.width, t);
    }
}

} // namespace

void RunTonePass(const TonePass& pass, const KernelJob& job, int threads) {
    RunKernelBands(job, PassBand, &pass, threads);
}

void MapTonePalette(const TonePass& pass, const RGBQUAD* in, RGBQUAD* out) {
    // the palette as one 256-pixel row, so it takes exactly the path the pixels take
    uint8_t row[256 * 3], mapped[256 * 3];
    for (int i = 0; i < 256; ++i) {
        row[i * 3] = in[i].rgbBlue;
        row[i * 3 + 1] = in[i].rgbGreen;
        row[i * 3 + 2] = in[i].rgbRed;
    }
    KernelJob job = WholeImageJob(row, mapped, 256, 1, nullptr);
    pass.band(job, pass.op);
    for (int i = 0; i < 256; ++i) {
        out[i].rgbBlue = mapped[i * 3];
        out[i].rgbGreen = mapped[i * 3 + 1];
        out[i].rgbRed = mapped[i * 3 + 2];
        out[i].rgbReserved = in[i].rgbReserved;
    }
}

uint8_t* RunToneOnImage(const ImageBuffer& image, const TonePass& pass, const uint8_t* mask, int threads,
                        RGBQUAD* palette) {
    uint32_t w = static_cast<uint32_t>(image.header.biWidth), h = static_cast<uint32_t>(image.header.biHeight);
    uint16_t bits = image.header.biBitCount;
    if (image.pixels == nullptr || (bits != 8 && bits != 24)) return nullptr;
    CodecStatus status = kCodecOk;
    uint8_t* block = AllocPixelBlock(w, h, bits, &status);
    if (block == nullptr) return nullptr;
    if (bits == 8) {
        std::memcpy(block, image.pixels, static_cast<size_t>(ImageStride(w, 8)) * h);
        MapTonePalette(pass, image.palette, palette);
        return block;
    }
    KernelJob job = WholeImageJob(image.pixels, block, static_cast<int32_t>(w), static_cast<int32_t>(h), mask);
    RunTonePass(pass, job, threads);
    return block;
}

bool ApplyToneInPlace(ImageBuffer* image, const TonePass& pass, const uint8_t* mask, int threads) {
    RGBQUAD palette[256];
    uint8_t* block = RunToneOnImage(*image, pass, mask, threads, palette);
    if (block == nullptr) return false;
    uint16_t bits = image->header.biBitCount;
    TakeToolResult(image, block, image->header.biWidth, image->header.biHeight, bits);
    if (bits == 8) std::memcpy(image->palette, palette, sizeof palette);
    return true;
}

TonePass CopyPass() {
    return TonePass{CopyBand, nullptr};
}

TonePass LookupPass(const ChannelLookup* lookup, KernelPath path) {
    bool wide = path == KernelPath::Best && HasToneAvx512();
    return TonePass{wide ? LookupBandAvx512 : LookupBand, lookup};
}

void BuildNegativeLookup(ChannelLookup* lookup) {
    for (int v = 0; v < 256; ++v)
        lookup->blue[v] = lookup->green[v] = lookup->red[v] = static_cast<uint8_t>(255 - v);
}

bool ApplyNegative(ImageBuffer* image, const uint8_t* mask, int threads) {
    ChannelLookup lookup;
    BuildNegativeLookup(&lookup);
    return ApplyToneInPlace(image, LookupPass(&lookup), mask, threads);
}

// ---- posterize

void BuildPosterizeTable(int32_t levels, uint8_t* table) {
    int32_t n = ClampInt(levels, kPosterizeLevelsMin, kPosterizeLevelsMax);
    if (n == 2) {
        for (int v = 0; v < 256; ++v)
            table[v] = v < 128 ? 0 : 255;
        return;
    }
    // band k (1..n-2) holds round(k s) from round((k - 1/2) s) up to round((k + 1/2) s) - 1; below
    // the first band 0, from round((n - 3/2) s) upward 255. round(x / 2) = (x + 1) / 2 here.
    int32_t s = 256 / (n - 1);
    int v = 0;
    for (; v < (s + 1) / 2; ++v)
        table[v] = 0;
    for (int32_t k = 1; k <= n - 2; ++k)
        for (int32_t end = ((2 * k + 1) * s + 1) / 2; v < end; ++v)
            table[v] = static_cast<uint8_t>(k * s);
    for (; v < 256; ++v)
        table[v] = 255;
}

void BuildPosterizeLookup(const PosterizeParams& params, ChannelLookup* lookup) {
    BuildPosterizeTable(params.sync ? params.common : params.blue, lookup->blue);
    BuildPosterizeTable(params.sync ? params.common : params.green, lookup->green);
    BuildPosterizeTable(params.sync ? params.common : params.red, lookup->red);
}

int32_t PosterizeLevelsAfterDrag(int32_t atPress, int32_t dx) {
    return ClampInt(atPress + dx / kPosterizeDragPixelsPerStep, kPosterizeLevelsMin, kPosterizeLevelsMax);
}

// ---- per-channel gamma, brightness and contrast

ValueRange ChannelAdjustRange(ChannelAdjustMode mode) {
    switch (mode) {
    case ChannelAdjustMode::kBrightness: return {-255, 255};
    case ChannelAdjustMode::kContrast: return {-100, 100};
    case ChannelAdjustMode::kGamma: break;
    }
    return {kGammaMin, kGammaMax};
}

int32_t ChannelAdjustCommand(ChannelAdjustMode mode) {
    switch (mode) {
    case ChannelAdjustMode::kBrightness: return kCmdBrightness;
    case ChannelAdjustMode::kContrast: return kCmdContrast;
    case ChannelAdjustMode::kGamma: break;
    }
    return kCmdGamma;
}

void SetChannelAdjustValue(ChannelAdjustParams* params, int32_t channel, int32_t value) {
    ValueRange range = ChannelAdjustRange(params->mode);
    value = ClampInt(value, range.min, range.max);
    ChannelValues& v = params->values[static_cast<int>(params->mode)];
    if (params->linked) {
        v.red = v.green = v.blue = value;
        return;
    }
    (channel == 0 ? v.red : channel == 1 ? v.green : v.blue) = value;
}

void SetChannelAdjustLinked(ChannelAdjustParams* params, bool linked) {
    params->linked = linked;
    if (!linked) return;
    for (ChannelValues& v : params->values)
        v.green = v.blue = v.red;
}

bool IsNeutralChannelAdjust(const ChannelAdjustParams& params) {
    const ChannelValues& v = params.values[static_cast<int>(params.mode)];
    return v.red == 0 && v.green == 0 && v.blue == 0;
}

int32_t MeanLuminance24(const uint8_t* pixels, int32_t width, int32_t height) {
    if (pixels == nullptr || width <= 0 || height <= 0) return 128;
    uint32_t stride = ImageStride(static_cast<uint32_t>(width), 24);
    uint64_t total = 0;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* p = pixels + static_cast<size_t>(y) * stride;
        uint64_t b = 0, g = 0, r = 0;
        for (int32_t x = 0; x < width; ++x, p += 3)
            b += p[0], g += p[1], r += p[2];
        total += ((117 * b) >> 10) + ((601 * g) >> 10) + ((306 * r) >> 10);
    }
    return static_cast<int32_t>(total / (static_cast<uint64_t>(width) * static_cast<uint32_t>(height)));
}

int32_t MeanLuminance(const ImageBuffer& image) {
    int32_t width = image.header.biWidth, height = image.header.biHeight;
    if (image.pixels == nullptr || width <= 0 || height <= 0) return 128;
    if (image.header.biBitCount == 24) return MeanLuminance24(image.pixels, width, height);
    if (image.header.biBitCount != 8) return 128;
    uint32_t stride = ImageStride(static_cast<uint32_t>(width), 8);
    uint64_t total = 0;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* p = image.pixels + static_cast<size_t>(y) * stride;
        uint64_t b = 0, g = 0, r = 0;
        for (int32_t x = 0; x < width; ++x) {
            const RGBQUAD& c = image.palette[p[x]];
            b += c.rgbBlue, g += c.rgbGreen, r += c.rgbRed;
        }
        total += ((117 * b) >> 10) + ((601 * g) >> 10) + ((306 * r) >> 10);
    }
    return static_cast<int32_t>(total / (static_cast<uint64_t>(width) * static_cast<uint32_t>(height)));
}

namespace {

void BuildAdjustTable(ChannelAdjustMode mode, int32_t value, int32_t mean, uint8_t* table) {
    const uint8_t* curve = GammaCurve(GetToneTables(), ClampInt(value, kGammaMin, kGammaMax));
    // contrast is gentler below zero: 512 / 65536 of the distance from the mean per step, 2048 above
    int32_t factor = value <= 0 ? value * 512 : value * 2048;
    for (int32_t v = 0; v < 256; ++v) {
        switch (mode) {
        case ChannelAdjustMode::kGamma: table[v] = curve[v]; break;
        case ChannelAdjustMode::kBrightness: table[v] = ClampByte(v + value); break;
        case ChannelAdjustMode::kContrast: table[v] = ClampByte(v + ((factor * (v - mean)) >> 16)); break;
        }
    }
}

} // namespace

void BuildChannelAdjustLookup(const ChannelAdjustParams& params, int32_t meanLuminance, ChannelLookup* lookup) {
    const ChannelValues& v = params.values[static_cast<int>(params.mode)];
    BuildAdjustTable(params.mode, v.red, meanLuminance, lookup->red);
    BuildAdjustTable(params.mode, v.green, meanLuminance, lookup->green);
    BuildAdjustTable(params.mode, v.blue, meanLuminance, lookup->blue);
}

} // namespace qv
