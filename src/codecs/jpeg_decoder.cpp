// JPEG decoding into an ImageBuffer: grey as 8 bits with a grey palette, YCbCr and RGB as 24-bit
// blue-green-red straight from the library, CMYK and YCCK through the inverted-ink table.
#include <cstring>
#include <new>

#include "codecs/decoders.h"
#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "codecs/jpeg_library.h"
#include "platform/checked_math.h"
#include "platform/platform.h"

namespace qv {

namespace {

constexpr int kRowsPerRead = 16; // the library delivers at most this many rows per call

// Adobe writers store inverted CMYK: 255 means no ink, so a value times K / 255 is the colour.
void BuildInkTable(uint8_t (*table)[256]) {
    for (int a = 0; a < 256; ++a)
        for (int k = 0; k < 256; ++k)
            table[a][k] = static_cast<uint8_t>(a * k / 255);
}

void ConvertCmykRow(const uint8_t (*table)[256], const uint8_t* cmyk, uint8_t* bgr, uint32_t width) {
    for (uint32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const uint8_t* k = table[0] + cmyk[3];
        bgr[0] = k[cmyk[2] * 256];
        bgr[1] = k[cmyk[1] * 256];
        bgr[2] = k[cmyk[0] * 256];
    }
}

// Pixels per metre from the JFIF density: unit 1 is dots per inch, unit 2 dots per centimetre.
int32_t DensityToPelsPerMeter(uint8_t unit, uint16_t density) {
    if (unit == 1) return static_cast<int32_t>(density / 0.0254 + 0.5);
    if (unit == 2) return density * 100;
    return 0;
}

struct DecodeState {
    jpeg_decompress_struct cinfo;
    JpegErrorManager err;
    JpegMemorySource src;
    JpegScanLimit monitor;
    uint8_t (*inkTable)[256];
    bool created;
};

// Everything between the recovery point and the end lives in `s`, so the jump unwinds no object.
bool DecodeWithLibrary(DecodeState* s, const uint8_t* data, uint32_t size, ImageBuffer* target, JpegContext* ctx) {
    jpeg_decompress_struct* cinfo = &s->cinfo;
    if (setjmp(s->err.recovery)) {
        if (s->err.limitExceeded)
            ctx->status = kCodecNotSupported;
        else if (ctx->status == kCodecOk)
            ctx->status = kCodecBadData;
        return false;
    }
    jpeg_create_decompress(cinfo);
    s->created = true;
    InstallScanLimit(cinfo, &s->monitor);
    InstallMemorySource(cinfo, &s->src, data, size);
    jpeg_read_header(cinfo, TRUE);
    CheckPixelLimit(cinfo);
    cinfo->scale_num = cinfo->scale_denom = 1;
    switch (cinfo->jpeg_color_space) {
    case JCS_GRAYSCALE: cinfo->out_color_space = JCS_GRAYSCALE; break;
    case JCS_CMYK:
    case JCS_YCCK: cinfo->out_color_space = JCS_CMYK; break;
    case JCS_YCbCr:
    case JCS_RGB: cinfo->out_color_space = JCS_EXT_BGR; break;
    default: break; // unusual component counts keep the library's choice and are refused below
    }
    jpeg_start_decompress(cinfo);
    uint32_t width = cinfo->output_width, height = cinfo->output_height;
    int components = cinfo->output_components;
    if (width == 0 || height == 0 || (components != 1 && components != 3 && components != 4)) {
        ctx->status = kCodecNotSupported;
        return false;
    }
    uint32_t bitCount = components == 1 ? 8 : 24;
    uint32_t stride = ImageStride(width, bitCount), total = 0;
    if (!CheckedMul32(stride, height, &total)) {
        ctx->status = kCodecNotSupported;
        return false;
    }
    CodecStatus allocStatus = kCodecOk;
    if (!PrepareImage(target, width, height, bitCount, &allocStatus)) {
        ctx->status = allocStatus;
        return false;
    }
    if (components == 1) {
        for (int i = 0; i < 256; ++i)
            target->palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0};
    }

