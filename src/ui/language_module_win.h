// The language module: the resource-only library that holds every user-interface text and dialog
// layout. Exactly one is loaded from start-up until the settings are saved; texts are fetched
// from it at the moment of use, never cached. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

constexpr const char kLanguageSignature[8] = {'Q', 'u', 'o', 'r', 'v', 'e', 'l', '\0'};

// Loads the module that `langFile` names (empty: Japanese on a Japanese UI language, else
// English), falling back to English and then Japanese; `langFile` takes the name that loaded.
// A module that loads but lacks the signature is released and the result is null, with no further
// fallback. The current directory must be the executable's folder.
HMODULE LoadLanguageModule(std::wstring* langFile, LANGID uiLanguage);

// True when the loaded module carries the signature (RCDATA 1 beginning with "Quorvel\0").
bool HasLanguageSignature(HMODULE module);
// Loads the library at `path`, checks the signature and releases it.
bool IsLanguageModule(const std::wstring& path);

// The options dialog's language list: the base names of the *.dll files of `folder` that are
// language modules, in the order of enumeration. The one equal to `current` (ASCII case ignored)
// is listed without loading it and its index goes to `selection` (-1 when absent).
std::vector<std::wstring> ListLanguageModules(const std::wstring& folder, const std::wstring& current, int* selection);

// The module every text comes from; the program instance owns the dialogs created from it.
void SetLanguageModule(HMODULE module, HINSTANCE programInstance);
HMODULE CurrentLanguageModule();
// Frees the current module (at the settings save and before a language change).
void ReleaseLanguageModule();

// String n of the current module; empty when it is missing.
std::wstring UiText(uint32_t n);

// The list window is disabled while an error box is open; null when there is none.
void SetErrorBoxListWindow(HWND listWindow);
// The message box for an error number (30001-30013 general, 50001-50024 image file).
void ErrorBox(HWND owner, uint32_t n);

// Dialogs from the module's extended templates; the point size follows `fontHeight` (FHeight).
// Both refuse a template without DS_SETFONT: RunDialog then returns -1, CreateModelessDialog null.
INT_PTR RunDialog(uint32_t templateNumber, HWND owner, DLGPROC procedure, LPARAM parameter, int32_t fontHeight);
HWND CreateModelessDialog(uint32_t templateNumber, HWND parent, DLGPROC procedure, LPARAM parameter,
                          int32_t fontHeight);

} // namespace qv
