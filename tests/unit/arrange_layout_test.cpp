#include <gtest/gtest.h>

#include "viewer/arrange_layout.h"

namespace qv {
namespace {

const ViewRect kWork{0, 0, 1920, 1040};

TEST(GridColumnsTest, SmallestCountOfAtLeastTwoThatHoldsTheRows) {
    // c >= ceil(n / c), never fewer than two columns
    EXPECT_EQ(GridColumns(1), 2);
    EXPECT_EQ(GridColumns(2), 2);
    EXPECT_EQ(GridColumns(3), 2);
    EXPECT_EQ(GridColumns(4), 2);
    EXPECT_EQ(GridColumns(5), 3); // ceil(5/2) = 3 > 2
    EXPECT_EQ(GridColumns(9), 3);
    EXPECT_EQ(GridColumns(10), 4);
    EXPECT_EQ(GridColumns(16), 4);
    EXPECT_EQ(GridColumns(17), 5);
    for (int32_t n = 1; n <= 100; ++n) {
        int32_t c = GridColumns(n);
        int32_t rows = (n + c - 1) / c;
        EXPECT_GE(c, rows) << n;
        if (c > 2) {
            EXPECT_LT(c - 1, (n + c - 2) / (c - 1)) << "not the smallest for " << n;
        }
    }
}

TEST(ArrangeCellsTest, ThreeWindowsMakeATwoByTwoGridFilledRowByRow) {
    std::vector<ViewRect> cells = ArrangeCells(Arrangement::Grid, 3, kWork);
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0], (ViewRect{0, 0, 960, 520}));
    EXPECT_EQ(cells[1], (ViewRect{960, 0, 1920, 520}));
    EXPECT_EQ(cells[2], (ViewRect{0, 520, 960, 1040})); // the arranging instance: bottom left
}

TEST(ArrangeCellsTest, CellsStartAtTheWorkAreaAndDropTheRemainder) {
    const ViewRect work{100, 30, 100 + 1001, 30 + 700};
    std::vector<ViewRect> grid = ArrangeCells(Arrangement::Grid, 5, work); // 3 x 2
    ASSERT_EQ(grid.size(), 5u);
    EXPECT_EQ(grid[0], (ViewRect{100, 30, 433, 380}));
    EXPECT_EQ(grid[2], (ViewRect{766, 30, 1099, 380}));
    EXPECT_EQ(grid[3], (ViewRect{100, 380, 433, 730}));
    EXPECT_EQ(grid[4], (ViewRect{433, 380, 766, 730}));

    std::vector<ViewRect> side = ArrangeCells(Arrangement::SideBySide, 3, work);
    ASSERT_EQ(side.size(), 3u);
    EXPECT_EQ(side[0], (ViewRect{100, 30, 433, 730}));
    EXPECT_EQ(side[2], (ViewRect{766, 30, 1099, 730}));

    std::vector<ViewRect> stacked = ArrangeCells(Arrangement::Stacked, 4, work);
    ASSERT_EQ(stacked.size(), 4u);
    EXPECT_EQ(stacked[1], (ViewRect{100, 205, 1101, 380}));
    EXPECT_EQ(stacked[3], (ViewRect{100, 555, 1101, 730}));

    EXPECT_TRUE(ArrangeCells(Arrangement::Grid, 0, work).empty());
}

TEST(CentreInCellTest, CentresWhereSmallerAndKeepsTheEdgeWhereNot) {
    const ViewRect cell{960, 0, 1920, 520};
    EXPECT_EQ(CentreInCell(ViewSize{400, 300}, cell), (ViewRect{1240, 110, 1640, 410}));
    // too tall: top edge of the cell, still centred across
    EXPECT_EQ(CentreInCell(ViewSize{400, 800}, cell), (ViewRect{1240, 0, 1640, 800}));
    EXPECT_EQ(CentreInCell(ViewSize{960, 520}, cell), cell);
}

TEST(CentreOnWorkAreaTest, CentresTheWindowAndKeepsTheClientInside) {
    // a 416 x 339 window around a 400 x 300 client (frame 8 left, 31 top)
    ViewPoint p = CentreOnWorkArea(ViewSize{416, 339}, ViewSize{400, 300}, 8, 31, kWork);
    EXPECT_EQ(p, (ViewPoint{752, 350}));
    // larger than the work area: the client's corner stays at the work area's corner
    p = CentreOnWorkArea(ViewSize{2500, 1500}, ViewSize{2484, 1461}, 8, 31, kWork);
    EXPECT_EQ(p, (ViewPoint{-8, -31}));
    // a work area that does not start at 0
    p = CentreOnWorkArea(ViewSize{200, 100}, ViewSize{200, 100}, 0, 0, ViewRect{-1280, 40, 0, 1024});
    EXPECT_EQ(p, (ViewPoint{-740, 482}));
}

TEST(ClampIntoWorkAreaTest, StoredPlacementsOffTheWorkAreaComeBack) {
    // inside: unchanged
    EXPECT_EQ(ClampIntoWorkArea(100, 50, 820, 600, kWork), (ViewRect{100, 50, 920, 650}));
    // past the right and bottom edges: moved back so that the window ends there
    EXPECT_EQ(ClampIntoWorkArea(5000, 3000, 820, 600, kWork), (ViewRect{1100, 440, 1920, 1040}));
    // left of and above the work area (a monitor that is gone): to its corner
    EXPECT_EQ(ClampIntoWorkArea(-3000, -200, 820, 600, kWork), (ViewRect{0, 0, 820, 600}));
    // larger than the work area: cut to it
    EXPECT_EQ(ClampIntoWorkArea(10, 10, 4000, 3000, kWork), kWork);
    // nonsense sizes become at least one pixel
    EXPECT_EQ(ClampIntoWorkArea(0, 0, 0, -5, kWork), (ViewRect{0, 0, 1, 1}));
    // a work area below a taskbar at the top
    EXPECT_EQ(ClampIntoWorkArea(0, 0, 820, 600, ViewRect{0, 40, 1920, 1080}), (ViewRect{0, 40, 820, 640}));
}

} // namespace
} // namespace qv
