// When the viewer hides and shows the cursor: full screen hides it after a step and shows it again
// once the pointer has moved far enough.
#include <windows.h>

#include "ui/cursor_win.h"
#include "viewer/hover_layout.h"
#include "viewer/hover_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kListBoxId = 1030;

bool PointerOnListBox() {
    HWND list = ListWindowHandle();
    if (!list || !IsWindowVisible(list)) return false;
    POINT p;
    if (!GetCursorPos(&p)) return false;
    HWND under = WindowFromPoint(p);
    return under && under == GetDlgItem(list, kListBoxId);
}

} // namespace

void CursorOnMove(POINT screen) {
    if (CursorShown()) return;
    POINT hiddenAt = CursorHiddenAt();
    if (CursorShouldWake(ViewPoint{hiddenAt.x, hiddenAt.y}, ViewPoint{screen.x, screen.y})) SetCursorShown(true);
}

void HideCursorAfterStep() {
    if (ToolBarHostShown() || PointerOnListBox()) return;
    SetCursorShown(false);
}

} // namespace qv
