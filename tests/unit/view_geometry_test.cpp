#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "view_test_fixtures.h"
#include "viewer/view_commands.h"
#include "viewer/view_geometry.h"

namespace qv {
namespace {

using test::DesktopMetrics;
using test::Geometry;

TEST(ViewScaleTest, ScaledSizeRoundsHalfUpAndIsNeverZero) {
    ViewSize s = ScaleImage(0.01, 1, 1);
    EXPECT_EQ(s.width, 1);
    EXPECT_EQ(s.height, 1);
    s = ScaleImage(0.5, 3, 5); // 1.5 -> 2, 2.5 -> 3
    EXPECT_EQ(s.width, 2);
    EXPECT_EQ(s.height, 3);
    s = ScaleImage(16.0, 65535, 1);
    EXPECT_EQ(s.width, 1048560);
}

TEST(ViewLayoutTest, SmallerImageIsCentredAndLargerImageShowsTheClampedCentre) {
    ViewGeometry g = Geometry(200, 100, 801, 600, 1.0);
    EXPECT_EQ(g.displayLeft, 300); // (801 - 200) / 2
    EXPECT_EQ(g.displayTop, 250);
    EXPECT_EQ(g.displayWidth, 200);
    EXPECT_EQ(g.sourceWidth, 200);
    EXPECT_EQ(g.centreX, 100);

    g = Geometry(2000, 1000, 800, 600, 1.0);
    EXPECT_EQ(g.displayLeft, 0);
    EXPECT_EQ(g.displayWidth, 800);
    EXPECT_EQ(g.sourceWidth, 800);
    EXPECT_EQ(g.sourceLeft, 600); // centre 1000 - 400
    g.centreX = 1990;             // near the right edge: clamped, and the centre follows
    LayoutView(&g);
    EXPECT_EQ(g.sourceLeft, 1200);
    EXPECT_EQ(g.centreX, 1600);

    g = Geometry(2000, 1000, 800, 600, 2.0);
    EXPECT_EQ(g.sourceWidth, 400);
    EXPECT_EQ(g.sourceHeight, 300);
}

TEST(ViewLayoutTest, TinyClientAtHighZoomStillShowsOnePixelAndEmptyViewIsEmpty) {
    ViewGeometry g = Geometry(100, 100, 7, 7, 16.0);
    EXPECT_EQ(g.displayWidth, 7);
    EXPECT_EQ(g.sourceWidth, 1); // 7 / 16 rounds to 0, which would draw nothing
    g = Geometry(100, 100, 0, 0, 4.0);
    EXPECT_EQ(g.displayWidth, 0);
    EXPECT_EQ(g.sourceWidth, 0);
    g = Geometry(0, 0, 640, 480, 1.0);
    EXPECT_EQ(g.displayWidth, 0);
    EXPECT_EQ(g.sourceWidth, 0);
    EXPECT_EQ(g.clientWidth, 640);
}

TEST(ViewFitTest, FitTakesTheSmallerRatioWithinTheLimits) {
    EXPECT_DOUBLE_EQ(FitZoom(800, 600, 1600, 600), 0.5);
    EXPECT_DOUBLE_EQ(FitZoom(800, 600, 100, 100), 6.0);
    EXPECT_DOUBLE_EQ(FitZoom(800, 600, 10, 10), 16.0);
    EXPECT_DOUBLE_EQ(FitZoom(800, 600, 1000000, 10), 0.01);
    EXPECT_DOUBLE_EQ(FitZoom(800, 600, 0, 0), 16.0); // a divisor of 0 counts as 1
    EXPECT_DOUBLE_EQ(FitZoom(0, 0, 100, 100), 0.01);
}

TEST(ViewZoomCommandTest, EveryCommandKeepsItsLimits) {
    ViewGeometry g = Geometry(400, 300, 800, 600, 10.0);
    ViewSize area{800, 600};
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomIn, area));
    EXPECT_DOUBLE_EQ(g.zoom, 16.0);
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomIn, area));
    EXPECT_DOUBLE_EQ(g.zoom, 16.0);
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomStepIn, area));
    EXPECT_DOUBLE_EQ(g.zoom, 16.0);
    g.zoom = 0.015;
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomOut, area));
    EXPECT_DOUBLE_EQ(g.zoom, 0.01);
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomOut, area));
    EXPECT_DOUBLE_EQ(g.zoom, 0.01);
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomStepOut, area));
    EXPECT_DOUBLE_EQ(g.zoom, 0.01);
    EXPECT_EQ(g.scaledWidth, 4);

    const struct {
        int32_t command;
        double zoom;
    } presets[] = {{kCmdZoomActual, 1.0}, {kCmdZoom1000, 10.0}, {kCmdZoom400, 4.0}, {kCmdZoom200, 2.0},
                   {kCmdZoom50, 0.5},     {kCmdZoom25, 0.25},   {kCmdZoom10, 0.1}};
    for (const auto& p : presets) {
        ASSERT_TRUE(ApplyZoomCommand(&g, p.command, area));
        EXPECT_DOUBLE_EQ(g.zoom, p.zoom) << p.command;
        EXPECT_EQ(g.scaledWidth, RoundHalfUp(400 * p.zoom));
    }
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomFit, area));
    EXPECT_DOUBLE_EQ(g.zoom, 2.0);
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomFitOrActual, area)); // not 1.0: back to 100 %
    EXPECT_DOUBLE_EQ(g.zoom, 1.0);
    ASSERT_TRUE(ApplyZoomCommand(&g, kCmdZoomFitOrActual, area)); // 1.0: fit
    EXPECT_DOUBLE_EQ(g.zoom, 2.0);
    EXPECT_FALSE(ApplyZoomCommand(&g, 5250, area));
    EXPECT_DOUBLE_EQ(g.zoom, 2.0);
}

