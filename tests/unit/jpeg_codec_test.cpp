#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "codecs/decoders.h"
#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "image/image_turn.h"
#include "image/save_pipeline.h"
#include "platform/checked_math.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

struct ImageOwner {
    ImageBuffer image{};
    ~ImageOwner() { FreeImagePixels(&image); }
};

// A smooth 24-bit picture with some detail, so that quality changes the size.
void MakePicture(ImageBuffer* image, uint32_t w, uint32_t h) {
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(image, w, h, 24, &status));
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = ImageRowFromTop(image, y);
        for (uint32_t x = 0; x < w; ++x) {
            row[3 * x] = static_cast<uint8_t>(x * 255 / (w ? w : 1));
            row[3 * x + 1] = static_cast<uint8_t>(y * 255 / (h ? h : 1));
            row[3 * x + 2] = static_cast<uint8_t>(((x / 3) ^ (y / 5)) * 37);
        }
    }
}

Bytes EncodeToMemory(const ImageBuffer& image, const JpegEncodeOptions& options) {
    Bytes block(static_cast<size_t>(ImageStride(&image)) * image.header.biHeight * 2 + 65536);
    JpegContext ctx;
    EXPECT_TRUE(WriteJpegMemory(image, options, block.data(), static_cast<uint32_t>(block.size()), &ctx));
    block.resize(ctx.bytesUsed);
    return block;
}

// A JPEG written by the library itself, for source forms our encoder does not make.
Bytes LibraryJpeg(uint32_t w, uint32_t h, J_COLOR_SPACE space, int components, uint8_t fill, uint8_t densityUnit,
                  uint16_t density, bool ycck = false) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = w;
    c.image_height = h;
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    if (ycck) jpeg_set_colorspace(&c, JCS_YCCK);
    c.density_unit = densityUnit;
    c.X_density = c.Y_density = density;
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(w) * components, fill);
    JSAMPROW rows[1] = {row.data()};
    while (c.next_scanline < h)
        jpeg_write_scanlines(&c, rows, 1);
    jpeg_finish_compress(&c);
    Bytes bytes(out, out + outSize);
    jpeg_destroy_compress(&c);
    free(out);
    return bytes;
}

// The library's own decode of a file's luminance (JCS_GRAYSCALE output), rows from the top.
std::vector<uint8_t> LibraryGreyDecode(const Bytes& jpeg) {
    jpeg_decompress_struct d;
    jpeg_error_mgr err;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&d, TRUE);
    d.out_color_space = JCS_GRAYSCALE;
    jpeg_start_decompress(&d);
    std::vector<uint8_t> out(static_cast<size_t>(d.output_width) * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = out.data() + static_cast<size_t>(d.output_scanline) * d.output_width;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return out;
}

bool Decode(const Bytes& bytes, ImageBuffer* image, JpegContext* ctx) {
    return DecodeJpeg(bytes.data(), static_cast<uint32_t>(bytes.size()), image, ctx);
}

// ---- a small EXIF block builder --------------------------------------------------------------
struct TagValue {
    uint16_t tag, type;
    uint32_t count;
    Bytes value; // raw bytes in the block's order
};

struct ExifBuilder {
    bool le = true;
    void Put16(Bytes* b, uint32_t at, uint16_t v) const {
        (*b)[at] = le ? v & 0xFF : v >> 8;
        (*b)[at + 1] = le ? v >> 8 : v & 0xFF;
    }
    void Put32(Bytes* b, uint32_t at, uint32_t v) const {
        if (le)
            WriteLE32(b->data() + at, v);
        else
            WriteBE32(b->data() + at, v);
    }
    Bytes U16(uint16_t v) const {
        Bytes b(2);
        Put16(&b, 0, v);
        return b;
    }
    Bytes U32(uint32_t v) const {
        Bytes b(4);
        Put32(&b, 0, v);
        return b;
    }
    Bytes Rat(uint32_t n, uint32_t d) const {
        Bytes b(8);
        Put32(&b, 0, n);
        Put32(&b, 4, d);
        return b;
    }
    // TIFF structure: IFD0, then the EXIF IFD (pointer entry added when `exif` is not empty), then
    // IFD1 (thumbnail entries pointing at `thumbnail`), then the values.
    Bytes Tiff(std::vector<TagValue> ifd0, const std::vector<TagValue>& exif, const Bytes& thumbnail = {}) const {
        Bytes b(8);
        b[0] = b[1] = le ? 'I' : 'M';
        Put16(&b, 2, 42);
        Put32(&b, 4, 8);
        if (!exif.empty()) ifd0.push_back({34665, 4, 1, U32(0)});
        std::vector<std::vector<TagValue>> ifds = {ifd0};
        if (!exif.empty()) ifds.push_back(exif);
        std::vector<TagValue> ifd1;
        if (!thumbnail.empty()) {
            ifd1.push_back({513, 4, 1, U32(0)});
            ifd1.push_back({514, 4, 1, U32(static_cast<uint32_t>(thumbnail.size()))});
            ifds.push_back(ifd1);
        }
        std::vector<uint32_t> starts;
        uint32_t pos = 8;
        for (auto& ifd : ifds) {
            starts.push_back(pos);
            pos += 2 + 12 * static_cast<uint32_t>(ifd.size()) + 4;
        }
        b.resize(pos);
        std::vector<std::pair<uint32_t, const Bytes*>> later;
        for (size_t i = 0; i < ifds.size(); ++i) {
            uint32_t at = starts[i];
            Put16(&b, at, static_cast<uint16_t>(ifds[i].size()));
            for (size_t k = 0; k < ifds[i].size(); ++k) {
                const TagValue& t = ifds[i][k];
                uint32_t e = at + 2 + 12 * static_cast<uint32_t>(k);
                Put16(&b, e, t.tag);
                Put16(&b, e + 2, t.type);
                Put32(&b, e + 4, t.count);
                if (t.tag == 34665 && i == 0)
                    Put32(&b, e + 8, starts[1]);
                else if (t.value.size() <= 4)
                    std::memcpy(b.data() + e + 8, t.value.data(), t.value.size());
                else
                    later.push_back({e + 8, &t.value});
            }
            uint32_t next = (i == 0 && !thumbnail.empty()) ? starts.back() : 0;
            Put32(&b, at + 2 + 12 * static_cast<uint32_t>(ifds[i].size()), next);
        }
        for (auto& [field, value] : later) {
            Put32(&b, field, static_cast<uint32_t>(b.size()));
            b.insert(b.end(), value->begin(), value->end());
        }
        if (!thumbnail.empty()) {
            uint32_t ifd1 = starts.back();
            Put32(&b, ifd1 + 2 + 8, static_cast<uint32_t>(b.size()));
            b.insert(b.end(), thumbnail.begin(), thumbnail.end());
        }
        return b;
    }
};

