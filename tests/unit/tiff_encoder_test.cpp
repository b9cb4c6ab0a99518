#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/tiff_encoder.h"
#include "platform/checked_math.h"
#include "platform/platform.h"
#include "test_support.h"

#include <tiffio.h>

namespace qv {
namespace {

struct OwnedImage {
    ImageBuffer image{};
    OwnedImage() = default;
    OwnedImage(const OwnedImage&) = delete;
    ~OwnedImage() { FreeImagePixels(&image); }
};

// A 24-bit picture whose every pixel differs, or an 8-bit one cycling through `colours` entries.
void MakeImage(OwnedImage* out, uint32_t width, uint32_t height, uint32_t bits, uint32_t colours = 256) {
    CodecStatus status;
    ASSERT_TRUE(PrepareImage(&out->image, width, height, bits, &status));
    out->image.header.biXPelsPerMeter = 11811; // 300 dpi
    out->image.header.biYPelsPerMeter = 2835;  // 72 dpi
    for (uint32_t i = 0; i < 256; ++i)
        out->image.palette[i] =
            RGBQUAD{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 3), 0};
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* row = ImageRowFromTop(&out->image, y);
        for (uint32_t x = 0; x < width; ++x) {
            if (bits == 8) {
                row[x] = static_cast<uint8_t>((x + y * width) % colours);
            } else {
                row[3 * x] = static_cast<uint8_t>(x * 40);
                row[3 * x + 1] = static_cast<uint8_t>(y * 40);
                row[3 * x + 2] = static_cast<uint8_t>(x * 7 + y * 13);
            }
        }
    }
}

std::string WriteAndRead(const ImageBuffer& image, const TiffWriteOptions& options, CodecStatus* status) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"out.tif");
    if (!WriteTiffFile(path.c_str(), image, options, status)) return std::string();
    return qvtest::ReadFileBytes(path);
}

bool Decode(const std::string& file, OwnedImage* out) {
    CodecStatus status;
    LoadInfo info;
    return ReadTiffMemory(reinterpret_cast<const uint8_t*>(file.data()), static_cast<uint32_t>(file.size()),
                          &out->image, &info, &status);
}

struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> Entries(const std::string& file) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(file.data());
    std::vector<Entry> entries;
    uint16_t n = ReadLE16(p + 8);
    for (uint16_t i = 0; i < n; ++i) {
        const uint8_t* e = p + 10 + 12 * i;
        entries.push_back({ReadLE16(e), ReadLE16(e + 2), ReadLE32(e + 4), ReadLE32(e + 8)});
    }
    return entries;
}

std::string Hex(const std::vector<Entry>& entries) {
    std::string s;
    for (const Entry& e : entries)
        s += std::to_string(e.tag) + "/" + std::to_string(e.type) + "/" + std::to_string(e.count) + "/" +
             std::to_string(e.value) + " ";
    return s;
}

TEST(TiffEncoderTest, Rgb24HasTheFixedTagSetAndOffsets) {
    OwnedImage src;
    MakeImage(&src, 5, 3, 24);
    CodecStatus status;
    std::string file = WriteAndRead(src.image, {24, false, false}, &status);
    ASSERT_EQ(status, kCodecOk);
    ASSERT_EQ(file.size(), 180u + 5 * 3 * 3);
    EXPECT_EQ(file.substr(0, 8), std::string("II\x2A\0\x08\0\0\0", 8));
    std::vector<Entry> expected = {{256, 4, 1, 5},  {257, 4, 1, 3},   {258, 3, 3, 158}, {259, 3, 1, 1},
                                   {262, 3, 1, 2},  {273, 4, 1, 180}, {277, 3, 1, 3},   {278, 4, 1, 3},
                                   {279, 4, 1, 45}, {282, 5, 1, 164}, {283, 5, 1, 172}, {296, 3, 1, 2}};
    EXPECT_EQ(Entries(file), expected) << Hex(Entries(file));
    const uint8_t* p = reinterpret_cast<const uint8_t*>(file.data());
    EXPECT_EQ(ReadLE32(p + 154), 0u); // no next directory
    EXPECT_EQ(ReadLE16(p + 158), 8);
    EXPECT_EQ(ReadLE16(p + 162), 8);
    EXPECT_EQ(ReadLE32(p + 164), 11811u * 254);
    EXPECT_EQ(ReadLE32(p + 168), 10000u);
    EXPECT_EQ(ReadLE32(p + 172), 2835u * 254);
    // first row first, red green blue
    const uint8_t* top = ImageRowFromTop(&src.image, 0);
    EXPECT_EQ(p[180], top[2]);
    EXPECT_EQ(p[182], top[0]);
}

