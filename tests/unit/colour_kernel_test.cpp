// Greyscale, shadows and highlights, colour balance, the colour filter and colour replacement
// against values worked out by hand from their formulas, black and white among the pixels.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tone_pixels.h"
#include "tools/colour_kernel.h"

namespace qv {
namespace {

using qvtest::Bgr;
using qvtest::MapThroughPass;

const std::vector<Bgr> kPixels = {{0, 0, 0},      {255, 255, 255}, {30, 60, 90},
                                  {200, 100, 50}, {128, 128, 128}, {10, 240, 120}};

std::vector<Bgr> Greys(std::initializer_list<uint8_t> values) {
    std::vector<Bgr> out;
    for (uint8_t v : values)
        out.push_back({v, v, v});
    return out;
}

TEST(Greyscale, WeighsTheChannelsAndSaturates) {
    GreyscaleOp op;
    GreyscaleParams p;
    EXPECT_EQ(MapThroughPass(PrepareGreyscale(p, &op), kPixels), Greys({0, 255, 65, 97, 128, 178}));
    EXPECT_EQ(MapThroughPass(PrepareGreyscale(GreyscaleParams{1000, 1000, 1000}, &op), kPixels),
              Greys({0, 255, 180, 255, 255, 255}));
    p = {0, 0, 1};
    ResetGreyscaleWeights(&p);
    EXPECT_EQ(p.blue, 114);
    EXPECT_EQ(p.green, 587);
    EXPECT_EQ(p.red, 299);
}

TEST(ShadowHighlight, LiftsNearBlackLowersNearWhiteWeightedByDistance) {
    auto op = std::make_unique<ShadowHighlightOp>();
    const std::vector<Bgr> pixels = {{0, 0, 0},       {255, 255, 255}, {30, 60, 90},    {200, 100, 50}, {128, 128, 128},
                                     {240, 220, 230}, {20, 10, 0},     {200, 200, 200}, {60, 70, 80}};
    const std::vector<Bgr> expected = {{0, 0, 0},      {255, 255, 255}, {55, 90, 119},
                                       {200, 100, 50}, {128, 128, 128}, {235, 211, 222},
                                       {49, 31, 0},    {188, 188, 188}, {87, 97, 107}};
    EXPECT_EQ(MapThroughPass(PrepareShadowHighlight({30, 20}, op.get()), pixels), expected);
    // a side at 0 keeps its colours exactly
    std::vector<Bgr> lowered = MapThroughPass(PrepareShadowHighlight({0, 20}, op.get()), pixels);
    EXPECT_EQ(lowered[2], pixels[2]);
    EXPECT_EQ(lowered[5], expected[5]);
    EXPECT_TRUE(IsNeutralShadowHighlight({0, 0}));
    EXPECT_FALSE(IsNeutralShadowHighlight({0, 1}));
}

TEST(ColourBalance, ShiftsAgainstTheMeanAndKeepsTheLuminance) {
    auto op = std::make_unique<LuminanceShiftOp>();
    EXPECT_EQ(
        MapThroughPass(PrepareColourBalance({30, 0, -30}, op.get()), kPixels),
        (std::vector<Bgr>{{0, 0, 21}, {228, 255, 255}, {0, 54, 114}, {165, 94, 74}, {93, 122, 152}, {0, 232, 142}}));
    // equal shifts cancel against their mean: nothing changes, not even by the round trip's truncation
    EXPECT_TRUE(IsNeutralColourBalance({10, 10, 10}));
    EXPECT_FALSE(IsNeutralColourBalance({10, 10, 11}));
    EXPECT_EQ(MapThroughPass(PrepareColourBalance({10, 10, 10}, op.get()), kPixels), kPixels);
}

TEST(ColourFilter, MixesTowardTheFilterColourAndKeepsTheLuminance) {
    auto op = std::make_unique<LuminanceShiftOp>();
    ColourFilterParams p; // filter 0x144270 (red 0x70, green 0x42, blue 0x14) at strength 100
    EXPECT_EQ(
        MapThroughPass(PrepareColourFilter(p, op.get()), kPixels),
        (std::vector<Bgr>{{0, 0, 14}, {233, 251, 255}, {23, 58, 95}, {138, 95, 82}, {106, 124, 142}, {54, 212, 156}}));
    p.choice = 2;
    p.colours[2] = p.colours[0];
    p.colours[0] = 0xFFFFFF;
    EXPECT_EQ(MapThroughPass(PrepareColourFilter(p, op.get()), kPixels)[3], (Bgr{138, 95, 82}));
    p.strength = 0;
    EXPECT_TRUE(IsNeutralColourFilter(p));
    EXPECT_EQ(MapThroughPass(PrepareColourFilter(p, op.get()), kPixels), kPixels);
}

TEST(ReplaceColour, WeighsByDistanceAndLevel) {
    auto op = std::make_unique<ReplaceColourOp>();
    ReplaceColourParams p; // from (r 96, g 160, b 255) to (r 255, g 0, b 128), range 75, level 100
    EXPECT_EQ(
        MapThroughPass(PrepareReplaceColour(p, op.get()), kPixels),
        (std::vector<Bgr>{{0, 0, 0}, {255, 255, 255}, {30, 60, 90}, {186, 81, 89}, {128, 128, 128}, {10, 240, 120}}));
    // range 0: only the from-colour itself, weighted T[level][255] = level
    p.from = MakeColor(90, 60, 30);
    p.to = MakeColor(255, 0, 0);
    p.range = 0;
    EXPECT_EQ(MapThroughPass(PrepareReplaceColour(p, op.get()), {{30, 60, 90}, {31, 60, 90}, {30, 60, 89}}),
              (std::vector<Bgr>{{18, 36, 155}, {31, 60, 90}, {30, 60, 89}}));
    p.level = 0;
    EXPECT_TRUE(IsNeutralReplaceColour(p));
}

TEST(ReplaceColour, APickedColourFillsTheBoxSelectedLast) {
    ReplaceColourParams p;
    PickReplaceColour(&p, MakeColor(1, 2, 3));
    EXPECT_EQ(p.from, MakeColor(1, 2, 3));
    p.activeBox = 1;
    PickReplaceColour(&p, MakeColor(4, 5, 6));
    EXPECT_EQ(p.to, MakeColor(4, 5, 6));
    EXPECT_EQ(p.from, MakeColor(1, 2, 3));
}

} // namespace
} // namespace qv
