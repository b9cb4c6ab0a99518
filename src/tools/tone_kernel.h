// The tone and colour tools as passes over pixels, and the per-channel ones among them (negative,
// posterize, per-channel gamma, brightness and contrast).
//
// Every tone tool prepares a TonePass from its parameters: a band kernel plus the tables it reads.
// The tool window's worker calls RunTonePass on each recompute (the mask blend follows the kernel
// on the same band); an 8-bit palette image instead keeps its indices and gets MapTonePalette's
// palette, which runs the 256 entries through the very same band kernel, so the palette and pixel
// paths cannot drift apart. The immediate operations and quorvel-cli call ApplyToneInPlace.
// A tool whose parameters are neutral (IsNeutral...) prepares CopyPass, and Apply records nothing.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"
#include "tools/kernel_job.h"
#include "tools/kernel_path.h"

namespace qv {

struct TonePass {
    BandKernel band = nullptr; // writes dest rows of the band from the source, without the mask
    const void* op = nullptr;  // the prepared tables `band` reads; owned by the caller
};

// Runs the pass over job's rows on `threads` bands, then blends each band with job.mask.
void RunTonePass(const TonePass& pass, const KernelJob& job, int threads);

// The 256 entries of `in` through the pass (no mask: palette entries are shared by many pixels).
// The reserved bytes are kept. `in` and `out` may be the same array.
void MapTonePalette(const TonePass& pass, const RGBQUAD* in, RGBQUAD* out);

// The tool result of the pass over `image`: a new pixel block of the same size and depth. For 24
// bits the kernel ran with `mask` (or none); for 8 bits the indices are copied and `palette`
// receives the mapped colour table. Null without memory or for another depth.
uint8_t* RunToneOnImage(const ImageBuffer& image, const TonePass& pass, const uint8_t* mask, int threads,
                        RGBQUAD* palette);

// RunToneOnImage, then the result replaces the image's pixels (and palette) as a tool result.
bool ApplyToneInPlace(ImageBuffer* image, const TonePass& pass, const uint8_t* mask, int threads);

// Per-colour tools write a small record with
//   void Map(const uint8_t* __restrict bgr, uint8_t* __restrict out) const;
// this band kernel applies it to every pixel of the band. The restrict promise (dest is neither the
// source nor the op) spares a reload of every table pointer after each byte written.
template <class Op> void ColourBand(const KernelJob& job, const void* op) {
    const Op& o = *static_cast<const Op*>(op);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* __restrict s = job.source + static_cast<size_t>(y) * job.stride;
        uint8_t* __restrict d = job.dest + static_cast<size_t>(y) * job.stride;
        for (int32_t x = 0; x < job.width; ++x, s += 3, d += 3)
            o.Map(s, d);
    }
}
template <class Op> TonePass ColourPass(const Op* op) {
    return TonePass{ColourBand<Op>, op};
}

// ColourBand with a faster row function in front: `Row` does the pixels it can from the left of
// the row and returns how many, Map does the rest.
template <class Op, int32_t (*Row)(const uint8_t* source, uint8_t* dest, int32_t width, const Op& op)>
void VectorColourBand(const KernelJob& job, const void* op) {
    const Op& o = *static_cast<const Op*>(op);
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* s = job.source + static_cast<size_t>(y) * job.stride;
        uint8_t* d = job.dest + static_cast<size_t>(y) * job.stride;
        int32_t x = Row(s, d, job.width, o);
        for (s += 3 * x, d += 3 * x; x < job.width; ++x, s += 3, d += 3)
            o.Map(s, d);
    }
}

// The pass of a neutral tool: the source as it is.
TonePass CopyPass();

// ---- per-channel look-ups: out = table[v] for each channel

struct ChannelLookup {
    uint8_t blue[256];
    uint8_t green[256];
    uint8_t red[256];
};

// Best takes 512-bit byte permutes where the processor has them; Plain is the reference the tests
// hold them to.
TonePass LookupPass(const ChannelLookup* lookup, KernelPath path = KernelPath::Best);

// Negative (immediate): 255 - v; ApplyNegative is the whole operation on an image.
void BuildNegativeLookup(ChannelLookup* lookup);
bool ApplyNegative(ImageBuffer* image, const uint8_t* mask, int threads);

// ---- posterize

constexpr int32_t kPosterizeLevelsMin = 2;
constexpr int32_t kPosterizeLevelsMax = 32;
constexpr int32_t kPosterizeLevelsDefault = 5;
constexpr int32_t kPosterizeDragPixelsPerStep = 8;

struct PosterizeParams {
    int32_t blue = kPosterizeLevelsDefault;
    int32_t green = kPosterizeLevelsDefault;
    int32_t red = kPosterizeLevelsDefault;
    int32_t common = kPosterizeLevelsDefault; // every channel's count while synchronised
    bool sync = true;
};

// Posterize has no neutral setting: even 32 levels move most values.
inline bool IsNeutralPosterize(const PosterizeParams&) {
    return false;
}
// The band table of `levels` (clamped to at least 2) levels.
void BuildPosterizeTable(int32_t levels, uint8_t* table);
void BuildPosterizeLookup(const PosterizeParams& params, ChannelLookup* lookup);
// A level count dragged `dx` pixels from `atPress` on its label: one level per eight pixels.
int32_t PosterizeLevelsAfterDrag(int32_t atPress, int32_t dx);

// ---- per-channel gamma, brightness and contrast: one tool, three modes

enum class ChannelAdjustMode : int32_t { kGamma = 0, kBrightness = 1, kContrast = 2 };

struct ChannelValues {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

struct ChannelAdjustParams {
    ChannelAdjustMode mode = ChannelAdjustMode::kGamma;
    bool linked = true;      // one value drives all three channels
    ChannelValues values[3]; // per mode, in the mode's order
};

struct ValueRange {
    int32_t min;
    int32_t max;
};

ValueRange ChannelAdjustRange(ChannelAdjustMode mode);
// The history label (and command) of a mode: 5161, 5162 or 5163.
int32_t ChannelAdjustCommand(ChannelAdjustMode mode);
// Stores `value` (clamped to the mode's range) for channel 0 red, 1 green, 2 blue of the current
// mode; while linked, for all three.
void SetChannelAdjustValue(ChannelAdjustParams* params, int32_t channel, int32_t value);
// Linking makes the green and blue values follow the red one at once.
void SetChannelAdjustLinked(ChannelAdjustParams* params, bool linked);
bool IsNeutralChannelAdjust(const ChannelAdjustParams& params);

// The mean luminance Y that contrast pivots on: per row the sums of 117 b, 601 g and 306 r, each
// shifted right by 10, summed over the rows and divided by the pixel count. An 8-bit image counts
// its palette colours; any other depth, or no pixels, gives 128. The tool computes it once.
int32_t MeanLuminance(const ImageBuffer& image);
int32_t MeanLuminance24(const uint8_t* pixels, int32_t width, int32_t height);

void BuildChannelAdjustLookup(const ChannelAdjustParams& params, int32_t meanLuminance, ChannelLookup* lookup);

} // namespace qv