Bytes ExifPayload(const Bytes& tiff) {
    Bytes p = {'E', 'x', 'i', 'f', 0, 0};
    p.insert(p.end(), tiff.begin(), tiff.end());
    return p;
}

// Marker codes of the header segments up to SOS.
std::vector<uint8_t> HeaderMarkers(const Bytes& jpeg) {
    std::vector<uint8_t> codes;
    size_t p = 2;
    while (p + 4 <= jpeg.size() && jpeg[p] == 0xFF && jpeg[p + 1] != 0xDA) {
        codes.push_back(jpeg[p + 1]);
        p += 2 + ReadBE16(&jpeg[p + 2]);
    }
    return codes;
}
bool Has(const std::vector<uint8_t>& v, uint8_t code) {
    return std::find(v.begin(), v.end(), code) != v.end();
}

// ---- decode ---------------------------------------------------------------------------------

TEST(JpegDecodeTest, RoundTripKeepsSizeOrderAndColourOfBlueGreenRed) {
    ImageOwner src, dst;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(&src.image, 32, 16, 24, &status));
    for (uint32_t y = 0; y < 16; ++y)
        for (uint32_t x = 0; x < 32; ++x) {
            uint8_t* p = ImageRowFromTop(&src.image, y) + 3 * x;
            // top half pure blue, bottom half pure red: catches swapped channels and flipped rows
            p[0] = y < 8 ? 255 : 0;
            p[2] = y < 8 ? 0 : 255;
        }
    JpegEncodeOptions o;
    o.quality = 95;
    o.sampling = kSampling1x1;
    Bytes jpeg = EncodeToMemory(src.image, o);
    LoadInfo info;
    ASSERT_TRUE(ReadJpegMemory(jpeg.data(), static_cast<uint32_t>(jpeg.size()), &dst.image, &info, &status));
    EXPECT_EQ(status, kCodecOk);
    EXPECT_EQ(dst.image.header.biWidth, 32);
    EXPECT_EQ(dst.image.header.biHeight, 16);
    EXPECT_EQ(dst.image.header.biBitCount, 24);
    EXPECT_EQ(dst.image.sourceFormat, kFormatJpeg);
    EXPECT_EQ(dst.image.sourceBitDepth, 24u);
    EXPECT_EQ(dst.image.fileSize, jpeg.size());
    const uint8_t* top = ImageRowFromTop(&dst.image, 1) + 3 * 5;
    const uint8_t* bottom = ImageRowFromTop(&dst.image, 14) + 3 * 5;
    EXPECT_GT(top[0], 240);
    EXPECT_LT(top[2], 15);
    EXPECT_GT(bottom[2], 240);
    EXPECT_LT(bottom[0], 15);
    EXPECT_EQ(info.orientation, 1);
    EXPECT_FALSE(info.exifPresent);
    EXPECT_FALSE(info.interlaced);
}

TEST(JpegDecodeTest, GreyFileLoadsAsEightBitsWithGreyPaletteAndSavesAsColourUnlessGrey) {
    Bytes grey = LibraryJpeg(20, 10, JCS_GRAYSCALE, 1, 77, 0, 1);
    ImageOwner img;
    JpegContext ctx;
    ASSERT_TRUE(Decode(grey, &img.image, &ctx));
    EXPECT_TRUE(ctx.grey);
    EXPECT_EQ(img.image.header.biBitCount, 8);
    EXPECT_EQ(img.image.sourceBitDepth, 8u);
    for (int i : {0, 1, 128, 255}) {
        EXPECT_EQ(img.image.palette[i].rgbRed, i);
        EXPECT_EQ(img.image.palette[i].rgbGreen, i);
        EXPECT_EQ(img.image.palette[i].rgbBlue, i);
    }
    EXPECT_EQ(ImageRowFromTop(&img.image, 3)[7], 77);

    JpegEncodeOptions o;
    ImageOwner again;
    JpegContext c2;
    ASSERT_TRUE(Decode(EncodeToMemory(img.image, o), &again.image, &c2));
    EXPECT_EQ(again.image.header.biBitCount, 24);
    EXPECT_NEAR(ImageRowFromTop(&again.image, 3)[7 * 3 + 1], 77, 2);
    o.grey = true;
    ASSERT_TRUE(Decode(EncodeToMemory(img.image, o), &again.image, &c2));
    EXPECT_EQ(again.image.header.biBitCount, 8);
}

TEST(JpegDecodeTest, InvertedCmykAndYcckWithFullValuesDecodeToWhite) {
    for (bool ycck : {false, true}) {
        Bytes cmyk = LibraryJpeg(16, 16, JCS_CMYK, 4, 255, 0, 1, ycck);
        ImageOwner img;
        JpegContext ctx;
        ASSERT_TRUE(Decode(cmyk, &img.image, &ctx));
        EXPECT_EQ(img.image.header.biBitCount, 24);
        const uint8_t* p = ImageRowFromTop(&img.image, 8) + 3 * 8;
        EXPECT_EQ(p[0], 255);
        EXPECT_EQ(p[1], 255);
        EXPECT_EQ(p[2], 255);
    }
    // K = 0 (full black ink in the inverted convention) is black whatever C, M and Y say.
    Bytes black = LibraryJpeg(16, 16, JCS_CMYK, 4, 0, 0, 1);
    ImageOwner img;
    JpegContext ctx;
    ASSERT_TRUE(Decode(black, &img.image, &ctx));
    EXPECT_LT(ImageRowFromTop(&img.image, 8)[24], 3);
}

