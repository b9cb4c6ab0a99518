// The viewer's portable code carries its own copies of a few Win32 numbers so that it builds
// natively; the window layer passes the real ones straight through, so they must agree.
#include <windows.h>

#include <gtest/gtest.h>

#include "viewer/view_input.h"
#include "viewer/view_paint.h"

namespace qv {
namespace {

static_assert(kScrollLineUp == SB_LINEUP && kScrollLineDown == SB_LINEDOWN && kScrollPageUp == SB_PAGEUP &&
              kScrollPageDown == SB_PAGEDOWN && kScrollThumbPosition == SB_THUMBPOSITION &&
              kScrollThumbTrack == SB_THUMBTRACK && kScrollTop == SB_TOP && kScrollBottom == SB_BOTTOM &&
              kScrollEnd == SB_ENDSCROLL);
static_assert(kSizeLeft == WMSZ_LEFT && kSizeRight == WMSZ_RIGHT && kSizeTop == WMSZ_TOP &&
              kSizeTopLeft == WMSZ_TOPLEFT && kSizeTopRight == WMSZ_TOPRIGHT && kSizeBottom == WMSZ_BOTTOM &&
              kSizeBottomLeft == WMSZ_BOTTOMLEFT && kSizeBottomRight == WMSZ_BOTTOMRIGHT);
static_assert(kMouseKeyControl == MK_CONTROL);
static_assert(kStretchColorOnColor == COLORONCOLOR && kStretchHalftone == HALFTONE);
static_assert(kStockWhiteBrush == WHITE_BRUSH && kStockLightGreyBrush == LTGRAY_BRUSH &&
              kStockGreyBrush == GRAY_BRUSH && kStockDarkGreyBrush == DKGRAY_BRUSH && kStockBlackBrush == BLACK_BRUSH);
static_assert(kBandPenColour == RGB(128, 128, 128));

TEST(ViewWin32ValuesTest, BackgroundColoursAreThoseTheStockBrushesPaint) {
    for (int32_t bg = 0; bg <= 4; ++bg) {
        LOGBRUSH brush = {};
        HGDIOBJ object = GetStockObject(BackgroundStockBrush(bg, 2));
        ASSERT_NE(object, nullptr);
        ASSERT_EQ(GetObjectW(object, sizeof(brush), &brush), static_cast<int>(sizeof(brush)));
        EXPECT_EQ(brush.lbColor, BackgroundColour(bg, 2)) << bg;
    }
}

} // namespace
} // namespace qv
