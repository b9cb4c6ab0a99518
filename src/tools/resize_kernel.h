// Resize (command 5121): the arithmetic of its controls and the scaling on Apply. The tool has
// no worker and no preview: the window calls the Resize* functions from its control handlers,
// and on Apply (when ResizeChangesImage) ResizePixels on the GUI thread, committing the block
// with TakeToolResult and label 5121; a null block is message 30003.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"
#include "image/resample.h"
#include "tools/size_presets.h"

namespace qv {

// What the width and height fields and the check box hold. Each field takes 1 ... 2 x the
// image's side, the most one resampling enlarges.
struct ResizeParams {
    int32_t width = 0;
    int32_t height = 0;
    bool independent = false; // the check box: the other side no longer follows the aspect ratio
};

// The fields as the tool opens: the image's own size, sides linked.
ResizeParams InitialResize(int32_t imageWidth, int32_t imageHeight);

// A typed or dragged width (clamped to 1 ... 2 W); with linked sides the height follows as
// round(width x H / W), clamped to 1 ... 2 H. ResizeSetHeight is the same the other way round.
void ResizeSetWidth(ResizeParams* p, int64_t width, int32_t imageWidth, int32_t imageHeight);
void ResizeSetHeight(ResizeParams* p, int64_t height, int32_t imageWidth, int32_t imageHeight);

// The check box. Clearing it puts the width back to the image's width, which brings the height
// back to the image's height through the aspect rule.
void ResizeSetIndependent(ResizeParams* p, bool independent, int32_t imageWidth, int32_t imageHeight);

// The value a drag over a side's label gives: (side / 256 + 1) per pixel from the value at the
// press, clamped to 1 ... 2 x side, so a large image needs no long drags.
int32_t ResizeLabelDrag(int32_t valueAtPress, int32_t dxPixels, int32_t imageSide);

// A choice from the preset list: both sides set the check box and both fields; only a width (or
// only a height) clears the check box and sets that side, the other following. An empty preset
// changes nothing (false).
bool ResizeChoosePreset(ResizeParams* p, const SizePreset& preset, int32_t imageWidth, int32_t imageHeight);

// Apply does something only for a size other than the image's.
bool ResizeChangesImage(const ImageBuffer& image, int32_t width, int32_t height);

// The image (8-bit expanded through its palette) scaled into a new 24-bit block of width x height,
// or null when resampling refuses the size, the block would reach 2^32 bytes or memory is short.
uint8_t* ResizePixels(const ImageBuffer& image, int32_t width, int32_t height, int threads);

// A ResampleRunner that hands the bands to RunKernelBands, so the passes use several cores.
void ResampleOnKernelBands(ResampleBand band, const void* work, int32_t rows, int threads);

} // namespace qv
