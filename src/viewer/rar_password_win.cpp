#include "viewer/rar_password_win.h"

#include <windows.h>

#include "model/settings.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"

namespace qv {

namespace {

constexpr int kPasswordEdit = 4401;
constexpr int kLongestPassword = 260;

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        auto* password = reinterpret_cast<std::wstring*>(lParam);
        HWND edit = GetDlgItem(dialog, kPasswordEdit);
        SendMessageW(edit, EM_LIMITTEXT, kLongestPassword, 0);
        if (!password->empty()) SetWindowTextW(edit, password->c_str());
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* password = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER));
            wchar_t text[kLongestPassword + 1] = {};
            GetDlgItemTextW(dialog, kPasswordEdit, text, kLongestPassword + 1);
            *password = text;
            EndDialog(dialog, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 2);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

bool AskRarPassword(std::wstring* password) {
    // owned by the desktop: the archive may be read before any window of ours is shown
    return RunDialog(kDlgRarPassword, nullptr, PasswordProc, reinterpret_cast<LPARAM>(password), g_settings.FHeight) ==
           1;
}

} // namespace qv
