// When the hover tool bar and the automatic navigator appear, where the navigator goes, when a
// hidden cursor wakes, the full-screen spacer and the position field.
#include "viewer/hover_layout.h"

#include <gtest/gtest.h>

namespace qv {
namespace {

TEST(ToolBarStripTest, OnlyTheTopStripOfATallEnoughClient) {
    ViewSize client{400, 300};
    EXPECT_TRUE(InToolBarStrip(ViewPoint{0, 0}, client));
    EXPECT_TRUE(InToolBarStrip(ViewPoint{399, 21}, client));
    EXPECT_FALSE(InToolBarStrip(ViewPoint{10, 22}, client));
    EXPECT_FALSE(InToolBarStrip(ViewPoint{400, 5}, client)); // outside on the right
    EXPECT_FALSE(InToolBarStrip(ViewPoint{10, -1}, client));
    EXPECT_FALSE(InToolBarStrip(ViewPoint{10, 5}, ViewSize{400, 48}));
    EXPECT_TRUE(InToolBarStrip(ViewPoint{10, 5}, ViewSize{400, 49}));
}

AutoNavigatorFacts LargeImageFacts() {
    AutoNavigatorFacts f;
    f.enabled = true;
    f.client = ViewSize{800, 600};
    f.scaled = ViewSize{3000, 2000};
    return f;
}

TEST(AutoNavigatorTest, TheRightStripAboveY120ShowsItForALargeImage) {
    AutoNavigatorFacts f = LargeImageFacts();
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{778, 119}), NavigatorChange::Show);
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{777, 50}), NavigatorChange::None); // 23 px from the edge
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 120}), NavigatorChange::None);

    f.enabled = false;
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 50}), NavigatorChange::None);
    f = LargeImageFacts();
    f.scaled = ViewSize{800, 600}; // the whole image is on screen
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 50}), NavigatorChange::None);
    f.scaled = ViewSize{800, 601};
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 50}), NavigatorChange::Show);
    f.client = ViewSize{240, 600}; // the client must be larger than 240 x 240
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{230, 50}), NavigatorChange::None);
    f = LargeImageFacts();
    f.mode = DisplayMode::SubWindow;
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 50}), NavigatorChange::None);
}

TEST(AutoNavigatorTest, LeavingTheRegionHidesItAndFullScreenKeepsOneMoreRow) {
    AutoNavigatorFacts f = LargeImageFacts();
    f.shown = f.shownByStrip = true;
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 100}), NavigatorChange::None);
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 120}), NavigatorChange::Hide);
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{700, 100}), NavigatorChange::Hide);
    f.mode = DisplayMode::FullScreen;
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 120}), NavigatorChange::None);
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{790, 121}), NavigatorChange::Hide);
    // one shown by a drag scroll is not this rule's to take away
    f.shownByStrip = false;
    EXPECT_EQ(AutoNavigatorOnMove(f, ViewPoint{10, 500}), NavigatorChange::None);
}

TEST(NavigatorPositionTest, TopRightOfTheAnchorButInsideTheWorkArea) {
    ViewSize size{166, 126};
    ViewRect work{0, 0, 1280, 984};
    ViewPoint p = NavigatorPosition(ViewRect{100, 50, 900, 650}, work, size, 0);
    EXPECT_EQ(p.x, 900 - 166);
    EXPECT_EQ(p.y, 50);
    p = NavigatorPosition(ViewRect{1000, 50, 1500, 650}, work, size, 0); // reaches past the work area
    EXPECT_EQ(p.x, 1280 - 166);
    p = NavigatorPosition(ViewRect{0, 0, 1280, 1024}, work, size, 24); // full screen, below the tool bar
    EXPECT_EQ(p.y, 24);
}

TEST(CursorWakeTest, MoreThanSixteenPixelsInEitherDirection) {
    ViewPoint at{500, 400};
    EXPECT_FALSE(CursorShouldWake(at, ViewPoint{516, 384}));
    EXPECT_TRUE(CursorShouldWake(at, ViewPoint{517, 400}));
    EXPECT_TRUE(CursorShouldWake(at, ViewPoint{483, 400}));
    EXPECT_TRUE(CursorShouldWake(at, ViewPoint{500, 417}));
    EXPECT_TRUE(CursorShouldWake(at, ViewPoint{500, 383}));
}

TEST(ToolBarFieldsTest, SpacerFillsTheRowAndThePositionCountsFromOne) {
    EXPECT_EQ(FullScreenSpacerWidth(1280, 400, 80), 800);
    EXPECT_EQ(FullScreenSpacerWidth(300, 400, 80), 0);
    EXPECT_EQ(PositionFieldText(2, 12), L"3 / 12");
    EXPECT_EQ(PositionFieldText(0, 1), L"1 / 1");
    EXPECT_EQ(PositionFieldText(0, 0), L"");
    EXPECT_EQ(PositionFieldText(5, 5), L"");
}

} // namespace
} // namespace qv
