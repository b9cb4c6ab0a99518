// The integer HLS model, the hue-lightness-saturation tool with and without its colour limit, and
// luminance equalisation, against values worked out by hand from the formulas.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tone_pixels.h"
#include "tools/hls_kernel.h"

namespace qv {
namespace {

using qvtest::Bgr;
using qvtest::MapThroughPass;

void ExpectHls(uint8_t r, uint8_t g, uint8_t b, int32_t hue, int32_t lightness, int32_t saturation) {
    HlsColour c = RgbToHls(r, g, b);
    EXPECT_EQ(c.hue, hue) << int(r) << "," << int(g) << "," << int(b);
    EXPECT_EQ(c.lightness, lightness) << int(r) << "," << int(g) << "," << int(b);
    EXPECT_EQ(c.saturation, saturation) << int(r) << "," << int(g) << "," << int(b);
}

TEST(HlsModel, HueTiesLightnessAndSaturation) {
    ExpectHls(255, 0, 0, 0, 127, 255);
    ExpectHls(255, 255, 0, 60, 127, 255);  // red = green: green's base
    ExpectHls(0, 255, 255, 180, 127, 255); // green = blue: green's base
    ExpectHls(255, 0, 255, 300, 127, 255); // red = blue: blue's base
    ExpectHls(0, 0, 255, 240, 127, 255);
    ExpectHls(200, 50, 100, 340, 125, 153);  // 0 + trunc(60 x -50 / 150), wrapped
    ExpectHls(10, 20, 30, 210, 20, 127);     // t = 40 <= 255: 255 x 20 / 40
    ExpectHls(250, 240, 245, 330, 245, 127); // t = 490: 255 x 10 / 20
    ExpectHls(77, 77, 77, 0, 77, 0);

    uint8_t bgr[3];
    HlsToRgb(0, 127, 255, bgr);
    EXPECT_EQ((Bgr{bgr[0], bgr[1], bgr[2]}), (Bgr{0, 0, 254})); // m2 = 127 x 510 / 255 = 254
    for (int32_t hue : {340, -20, 700}) {
        HlsToRgb(hue, 125, 153, bgr);
        EXPECT_EQ((Bgr{bgr[0], bgr[1], bgr[2]}), (Bgr{100, 50, 200})) << hue;
    }
}

TEST(HlsTool, ShiftsHueSaturationAndLightness) {
    auto op = std::make_unique<HlsOp>();
    const std::vector<Bgr> pixels = {{0, 0, 0},      {255, 255, 255}, {30, 60, 90},
                                     {200, 100, 50}, {128, 128, 128}, {10, 240, 120}};
    EXPECT_EQ(
        MapThroughPass(PrepareHls({60, 0, 0}, op.get()), pixels),
        (std::vector<Bgr>{{0, 0, 0}, {255, 255, 255}, {31, 89, 60}, {200, 50, 150}, {128, 128, 128}, {132, 239, 11}}));
    EXPECT_EQ(
        MapThroughPass(PrepareHls({-30, 50, -20}, op.get()), pixels),
        (std::vector<Bgr>{{0, 0, 0}, {235, 231, 239}, {13, 13, 67}, {188, 160, 22}, {108, 87, 129}, {0, 210, 203}}));
    // a grey given saturation takes the hue 0 of greys
    EXPECT_EQ(MapThroughPass(PrepareHls({0, 255, 0}, op.get()), {{128, 128, 128}}), (std::vector<Bgr>{{1, 1, 255}}));
    EXPECT_EQ(MapThroughPass(PrepareHls({0, -255, 0}, op.get()), {{30, 60, 90}}), (std::vector<Bgr>{{60, 60, 60}}));

    // limited to colours within range 50 of (b 30, g 60, r 90): W_50 = 255 - floor(D x 255 / 7500)
    HlsParams near{0, 0, 40};
    near.limit = true;
    near.reference = MakeColor(90, 60, 30);
    near.range = 50;
    EXPECT_EQ(MapThroughPass(PrepareHls(near, op.get()),
                             {{30, 60, 90}, {40, 60, 90}, {60, 90, 130}, {200, 100, 50}, {255, 255, 255}}),
              (std::vector<Bgr>{{51, 100, 149}, {64, 97, 144}, {77, 111, 157}, {200, 100, 50}, {255, 255, 255}}));
}

TEST(HlsTool, NeutralResetAndPicking) {
    HlsParams p{0, 0, 0};
    p.limit = true;
    EXPECT_TRUE(IsNeutralHls(p));
    p.lightness = -1;
    EXPECT_FALSE(IsNeutralHls(p));
    p.hue = 5;
    ResetHlsShifts(&p);
    EXPECT_TRUE(IsNeutralHls(p));
    EXPECT_EQ(p.reference, 0xFFFFFFu);
    PickHlsColour(&p, MakeColor(12, 34, 56));
    EXPECT_EQ(p.reference, MakeColor(12, 34, 56));
}

TEST(LuminanceEqualisation, SpreadsLightnessAlongTheCumulativeGreyCounts) {
    // greys 0, 40, 40, 65, 255, 97: N = 6, F = 1; E[40] = trunc(2 / 5 x 255) = 102, so L 40 -> 40 + 31
    const uint8_t row[18] = {0, 0, 0, 40, 40, 40, 40, 40, 40, 30, 60, 90, 255, 255, 255, 200, 100, 50};
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 6, 1, 24, nullptr));
    std::memcpy(image->pixels, row, sizeof row);
    ASSERT_TRUE(EqualiseLuminance(image, nullptr, 1));
    const uint8_t expected[18] = {0, 0, 0, 71, 71, 71, 71, 71, 71, 53, 104, 155, 255, 255, 255, 225, 162, 131};
    EXPECT_EQ(0, std::memcmp(image->pixels, expected, sizeof expected));
    EXPECT_EQ(image->sourceFormat, kFormatBmp);

