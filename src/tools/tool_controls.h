// The arithmetic of a tool's parameter controls that needs no window: how far a drag on a
// number's label moves it, and how many characters its edit box takes. Portable.
#pragma once

#include <cstdint>

namespace qv {

// Pixels of horizontal drag per step: one for a range as wide as 0-255, two for narrower ones
// (0-100, 3-128).
int32_t LabelDragPixelsPerStep(int32_t lo, int32_t hi);

// The value after a drag of `dx` pixels (negative: to the left) from the press, where it was
// `atPress`; whole steps only, clamped to lo..hi.
int32_t DraggedValue(int32_t atPress, int32_t dx, int32_t pixelsPerStep, int32_t lo, int32_t hi);

// The characters an edit box accepts: 3 for the 0-100 and 0-255 ranges, otherwise the widest
// number of the range with its sign.
int32_t NumberFieldChars(int32_t lo, int32_t hi);

} // namespace qv
