// Resize: the aspect rule and its check box, label dragging, the presets and their list texts, and
// Apply's pixels (8-bit expanded, the same for every thread count, oversized results refused).
#include <gtest/gtest.h>

#include <cstring>

#include "model/image_buffer.h"
#include "tools/resize_kernel.h"
#include "tools/size_presets.h"

namespace qv {
namespace {

TEST(ResizeKernelTest, LinkedSidesFollowTheAspectRatioHalfUpWithinTwiceTheImage) {
    ResizeParams p = InitialResize(100, 50);
    EXPECT_EQ(p.width, 100);
    EXPECT_EQ(p.height, 50);
    ResizeSetWidth(&p, 150, 100, 50);
    EXPECT_EQ(p.height, 75);
    ResizeSetWidth(&p, 3, 100, 50); // 1.5 rounds up
    EXPECT_EQ(p.height, 2);
    ResizeSetWidth(&p, 500, 100, 50);
    EXPECT_EQ(p.width, 200);
    EXPECT_EQ(p.height, 100);
    ResizeSetWidth(&p, -7, 100, 50);
    EXPECT_EQ(p.width, 1);
    EXPECT_EQ(p.height, 1); // 0.5 rounds up to the smallest side
    ResizeSetHeight(&p, 1, 100, 50);
    EXPECT_EQ(p.width, 2);
    // a 1 x 1000 image: the width follows a height of 3 as 0.003, held at 1
    ResizeParams thin = InitialResize(1, 1000);
    ResizeSetHeight(&thin, 3, 1, 1000);
    EXPECT_EQ(thin.width, 1);

    ResizeSetIndependent(&p, true, 100, 50);
    ResizeSetWidth(&p, 160, 100, 50);
    EXPECT_EQ(p.height, 1); // untouched
    ResizeSetIndependent(&p, false, 100, 50);
    EXPECT_EQ(p.width, 100); // clearing the box goes back to the image's size
    EXPECT_EQ(p.height, 50);
}

TEST(ResizeKernelTest, LabelDragStepsGrowWithTheSide) {
    EXPECT_EQ(ResizeLabelDrag(1000, 10, 1000), 1040); // 1000 / 256 + 1 = 4 a pixel
    EXPECT_EQ(ResizeLabelDrag(1000, -300, 1000), 1);
    EXPECT_EQ(ResizeLabelDrag(1000, 400, 1000), 2000);
    EXPECT_EQ(ResizeLabelDrag(200, 3, 255), 203);
    EXPECT_EQ(ResizeLabelDrag(200, 3, 256), 206);
}

TEST(ResizeKernelTest, PresetsSetTheFieldsAndShowTheirNumbers) {
    ResizeParams p = InitialResize(300, 200);
    ASSERT_TRUE(ResizeChoosePreset(&p, kResizePresetDefaults[0], 300, 200)); // 1024 x 768, held at twice
    EXPECT_TRUE(p.independent);
    EXPECT_EQ(p.width, 600);
    EXPECT_EQ(p.height, 400);
    ASSERT_TRUE(ResizeChoosePreset(&p, kResizePresetDefaults[1], 300, 200)); // width 240 only
    EXPECT_FALSE(p.independent);
    EXPECT_EQ(p.width, 240);
    EXPECT_EQ(p.height, 160);
    ASSERT_TRUE(ResizeChoosePreset(&p, kResizePresetDefaults[2], 300, 200)); // height 120 only
    EXPECT_EQ(p.width, 180);
    EXPECT_EQ(p.height, 120);
    EXPECT_FALSE(ResizeChoosePreset(&p, kResizePresetDefaults[3], 300, 200));
    EXPECT_EQ(p.width, 180);

    EXPECT_EQ(PresetListText({1024, 768}, L"W", L"H"), L"W1024 H768");
    EXPECT_EQ(PresetListText({240, 0}, L"W", L"H"), L"W240 ");
    EXPECT_EQ(PresetListText({0, 120}, L"W", L"H"), L"H120");
    EXPECT_EQ(PresetListText({0, 0}, L"W", L"H"), L"-");
    EXPECT_EQ(PresetListText({16, 9}, L"", L""), L"16 9");
    EXPECT_EQ(ClampPresetValue(100000), 99999);
    EXPECT_EQ(ClampPresetValue(-3), 0);
    EXPECT_EQ(kTrimRatioDefaults[1].width, 1);
    EXPECT_EQ(kTrimRatioDefaults[1].height, 1);
}

TEST(ResizeKernelTest, ApplyExpandsPalettesRefusesOversizeAndIgnoresTheThreadCount) {
    ImageBuffer image{};
    ASSERT_TRUE(PrepareImage(&image, 100, 100, 8, nullptr));
    image.palette[3] = RGBQUAD{10, 20, 30, 0};
    std::memset(image.pixels, 3, ImageStride(&image) * 100);
    EXPECT_EQ(ResizePixels(image, 201, 100, 1), nullptr);
    EXPECT_EQ(ResizePixels(image, 100, 0, 1), nullptr);
    uint8_t* wide = ResizePixels(image, 200, 100, 1);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide[0], 10);
    EXPECT_EQ(wide[199 * 3 + 2], 30);
    FreePixelBlock(wide);
    EXPECT_FALSE(ResizeChangesImage(image, 100, 100));
    FreeImagePixels(&image);

    ASSERT_TRUE(PrepareImage(&image, 301, 203, 24, nullptr));
    for (uint32_t i = 0; i < ImageStride(&image) * 203; ++i)
        image.pixels[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    const int32_t sizes[][2] = {{170, 310}, {602, 150}};
    for (const auto& size : sizes) {
        uint8_t* one = ResizePixels(image, size[0], size[1], 1);
        uint8_t* many = ResizePixels(image, size[0], size[1], 4);
        ASSERT_TRUE(one && many);
        EXPECT_EQ(std::memcmp(one, many, ImageStride(static_cast<uint32_t>(size[0]), 24) * size[1]), 0);
        FreePixelBlock(one);
        FreePixelBlock(many);
    }
    FreeImagePixels(&image);

    // twice 40000 x 30000 would be 14 GB: refused before the pixels are read
    uint8_t dummy[4] = {};
    ImageBuffer huge{};
    huge.header.biWidth = 40000;
    huge.header.biHeight = 30000;
    huge.header.biBitCount = 24;
    huge.pixels = dummy;
    EXPECT_EQ(ResizePixels(huge, 80000, 60000, 1), nullptr);
}

} // namespace
} // namespace qv
