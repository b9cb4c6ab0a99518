#include "tools/tool_controls.h"

#include <algorithm>
#include <cstdlib>

namespace qv {

namespace {

int32_t Digits(int64_t value) {
    int32_t n = value < 0 ? 2 : 1; // the sign takes a place
    for (int64_t v = std::llabs(value); v >= 10; v /= 10)
        ++n;
    return n;
}

} // namespace

int32_t LabelDragPixelsPerStep(int32_t lo, int32_t hi) {
    return static_cast<int64_t>(hi) - lo >= 255 ? 1 : 2;
}

int32_t DraggedValue(int32_t atPress, int32_t dx, int32_t pixelsPerStep, int32_t lo, int32_t hi) {
    int64_t steps = dx / std::max(pixelsPerStep, 1);
    return static_cast<int32_t>(std::clamp<int64_t>(atPress + steps, lo, hi));
}

int32_t NumberFieldChars(int32_t lo, int32_t hi) {
    return std::max(Digits(lo), Digits(hi));
}

} // namespace qv
