#include <gtest/gtest.h>

#include "view_test_fixtures.h"
#include "viewer/view_commands.h"
#include "viewer/view_input.h"

namespace qv {
namespace {

using test::DesktopMetrics;
using test::Geometry;

// A view of `imageW` x `imageH` loaded into a client of `clientW` x `clientH`.
ViewState Loaded(int32_t imageW, int32_t imageH, int32_t clientW, int32_t clientH, const ViewSettings& s,
                 const SurfaceMetrics& m) {
    ViewState v;
    SetViewClient(&v.geometry, clientW, clientH);
    ViewFitOnLoad(&v, imageW, imageH, s, m);
    return v;
}

ViewSettings NoFitWin() {
    ViewSettings s;
    s.FitWin = false;
    return s;
}

TEST(ViewFitOnLoadTest, ViewWindowAppliesTheShrinkRuleAtTheAreaEdge) {
    ViewSettings s = NoFitWin();
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(800, 600, 800, 600, s, m); // as large as the client: fitted, still 1.0
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1.0);
    v = Loaded(801, 600, 800, 600, s, m); // one pixel wider: shrunk
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 800.0 / 801.0);
    EXPECT_EQ(v.geometry.displayWidth, 800);
    v = Loaded(200, 100, 800, 600, s, m); // small stays at 100 % without NVLarge
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1.0);
    EXPECT_EQ(v.geometry.centreX, 100);
    s.NVLarge = true;
    v = Loaded(200, 100, 800, 600, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 4.0);
}

TEST(ViewFitOnLoadTest, AMaximisedFittedWindowStaysAndTypedZoomsRelayout) {
    ViewSettings s; // FitWin on
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(400, 300, 400, 300, s, m);
    EXPECT_TRUE(ViewRunCommand(&v, kCmdZoomIn, s, m).Has(kViewMoveWindow));
    m.maximised = true; // the fitted window must not be moved out of its maximised place
    EXPECT_FALSE(ViewRunCommand(&v, kCmdZoomOut, s, m).Has(kViewMoveWindow));
    EXPECT_FALSE(ViewFitOnLoad(&v, 400, 300, s, m).Has(kViewMoveWindow));

    SurfaceMetrics pane = DesktopMetrics(DisplayMode::SubWindow);
    v = Loaded(400, 300, 600, 400, s, pane);
    ViewResponse r = ViewSetZoom(&v, 99.0, s, pane);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, kMaxZoom);
    // the zoomed image needs both bars of the pane, as a zoom command would give
    EXPECT_TRUE(r.Has(kViewSetScrollBars) && r.Has(kViewZoomChanged));
    EXPECT_TRUE(r.bars.horizontal.shown && r.bars.vertical.shown);
}

TEST(ViewFitOnLoadTest, ZoomPersistsOnlyWithTheSurfacesOwnSetting) {
    ViewSettings s = NoFitWin();
    s.VSmall = false;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(100, 100, 800, 600, s, m);
    v.geometry.zoom = 3.0;
    ViewFitOnLoad(&v, 100, 100, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1.0);
    s.NMZoom = true;
    v.geometry.zoom = 3.0;
    ViewFitOnLoad(&v, 100, 100, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 3.0);
    EXPECT_EQ(v.geometry.scaledWidth, 300);

    // full screen reads FLZoom and fits into the monitor with FSDown
    SurfaceMetrics fs = DesktopMetrics(DisplayMode::FullScreen);
    v.geometry.zoom = 3.0;
    ViewFitOnLoad(&v, 100, 100, s, fs);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1.0);
    ViewFitOnLoad(&v, 3840, 1080, s, fs);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 0.5);
    EXPECT_TRUE(v.geometry.largeImage);
}