TEST(ViewZoomCommandTest, TenPercentStepsReturnExactlyToOneHundredPercent) {
    ViewGeometry g = Geometry(400, 300, 800, 600, 0.5);
    for (int i = 0; i < 5; ++i)
        ApplyZoomCommand(&g, kCmdZoomStepIn, ViewSize{800, 600});
    EXPECT_EQ(g.zoom, 1.0); // 0.5 + 5 x 0.1 is 0.9999999999999999 in plain doubles
    for (int i = 0; i < 7; ++i)
        ApplyZoomCommand(&g, kCmdZoomStepIn, ViewSize{800, 600});
    for (int i = 0; i < 7; ++i)
        ApplyZoomCommand(&g, kCmdZoomStepOut, ViewSize{800, 600});
    EXPECT_EQ(g.zoom, 1.0);
    EXPECT_EQ(ZoomPercent(g.zoom), 100);
    g.zoom = 0.733333; // a fitted zoom is not pulled onto a grid
    ApplyZoomCommand(&g, kCmdZoomStepIn, ViewSize{800, 600});
    EXPECT_DOUBLE_EQ(g.zoom, 0.833333);
}

TEST(ViewFitRuleTest, ExactlyFittingImageCountsAsNotFitting) {
    ViewGeometry g = Geometry(800, 600, 800, 600, 1.0);
    EXPECT_TRUE(ApplyFitRule(&g, ViewSize{800, 600}, true, false));
    EXPECT_DOUBLE_EQ(g.zoom, 1.0);
    g = Geometry(801, 600, 800, 600, 1.0);
    EXPECT_TRUE(ApplyFitRule(&g, ViewSize{800, 600}, true, false));
    EXPECT_DOUBLE_EQ(g.zoom, 800.0 / 801.0);
    g = Geometry(801, 600, 800, 600, 1.0);
    EXPECT_FALSE(ApplyFitRule(&g, ViewSize{800, 600}, false, true)); // too large, no shrinking
    EXPECT_DOUBLE_EQ(g.zoom, 1.0);
    g = Geometry(400, 200, 800, 600, 1.0);
    EXPECT_FALSE(ApplyFitRule(&g, ViewSize{800, 600}, true, false)); // fits, no enlarging
    EXPECT_TRUE(ApplyFitRule(&g, ViewSize{800, 600}, false, true));
    EXPECT_DOUBLE_EQ(g.zoom, 2.0);
}

TEST(ViewScrollTest, ScrollByClampsAndMovesTheCentre) {
    ViewGeometry g = Geometry(2000, 1000, 800, 600, 1.0);
    EXPECT_TRUE(ScrollViewBy(&g, -100, 50));
    EXPECT_EQ(g.sourceLeft, 500);
    EXPECT_EQ(g.sourceTop, 250);
    EXPECT_EQ(g.centreX, 900);
    EXPECT_EQ(g.centreY, 550);
    EXPECT_TRUE(ScrollViewBy(&g, 100000, -100000));
    EXPECT_EQ(g.sourceLeft, 1200);
    EXPECT_EQ(g.sourceTop, 0);
    EXPECT_FALSE(ScrollViewBy(&g, 1, -1));
}

