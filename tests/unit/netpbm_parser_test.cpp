// The Netpbm image plug-in's parser: every format in its plain and raw forms giving the same
// bitmap, the reduction of wide samples, PAM's tuple types, and the headers and rasters it refuses.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "netpbm/netpbm_parser.h"

namespace qv {
namespace {

bool Decode(const std::string& file, NetpbmImage* image) {
    return DecodeNetpbm(reinterpret_cast<const uint8_t*>(file.data()), file.size(), image);
}

// Blue, green and red of the pixel at (x, y) counted from the top, whatever the bit count.
uint32_t Pixel(const NetpbmImage& image, uint32_t x, uint32_t y) {
    uint32_t stride = ((image.width * image.bitCount + 31) / 32) * 4;
    const uint8_t* row = image.bits.data() + static_cast<size_t>(stride) * (image.height - 1 - y);
    if (image.bitCount == 24) return row[x * 3] | row[x * 3 + 1] << 8 | row[x * 3 + 2] << 16;
    uint32_t index = image.bitCount == 8 ? row[x] : (row[x >> 3] >> (7 - (x & 7))) & 1;
    const uint8_t* entry = image.palette.data() + index * 4;
    return entry[0] | entry[1] << 8 | entry[2] << 16;
}

constexpr uint32_t kWhite = 0xFFFFFF, kBlack = 0;
uint32_t Grey(uint32_t v) {
    return v | v << 8 | v << 16;
}
uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return b | g << 8 | r << 16;
}

TEST(NetpbmParser, PlainAndRawFormsGiveTheSameBottomUpBitmap) {
    // 10 x 2 bitmaps: a set bit is black; the second row spills into a second byte
    NetpbmImage plain, raw;
    ASSERT_TRUE(Decode("P1\n# a comment\n10 2\n1010000001\n0 1 0 0 0 0 0 0 0 1\n", &plain));
    ASSERT_TRUE(Decode(std::string("P4 10 2\n\xA0\x40\x40\x40", 12), &raw));
    for (const NetpbmImage* image : {&plain, &raw}) {
        EXPECT_EQ(image->bitCount, 1);
        EXPECT_EQ(image->sourceDepth, 1);
        EXPECT_EQ(Pixel(*image, 0, 0), kBlack);
        EXPECT_EQ(Pixel(*image, 1, 0), kWhite);
        EXPECT_EQ(Pixel(*image, 9, 0), kBlack);
        EXPECT_EQ(Pixel(*image, 1, 1), kBlack);
        EXPECT_EQ(Pixel(*image, 9, 1), kBlack);
        EXPECT_EQ(Pixel(*image, 8, 1), kWhite);
        EXPECT_EQ(image->bits.size(), 8u); // two rows of 4 bytes
    }

    ASSERT_TRUE(Decode("P2 3 2 255\n0 128 255\r\n10 20 30\n", &plain));
    ASSERT_TRUE(Decode(std::string("P5\n3 2\n255\n\x00\x80\xFF\x0A\x14\x1E", 17), &raw));
    for (const NetpbmImage* image : {&plain, &raw}) {
        EXPECT_EQ(image->bitCount, 8);
        EXPECT_EQ(Pixel(*image, 1, 0), Grey(128));
        EXPECT_EQ(Pixel(*image, 2, 1), Grey(30));
    }

    ASSERT_TRUE(Decode("P3 2 1 255 255 0 0  1 2 3", &plain));
    ASSERT_TRUE(Decode(std::string("P6 2 1 255 \xFF\x00\x00\x01\x02\x03", 17), &raw));
    for (const NetpbmImage* image : {&plain, &raw}) {
        EXPECT_EQ(image->bitCount, 24);
        EXPECT_EQ(image->sourceDepth, 24);
        EXPECT_EQ(Pixel(*image, 0, 0), Rgb(255, 0, 0));
        EXPECT_EQ(Pixel(*image, 1, 0), Rgb(1, 2, 3));
    }
}

TEST(NetpbmParser, WideAndOddMaximumsAreReducedToEightBitsWithRounding) {
    NetpbmImage image;
    // big-endian two-byte samples
    ASSERT_TRUE(Decode(std::string("P5 3 1 65535\n\x80\x80\xFF\xFF\x00\x7F", 19), &image));
    EXPECT_EQ(image.sourceDepth, 16);
    EXPECT_EQ(Pixel(image, 0, 0), Grey(128));
    EXPECT_EQ(Pixel(image, 1, 0), Grey(255));
    EXPECT_EQ(Pixel(image, 2, 0), Grey(0));
    ASSERT_TRUE(Decode("P2 3 1 1000 500 1 1000", &image));
    EXPECT_EQ(Pixel(image, 0, 0), Grey(128)); // 127.5 rounds up
    EXPECT_EQ(Pixel(image, 1, 0), Grey(0));
    EXPECT_EQ(Pixel(image, 2, 0), Grey(255));
    // a sample above the maximum counts as the maximum
    ASSERT_TRUE(Decode("P2 1 1 15 99", &image));
    EXPECT_EQ(Pixel(image, 0, 0), Grey(255));
    ASSERT_TRUE(Decode("P3 1 1 65535 65535 0 32768", &image));
    EXPECT_EQ(image.sourceDepth, 48);
    EXPECT_EQ(Pixel(image, 0, 0), Rgb(255, 0, 128));
}

TEST(NetpbmParser, PamTupleTypesAndTransparencyOverWhite) {
    NetpbmImage image;
    std::string bw = "P7\nWIDTH 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 1\nTUPLTYPE BLACKANDWHITE\nENDHDR\n";
    ASSERT_TRUE(Decode(bw + std::string("\x00\x01", 2), &image));
    // unlike PBM, a PAM sample of 1 is white
    EXPECT_EQ(Pixel(image, 0, 0), kBlack);
    EXPECT_EQ(Pixel(image, 1, 0), kWhite);

    std::string greyAlpha =
        "P7\n# made by hand\nWIDTH 2\nHEIGHT 1\nDEPTH 2\nMAXVAL 255\nTUPLTYPE GRAYSCALE_ALPHA\nENDHDR\n";
    ASSERT_TRUE(Decode(greyAlpha + std::string("\x00\x00\x00\x80", 4), &image));
    EXPECT_EQ(image.bitCount, 8);
    EXPECT_EQ(Pixel(image, 0, 0), kWhite);    // transparent
    EXPECT_EQ(Pixel(image, 1, 0), Grey(127)); // half black over white

    std::string rgba = "P7\nWIDTH 1\nHEIGHT 2\nDEPTH 4\nMAXVAL 255\nENDHDR\n"; // no type: four samples carry opacity
    ASSERT_TRUE(Decode(rgba + std::string("\xFF\x00\x00\xFF\x00\x00\xFF\x00", 8), &image));
    EXPECT_EQ(image.bitCount, 24);
    EXPECT_EQ(image.sourceDepth, 32);
    EXPECT_EQ(Pixel(image, 0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(Pixel(image, 0, 1), kWhite);

    std::string rgb = "P7\nWIDTH 1\nHEIGHT 1\nDEPTH 3\nMAXVAL 65535\nTUPLTYPE RGB\nENDHDR\n";
    ASSERT_TRUE(Decode(rgb + std::string("\x00\x00\x80\x00\xFF\xFF", 6), &image));
    EXPECT_EQ(Pixel(image, 0, 0), Rgb(0, 128, 255));
}

TEST(NetpbmParser, DamagedHeadersAndShortRastersAreRefused) {
    NetpbmImage image;
    for (const std::string& bad : {
             std::string("P5 3 1 255\n\x01\x02", 13),                           // raw raster one sample short
             std::string("P4 9 1\n\xFF", 8),                                    // a 9-pixel row needs two bytes
             std::string("P2 2 2 255 1 2 3"),                                   // plain raster short
             std::string("P1 2 1 0 2"),                                         // not a bit
             std::string("P5 0 1 255\n\x00", 12),                               // no columns
             std::string("P5 1 1 0\n\x00", 10),                                 // maximum 0
             std::string("P5 1 1 65536\n\x00\x00", 15),                         // maximum too large
             std::string("P6 2 1 255"),                                         // no raster at all
             std::string("P5 -1 1 255\n\x00", 13),                              // negative size
             std::string("P7\nWIDTH 1\nHEIGHT 1\nMAXVAL 255\nENDHDR\n") + '\0', // no depth
             std::string("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n") + "abc",
             std::string("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\n") + '\0', // no ENDHDR
             std::string("P7 332\n"),                                            // not PAM: a thumbnail format
             std::string("P8 1 1 255\n\x00", 12),
         }) {
        EXPECT_FALSE(Decode(bad, &image)) << bad.substr(0, 12);
        EXPECT_TRUE(image.bits.empty());
    }
    // a huge header with a few bytes of raster fails before anything is allocated for it
    EXPECT_FALSE(Decode("P6 100000 100000 255\n\x01\x02\x03", &image));
    EXPECT_FALSE(Decode("P1 100000 100000 0101", &image));
}

TEST(NetpbmParser, RecognisesOnlyTheSixMagicsAndPam) {
    auto looks = [](const std::string& s) {
        return LooksLikeNetpbm(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_TRUE(looks("P1\n"));
    EXPECT_TRUE(looks("P6 "));
    EXPECT_TRUE(looks("P7\n"));
    EXPECT_FALSE(looks("P7 332"));
    EXPECT_FALSE(looks("P0 "));
    EXPECT_FALSE(looks("P5x"));
    EXPECT_FALSE(looks("P5"));
}

} // namespace
} // namespace qv