TEST(ViewFitOnLoadTest, FittedViewWindowGetsItsRectangleAroundTheOldCentre) {
    ViewSettings s;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v;
    SetViewClient(&v.geometry, 400, 300);
    ViewResponse r = ViewFitOnLoad(&v, 3000, 1000, s, m);
    ASSERT_TRUE(r.Has(kViewMoveWindow));
    // work area less the caption frame: 1904 x 1001
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1904.0 / 3000.0);
    EXPECT_EQ(r.window.left, 0);
    EXPECT_EQ(r.window.Width(), 1920);
    EXPECT_EQ(v.geometry.clientWidth, 1904);
    EXPECT_EQ(v.geometry.displayLeft, 0);
    EXPECT_TRUE(r.Has(kViewRepaint));
}

TEST(ViewFitOnLoadTest, SubWindowDecidesBarsFromThePane) {
    ViewSettings s;
    s.SWSmall = false;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::SubWindow);
    ViewState v;
    ViewResponse r = ViewFitOnLoad(&v, 1000, 300, s, m);
    ASSERT_TRUE(r.Has(kViewSetScrollBars));
    EXPECT_TRUE(r.bars.horizontal.shown);
    EXPECT_FALSE(r.bars.vertical.shown);
    EXPECT_EQ(v.geometry.clientHeight, 383);
    EXPECT_FALSE(v.geometry.largeImage); // the SubWindow needs both directions larger
    // scrolling keeps the bars that were decided and sends their new position
    r = ViewScrollBar(&v, false, kScrollLineDown, 0);
    ASSERT_TRUE(r.Has(kViewSetScrollBars));
    EXPECT_EQ(r.bars.horizontal.position, v.geometry.sourceLeft);
    EXPECT_FALSE(r.bars.vertical.shown);
    s.SWSmall = true;
    r = ViewFitOnLoad(&v, 1000, 300, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 0.6);
    EXPECT_FALSE(r.bars.horizontal.shown);
}

TEST(ViewCommandTest, FitUsesTheSurfacesAreaAndScrollKeysActOnlyWhereNeeded) {
    ViewSettings s = NoFitWin();
    s.VSmall = false;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(2000, 500, 800, 600, s, m);
    EXPECT_TRUE(v.geometry.largeImage); // wider than the screen
    v.geometry.largeImage = false;
    ViewResponse r = ViewRunCommand(&v, kCmdScrollUp, s, m); // taller client: nothing to scroll
    EXPECT_EQ(r.actions, 0u);
    int32_t left = v.geometry.sourceLeft;
    r = ViewRunCommand(&v, kCmdScrollRight, s, m);
    EXPECT_TRUE(r.Has(kViewRepaint));
    EXPECT_EQ(v.geometry.sourceLeft, left + 16);
    v.geometry.largeImage = true;
    ViewRunCommand(&v, kCmdScrollLeft, s, m);
    EXPECT_EQ(v.geometry.sourceLeft, left - 16);

    r = ViewRunCommand(&v, kCmdZoomFit, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 0.4);
    EXPECT_FALSE(r.Has(kViewMoveWindow));
    SurfaceMetrics fs = DesktopMetrics(DisplayMode::FullScreen);
    ViewRunCommand(&v, kCmdZoomFit, s, fs);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 0.96);
    EXPECT_EQ(ViewRunCommand(&v, 5250, s, m).actions, 0u);
}

TEST(ViewCommandTest, FittedViewWindowFollowsEveryZoomChange) {
    ViewSettings s;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(400, 300, 400, 300, s, m);
    ViewResponse r = ViewRunCommand(&v, kCmdZoomIn, s, m);
    ASSERT_TRUE(r.Has(kViewMoveWindow));
    EXPECT_EQ(r.window.Width(), 816);
    EXPECT_EQ(r.window.Height(), 639);
    EXPECT_EQ(v.geometry.clientWidth, 800);
    EXPECT_TRUE(r.Has(kViewZoomChanged));
}

