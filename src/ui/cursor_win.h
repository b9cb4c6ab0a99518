// The one place that shows and hides the cursor. ShowCursor keeps a count per thread; everything
// goes through SetCursorShown, so the count is 0 while shown and -1 while hidden, whoever asked
// how often. Windows only.
#pragma once

#include <windows.h>

namespace qv {

void SetCursorShown(bool shown);
bool CursorShown();
// Where the pointer stood when the cursor was hidden last.
POINT CursorHiddenAt();

} // namespace qv