TEST(TiffEncoderTest, Depth8LayoutsDependOnTheGreyFlag) {
    OwnedImage src;
    MakeImage(&src, 6, 2, 8);
    CodecStatus status;

    std::string palette = WriteAndRead(src.image, {8, false, false}, &status);
    ASSERT_EQ(status, kCodecOk);
    ASSERT_EQ(palette.size(), 1710u + 12);
    std::vector<Entry> entries = Entries(palette);
    ASSERT_EQ(entries.size(), 12u);
    EXPECT_EQ(entries[4], (Entry{262, 3, 1, 3}));
    EXPECT_EQ(entries[5], (Entry{273, 4, 1, 1710}));
    EXPECT_EQ(entries[8], (Entry{282, 5, 1, 158}));
    EXPECT_EQ(entries[11], (Entry{320, 3, 768, 174}));
    const uint8_t* p = reinterpret_cast<const uint8_t*>(palette.data());
    EXPECT_EQ(ReadLE16(p + 174 + 2 * 5), 15 * 256);            // red of entry 5
    EXPECT_EQ(ReadLE16(p + 174 + 2 * (256 + 5)), 250 * 256);   // green
    EXPECT_EQ(ReadLE16(p + 174 + 2 * (512 + 5)), 5 * 256);     // blue
    EXPECT_EQ(p[1710 + 7], ImageRowFromTop(&src.image, 1)[1]); // second row, second pixel

    std::string grey = WriteAndRead(src.image, {8, true, false}, &status);
    ASSERT_EQ(status, kCodecOk);
    ASSERT_EQ(grey.size(), 162u + 12);
    entries = Entries(grey);
    ASSERT_EQ(entries.size(), 11u);
    EXPECT_EQ(entries[2], (Entry{258, 3, 1, 8}));
    EXPECT_EQ(entries[4], (Entry{262, 3, 1, 1}));
    EXPECT_EQ(entries[5], (Entry{273, 4, 1, 162}));
    EXPECT_EQ(entries[8], (Entry{282, 5, 1, 146}));
    EXPECT_EQ(entries[10], (Entry{296, 3, 1, 2}));
}

TEST(TiffEncoderTest, LowDepthLayouts) {
    TiffLayout l;
    ASSERT_TRUE(TiffLayoutFor(9, 3, 1, false, &l));
    EXPECT_EQ(l.entries, 11);
    EXPECT_EQ(l.photometric, 1);
    EXPECT_EQ(l.dataAt, 162u);
    EXPECT_EQ(l.dataBytes, 2u * 3);
    ASSERT_TRUE(TiffLayoutFor(9, 3, 4, false, &l));
    EXPECT_EQ(l.entries, 12);
    EXPECT_EQ(l.photometric, 3);
    EXPECT_EQ(l.colourMapAt, 174u);
    EXPECT_EQ(l.colourMapValues, 48u);
    EXPECT_EQ(l.dataAt, 270u);
    EXPECT_EQ(l.dataBytes, 5u * 3);
    EXPECT_FALSE(TiffLayoutFor(9, 3, 2, false, &l));
    EXPECT_FALSE(TiffLayoutFor(9, 3, 32, false, &l));
    // the file's offsets are 32-bit: data that would end past 4 GiB is refused
    EXPECT_FALSE(TiffLayoutFor(0x10000, 0x10000, 8, false, &l));
    EXPECT_FALSE(TiffLayoutFor(0xFFFF, 0x10001, 8, false, &l));
    EXPECT_TRUE(TiffLayoutFor(0xFFFF, 0x10000, 8, true, &l));
}

