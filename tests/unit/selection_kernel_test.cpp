// Area selection without a window: the combine table, the rectangle and ellipse (and the flip from
// top-down points to bottom-up planes), similar colour, invert, the value box and applying.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/image_buffer.h"
#include "mask_picture.h"
#include "tools/selection_kernel.h"
#include "tools/tool_result.h"

namespace qv {
namespace {

TEST(SelectionKernelTest, CombineTableIncludingTheNoMaskRows) {
    // Three pixels inside (mask 0, 128, 255), three outside (the same values).
    const uint8_t before[6] = {0, 128, 255, 0, 128, 255};
    const uint8_t inside[6] = {1, 1, 1, 0, 0, 0};
    const struct {
        int32_t mode;
        bool exists;
        uint8_t after[6];
    } kTable[] = {
        {kSelectNew, true, {0, 0, 0, 255, 255, 255}},          {kSelectAdd, true, {0, 0, 0, 0, 128, 255}},
        {kSelectRemove, true, {255, 255, 255, 0, 128, 255}},   {kSelectRemove, false, {255, 255, 255, 0, 0, 0}},
        {kSelectNew, false, {0, 0, 0, 255, 255, 255}},         {kSelectAdd, false, {0, 0, 0, 255, 255, 255}},
        {kSelectAllProtected, true, {0, 0, 0, 255, 255, 255}}, // a stored action combines as new
    };
    for (const auto& row : kTable) {
        uint8_t mask[6];
        std::memcpy(mask, before, 6);
        CombineShape(mask, inside, 6, CombineRuleFor(row.mode, row.exists));
        EXPECT_EQ(0, std::memcmp(mask, row.after, 6)) << "mode " << row.mode << " exists " << row.exists;
    }
}

TEST(SelectionKernelTest, RectangleTakesBothCornersInAnyOrderAndClips) {
    const int32_t w = 6, h = 4;
    std::vector<uint8_t> inside(w * h, 7);
    FillRectangleShape(inside.data(), w, h, {4, 2}, {1, 1});
    EXPECT_EQ(qvtest::MaskPicture(inside, w, h), "......\n.####.\n.####.\n......\n");
    EXPECT_EQ(inside[static_cast<size_t>(h - 1 - 1) * w + 1], 1); // top row 1 lives at memory row 2
    FillRectangleShape(inside.data(), w, h, {-5, 3}, {2, 99});
    EXPECT_EQ(qvtest::MaskPicture(inside, w, h), "......\n......\n......\n###...\n");
    EXPECT_FALSE(DragMakesShape(10, 10, 10, 10));
    EXPECT_TRUE(DragMakesShape(10, 10, 10, 11));
}

TEST(SelectionKernelTest, EllipseTakesThePixelCentresInsideItsBox) {
    // Box 5 x 3 at (1, 1): in half pixels the axes are 5 and 3, and a centre at (X, Y) from the
    // middle is in when 9 X^2 + 25 Y^2 <= 225. Middle row: every X of -4..4; rows Y = +-2: |X| <= 2.
    const int32_t w = 7, h = 5;
    std::vector<uint8_t> inside(w * h);
    FillEllipseShape(inside.data(), w, h, {5, 3}, {1, 1});
    EXPECT_EQ(qvtest::MaskPicture(inside, w, h), ".......\n..###..\n.#####.\n..###..\n.......\n");
    // A box reaching past the image is clipped with its shape kept: a circle of radius 3 around the
    // image's top-left corner misses only the far pixel, whose centre is 3.54 away.
    std::vector<uint8_t> corner(9);
    FillEllipseShape(corner.data(), 3, 3, {-3, -3}, {2, 2});
    EXPECT_EQ(qvtest::MaskPicture(corner, 3, 3), "###\n###\n##.\n");
}

// A 24-bit working copy from rows of colour letters, top row first.
struct TestImage {
    int32_t w, h;
    std::vector<uint8_t> pixels;
    PixelPlane Plane() const { return PlaneOf24Bit(pixels.data(), w, h); }
};

TestImage MakeImage(const std::vector<std::string>& rows, const uint8_t (*colours)[3]) {
    TestImage im{static_cast<int32_t>(rows[0].size()), static_cast<int32_t>(rows.size()), {}};
    uint32_t stride = (static_cast<uint32_t>(im.w) * 3 + 3) & ~3u;
    im.pixels.assign(stride * im.h + 4, 0);
    for (int32_t y = 0; y < im.h; ++y)
        for (int32_t x = 0; x < im.w; ++x)
            std::memcpy(&im.pixels[(im.h - 1 - y) * stride + 3 * x], colours[rows[y][x] - 'a'], 3);
    return im;
}

TEST(SelectionKernelTest, SimilarColourRangeZeroTakesTheExactColourConnectedOnlyWithUnit) {
    // a: the clicked colour; b: one step off in blue; the two 'a' areas are not joined.
    const uint8_t colours[][3] = {{10, 200, 30}, {11, 200, 30}, {90, 90, 90}};
    TestImage im = MakeImage({"aabc", "aabc", "ccca", "ccaa"}, colours);
    std::vector<uint8_t> inside(16, 9);
    ASSERT_TRUE(FillSimilarColour(inside.data(), im.Plane(), {0, 0}, 0, true));
    EXPECT_EQ(qvtest::MaskPicture(inside, 4, 4), "##..\n##..\n....\n....\n");
    ASSERT_TRUE(FillSimilarColour(inside.data(), im.Plane(), {0, 0}, 0, false));
    EXPECT_EQ(qvtest::MaskPicture(inside, 4, 4), "##..\n##..\n...#\n..##\n");
    // range 1: 3 x 1^2 takes the colour one step off in blue
    ASSERT_TRUE(FillSimilarColour(inside.data(), im.Plane(), {0, 0}, 1, true));
    EXPECT_EQ(qvtest::MaskPicture(inside, 4, 4), "###.\n###.\n....\n....\n");
    EXPECT_FALSE(FillSimilarColour(inside.data(), im.Plane(), {4, 0}, 0, true));
    EXPECT_FALSE(FillSimilarColour(inside.data(), im.Plane(), {0, -1}, 0, false));
}

TEST(SelectionKernelTest, SimilarColourDistanceLimitIsInclusive) {
    // range 1 allows a squared distance of 3: one step in each channel is in, two steps in one is not
    const uint8_t colours[][3] = {{100, 100, 100}, {101, 99, 101}, {102, 100, 100}, {255, 255, 255}};
    TestImage im = MakeImage({"abcd"}, colours);
    std::vector<uint8_t> inside(4);
    ASSERT_TRUE(FillSimilarColour(inside.data(), im.Plane(), {0, 0}, 1, false));
    EXPECT_EQ(qvtest::MaskPicture(inside, 4, 1), "##..\n");
    ASSERT_TRUE(FillSimilarColour(inside.data(), im.Plane(), {0, 0}, 255, false)); // the widest range takes all
    EXPECT_EQ(qvtest::MaskPicture(inside, 4, 1), "####\n");
}

TEST(SelectionKernelTest, SimilarColourOnAPaletteImageComparesColoursAndIsThreadIndependent) {
    // Indices 1 and 2 share a colour, 3 is one step off: the pick sees colours, not indices.
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 97, 61, 8, nullptr));
    image->palette[1] = {10, 20, 30, 0};
    image->palette[2] = {10, 20, 30, 0};
    image->palette[3] = {10, 20, 31, 0};
    for (uint32_t y = 0; y < 61; ++y)
        for (uint32_t x = 0; x < 97; ++x)
            ImageRowFromTop(image, y)[x] = static_cast<uint8_t>((x * 7 + y * 3) % 4);
    uint8_t* copy = MakeWorkingCopy(*image);
    ASSERT_NE(copy, nullptr);
    PixelPlane plane = PlaneOf24Bit(copy, 97, 61);
    std::vector<uint8_t> one(97 * 61), many(97 * 61);
    ASSERT_TRUE(FillSimilarColour(one.data(), plane, {2, 0}, 0, false, 1)); // index 14 % 4 = 2
    for (uint32_t y = 0; y < 61; ++y)
        for (uint32_t x = 0; x < 97; ++x) {
            uint8_t index = ImageRowFromTop(image, y)[x];
            ASSERT_EQ(one[(60 - y) * 97 + x] != 0, index == 1 || index == 2) << x << "," << y;
        }
    ASSERT_TRUE(FillSimilarColour(many.data(), plane, {2, 0}, 0, false, 4));
    EXPECT_EQ(one, many);
    FreePixelBlock(copy);
    FreeImageRecord(image);
}

