// The freehand outline and the brush: the row-by-row outline classing against the procedure it
// stands for (outline pixels inside, every other four-connected area classed by one seed pixel),
// on holes, self-crossings and corners on and beyond the image edge; the point limit; brush discs,
// strokes and the stroke's start rule.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mask_picture.h"
#include "tools/selection_outline.h"

namespace qv {
namespace {

// Even-odd by a ray to the right from the pixel centre, counted the textbook way.
bool SeedInPolygon(const std::vector<ImagePoint>& p, int32_t sx, int32_t sy) {
    bool in = false;
    for (size_t i = 0, j = p.size() - 1; i < p.size(); j = i++) {
        int64_t xi = p[i].x, yi = p[i].y, xj = p[j].x, yj = p[j].y;
        if ((yi > sy) == (yj > sy)) continue;
        // sx < xi + (sy - yi)(xj - xi) / (yj - yi), multiplied out with the sign of (yj - yi)
        int64_t lhs = (sx - xi) * (yj - yi), rhs = (sy - yi) * (xj - xi);
        if (yj - yi > 0 ? lhs < rhs : lhs > rhs) in = !in;
    }
    return in;
}

// The procedure itself, over the whole image: outline pixels, then a flood fill of each area.
std::vector<uint8_t> ReferenceOutline(int32_t w, int32_t h, const std::vector<ImagePoint>& p) {
    enum : uint8_t { kFree = 0, kOutline = 1, kIn = 2, kOut = 3 };
    std::vector<uint8_t> state(static_cast<size_t>(w) * h, kFree); // top-down here
    for (size_t i = 0; i < p.size(); ++i)
        WalkLine(p[i], p[(i + 1) % p.size()], LineClip{0, 0, w - 1, h - 1}, [&](int32_t x, int32_t y) {
            if (x >= 0 && y >= 0 && x < w && y < h) state[static_cast<size_t>(y) * w + x] = kOutline;
        });
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            if (state[static_cast<size_t>(y) * w + x] != kFree) continue;
            uint8_t cls = SeedInPolygon(p, x, y) ? kIn : kOut;
            std::vector<ImagePoint> stack{{x, y}};
            state[static_cast<size_t>(y) * w + x] = cls;
            while (!stack.empty()) {
                ImagePoint q = stack.back();
                stack.pop_back();
                const ImagePoint next[4] = {{q.x - 1, q.y}, {q.x + 1, q.y}, {q.x, q.y - 1}, {q.x, q.y + 1}};
                for (ImagePoint n : next)
                    if (n.x >= 0 && n.y >= 0 && n.x < w && n.y < h &&
                        state[static_cast<size_t>(n.y) * w + n.x] == kFree) {
                        state[static_cast<size_t>(n.y) * w + n.x] = cls;
                        stack.push_back(n);
                    }
            }
        }
    std::vector<uint8_t> inside(state.size());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t s = state[static_cast<size_t>(y) * w + x];
            inside[static_cast<size_t>(h - 1 - y) * w + x] = s == kOutline || s == kIn;
        }
    return inside;
}

std::vector<uint8_t> Outline(int32_t w, int32_t h, const std::vector<ImagePoint>& p) {
    std::vector<uint8_t> inside(static_cast<size_t>(w) * h, 5);
    FillOutlineShape(inside.data(), w, h, p.data(), p.size());
    return inside;
}

TEST(SelectionOutlineTest, LineWalkRoundsHalfUpAndSkipsWhatTheClipExcludes) {
    std::vector<ImagePoint> seen;
    auto record = [&](int32_t x, int32_t y) { seen.push_back({x, y}); };
    WalkLine({0, 0}, {4, 2}, LineClip{0, 0, 99, 99}, record);
    const ImagePoint want[] = {{0, 0}, {1, 1}, {2, 1}, {3, 2}, {4, 2}};
    ASSERT_EQ(seen.size(), 5u);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(seen[i].x == want[i].x && seen[i].y == want[i].y) << i;
    seen.clear();
    WalkLine({-1000000, 3}, {1000000, 3}, LineClip{0, 0, 9, 9}, record);
    EXPECT_EQ(seen.size(), 10u);
    seen.clear();
    WalkLine({7, 7}, {7, 7}, LineClip{0, 0, 9, 9}, record);
    EXPECT_EQ(seen.size(), 1u);
}

