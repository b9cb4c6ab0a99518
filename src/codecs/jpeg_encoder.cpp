// JPEG encoding of an 8-bit or 24-bit ImageBuffer to a file or a memory block, and the encoding
// under a size limit that searches the quality.
#include <cstring>
#include <new>

#include <jerror.h>

#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "codecs/jpeg_library.h"
#include "platform/checked_math.h"

namespace qv {

namespace {

constexpr int kRowsPerWrite = 16;

struct EncodeState {
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    JpegFileDestination fileDest;
    JpegMemoryDestination memDest;
    bool created;
};

int32_t ClampQuality(int32_t q) {
    return q < 1 ? 1 : q > 100 ? 100 : q;
}

// Pixels per metre as the 16-bit dots-per-inch field of the JFIF header; a resolution beyond
// what the field holds is written as its largest value.
UINT16 DotsPerInch(int32_t pelsPerMeter) {
    double dpi = pelsPerMeter * 0.0254 + 0.5;
    return dpi >= 65535.0 ? UINT16{65535} : static_cast<UINT16>(dpi);
}

// `file` or `block` is the destination. All library work happens under the recovery point; the
// only memory it takes comes from the compressor's pools.
bool EncodeWithLibrary(EncodeState* s, const ImageBuffer& image, const JpegEncodeOptions& options, OutputFile* file,
                       uint8_t* block, uint32_t capacity, JpegContext* ctx) {
    jpeg_compress_struct* cinfo = &s->cinfo;
    if (setjmp(s->err.recovery)) return false;
    jpeg_create_compress(cinfo);
    s->created = true;
    if (file)
        InstallFileDestination(cinfo, &s->fileDest, file);
    else
        InstallMemoryDestination(cinfo, &s->memDest, block, capacity);

    uint32_t width = static_cast<uint32_t>(image.header.biWidth);
    uint32_t height = static_cast<uint32_t>(image.header.biHeight);
    cinfo->image_width = width;
    cinfo->image_height = height;
    cinfo->input_components = 3;
    cinfo->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(cinfo);
    cinfo->optimize_coding = TRUE;
    if (options.grey) {
        jpeg_set_colorspace(cinfo, JCS_GRAYSCALE);
    } else {
        int h = 2, v = 2;
        if (options.sampling == kSampling2x1)
            v = 1;
        else if (options.sampling == kSampling1x1)
            h = v = 1;
        cinfo->comp_info[0].h_samp_factor = h;
        cinfo->comp_info[0].v_samp_factor = v;
    }
    jpeg_set_quality(cinfo, ClampQuality(options.quality), TRUE);
    if (options.progressive) jpeg_simple_progression(cinfo);
    if (options.xPelsPerMeter > 0 && options.yPelsPerMeter > 0) {
        cinfo->density_unit = 1;
        cinfo->X_density = DotsPerInch(options.xPelsPerMeter);
        cinfo->Y_density = DotsPerInch(options.yPelsPerMeter);
    }
    bool withExif = options.exif.size() >= 6;
    if (withExif) cinfo->write_JFIF_header = FALSE;

    jpeg_start_compress(cinfo, TRUE);
    auto common = reinterpret_cast<j_common_ptr>(cinfo);
    if (withExif) {
        uint32_t length = static_cast<uint32_t>(options.exif.size());
        if (length > kExifMaxPayload) length = kExifMaxPayload;
        auto* copy = static_cast<JOCTET*>((*cinfo->mem->alloc_large)(common, JPOOL_IMAGE, length));
        std::memcpy(copy, options.exif.data(), length);
        PatchExifImageSize(copy + 6, length - 6, width, height);
        jpeg_write_marker(cinfo, JPEG_APP0 + 1, copy, length);
    }
    if (!options.comment.empty()) {
        uint32_t length = static_cast<uint32_t>(options.comment.size());
        if (length > kJpegMaxCommentBytes) length = kJpegMaxCommentBytes;
        jpeg_write_marker(cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(options.comment.data()), length);
    }

    uint32_t stride = ImageStride(&image);
    if (image.header.biBitCount == 24) {
        JSAMPROW rows[kRowsPerWrite];
        while (cinfo->next_scanline < height) {
            uint32_t y = cinfo->next_scanline;
            uint32_t n = height - y < kRowsPerWrite ? height - y : kRowsPerWrite;
            for (uint32_t i = 0; i < n; ++i)
                rows[i] = image.pixels + static_cast<size_t>(height - 1 - (y + i)) * stride;
            jpeg_write_scanlines(cinfo, rows, n);
        }
    } else {
        // Palette images are widened one row at a time.
        JSAMPARRAY row = (*cinfo->mem->alloc_sarray)(common, JPOOL_IMAGE, width * 3, 1);
        while (cinfo->next_scanline < height) {
            const uint8_t* src = image.pixels + static_cast<size_t>(height - 1 - cinfo->next_scanline) * stride;
            uint8_t* dst = row[0];
            for (uint32_t x = 0; x < width; ++x, dst += 3) {
                const RGBQUAD& c = image.palette[src[x]];
                dst[0] = c.rgbBlue;
                dst[1] = c.rgbGreen;
                dst[2] = c.rgbRed;
            }
            jpeg_write_scanlines(cinfo, row, 1);
        }
    }
    jpeg_finish_compress(cinfo);
    if (!file) ctx->bytesUsed = MemoryDestinationUsed(s->memDest);
    return true;
}

bool Encode(const ImageBuffer& image, const JpegEncodeOptions& options, OutputFile* file, uint8_t* block,
            uint32_t capacity, JpegContext* ctx) {
    ctx->status = kCodecOk;
    ctx->libraryMessage[0] = 0;
    ctx->bytesUsed = 0;
    uint32_t bits = image.header.biBitCount;
    if (!image.pixels || image.header.biWidth <= 0 || image.header.biHeight <= 0 || (bits != 8 && bits != 24)) {
        ctx->status = kCodecCannotConvert;
        return false;
    }
    EncodeState* s = new (std::nothrow) EncodeState;
    if (!s) {
        ctx->status = kCodecOutOfMemory;
        return false;
    }
    std::memset(s, 0, sizeof *s);
    InitJpegErrorManager(&s->err, ctx);
    s->cinfo.err = &s->err.pub;
    bool ok = EncodeWithLibrary(s, image, options, file, block, capacity, ctx);
    if (s->created) jpeg_destroy_compress(&s->cinfo);
    delete s;
    return ok;
}

} // namespace

bool WriteJpegFile(const ImageBuffer& image, const wchar_t* path, const JpegEncodeOptions& options, JpegContext* ctx) {
    OutputFile file;
    if (!file.Create(path)) {
        ctx->status = kCodecCannotWrite;
        return false;
    }
    bool ok = Encode(image, options, &file, nullptr, 0, ctx);
    if (!file.Close() && ok) {
        ctx->status = kCodecCannotWrite;
        ok = false;
    }
    if (!ok) DeleteFilePath(path);
    return ok;
}

bool WriteJpegMemory(const ImageBuffer& image, const JpegEncodeOptions& options, uint8_t* block, uint32_t capacity,
                     JpegContext* ctx) {
    return Encode(image, options, nullptr, block, capacity, ctx);
}

bool WriteJpegMemoryLimited(const ImageBuffer& image, const JpegEncodeOptions& options, uint32_t limitBytes,
                            std::vector<uint8_t>* out, JpegContext* ctx) {
    ctx->status = kCodecOk;
    if (!image.pixels || image.header.biWidth <= 0 || image.header.biHeight <= 0) {
        ctx->status = kCodecCannotConvert;
        return false;
    }
    // Room for the worst case: the raw pixels plus headroom for the tables and markers, which
    // outweigh the pixels of a tiny image.
    uint64_t raw = static_cast<uint64_t>(ImageStride(static_cast<uint32_t>(image.header.biWidth), 24)) *
                   static_cast<uint32_t>(image.header.biHeight);
    uint64_t capacity = raw + raw / 4 + 65536 + options.exif.size() + options.comment.size();
    if (capacity > UINT32_MAX) {
        ctx->status = kCodecCannotWrite;
        return false;
    }
    LargeBlock block(static_cast<uint8_t*>(AllocLargeBlock(capacity)));
    if (!block) {
        ctx->status = kCodecOutOfMemory;
        return false;
    }
    JpegEncodeOptions tried = options;
    auto encodeAt = [&](int32_t q) {
        tried.quality = q;
        ctx->finalQuality = q;
        return WriteJpegMemory(image, tried, block.get(), static_cast<uint32_t>(capacity), ctx);
    };
    int32_t q = ClampQuality(options.quality);
    if (!encodeAt(q)) return false;
    if (ctx->bytesUsed > limitBytes && q > 1) {
        int32_t f = q / 2, good = 1;
        q -= f;
        do {
            if (!encodeAt(q)) return false;
            if (q == 1) break;
            if (f > 1) f /= 2;
            if (ctx->bytesUsed > limitBytes) {
                q -= f;
            } else {
                if (good == q) break;
                good = q;
                q += f;
            }
        } while (q > 0);
    }
    out->assign(block.get(), block.get() + ctx->bytesUsed);
    return true;
}

bool WriteJpegFileLimited(const ImageBuffer& image, const wchar_t* path, const JpegEncodeOptions& options,
                          uint32_t limitKiB, JpegContext* ctx) {
    uint32_t limit = 0;
    if (!CheckedMul32(limitKiB, 1024, &limit)) limit = UINT32_MAX;
    std::vector<uint8_t> bytes;
    if (!WriteJpegMemoryLimited(image, options, limit, &bytes, ctx)) return false;
    OutputFile file;
    if (!file.Create(path) || !file.Write(bytes.data(), bytes.size()) || !file.Close()) {
        file.Close();
        DeleteFilePath(path);
        ctx->status = kCodecCannotWrite;
        return false;
    }
    return true;
}

} // namespace qv
