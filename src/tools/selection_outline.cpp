#include "tools/selection_outline.h"

#include <algorithm>
#include <cstring>

namespace qv {

void BeginOutline(FreehandOutline* outline, ImagePoint start) {
    outline->points.clear();
    outline->points.reserve(1024);
    outline->points.push_back(start);
}

bool AddOutlinePoint(FreehandOutline* outline, ImagePoint p) {
    std::vector<ImagePoint>& pts = outline->points;
    if (pts.size() >= kOutlineClosesAt) return true;
    if (pts.empty() || pts.back().x != p.x || pts.back().y != p.y) pts.push_back(p);
    return pts.size() >= kOutlineClosesAt;
}

namespace {
int64_t FloorDiv(int64_t num, int64_t den) { // den > 0
    int64_t q = num / den;
    return (num % den != 0 && num < 0) ? q - 1 : q;
}

// One polygon edge with its lower-y end first, for the rows it crosses: [low.y, high.y).
struct Edge {
    ImagePoint low, high;
};
} // namespace

void FillOutlineShape(uint8_t* inside, int32_t width, int32_t height, const ImagePoint* points, size_t count) {
    const uint32_t w = static_cast<uint32_t>(width);
    std::memset(inside, 0, static_cast<size_t>(w) * static_cast<uint32_t>(height));
    if (count == 0) return;
    std::vector<ImagePoint> corners(count);
    for (size_t i = 0; i < count; ++i)
        corners[i] = HoldFarPoint(points[i]);

    // Even-odd at pixel centres, row by row over an active edge list. Each crossing is kept as the
    // first pixel column at or right of it: those ceilings sort as the crossings do, and pixel x is
    // in the polygon when an odd number of crossings lie at or left of its centre.
    std::vector<Edge> edges;
    edges.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        ImagePoint a = corners[i], b = corners[(i + 1) % count];
        if (a.y == b.y) continue; // a level edge crosses no row's centre line by the half-open rule
        edges.push_back(a.y < b.y ? Edge{a, b} : Edge{b, a});
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& l, const Edge& r) { return l.low.y < r.low.y; });
    std::vector<const Edge*> active;
    std::vector<int64_t> columns;
    size_t next = 0;
    int32_t firstRow = 0;
    if (!edges.empty()) firstRow = std::max(0, edges.front().low.y);
    for (int32_t y = firstRow; y < height && (next < edges.size() || !active.empty()); ++y) {
        while (next < edges.size() && edges[next].low.y <= y)
            active.push_back(&edges[next++]);
        active.erase(std::remove_if(active.begin(), active.end(), [y](const Edge* e) { return e->high.y <= y; }),
                     active.end());
        columns.clear();
        for (const Edge* e : active) {
            int64_t num = (int64_t{y} - e->low.y) * (int64_t{e->high.x} - e->low.x),
                    den = int64_t{e->high.y} - e->low.y;
            columns.push_back(e->low.x - FloorDiv(-num, den)); // low.x + ceil(num / den)
        }
        std::sort(columns.begin(), columns.end());
        uint8_t* row = inside + static_cast<size_t>(height - 1 - y) * w;
        for (size_t i = 0; i + 1 < columns.size(); i += 2) {
            int64_t from = std::max<int64_t>(columns[i], 0), to = std::min<int64_t>(columns[i + 1] - 1, width - 1);
            if (from <= to) std::memset(row + from, 1, static_cast<size_t>(to - from + 1));
        }
    }

    // the outline itself, closing edge included
    const LineClip image{0, 0, width - 1, height - 1};
    auto mark = [&](int32_t x, int32_t y) {
        if (x >= 0 && y >= 0 && x < width && y < height) inside[static_cast<size_t>(height - 1 - y) * w + x] = 1;
    };
    for (size_t i = 0; i < count; ++i)
        WalkLine(corners[i], corners[(i + 1) % count], image, mark);
}

BrushDisc MakeBrushDisc(int32_t diameter) {
    BrushDisc disc;
    int32_t d = std::clamp(diameter, kAreSizeMin, kAreSizeMax);
    disc.diameter = d;
    // In doubled units a pixel at offset o from the centre pixel sits at 2o (odd diameters) or
    // 2o + 1 (even: the centre is the centre pixel's top-left corner); it is in when the doubled
    // distance is at most d.
    int32_t half = d / 2, shift = d % 2 == 0 ? 1 : 0;
    disc.top = -half;
    for (int32_t o = -half; o <= half - shift; ++o) {
        int32_t ty = 2 * o + shift, reach = 0;
        while (true) {
            int32_t tx = -2 * (reach + 1) + shift;
            if (tx * tx + ty * ty > d * d) break;
            ++reach;
        }
        disc.halfWidth.push_back(reach);
    }
    return disc;
}

uint8_t BeginBrushStroke(uint8_t* mask, size_t count, int32_t mode, bool maskExists) {
    CombineRule rule = CombineRuleFor(mode, maskExists);
    ApplyMaskOp(mask, count, rule.outside);
    return rule.inside == MaskOp::SetProtected ? kMaskProtected : kMaskEditable;
}

void StampBrushLine(uint8_t* mask, int32_t width, int32_t height, const BrushDisc& disc, ImagePoint from, ImagePoint to,
                    uint8_t value) {
    const uint32_t w = static_cast<uint32_t>(width);
    const int32_t reach = disc.diameter / 2 + 1;
    const int32_t rightShift = disc.diameter % 2 == 0 ? 1 : 0;
    // centres further than the disc's reach from the image stamp nothing
    const LineClip near{-reach, -reach, width - 1 + reach, height - 1 + reach};
    auto stamp = [&](int32_t cx, int32_t cy) {
        for (size_t r = 0; r < disc.halfWidth.size(); ++r) {
            int32_t y = cy + disc.top + static_cast<int32_t>(r);
            if (y < 0 || y >= height) continue;
            int64_t left = std::max<int64_t>(int64_t{cx} - disc.halfWidth[r], 0);
            int64_t right = std::min<int64_t>(int64_t{cx} + disc.halfWidth[r] - rightShift, width - 1);
            if (left <= right)
                std::memset(mask + static_cast<size_t>(height - 1 - y) * w + left, value,
                            static_cast<size_t>(right - left + 1));
        }
    };
    WalkLine(HoldFarPoint(from), HoldFarPoint(to), near, stamp);
}

} // namespace qv
