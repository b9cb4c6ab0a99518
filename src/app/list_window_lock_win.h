// While a modal dialog of the program is open the list window must not change the current image
// under it: the list window is disabled for the dialog's lifetime. Windows only.
#pragma once

#include <windows.h>

#include "viewer/view_window_win.h"

namespace qv {

struct ListWindowDisabled {
    ListWindowDisabled() {
        if (ListWindowHandle() && IsWindowVisible(ListWindowHandle())) {
            window = ListWindowHandle();
            EnableWindow(window, FALSE);
        }
    }
    ~ListWindowDisabled() {
        if (window) EnableWindow(window, TRUE);
    }
    ListWindowDisabled(const ListWindowDisabled&) = delete;
    ListWindowDisabled& operator=(const ListWindowDisabled&) = delete;
    HWND window = nullptr;
};

} // namespace qv