TEST(ViewSizingTest, CornerDragRefitsOnTheFollowingSize) {
    ViewSettings s;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(400, 300, 400, 300, s, m);
    ViewRect r = ViewSizing(&v, kSizeBottomRight, ViewRect{100, 100, 716, 539}, s, m);
    EXPECT_EQ(r.Width() - 16, 571);
    EXPECT_EQ(r.Height() - 39, 429);
    ViewResponse sized = ViewClientSized(&v, 571, 429, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 571.0 / 400.0);
    EXPECT_TRUE(sized.Has(kViewMoveWindow));
    // the move that follows only lays out
    sized = ViewClientSized(&v, 571, 428, s, m);
    EXPECT_FALSE(sized.Has(kViewMoveWindow));
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 571.0 / 400.0);
    // an edge drag only lays out too
    ViewSizing(&v, kSizeRight, ViewRect{100, 100, 500, 539}, s, m);
    sized = ViewClientSized(&v, 384, 428, s, m);
    EXPECT_FALSE(sized.Has(kViewMoveWindow));
    EXPECT_EQ(v.geometry.sourceWidth, RoundHalfUp(384 / v.geometry.zoom));
}

TEST(ViewMiddleButtonTest, FitsAtOneHundredPercentAndOtherwiseReturnsCentredOnTheClick) {
    ViewSettings s = NoFitWin();
    s.VSmall = false;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(1600, 1200, 800, 600, s, m);
    ViewMiddleDown(&v, ViewPoint{10, 10}, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 0.5);
    // at 50 % the point 100, 100 of the client shows image pixel 201, 201
    ViewMiddleDown(&v, ViewPoint{100, 100}, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1.0);
    EXPECT_EQ(v.geometry.sourceLeft, 0); // centre 200 clamped into the image
    EXPECT_EQ(v.geometry.centreX, 400);
    v.geometry.zoom = 2.0;
    ScaleView(&v.geometry);
    LayoutView(&v.geometry);
    ViewPoint clicked = PointToImage(v.geometry, ViewPoint{500, 400});
    ViewMiddleDown(&v, ViewPoint{500, 400}, s, m);
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1.0);
    EXPECT_EQ(v.geometry.centreX, clicked.x);
    EXPECT_EQ(v.geometry.centreY, clicked.y);
}

TEST(ViewWheelTest, CtrlAndTheWheelSettingSwapZoomAndNavigation) {
    ViewSettings s = NoFitWin();
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(400, 300, 800, 600, s, m);
    ViewInput in;
    const int32_t towards = -120, away = 120;
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, m).command, kCmdZoomStepIn);
    EXPECT_EQ(ViewWheel(&v, away, 0, in, s, m).command, kCmdZoomStepOut);
    EXPECT_EQ(ViewWheel(&v, towards, kMouseKeyControl, in, s, m).command, kCmdNextImage);
    EXPECT_EQ(ViewWheel(&v, away, kMouseKeyControl, in, s, m).command, kCmdPreviousImage);
    // Ctrl together with another key is not Ctrl
    EXPECT_EQ(ViewWheel(&v, towards, kMouseKeyControl | 0x0004, in, s, m).command, kCmdZoomStepIn);
    s.WheelRev = true;
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, m).command, kCmdZoomStepOut);
    s.Wheel = true;
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, m).command, kCmdNextImage);
    EXPECT_EQ(ViewWheel(&v, away, kMouseKeyControl, in, s, m).command, kCmdZoomStepIn);
    // each surface reads its own setting
    SurfaceMetrics fs = DesktopMetrics(DisplayMode::FullScreen);
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, fs).command, kCmdZoomStepOut);
    s.FSWheel = true;
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, fs).command, kCmdNextImage);
    in.slideshowRunning = true;
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, fs).actions, 0u);
    SurfaceMetrics sw = DesktopMetrics(DisplayMode::SubWindow);
    in.toolOpen = true; // the slideshow does not concern the SubWindow
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, sw).command, kCmdZoomStepOut);
    EXPECT_EQ(ViewWheel(&v, towards, kMouseKeyControl, in, s, sw).actions, 0u); // navigation waits
    in.toolOpen = false;
    EXPECT_EQ(ViewWheel(&v, towards, kMouseKeyControl, in, s, sw).command, kCmdNextImage);
    s.SWWheel = true;
    EXPECT_EQ(ViewWheel(&v, towards, 0, in, s, sw).command, kCmdNextImage);

    ViewState empty;
    EXPECT_EQ(ViewWheel(&empty, towards, 0, ViewInput{}, s, m).actions, 0u);
}

