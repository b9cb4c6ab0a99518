#include "ui/language_module_win.h"

#include <cstring>
#include <memory>

#include "model/ui_strings.h"
#include "ui/cursor_win.h"
#include "ui/dialog_template.h"

namespace qv {

namespace {

constexpr LANGID kJapaneseUiLanguage = 0x0411;
constexpr wchar_t kEnglishModule[] = L"English";
constexpr wchar_t kJapaneseModule[] = L"Japanese";
constexpr WORD kSignatureResource = 1;

HMODULE g_module = nullptr;
HINSTANCE g_instance = nullptr;
HWND g_listWindow = nullptr;

struct LibraryDeleter {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryDeleter>;

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

// The bytes of a resource of the current module, or false when it is not there.
bool FindModuleResource(HMODULE module, uint32_t number, LPCWSTR type, const uint8_t** data, size_t* size) {
    if (!module) return false;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(number), type);
    if (!info) return false;
    HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return false;
    *data = static_cast<const uint8_t*>(bytes);
    *size = SizeofResource(module, info);
    return true;
}

// The module's template with the point size set for the UI font; false when it is missing or is
// not an extended template with DS_SETFONT (a plain one would ignore the program's font).
bool DialogCopy(uint32_t templateNumber, int32_t fontHeight, std::vector<uint8_t>* copy) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindModuleResource(g_module, templateNumber, RT_DIALOG, &data, &size)) return false;
    return CopyDialogTemplate(data, size, fontHeight, copy);
}

// Dialog controls use the program's window classes (color_box and others), so the dialog must
// belong to the program, not to the resource-only library.
HINSTANCE DialogInstance() {
    return g_instance ? g_instance : GetModuleHandleW(nullptr);
}

} // namespace

HMODULE LoadLanguageModule(std::wstring* langFile, LANGID uiLanguage) {
    if (langFile->empty()) *langFile = uiLanguage == kJapaneseUiLanguage ? kJapaneseModule : kEnglishModule;
    Library module(LoadLibraryW(langFile->c_str()));
    for (const wchar_t* fallback : {kEnglishModule, kJapaneseModule}) {
        if (module) break;
        module.reset(LoadLibraryW(fallback));
        if (module) *langFile = fallback;
    }
    // A library that loads but is not ours ends the search: the user named it (or it stands in
    // for a shipped name), and quietly picking another would hide that.
    if (!module || !HasLanguageSignature(module.get())) return nullptr;
    return module.release();
}

bool HasLanguageSignature(HMODULE module) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!FindModuleResource(module, kSignatureResource, RT_RCDATA, &data, &size)) return false;
    return size >= sizeof kLanguageSignature && std::memcmp(data, kLanguageSignature, sizeof kLanguageSignature) == 0;
}

bool IsLanguageModule(const std::wstring& path) {
    // Only the resources are looked at: loading as data runs no start-up code of whatever other
    // library (an archive reader, a plug-in) shares the folder.
    Library module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    return module && HasLanguageSignature(module.get());
}

std::vector<std::wstring> ListLanguageModules(const std::wstring& folder, const std::wstring& current, int* selection) {
    *selection = -1;
    std::vector<std::wstring> names;
    std::wstring prefix = folder;
    if (!prefix.empty() && prefix.back() != L'\\' && prefix.back() != L'/') prefix += L'\\';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((prefix + L"*.dll").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::wstring file = found.cFileName;
        size_t dot = file.rfind(L'.');
        // The pattern also matches longer extensions through 8.3 names; only real .dll files count.
        if (dot == std::wstring::npos || !EqualIgnoringAsciiCase(file.substr(dot), L".dll")) continue;
        std::wstring name = file.substr(0, dot);
        if (EqualIgnoringAsciiCase(name, current)) {
            // The loaded module is in use and known to be good.
            *selection = static_cast<int>(names.size());
            names.push_back(name);
        } else if (IsLanguageModule(prefix + file)) {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

void SetLanguageModule(HMODULE module, HINSTANCE programInstance) {
    g_module = module;
    g_instance = programInstance;
}

HMODULE CurrentLanguageModule() {
    return g_module;
}

void ReleaseLanguageModule() {
    if (g_module) FreeLibrary(g_module);
    g_module = nullptr;
}

std::wstring UiText(uint32_t n) {
    // Without a module LoadStringW would read the executable's own strings.
    if (!g_module) return {};
    const wchar_t* text = nullptr;
    int length = LoadStringW(g_module, n, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return {};
    return std::wstring(text, static_cast<size_t>(length));
}

void SetErrorBoxListWindow(HWND listWindow) {
    g_listWindow = listWindow;
}

void ErrorBox(HWND owner, uint32_t n) {
    // A list window left enabled would let the user open another image under the box. One that
    // is already disabled (by a dialog the box belongs to) stays so afterwards.
    HWND list = g_listWindow && IsWindow(g_listWindow) ? g_listWindow : nullptr;
    bool wasDisabled = list && EnableWindow(list, FALSE);
    // Full screen and the slideshow hide the cursor; the box needs it. Shown through the one
    // keeper of the cursor's state, or its next hide would be taken for a no-op; the count is
    // then raised in case someone else lowered it.
    SetCursorShown(true);
    while (ShowCursor(TRUE) < 0) {
    }
    std::wstring caption;
    std::wstring message;
    ComposeErrorBox(n, UiText, &caption, &message);
    MessageBoxW(owner, message.c_str(), caption.c_str(), MB_SETFOREGROUND | MB_ICONERROR);
    if (list && !wasDisabled) EnableWindow(list, TRUE);
}

INT_PTR RunDialog(uint32_t templateNumber, HWND owner, DLGPROC procedure, LPARAM parameter, int32_t fontHeight) {
    std::vector<uint8_t> copy;
    if (!DialogCopy(templateNumber, fontHeight, &copy)) return -1;
    return DialogBoxIndirectParamW(DialogInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), owner, procedure,
                                   parameter);
}

HWND CreateModelessDialog(uint32_t templateNumber, HWND parent, DLGPROC procedure, LPARAM parameter,
                          int32_t fontHeight) {
    std::vector<uint8_t> copy;
    if (!DialogCopy(templateNumber, fontHeight, &copy)) return nullptr;
    // The template is read only while the dialog is created; the copy can go right after.
    return CreateDialogIndirectParamW(DialogInstance(), reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), parent,
                                      procedure, parameter);
}

} // namespace qv