    uint8_t* bottom = target->pixels;
    if (components == 4) {
        BuildInkTable(s->inkTable);
        JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, width * 4, 1);
        while (cinfo->output_scanline < height) {
            uint32_t y = cinfo->output_scanline;
            if (jpeg_read_scanlines(cinfo, row, 1) != 1) break;
            ConvertCmykRow(s->inkTable, row[0], bottom + static_cast<size_t>(height - 1 - y) * stride, width);
        }
    } else {
        // Rows go straight into the bottom-up block, several per call.
        JSAMPROW rows[kRowsPerRead];
        while (cinfo->output_scanline < height) {
            uint32_t y = cinfo->output_scanline;
            uint32_t n = height - y < kRowsPerRead ? height - y : kRowsPerRead;
            for (uint32_t i = 0; i < n; ++i)
                rows[i] = bottom + static_cast<size_t>(height - 1 - (y + i)) * stride;
            if (jpeg_read_scanlines(cinfo, rows, n) == 0) break;
        }
    }
    ctx->progressive = cinfo->progressive_mode != 0;
    ctx->grey = components == 1;
    ctx->width = width;
    ctx->height = height;
    if (cinfo->saw_JFIF_marker) {
        target->header.biXPelsPerMeter = DensityToPelsPerMeter(cinfo->density_unit, cinfo->X_density);
        target->header.biYPelsPerMeter = DensityToPelsPerMeter(cinfo->density_unit, cinfo->Y_density);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

bool DecodeJpeg(const uint8_t* data, uint32_t size, ImageBuffer* target, JpegContext* ctx) {
    ctx->status = kCodecOk;
    ctx->libraryMessage[0] = 0;
    std::memset(target->palette, 0, sizeof target->palette);
    FreeImagePixels(target);
    uint8_t inkTable[256][256]; // 64 KiB on the stack, filled only for CMYK files
    DecodeState* s = new (std::nothrow) DecodeState;
    if (!s) {
        ctx->status = kCodecOutOfMemory;
        return false;
    }
    std::memset(s, 0, sizeof *s);
    s->inkTable = inkTable;
    InitJpegErrorManager(&s->err, ctx);
    s->cinfo.err = &s->err.pub;
    bool ok = DecodeWithLibrary(s, data, size, target, ctx);
    if (s->created) jpeg_destroy_decompress(&s->cinfo);
    delete s;
    if (!ok) {
        FreeImagePixels(target);
        return false;
    }
    target->sourceFormat = kFormatJpeg;
    target->sourceBitDepth = target->header.biBitCount;
    target->fileSize = size;

    MarkerWalkResult walk = WalkJpegMarkers(data, size, false);
    ctx->exifFound = walk.exif.found;
    ctx->exifLength = walk.exif.segmentLength;
    ctx->commentCount = walk.commentCount;
    ctx->orientation = ReadExifOrientation(data, size);
    return true;
}

bool ReadJpegFile(const wchar_t* path, ImageBuffer* target, LoadInfo* info, CodecStatus* status) {
    MappedFile file;
    if (!MapWholeFile(path, MapMode::ReadOnly, &file)) {
        FreeImagePixels(target);
        *status = kCodecCannotOpen;
        return false;
    }
    if (!ReadJpegMemory(file.view, file.size, target, info, status)) return false;
    target->fileTime = file.lastWrite;
    return true;
}

bool ReadJpegMemory(const uint8_t* data, uint32_t size, ImageBuffer* target, LoadInfo* info, CodecStatus* status) {
    JpegContext ctx;
    bool ok = DecodeJpeg(data, size, target, &ctx);
    *status = ctx.status;
    if (ok && info) {
        info->interlaced = ctx.progressive;
        info->textPresent = ctx.exifFound ? 1 : 0;
        info->exifPresent = ctx.exifFound;
        info->commentPresent = ctx.commentCount;
        info->orientation = ctx.orientation;
    }
    return ok;
}

} // namespace qv
