// Where windows go when several running instances are arranged, centred or restored: cells of a
// work area, a window centred in a cell or on its work area, and a stored placement brought back
// inside the work area. Pure arithmetic; the window layer measures and moves.
#pragma once

#include <cstdint>
#include <vector>

#include "viewer/view_geometry.h"

namespace qv {

enum class Arrangement { Grid, SideBySide, Stacked };

// Columns of the grid for n windows: the smallest c >= 2 with c >= ceil(n / c).
int32_t GridColumns(int32_t n);

// The n cells of the work area, left to right, then row by row. Cell sizes are the work area
// divided by the columns and rows (integer division; the remainder stays unused at the right and
// bottom). Empty for n < 1.
std::vector<ViewRect> ArrangeCells(Arrangement kind, int32_t n, const ViewRect& work);

// A window of the given size centred in the cell along each axis where it is smaller than the
// cell, and at the cell's left or top edge where it is not.
ViewRect CentreInCell(ViewSize window, const ViewRect& cell);

// The window position that centres it on the work area, with its client (at `frameLeft`,
// `frameTop` inside the window, `client` large) kept within the work area's right and bottom
// edges and not left of or above its left and top edges. Only the position changes.
ViewPoint CentreOnWorkArea(ViewSize window, ViewSize client, int32_t frameLeft, int32_t frameTop, const ViewRect& work);

// A stored placement (x, y, width, height) made to fit the work area: the size at most the work
// area's, at least 1; a position left of or above the work area moves to its edge, one past the
// right or bottom edge moves back so that the window ends there.
ViewRect ClampIntoWorkArea(int32_t x, int32_t y, int32_t width, int32_t height, const ViewRect& work);

} // namespace qv