TEST(ViewAreaZoomTest, BandFollowsThePointerAndSmallBandsDoNotZoom) {
    ViewSettings s = NoFitWin();
    s.VSmall = false;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(400, 300, 800, 600, s, m); // drawn at 200, 150
    ViewInput ctrl;
    ctrl.ctrl = true;
    EXPECT_EQ(ViewLeftDown(&v, ViewPoint{10, 10}, ctrl, s, m).actions, 0u); // beside the image
    ASSERT_TRUE(ViewLeftDown(&v, ViewPoint{250, 200}, ctrl, s, m).Has(kViewCaptureMouse));
    ViewResponse r = ViewMouseMove(&v, ViewPoint{258, 400}, s, m);
    ASSERT_TRUE(r.Has(kViewDrawBand));
    EXPECT_FALSE(r.Has(kViewEraseBand));
    EXPECT_EQ(r.band.right, 258);
    r = ViewMouseMove(&v, ViewPoint{900, 900}, s, m); // clamped into the drawn image
    ASSERT_TRUE(r.Has(kViewEraseBand));
    EXPECT_EQ(r.erasedBand.right, 258);
    EXPECT_EQ(r.band.right, 599);
    EXPECT_EQ(r.band.bottom, 449);
    EXPECT_TRUE(ViewMouseBusy(v));
    EXPECT_EQ(ViewRunCommand(&v, kCmdZoomIn, s, m).actions, 0u); // commands wait for the drag
    r = ViewLeftUp(&v, ViewPoint{258, 400}, s, m);               // 8 x 200: no zoom
    EXPECT_TRUE(r.Has(kViewEraseBand));
    EXPECT_FALSE(r.Has(kViewRepaint));
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 1.0);
    EXPECT_FALSE(ViewMouseBusy(v));

    ViewLeftDown(&v, ViewPoint{250, 200}, ctrl, s, m);
    r = ViewLeftUp(&v, ViewPoint{349, 249}, s, m); // image 50,50 .. 149,99
    ASSERT_TRUE(r.Has(kViewRepaint));
    EXPECT_FALSE(r.Has(kViewEraseBand));    // never drawn
    EXPECT_DOUBLE_EQ(v.geometry.zoom, 8.0); // 100 x 50 into 800 x 600
    EXPECT_EQ(v.geometry.centreX, 99);      // midpoints of the corner pixels
    EXPECT_EQ(v.geometry.centreY, 74);
    EXPECT_EQ(v.geometry.sourceLeft, 49);
    EXPECT_EQ(v.geometry.sourceWidth, 100);
}

TEST(ViewAreaZoomTest, WhoMayStartIt) {
    ViewSettings s = NoFitWin();
    ViewInput plain, ctrl, hidden;
    ctrl.ctrl = true;
    hidden.cursorHidden = true;
    ViewPoint inside{400, 300};
    for (DisplayMode surface : {DisplayMode::ViewWindow, DisplayMode::FullScreen, DisplayMode::SubWindow}) {
        SurfaceMetrics m = DesktopMetrics(surface);
        ViewState v = Loaded(400, 300, 800, 600, s, m);
        ViewLeftDown(&v, inside, ctrl, s, m);
        EXPECT_EQ(v.mouse, MouseMode::AreaZoom);
        ViewCancelMouse(&v);
        ViewLeftDown(&v, inside, plain, s, m);
        EXPECT_EQ(v.mouse, surface == DisplayMode::ViewWindow ? MouseMode::LeftPressed : MouseMode::AreaZoom);
        ViewCancelMouse(&v);
    }
    s.FSAreaZm = false;
    s.SWAreaZm = false;
    SurfaceMetrics fs = DesktopMetrics(DisplayMode::FullScreen);
    ViewState v = Loaded(400, 300, 800, 600, s, fs);
    EXPECT_TRUE(ViewLeftDown(&v, inside, plain, s, fs).actions == 0u);
    ViewResponse r = ViewLeftDown(&v, inside, hidden, s, fs); // only shows the cursor
    EXPECT_EQ(r.actions, static_cast<uint32_t>(kViewShowCursor));
    EXPECT_EQ(v.mouse, MouseMode::Idle);
    SurfaceMetrics sw = DesktopMetrics(DisplayMode::SubWindow);
    v = Loaded(400, 300, 800, 600, s, sw);
    ViewLeftDown(&v, inside, plain, s, sw);
    EXPECT_EQ(v.mouse, MouseMode::Idle);
}