TEST(SelectionKernelTest, InvertTwiceRestoresEveryValue) {
    std::vector<uint8_t> mask(256), original(256);
    for (int i = 0; i < 256; ++i)
        mask[i] = original[i] = static_cast<uint8_t>(i);
    InvertMask(mask.data(), mask.size());
    EXPECT_EQ(mask[0], 255);
    EXPECT_EQ(mask[128], 127);
    InvertMask(mask.data(), mask.size());
    EXPECT_EQ(mask, original);
}

TEST(SelectionKernelTest, ValueBoxUnitBoxAndSettingsRules) {
    ValueBoxRule brush = ValueBoxFor(kShapeBrush), colour = ValueBoxFor(kShapeSimilarColour);
    EXPECT_TRUE(brush.enabled);
    EXPECT_EQ(brush.label, 20051u);
    EXPECT_EQ(brush.minimum, 3);
    EXPECT_EQ(brush.maximum, 128);
    EXPECT_EQ(colour.label, 20052u);
    EXPECT_EQ(colour.minimum, 0);
    EXPECT_EQ(colour.maximum, 255);
    for (int32_t shape : {kShapeRectangle, kShapeEllipse, kShapeOutline}) {
        EXPECT_FALSE(ValueBoxFor(shape).enabled);
        EXPECT_FALSE(UnitBoxApplies(shape));
    }
    EXPECT_TRUE(UnitBoxApplies(kShapeSimilarColour));

    SelectionParams p = SelectionParamsFromSettings(5, -1, 1000, -3, 2, 0);
    EXPECT_EQ(p.mode, 0);
    EXPECT_EQ(p.shape, 4);
    EXPECT_FALSE(p.connected);    // only the lowest bit counts
    EXPECT_EQ(p.brushSize, 1000); // kept until edited
    p = SelectionParamsFromSettings(4, 3, 24, 50, 3, 1);
    EXPECT_EQ(p.mode, 4);
    EXPECT_EQ(p.shape, 3);
    EXPECT_TRUE(p.connected);
}

