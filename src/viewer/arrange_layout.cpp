#include "viewer/arrange_layout.h"

#include <algorithm>

namespace qv {

namespace {

int32_t CeilDiv(int32_t a, int32_t b) {
    return (a + b - 1) / b;
}

} // namespace

int32_t GridColumns(int32_t n) {
    int32_t c = 2;
    while (c < CeilDiv(n, c))
        ++c;
    return c;
}

std::vector<ViewRect> ArrangeCells(Arrangement kind, int32_t n, const ViewRect& work) {
    std::vector<ViewRect> cells;
    if (n < 1) return cells;
    int32_t columns = 1, rows = 1;
    switch (kind) {
    case Arrangement::Grid:
        columns = GridColumns(n);
        rows = CeilDiv(n, columns);
        break;
    case Arrangement::SideBySide: columns = n; break;
    case Arrangement::Stacked: rows = n; break;
    }
    int32_t w = work.Width() / columns, h = work.Height() / rows;
    cells.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        int32_t x = work.left + (i % columns) * w, y = work.top + (i / columns) * h;
        cells.push_back(ViewRect{x, y, x + w, y + h});
    }
    return cells;
}

ViewRect CentreInCell(ViewSize window, const ViewRect& cell) {
    int32_t x = window.width < cell.Width() ? cell.left + (cell.Width() - window.width) / 2 : cell.left;
    int32_t y = window.height < cell.Height() ? cell.top + (cell.Height() - window.height) / 2 : cell.top;
    return ViewRect{x, y, x + window.width, y + window.height};
}

ViewPoint CentreOnWorkArea(ViewSize window, ViewSize client, int32_t frameLeft, int32_t frameTop,
                           const ViewRect& work) {
    // computed for the client's corner, so that a frame wider than the work area's margin never
    // pushes the client off it
    int32_t x = work.left + (work.Width() - window.width) / 2 + frameLeft;
    int32_t y = work.top + (work.Height() - window.height) / 2 + frameTop;
    x = std::max(std::min(x, work.right - client.width), work.left);
    y = std::max(std::min(y, work.bottom - client.height), work.top);
    return ViewPoint{x - frameLeft, y - frameTop};
}

ViewRect ClampIntoWorkArea(int32_t x, int32_t y, int32_t width, int32_t height, const ViewRect& work) {
    int32_t w = std::max(1, std::min(width, work.Width()));
    int32_t h = std::max(1, std::min(height, work.Height()));
    x = x >= work.left ? std::min(x, work.right - w) : work.left;
    y = y >= work.top ? std::min(y, work.bottom - h) : work.top;
    return ViewRect{x, y, x + w, y + h};
}

} // namespace qv