TEST(SelectionOutlineTest, HolesSelfCrossingsAndEdgeCornersMatchTheFloodFillProcedure) {
    const int32_t w = 30, h = 30;
    // A square ring: the outline runs round, in along a bridge, round the hole and back out.
    std::vector<ImagePoint> ring = {{2, 2},   {27, 2},  {27, 27}, {2, 27}, {2, 14},  {10, 14},
                                    {10, 20}, {20, 20}, {20, 8},  {10, 8}, {10, 14}, {2, 14}};
    std::vector<uint8_t> got = Outline(w, h, ring);
    EXPECT_EQ(got, ReferenceOutline(w, h, ring));
    EXPECT_TRUE(qvtest::MaskAt(got, w, h, 5, 5));
    EXPECT_TRUE(qvtest::MaskAt(got, w, h, 24, 24));
    EXPECT_TRUE(qvtest::MaskAt(got, w, h, 10, 14));  // on the outline
    EXPECT_FALSE(qvtest::MaskAt(got, w, h, 15, 15)); // the hole
    EXPECT_FALSE(qvtest::MaskAt(got, w, h, 0, 0));

    // A star drawn in one stroke: its middle is enclosed twice and stays out.
    std::vector<ImagePoint> star = {{15, 2}, {23, 27}, {2, 11}, {28, 11}, {7, 27}};
    got = Outline(w, h, star);
    EXPECT_EQ(got, ReferenceOutline(w, h, star));
    EXPECT_FALSE(qvtest::MaskAt(got, w, h, 15, 16));
    EXPECT_TRUE(qvtest::MaskAt(got, w, h, 15, 6)); // the top point

    // A bow tie: two triangles meeting where the outline crosses itself.
    std::vector<ImagePoint> bow = {{2, 2}, {20, 20}, {20, 2}, {2, 20}};
    got = Outline(w, h, bow);
    EXPECT_EQ(got, ReferenceOutline(w, h, bow));
    EXPECT_TRUE(qvtest::MaskAt(got, w, h, 4, 11));
    EXPECT_TRUE(qvtest::MaskAt(got, w, h, 18, 11));
    EXPECT_FALSE(qvtest::MaskAt(got, w, h, 11, 4));

    // Corners on the image's edge, and beyond it (the mouse left the view while drawing).
    std::vector<ImagePoint> border = {{0, 0}, {29, 0}, {29, 29}, {0, 29}};
    EXPECT_EQ(Outline(w, h, border), std::vector<uint8_t>(w * h, 1));
    std::vector<ImagePoint> beyond = {{-40, 5}, {12, -7}, {1000000, 18}, {14, 29}, {-3, 40}};
    EXPECT_EQ(Outline(w, h, beyond), ReferenceOutline(w, h, beyond));
    std::vector<ImagePoint> around = {{-5, -5}, {40, -5}, {40, 40}, {-5, 40}}; // outline off the image
    EXPECT_EQ(Outline(w, h, around), std::vector<uint8_t>(w * h, 1));

    // The extremes a captured mouse could report stay exact arithmetic (the sanitizer build checks).
    std::vector<ImagePoint> extreme = {{INT32_MIN, INT32_MIN}, {INT32_MAX, 3}, {7, INT32_MAX}};
    std::vector<ImagePoint> held;
    for (ImagePoint q : extreme)
        held.push_back(HoldFarPoint(q));
    EXPECT_EQ(Outline(w, h, extreme), ReferenceOutline(w, h, held));
    std::vector<uint8_t> plane(w * h);
    FillEllipseShape(plane.data(), w, h, {INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX});
    EXPECT_EQ(plane, std::vector<uint8_t>(w * h, 1));
    StampBrushLine(plane.data(), w, h, MakeBrushDisc(128), {INT32_MIN, 0}, {INT32_MAX, INT32_MAX}, 0);

    // One point, and a there-and-back line: just the outline's pixels.
    EXPECT_EQ(qvtest::MaskPicture(Outline(4, 2, {{1, 1}}), 4, 2), "....\n.#..\n");
    EXPECT_EQ(qvtest::MaskPicture(Outline(4, 2, {{0, 0}, {3, 0}}), 4, 2), "####\n....\n");
}