TEST(TiffEncoderTest, Rgb24AndPalette8RoundTripThroughTheReader) {
    OwnedImage rgb;
    MakeImage(&rgb, 7, 5, 24);
    CodecStatus status;
    OwnedImage back;
    ASSERT_TRUE(Decode(WriteAndRead(rgb.image, {24, false, false}, &status), &back));
    ASSERT_EQ(back.image.header.biBitCount, 24);
    for (uint32_t y = 0; y < 5; ++y)
        EXPECT_EQ(std::memcmp(ImageRowFromTop(&rgb.image, y), ImageRowFromTop(&back.image, y), 21), 0) << y;
    EXPECT_EQ(back.image.header.biXPelsPerMeter, 11811);
    EXPECT_EQ(back.image.header.biYPelsPerMeter, 2835);

    OwnedImage indexed;
    MakeImage(&indexed, 7, 5, 8);
    OwnedImage back8;
    ASSERT_TRUE(Decode(WriteAndRead(indexed.image, {8, false, false}, &status), &back8));
    ASSERT_EQ(back8.image.header.biBitCount, 8);
    EXPECT_EQ(std::memcmp(back8.image.palette, indexed.image.palette, sizeof indexed.image.palette), 0);
    for (uint32_t y = 0; y < 5; ++y)
        EXPECT_EQ(std::memcmp(ImageRowFromTop(&indexed.image, y), ImageRowFromTop(&back8.image, y), 7), 0) << y;

    // an 8-bit image written at 24 bits goes through its palette
    OwnedImage expanded;
    ASSERT_TRUE(Decode(WriteAndRead(indexed.image, {24, false, false}, &status), &expanded));
    const RGBQUAD& c = indexed.image.palette[ImageRowFromTop(&indexed.image, 2)[3]];
    const uint8_t* px = ImageRowFromTop(&expanded.image, 2) + 9;
    EXPECT_EQ(px[0], c.rgbBlue);
    EXPECT_EQ(px[1], c.rgbGreen);
    EXPECT_EQ(px[2], c.rgbRed);
}

TEST(TiffEncoderTest, ReducedDepthsRoundTripThroughTheReader) {
    CodecStatus status;
    // black and white survive two levels exactly
    OwnedImage bw;
    MakeImage(&bw, 11, 4, 8);
    bw.image.palette[0] = RGBQUAD{0, 0, 0, 0};
    bw.image.palette[1] = RGBQUAD{255, 255, 255, 0};
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 11; ++x)
            ImageRowFromTop(&bw.image, y)[x] = static_cast<uint8_t>((x * y + x) % 3 == 0);
    for (bool dither : {false, true}) {
        OwnedImage back;
        ASSERT_TRUE(Decode(WriteAndRead(bw.image, {1, false, dither}, &status), &back)) << status;
        EXPECT_EQ(back.image.sourceBitDepth, 1u);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 11; ++x)
                EXPECT_EQ(ImageRowFromTop(&back.image, y)[x], ImageRowFromTop(&bw.image, y)[x]) << x << "," << y;
    }

    // a 16-colour image keeps its colours at 4 bits
    OwnedImage few;
    MakeImage(&few, 9, 6, 8, 16);
    OwnedImage back4;
    ASSERT_TRUE(Decode(WriteAndRead(few.image, {4, false, false}, &status), &back4)) << status;
    EXPECT_EQ(back4.image.sourceBitDepth, 4u);
    for (uint32_t y = 0; y < 6; ++y) {
        for (uint32_t x = 0; x < 9; ++x) {
            const RGBQUAD& a = few.image.palette[ImageRowFromTop(&few.image, y)[x]];
            const RGBQUAD& b = back4.image.palette[ImageRowFromTop(&back4.image, y)[x]];
            EXPECT_EQ(std::memcmp(&a, &b, 3), 0) << x << "," << y;
        }
    }

    // grey levels of a grey image stay what they were; pure red becomes its luminance
    OwnedImage grey;
    MakeImage(&grey, 4, 2, 24);
    for (uint32_t x = 0; x < 4; ++x) {
        uint8_t level = static_cast<uint8_t>(x * 85);
        std::memset(ImageRowFromTop(&grey.image, 0) + 3 * x, level, 3);
        uint8_t* red = ImageRowFromTop(&grey.image, 1) + 3 * x;
        red[0] = red[1] = 0;
        red[2] = 255;
    }
    OwnedImage back8;
    ASSERT_TRUE(Decode(WriteAndRead(grey.image, {8, true, false}, &status), &back8)) << status;
    EXPECT_EQ(back8.image.sourceBitDepth, 8u);
    for (uint32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(back8.image.palette[ImageRowFromTop(&back8.image, 0)[x]].rgbRed, x * 85);
        EXPECT_EQ(ImageRowFromTop(&back8.image, 1)[x], 76);
    }
}

