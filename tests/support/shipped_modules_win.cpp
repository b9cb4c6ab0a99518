#include "shipped_modules_win.h"

#include "e2e_support_win.h"

namespace qvtest {

std::wstring ShippedModule(const wchar_t* name) {
    return ProductBinDir() + L"\\" + name + L".dll";
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

} // namespace qvtest