TEST(JpegDecodeTest, DensityUnitsBecomePixelsPerMetre) {
    struct Case {
        uint8_t unit;
        uint16_t density;
        int32_t ppm;
    } cases[] = {{0, 2, 0}, {1, 72, 2835}, {1, 300, 11811}, {2, 100, 10000}};
    for (const Case& c : cases) {
        ImageOwner img;
        JpegContext ctx;
        ASSERT_TRUE(Decode(LibraryJpeg(8, 8, JCS_RGB, 3, 9, c.unit, c.density), &img.image, &ctx));
        EXPECT_EQ(img.image.header.biXPelsPerMeter, c.ppm) << int(c.unit) << " " << c.density;
        EXPECT_EQ(img.image.header.biYPelsPerMeter, c.ppm);
    }
}

TEST(JpegDecodeTest, TruncatedFileDecodesAndGarbageAfterEndIsIgnored) {
    ImageOwner src;
    MakePicture(&src.image, 64, 64);
    JpegEncodeOptions o;
    Bytes jpeg = EncodeToMemory(src.image, o);
    Bytes cut(jpeg.begin(), jpeg.begin() + jpeg.size() / 2);
    ImageOwner whole, a;
    JpegContext ctx;
    ASSERT_TRUE(Decode(jpeg, &whole.image, &ctx));
    ASSERT_TRUE(Decode(cut, &a.image, &ctx));
    ASSERT_EQ(a.image.header.biWidth, 64);
    ASSERT_EQ(a.image.header.biHeight, 64);
    // the rows before the cut are the picture's; the last ones, past the data, are not
    const uint32_t rowBytes = 64 * 3;
    for (uint32_t y = 0; y < 8; ++y)
        ASSERT_EQ(std::memcmp(ImageRowFromTop(&a.image, y), ImageRowFromTop(&whole.image, y), rowBytes), 0) << y;
    EXPECT_NE(std::memcmp(ImageRowFromTop(&a.image, 63), ImageRowFromTop(&whole.image, 63), rowBytes), 0);
    Bytes tail = jpeg;
    tail.insert(tail.end(), 1000, 0xAB);
    ImageOwner b;
    ASSERT_TRUE(Decode(tail, &b.image, &ctx));
    EXPECT_EQ(std::memcmp(b.image.pixels, whole.image.pixels, ImageStride(&whole.image) * 64), 0);
    // Only a few header bytes: refused, nothing left behind.
    Bytes stub(jpeg.begin(), jpeg.begin() + 20);
    CodecStatus status = kCodecOk;
    EXPECT_FALSE(ReadJpegMemory(stub.data(), 20, &a.image, nullptr, &status));
    EXPECT_EQ(a.image.pixels, nullptr);
    EXPECT_NE(status, kCodecOk);
}

TEST(JpegDecodeTest, ProgressiveFlagIsReported) {
    ImageOwner src, dst;
    MakePicture(&src.image, 40, 30);
    JpegEncodeOptions o;
    o.progressive = true;
    LoadInfo info;
    CodecStatus status;
    Bytes jpeg = EncodeToMemory(src.image, o);
    ASSERT_TRUE(ReadJpegMemory(jpeg.data(), static_cast<uint32_t>(jpeg.size()), &dst.image, &info, &status));
    EXPECT_TRUE(info.interlaced);
}

TEST(JpegDecodeTest, HugeDeclaredSizeIsRefusedAsNotSupported) {
    ImageOwner src;
    MakePicture(&src.image, 16, 16);
    JpegEncodeOptions o;
    o.progressive = true;
    Bytes jpeg = EncodeToMemory(src.image, o);
    // Patch the frame header to 60000 x 60000 (beyond the pixel limit).
    for (size_t p = 2; p + 9 < jpeg.size(); ++p) {
        if (jpeg[p] == 0xFF && jpeg[p + 1] == 0xC2) {
            jpeg[p + 5] = jpeg[p + 7] = 0xEA;
            jpeg[p + 6] = jpeg[p + 8] = 0x60;
            break;
        }
    }
    ImageOwner dst;
    JpegContext ctx;
    EXPECT_FALSE(Decode(jpeg, &dst.image, &ctx));
    EXPECT_EQ(ctx.status, kCodecNotSupported);
}

TEST(JpegDecodeTest, AbsurdScanCountIsRefusedAsNotSupported) {
    ImageOwner src;
    MakePicture(&src.image, 16, 16);
    JpegEncodeOptions o;
    o.progressive = true;
    Bytes jpeg = EncodeToMemory(src.image, o);
    // Repeat the last scan (a refinement scan) until the file holds far more scans than any real one.
    size_t last = 0;
    for (size_t p = 2; p + 1 < jpeg.size(); ++p)
        if (jpeg[p] == 0xFF && jpeg[p + 1] == 0xDA) last = p;
    ASSERT_GT(last, 0u);
    Bytes scan(jpeg.begin() + last, jpeg.end() - 2);
    Bytes hostile(jpeg.begin(), jpeg.end() - 2);
    for (int i = 0; i < kJpegMaxScans + 10; ++i)
        hostile.insert(hostile.end(), scan.begin(), scan.end());
    hostile.push_back(0xFF);
    hostile.push_back(0xD9);
    ImageOwner dst;
    JpegContext ctx;
    EXPECT_FALSE(Decode(hostile, &dst.image, &ctx));
    EXPECT_EQ(ctx.status, kCodecNotSupported);
    EXPECT_EQ(dst.image.pixels, nullptr);
    // A hundred repeats stay within the limit and decode.
    Bytes fewer(jpeg.begin(), jpeg.end() - 2);
    for (int i = 0; i < 100; ++i)
        fewer.insert(fewer.end(), scan.begin(), scan.end());
    fewer.push_back(0xFF);
    fewer.push_back(0xD9);
    EXPECT_TRUE(Decode(fewer, &dst.image, &ctx));
    // The transformation has the same limit.
    JpegTransformOptions t;
    Bytes out(hostile.size() * 2);
    EXPECT_FALSE(TransformJpeg(hostile.data(), static_cast<uint32_t>(hostile.size()), t, nullptr, out.data(),
                               static_cast<uint32_t>(out.size()), &ctx));
    EXPECT_EQ(ctx.status, kCodecNotSupported);
}

