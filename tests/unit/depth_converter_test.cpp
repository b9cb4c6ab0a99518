#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "codecs/depth_converter.h"
#include "model/image_buffer.h"
#include "model/image_colours.h"

namespace qv {
namespace {

// A 24-bit block (rows padded to 4) built from blue-green-red triples, row by row in block order.
struct Block24 {
    uint32_t width, height, stride;
    std::vector<uint8_t> bytes;
    Block24(uint32_t w, uint32_t h) : width(w), height(h), stride((w * 3 + 3) & ~3u), bytes(stride * h + 4, 0xEE) {}
    void Set(uint32_t x, uint32_t y, uint8_t b, uint8_t g, uint8_t r) {
        uint8_t* p = &bytes[y * stride + x * 3];
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
};

struct Output {
    DepthConverter c;
    RGBQUAD palette[256];
    std::vector<uint8_t> pixels;
};

bool Convert(const Block24& in, uint32_t depth, bool dither, Output* out) {
    if (!ConfigureDepthConverter(&out->c, in.width, in.height, 24, depth, dither)) return false;
    out->pixels.assign(out->c.totalBytes + 4, 0xAA);
    std::memset(out->palette, 0x55, sizeof out->palette);
    return ConvertDepth(&out->c, nullptr, in.bytes.data(), out->palette, out->pixels.data());
}

uint32_t Index4(const Output& o, uint32_t x, uint32_t y) {
    uint8_t byte = o.pixels[y * o.c.stride + x / 2];
    return x % 2 ? byte & 15 : byte >> 4;
}

TEST(DepthConverterTest, ConfigureComputesPackedStrideAndTotal) {
    DepthConverter c;
    ASSERT_TRUE(ConfigureDepthConverter(&c, 5, 3, 24, 1, false));
    EXPECT_EQ(c.packedRowBytes, 1u);
    EXPECT_EQ(c.stride, 4u);
    EXPECT_EQ(c.totalBytes, 12u);
    ASSERT_TRUE(ConfigureDepthConverter(&c, 9, 2, 24, 4, false));
    EXPECT_EQ(c.packedRowBytes, 5u);
    EXPECT_EQ(c.stride, 8u);
    ASSERT_TRUE(ConfigureDepthConverter(&c, 5, 2, 24, 2, false));
    EXPECT_EQ(c.packedRowBytes, 2u);
    EXPECT_EQ(c.stride, 4u);
    ASSERT_TRUE(ConfigureDepthConverter(&c, 3, 2, 8, 32, false));
    EXPECT_EQ(c.stride, 12u); // 32 bits is never padded
    ASSERT_TRUE(ConfigureDepthConverter(&c, 1, 1, 8, 24, false));
    EXPECT_EQ(c.stride, 4u);
    ASSERT_TRUE(ConfigureDepthConverter(&c, -4, 7, 8, 24, false));
    EXPECT_EQ(c.width, 0);
    EXPECT_EQ(c.totalBytes, 0u);
    EXPECT_FALSE(ConfigureDepthConverter(&c, 70000, 70000, 8, 24, false));
    EXPECT_EQ(c.totalBytes, 0u);
}

TEST(DepthConverterTest, SixteenColoursAtFourBitsKeepTheirOwnPaletteDarkestFirst) {
    Block24 in(16, 3);
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 16; ++x) // colours met brightest first
            in.Set(x, y, static_cast<uint8_t>(255 - x * 10), static_cast<uint8_t>(x), 7);
    Output out;
    ASSERT_TRUE(Convert(in, 4, true, &out)); // few enough colours: nothing approximated, even dithered
    EXPECT_EQ(out.c.paletteCount, 16u);
    for (uint32_t i = 1; i < 16; ++i) {
        const RGBQUAD &a = out.palette[i - 1], &b = out.palette[i];
        EXPECT_LE(a.rgbBlue + a.rgbGreen + a.rgbRed, b.rgbBlue + b.rgbGreen + b.rgbRed);
    }
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            const RGBQUAD& c = out.palette[Index4(out, x, y)];
            EXPECT_EQ(c.rgbBlue, 255 - x * 10);
            EXPECT_EQ(c.rgbGreen, x);
            EXPECT_EQ(c.rgbRed, 7);
        }
    EXPECT_EQ(out.palette[16].rgbBlue, 0); // the rest of the table is cleared
}

TEST(DepthConverterTest, EqualSumsKeepTheOrderFirstMet) {
    Block24 in(3, 1);
    in.Set(0, 0, 0, 0, 9); // sum 9, met first
    in.Set(1, 0, 9, 0, 0); // sum 9
    in.Set(2, 0, 1, 0, 0); // sum 1
    Output out;
    ASSERT_TRUE(Convert(in, 2, false, &out));
    EXPECT_EQ(out.palette[0].rgbBlue, 1);
    EXPECT_EQ(out.palette[1].rgbRed, 9);
    EXPECT_EQ(out.palette[2].rgbBlue, 9);
}

TEST(DepthConverterTest, SeventeenColoursAreCutToSixteenWithoutDither) {
    Block24 in(17, 2);
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 17; ++x)
            in.Set(x, y, static_cast<uint8_t>(x * 15), static_cast<uint8_t>(x * 3), 0);
    Output out;
    ASSERT_TRUE(Convert(in, 4, false, &out));
    EXPECT_EQ(out.c.paletteCount, 16u);
    std::set<uint32_t> used;
    for (uint32_t x = 0; x < 17; ++x)
        used.insert(Index4(out, x, 0));
    EXPECT_EQ(used.size(), 16u); // every box's colour is taken by some pixel
    EXPECT_EQ(out.pixels[out.c.totalBytes], 0xAA) << "wrote past the block";
}

