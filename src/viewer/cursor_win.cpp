// Hiding and showing the cursor. ShowCursor keeps a count per thread; everything here goes through
// SetCursorShown, so the count is 0 while shown and -1 while hidden, whoever asked how often.
#include <windows.h>

#include "app/app_state_win.h"
#include "viewer/hover_layout.h"
#include "viewer/hover_win.h"

namespace qv {

namespace {

constexpr int kListBoxId = 1030;
constexpr int kMaxCountSteps = 64; // a count left far off by someone else is not chased forever

bool g_shown = true;
POINT g_hiddenAt{};

bool PointerOnListBox() {
    if (!g_app.listWindow || !IsWindowVisible(g_app.listWindow)) return false;
    POINT p;
    if (!GetCursorPos(&p)) return false;
    HWND under = WindowFromPoint(p);
    return under && under == GetDlgItem(g_app.listWindow, kListBoxId);
}

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

void CursorOnMove(POINT screen) {
    if (g_shown) return;
    if (CursorShouldWake(ViewPoint{g_hiddenAt.x, g_hiddenAt.y}, ViewPoint{screen.x, screen.y})) SetCursorShown(true);
}

void HideCursorAfterStep() {
    if (ToolBarHostShown() || PointerOnListBox()) return;
    SetCursorShown(false);
}

} // namespace qv