// ---- encode ---------------------------------------------------------------------------------

TEST(JpegEncodeTest, ResolutionCommentAndEightBitSourceAreWritten) {
    ImageOwner src;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(&src.image, 10, 10, 8, &status));
    src.image.palette[3] = {10, 200, 30, 0};
    std::memset(src.image.pixels, 3, ImageStride(&src.image) * 10);
    JpegEncodeOptions o;
    o.quality = 100;
    o.sampling = kSampling1x1;
    o.xPelsPerMeter = o.yPelsPerMeter = 11811; // 300 dpi
    o.comment = "hello";
    Bytes jpeg = EncodeToMemory(src.image, o);
    EXPECT_EQ(ReadJpegCommentMemory(jpeg.data(), static_cast<uint32_t>(jpeg.size())), "hello");
    ImageOwner dst;
    JpegContext ctx;
    ASSERT_TRUE(Decode(jpeg, &dst.image, &ctx));
    EXPECT_EQ(dst.image.header.biXPelsPerMeter, 11811);
    EXPECT_EQ(ctx.commentCount, 1);
    const uint8_t* p = ImageRowFromTop(&dst.image, 5) + 15;
    EXPECT_NEAR(p[0], 10, 3);
    EXPECT_NEAR(p[1], 200, 3);
    EXPECT_NEAR(p[2], 30, 3);

    // beyond the 16-bit density field (any source may carry such a value): its largest value
    o.xPelsPerMeter = INT32_MAX;
    jpeg = EncodeToMemory(src.image, o);
    ASSERT_TRUE(Decode(jpeg, &dst.image, &ctx));
    EXPECT_EQ(dst.image.header.biXPelsPerMeter, 2580118); // 65535 dots per inch
    EXPECT_EQ(dst.image.header.biYPelsPerMeter, 11811);
}

TEST(JpegEncodeTest, ExifCopyReplacesJfifAndGetsTheNewImageSize) {
    ImageOwner src;
    MakePicture(&src.image, 24, 12);
    ExifBuilder b;
    JpegEncodeOptions o;
    o.exif = ExifPayload(b.Tiff({{274, 3, 1, b.U16(6)}}, {{40962, 3, 1, b.U16(4000)}, {40963, 3, 1, b.U16(3000)}}));
    Bytes jpeg = EncodeToMemory(src.image, o);
    auto markers = HeaderMarkers(jpeg);
    EXPECT_FALSE(Has(markers, 0xE0));
    EXPECT_TRUE(Has(markers, 0xE1));
    ExifInfo info;
    ASSERT_TRUE(ReadExifInfo(jpeg.data(), static_cast<uint32_t>(jpeg.size()), &info, nullptr));
    EXPECT_EQ(info.items[44].value, L"24, 12");
    // The encoder's copy is private: the caller's block keeps its values.
    EXPECT_EQ(ReadExifOrientation(jpeg.data(), static_cast<uint32_t>(jpeg.size())), 6);
}

TEST(JpegEncodeTest, SizeLimitSearchesQualityAndWritesQualityOneWhenNothingFits) {
    ImageOwner src;
    MakePicture(&src.image, 128, 96);
    JpegEncodeOptions o;
    o.quality = 90;
    std::vector<uint8_t> out;
    JpegContext ctx;
    ASSERT_TRUE(WriteJpegMemoryLimited(src.image, o, 1u << 30, &out, &ctx));
    EXPECT_EQ(ctx.finalQuality, 90); // fits at once: no search
    uint32_t full = static_cast<uint32_t>(out.size());

    uint32_t limit = full / 2;
    ASSERT_TRUE(WriteJpegMemoryLimited(src.image, o, limit, &out, &ctx));
    EXPECT_LE(out.size(), limit);
    EXPECT_GT(ctx.finalQuality, 1);
    EXPECT_LT(ctx.finalQuality, 90);
    // One step of quality higher would no longer fit (the search lands on the edge within its steps).
    JpegEncodeOptions higher = o;
    higher.quality = ctx.finalQuality + 1;
    std::vector<uint8_t> bigger;
    JpegContext c2;
    ASSERT_TRUE(WriteJpegMemoryLimited(src.image, higher, UINT32_MAX, &bigger, &c2));
    EXPECT_GT(bigger.size(), limit);

    ASSERT_TRUE(WriteJpegMemoryLimited(src.image, o, 10, &out, &ctx));
    EXPECT_EQ(ctx.finalQuality, 1);
    EXPECT_GT(out.size(), 10u);

    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"limited.jpg");
    ASSERT_TRUE(WriteJpegFileLimited(src.image, path.c_str(), o, 1, &ctx));
    ASSERT_TRUE(WriteJpegMemoryLimited(src.image, o, 1024, &out, &ctx));
    EXPECT_EQ(qvtest::ReadFileBytes(path), std::string(out.begin(), out.end()));
}

TEST(JpegEncodeTest, TinyImageFitsTheLimitedEncodersBlock) {
    ImageOwner src;
    MakePicture(&src.image, 1, 1);
    JpegEncodeOptions o;
    std::vector<uint8_t> out;
    JpegContext ctx;
    ASSERT_TRUE(WriteJpegMemoryLimited(src.image, o, 100000, &out, &ctx));
    // it fits at the asked quality at once, and the bytes are a whole 1 x 1 picture of its colour
    EXPECT_EQ(ctx.finalQuality, o.quality);
    ASSERT_GT(out.size(), 100u);
    EXPECT_LE(out.size(), 100000u);
    EXPECT_EQ(ctx.bytesUsed, out.size());
    EXPECT_EQ(out[out.size() - 2], 0xFF);
    EXPECT_EQ(out.back(), 0xD9);
    ImageOwner back;
    ASSERT_TRUE(Decode(out, &back.image, &ctx));
    ASSERT_EQ(back.image.header.biWidth, 1);
    ASSERT_EQ(back.image.header.biHeight, 1);
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(back.image.pixels[c], src.image.pixels[c], 12) << c;
}

