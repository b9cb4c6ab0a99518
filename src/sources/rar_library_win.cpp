// Finding and loading unrar64.dll: the plug-in folder first (a user's newer library wins), then
// the program's folder (ours ships there), then the system folder.
#include <shlobj.h>
#include <shlwapi.h>
#include <windows.h>

#include "sources/plugin_host.h"
#include "sources/rar_access.h"

namespace qv {

namespace {

constexpr const wchar_t* kLibraryName = L"unrar64.dll";

std::wstring InFolder(std::wstring folder) {
    if (folder.empty()) return {};
    if (folder.back() != L'\\') folder += L'\\';
    return folder + kLibraryName;
}

template <class Function> Function Resolve(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

} // namespace

std::vector<std::wstring> RarLibraryCandidates() {
    std::vector<std::wstring> out;
    std::wstring plugins = InFolder(CurrentPluginFolder().path);
    if (!plugins.empty()) out.push_back(plugins);
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        std::wstring own(exe, n);
        size_t slash = own.find_last_of(L'\\');
        if (slash != std::wstring::npos) out.push_back(own.substr(0, slash + 1) + kLibraryName);
    }
    wchar_t system[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_SYSTEM, nullptr, SHGFP_TYPE_CURRENT, system)))
        out.push_back(InFolder(system));
    return out;
}

bool LoadRarLibraryFrom(const std::wstring& path, RarLibrary* library) {
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) return false;
    RarFunctions f;
    f.open = Resolve<RarOpenFn>(module, "RAROpenArchiveEx");
    f.close = Resolve<RarCloseFn>(module, "RARCloseArchive");
    f.readHeader = Resolve<RarReadHeaderFn>(module, "RARReadHeaderEx");
    f.process = Resolve<RarProcessFn>(module, "RARProcessFileW");
    library->module = module; // freed by the owner, also when an export is missing
    if (!f.open || !f.close || !f.readHeader || !f.process) return false;
    library->functions = f;
    return true;
}

bool LoadRarLibrary(RarLibrary* library) {
    for (const std::wstring& path : RarLibraryCandidates()) {
        HMODULE module = LoadLibraryW(path.c_str());
        if (!module) continue;
        FreeLibrary(module); // the loaded one is checked once, below, with its exports
        return LoadRarLibraryFrom(path, library);
    }
    return false;
}

void FreeRarModule(void* module) {
    FreeLibrary(static_cast<HMODULE>(module));
}

bool RarLibraryPresent() {
    for (const std::wstring& path : RarLibraryCandidates())
        if (PathFileExistsW(path.c_str())) return true;
    return false;
}

} // namespace qv
