#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/decoders.h"
#include "tiff_test_file.h"

namespace qv {
namespace {

using qvtest::TiffTestFile;

struct Decoded {
    bool ok = false;
    CodecStatus status = kCodecOk;
    ImageBuffer image{};
    LoadInfo info{};
    Decoded() = default;
    Decoded(const Decoded&) = delete;
    ~Decoded() { FreeImagePixels(&image); }
};

// Decodes from an exactly sized heap copy, so that the sanitizers see any read past the end.
void Decode(const std::string& file, Decoded* out) {
    std::vector<uint8_t> bytes(file.begin(), file.end());
    out->ok = ReadTiffMemory(bytes.data(), static_cast<uint32_t>(bytes.size()), &out->image, &out->info, &out->status);
}

CodecStatus StatusOf(const std::string& file) {
    Decoded d;
    Decode(file, &d);
    EXPECT_EQ(d.ok, d.status == kCodecOk);
    if (!d.ok) {
        EXPECT_EQ(d.image.pixels, nullptr);
    }
    return d.status;
}

// Pixel (x, y) counted from the top of the picture: the index, or blue | green << 8 | red << 16.
uint32_t PixelAt(const ImageBuffer& image, uint32_t x, uint32_t y) {
    const uint8_t* row = ImageRowFromTop(&image, y);
    if (image.header.biBitCount == 8) return row[x];
    return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
}

TiffTestFile Grey8(uint32_t width, uint32_t height, int photometric = 1) {
    TiffTestFile t;
    t.Basic(width, height, {8}, photometric);
    std::vector<uint8_t> data(width * height);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    t.Strip(data);
    return t;
}

TEST(TiffDecoderTest, BigEndian16BitRgbKeepsTheHighByteOfEachSample) {
    TiffTestFile t(true);
    t.Basic(2, 2, {16, 16, 16}, 2);
    t.Short(277, {3});
    // samples written high byte first; the low bytes (0x11.., 0x22..) must be dropped
    t.Strip({0xA0, 0x11, 0xB0, 0x12, 0xC0, 0x13, 0x01, 0x21, 0x02, 0x22, 0x03, 0x23,
             0x10, 0x31, 0x20, 0x32, 0x30, 0x33, 0xFF, 0x41, 0xFE, 0x42, 0xFD, 0x43});
    Decoded d;
    Decode(t.Build(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.header.biBitCount, 24);
    EXPECT_EQ(d.image.sourceBitDepth, 48u);
    EXPECT_EQ(d.image.sourceFormat, uint32_t{kFormatTiff});
    EXPECT_EQ(PixelAt(d.image, 0, 0), 0xA0B0C0u); // red A0, green B0, blue C0
    EXPECT_EQ(PixelAt(d.image, 1, 0), 0x010203u);
    EXPECT_EQ(PixelAt(d.image, 0, 1), 0x102030u);
    EXPECT_EQ(PixelAt(d.image, 1, 1), 0xFFFEFDu);
    // the first file row is the last row of the block
    EXPECT_EQ(d.image.pixels[ImageStride(&d.image)], 0xC0);
}

TEST(TiffDecoderTest, LittleEndian16BitRgbTakesTheSecondByteOfEachPair) {
    TiffTestFile t(false);
    t.Basic(1, 1, {16, 16, 16}, 2);
    t.Strip({0x11, 0xA0, 0x12, 0xB0, 0x13, 0xC0});
    Decoded d;
    Decode(t.Build(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(PixelAt(d.image, 0, 0), 0xA0B0C0u);
}

TEST(TiffDecoderTest, Rgb8IsStoredBlueGreenRedBottomUp) {
    for (bool big : {false, true}) {
        TiffTestFile t(big);
        t.Basic(3, 2, {8, 8, 8}, 2);
        t.Strip({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
        Decoded d;
        Decode(t.Build(), &d);
        ASSERT_TRUE(d.ok) << d.status;
        EXPECT_EQ(d.image.sourceBitDepth, 24u);
        EXPECT_EQ(PixelAt(d.image, 0, 0), 0x010203u);
        EXPECT_EQ(PixelAt(d.image, 2, 0), 0x070809u);
        EXPECT_EQ(PixelAt(d.image, 2, 1), 0x101112u);
    }
}

TEST(TiffDecoderTest, WhiteIsZeroBilevelHasWhiteEntryZeroAndExpandsMostSignificantBitFirst) {
    TiffTestFile t;
    t.Basic(10, 2, {1}, 0);
    t.Strip({0b10110000, 0b01000000, 0b00000001, 0b11000000});
    Decoded d;
    Decode(t.Build(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.header.biBitCount, 8);
    EXPECT_EQ(d.image.sourceBitDepth, 1u);
    EXPECT_EQ(d.image.palette[0].rgbRed, 255);
    EXPECT_EQ(d.image.palette[0].rgbBlue, 255);
    EXPECT_EQ(d.image.palette[1].rgbGreen, 0);
    EXPECT_EQ(d.image.palette[2].rgbRed, 0); // entries past the two stay zero
    std::vector<uint32_t> row0, row1;
    for (uint32_t x = 0; x < 10; ++x) {
        row0.push_back(PixelAt(d.image, x, 0));
        row1.push_back(PixelAt(d.image, x, 1));
    }
    EXPECT_EQ(row0, (std::vector<uint32_t>{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(row1, (std::vector<uint32_t>{0, 0, 0, 0, 0, 0, 0, 1, 1, 1}));
}

TEST(TiffDecoderTest, GreyPalettesFollowTheBitCount) {
    TiffTestFile t;
    t.Basic(3, 1, {4}, 1);
    t.Strip({0x0F, 0x70});
    Decoded d;
    Decode(t.Build(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.sourceBitDepth, 4u);
    EXPECT_EQ(PixelAt(d.image, 0, 0), 0u);
    EXPECT_EQ(PixelAt(d.image, 1, 0), 15u);
    EXPECT_EQ(PixelAt(d.image, 2, 0), 7u);
    EXPECT_EQ(d.image.palette[15].rgbRed, 255);
    EXPECT_EQ(d.image.palette[7].rgbGreen, 7 * 17);
    EXPECT_EQ(d.image.palette[16].rgbRed, 0);

    Decoded w;
    Decode(Grey8(4, 4, 0).Build(), &w);
    ASSERT_TRUE(w.ok) << w.status;
    EXPECT_EQ(w.image.palette[0].rgbRed, 255);
    EXPECT_EQ(w.image.palette[200].rgbBlue, 55);
    EXPECT_EQ(PixelAt(w.image, 1, 0), 7u);
}

TEST(TiffDecoderTest, ColourMapTakesTheHighByteInEitherByteOrder) {
    for (bool big : {false, true}) {
        TiffTestFile t(big);
        t.Basic(2, 1, {4}, 3);
        std::vector<uint32_t> map(48);
        for (uint32_t i = 0; i < 16; ++i) {
            map[i] = (i * 16) << 8 | 0x77;          // red
            map[16 + i] = (255 - i) << 8 | 0x66;    // green
            map[32 + i] = (i == 3 ? 0xAB00 : 0x55); // blue
        }
        t.Short(320, map);
        t.Strip({0x3F});
        Decoded d;
        Decode(t.Build(), &d);
        ASSERT_TRUE(d.ok) << d.status;
        EXPECT_EQ(d.image.palette[3].rgbRed, 48);
        EXPECT_EQ(d.image.palette[3].rgbGreen, 252);
        EXPECT_EQ(d.image.palette[3].rgbBlue, 0xAB);
        EXPECT_EQ(d.image.palette[15].rgbBlue, 0);
        EXPECT_EQ(PixelAt(d.image, 0, 0), 3u);
        EXPECT_EQ(PixelAt(d.image, 1, 0), 15u);
    }
}

TEST(TiffDecoderTest, SeveralStripsFormOneImageWhateverTheirBoundariesAndFileOrder) {
    // rows of 3 RGB pixels are 9 bytes; strips of 4, 10 and 13 bytes split rows anywhere
    std::vector<uint8_t> all(27);
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<uint8_t>(i + 1);
    TiffTestFile t;
    t.Basic(3, 3, {8, 8, 8}, 2);
    t.Strip(std::vector<uint8_t>(all.begin(), all.begin() + 4));
    t.Strip(std::vector<uint8_t>(all.begin() + 4, all.begin() + 14));
    t.Strip(std::vector<uint8_t>(all.begin() + 14, all.end()));
    t.set_reverse_strips(true);
    Decoded d;
    Decode(t.Build(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    for (uint32_t y = 0; y < 3; ++y) {
        for (uint32_t x = 0; x < 3; ++x) {
            uint32_t r = 9 * y + 3 * x + 1;
            EXPECT_EQ(PixelAt(d.image, x, y), r << 16 | (r + 1) << 8 | (r + 2)) << x << "," << y;
        }
    }
}

TEST(TiffDecoderTest, RefusesWhatItDoesNotRead) {
    TiffTestFile noPhotometric = Grey8(2, 2, -1);
    EXPECT_EQ(StatusOf(noPhotometric.Build()), kCodecNotSupported);

    TiffTestFile lzw = Grey8(2, 2);
    lzw.Remove(259);
    lzw.Short(259, {5});
    EXPECT_EQ(StatusOf(lzw.Build()), kCodecNotSupported);

    TiffTestFile tiled;
    tiled.Basic(2, 2, {8}, 1);
    tiled.Long(322, {16});
    tiled.Long(323, {16});
    tiled.Long(324, {8});
    tiled.Long(325, {4});
    EXPECT_EQ(StatusOf(tiled.Build()), kCodecBadData);
    TiffTestFile tiledWithStrips = Grey8(2, 2);
    tiledWithStrips.Long(322, {16});
    EXPECT_EQ(StatusOf(tiledWithStrips.Build()), kCodecBadData);

    TiffTestFile planar;
    planar.Basic(1, 1, {8, 8, 8}, 2);
    planar.Short(284, {2});
    planar.Strip({1, 2, 3});
    EXPECT_EQ(StatusOf(planar.Build()), kCodecNotSupported);

    TiffTestFile rgba;
    rgba.Basic(1, 1, {8, 8, 8, 8}, 2);
    rgba.Short(338, {2});
    rgba.Strip({1, 2, 3, 4});
    EXPECT_EQ(StatusOf(rgba.Build()), kCodecNotSupported);

    // grey with alpha: BitsPerSample 8, 8 fits inside the entry; must not be read as 1-bit grey
    TiffTestFile greyAlpha;
    greyAlpha.Basic(2, 1, {8, 8}, 1);
    greyAlpha.Short(277, {2});
    greyAlpha.Short(338, {1});
    greyAlpha.Strip({1, 2, 3, 4});
    EXPECT_EQ(StatusOf(greyAlpha.Build()), kCodecNotSupported);

    TiffTestFile rgbWithoutSampleCount;
    rgbWithoutSampleCount.Basic(1, 1, {8}, 2);
    rgbWithoutSampleCount.Short(277, {3});
    rgbWithoutSampleCount.Strip({1, 2, 3});
    EXPECT_EQ(StatusOf(rgbWithoutSampleCount.Build()), kCodecNotSupported);

    TiffTestFile grey16;
    grey16.Basic(1, 1, {16}, 1);
    grey16.Strip({1, 2});
    EXPECT_EQ(StatusOf(grey16.Build()), kCodecNotSupported);

    TiffTestFile paletteWithoutMap = Grey8(2, 2, 3);
    EXPECT_EQ(StatusOf(paletteWithoutMap.Build()), kCodecNotSupported);

    TiffTestFile signedSamples = Grey8(2, 2);
    signedSamples.Short(339, {2});
    EXPECT_EQ(StatusOf(signedSamples.Build()), kCodecNotSupported);

    TiffTestFile cmyk = Grey8(2, 2, 5);
    EXPECT_EQ(StatusOf(cmyk.Build()), kCodecNotSupported);
}

TEST(TiffDecoderTest, DamagedHeadersAndDirectoriesAreBadData) {
    std::string good = Grey8(2, 2).Build();
    ASSERT_EQ(StatusOf(good), kCodecOk);
    EXPECT_EQ(StatusOf(good.substr(0, 7)), kCodecBadData);
    std::string order = good;
    order[1] = 'M';
    EXPECT_EQ(StatusOf(order), kCodecBadData);
    std::string magic = good;
    magic[2] = 43;
    EXPECT_EQ(StatusOf(magic), kCodecBadData);
    std::string farIfd = good;
    farIfd[4] = farIfd[5] = farIfd[6] = static_cast<char>(0xFF);
    EXPECT_EQ(StatusOf(farIfd), kCodecBadData);
    // the directory's entries run past the end of the file
    uint32_t ifd = static_cast<uint8_t>(good[4]) | static_cast<uint8_t>(good[5]) << 8;
    EXPECT_EQ(StatusOf(good.substr(0, ifd + 2 + 12 * 3)), kCodecBadData);
    std::string manyEntries = good;
    manyEntries[ifd + 1] = 0x7F;
    EXPECT_EQ(StatusOf(manyEntries), kCodecBadData);
}

TEST(TiffDecoderTest, StripArraysAreChecked) {
    TiffTestFile unequal = Grey8(2, 2);
    unequal.set_auto_strips(false);
    unequal.Long(273, {8, 9});
    unequal.Long(279, {4});
    EXPECT_EQ(StatusOf(unequal.Build()), kCodecBadData);

    TiffTestFile missingCounts = Grey8(2, 2);
    missingCounts.set_auto_strips(false);
    missingCounts.Long(273, {8});
    EXPECT_EQ(StatusOf(missingCounts.Build()), kCodecBadData);

    TiffTestFile duplicate = Grey8(2, 2);
    duplicate.Long(273, {8});
    EXPECT_EQ(StatusOf(duplicate.Build()), kCodecBadData);

    TiffTestFile pastEnd = Grey8(2, 2);
    pastEnd.set_auto_strips(false);
    pastEnd.Long(273, {8});
    pastEnd.Long(279, {1000});
    EXPECT_EQ(StatusOf(pastEnd.Build()), kCodecCannotOpen);

    TiffTestFile offsetPastEnd = Grey8(2, 2);
    offsetPastEnd.set_auto_strips(false);
    offsetPastEnd.Long(273, {0xFFFFFFF0u});
    offsetPastEnd.Long(279, {4});
    EXPECT_EQ(StatusOf(offsetPastEnd.Build()), kCodecCannotOpen);

    TiffTestFile shortData = Grey8(2, 2);
    shortData.set_auto_strips(false);
    shortData.Long(273, {8});
    shortData.Long(279, {3});
    EXPECT_EQ(StatusOf(shortData.Build()), kCodecCannotOpen);

    // the byte counts add up past 32 bits
    TiffTestFile overflow = Grey8(2, 2);
    overflow.set_auto_strips(false);
    overflow.Long(273, {8, 8});
    overflow.Long(279, {0xFFFFFFF0u, 0x20});
    EXPECT_EQ(StatusOf(overflow.Build()), kCodecNotSupported);

    TiffTestFile noStrips = Grey8(2, 2);
    noStrips.set_auto_strips(false);
    noStrips.Raw(273, 4, 0, 0);
    noStrips.Raw(279, 4, 0, 0);
    EXPECT_EQ(StatusOf(noStrips.Build()), kCodecCannotOpen);

    // a count whose byte size does not fit: 2^30 LONGs
    TiffTestFile tooMany = Grey8(2, 2);
    tooMany.set_auto_strips(false);
    tooMany.Raw(273, 4, 1u << 30, 8);
    tooMany.Long(279, {4});
    EXPECT_EQ(StatusOf(tooMany.Build()), kCodecNotSupported);
    TiffTestFile hugeCount = Grey8(2, 2);
    hugeCount.set_auto_strips(false);
    hugeCount.Raw(273, 4, 0xFFFFFFFFu, 8);
    hugeCount.Long(279, {4});
    EXPECT_EQ(StatusOf(hugeCount.Build()), kCodecNotSupported);

    // several offsets said to lie beyond the file
    TiffTestFile arrayOutside = Grey8(2, 2);
    arrayOutside.set_auto_strips(false);
    arrayOutside.Raw(273, 4, 2, 0x7FFFFFF0u);
    arrayOutside.Raw(279, 4, 2, 0x7FFFFFF0u);
    EXPECT_EQ(StatusOf(arrayOutside.Build()), kCodecBadData);

    // two SHORT values fit inside the entry itself
    TiffTestFile inlineShorts;
    inlineShorts.Basic(2, 2, {8}, 1);
    inlineShorts.set_auto_strips(false);
    inlineShorts.Strip({1, 2, 3, 4}); // placed right after the header, at 8
    inlineShorts.Short(273, {8, 10});
    inlineShorts.Short(279, {2, 2});
    Decoded d;
    Decode(inlineShorts.Build(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(PixelAt(d.image, 1, 0), 2u);
    EXPECT_EQ(PixelAt(d.image, 0, 1), 3u);
}

TEST(TiffDecoderTest, SizesAreChecked) {
    TiffTestFile zeroWidth = Grey8(2, 2);
    zeroWidth.Remove(256);
    zeroWidth.Long(256, {0});
    EXPECT_EQ(StatusOf(zeroWidth.Build()), kCodecNotSupported);

    TiffTestFile negativeWidth = Grey8(2, 2);
    negativeWidth.Remove(256);
    negativeWidth.Long(256, {0x80000000u});
    EXPECT_EQ(StatusOf(negativeWidth.Build()), kCodecNotSupported);

    TiffTestFile noHeight = Grey8(2, 2);
    noHeight.Remove(257);
    EXPECT_EQ(StatusOf(noHeight.Build()), kCodecNotSupported);

    TiffTestFile rationalWidth = Grey8(2, 2);
    rationalWidth.Remove(256);
    rationalWidth.Rational(256, 2, 1);
    EXPECT_EQ(StatusOf(rationalWidth.Build()), kCodecBadData);

    // absurd sizes from a small file are refused before anything that large is allocated
    TiffTestFile huge = Grey8(2, 2);
    huge.Remove(256);
    huge.Remove(257);
    huge.Long(256, {0x7FFFFFFF});
    huge.Long(257, {0x7FFFFFFF});
    EXPECT_EQ(StatusOf(huge.Build()), kCodecCannotOpen);
    TiffTestFile hugeRgb16;
    hugeRgb16.Basic(0x7FFFFFFF, 1, {16, 16, 16}, 2);
    hugeRgb16.Strip({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(StatusOf(hugeRgb16.Build()), kCodecCannotOpen);
}

TEST(TiffDecoderTest, BitsPerSampleListsMustBeEqual8Or16) {
    TiffTestFile unequal;
    unequal.Basic(1, 1, {8, 8, 16}, 2);
    unequal.Strip({1, 2, 3, 4});
    EXPECT_EQ(StatusOf(unequal.Build()), kCodecBadData);
    TiffTestFile four;
    four.Basic(1, 1, {4, 4, 4}, 2);
    four.Strip({1, 2});
    EXPECT_EQ(StatusOf(four.Build()), kCodecBadData);
}

TEST(TiffDecoderTest, ColourMapMustLieInsideTheData) {
    TiffTestFile t = Grey8(2, 2, 3);
    t.Raw(320, 3, 768, 0x00FFFF00);
    EXPECT_EQ(StatusOf(t.Build()), kCodecCannotOpen);
}

TEST(TiffDecoderTest, ResolutionBecomesPixelsPerMetre) {
    struct Case {
        uint32_t xNum, xDen, yNum, yDen;
        int unit; // -1: tag left out (inch)
        LONG x, y;
    } cases[] = {
        {300, 1, 150, 1, -1, 11811, 5906},       // 300 / 0.0254 = 11811.02
        {72, 1, 72, 1, 2, 2835, 2835},           // 2834.6 rounds up
        {100, 1, 50, 2, 3, 10000, 2500},         // per centimetre
        {300, 1, 300, 1, 1, 0, 0},               // no absolute unit
        {300, 0, 300, 1, 2, 0, 0},               // a zero denominator drops both
        {0xFFFFFFFF, 1, 0xFFFFFFFF, 1, 2, 0, 0}, // beyond the header's range
    };
    for (const Case& c : cases) {
        TiffTestFile t = Grey8(2, 2);
        t.Rational(282, c.xNum, c.xDen);
        t.Rational(283, c.yNum, c.yDen);
        if (c.unit >= 0) t.Short(296, {static_cast<uint32_t>(c.unit)});
        Decoded d;
        Decode(t.Build(), &d);
        ASSERT_TRUE(d.ok) << d.status;
        EXPECT_EQ(d.image.header.biXPelsPerMeter, c.x) << c.xNum << "/" << c.xDen;
        EXPECT_EQ(d.image.header.biYPelsPerMeter, c.y) << c.yNum << "/" << c.yDen;
    }
}

TEST(TiffDecoderTest, DescriptionCountsAsCommentAndRecordFieldsAreFilled) {
    TiffTestFile t = Grey8(5, 3);
    t.Ascii(270, "a scanned page");
    std::string file = t.Build();
    Decoded d;
    d.info.orientation = 7;
    Decode(file, &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.info.commentPresent, 1);
    EXPECT_EQ(d.info.orientation, 1);
    EXPECT_EQ(d.image.fileSize, file.size());
    const BITMAPINFOHEADER& h = d.image.header;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 5);
    EXPECT_EQ(h.biHeight, 3);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biCompression, uint32_t{BI_RGB});

    Decoded plain;
    Decode(Grey8(5, 3).Build(), &plain);
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.info.commentPresent, 0);
}

TEST(TiffDecoderTest, OnlyTheFirstDirectoryIsReadSoALoopingChainIsHarmless) {
    TiffTestFile t = Grey8(2, 2);
    t.set_next_ifd_to_self(true);
    EXPECT_EQ(StatusOf(t.Build()), kCodecOk);
}

TEST(TiffDecoderTest, ASuppliedRecordLosesItsOldPixelsAndPaletteOnFailure) {
    Decoded d;
    Decode(Grey8(4, 4, 0).Build(), &d);
    ASSERT_TRUE(d.ok);
    ASSERT_NE(d.image.palette[0].rgbRed, 0);
    std::vector<uint8_t> bad = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
    EXPECT_FALSE(ReadTiffMemory(bad.data(), static_cast<uint32_t>(bad.size()), &d.image, nullptr, &d.status));
    EXPECT_EQ(d.image.pixels, nullptr);
    EXPECT_EQ(d.image.palette[0].rgbRed, 0);
}

TEST(TiffDecoderTest, EveryTruncationOfAValidFileFailsCleanly) {
    TiffTestFile t(true);
    t.Basic(5, 4, {8}, 3);
    t.Rational(282, 72, 1);
    t.Rational(283, 72, 1);
    std::vector<uint32_t> map(768, 0x1234);
    t.Short(320, map); // last in the file, so that every cut reaches into it
    t.Strip(std::vector<uint8_t>(10, 1));
    t.Strip(std::vector<uint8_t>(10, 2));
    std::string file = t.Build();
    ASSERT_EQ(StatusOf(file), kCodecOk);
    for (size_t n = 0; n < file.size(); ++n)
        EXPECT_NE(StatusOf(file.substr(0, n)), kCodecOk) << n;
}

} // namespace
} // namespace qv