TEST(ViewLeftDragTest, PlainDragMovesTheViewWindowBeyondTheThreshold) {
    ViewSettings s = NoFitWin();
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(400, 300, 800, 600, s, m);
    ViewLeftDown(&v, ViewPoint{100, 100}, ViewInput{}, s, m);
    EXPECT_EQ(ViewMouseMove(&v, ViewPoint{104, 104}, s, m).actions, 0u); // 8 is not more than 8
    ViewResponse r = ViewMouseMove(&v, ViewPoint{105, 104}, s, m);
    EXPECT_TRUE(r.Has(kViewStartWindowMove));
    EXPECT_EQ(v.mouse, MouseMode::Idle);
}

TEST(ViewDragScrollTest, ImageFollowsThePointerWithNavigatorAndFastStretch) {
    ViewSettings s = NoFitWin();
    s.VSmall = false;
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(1600, 1000, 800, 600, s, m);
    int32_t left = v.geometry.sourceLeft, top = v.geometry.sourceTop;
    ViewRightDown(&v, ViewPoint{400, 300}, ViewInput{});
    EXPECT_EQ(ViewMouseMove(&v, ViewPoint{404, 304}, s, m).actions, 0u);
    ViewResponse r = ViewMouseMove(&v, ViewPoint{410, 300}, s, m);
    EXPECT_TRUE(r.Has(kViewFastStretch));
    EXPECT_TRUE(r.Has(kViewShowNavigator));
    EXPECT_TRUE(r.Has(kViewRepaint));
    EXPECT_EQ(v.geometry.sourceLeft, left - 10);
    r = ViewMouseMove(&v, ViewPoint{400, 320}, s, m);
    EXPECT_EQ(v.geometry.sourceLeft, left);
    EXPECT_EQ(v.geometry.sourceTop, top - 20);
    EXPECT_TRUE(r.Has(kViewUpdateNavigator));
    EXPECT_EQ(ViewWheel(&v, 120, 0, ViewInput{}, s, m).actions, 0u);
    r = ViewRightUp(&v, ViewPoint{400, 320});
    EXPECT_FALSE(r.Has(kViewContextMenu));
    EXPECT_TRUE(r.Has(kViewRestoreStretch));
    EXPECT_TRUE(r.Has(kViewHideNavigator));

    v.geometry.largeImage = true; // twice the pointer's movement
    left = v.geometry.sourceLeft;
    ViewRightDown(&v, ViewPoint{400, 300}, ViewInput{});
    ViewMouseMove(&v, ViewPoint{390, 300}, s, m);
    EXPECT_EQ(v.geometry.sourceLeft, left + 20);
    ViewRightUp(&v, ViewPoint{390, 300});

    s.SthMode = 3; // already fast; small client: no navigator
    v = Loaded(1600, 1200, 240, 600, s, m);
    ViewRightDown(&v, ViewPoint{100, 100}, ViewInput{});
    r = ViewMouseMove(&v, ViewPoint{120, 100}, s, m);
    EXPECT_FALSE(r.Has(kViewFastStretch));
    EXPECT_FALSE(r.Has(kViewShowNavigator));
    r = ViewRightUp(&v, ViewPoint{120, 100});
    EXPECT_FALSE(r.Has(kViewRestoreStretch));
    EXPECT_FALSE(r.Has(kViewHideNavigator));
}

