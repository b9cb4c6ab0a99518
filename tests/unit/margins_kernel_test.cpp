// Margins: the typed and dragged values, nothing to do at 0, the layout around a 1 x 1 picture in
// storage order, palettes expanded, and sizes past 2^32 bytes or 2^31 pixels refused.
#include <gtest/gtest.h>

#include <cstring>

#include "model/image_buffer.h"
#include "tools/margins_kernel.h"

namespace qv {
namespace {

TEST(MarginsKernelTest, FieldsAndSizes) {
    EXPECT_EQ(MarginFromField(-5), 0);
    EXPECT_EQ(MarginDrag(10, 7), 24);
    EXPECT_EQ(MarginDrag(10, -7), 0);
    MarginsParams m;
    EXPECT_TRUE(MarginsNeutral(m));
    m.right = 1;
    EXPECT_FALSE(MarginsNeutral(m));
    int32_t w = 0, h = 0;
    m = MarginsParams{2, 3, 4, 5, 0};
    ASSERT_TRUE(MarginsSize(10, 20, m, &w, &h));
    EXPECT_EQ(w, 19);
    EXPECT_EQ(h, 25);
    m = MarginsParams{0, 0, 0, INT32_MAX, 0};
    EXPECT_FALSE(MarginsSize(10, 20, m, &w, &h));
    // 30000 x 47722 at 24 bits is just past 2^32 bytes
    m = MarginsParams{47721, 0, 0, 0, 0};
    EXPECT_FALSE(MarginsSize(30000, 1, m, &w, &h));
    m.top = 47000;
    EXPECT_TRUE(MarginsSize(30000, 1, m, &w, &h));
}

TEST(MarginsKernelTest, OnePixelGetsItsBorderInStorageOrder) {
    ImageBuffer image{};
    ASSERT_TRUE(PrepareImage(&image, 1, 1, 8, nullptr));
    image.palette[0] = RGBQUAD{1, 2, 3, 0};
    MarginsParams m{1, 1, 1, 1, 0x30201A}; // red 1A, green 20, blue 30
    int32_t w = 0, h = 0;
    uint8_t* out = AddMargins(image, m, &w, &h);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(w, 3);
    ASSERT_EQ(h, 3);
    const uint32_t stride = ImageStride(3, 24);
    EXPECT_EQ(out[stride + 3], 1); // the centre: the palette colour, blue first
    EXPECT_EQ(out[stride + 5], 3);
    int border = 0;
    for (uint32_t y = 0; y < 3; ++y)
        for (uint32_t x = 0; x < 3; ++x) {
            const uint8_t* p = out + y * stride + x * 3;
            border += p[0] == 0x30 && p[1] == 0x20 && p[2] == 0x1A;
        }
    EXPECT_EQ(border, 8);
    FreePixelBlock(out);

    // uneven margins: the bottom ones come first in the block, then the rows with left and right
    m = MarginsParams{0, 2, 1, 0, 0xFFFFFF};
    out = AddMargins(image, m, &w, &h);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(w, 2);
    ASSERT_EQ(h, 3);
    const uint32_t s2 = ImageStride(2, 24);
    EXPECT_EQ(out[0], 0xFF);
    EXPECT_EQ(out[s2 + 3], 0xFF);
    EXPECT_EQ(out[2 * s2 + 3], 1);
    FreePixelBlock(out);
    FreeImagePixels(&image);

    uint8_t dummy[4] = {};
    ImageBuffer huge{};
    huge.header.biWidth = 30000;
    huge.header.biHeight = 40000;
    huge.header.biBitCount = 24;
    huge.pixels = dummy; // refused before it is read
    EXPECT_EQ(AddMargins(huge, MarginsParams{10000, 0, 0, 0, 0}, &w, &h), nullptr);
}

} // namespace
} // namespace qv
