#include "tools/resize_kernel.h"

#include <algorithm>

#include "platform/platform.h"
#include "tools/kernel_job.h"
#include "tools/tool_result.h"

namespace qv {

namespace {

int32_t ClampSide(int64_t value, int32_t imageSide) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, 1, 2 * static_cast<int64_t>(imageSide)));
}

// round(value x to / from), half up, for positive sides
int64_t ScaleSide(int64_t value, int32_t to, int32_t from) {
    return (2 * value * to + from) / (2 * static_cast<int64_t>(from));
}

struct BandCall {
    ResampleBand band;
    const void* work;
};

void RunBandCall(const KernelJob& job, const void* params) {
    const BandCall& call = *static_cast<const BandCall*>(params);
    call.band(call.work, job.rowBegin, job.rowEnd);
}

} // namespace

ResizeParams InitialResize(int32_t imageWidth, int32_t imageHeight) {
    return ResizeParams{imageWidth, imageHeight, false};
}

void ResizeSetWidth(ResizeParams* p, int64_t width, int32_t imageWidth, int32_t imageHeight) {
    p->width = ClampSide(width, imageWidth);
    if (!p->independent) p->height = ClampSide(ScaleSide(p->width, imageHeight, imageWidth), imageHeight);
}

void ResizeSetHeight(ResizeParams* p, int64_t height, int32_t imageWidth, int32_t imageHeight) {
    p->height = ClampSide(height, imageHeight);
    if (!p->independent) p->width = ClampSide(ScaleSide(p->height, imageWidth, imageHeight), imageWidth);
}

void ResizeSetIndependent(ResizeParams* p, bool independent, int32_t imageWidth, int32_t imageHeight) {
    p->independent = independent;
    if (!independent) ResizeSetWidth(p, imageWidth, imageWidth, imageHeight);
}

int32_t ResizeLabelDrag(int32_t valueAtPress, int32_t dxPixels, int32_t imageSide) {
    const int64_t step = imageSide / 256 + 1;
    return ClampSide(valueAtPress + step * dxPixels, imageSide);
}

bool ResizeChoosePreset(ResizeParams* p, const SizePreset& preset, int32_t imageWidth, int32_t imageHeight) {
    if (preset.width > 0 && preset.height > 0) {
        p->independent = true;
        ResizeSetWidth(p, preset.width, imageWidth, imageHeight);
        ResizeSetHeight(p, preset.height, imageWidth, imageHeight);
    } else if (preset.width > 0) {
        p->independent = false;
        ResizeSetWidth(p, preset.width, imageWidth, imageHeight);
    } else if (preset.height > 0) {
        p->independent = false;
        ResizeSetHeight(p, preset.height, imageWidth, imageHeight);
    } else {
        return false;
    }
    return true;
}

bool ResizeChangesImage(const ImageBuffer& image, int32_t width, int32_t height) {
    return width != image.header.biWidth || height != image.header.biHeight;
}

uint8_t* ResizePixels(const ImageBuffer& image, int32_t width, int32_t height, int threads) {
    const int32_t w = image.header.biWidth, h = image.header.biHeight;
    if (image.pixels == nullptr || !ResampleSizeAllowed(w, h, width, height)) return nullptr;
    LargeBlock expanded;
    const uint8_t* source = PixelsAs24Bit(image, &expanded);
    if (source == nullptr) return nullptr;
    CodecStatus status = kCodecOk;
    uint8_t* target = AllocPixelBlock(static_cast<uint32_t>(width), static_cast<uint32_t>(height), 24, &status);
    if (target == nullptr) return nullptr;
    if (!Resample(source, w, h, target, width, height, ResampleOnKernelBands, threads)) {
        FreePixelBlock(target);
        return nullptr;
    }
    return target;
}

void ResampleOnKernelBands(ResampleBand band, const void* work, int32_t rows, int threads) {
    KernelJob job;
    job.height = rows;
    job.rowBegin = 0;
    job.rowEnd = rows;
    BandCall call{band, work};
    RunKernelBands(job, RunBandCall, &call, threads);
}

} // namespace qv