TEST(DepthConverterTest, MedianCutSplitsTheWidestBoxAtItsMedianInCreationOrder) {
    // blue 0..9 only: boxes {0-5 | 6-9}, then {0-3 | 4-5}, then (tie, first box) {0-2 | 3}
    Block24 in(10, 1);
    for (uint32_t x = 0; x < 10; ++x)
        in.Set(x, 0, static_cast<uint8_t>(x), 0, 0);
    Output out;
    ASSERT_TRUE(Convert(in, 2, false, &out));
    EXPECT_EQ(out.palette[0].rgbBlue, 1);
    EXPECT_EQ(out.palette[1].rgbBlue, 8);
    EXPECT_EQ(out.palette[2].rgbBlue, 5);
    EXPECT_EQ(out.palette[3].rgbBlue, 3);
    // nearest entry, the lowest index on ties
    uint8_t row = out.pixels[0];
    EXPECT_EQ(row >> 6, 0);           // blue 0 -> 1
    EXPECT_EQ((row >> 2) & 3, 0);     // blue 2: 1 (index 0) and 3 (index 3) tie
    EXPECT_EQ(row & 3, 3);            // blue 3
    EXPECT_EQ(out.pixels[1] >> 6, 2); // blue 4: 5 (index 2) and 3 (index 3) tie
}

TEST(DepthConverterTest, DitheredFourBitPaletteEndsWithTheImageColoursNearestTheCorners) {
    Block24 in(40, 8);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            in.Set(x, y, static_cast<uint8_t>(40 + x * 4), static_cast<uint8_t>(30 + y * 20), 90);
    in.Set(37, 7, 250, 10, 5);  // near blue
    in.Set(38, 7, 5, 5, 240);   // near red
    in.Set(39, 7, 250, 250, 0); // near cyan
    Output out;
    ASSERT_TRUE(Convert(in, 4, true, &out));
    EXPECT_EQ(out.c.paletteCount, 16u);
    const RGBQUAD* corners = out.palette + 8;
    EXPECT_EQ(corners[2].rgbBlue, 250); // blue
    EXPECT_EQ(corners[2].rgbGreen, 10);
    EXPECT_EQ(corners[4].rgbRed, 240);   // red
    EXPECT_EQ(corners[5].rgbGreen, 250); // cyan
    // black: the darkest pixel of the ramp, white: the brightest
    EXPECT_EQ(corners[0].rgbBlue, 40);
    EXPECT_EQ(corners[0].rgbGreen, 30);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 40; ++x)
            ASSERT_LT(Index4(out, x, y), 16u);
}

TEST(DepthConverterTest, OneBitThresholdIsGrey128) {
    Block24 in(2, 1);
    in.Set(0, 0, 128, 128, 128); // grey 38 + 75 + 15 = 128
    in.Set(1, 0, 127, 127, 127); // grey 38 + 75 + 14 = 127
    Output out;
    ASSERT_TRUE(Convert(in, 1, false, &out));
    EXPECT_EQ(out.pixels[0], 0x80);
    EXPECT_EQ(out.palette[0].rgbRed, 0);
    EXPECT_EQ(out.palette[1].rgbRed, 255);
    EXPECT_EQ(out.palette[1].rgbBlue, 255);
    EXPECT_EQ(out.c.paletteCount, 2u);
}