TEST(ViewPointTest, PointToImageFollowsTheDrawnPixelsAndClamps) {
    ViewGeometry g = Geometry(100, 100, 800, 600, 4.0); // 400 x 400 drawn at 200, 100
    EXPECT_EQ(PointToImage(g, ViewPoint{200, 100}).x, 0);
    EXPECT_EQ(PointToImage(g, ViewPoint{203, 103}).x, 0);
    EXPECT_EQ(PointToImage(g, ViewPoint{204, 104}).x, 1);
    EXPECT_EQ(PointToImage(g, ViewPoint{599, 499}).x, 99);
    EXPECT_EQ(PointToImage(g, ViewPoint{-50, -50}).x, 0);
    EXPECT_EQ(PointToImage(g, ViewPoint{5000, 5000}).y, 99);
    EXPECT_TRUE(PointOnImage(g, ViewPoint{599, 499}));
    EXPECT_FALSE(PointOnImage(g, ViewPoint{600, 499}));
    g = Geometry(3, 3, 100, 100, 1.2788); // 4 x 4 drawn: screen pixel 2 mostly shows image pixel 1
    EXPECT_EQ(PointToImage(g, ViewPoint{g.displayLeft + 2, g.displayTop + 2}).x, 1);
    g = Geometry(100, 100, 0, 0, 4.0); // nothing drawn: no division by zero
    EXPECT_EQ(PointToImage(g, ViewPoint{3, 3}).x, g.sourceLeft);
    g = Geometry(0, 0, 100, 100, 1.0);
    EXPECT_EQ(PointToImage(g, ViewPoint{3, 3}).x, 0);
}

// Outlines drawn over the image (a trim rectangle, a selection) must start on the screen pixel
// that PointToImage reads back as that image pixel, at every zoom, including a scrolled view;
// reduced, where one screen pixel shows several image pixels, within one screen pixel of it.
TEST(ViewPointTest, ImageToPointStartsEachPixelWherePointToImageReadsIt) {
    for (double zoom : {0.3, 1.0, 1.2788, 4.0, 7.5}) {
        ViewGeometry g = Geometry(300, 200, 250, 180, zoom);
        for (int32_t i = 1; i < 299; ++i) {
            ViewPoint c = ImageToPoint(g, ViewPoint{i, i % 200});
            if (!PointOnImage(g, c) || !PointOnImage(g, ViewPoint{c.x - 1, c.y})) continue;
            int32_t read = PointToImage(g, c).x, before = PointToImage(g, ViewPoint{c.x - 1, c.y}).x;
            if (zoom >= 1.0) {
                EXPECT_EQ(read, i) << zoom;
                EXPECT_EQ(before, i - 1) << zoom;
            } else {
                EXPECT_LE(before, i) << zoom;
                EXPECT_GE(read + 1, i) << zoom;
            }
        }
    }
}

TEST(ViewWindowFitTest, FittedWindowKeepsItsCentreAndStaysInTheWorkArea) {
    ViewSettings s;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewGeometry g = Geometry(400, 300, 100, 100, 1.0);
    ViewSize client;
    ViewRect w = FitWindowRect(g, s, m, &client);
    EXPECT_EQ(w.left, 960 - 200 - 8);
    EXPECT_EQ(w.top, 520 - 150 - 31);
    EXPECT_EQ(w.Width(), 416);
    EXPECT_EQ(w.Height(), 339);
    EXPECT_EQ(client.width, 400);
    EXPECT_EQ(client.height, 300);

    m.clientCentre = ViewPoint{1900, 5}; // pushed back inside
    w = FitWindowRect(g, s, m, &client);
    EXPECT_EQ(w.right, 1920);
    EXPECT_EQ(w.top, 0);

    g = Geometry(4000, 3000, 100, 100, 1.0); // larger than the work area: clipped to it
    w = FitWindowRect(g, s, m, &client);
    EXPECT_EQ(w.left, 0);
    EXPECT_EQ(w.Width(), 1920);
    EXPECT_EQ(w.Height(), 1040);
    EXPECT_EQ(client.width, 1904);
    EXPECT_EQ(client.height, 1001);

    m.clientCentre = ViewPoint{960, 520};
    g = Geometry(10, 10, 100, 100, 1.0); // raised to the minimum content size with a caption
    w = FitWindowRect(g, s, m, &client);
    EXPECT_EQ(client.width, 120);
    EXPECT_EQ(client.height, 120);
    ViewSize minTrack = MinimumTrackSize(s, m);
    EXPECT_EQ(minTrack.width, 136);
    EXPECT_EQ(minTrack.height, 159);

    s.CapBar = false; // caption-less: no frame while the hover frame is hidden
    w = FitWindowRect(g, s, m, &client);
    EXPECT_EQ(w.Width(), 10);
    EXPECT_EQ(w.left, 955);
    m.hoverFrameShown = true;
    w = FitWindowRect(g, s, m, &client);
    EXPECT_EQ(w.Width(), 18);
    EXPECT_EQ(client.width, 10);
}