TEST(SelectionOutlineTest, RandomOutlinesMatchTheFloodFillProcedure) {
    uint32_t seed = 12345;
    auto next = [&](int32_t n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int32_t>((seed >> 8) % static_cast<uint32_t>(n));
    };
    const int32_t w = 41, h = 29;
    for (int round = 0; round < 300; ++round) {
        std::vector<ImagePoint> p(static_cast<size_t>(3 + next(25)));
        for (ImagePoint& q : p)
            q = {next(w + 10) - 5, next(h + 10) - 5};
        ASSERT_EQ(Outline(w, h, p), ReferenceOutline(w, h, p)) << "round " << round;
    }
}

TEST(SelectionOutlineTest, OutlineClosesItselfAt39999Points) {
    FreehandOutline outline;
    BeginOutline(&outline, {0, 0});
    EXPECT_FALSE(AddOutlinePoint(&outline, {0, 0})); // a repeat records nothing
    EXPECT_EQ(outline.points.size(), 1u);
    bool full = false;
    int32_t i = 1;
    for (; !full; ++i)
        full = AddOutlinePoint(&outline, {i % 500, i / 500});
    EXPECT_EQ(outline.points.size(), 39999u);
    EXPECT_EQ(i, 39999);
    EXPECT_TRUE(AddOutlinePoint(&outline, {7, 7}));
    EXPECT_EQ(outline.points.size(), 39999u);
}

TEST(SelectionOutlineTest, BrushDiscsAndStrokes) {
    const int32_t w = 5, h = 5;
    std::vector<uint8_t> mask(w * h);
    auto stampOnce = [&](int32_t diameter) {
        std::fill(mask.begin(), mask.end(), 0);
        StampBrushLine(mask.data(), w, h, MakeBrushDisc(diameter), {2, 2}, {2, 2}, 255);
        return qvtest::MaskPicture(mask, w, h);
    };
    EXPECT_EQ(stampOnce(3), ".....\n.###.\n.###.\n.###.\n.....\n");
    EXPECT_EQ(stampOnce(1), stampOnce(3));                          // the smallest brush is 3
    EXPECT_EQ(stampOnce(4), ".##..\n####.\n####.\n.##..\n.....\n"); // centred on pixel (2, 2)'s top-left corner
    EXPECT_EQ(stampOnce(5), ".###.\n#####\n#####\n#####\n.###.\n");

    // A stroke from beyond the left edge to beyond the right: three full rows, the value written.
    std::vector<uint8_t> wide(10 * 4, 9);
    StampBrushLine(wide.data(), 10, 4, MakeBrushDisc(3), {-3, 1}, {12, 1}, 0);
    EXPECT_EQ(std::vector<uint8_t>(wide.begin() + 10, wide.end()), std::vector<uint8_t>(30, 0));
    EXPECT_EQ(std::vector<uint8_t>(wide.begin(), wide.begin() + 10), std::vector<uint8_t>(10, 9));
    StampBrushLine(wide.data(), 10, 4, MakeBrushDisc(128), {-1000000, -70}, {1000000, -66}, 1);
    EXPECT_EQ(std::vector<uint8_t>(wide.begin(), wide.begin() + 10), std::vector<uint8_t>(10, 9)); // out of reach
}

TEST(SelectionOutlineTest, StrokeStartResetsTheMaskAsTheCombineTableSays) {
    const struct {
        int32_t mode;
        bool exists;
        uint8_t reset; // what the whole mask holds before the stroke (7: kept)
        uint8_t paint;
    } kRules[] = {
        {kSelectNew, false, 255, 0}, {kSelectAdd, false, 255, 0}, {kSelectRemove, false, 0, 255},
        {kSelectNew, true, 255, 0},  {kSelectAdd, true, 7, 0},    {kSelectRemove, true, 7, 255},
    };
    for (const auto& rule : kRules) {
        uint8_t mask[4] = {7, 7, 7, 7};
        EXPECT_EQ(BeginBrushStroke(mask, 4, rule.mode, rule.exists), rule.paint) << rule.mode << rule.exists;
        EXPECT_EQ(mask[3], rule.reset) << rule.mode << rule.exists;
    }
}

} // namespace
} // namespace qv
