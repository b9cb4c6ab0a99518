// Trim (command 5120): the rectangle's arithmetic, the darkened preview and the copy on Apply.
// No worker: the window recomputes the preview on the GUI thread (TrimPreviewBand over a 24-bit
// display copy) whenever the rectangle changes. Mouse: a press, then TrimDragBegins on each move
// until the drag starts, then TrimRectFromCorners for the first rectangle; later presses
// HitTestTrimRect and DragTrimRect move or resize it. The edit boxes use TrimFieldValue,
// TrimFieldRange and EditTrimRect. Apply (when TrimChangesImage) commits TrimPixels with label
// 5120; an 8-bit image stays 8-bit with its palette. A null block is message 30003.
//
// Rectangles are in image pixels, top-down (row 0 is the top of the picture), bounds inclusive.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"
#include "tools/kernel_job.h"
#include "tools/size_presets.h"

namespace qv {

constexpr int32_t kTrimDragThreshold = 16; // |dx| + |dy| in screen pixels before a drag starts
constexpr int32_t kTrimHitTolerance = 4;   // screen pixels around an edge that still grab it

struct TrimRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// A side ratio from the presets; free when either side is 0.
struct TrimRatio {
    int32_t width = 0, height = 0;
    bool Active() const { return width > 0 && height > 0; }
    bool Portrait() const { return width < height; }
};

// The ratio of `TrmRSel` (0 free, 1-8 a slot); free for a slot that is no ratio or out of range.
TrimRatio TrimRatioForSlot(const SizePreset presets[kPresetSlots], int32_t selected);

bool TrimDragBegins(int32_t pressX, int32_t pressY, int32_t x, int32_t y);

// A screen position converted to image pixels is clamped into the picture before it is used.
void ClampToImage(int32_t width, int32_t height, int32_t* x, int32_t* y);

// The rectangle from the first corner (x0, y0) to the mouse (x1, y1), both inside the image.
// Free: the two corners. With a ratio: s = |x1 - x0| + |y1 - y0| + 2 split into width and height
// by the ratio (the shorter side rounded, half away from zero), laid from the first corner toward
// the mouse. False, with `*rect` untouched, when that rectangle would leave the image: the window
// ignores that mouse move.
bool TrimRectFromCorners(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const TrimRatio& ratio, int32_t width,
                         int32_t height, TrimRect* rect);

// What a press on the view grabs. With a ratio only the corner handles resize (an edge alone
// would break the ratio), so edges then count as the inside.
enum class TrimHit { None, Move, Left, Top, Right, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

// `screen` is the rectangle as drawn: the screen positions of its left, top, right and bottom
// edges. A point within kTrimHitTolerance of one edge grabs that edge, of two edges their corner;
// a point inside grabs the whole rectangle.
TrimHit HitTestTrimRect(const TrimRect& screen, int32_t x, int32_t y, bool ratio);

// The rectangle after dragging what `hit` grabbed by (dx, dy) image pixels from where it was at
// the press. Moving keeps the size and stops at the image's edges; resizing stops at the image's
// edges and keeps at least one pixel; a corner with a ratio keeps the ratio from the opposite
// corner. False, with `*rect` untouched, when the move is ignored.
bool DragTrimRect(const TrimRect& atPress, TrimHit hit, int32_t dx, int32_t dy, const TrimRatio& ratio, int32_t width,
                  int32_t height, TrimRect* rect);

// The edit boxes once a rectangle exists.
enum class TrimField { Left, Top, Right, Bottom, Width, Height };
int32_t TrimFieldValue(const TrimRect& r, TrimField field);
// The up-down range of a field: the edges within the image, the sides 1 ... the image's side.
void TrimFieldRange(TrimField field, int32_t width, int32_t height, int32_t* low, int32_t* high);
// A typed value, clamped to its range. An edge moves alone and pushes the opposite edge along when
// they would cross; a side keeps the left or top edge and stops at the image's edge.
TrimRect EditTrimRect(const TrimRect& r, TrimField field, int64_t value, int32_t width, int32_t height);

bool TrimRectInside(const TrimRect& r, int32_t width, int32_t height);
// Apply does something only for a rectangle inside the image that is not the whole image.
bool TrimChangesImage(const TrimRect& r, int32_t width, int32_t height);

// Preview band over a 24-bit display copy of the image: pixels outside `params` (a TrimRect)
// have every channel halved, inside they are copied.
void TrimPreviewBand(const KernelJob& job, const void* params);

// A new block of the rectangle's size at the image's own depth (an 8-bit image keeps its palette
// indices), or null when the rectangle is not inside the image or memory is short.
uint8_t* TrimPixels(const ImageBuffer& image, const TrimRect& r);

} // namespace qv
