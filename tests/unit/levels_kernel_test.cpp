// Levels: the mapping of black, white and gamma, which channel's points apply, the histogram
// counts (mask, palette) and the marker rules of the histogram control.
#include <gtest/gtest.h>

#include "tools/levels_kernel.h"

namespace qv {
namespace {

TEST(Levels, MapsBlackWhiteAndGammaAsWorkedOut) {
    uint8_t t[256];
    BuildLevelsTable({10, 240, 0}, t); // S_230 over v - 10
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[9], 0);
    EXPECT_EQ(t[10], 0);
    EXPECT_EQ(t[11], 1);
    EXPECT_EQ(t[100], 99);
    EXPECT_EQ(t[239], 253);
    EXPECT_EQ(t[240], 255);
    EXPECT_EQ(t[255], 255);
    BuildLevelsTable({0, 100, 0}, t); // the stretch alone would give 254 at the white point
    EXPECT_EQ(t[99], 252);
    EXPECT_EQ(t[100], 255);
    BuildLevelsTable({0, 255, 50}, t);
    EXPECT_EQ(t[1], 19);
    EXPECT_EQ(t[64], 134);
    EXPECT_EQ(t[128], 185);
    BuildLevelsTable({50, 200, -30}, t);
    EXPECT_EQ(t[51], 0);
    EXPECT_EQ(t[125], 87);
    EXPECT_EQ(t[199], 252);
}

TEST(Levels, NeutralPointsChangeNothingAndTheSelectedChannelDecides) {
    LevelsParams p;
    ChannelLookup lookup;
    EXPECT_TRUE(IsNeutralLevels(p));
    BuildLevelsLookup(p, &lookup);
    for (int v = 0; v < 256; ++v) {
        ASSERT_EQ(lookup.blue[v], v);
        ASSERT_EQ(lookup.green[v], v);
        ASSERT_EQ(lookup.red[v], v);
    }
    // points of one channel count only while that channel, not the combined one, is selected
    p.channel[kLevelsRed] = {0, 200, 0};
    EXPECT_TRUE(IsNeutralLevels(p));
    p.current = kLevelsRed;
    EXPECT_FALSE(IsNeutralLevels(p));
    BuildLevelsLookup(p, &lookup);
    EXPECT_EQ(lookup.red[200], 255);
    EXPECT_EQ(lookup.green[200], 200);
    p.current = kLevelsCombined;
    p.channel[kLevelsCombined].gamma = -1;
    EXPECT_FALSE(IsNeutralLevels(p));
    BuildLevelsLookup(p, &lookup);
    EXPECT_EQ(lookup.red[200], lookup.blue[200]);
}

TEST(Levels, HistogramSkipsProtectedPixelsAndCountsPalettesThroughTheirColours) {
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 3, 1, 24, nullptr));
    const uint8_t pixels[9] = {10, 20, 30, 10, 200, 30, 255, 0, 7};
    std::copy(pixels, pixels + 9, image->pixels);
    const uint8_t mask[3] = {0, 128, 255};
    LevelsHistogram h;
    ASSERT_TRUE(CountLevelsHistogram(*image, mask, &h));
    EXPECT_EQ(h.count[kLevelsBlue][10], 2u);
    EXPECT_EQ(h.count[kLevelsBlue][255], 0u); // mask 255
    EXPECT_EQ(h.count[kLevelsGreen][200], 1u);
    EXPECT_EQ(h.count[kLevelsCombined][30], 2u);
    EXPECT_EQ(h.count[kLevelsCombined][10], 2u);
    ASSERT_TRUE(CountLevelsHistogram(*image, nullptr, &h));
    EXPECT_EQ(h.count[kLevelsRed][7], 1u);

    ASSERT_TRUE(PrepareImage(image, 5, 1, 8, nullptr));
    image->palette[3] = {40, 40, 90, 0};
    image->palette[4] = {90, 0, 0, 0};
    const uint8_t indices[5] = {3, 3, 4, 3, 0};
    std::copy(indices, indices + 5, image->pixels);
    ASSERT_TRUE(CountLevelsHistogram(*image, nullptr, &h));
    EXPECT_EQ(h.count[kLevelsBlue][40], 3u);
    EXPECT_EQ(h.count[kLevelsRed][90], 3u);
    EXPECT_EQ(h.count[kLevelsGreen][0], 2u);
    EXPECT_EQ(h.count[kLevelsCombined][90], 4u);
    EXPECT_EQ(h.count[kLevelsCombined][0], 5u);
    EXPECT_EQ(TallestCount(h, kLevelsCombined), 6u); // level 40: blue and green of three pixels
    EXPECT_EQ(HistogramBarHeight(5, 5, 100), 100);
    EXPECT_EQ(HistogramBarHeight(2, 5, 100), 40);
    EXPECT_EQ(HistogramBarHeight(1, 1000000, 100), 1); // one pixel still shows
    EXPECT_EQ(HistogramBarHeight(0, 5, 100), 0);
    FreeImageRecord(image);
}

TEST(Levels, MarkersAreGrabbedDraggedAndClickedWithinTheirBounds) {
    LevelsPoints p{50, 60, 0};
    EXPECT_EQ(MarkerNear(p, 46), LevelsMarker::kBlack);
    EXPECT_EQ(MarkerNear(p, 45), LevelsMarker::kNone);
    EXPECT_EQ(MarkerNear(p, 54), LevelsMarker::kBlack);
    EXPECT_EQ(MarkerNear(p, 56), LevelsMarker::kWhite);
    EXPECT_EQ(MarkerNear(p, 64), LevelsMarker::kWhite);
    EXPECT_EQ(MarkerNear(p, 65), LevelsMarker::kNone);
    LevelsPoints close{100, 104, 0}; // both in reach: the nearer, a tie to black
    EXPECT_EQ(MarkerNear(close, 101), LevelsMarker::kBlack);
    EXPECT_EQ(MarkerNear(close, 102), LevelsMarker::kBlack);
    EXPECT_EQ(MarkerNear(close, 103), LevelsMarker::kWhite);
    LevelsPoints top{253, 255, 0};
    EXPECT_EQ(MarkerNear(top, 255), LevelsMarker::kWhite); // black cannot be grabbed right of white

    DragLevelsMarker(&p, LevelsMarker::kBlack, 90);
    EXPECT_EQ(p.black, 59);
    DragLevelsMarker(&p, LevelsMarker::kWhite, 0);
    EXPECT_EQ(p.white, 60);
    DragLevelsMarker(&p, LevelsMarker::kBlack, -5);
    EXPECT_EQ(p.black, 0);
    ClickLevel(&p, true, 300);
    EXPECT_EQ(p.white, 255);
    ClickLevel(&p, false, 120);
    EXPECT_EQ(p.black, 120);
    ClickLevel(&p, true, 30);
    EXPECT_EQ(p.white, 121);
    EXPECT_EQ(LevelsBlackRange(p).max, 120);
    EXPECT_EQ(LevelsWhiteRange(p).min, 121);
    SetLevelsBlack(&p, 200);
    EXPECT_EQ(p.black, 120);
    SetLevelsGamma(&p, -500);
    EXPECT_EQ(p.gamma, -100);
    EXPECT_EQ(LevelAtControlX(-3), 0);
    EXPECT_EQ(LevelAtControlX(400), 255);
}

} // namespace
} // namespace qv