    // one grey value everywhere: nothing to spread, nothing changes
    ASSERT_TRUE(PrepareImage(image, 2, 1, 24, nullptr));
    const uint8_t flat[6] = {10, 50, 200, 10, 50, 200};
    std::memcpy(image->pixels, flat, sizeof flat);
    ASSERT_TRUE(EqualiseLuminance(image, nullptr, 1));
    EXPECT_EQ(0, std::memcmp(image->pixels, flat, sizeof flat));
    FreeImageRecord(image);
}

TEST(LuminanceEqualisation, AnEightBitImageBecomesItsEqualisedExpansion) {
    ImageBuffer* indexed = AllocImageRecord();
    ImageBuffer* expanded = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(indexed, 6, 1, 8, nullptr));
    ASSERT_TRUE(PrepareImage(expanded, 6, 1, 24, nullptr));
    const uint8_t row[18] = {0, 0, 0, 40, 40, 40, 40, 40, 40, 30, 60, 90, 255, 255, 255, 200, 100, 50};
    for (int i = 0; i < 6; ++i) {
        indexed->palette[10 + i] = {row[i * 3], row[i * 3 + 1], row[i * 3 + 2], 0};
        indexed->pixels[i] = static_cast<uint8_t>(10 + i);
    }
    std::memcpy(expanded->pixels, row, sizeof row);
    const uint8_t mask[6] = {0, 255, 128, 0, 0, 0};
    ASSERT_TRUE(EqualiseLuminance(indexed, mask, 1));
    ASSERT_TRUE(EqualiseLuminance(expanded, mask, 1));
    EXPECT_EQ(indexed->header.biBitCount, 24);
    EXPECT_EQ(0, std::memcmp(indexed->pixels, expanded->pixels, sizeof row));
    EXPECT_EQ(indexed->pixels[3], 40); // protected by the mask
    FreeImageRecord(indexed);
    FreeImageRecord(expanded);
}

} // namespace
} // namespace qv
