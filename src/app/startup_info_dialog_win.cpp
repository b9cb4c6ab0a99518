#include "app/startup_info_dialog_win.h"

#include <algorithm>

#include "app/language_module.h"
#include "app/ui_strings.h"

namespace qv {

namespace {

// Centres `dialog` on `owner` (or on its monitor when there is no visible owner), kept inside the
// monitor's work area.
void CentreOnOwner(HWND dialog, HWND owner) {
    RECT box;
    GetWindowRect(dialog, &box);
    HMONITOR monitor = MonitorFromWindow(owner && IsWindowVisible(owner) ? owner : dialog, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{sizeof info};
    if (!GetMonitorInfoW(monitor, &info)) return;
    RECT area = info.rcWork;
    RECT around = area;
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    LONG width = box.right - box.left;
    LONG height = box.bottom - box.top;
    LONG x = around.left + (around.right - around.left - width) / 2;
    LONG y = around.top + (around.bottom - around.top - height) / 2;
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK StartupInfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        const bool* mouseInfo = reinterpret_cast<const bool*>(lParam);
        CheckDlgButton(dialog, kCtlStartupInfoDontShow, *mouseInfo ? BST_UNCHECKED : BST_CHECKED);
        CentreOnOwner(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            bool* mouseInfo = reinterpret_cast<bool*>(GetWindowLongPtrW(dialog, DWLP_USER));
            *mouseInfo = IsDlgButtonChecked(dialog, kCtlStartupInfoDontShow) != BST_CHECKED;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

bool RunStartupInfoDialog(HWND owner, int32_t fontHeight, bool* mouseInfo) {
    return RunDialog(kDlgStartupInfo, owner, StartupInfoProc, reinterpret_cast<LPARAM>(mouseInfo), fontHeight) > 0;
}

} // namespace qv
