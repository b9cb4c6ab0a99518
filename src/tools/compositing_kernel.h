// Image compositing (5193): a second image laid over the working copy at a point of it, in one of
// four blend modes, with an opacity and optionally one overlay colour that lets the base show
// through. What lies outside the image is clipped; the rest of the image is copied unchanged. The
// tool window and quorvel-cli's `--composite` both run CompositeOverlay.
#pragma once

#include <cstdint>

#include "tools/kernel_job.h"

namespace qv {

enum CompositeMode : int32_t { kMixNormal = 0, kMixMultiply = 1, kMixScreen = 2, kMixOverlay = 3 };
constexpr int32_t kMixModeLast = kMixOverlay;
constexpr int32_t kMixAlphaDefault = 100; // MixAlpha

// A 24-bit overlay as an ImageBuffer keeps it: blue, green, red, rows bottom-up, padded to 4 bytes.
struct OverlayPixels {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;
    const uint8_t* pixels = nullptr;
};

struct CompositeParams {
    int32_t mode = kMixNormal;          // MixMode; other values blend as normal
    int32_t opacity = kMixAlphaDefault; // MixAlpha, percent 0-100
    bool transparent = false;           // MixTrans: overlay pixels of `colour` leave the base visible
    uint32_t colour = 0xFFFFFF;         // MixCol, packed red | green << 8 | blue << 16
    int32_t x = 0, y = 0;               // the overlay's top-left in image pixels, from the top-left
};

// A named mode of quorvel-cli ("normal", "multiply", "screen", "overlay"); false for another name.
bool CompositeModeFromName(const char* name, int32_t* mode);

// Nothing would change: no overlay, opacity 0, or an overlay wholly outside the image.
bool IsNeutralComposite(const KernelJob& job, const OverlayPixels& overlay, const CompositeParams& p);

// Writes job.dest rows [rowBegin, rowEnd): the source, with the overlay blended where it lies.
// The selection mask is not used.
void CompositeOverlay(const KernelJob& job, const OverlayPixels& overlay, const CompositeParams& p);

} // namespace qv