TEST(ViewDragScrollTest, WholeImageVisibleShowsNoEntryAndAPlainClickOpensTheMenu) {
    ViewSettings s = NoFitWin();
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewState v = Loaded(400, 300, 800, 600, s, m);
    ViewRightDown(&v, ViewPoint{100, 100}, ViewInput{});
    ViewResponse r = ViewMouseMove(&v, ViewPoint{200, 100}, s, m);
    EXPECT_TRUE(r.Has(kViewNoEntryCursor));
    EXPECT_FALSE(r.Has(kViewRepaint));
    r = ViewRightUp(&v, ViewPoint{200, 100});
    EXPECT_TRUE(r.Has(kViewRestoreCursor));
    EXPECT_FALSE(r.Has(kViewContextMenu));

    ViewRightDown(&v, ViewPoint{100, 100}, ViewInput{});
    ViewMouseMove(&v, ViewPoint{103, 103}, s, m);
    r = ViewRightUp(&v, ViewPoint{103, 103});
    EXPECT_TRUE(r.Has(kViewContextMenu));
    EXPECT_EQ(r.point.x, 103);

    ViewState empty; // no image: the menu still opens, a drag shows no-entry
    ViewRightDown(&empty, ViewPoint{0, 0}, ViewInput{});
    EXPECT_TRUE(ViewMouseMove(&empty, ViewPoint{50, 0}, s, m).Has(kViewNoEntryCursor));
}

// A chord click runs the LRClick command when its second button comes up, whichever button came
// first, and takes over from what the first began: no context menu, no band zoom, no move.
TEST(ViewChordTest, TheSecondButtonsReleaseRunsTheChordCommandAndNothingElse) {
    ViewSettings s = NoFitWin();
    SurfaceMetrics m = DesktopMetrics(DisplayMode::ViewWindow);
    ViewInput chord;
    chord.otherButtonHeld = true;
    chord.chordCommand = kCmdMinimise;
    ViewState v = Loaded(400, 300, 800, 600, s, m);
    ViewRightDown(&v, ViewPoint{100, 100}, ViewInput{});
    ViewResponse r = ViewLeftDown(&v, ViewPoint{100, 100}, chord, s, m);
    EXPECT_TRUE(r.Has(kViewCaptureMouse));
    EXPECT_FALSE(r.Has(kViewReleaseMouse)) << "the capture is released only at the end";
    EXPECT_TRUE(ViewMouseBusy(v));
    r = ViewRightUp(&v, ViewPoint{100, 100}); // the first button: nothing yet
    EXPECT_FALSE(r.Has(kViewContextMenu));
    EXPECT_FALSE(r.Has(kViewRunCommand));
    r = ViewLeftUp(&v, ViewPoint{100, 100}, s, m);
    EXPECT_TRUE(r.Has(kViewRunCommand));
    EXPECT_EQ(r.command, kCmdMinimise);
    EXPECT_TRUE(r.Has(kViewReleaseMouse));
    EXPECT_EQ(v.mouse, MouseMode::Idle);

    // left first (a rubber band in full screen), then right: the band is erased, nothing zooms
    SurfaceMetrics fs = DesktopMetrics(DisplayMode::FullScreen);
    v = Loaded(400, 300, 1920, 1080, s, fs);
    ViewInput ctrl;
    ctrl.ctrl = true;
    ViewPoint inside{v.geometry.displayLeft + 10, v.geometry.displayTop + 10};
    ViewLeftDown(&v, inside, ctrl, s, fs);
    ASSERT_EQ(v.mouse, MouseMode::AreaZoom);
    ViewMouseMove(&v, ViewPoint{inside.x + 100, inside.y + 100}, s, fs);
    r = ViewRightDown(&v, ViewPoint{inside.x + 100, inside.y + 100}, chord);
    EXPECT_TRUE(r.Has(kViewEraseBand));
    double zoom = v.geometry.zoom;
    EXPECT_FALSE(ViewLeftUp(&v, inside, s, fs).Has(kViewRunCommand));
    EXPECT_EQ(v.geometry.zoom, zoom);
    EXPECT_EQ(ViewRightUp(&v, inside).command, kCmdMinimise);
}