TEST(ViewWindowFitTest, CornerKeepsTheAspectAndEdgesStopAtTheFittedSize) {
    ViewSettings s;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewGeometry g = Geometry(400, 300, 400, 300, 1.0);
    // proposed client 600 x 400 (sum 1000) dragged at the bottom-right corner from 100, 100
    ViewRect proposed{100, 100, 100 + 600 + 16, 100 + 400 + 39};
    ViewRect r = CornerResize(g, s, m, kSizeBottomRight, proposed);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.Width() - 16, 571);
    EXPECT_EQ(r.Height() - 39, 429);
    r = CornerResize(g, s, m, kSizeTopLeft, proposed); // the bottom-right corner stays
    EXPECT_EQ(r.right, proposed.right);
    EXPECT_EQ(r.bottom, proposed.bottom);
    EXPECT_EQ(r.Width() - 16, 571);
    r = CornerResize(g, s, m, kSizeBottomLeft, ViewRect{100, 100, 120, 140}); // tiny: minimum content
    EXPECT_EQ(r.Width() - 16, 120);
    EXPECT_EQ(r.Height() - 39, 120);
    EXPECT_EQ(r.right, 120);

    r = CornerResize(g, s, m, kSizeRight, ViewRect{100, 100, 900, 439});
    EXPECT_EQ(r.Width(), 416);
    r = CornerResize(g, s, m, kSizeLeft, ViewRect{0, 100, 900, 439});
    EXPECT_EQ(r.left, 900 - 416);
    r = CornerResize(g, s, m, kSizeBottom, ViewRect{100, 100, 516, 2000});
    EXPECT_EQ(r.Height(), 339);
    r = CornerResize(g, s, m, kSizeRight, ViewRect{100, 100, 300, 439}); // shrinking is free
    EXPECT_EQ(r.right, 300);
}

TEST(PaneScrollBarTest, BarsAppearOnlyWhereTheImageDoesNotFit) {
    struct Case {
        int32_t imageW, imageH;
        bool h, v;
        int32_t clientW, clientH;
    } cases[] = {
        {500, 300, false, false, 600, 400}, // fits
        {590, 300, false, false, 600, 400}, // fits only without a vertical bar, none needed
        {590, 500, true, true, 583, 383},   // needs the vertical bar, which then needs the other
        {500, 500, false, true, 583, 400},  // taller only
        {700, 300, true, false, 600, 383},  // wider only
        {700, 390, true, true, 583, 383},   // wider, and the horizontal bar makes it too tall
        {700, 800, true, true, 583, 383},
    };
    for (const Case& c : cases) {
        ViewGeometry g = Geometry(c.imageW, c.imageH, 1, 1, 1.0);
        PaneScrollBars bars = DecidePaneScrollBars(&g, true, ViewSize{600, 400}, 17, 17);
        EXPECT_EQ(bars.horizontal.shown, c.h) << c.imageW << "x" << c.imageH;
        EXPECT_EQ(bars.vertical.shown, c.v) << c.imageW << "x" << c.imageH;
        EXPECT_EQ(g.clientWidth, c.clientW) << c.imageW << "x" << c.imageH;
        EXPECT_EQ(g.clientHeight, c.clientH) << c.imageW << "x" << c.imageH;
        if (bars.horizontal.shown) {
            EXPECT_EQ(bars.horizontal.maximum, c.imageW - 1);
            EXPECT_EQ(bars.horizontal.page, g.sourceWidth);
            EXPECT_EQ(bars.horizontal.position, g.sourceLeft);
        } else {
            EXPECT_EQ(bars.horizontal.maximum, 0);
        }
        PaneScrollBars off = DecidePaneScrollBars(&g, false, ViewSize{600, 400}, 17, 17);
        EXPECT_FALSE(off.horizontal.shown || off.vertical.shown);
        EXPECT_EQ(g.clientWidth, 600);
    }
}

