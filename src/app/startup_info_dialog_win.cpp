#include "app/startup_info_dialog_win.h"

#include <algorithm>

#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/window_layout_win.h"

namespace qv {

namespace {

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
