#include "app/shell_integration_win.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/paths.h"
#include "platform/platform.h"

namespace qv {

namespace {

HKEY OpenUserKey(const std::wstring& key, REGSAM access, bool create) {
    HKEY handle = nullptr;
    LONG r = create ? RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, access, nullptr, &handle, nullptr)
                    : RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, access, &handle);
    return r == ERROR_SUCCESS ? handle : nullptr;
}

bool ReadValue(void*, const std::wstring& key, const wchar_t* value, std::wstring* data) {
    HKEY k = OpenUserKey(key, KEY_QUERY_VALUE, false);
    if (!k) return false;
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof buffer - sizeof(wchar_t), type = 0;
    LONG r = RegQueryValueExW(k, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    *data = buffer;
    return true;
}

bool WriteValue(void*, const std::wstring& key, const wchar_t* value, const std::wstring& data) {
    HKEY k = OpenUserKey(key, KEY_QUERY_VALUE | KEY_SET_VALUE, true);
    if (!k) return false;
    LONG r = RegSetValueExW(k, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

bool RemoveValue(void*, const std::wstring& key, const wchar_t* value) {
    HKEY k = OpenUserKey(key, KEY_QUERY_VALUE | KEY_SET_VALUE, false);
    if (!k) return false;
    LONG r = RegDeleteValueW(k, value);
    RegCloseKey(k);
    return r == ERROR_SUCCESS;
}

template <typename T> struct ComPointer {
    T* p = nullptr;
    ~ComPointer() {
        if (p) p->Release();
    }
};

// COM may not be set up on the calling thread (tests, the command-line tool): it is for the call.
struct ComScope {
    ComScope() : ok(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope() {
        if (ok) CoUninitialize();
    }
    bool ok;
};

} // namespace

int32_t CurrentOsClass() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    auto get = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW v{sizeof v};
    if (!get || get(&v) != 0) return 5;
    return OsClassOf(v.dwMajorVersion, v.dwMinorVersion);
}

bool AssociationsEditable() {
    return CurrentOsClass() < 2;
}

AssociationRegistry UserRegistry() {
    AssociationRegistry r;
    r.read = ReadValue;
    r.write = WriteValue;
    r.remove = RemoveValue;
    return r;
}

std::wstring SendToShortcutPath(const std::wstring& exePath) {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    std::wstring name = FileNameOf(exePath);
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return std::wstring(folder) + L"\\" + name + L".lnk";
}

bool SendToShortcutExists(const std::wstring& exePath) {
    std::wstring link = SendToShortcutPath(exePath);
    return !link.empty() && PathExists(link.c_str());
}

bool SetSendToShortcut(const std::wstring& exePath, bool present) {
    std::wstring link = SendToShortcutPath(exePath);
    if (link.empty()) return false;
    if (!present) return DeleteFileW(link.c_str()) != FALSE;
    ComScope com;
    ComPointer<IShellLinkW> shell;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&shell.p))))
        return false;
    shell.p->SetPath(exePath.c_str());
    shell.p->SetArguments(L"");
    shell.p->SetIconLocation(exePath.c_str(), 0);
    shell.p->SetShowCmd(SW_SHOWNORMAL);
    ComPointer<IPersistFile> file;
    if (FAILED(shell.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) return false;
    return SUCCEEDED(file.p->Save(link.c_str(), TRUE));
}

} // namespace qv