TEST(TiffEncoderTest, FailuresHaveTheirStatus) {
    OwnedImage src;
    MakeImage(&src, 3, 3, 24);
    CodecStatus status;
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"x.tif");
    for (uint32_t depth : {0u, 2u, 16u, 32u}) {
        EXPECT_FALSE(WriteTiffFile(path.c_str(), src.image, {depth, false, false}, &status));
        EXPECT_EQ(status, kCodecCannotWrite) << depth;
    }
    std::wstring missing = dir.File(L"no such folder") + L"/x.tif";
    EXPECT_FALSE(WriteTiffFile(missing.c_str(), src.image, {24, false, false}, &status));
    EXPECT_EQ(status, kCodecCannotWrite);
    ImageBuffer empty{};
    EXPECT_FALSE(WriteTiffFile(path.c_str(), empty, {24, false, false}, &status));
    EXPECT_EQ(status, kCodecCannotConvert);
}

std::string g_libtiffMessages;

void Collect(const char* module, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    g_libtiffMessages += std::string(module ? module : "") + ": " + text + "\n";
}

TEST(TiffEncoderTest, LibtiffReadsEveryDepthWithoutWarnings) {
    TIFFSetWarningHandler(Collect);
    TIFFSetErrorHandler(Collect);
    OwnedImage rgb, indexed;
    MakeImage(&rgb, 13, 7, 24);
    MakeImage(&indexed, 13, 7, 8, 16);
    rgb.image.header.biXPelsPerMeter = rgb.image.header.biYPelsPerMeter = 0; // unknown resolution
    struct Case {
        const ImageBuffer* image;
        TiffWriteOptions options;
    } cases[] = {
        {&rgb.image, {24, false, false}}, {&indexed.image, {24, false, false}}, {&indexed.image, {8, false, false}},
        {&rgb.image, {8, false, true}},   {&rgb.image, {8, true, false}},       {&indexed.image, {4, false, false}},
        {&rgb.image, {4, false, true}},   {&rgb.image, {1, false, false}},      {&indexed.image, {1, false, true}}};
    qvtest::ScratchDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE("depth " + std::to_string(c.options.depth) + (c.options.grey ? " grey" : "") + " from " +
                     std::to_string(c.image->header.biBitCount));
        std::wstring path = dir.File(L"lib.tif");
        CodecStatus status;
        ASSERT_TRUE(WriteTiffFile(path.c_str(), *c.image, c.options, &status)) << status;
        g_libtiffMessages.clear();
        TIFF* tif = TIFFOpen(WideToUtf8(path).c_str(), "r");
        ASSERT_NE(tif, nullptr) << g_libtiffMessages;
        uint32_t width = 0, height = 0;
        TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
        std::vector<uint32_t> rgba(size_t{width} * height);
        EXPECT_TRUE(TIFFReadRGBAImageOriented(tif, width, height, rgba.data(), ORIENTATION_TOPLEFT, 0));
        if (FILE* sink = std::tmpfile()) { // what tiffinfo prints, so that its warnings are seen too
            TIFFPrintDirectory(tif, sink, TIFFPRINT_COLORMAP | TIFFPRINT_STRIPS);
            std::fclose(sink);
        }
        TIFFClose(tif);
        EXPECT_EQ(g_libtiffMessages, "");

        // and libtiff sees the colours our reader sees
        OwnedImage back;
        ASSERT_TRUE(Decode(qvtest::ReadFileBytes(path), &back));
        ASSERT_EQ(width, 13u);
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* row = ImageRowFromTop(&back.image, y);
            for (uint32_t x = 0; x < width; ++x) {
                RGBQUAD ours;
                if (back.image.header.biBitCount == 8)
                    ours = back.image.palette[row[x]];
                else
                    ours = RGBQUAD{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
                uint32_t theirs = rgba[size_t{y} * width + x];
                ASSERT_EQ(ours.rgbRed, TIFFGetR(theirs)) << x << "," << y;
                ASSERT_EQ(ours.rgbGreen, TIFFGetG(theirs)) << x << "," << y;
                ASSERT_EQ(ours.rgbBlue, TIFFGetB(theirs)) << x << "," << y;
            }
        }
    }
    TIFFSetWarningHandler(nullptr);
    TIFFSetErrorHandler(nullptr);
}

} // namespace
} // namespace qv
