// The paint and correction brushes: the stamps against their formula worked out in integers, the
// spacing of a stroke, strokes bounded by one application, the mask, the fill and every
// correction mode on a small picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "filter_test_image.h"
#include "tools/brush_kernel.h"
#include "tools/hls_kernel.h"
#include "tools/tone_tables.h"

namespace qv {
namespace {

using qvtest::Picture;

// 255 - round(255 sqrt(S) / Q), at least 0, without floating point: r = round(255 sqrt(S) / Q) is
// the largest r with (2r - 1) Q <= 510 sqrt(S).
int ExpectedWeight(int64_t s, int64_t q) {
    int64_t r = 0;
    while ((2 * (r + 1) - 1) * (2 * (r + 1) - 1) * q * q <= 510 * 510 * s)
        ++r;
    return r > 255 ? 0 : static_cast<int>(255 - r);
}

TEST(BrushKernelTest, StampsFollowTheirFormulaForEveryDiameter) {
    for (int n = kBrushSizeMin; n <= kBrushSizeMax; ++n) {
        const uint8_t* stamp = BrushStamp(n);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                int expected;
                if (n % 2 != 0) { // centre cell n / 2, R = n / 2 + 1
                    int64_t dx = x - n / 2, dy = y - n / 2;
                    expected = ExpectedWeight(dx * dx + dy * dy, n / 2 + 1);
                } else { // doubled coordinates around a centre between cells: d = D / 2, 255 d / R = 255 D / n
                    int64_t dx = 2 * x - (n - 1), dy = 2 * y - (n - 1);
                    expected = ExpectedWeight(dx * dx + dy * dy, n);
                }
                ASSERT_EQ(stamp[y * n + x], expected) << "n " << n << " at " << x << "," << y;
            }
    }
    EXPECT_EQ(BrushStamp(3)[4], 255); // an odd stamp's centre takes the full weight
    EXPECT_EQ(BrushStamp(2), BrushStamp(3));
}

Picture Flat(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
    Picture p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.At(x, y, 0) = b, p.At(x, y, 1) = g, p.At(x, y, 2) = r;
    return p;
}

TEST(BrushKernelTest, StrokeStampsOnceTheWalkPassesTheSpacing) {
    Picture src = Flat(120, 20, 0, 0, 0), dst = src;
    BrushCanvas canvas = MakeBrushCanvas(src.data(), dst.data(), 120, 20, nullptr);
    BrushTarget target;
    PreparePaintTarget(0xFFFFFF, 100, &target);
    BrushStroke stroke;
    stroke.diameter = 24; // spacing 3: a stamp every 4 pixels
    BeginBrushStroke(canvas, target, &stroke, {0, 10});
    ExtendBrushStroke(canvas, target, &stroke, {50, 10});
    ExtendBrushStroke(canvas, target, &stroke, {100, 10}); // the spacing carries across segments
    EXPECT_EQ(stroke.stamps, 26);
    EXPECT_EQ(stroke.lastStamp.x, 100);
    stroke = BrushStroke{};
    stroke.diameter = 7; // spacing 0: every pixel of the walk
    BeginBrushStroke(canvas, target, &stroke, {0, 0});
    ExtendBrushStroke(canvas, target, &stroke, {9, 3});
    EXPECT_EQ(stroke.stamps, 10);
}

// Every channel of `p` lies between the source and the one-application target.
void ExpectBetween(const Picture& p, const Picture& source, const Picture& target) {
    for (size_t i = 0; i < p.bytes.size(); ++i) {
        uint8_t lo = std::min(source.bytes[i], target.bytes[i]), hi = std::max(source.bytes[i], target.bytes[i]);
        ASSERT_TRUE(p.bytes[i] >= lo && p.bytes[i] <= hi) << "byte " << i;
    }
}

TEST(BrushKernelTest, RepeatedStampsNeverPassTheOpacityAndTheMaskHolds) {
    Picture src = qvtest::RandomPicture(32, 32, 7), dst = src, once = src;
    std::vector<uint8_t> mask(32 * 32, 0);
    for (int x = 0; x < 32; ++x)
        mask[5 * 32 + x] = 255, mask[6 * 32 + x] = 128; // memory rows 5 (protected) and 6 (half)
    BrushTarget target;
    PreparePaintTarget(0x2080F0, 50, &target);
    FillWithBrushTarget(MakeBrushCanvas(src.data(), once.data(), 32, 32, mask.data()), target);
    BrushCanvas canvas = MakeBrushCanvas(src.data(), dst.data(), 32, 32, mask.data());
    for (int i = 0; i < 300; ++i)
        StampBrush(canvas, target, 31 + i % 2, {16 + i % 3, 16 - i % 2});
    ExpectBetween(dst, src, once);
    // where the stamp weighs 255 the pixel reaches the target exactly: at 50 % halfway to the colour
    const BlendTable& t = GetBlendTable();
    int row = 31 - 16;
    EXPECT_EQ(dst.At(16, row, 2), BlendChannel(t, 128, 0xF0, src.At(16, row, 2)));
    for (int x = 0; x < 32; ++x)
        for (int c = 0; c < 3; ++c)
            ASSERT_EQ(dst.At(x, 5, c), src.At(x, 5, c));
    EXPECT_NE(std::vector<uint8_t>(dst.bytes.begin() + 6 * dst.stride, dst.bytes.begin() + 7 * dst.stride),
              std::vector<uint8_t>(src.bytes.begin() + 6 * src.stride, src.bytes.begin() + 7 * src.stride));
}

TEST(BrushKernelTest, FillAtFullAndZeroOpacity) {
    Picture src = qvtest::RandomPicture(9, 7, 3), dst = src;
    BrushCanvas canvas = MakeBrushCanvas(src.data(), dst.data(), 9, 7, nullptr);
    BrushTarget target;
    PreparePaintTarget(0x123456, 0, &target);
    FillWithBrushTarget(canvas, target);
    EXPECT_EQ(dst, src);
    PreparePaintTarget(0x123456, 100, &target);
    FillWithBrushTarget(canvas, target);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_TRUE(dst.At(x, y, 0) == 0x12 && dst.At(x, y, 1) == 0x34 && dst.At(x, y, 2) == 0x56);
}

// The fill in `mode`: each pixel becomes the mode's full target.
Picture Corrected(const Picture& src, int mode, int value) {
    Picture dst = src;
    BrushTarget target;
    PrepareCorrectionTarget(mode, value, &target);
    FillWithBrushTarget(MakeBrushCanvas(src.data(), dst.data(), src.w, src.h, nullptr), target);
    return dst;
}

TEST(BrushKernelTest, LightenDarkenAndSaturationFollowTheirTables) {
    Picture src = qvtest::RandomPicture(6, 5, 11);
    Picture light = Corrected(src, kCorrectLighten, 20), dark = Corrected(src, kCorrectDarken, 20);
    const ToneTables& tt = GetToneTables();
    for (size_t i = 0; i < 6 * 3; ++i) { // the first row
        EXPECT_EQ(light.bytes[i], GammaCurve(tt, 20)[src.bytes[i]]);
        EXPECT_EQ(dark.bytes[i], GammaCurve(tt, -20)[src.bytes[i]]);
    }
    Picture colour = Flat(3, 3, 60, 90, 180);
    HlsColour before = RgbToHls(180, 90, 60);
    Picture more = Corrected(colour, kCorrectSaturate, 50), less = Corrected(colour, kCorrectDesaturate, 100);
    HlsColour m = RgbToHls(more.At(1, 1, 2), more.At(1, 1, 1), more.At(1, 1, 0));
    HlsColour l = RgbToHls(less.At(1, 1, 2), less.At(1, 1, 1), less.At(1, 1, 0));
    EXPECT_NEAR(m.saturation, before.saturation + 50, 3);
    EXPECT_NEAR(l.saturation, std::max(0, before.saturation - 100), 3);
    EXPECT_NEAR(m.lightness, before.lightness, 2);
    Picture grey = Flat(3, 3, 99, 99, 99);
    EXPECT_EQ(Corrected(grey, kCorrectSaturate, 100), grey);
}

TEST(BrushKernelTest, NeighbourhoodModesSharpenSoftenAndRemoveSpecks) {
    Picture flat = Flat(7, 7, 100, 100, 100);
    for (int mode : {kCorrectSharpen, kCorrectSoften, kCorrectDenoise})
        EXPECT_EQ(Corrected(flat, mode, 100), flat) << "mode " << mode;
    Picture speck = flat;
    speck.At(3, 3, 0) = speck.At(3, 3, 1) = speck.At(3, 3, 2) = 250;
    EXPECT_EQ(Corrected(speck, kCorrectDenoise, 1), flat); // the median drops a lone speck
    Picture soft = Corrected(speck, kCorrectSoften, 100);
    EXPECT_LT(soft.At(3, 3, 0), 250);
    EXPECT_GT(soft.At(2, 3, 0), 100);
    Picture sharp = Corrected(speck, kCorrectSharpen, 100);
    EXPECT_LT(sharp.At(2, 3, 0), 100); // the ring round the speck goes darker
    // an edge: the median keeps it where it is, on every row including the picture's border
    Picture edge = flat;
    for (int y = 0; y < 7; ++y)
        for (int x = 4; x < 7; ++x)
            for (int c = 0; c < 3; ++c)
                edge.At(x, y, c) = 200;
    EXPECT_EQ(Corrected(edge, kCorrectDenoise, 1), edge);
}

TEST(BrushKernelTest, RedEyeTurnsRedPixelsDarkAndLeavesOtherHues) {
    Picture p(5, 1);
    const uint8_t bgr[5][3] = {{40, 40, 200}, {200, 30, 190}, {120, 180, 230}, {200, 60, 40}, {128, 128, 128}};
    for (int x = 0; x < 5; ++x)
        for (int c = 0; c < 3; ++c)
            p.At(x, 0, c) = bgr[x][c];
    Picture out = Corrected(p, kCorrectRedEye, 1);
    // red eye (hue 0) and magenta (hue ~ 303): red down to the mean of green and blue, so darker
    EXPECT_EQ(out.At(0, 0, 2), 40);
    EXPECT_EQ(out.At(0, 0, 0), 40);
    EXPECT_LT(RgbToHls(out.At(0, 0, 2), 40, 40).lightness, 60);
    EXPECT_EQ(out.At(1, 0, 2), 115);
    // skin (hue ~ 32), blue and grey stay
    for (int x = 2; x < 5; ++x)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(out.At(x, 0, c), p.At(x, 0, c)) << x;
}

} // namespace
} // namespace qv
