// The language modules the build ships, for tests that check their texts and dialogs.
#pragma once

#include <windows.h>

#include <string>

namespace qvtest {

// English.dll or Japanese.dll (name without extension) in the product's bin folder.
std::wstring ShippedModule(const wchar_t* name);

// A dialog procedure that only accepts WM_INITDIALOG, for building a template and looking at it.
INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM);

} // namespace qvtest
