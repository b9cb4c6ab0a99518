#include "ui/cursor_win.h"

namespace qv {

namespace {

constexpr int kMaxCountSteps = 64; // a count left far off by someone else is not chased forever

bool g_shown = true;
POINT g_hiddenAt{};

} // namespace

void SetCursorShown(bool shown) {
    if (shown == g_shown) return;
    if (!shown) GetCursorPos(&g_hiddenAt);
    g_shown = shown;
    if (shown) {
        for (int i = 0; i < kMaxCountSteps && ShowCursor(TRUE) < 0; ++i) {
        }
    } else {
        for (int i = 0; i < kMaxCountSteps && ShowCursor(FALSE) >= 0; ++i) {
        }
    }
}

bool CursorShown() {
    return g_shown;
}

POINT CursorHiddenAt() {
    return g_hiddenAt;
}

} // namespace qv