TEST(PaneScrollBarTest, ActionsMoveWithinTheRangeAndIgnoreTheFinalThumbPosition) {
    ViewGeometry g = Geometry(1000, 1000, 200, 100, 1.0);
    ScrollViewBy(&g, -1000, -1000);
    EXPECT_TRUE(ApplyScrollBarAction(&g, false, kScrollLineDown, 0));
    EXPECT_EQ(g.sourceLeft, 20);
    EXPECT_TRUE(ApplyScrollBarAction(&g, false, kScrollPageDown, 0));
    EXPECT_EQ(g.sourceLeft, 220);
    EXPECT_TRUE(ApplyScrollBarAction(&g, false, kScrollLineUp, 0));
    EXPECT_EQ(g.sourceLeft, 200);
    EXPECT_TRUE(ApplyScrollBarAction(&g, false, kScrollThumbTrack, 555));
    EXPECT_EQ(g.sourceLeft, 555);
    EXPECT_FALSE(ApplyScrollBarAction(&g, false, kScrollThumbPosition, 10));
    EXPECT_EQ(g.sourceLeft, 555);
    EXPECT_TRUE(ApplyScrollBarAction(&g, true, kScrollBottom, 0));
    EXPECT_EQ(g.sourceTop, 900); // range maximum 999, clamped to image - source
    EXPECT_FALSE(ApplyScrollBarAction(&g, true, kScrollBottom, 0));
    EXPECT_TRUE(ApplyScrollBarAction(&g, true, kScrollPageUp, 0));
    EXPECT_EQ(g.sourceTop, 800);
    EXPECT_TRUE(ApplyScrollBarAction(&g, true, kScrollTop, 0));
    EXPECT_EQ(g.sourceTop, 0);
    EXPECT_EQ(g.centreY, 50);
    EXPECT_FALSE(ApplyScrollBarAction(&g, true, kScrollLineUp, 0));
}

// A small deterministic generator, so a failing case can be replayed.
struct Lcg {
    uint64_t state;
    uint32_t Next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    }
    int32_t Range(int32_t lo, int32_t hi) { return lo + static_cast<int32_t>(Next() % (hi - lo + 1)); }
    // sizes spread over small, medium and large
    int32_t Size(int32_t maxSize) {
        switch (Next() % 3) {
        case 0: return Range(1, 16);
        case 1: return Range(1, 2000);
        default: return Range(1, maxSize);
        }
    }
    double Zoom() { return 0.01 * std::pow(1600.0, (Next() % 100001) / 100000.0); }
};