TEST(JpegEncodeTest, MemoryDestinationTooSmallFailsWithMessage) {
    ImageOwner src;
    MakePicture(&src.image, 64, 64);
    Bytes block(100);
    JpegContext ctx;
    EXPECT_FALSE(WriteJpegMemory(src.image, JpegEncodeOptions(), block.data(), 100, &ctx));
    EXPECT_NE(ctx.libraryMessage[0], 0);
}

TEST(JpegEncodeTest, UnwritableFileFailsWith50005) {
    ImageOwner src;
    MakePicture(&src.image, 8, 8);
    JpegContext ctx;
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"missing-folder/x.jpg");
    EXPECT_FALSE(WriteJpegFile(src.image, path.c_str(), JpegEncodeOptions(), &ctx));
    EXPECT_EQ(ctx.status, kCodecCannotWrite);
}

// ---- lossless transformation ------------------------------------------------------------------

Bytes Transform(Bytes source, const JpegTransformOptions& o, JpegContext* ctx) {
    Bytes out(source.size() * 2 + 65536);
    EXPECT_TRUE(TransformJpeg(source.data(), static_cast<uint32_t>(source.size()), o, nullptr, out.data(),
                              static_cast<uint32_t>(out.size()), ctx));
    out.resize(ctx->bytesUsed);
    return out;
}

TEST(JpegTransformTest, TrimDropsPartialMcuOnlyWhenAsked) {
    ImageOwner src;
    MakePicture(&src.image, 37, 21); // 2x2 sampling: MCUs of 16 x 16
    Bytes jpeg = EncodeToMemory(src.image, JpegEncodeOptions());
    JpegTransformOptions o;
    o.transform = kTransformFlipH;
    JpegContext ctx;
    Transform(jpeg, o, &ctx);
    EXPECT_EQ(ctx.width, 37u);
    o.trim = true;
    Transform(jpeg, o, &ctx);
    EXPECT_EQ(ctx.width, 32u);
    EXPECT_EQ(ctx.height, 21u);
    o.transform = kTransformFlipV;
    Transform(jpeg, o, &ctx);
    EXPECT_EQ(ctx.width, 37u);
    EXPECT_EQ(ctx.height, 16u);
    o.transform = kTransformTurn90;
    Transform(jpeg, o, &ctx);
    EXPECT_EQ(ctx.width, 16u);
    EXPECT_EQ(ctx.height, 37u);
    // Narrower than one MCU: nothing to trim to, the size stays.
    ImageOwner narrow;
    MakePicture(&narrow.image, 9, 9);
    o.transform = kTransformFlipH;
    Transform(EncodeToMemory(narrow.image, JpegEncodeOptions()), o, &ctx);
    EXPECT_EQ(ctx.width, 9u);
}

TEST(JpegTransformTest, TurnMovesPixelsClockwise) {
    ImageOwner src, out;
    CodecStatus status;
    ASSERT_TRUE(PrepareImage(&src.image, 32, 16, 24, &status));
    ImageRowFromTop(&src.image, 0)[2] = 255; // top-left red block
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 8; ++x)
            ImageRowFromTop(&src.image, y)[3 * x + 2] = 255;
    JpegEncodeOptions e;
    e.quality = 100;
    JpegTransformOptions o;
    o.transform = kTransformTurn90;
    JpegContext ctx;
    Bytes turned = Transform(EncodeToMemory(src.image, e), o, &ctx);
    ASSERT_TRUE(Decode(turned, &out.image, &ctx));
    EXPECT_EQ(out.image.header.biWidth, 16);
    EXPECT_GT(ImageRowFromTop(&out.image, 3)[3 * 12 + 2], 200); // now top-right
    EXPECT_LT(ImageRowFromTop(&out.image, 3)[3 * 3 + 2], 50);
}

TEST(JpegTransformTest, MarkerCopyOptionsAndOrientationResetOnlyWhenTurned) {
    ImageOwner src;
    MakePicture(&src.image, 32, 32);
    JpegEncodeOptions e;
    e.comment = "note";
    ExifBuilder b;
    e.exif = ExifPayload(b.Tiff({{274, 3, 1, b.U16(6)}}, {}));
    Bytes jpeg = EncodeToMemory(src.image, e);
    ASSERT_EQ(ReadExifOrientation(jpeg.data(), static_cast<uint32_t>(jpeg.size())), 6);

    JpegTransformOptions o;
    o.transform = kTransformTurn90;
    o.resetOrientation = true;
    JpegContext ctx;
    o.markerCopy = kCopyNone;
    auto m = HeaderMarkers(Transform(jpeg, o, &ctx));
    EXPECT_FALSE(Has(m, 0xE1));
    EXPECT_FALSE(Has(m, 0xFE));
    o.markerCopy = kCopyComments;
    m = HeaderMarkers(Transform(jpeg, o, &ctx));
    EXPECT_FALSE(Has(m, 0xE1));
    EXPECT_TRUE(Has(m, 0xFE));
    o.markerCopy = kCopyAll;
    Bytes all = Transform(jpeg, o, &ctx);
    m = HeaderMarkers(all);
    EXPECT_TRUE(Has(m, 0xE1));
    EXPECT_TRUE(Has(m, 0xFE));
    EXPECT_FALSE(Has(m, 0xE0)); // EXIF stands instead of the JFIF header
    EXPECT_EQ(ReadExifOrientation(all.data(), static_cast<uint32_t>(all.size())), 1);
    // The caller's source is patched only in the private copy given to the call.
    EXPECT_EQ(ReadExifOrientation(jpeg.data(), static_cast<uint32_t>(jpeg.size())), 6);

    // Not turned: the orientation stays, as the save options decide.
    JpegTransformOptions keep = LosslessSaveOptions(0, false, kCopyAll, false, true);
    EXPECT_FALSE(keep.resetOrientation);
    Bytes same = Transform(jpeg, keep, &ctx);
    EXPECT_EQ(ReadExifOrientation(same.data(), static_cast<uint32_t>(same.size())), 6);
    EXPECT_TRUE(LosslessSaveOptions(1, false, kCopyAll, false, false).resetOrientation);
    EXPECT_FALSE(LosslessSaveOptions(1, false, kCopyComments, false, false).resetOrientation);
}