TEST(DepthConverterTest, OnePixelWideImageDithersDownItsColumnOnly) {
    Block24 in(1, 10);
    for (uint32_t y = 0; y < 10; ++y)
        in.Set(0, y, 100, 100, 100); // grey 100
    Output out;
    ASSERT_TRUE(Convert(in, 1, true, &out));
    // 100 -> 0 (+31), 131 -> 1 (-39), 61 -> 0 (+19), 119 -> 0 (+37), 137 -> 1 (-37), 63 -> 0 (+20),
    // 120 -> 0 (+38: 37.5 rounds away from zero), 138 -> 1, ...
    const int expected[10] = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0};
    for (uint32_t y = 0; y < 10; ++y)
        EXPECT_EQ(out.pixels[y * 4] >> 7, expected[y]) << "row " << y;
}

TEST(DepthConverterTest, EightBitSourceWithUnusedEntriesGetsLowIndices) {
    RGBQUAD palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 3, 0};
    palette[250] = palette[7]; // a duplicate colour shares one entry
    std::vector<uint8_t> pixels = {200, 7, 250, 0, 7, 7, 200, 0, 0, 0, 0, 0};
    DepthConverter c;
    ASSERT_TRUE(ConfigureDepthConverter(&c, 3, 2, 8, 2, false));
    RGBQUAD target[256];
    std::vector<uint8_t> out(c.totalBytes + 4);
    ASSERT_TRUE(ConvertDepth(&c, palette, pixels.data(), target, out.data()));
    EXPECT_EQ(c.paletteCount, 2u);
    EXPECT_EQ(target[0].rgbBlue, 7); // index order: 7 first, then 200
    EXPECT_EQ(target[1].rgbBlue, 200);
    EXPECT_EQ(out[0], 0b01000000);
    EXPECT_EQ(out[4], 0b00000100);
}

TEST(DepthConverterTest, PackedSourcesExpandWithTheirPalette) {
    RGBQUAD palette[256] = {};
    for (int i = 0; i < 16; ++i)
        palette[i] = RGBQUAD{static_cast<BYTE>(i * 16), static_cast<BYTE>(i), static_cast<BYTE>(200 - i), 0};
    const uint8_t oneBit[8] = {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0}; // 3 x 2
    DepthConverter c;
    RGBQUAD target[256] = {};
    std::vector<uint8_t> out;
    ASSERT_TRUE(ConfigureDepthConverter(&c, 3, 2, 1, 8, false));
    out.assign(c.totalBytes + 4, 9);
    ASSERT_TRUE(ConvertDepth(&c, palette, oneBit, target, out.data()));
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 3), (std::vector<uint8_t>{1, 0, 1}));
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 4, out.begin() + 7), (std::vector<uint8_t>{0, 1, 0}));
    EXPECT_EQ(target[1].rgbBlue, 16);
    EXPECT_EQ(c.paletteCount, 2u);

    const uint8_t fourBit[4] = {0xF3, 0x70, 0, 0}; // 3 x 1
    ASSERT_TRUE(ConfigureDepthConverter(&c, 3, 1, 4, 24, false));
    out.assign(c.totalBytes + 4, 0);
    ASSERT_TRUE(ConvertDepth(&c, palette, fourBit, target, out.data()));
    EXPECT_EQ(out[0], 240);
    EXPECT_EQ(out[2], 185);
    EXPECT_EQ(out[3], 48);
    EXPECT_EQ(out[6], 112);

    const uint8_t twoBit[4] = {0b11100100, 0, 0, 0}; // 4 x 1
    ASSERT_TRUE(ConfigureDepthConverter(&c, 4, 1, 2, 8, false));
    out.assign(c.totalBytes + 4, 0);
    std::memset(target, 0, sizeof target);
    ASSERT_TRUE(ConvertDepth(&c, palette, twoBit, target, out.data()));
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 4), (std::vector<uint8_t>{3, 2, 1, 0}));
    EXPECT_EQ(target[3].rgbBlue, 48); // the four entries travel with the indices
}

TEST(DepthConverterTest, UnsupportedPairsFailAsCannotConvert) {
    DepthConverter c;
    RGBQUAD palette[256] = {}, target[256];
    uint8_t pixels[16] = {}, out[64];
    ASSERT_TRUE(ConfigureDepthConverter(&c, 2, 2, 16, 8, false));
    EXPECT_FALSE(ConvertDepth(&c, palette, pixels, target, out));
    EXPECT_EQ(c.status, kCodecCannotConvert);
    ASSERT_TRUE(ConfigureDepthConverter(&c, 2, 2, 24, 32, false));
    EXPECT_FALSE(ConvertDepth(&c, palette, pixels, target, out));
    ASSERT_TRUE(ConfigureDepthConverter(&c, 2, 2, 4, 2, false));
    EXPECT_FALSE(ConvertDepth(&c, palette, pixels, target, out));
    ASSERT_TRUE(ConfigureDepthConverter(&c, 2, 2, 24, 9, false));
    EXPECT_FALSE(ConvertForGif(&c, palette, pixels, target, out));
}

