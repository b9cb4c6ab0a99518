// Trim: the drag threshold, rectangles from two corners with and without a ratio, grabbing and
// dragging edges and handles, the edit boxes, the darkened preview and the copy at both depths.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/image_buffer.h"
#include "tools/trim_kernel.h"

namespace qv {
namespace {

bool Same(const TrimRect& r, int32_t l, int32_t t, int32_t rt, int32_t b) {
    return r.left == l && r.top == t && r.right == rt && r.bottom == b;
}

TEST(TrimKernelTest, DragStartsPastSixteenPixelsAndLaysRatiosTowardTheMouse) {
    EXPECT_FALSE(TrimDragBegins(0, 0, 16, 0));
    EXPECT_FALSE(TrimDragBegins(5, 5, -3, 13));
    EXPECT_TRUE(TrimDragBegins(0, 0, 9, 8));
    EXPECT_TRUE(TrimDragBegins(0, 0, -10, 7));

    TrimRect r;
    ASSERT_TRUE(TrimRectFromCorners(5, 7, 2, 3, TrimRatio{}, 10, 10, &r));
    EXPECT_TRUE(Same(r, 2, 3, 5, 7));
    // 4 : 3 from (0, 0) to (10, 5): s = 17, height round(17 x 3 / 7) = 7, width 10
    ASSERT_TRUE(TrimRectFromCorners(0, 0, 10, 5, TrimRatio{4, 3}, 100, 100, &r));
    EXPECT_TRUE(Same(r, 0, 0, 9, 6));
    // toward the upper left of the first corner
    ASSERT_TRUE(TrimRectFromCorners(20, 20, 10, 15, TrimRatio{4, 3}, 100, 100, &r));
    EXPECT_TRUE(Same(r, 11, 14, 20, 20));
    // portrait 1 : 2, s = 11: width round(3.67) = 4, height 7
    ASSERT_TRUE(TrimRectFromCorners(0, 0, 4, 5, TrimRatio{1, 2}, 100, 100, &r));
    EXPECT_TRUE(Same(r, 0, 0, 3, 6));
    // 1 : 1 with s = 3: the height 1.5 rounds away from zero, the width takes the rest
    ASSERT_TRUE(TrimRectFromCorners(0, 0, 1, 0, TrimRatio{1, 1}, 100, 100, &r));
    EXPECT_TRUE(Same(r, 0, 0, 0, 1));
    // a ratio rectangle that would leave the image is ignored
    EXPECT_FALSE(TrimRectFromCorners(10, 10, 14, 14, TrimRatio{4, 3}, 15, 15, &r));
    EXPECT_TRUE(Same(r, 0, 0, 0, 1));

    int32_t x = -4, y = 99;
    ClampToImage(50, 40, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 39);
    EXPECT_FALSE(TrimRatioForSlot(kTrimRatioDefaults, 0).Active());
    EXPECT_EQ(TrimRatioForSlot(kTrimRatioDefaults, 1).width, 1024);
    EXPECT_FALSE(TrimRatioForSlot(kTrimRatioDefaults, 3).Active()); // 0 : 0
    EXPECT_FALSE(TrimRatioForSlot(kTrimRatioDefaults, 9).Active());
    EXPECT_TRUE((TrimRatio{3, 4}).Portrait());
    EXPECT_FALSE((TrimRatio{1, 1}).Portrait());
}

TEST(TrimKernelTest, EdgesAndHandlesMoveAndResizeWithinTheImage) {
    const TrimRect screen{100, 100, 200, 150};
    EXPECT_EQ(HitTestTrimRect(screen, 100, 125, false), TrimHit::Left);
    EXPECT_EQ(HitTestTrimRect(screen, 97, 125, false), TrimHit::Left);
    EXPECT_EQ(HitTestTrimRect(screen, 202, 148, false), TrimHit::BottomRight);
    EXPECT_EQ(HitTestTrimRect(screen, 150, 103, false), TrimHit::Top);
    EXPECT_EQ(HitTestTrimRect(screen, 150, 125, false), TrimHit::Move);
    EXPECT_EQ(HitTestTrimRect(screen, 150, 160, false), TrimHit::None);
    // with a ratio an edge alone would break it: inside it moves, outside it grabs nothing
    EXPECT_EQ(HitTestTrimRect(screen, 100, 125, true), TrimHit::Move);
    EXPECT_EQ(HitTestTrimRect(screen, 97, 125, true), TrimHit::None);
    EXPECT_EQ(HitTestTrimRect(screen, 98, 99, true), TrimHit::TopLeft);

    const TrimRect r{10, 10, 19, 19};
    TrimRect out;
    ASSERT_TRUE(DragTrimRect(r, TrimHit::Move, 50, -3, TrimRatio{}, 30, 30, &out));
    EXPECT_TRUE(Same(out, 20, 7, 29, 16)); // stopped at the right edge, keeping its size
    ASSERT_TRUE(DragTrimRect(r, TrimHit::Left, 20, 0, TrimRatio{}, 30, 30, &out));
    EXPECT_TRUE(Same(out, 19, 10, 19, 19)); // never past the opposite edge
    ASSERT_TRUE(DragTrimRect(r, TrimHit::TopRight, 100, -100, TrimRatio{}, 30, 30, &out));
    EXPECT_TRUE(Same(out, 10, 0, 29, 19));
    // a handle with a ratio keeps it from the opposite corner
    ASSERT_TRUE(DragTrimRect(r, TrimHit::BottomRight, 5, 5, TrimRatio{1, 1}, 30, 30, &out));
    EXPECT_TRUE(Same(out, 10, 10, 24, 24));
    ASSERT_TRUE(DragTrimRect(r, TrimHit::TopLeft, -4, -6, TrimRatio{1, 1}, 30, 30, &out));
    EXPECT_TRUE(Same(out, 5, 5, 19, 19)); // s = 14 + 14 + 2 split evenly
    out = r;
    EXPECT_FALSE(DragTrimRect(r, TrimHit::None, 1, 1, TrimRatio{}, 30, 30, &out));
    EXPECT_FALSE(DragTrimRect(TrimRect{10, 10, 40, 19}, TrimHit::Move, 1, 1, TrimRatio{}, 30, 30, &out));

    EXPECT_TRUE(Same(EditTrimRect(r, TrimField::Width, 50, 30, 30), 10, 10, 29, 19));
    EXPECT_TRUE(Same(EditTrimRect(r, TrimField::Left, 25, 30, 30), 25, 10, 25, 19));
    EXPECT_TRUE(Same(EditTrimRect(r, TrimField::Top, -3, 30, 30), 10, 0, 19, 19));
    EXPECT_TRUE(Same(EditTrimRect(r, TrimField::Bottom, 2, 30, 30), 10, 2, 19, 2));
    EXPECT_EQ(TrimFieldValue(r, TrimField::Height), 10);
    int32_t low = 0, high = 0;
    TrimFieldRange(TrimField::Right, 30, 20, &low, &high);
    EXPECT_EQ(high, 29);
    TrimFieldRange(TrimField::Height, 30, 20, &low, &high);
    EXPECT_EQ(low, 1);
    EXPECT_EQ(high, 20);
}

TEST(TrimKernelTest, PreviewDarkensOutsideAndApplyCopiesAtTheImagesDepth) {
    // 3 x 2, rectangle = the top middle pixel (storage row 1 is the top)
    std::vector<uint8_t> src(12 * 2 + 4, 200), dst(src.size(), 0);
    KernelJob job = WholeImageJob(src.data(), dst.data(), 3, 2, nullptr);
    const TrimRect r{1, 0, 1, 0};
    TrimPreviewBand(job, &r);
    EXPECT_EQ(dst[12 + 3], 200);
    EXPECT_EQ(dst[12 + 5], 200);
    EXPECT_EQ(dst[12 + 2], 100);
    EXPECT_EQ(dst[12 + 6], 100);
    EXPECT_EQ(dst[4], 100); // bottom row, below the rectangle

    for (uint32_t bits : {8u, 24u}) {
        ImageBuffer image{};
        ASSERT_TRUE(PrepareImage(&image, 4, 3, bits, nullptr));
        for (uint32_t y = 0; y < 3; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                std::memset(ImageRowFromTop(&image, y) + x * (bits / 8), static_cast<int>(10 * y + x), bits / 8);
        EXPECT_FALSE(TrimChangesImage(TrimRect{0, 0, 3, 2}, 4, 3));
        EXPECT_FALSE(TrimChangesImage(TrimRect{0, 0, 0, 0}, 1, 1)); // a 1 x 1 image is always whole
        EXPECT_TRUE(TrimChangesImage(TrimRect{1, 0, 2, 1}, 4, 3));
        EXPECT_EQ(TrimPixels(image, TrimRect{1, 0, 4, 1}), nullptr);
        uint8_t* block = TrimPixels(image, TrimRect{1, 0, 2, 1});
        ASSERT_NE(block, nullptr);
        const uint32_t stride = ImageStride(2, bits), px = bits / 8;
        EXPECT_EQ(block[0], 11); // the rectangle's bottom row first: row 1 from the top
        EXPECT_EQ(block[px], 12);
        EXPECT_EQ(block[stride], 1);
        EXPECT_EQ(block[stride + px + px - 1], 2);
        FreePixelBlock(block);
        FreeImagePixels(&image);
    }
}

} // namespace
} // namespace qv