// Random event sequences on every surface: the geometry stays valid and each XOR band drawn is
// erased exactly once, with the same rectangle, before the band mode ends.
TEST(ViewInputPropertyTest, RandomEventsKeepTheViewValidAndEveryBandIsErasedOnce) {
    uint64_t state = 2024;
    auto next = [&state] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 33);
    };
    const int32_t kCommands[17] = {
        kCmdZoomFit,         kCmdZoomActual, kCmdZoomIn,      kCmdZoomOut,  kCmdZoom1000,   kCmdZoom400,
        kCmdZoom200,         kCmdZoom50,     kCmdZoom25,      kCmdZoom10,   kCmdZoomStepIn, kCmdZoomStepOut,
        kCmdZoomFitOrActual, kCmdScrollLeft, kCmdScrollRight, kCmdScrollUp, kCmdScrollDown};
    ViewSettings s;
    for (int run = 0; run < 400; ++run) {
        s.FitWin = next() % 2;
        SurfaceMetrics m = DesktopMetrics(static_cast<DisplayMode>(next() % 3));
        ViewState v = Loaded(1 + next() % 4000, 1 + next() % 4000, next() % 1200, next() % 900, s, m);
        bool bandOnScreen = false;
        ViewRect onScreen;
        for (int e = 0; e < 80; ++e) {
            ViewPoint p{static_cast<int32_t>(next() % 1400) - 100, static_cast<int32_t>(next() % 1100) - 100};
            ViewInput in;
            in.ctrl = next() % 2;
            in.otherButtonHeld = next() % 5 == 0; // now and then a chord
            in.chordCommand = kCmdFullScreen;
            ViewResponse r;
            switch (next() % 9) {
            case 0: r = ViewLeftDown(&v, p, in, s, m); break;
            case 1:
            case 2: r = ViewMouseMove(&v, p, s, m); break;
            case 3: r = ViewLeftUp(&v, p, s, m); break;
            case 4: r = ViewRightDown(&v, p, in); break;
            case 5: r = ViewRightUp(&v, p); break;
            case 6:
                r = ViewWheel(&v, next() % 2 ? 120 : -120, in.ctrl ? kMouseKeyControl : 0, in, s, m);
                if (r.Has(kViewRunCommand) && IsViewCommand(r.command)) r = ViewRunCommand(&v, r.command, s, m);
                break;
            case 7: r = ViewMiddleDown(&v, p, s, m); break;
            default: r = next() % 4 ? ViewRunCommand(&v, kCommands[next() % 17], s, m) : ViewCancelMouse(&v); break;
            }
            if (r.Has(kViewEraseBand)) {
                ASSERT_TRUE(bandOnScreen);
                ASSERT_EQ(r.erasedBand, onScreen);
                bandOnScreen = false;
            }
            if (r.Has(kViewDrawBand)) {
                ASSERT_FALSE(bandOnScreen);
                bandOnScreen = true;
                onScreen = r.band;
                ASSERT_TRUE(PointOnImage(v.geometry, ViewPoint{r.band.left, r.band.top}));
                ASSERT_TRUE(PointOnImage(v.geometry, ViewPoint{r.band.right, r.band.bottom}));
            }
            if (v.mouse != MouseMode::AreaZoom) {
                ASSERT_FALSE(bandOnScreen);
            }
            const ViewGeometry& g = v.geometry;
            ASSERT_GE(g.zoom, kMinZoom);
            ASSERT_LE(g.zoom, kMaxZoom);
            ASSERT_GE(g.sourceLeft, 0);
            ASSERT_LE(g.sourceLeft + g.sourceWidth, g.imageWidth);
            ASSERT_GE(g.sourceTop, 0);
            ASSERT_LE(g.sourceTop + g.sourceHeight, g.imageHeight);
            ASSERT_LE(g.displayLeft + g.displayWidth, g.clientWidth);
            ASSERT_LE(g.displayTop + g.displayHeight, g.clientHeight);
        }
    }
}

} // namespace
} // namespace qv
