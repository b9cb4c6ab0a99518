// Plug-in bitmaps as ImageBuffers: 1- and 4-bit rows expanded to index bytes, 8- and 24-bit rows
// copied as far as the block reaches, the colour table, the source depth, and the bitmaps that
// are refused without leaving pixels behind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sources/plugin_bitmap.h"

namespace qv {
namespace {

std::string Info(int32_t width, int32_t height, uint16_t bitCount, uint32_t entries, uint32_t compression = BI_RGB,
                 uint32_t headerSize = 40) {
    BITMAPINFOHEADER h{};
    h.biSize = headerSize;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bitCount;
    h.biCompression = compression;
    h.biXPelsPerMeter = 2835;
    std::string info(reinterpret_cast<const char*>(&h), sizeof h);
    info.resize(headerSize > 40 ? headerSize : 40, '\0');
    for (uint32_t i = 0; i < entries; ++i)
        info += std::string{static_cast<char>(i), static_cast<char>(i + 1), static_cast<char>(i + 2), 0};
    return info;
}

struct Converted {
    ImageBuffer image{};
    ~Converted() { FreeImagePixels(&image); }
    bool Run(const std::string& info, const std::string& bits, int32_t depth = 0) {
        return ConvertPluginBitmap(reinterpret_cast<const uint8_t*>(info.data()), info.size(),
                                   reinterpret_cast<const uint8_t*>(bits.data()), bits.size(), depth, &image);
    }
};

TEST(PluginBitmap, OneAndFourBitRowsBecomeIndexBytesMostSignificantFirst) {
    Converted one;
    // 10 x 2: rows of 4 bytes, bottom row first
    std::string bits = std::string("\x40\x40\0\0", 4) + std::string("\xA0\x40\0\0", 4);
    ASSERT_TRUE(one.Run(Info(10, 2, 1, 2), bits));
    EXPECT_EQ(one.image.header.biBitCount, 8);
    EXPECT_EQ(one.image.sourceBitDepth, 1u);
    EXPECT_EQ(one.image.sourceFormat, kFormatNone);
    const uint8_t* top = ImageRowFromTop(&one.image, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(top), 10), std::string("\1\0\1\0\0\0\0\0\0\1", 10));
    EXPECT_EQ(ImageRowFromTop(&one.image, 1)[1], 1);
    EXPECT_EQ(one.image.palette[1].rgbGreen, 2);
    EXPECT_EQ(one.image.palette[2].rgbGreen, 0); // past the plug-in's two entries
    EXPECT_EQ(one.image.header.biXPelsPerMeter, 2835);

    Converted four;
    ASSERT_TRUE(four.Run(Info(3, 1, 4, 16), std::string("\x1F\x30\0\0", 4), 4));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ImageRowFromTop(&four.image, 0)), 3), "\x01\x0F\x03");
    EXPECT_EQ(four.image.palette[15].rgbRed, 17);
    // a 1-bit block that misses part of its last row is refused
    EXPECT_FALSE(one.Run(Info(10, 2, 1, 2), bits.substr(0, 7)));
    EXPECT_EQ(one.image.pixels, nullptr);
}

TEST(PluginBitmap, EightAndTwentyFourBitRowsAreCopiedAsFarAsTheBlockReaches) {
    Converted c;
    ASSERT_TRUE(c.Run(Info(2, 2, 24, 0), std::string("\x01\x02\x03\x04\x05\x06\0\0\x07", 9), 24));
    EXPECT_EQ(c.image.header.biBitCount, 24);
    EXPECT_EQ(ImageRowFromTop(&c.image, 1)[5], 6); // the bottom row, stored first
    EXPECT_EQ(ImageRowFromTop(&c.image, 0)[0], 7);
    EXPECT_EQ(ImageRowFromTop(&c.image, 0)[1], 0); // past the block: left zero
    // a colour table after a larger header is found where that header ends
    ASSERT_TRUE(c.Run(Info(4, 1, 8, 3, BI_RGB, 52), std::string("\x02\x01\x00\x02", 4), 0));
    EXPECT_EQ(c.image.header.biSize, 40u);
    EXPECT_EQ(c.image.sourceBitDepth, 8u);
    EXPECT_EQ(c.image.palette[2].rgbBlue, 2);
    EXPECT_EQ(c.image.palette[2].rgbRed, 4);
    EXPECT_EQ(c.image.palette[3].rgbRed, 0);
}

TEST(PluginBitmap, UnsupportedShapesAreRefusedAndLeaveNoPixels) {
    Converted c;
    ASSERT_TRUE(c.Run(Info(1, 1, 24, 0), std::string(4, 'a')));
    std::string bits(64, 'b');
    for (const std::string& info : {Info(2, 2, 32, 0), Info(2, 2, 16, 0), Info(2, 0, 24, 0), Info(2, -2, 24, 0),
                                    Info(0, 2, 24, 0), Info(2, 2, 8, 0, BI_RLE8), Info(2, 2, 24, 0).substr(0, 39)}) {
        EXPECT_FALSE(c.Run(info, bits));
        EXPECT_EQ(c.image.pixels, nullptr);
    }
    EXPECT_FALSE(c.Run(Info(2, 2, 24, 0), ""));
    // a size beyond 32 bits is refused before a block is allocated for it
    EXPECT_FALSE(c.Run(Info(70000, 70000, 24, 0), bits));
}

} // namespace
} // namespace qv