// A few hundred bytes may declare a picture whose coefficients the library would allocate whole
// before reading any scan: the transformation refuses what it cannot hold, as the decoder does,
// counting the copy a turn builds too.
TEST(JpegTransformTest, CoefficientsBeyondTheLimitAreRefusedBeforeAllocation) {
    auto declared = [](bool grey, uint16_t side) {
        ImageOwner src;
        MakePicture(&src.image, 16, 16);
        JpegEncodeOptions o;
        o.sampling = kSampling1x1;
        o.grey = grey;
        Bytes jpeg = EncodeToMemory(src.image, o);
        for (size_t p = 2; p + 9 < jpeg.size(); ++p) {
            if (jpeg[p] == 0xFF && jpeg[p + 1] == 0xC0) {
                jpeg[p + 5] = jpeg[p + 7] = static_cast<uint8_t>(side >> 8);
                jpeg[p + 6] = jpeg[p + 8] = static_cast<uint8_t>(side);
                return jpeg;
            }
        }
        ADD_FAILURE() << "no frame header";
        return jpeg;
    };
    // 20000 x 20000 is within the pixel limit: 2.4 GB of colour coefficients, 0.8 GB of grey ones
    // and as much again for the turned copy
    auto refused = [](Bytes jpeg, int32_t transform) {
        JpegTransformOptions t;
        t.transform = transform;
        Bytes out(65536);
        JpegContext ctx;
        bool ok = TransformJpeg(jpeg.data(), static_cast<uint32_t>(jpeg.size()), t, nullptr, out.data(),
                                static_cast<uint32_t>(out.size()), &ctx);
        return !ok && ctx.status == kCodecNotSupported;
    };
    EXPECT_TRUE(refused(declared(false, 20000), kTransformFlipH));
    EXPECT_TRUE(refused(declared(true, 20000), kTransformTurn90));
    // the same file declaring a picture it can hold is transformed, its missing scans as grey
    JpegTransformOptions t;
    t.transform = kTransformTurn90;
    JpegContext ctx;
    Bytes small = declared(false, 2000);
    Bytes out(small.size() + (4u << 20));
    ASSERT_TRUE(TransformJpeg(small.data(), static_cast<uint32_t>(small.size()), t, nullptr, out.data(),
                              static_cast<uint32_t>(out.size()), &ctx));
    EXPECT_EQ(ctx.width, 2000u);
}

TEST(JpegTransformTest, PendingRotationCodesMapToTransforms) {
    EXPECT_EQ(TransformForPendingRotation(1), kTransformTurn90);
    EXPECT_EQ(TransformForPendingRotation(2), kTransformTurn180);
    EXPECT_EQ(TransformForPendingRotation(3), kTransformTurn270);
    EXPECT_EQ(TransformForPendingRotation(4), kTransformFlipH);
    EXPECT_EQ(TransformForPendingRotation(5), kTransformFlipV);
    EXPECT_EQ(TransformForPendingRotation(0), kTransformNone);
}

TEST(JpegTransformTest, ForceGreyKeepsOnlyLuminance) {
    ImageOwner src, out;
    MakePicture(&src.image, 32, 32);
    JpegTransformOptions o;
    o.forceGrey = true;
    JpegContext ctx;
    Bytes colour = EncodeToMemory(src.image, JpegEncodeOptions());
    ASSERT_TRUE(Decode(Transform(colour, o, &ctx), &out.image, &ctx));
    EXPECT_EQ(out.image.header.biBitCount, 8);
    EXPECT_TRUE(ctx.grey);
    // the luminance the library reads from the colour file, sample for sample, through a grey ramp
    std::vector<uint8_t> luminance = LibraryGreyDecode(colour);
    ASSERT_EQ(luminance.size(), 32u * 32);
    for (uint32_t y = 0; y < 32; ++y) {
        const uint8_t* row = ImageRowFromTop(&out.image, y);
        for (uint32_t x = 0; x < 32; ++x) {
            const RGBQUAD& q = out.image.palette[row[x]];
            ASSERT_EQ(row[x], luminance[y * 32 + x]) << x << "," << y;
            ASSERT_TRUE(q.rgbRed == row[x] && q.rgbGreen == row[x] && q.rgbBlue == row[x]) << x << "," << y;
        }
    }
}