TEST(SelectionKernelTest, ApplyingMakesAnEightBitImageTwentyFourBitAndGeometryDropsTheMask) {
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 3, 2, 8, nullptr));
    image->sourceFormat = kFormatGif;
    image->palette[5] = {1, 2, 3, 0};
    ImageRowFromTop(image, 1)[2] = 5;
    ASSERT_TRUE(MakeImageMaskable(image));
    EXPECT_EQ(image->header.biBitCount, 24);
    EXPECT_EQ(image->sourceFormat, kFormatBmp);
    const uint8_t* p = ImageRowFromTop(image, 1) + 6;
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[2], 3);
    image->sourceFormat = kFormatPng;
    uint8_t* before = image->pixels;
    ASSERT_TRUE(MakeImageMaskable(image)); // 24 bits: nothing to do
    EXPECT_EQ(image->pixels, before);
    EXPECT_EQ(image->sourceFormat, kFormatPng);
    FreeImageRecord(image);

    EXPECT_EQ(SelectionApplyLabel(true), 5130);
    EXPECT_EQ(SelectionApplyLabel(false), 0);
    for (int32_t geometry : {5120, 5121, 5122, 5140, 5150, 5151, 5152, 5153, 5154})
        EXPECT_FALSE(CommitKeepsMask(geometry)) << geometry;
    for (int32_t other : {5130, 5160, 5165, 5171, 5190, 5192})
        EXPECT_TRUE(CommitKeepsMask(other)) << other;
}

} // namespace
} // namespace qv
