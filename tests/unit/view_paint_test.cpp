#include <gtest/gtest.h>

#include <string>

#include "view_test_fixtures.h"
#include "viewer/view_commands.h"
#include "viewer/view_paint.h"

namespace qv {
namespace {

using test::DesktopMetrics;
using test::Geometry;

int64_t Area(const ViewRect& r) {
    return static_cast<int64_t>(r.Width()) * r.Height();
}

bool Overlap(const ViewRect& a, const ViewRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(PaintPlanTest, SmallImageIsCentredWithFourStripsThatCoverTheRestExactly) {
    ViewGeometry g = Geometry(200, 100, 800, 600, 1.0);
    PaintPlan p = PlanPaint(g);
    ASSERT_EQ(p.fillCount, 4);
    ASSERT_TRUE(p.drawImage);
    EXPECT_EQ(p.destination.left, 300);
    EXPECT_EQ(p.destination.top, 250);
    EXPECT_EQ(p.destination.right, 500);
    EXPECT_EQ(p.destination.bottom, 350);
    int64_t covered = Area(p.destination);
    for (int i = 0; i < p.fillCount; ++i) {
        covered += Area(p.fills[i]);
        EXPECT_FALSE(Overlap(p.fills[i], p.destination));
        for (int j = i + 1; j < p.fillCount; ++j)
            EXPECT_FALSE(Overlap(p.fills[i], p.fills[j]));
    }
    EXPECT_EQ(covered, 800 * 600);
}

TEST(PaintPlanTest, SourceRowsCountFromTheBottomAndEmptyViewIsAllBackground) {
    ViewGeometry g = Geometry(1000, 1000, 200, 100, 1.0); // rows 450..549 visible
    PaintPlan p = PlanPaint(g);
    EXPECT_EQ(p.fillCount, 0);
    EXPECT_EQ(p.sourceX, 400);
    EXPECT_EQ(p.sourceY, 1000 - 450 - 100);
    EXPECT_EQ(p.sourceHeight, 100);
    g = Geometry(1000, 50, 200, 100, 1.0); // only the strips above and below, display width wide
    p = PlanPaint(g);
    ASSERT_EQ(p.fillCount, 2);
    EXPECT_EQ(p.fills[0].Width(), 200);
    EXPECT_EQ(p.fills[0].bottom, 25);
    EXPECT_EQ(p.fills[1].top, 75);

    ViewGeometry empty;
    SetViewClient(&empty, 640, 480);
    p = PlanPaint(empty);
    ASSERT_EQ(p.fillCount, 1);
    EXPECT_FALSE(p.drawImage);
    EXPECT_EQ(p.fills[0].right, 640);
    EXPECT_EQ(p.fills[0].bottom, 480);
}

TEST(StretchModeTest, OneToOneAndDraggingUseColorOnColor) {
    ViewGeometry g = Geometry(400, 300, 800, 600, 1.0);
    EXPECT_EQ(ViewWindowStretchMode(g, 4, false), kStretchColorOnColor);
    g = Geometry(400, 300, 800, 600, 0.5);
    EXPECT_EQ(ViewWindowStretchMode(g, 4, false), kStretchHalftone);
    EXPECT_EQ(ViewWindowStretchMode(g, 4, true), kStretchColorOnColor);
    EXPECT_EQ(ViewWindowStretchMode(g, 3, false), kStretchColorOnColor);
    g = Geometry(400, 300, 800, 600, 1.5);
    EXPECT_EQ(ViewWindowStretchMode(g, 4, false), kStretchHalftone);
    EXPECT_EQ(PaneStretchMode(g), kStretchColorOnColor);
    g = Geometry(400, 300, 800, 600, 0.99);
    EXPECT_EQ(PaneStretchMode(g), kStretchHalftone);
}

TEST(BackgroundTest, CommandsBrushesAndTextColour) {
    int32_t bg = -1;
    EXPECT_FALSE(BackgroundFromCommand(5340, &bg));
    EXPECT_FALSE(BackgroundFromCommand(5346, &bg));
    ASSERT_TRUE(BackgroundFromCommand(kCmdBackgroundBlack, &bg));
    EXPECT_EQ(bg, 4);
    EXPECT_EQ(BackgroundStockBrush(bg, 2), kStockBlackBrush);
    EXPECT_EQ(BackgroundColour(bg, 2), 0x000000u);
    EXPECT_EQ(BackgroundTextColour(bg), 0xFFFFFFu); // the load-failure text turns white
    ASSERT_TRUE(BackgroundFromCommand(kCmdBackgroundLightGrey, &bg));
    EXPECT_EQ(BackgroundTextColour(bg), 0x000000u);
    EXPECT_EQ(BackgroundColour(bg, 2), 0xC0C0C0u);
    EXPECT_EQ(BackgroundTextColour(2), 0xFFFFFFu);
    EXPECT_EQ(BackgroundStockBrush(9, 2), kStockGreyBrush); // invalid: the slot default
    EXPECT_EQ(BackgroundStockBrush(-1, 1), kStockLightGreyBrush);
    ViewSettings settings;
    settings.BgColor = 4;
    EXPECT_EQ(SurfaceBackgroundBrush(settings, DisplayMode::FullScreen), kStockBlackBrush);
    EXPECT_EQ(SurfaceBackgroundBrush(settings, DisplayMode::SubWindow), kStockLightGreyBrush);
}

TEST(NavigatorTest, WideImageGetsAThinCentredThumbnailAndTheMarkerStaysInside) {
    ViewGeometry g = Geometry(4000, 100, 800, 600, 1.0);
    NavigatorLayout n = LayoutNavigator(g);
    ASSERT_TRUE(n.valid);
    EXPECT_EQ(n.thumbnail.Width(), 160);
    EXPECT_EQ(n.thumbnail.Height(), 4);
    EXPECT_EQ(n.thumbnail.top, 58);
    EXPECT_EQ(n.thumbnail.left, 0);
    // 800 of 4000 columns from 1600: 32 thumbnail pixels from 64
    EXPECT_EQ(n.marker.left, 64);
    EXPECT_EQ(n.marker.right, 64 + 32 - 1);
    EXPECT_EQ(n.marker.top, 58);
    EXPECT_EQ(n.marker.bottom, 61);

    g = Geometry(300, 1200, 100, 100, 1.0); // tall: full height, centred horizontally
    n = LayoutNavigator(g);
    EXPECT_EQ(n.thumbnail.Height(), 120);
    EXPECT_EQ(n.thumbnail.Width(), 30);
    EXPECT_EQ(n.thumbnail.left, 65);
    ScrollViewBy(&g, 10000, 10000);
    n = LayoutNavigator(g);
    EXPECT_LE(n.marker.right, n.thumbnail.right - 1);
    EXPECT_LE(n.marker.bottom, n.thumbnail.bottom - 1);
    EXPECT_EQ(n.marker.bottom, 119);

    g = Geometry(100000, 1, 800, 600, 1.0); // extreme: still one visible row and marker column
    n = LayoutNavigator(g);
    EXPECT_EQ(n.thumbnail.Height(), 1);
    EXPECT_GE(n.marker.right, n.marker.left);
    EXPECT_FALSE(LayoutNavigator(ViewGeometry{}).valid);
}

TEST(BandTest, CornersInAnyOrderGiveTheSameOutline) {
    ViewRect a = NormaliseBand(ViewPoint{50, 10}, ViewPoint{20, 40});
    ViewRect b = NormaliseBand(ViewPoint{20, 40}, ViewPoint{50, 10});
    EXPECT_EQ(a.left, 20);
    EXPECT_EQ(a.top, 10);
    EXPECT_EQ(a.right, 50);
    EXPECT_EQ(a.bottom, 40);
    EXPECT_EQ(b.left, a.left);
    EXPECT_EQ(b.bottom, a.bottom);
    ViewPoint pts[5];
    OutlinePoints(a, pts);
    EXPECT_EQ(pts[0].x, pts[4].x); // closed
    EXPECT_EQ(pts[0].y, pts[4].y);
    EXPECT_EQ(pts[2].x, 50);
    EXPECT_EQ(pts[2].y, 40);
}

TEST(ZoomTextTest, PercentRoundsHalfUpAndFitsTheBuffer) {
    wchar_t text[16];
    EXPECT_EQ(FormatZoomPercent(1.0, text, 16), 4u);
    EXPECT_EQ(std::wstring(text), L"100%");
    FormatZoomPercent(0.01, text, 16);
    EXPECT_EQ(std::wstring(text), L"1%");
    FormatZoomPercent(16.0, text, 16);
    EXPECT_EQ(std::wstring(text), L"1600%");
    FormatZoomPercent(0.665, text, 16); // 66.5 -> 67 (in binary 66.50000000000001)
    EXPECT_EQ(std::wstring(text), L"67%");
    EXPECT_EQ(ZoomPercent(800.0 / 801.0), 100);
    EXPECT_EQ(FormatZoomPercent(16.0, text, 3), 2u);
    EXPECT_EQ(std::wstring(text), L"16");
}

} // namespace
} // namespace qv