TEST(JpegTransformTest, FileToFileTurnsTheThumbnailAndLeavesTheSource) {
    qvtest::ScratchDir dir;
    ImageOwner src, thumbImage;
    MakePicture(&src.image, 48, 32);
    MakePicture(&thumbImage.image, 24, 16);
    ExifBuilder b;
    Bytes thumb = EncodeToMemory(thumbImage.image, JpegEncodeOptions());
    JpegEncodeOptions e;
    e.exif = ExifPayload(b.Tiff({{274, 3, 1, b.U16(6)}}, {{40962, 4, 1, b.U32(48)}}, thumb));
    Bytes jpeg = EncodeToMemory(src.image, e);
    std::wstring path = dir.File(L"photo.jpg");
    ASSERT_TRUE(qvtest::WriteFileBytes(path, std::string(jpeg.begin(), jpeg.end())));

    std::wstring out = dir.File(L"turned.jpg");
    JpegContext ctx;
    ASSERT_TRUE(
        TransformJpegFile(path.c_str(), out.c_str(), LosslessSaveOptions(1, false, kCopyAll, false, false), &ctx));
    EXPECT_EQ(qvtest::ReadFileBytes(path), std::string(jpeg.begin(), jpeg.end())); // the source is never touched
    std::string after = qvtest::ReadFileBytes(out);
    const uint8_t* a = reinterpret_cast<const uint8_t*>(after.data());
    EXPECT_EQ(ReadExifOrientation(a, static_cast<uint32_t>(after.size())), 1);
    ImageOwner turned;
    ASSERT_TRUE(DecodeJpeg(a, static_cast<uint32_t>(after.size()), &turned.image, &ctx));
    EXPECT_EQ(turned.image.header.biWidth, 32);
    ExifThumbnail found;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(FindExifThumbnail(a, static_cast<uint32_t>(after.size()), &found, &status));
    EXPECT_EQ(found.width, 16u);
    EXPECT_EQ(found.height, 24u);

    // A damaged file fails and stays exactly as it was.
    std::string broken = "\xFF\xD8\xFF\xDB garbage that is not a JPEG at all";
    ASSERT_TRUE(qvtest::WriteFileBytes(path, broken));
    EXPECT_FALSE(
        TransformJpegFile(path.c_str(), out.c_str(), LosslessSaveOptions(1, true, kCopyAll, false, false), &ctx));
    EXPECT_EQ(qvtest::ReadFileBytes(path), broken);
}

TEST(JpegThumbnailTest, RebuildPutsASmallerPictureOfTheSavedImage) {
    qvtest::ScratchDir dir;
    ImageOwner photo, oldThumb;
    MakePicture(&photo.image, 400, 200);
    MakePicture(&oldThumb.image, 30, 30);
    ExifBuilder b;
    JpegEncodeOptions e;
    e.exif = ExifPayload(b.Tiff({{274, 3, 1, b.U16(1)}}, {}, EncodeToMemory(oldThumb.image, JpegEncodeOptions())));
    std::wstring path = dir.File(L"saved.jpg");
    JpegContext ctx;
    ASSERT_TRUE(WriteJpegFile(photo.image, path.c_str(), e, &ctx));
    ASSERT_EQ(RebuildExifThumbnail(path.c_str(), photo.image, false), ThumbnailRewrite::Rewritten);
    ExifThumbnail thumb;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(FindExifThumbnailInFile(path.c_str(), &thumb, &status));
    EXPECT_EQ(thumb.width, 160u);
    EXPECT_EQ(thumb.height, 80u);
    std::string file = qvtest::ReadFileBytes(path);
    ImageOwner reread;
    EXPECT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t*>(file.data()), static_cast<uint32_t>(file.size()),
                           &reread.image, &ctx));
    EXPECT_EQ(reread.image.header.biWidth, 400);
    // Without a thumbnail there is nothing to rebuild and the file stays.
    ASSERT_TRUE(WriteJpegFile(photo.image, path.c_str(), JpegEncodeOptions(), &ctx));
    std::string before = qvtest::ReadFileBytes(path);
    EXPECT_EQ(RebuildExifThumbnail(path.c_str(), photo.image, false), ThumbnailRewrite::Unchanged);
    EXPECT_EQ(qvtest::ReadFileBytes(path), before);
}

#ifndef _WIN32
// The thumbnail rebuild writes the saved file a second time; a full disk then cuts it short,
// and the save must say so instead of placing the stump over the target.
TEST(JpegThumbnailTest, ARebuildCutShortFailsTheSave) {
    qvtest::ScratchDir dir;
    ImageOwner photo, oldThumb;
    MakePicture(&photo.image, 400, 200);
    MakePicture(&oldThumb.image, 30, 30);
    ExifBuilder b;
    JpegEncodeOptions e;
    e.exif = ExifPayload(b.Tiff({{274, 3, 1, b.U16(1)}}, {}, EncodeToMemory(oldThumb.image, JpegEncodeOptions())));
    const std::wstring original = dir.File(L"original.jpg");
    JpegContext ctx;
    ASSERT_TRUE(WriteJpegFile(photo.image, original.c_str(), e, &ctx));
    SaveSource source;
    source.image = &photo.image;
    source.exifPresent = true;
    source.sourceBytes = qvtest::ReadFileBytes(original);
    SaveOptions options;
    options.format = kSaveJpeg;
    options.exifCopy = true;
    SaveFailure failure;
    const std::wstring whole = dir.File(L"whole.jpg");
    ASSERT_TRUE(EncodeImageFile(whole.c_str(), source, options, &failure));
    const size_t size = qvtest::ReadFileBytes(whole).size();
    bool ok = true;
    {
        // room for the first writing (its thumbnail is the small old one), not for the second
        qvtest::FileSizeLimit limit(size - 1);
        ok = EncodeImageFile(dir.File(L"cut.jpg").c_str(), source, options, &failure);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(failure.message, 50005u);
}
#endif

// ---- comments ---------------------------------------------------------------------------------

TEST(JpegCommentTest, ReadDropsEscapeAndPutsCrBeforeLoneLf) {
    ImageOwner src;
    MakePicture(&src.image, 8, 8);
    JpegEncodeOptions o;
    o.comment = "a\nb\r\nc\x1b"
                "d";
    Bytes jpeg = EncodeToMemory(src.image, o);
    EXPECT_EQ(ReadJpegCommentMemory(jpeg.data(), static_cast<uint32_t>(jpeg.size())), "a\r\nb\r\ncd");
    o.comment = std::string(5000, 'x');
    jpeg = EncodeToMemory(src.image, o);
    EXPECT_EQ(ReadJpegCommentMemory(jpeg.data(), static_cast<uint32_t>(jpeg.size())).size(), kJpegMaxCommentBytes);
}

TEST(JpegCommentTest, RewriteAddsReplacesRemovesAndLeavesAloneWhenNothingToDo) {
    ImageOwner src;
    MakePicture(&src.image, 8, 8);
    Bytes plain = EncodeToMemory(src.image, JpegEncodeOptions());
    auto size = [](const Bytes& b) { return static_cast<uint32_t>(b.size()); };
    Bytes out, out2, out3;
    int32_t change = 9;
    bool wrote = false;
    CodecStatus status = kCodecOk;

    ASSERT_TRUE(RewriteJpegCommentMemory(plain.data(), size(plain), "", &out, &change, &wrote, &status));
    EXPECT_FALSE(wrote);

    ASSERT_TRUE(RewriteJpegCommentMemory(plain.data(), size(plain), "new\r\ntext", &out, &change, &wrote, &status));
    EXPECT_TRUE(wrote);
    EXPECT_EQ(change, 1);
    EXPECT_EQ(ReadJpegCommentMemory(out.data(), size(out)), "new\r\ntext"); // CR dropped, then restored on reading
    EXPECT_EQ(out.size(), plain.size() + 4 + 8);

    ASSERT_TRUE(RewriteJpegCommentMemory(out.data(), size(out), "other", &out2, &change, &wrote, &status));
    EXPECT_EQ(change, 0);
    EXPECT_EQ(ReadJpegCommentMemory(out2.data(), size(out2)), "other");

    ASSERT_TRUE(RewriteJpegCommentMemory(out2.data(), size(out2), "", &out3, &change, &wrote, &status));
    EXPECT_EQ(change, -1);
    EXPECT_EQ(out3, plain);
    ImageOwner img;
    JpegContext ctx;
    EXPECT_TRUE(Decode(out2, &img.image, &ctx));

    // Without APP0, APP1 or COM there is nowhere to put it.
    Bytes bare = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x02, 0xFF, 0xD9};
    EXPECT_FALSE(RewriteJpegCommentMemory(bare.data(), size(bare), "x", &out, &change, &wrote, &status));
    EXPECT_EQ(status, kCodecCannotWrite);
}

