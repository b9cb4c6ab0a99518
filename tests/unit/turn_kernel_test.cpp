// Turn by angle: reading typed angles, the straightening line, the grid, the fixed-point steps with
// the turn's own pi, the turned size with its border, the bilinear final turn (by hand at 45
// degrees, exactly at 90, the same for every thread count) and the nearest-neighbour preview.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/image_buffer.h"
#include "image/image_turn.h"
#include "tools/kernel_job.h"
#include "tools/turn_kernel.h"

namespace qv {
namespace {

TEST(TurnKernelTest, TypedAnglesRoundHalfAwayFromZeroOnTheirDigits) {
    struct Case {
        const wchar_t* text;
        int32_t tenths;
    } cases[] = {{L"12.34", 123}, {L"12.35", 124},   {L"-12.35", -124}, {L"0.05", 1},
                 {L"-0.05", -1},  {L"+7", 70},       {L".5", 5},        {L"5.", 50},
                 {L" 3.2 ", 32},  {L"180.04", 1800}, {L"180.05", 1801}, {L"-180.0499", -1800}};
    for (const Case& c : cases) {
        int32_t tenths = 0;
        ASSERT_TRUE(ParseTurnAngle(c.text, &tenths)) << c.text;
        EXPECT_EQ(tenths, c.tenths) << c.text;
    }
    int32_t tenths = 0;
    for (const wchar_t* bad : {L"", L"-", L".", L"abc", L"1.2.3", L"1e3", L"12a"})
        EXPECT_FALSE(ParseTurnAngle(bad, &tenths)) << bad;
    ASSERT_TRUE(ParseTurnAngle(L"99999999999999", &tenths));
    EXPECT_EQ(ClampTurnAngle(tenths), 1800);
    EXPECT_EQ(ClampTurnAngle(-1801), -1800);
    EXPECT_EQ(FormatTurnAngle(-5), L"-0.5");
    EXPECT_EQ(FormatTurnAngle(0), L"0.0");
    EXPECT_EQ(FormatTurnAngle(-1234), L"-123.4");
    EXPECT_EQ(TurnAngleDrag(0, 10), 20);
    EXPECT_EQ(TurnAngleDrag(1790, 10), 1800);
}

TEST(TurnKernelTest, StraighteningLineTurnsItLevelOrUpright) {
    int32_t t = 0;
    // falling to the right by atan(0.1) = 5.71 degrees: turn back by 5.7
    ASSERT_TRUE(StraighteningAngle(0, 0, 100, 10, 0, false, &t));
    EXPECT_EQ(t, -57);
    // the same line drawn right to left needs the same turn
    ASSERT_TRUE(StraighteningAngle(100, 10, 0, 0, 0, false, &t));
    EXPECT_EQ(t, -57);
    // rising to the right, on top of a turn of -10.0 (taken as 350.0)
    ASSERT_TRUE(StraighteningAngle(0, 10, 100, 0, -100, false, &t));
    EXPECT_EQ(t, -43);
    // leaning right at its top, meant to be upright; drawn either way
    ASSERT_TRUE(StraighteningAngle(0, 100, 10, 0, 0, true, &t));
    EXPECT_EQ(t, -57);
    ASSERT_TRUE(StraighteningAngle(10, 0, 0, 100, 0, true, &t));
    EXPECT_EQ(t, -57);
    // a steep line taken as horizontal: atan(10) = 84.29 degrees
    ASSERT_TRUE(StraighteningAngle(0, 0, 10, 100, 0, false, &t));
    EXPECT_EQ(t, -843);
    t = 77;
    EXPECT_FALSE(StraighteningAngle(0, 0, 8, -8, 0, false, &t)); // too short either way
    EXPECT_EQ(t, 77);
    ASSERT_TRUE(StraighteningAngle(0, 0, 9, 0, 300, false, &t));
    EXPECT_EQ(t, 300);

    int32_t lines[8];
    ASSERT_EQ(TurnGridLines(10, 100, lines, 8), 3);
    EXPECT_EQ(lines[0], 42);
    EXPECT_EQ(lines[2], 106);
    EXPECT_EQ(TurnGridLines(0, 32, lines, 8), 0);
    EXPECT_EQ(TurnGridLines(0, 1000, lines, 8), 31); // counted beyond the capacity
}

TEST(TurnKernelTest, StepsAndSizeUseTheTurnsOwnPi) {
    TurnSteps q = TurnStepsFor(900);
    EXPECT_EQ(q.s, 256);
    EXPECT_EQ(q.c, 0);
    TurnSteps minus = TurnStepsFor(-900); // taken as 270.0
    EXPECT_EQ(minus.s, -256);
    EXPECT_EQ(minus.c, 0);
    // sin 30 with pi = 3.1415926535 is a hair under 0.5, and the steps truncate
    TurnSteps thirty = TurnStepsFor(300);
    EXPECT_EQ(thirty.s, 127);
    EXPECT_EQ(thirty.c, 221);
    int64_t w = 0, h = 0;
    TurnedSize(100, 50, 900, &w, &h);
    EXPECT_EQ(w, 55);
    EXPECT_EQ(h, 105);
    TurnedSize(100, 50, -900, &w, &h);
    EXPECT_EQ(w, 55);
    TurnedSize(1, 1, 100, &w, &h); // cos + sin of 10 degrees = 1.16
    EXPECT_EQ(w, 6);
    EXPECT_EQ(h, 6);
}

struct Picture {
    ImageBuffer image{};
    Picture(uint32_t w, uint32_t h, uint32_t seed) {
        PrepareImage(&image, w, h, 24, nullptr);
        for (uint32_t i = 0; i < ImageStride(&image) * h; ++i, seed = seed * 1103515245u + 12345u)
            image.pixels[i] = static_cast<uint8_t>(seed >> 16);
    }
    ~Picture() { FreeImagePixels(&image); }
};

TEST(TurnKernelTest, QuarterTurnCopiesExactlyInsideTheBackgroundBorder) {
    Picture src(100, 50, 1);
    int32_t w = 0, h = 0;
    const uint32_t orange = 0x0080FF; // red FF, green 80, blue 00
    uint8_t* out = TurnPixelsByAngle(src.image, 900, orange, 1, &w, &h);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(w, 55);
    ASSERT_EQ(h, 105);
    ImageBuffer quarter{};
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(TurnImage(src.image, kTurn90, &quarter, &status)); // 50 x 100, clockwise
    const uint32_t stride = ImageStride(55, 24);
    int wrong = 0, border = 0;
    for (int32_t y = 0; y < 105; ++y)
        for (int32_t x = 0; x < 55; ++x) {
            const uint8_t* p = out + y * stride + x * 3;
            // the picture lands 2 columns and 3 rows (counted from the bottom) in from the edge
            if (x >= 2 && x < 52 && y >= 3 && y < 103) {
                wrong += std::memcmp(p, quarter.pixels + (y - 3) * ImageStride(50, 24) + (x - 2) * 3, 3) != 0;
            } else {
                border += p[0] == 0x00 && p[1] == 0x80 && p[2] == 0xFF;
            }
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(border, 55 * 105 - 50 * 100);
    FreePixelBlock(out);
    FreeImagePixels(&quarter);
    EXPECT_EQ(TurnPixelsByAngle(src.image, 0, orange, 1, &w, &h), nullptr); // nothing to do
    EXPECT_EQ(TurnPixelsByAngle(src.image, 1801, orange, 1, &w, &h), nullptr);
}

TEST(TurnKernelTest, BilinearEdgesBlendIntoTheBackground) {
    // one grey pixel of 200 on black, by 45 degrees: s = c = 181, a 6 x 6 result centred on (3, 3)
    ImageBuffer dot{};
    ASSERT_TRUE(PrepareImage(&dot, 1, 1, 24, nullptr));
    std::memset(dot.pixels, 200, 3);
    int32_t w = 0, h = 0;
    uint8_t* out = TurnPixelsByAngle(dot, 450, 0, 1, &w, &h);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(w, 6);
    const uint32_t stride = ImageStride(6, 24);
    EXPECT_EQ(out[3 * stride + 3 * 3], 200); // exactly on the source pixel
    // (3, 2): X = 181, Y = -181, so fx = 181 and fy = 75 with only the upper-left neighbour inside:
    // (75 x (75 x 200)) >> 16
    EXPECT_EQ(out[2 * stride + 3 * 3 + 1], 17);
    EXPECT_EQ(out[0], 0);
    FreePixelBlock(out);
    FreeImagePixels(&dot);

    // an 8-bit picture turns through its palette, and the bands never change a byte
    ImageBuffer indexed{};
    ASSERT_TRUE(PrepareImage(&indexed, 97, 61, 8, nullptr));
    for (uint32_t i = 0; i < 256; ++i)
        indexed.palette[i] = RGBQUAD{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), 7, 0};
    for (uint32_t i = 0; i < ImageStride(&indexed) * 61; ++i)
        indexed.pixels[i] = static_cast<uint8_t>(i * 37);
    int32_t w1 = 0, h1 = 0, w3 = 0, h3 = 0;
    uint8_t* one = TurnPixelsByAngle(indexed, 100, 0xFFFFFF, 1, &w1, &h1);
    uint8_t* three = TurnPixelsByAngle(indexed, 100, 0xFFFFFF, 3, &w3, &h3);
    ASSERT_TRUE(one && three);
    ASSERT_EQ(w1, w3);
    EXPECT_EQ(std::memcmp(one, three, ImageStride(static_cast<uint32_t>(w1), 24) * h1), 0);
    FreePixelBlock(one);
    FreePixelBlock(three);
    FreeImagePixels(&indexed);
}

TEST(TurnKernelTest, PreviewTakesTheNearestPixelInASourceSizedBuffer) {
    Picture src(4, 3, 9);
    std::vector<uint8_t> dest(ImageStride(4, 24) * 3 + 4);
    KernelJob job = WholeImageJob(src.image.pixels, dest.data(), 4, 3, nullptr);
    TurnPreviewParams level = MakeTurnPreviewParams(0, 0x000000);
    RunKernelBands(job, TurnPreviewBand, &level, 1);
    for (uint32_t y = 0; y < 3; ++y)
        EXPECT_EQ(std::memcmp(dest.data() + y * job.stride, src.image.pixels + y * job.stride, 12), 0);
    // half a turn about (2, 1): output (x, y) shows source (4 - x, 2 - y), column 0 falls outside
    TurnPreviewParams half = MakeTurnPreviewParams(1800, 0x0000FF);
    RunKernelBands(job, TurnPreviewBand, &half, 1);
    for (uint32_t y = 0; y < 3; ++y) {
        const uint8_t* row = dest.data() + y * job.stride;
        EXPECT_EQ(row[2], 0xFF); // the background's red
        EXPECT_EQ(row[0], 0x00);
        for (uint32_t x = 1; x < 4; ++x)
            EXPECT_EQ(std::memcmp(row + x * 3, src.image.pixels + (2 - y) * job.stride + (4 - x) * 3, 3), 0);
    }
}

} // namespace
} // namespace qv