TEST(DepthConverterTest, GifFormWritesOneBytePerPixelWithPaddedRows) {
    Block24 in(5, 20);
    for (uint32_t y = 0; y < 20; ++y)
        for (uint32_t x = 0; x < 5; ++x)
            in.Set(x, y, static_cast<uint8_t>(x * 50), static_cast<uint8_t>(y * 12), static_cast<uint8_t>(x * y));
    DepthConverter c;
    RGBQUAD palette[256];
    std::vector<uint8_t> plane(8 * 20 + 4, 0xCC);
    ASSERT_TRUE(ConfigureDepthConverter(&c, 5, 20, 24, 3, true));
    ASSERT_TRUE(ConvertForGif(&c, nullptr, in.bytes.data(), palette, plane.data()));
    EXPECT_EQ(c.paletteCount, 8u); // three boxes and the five colours
    for (uint32_t y = 0; y < 20; ++y) {
        for (uint32_t x = 0; x < 5; ++x)
            ASSERT_LT(plane[y * 8 + x], 8);
        EXPECT_EQ(plane[y * 8 + 5], 0);
    }
    EXPECT_EQ(plane[160], 0xCC);

    ASSERT_TRUE(ConfigureDepthConverter(&c, 5, 20, 24, 1, false));
    ASSERT_TRUE(ConvertForGif(&c, nullptr, in.bytes.data(), palette, plane.data()));
    EXPECT_EQ(plane[0], 0); // dark corner
    EXPECT_EQ(plane[19 * 8 + 4], 1);
}

TEST(DepthConverterTest, GreyRoundsEachProductOnItsOwn) {
    RGBQUAD palette[256] = {};
    palette[1] = RGBQUAD{255, 255, 255, 0};
    palette[2] = RGBQUAD{0, 0, 255, 0}; // pure red: round(76.245) = 76
    const uint8_t pixels[8] = {1, 2, 0, 0, 2, 1, 0, 0};
    DepthConverter c;
    ASSERT_TRUE(ConfigureDepthConverter(&c, 2, 2, 8, 8, false));
    uint8_t grey[4];
    ASSERT_TRUE(ToGrey(c, palette, pixels, grey));
    EXPECT_EQ(grey[0], 255);
    EXPECT_EQ(grey[1], 76);
    EXPECT_EQ(grey[2], 76);
    EXPECT_EQ(grey[3], 255);
}

TEST(ImageColoursTest, CountsIgnoreRowPadding) {
    Block24 in(3, 2); // padding bytes are 0xEE
    in.Set(0, 0, 1, 2, 3);
    in.Set(1, 0, 1, 2, 3);
    in.Set(2, 0, 3, 2, 1);
    in.Set(0, 1, 0, 0, 0);
    in.Set(1, 1, 0, 0, 0);
    in.Set(2, 1, 1, 2, 3);
    EXPECT_EQ(CountDistinctColours(in.bytes.data(), 3, 2, 3), 3u);
    const uint8_t wide[8] = {1, 2, 3, 9, 1, 2, 3, 7}; // fourth byte ignored
    EXPECT_EQ(CountDistinctColours(wide, 2, 1, 4), 1u);
    EXPECT_EQ(CountDistinctColours(wide, 2, 1, 2), 0u);
    const uint8_t indices[8] = {5, 5, 9, 200, 0, 5, 0, 201}; // 3 wide, padding 200 and 201
    EXPECT_EQ(CountUsedIndices(indices, 3, 2), 3u);
}

TEST(ImageColoursTest, EightToTwentyFourLooksUpEachIndex) {
    RGBQUAD palette[256] = {};
    palette[4] = RGBQUAD{10, 20, 30, 0};
    const uint8_t indices[8] = {4, 0, 4, 0, 0, 4, 0, 0};
    uint8_t* block = ConvertTo24Bit(palette, indices, 3, 2);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[0], 10);
    EXPECT_EQ(block[2], 30);
    EXPECT_EQ(block[6], 10);
    EXPECT_EQ(block[12 + 3], 10);
    EXPECT_EQ(block[12 + 4], 20);
    FreePixelBlock(block);
    EXPECT_EQ(ConvertTo24Bit(palette, indices, 0x7FFFFFFF, 3), nullptr);
}

} // namespace
} // namespace qv