TEST(JpegDecodeTest, FileFormTakesTheFileTimeAndMissingFilesFailWith50004) {
    qvtest::ScratchDir dir;
    ImageOwner src, dst;
    MakePicture(&src.image, 8, 8);
    std::wstring path = dir.File(L"t.jpg");
    JpegContext ctx;
    ASSERT_TRUE(WriteJpegFile(src.image, path.c_str(), JpegEncodeOptions(), &ctx));
    LoadInfo info;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(ReadJpegFile(path.c_str(), &dst.image, &info, &status));
    EXPECT_NE(dst.image.fileTime.dwLowDateTime | dst.image.fileTime.dwHighDateTime, 0u);
    EXPECT_FALSE(ReadJpegFile(dir.File(L"none.jpg").c_str(), &dst.image, &info, &status));
    EXPECT_EQ(status, kCodecCannotOpen);
}

TEST(JpegCommentTest, FileFormsRoundTrip) {
    qvtest::ScratchDir dir;
    ImageOwner src;
    MakePicture(&src.image, 8, 8);
    std::wstring a = dir.File(L"a.jpg"), b = dir.File(L"b.jpg");
    JpegContext ctx;
    ASSERT_TRUE(WriteJpegFile(src.image, a.c_str(), JpegEncodeOptions(), &ctx));
    int32_t change = 0;
    bool wrote = false;
    CodecStatus status;
    ASSERT_TRUE(RewriteJpegComment(a.c_str(), b.c_str(), "hi", &change, &wrote, &status));
    std::string text;
    ASSERT_TRUE(ReadJpegComment(b.c_str(), &text));
    EXPECT_EQ(text, "hi");
}

// ---- turning ----------------------------------------------------------------------------------

TEST(ImageTurnTest, QuarterTurnsPlaceCornersAndSwapResolution) {
    ImageOwner src;
    CodecStatus status;
    ASSERT_TRUE(PrepareImage(&src.image, 3, 2, 8, &status));
    src.image.header.biXPelsPerMeter = 100;
    src.image.header.biYPelsPerMeter = 200;
    uint8_t v = 1;
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 3; ++x)
            ImageRowFromTop(&src.image, y)[x] = v++; // 1 2 3 / 4 5 6
    ImageOwner t;
    ASSERT_TRUE(TurnImage(src.image, kTurn90, &t.image, &status));
    EXPECT_EQ(t.image.header.biWidth, 2);
    EXPECT_EQ(t.image.header.biHeight, 3);
    EXPECT_EQ(t.image.header.biXPelsPerMeter, 200);
    EXPECT_EQ(ImageRowFromTop(&t.image, 0)[0], 4);
    EXPECT_EQ(ImageRowFromTop(&t.image, 0)[1], 1);
    EXPECT_EQ(ImageRowFromTop(&t.image, 2)[1], 3);
    ASSERT_TRUE(TurnImage(src.image, kTurn180, &t.image, &status));
    EXPECT_EQ(ImageRowFromTop(&t.image, 0)[0], 6);
    EXPECT_EQ(ImageRowFromTop(&t.image, 1)[2], 1);
    ASSERT_TRUE(TurnImage(src.image, kTurn270, &t.image, &status));
    EXPECT_EQ(ImageRowFromTop(&t.image, 0)[0], 3);
    EXPECT_EQ(ImageRowFromTop(&t.image, 2)[0], 1);
    EXPECT_EQ(ImageRowFromTop(&t.image, 2)[1], 4);
}

TEST(ImageTurnTest, AutoRotationFollowsOrientationAndReturnsTheCode) {
    ImageOwner src, result;
    MakePicture(&src.image, 5, 3);
    EXPECT_EQ(AutoRotate(src.image, 6, true, &result.image), kTurn90);
    EXPECT_EQ(result.image.header.biWidth, 3);
    EXPECT_EQ(AutoRotate(src.image, 8, true, &result.image), kTurn270);
    EXPECT_EQ(AutoRotate(src.image, 3, true, &result.image), kTurn180);
    EXPECT_EQ(AutoRotate(src.image, 1, true, &result.image), kTurnNone);
    EXPECT_EQ(AutoRotate(src.image, 6, false, &result.image), kTurnNone);
}

} // namespace
} // namespace qv
