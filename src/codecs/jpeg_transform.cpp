// Lossless JPEG transformations on the DCT coefficients (libjpeg-turbo's transformation support,
// the same set as its jpegtran): flips, turns, trimming of partial MCUs, greyscale, marker copy.
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include <jpeglib.h>
extern "C" {
#include <transupp.h> // a C header without its own linkage block
}

#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "codecs/jpeg_library.h"

namespace qv {

namespace {

constexpr uint32_t kMaxMarkerLength = 0xFFFF;

JXFORM_CODE LibraryTransform(int32_t transform) {
    switch (transform) {
    case kTransformFlipH: return JXFORM_FLIP_H;
    case kTransformFlipV: return JXFORM_FLIP_V;
    case kTransformTurn90: return JXFORM_ROT_90;
    case kTransformTurn180: return JXFORM_ROT_180;
    case kTransformTurn270: return JXFORM_ROT_270;
    default: return JXFORM_NONE;
    }
}

uint64_t RoundUp(uint64_t value, uint64_t step) {
    return (value + step - 1) / step * step;
}

// Bytes of the coefficient arrays the library will allocate for the transformation: every
// component of the source padded to whole MCUs, as the decoder stores them, and the workspace of
// the transformed copy that jtransform_request_workspace asked for (whole iMCUs of the output).
uint64_t CoefficientBytes(const jpeg_decompress_struct& src, const jpeg_transform_info& info) {
    uint64_t blocks = 0;
    for (int ci = 0; ci < src.num_components; ++ci) {
        const jpeg_component_info& c = src.comp_info[ci];
        blocks += RoundUp(c.width_in_blocks, c.h_samp_factor) * RoundUp(c.height_in_blocks, c.v_samp_factor);
    }
    if (info.workspace_coef_arrays && info.iMCU_sample_width > 0 && info.iMCU_sample_height > 0) {
        const bool transposed = info.transform == JXFORM_TRANSPOSE || info.transform == JXFORM_TRANSVERSE ||
                                info.transform == JXFORM_ROT_90 || info.transform == JXFORM_ROT_270;
        const uint64_t wide = RoundUp(info.output_width, info.iMCU_sample_width) / info.iMCU_sample_width;
        const uint64_t high = RoundUp(info.output_height, info.iMCU_sample_height) / info.iMCU_sample_height;
        for (int ci = 0; ci < info.num_components; ++ci) {
            const jpeg_component_info& c = src.comp_info[ci];
            uint64_t h = c.h_samp_factor, v = c.v_samp_factor;
            if (info.num_components == 1)
                h = v = 1;
            else if (transposed)
                std::swap(h, v);
            blocks += wide * h * high * v;
        }
    }
    return blocks * sizeof(JBLOCK);
}

struct TransformState {
    jpeg_decompress_struct src;
    jpeg_compress_struct dst;
    JpegErrorManager srcErr, dstErr;
    JpegMemorySource source;
    JpegScanLimit monitor;
    JpegFileDestination fileDest;
    JpegMemoryDestination memDest;
    jpeg_transform_info info;
    bool srcCreated, dstCreated;
};

bool TransformWithLibrary(TransformState* s, const uint8_t* data, uint32_t size, const JpegTransformOptions& options,
                          bool exifFound, OutputFile* file, uint8_t* block, uint32_t capacity, JpegContext* ctx) {
    // Both objects share one recovery point: an error in either ends the call.
    if (setjmp(s->srcErr.recovery)) {
        if (s->srcErr.limitExceeded) ctx->status = kCodecNotSupported;
        return false;
    }
    std::memcpy(s->dstErr.recovery, s->srcErr.recovery, sizeof(jmp_buf));
    jpeg_create_decompress(&s->src);
    s->srcCreated = true;
    jpeg_create_compress(&s->dst);
    s->dstCreated = true;
    InstallScanLimit(&s->src, &s->monitor);
    InstallMemorySource(&s->src, &s->source, data, size);
    JCOPY_OPTION copy = options.markerCopy == kCopyAll        ? JCOPYOPT_ALL
                        : options.markerCopy == kCopyComments ? JCOPYOPT_COMMENTS
                                                              : JCOPYOPT_NONE;
    if (copy != JCOPYOPT_NONE) jpeg_save_markers(&s->src, JPEG_COM, kMaxMarkerLength);
    if (copy == JCOPYOPT_ALL) {
        for (int m = 0; m < 16; ++m)
            jpeg_save_markers(&s->src, JPEG_APP0 + m, kMaxMarkerLength);
    }
    jpeg_read_header(&s->src, TRUE);
    CheckPixelLimit(&s->src);

    jpeg_transform_info* info = &s->info;
    std::memset(info, 0, sizeof *info);
    info->transform = LibraryTransform(options.transform);
    info->trim = options.trim ? TRUE : FALSE;
    info->force_grayscale = options.forceGrey ? TRUE : FALSE;
    if (!jtransform_request_workspace(&s->src, info)) {
        ctx->status = kCodecNotSupported;
        return false;
    }
    // The arrays are allocated whole by jpeg_read_coefficients, however little of the picture the
    // file holds: refuse before then, as the decoder refuses a picture beyond its limit.
    if (CoefficientBytes(s->src, *info) > kJpegMaxCoefficientBytes) {
        ctx->status = kCodecNotSupported;
        return false;
    }
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&s->src);
    jpeg_copy_critical_parameters(&s->src, &s->dst);
    jvirt_barray_ptr* outCoefficients = jtransform_adjust_parameters(&s->src, &s->dst, coefficients, info);
    s->dst.optimize_coding = TRUE;
    if (options.progressive) jpeg_simple_progression(&s->dst);
    // The EXIF block takes the place of the JFIF header when all markers are copied.
    if (copy == JCOPYOPT_ALL && exifFound) s->dst.write_JFIF_header = FALSE;