TEST(ViewGeometryPropertyTest, RectanglesStayInsideImageAndClientForAnySizes) {
    Lcg rng{12345};
    const int32_t commands[] = {kCmdZoomFit,    kCmdZoomActual,  kCmdZoomIn,         kCmdZoomOut, kCmdZoom1000,
                                kCmdZoom400,    kCmdZoom200,     kCmdZoom50,         kCmdZoom25,  kCmdZoom10,
                                kCmdZoomStepIn, kCmdZoomStepOut, kCmdZoomFitOrActual};
    for (int i = 0; i < 4000; ++i) {
        int32_t iw = rng.Size(30000), ih = rng.Size(30000);
        int32_t cw = rng.Range(0, 2600), ch = rng.Range(0, 1600);
        ViewGeometry g = Geometry(iw, ih, cw, ch, rng.Zoom());
        for (int k = 0; k < 3; ++k) {
            ApplyZoomCommand(&g, commands[rng.Next() % 13], ViewSize{rng.Range(0, 3000), rng.Range(0, 3000)});
        }
        g.centreX = rng.Range(-100, iw + 100);
        g.centreY = rng.Range(-100, ih + 100);
        LayoutView(&g);
        if (rng.Next() % 2) ScrollViewBy(&g, rng.Range(-5000, 5000), rng.Range(-5000, 5000));
        SCOPED_TRACE(testing::Message() << "case " << i << ": image " << iw << "x" << ih << " client " << cw << "x"
                                        << ch << " zoom " << g.zoom);
        ASSERT_GE(g.zoom, kMinZoom);
        ASSERT_LE(g.zoom, kMaxZoom);
        ASSERT_GE(g.scaledWidth, 1);
        ASSERT_GE(g.sourceLeft, 0);
        ASSERT_GE(g.sourceTop, 0);
        ASSERT_LE(g.sourceLeft + g.sourceWidth, iw);
        ASSERT_LE(g.sourceTop + g.sourceHeight, ih);
        ASSERT_GE(g.displayLeft, 0);
        ASSERT_GE(g.displayTop, 0);
        ASSERT_LE(g.displayLeft + g.displayWidth, cw);
        ASSERT_LE(g.displayTop + g.displayHeight, ch);
        ASSERT_EQ(g.sourceWidth > 0, g.displayWidth > 0);
        ASSERT_EQ(g.centreX, g.sourceLeft + g.sourceWidth / 2);

        if (g.displayWidth == 0 || g.displayHeight == 0) continue;
        ViewPoint centre{g.displayLeft + g.displayWidth / 2, g.displayTop + g.displayHeight / 2};
        ViewPoint p = PointToImage(g, centre);
        // Where a screen pixel shows at most one image pixel the centre pixel comes back exactly;
        // where it shows several, it is one of the pixels that screen pixel covers.
        const int32_t axes[2][5] = {{p.x, g.centreX, g.sourceLeft, g.sourceWidth, g.displayWidth},
                                    {p.y, g.centreY, g.sourceTop, g.sourceHeight, g.displayHeight}};
        for (const auto& a : axes) {
            int32_t got = a[0], want = a[1], s = a[3], d = a[4];
            if (s <= d) {
                ASSERT_EQ(got, want);
            } else {
                int64_t first = a[2] + static_cast<int64_t>(s) * (d / 2) / d;
                int64_t last = a[2] + (static_cast<int64_t>(s) * (d / 2 + 1) + d - 1) / d - 1;
                ASSERT_GE(got, first);
                ASSERT_LE(got, last);
                ASSERT_GE(want, first);
                ASSERT_LE(want, last);
            }
        }
        ViewPoint anywhere = PointToImage(g, ViewPoint{rng.Range(-3000, 3000), rng.Range(-3000, 3000)});
        ASSERT_GE(anywhere.x, 0);
        ASSERT_LT(anywhere.x, iw);
        ASSERT_GE(anywhere.y, 0);
        ASSERT_LT(anywhere.y, ih);
    }
}

TEST(ViewGeometryPropertyTest, PaneBarsAndFittedWindowsHoldForAnySizes) {
    Lcg rng{777};
    ViewSettings s;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    for (int i = 0; i < 3000; ++i) {
        int32_t iw = rng.Size(20000), ih = rng.Size(20000);
        ViewGeometry g = Geometry(iw, ih, 1, 1, rng.Zoom());
        ViewSize pane{rng.Range(0, 2000), rng.Range(0, 1400)};
        SCOPED_TRACE(testing::Message() << "case " << i << ": image " << iw << "x" << ih << " pane " << pane.width
                                        << "x" << pane.height << " zoom " << g.zoom);
        PaneScrollBars bars = DecidePaneScrollBars(&g, true, pane, 17, 17);
        ASSERT_LE(g.clientWidth, pane.width);
        ASSERT_LE(g.clientHeight, pane.height);
        if (!bars.horizontal.shown) {
            ASSERT_GE(g.clientWidth, g.scaledWidth);
        } else {
            ASSERT_LE(bars.horizontal.position + bars.horizontal.page, iw);
        }
        if (!bars.vertical.shown) {
            ASSERT_GE(g.clientHeight, g.scaledHeight);
        }
        for (int k = 0; k < 4; ++k) {
            ApplyScrollBarAction(&g, rng.Next() % 2, static_cast<int32_t>(rng.Next() % 9), rng.Range(-50, iw + 50));
            ASSERT_GE(g.sourceLeft, 0);
            ASSERT_LE(g.sourceLeft + g.sourceWidth, iw);
            ASSERT_GE(g.sourceTop, 0);
            ASSERT_LE(g.sourceTop + g.sourceHeight, ih);
        }

        s.CapBar = rng.Next() % 2;
        m.clientCentre = ViewPoint{rng.Range(-500, 2500), rng.Range(-500, 1500)};
        ViewSize client;
        ViewRect w = FitWindowRect(g, s, m, &client);
        ASSERT_GE(w.left, m.workArea.left);
        ASSERT_GE(w.top, m.workArea.top);
        ASSERT_LE(w.right, m.workArea.right);
        ASSERT_LE(w.bottom, m.workArea.bottom);
        WindowFrame f = FittedWindowFrame(s, m);
        ASSERT_EQ(client.width, w.Width() - f.Width());
        ASSERT_LE(client.width, std::max(g.scaledWidth, MinimumContentSize(s, m)));
    }
}

} // namespace
} // namespace qv