    if (file)
        InstallFileDestination(&s->dst, &s->fileDest, file);
    else
        InstallMemoryDestination(&s->dst, &s->memDest, block, capacity);
    jpeg_write_coefficients(&s->dst, outCoefficients);
    jcopy_markers_execute(&s->src, &s->dst, copy);
    jtransform_execute_transform(&s->src, &s->dst, coefficients, info);
    jpeg_finish_compress(&s->dst);
    jpeg_finish_decompress(&s->src);
    ctx->width = s->dst.jpeg_width; // the libjpeg 8 interface keeps the output size here
    ctx->height = s->dst.jpeg_height;
    if (!file) ctx->bytesUsed = MemoryDestinationUsed(s->memDest);
    return true;
}

} // namespace

bool TransformJpeg(uint8_t* data, uint32_t size, const JpegTransformOptions& options, const wchar_t* outputPath,
                   uint8_t* outBlock, uint32_t capacity, JpegContext* ctx) {
    ctx->status = kCodecOk;
    ctx->libraryMessage[0] = 0;
    ctx->bytesUsed = 0;
    MarkerWalkResult walk = WalkJpegMarkers(data, size, false);
    ctx->exifFound = walk.exif.found;
    ctx->commentCount = walk.commentCount;
    if (options.resetOrientation && options.markerCopy == kCopyAll && options.transform != kTransformNone)
        ResetExifOrientation(data, size);

    OutputFile file;
    if (outputPath && !file.Create(outputPath)) {
        ctx->status = kCodecCannotWrite;
        return false;
    }
    TransformState* s = new (std::nothrow) TransformState;
    if (!s) {
        ctx->status = kCodecOutOfMemory;
        return false;
    }
    std::memset(s, 0, sizeof *s);
    InitJpegErrorManager(&s->srcErr, ctx);
    InitJpegErrorManager(&s->dstErr, ctx);
    s->src.err = &s->srcErr.pub;
    s->dst.err = &s->dstErr.pub;
    bool ok = TransformWithLibrary(s, data, size, options, walk.exif.found, outputPath ? &file : nullptr, outBlock,
                                   capacity, ctx);
    if (s->dstCreated) jpeg_destroy_compress(&s->dst);
    if (s->srcCreated) jpeg_destroy_decompress(&s->src);
    delete s;
    if (outputPath) {
        if (!file.Close() && ok) {
            ctx->status = kCodecCannotWrite;
            ok = false;
        }
        if (!ok) DeleteFilePath(outputPath);
    }
    return ok;
}

int32_t TransformForPendingRotation(int32_t code) {
    switch (code) {
    case 1: return kTransformTurn90;
    case 2: return kTransformTurn180;
    case 3: return kTransformTurn270;
    case 4: return kTransformFlipH;
    case 5: return kTransformFlipV;
    default: return kTransformNone;
    }
}

JpegTransformOptions LosslessSaveOptions(int32_t pendingRotation, bool trim, int32_t markerCopy, bool progressive,
                                         bool forceGrey) {
    JpegTransformOptions o;
    o.transform = TransformForPendingRotation(pendingRotation);
    o.trim = trim;
    o.markerCopy = markerCopy;
    o.progressive = progressive;
    o.forceGrey = forceGrey;
    o.resetOrientation = markerCopy == kCopyAll && o.transform != kTransformNone;
    return o;
}

} // namespace qv
