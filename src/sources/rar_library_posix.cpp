// Natively the RAR library is our own adapter built as libunrar64.so: the plug-in folder first,
// then the program's folder, as on Windows (there is no system folder to look in).
#include <dlfcn.h>
#include <unistd.h>

#include "sources/plugin_host.h"
#include "sources/rar_access.h"

namespace qv {

namespace {

constexpr const wchar_t* kLibraryName = L"libunrar64.so";

} // namespace

std::vector<std::wstring> RarLibraryCandidates() {
    std::vector<std::wstring> out;
    std::wstring plugins = CurrentPluginFolder().path;
    if (!plugins.empty()) out.push_back(plugins + (plugins.back() == L'/' ? L"" : L"/") + kLibraryName);
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string own(exe, static_cast<size_t>(n));
        size_t slash = own.find_last_of('/');
        std::wstring folder(own.begin(), own.begin() + static_cast<std::ptrdiff_t>(slash + 1));
        if (slash != std::string::npos) out.push_back(folder + kLibraryName);
    }
    return out;
}

bool LoadRarLibraryFrom(const std::wstring& path, RarLibrary* library) {
    void* module = dlopen(WideToUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return false;
    RarFunctions f;
    f.open = reinterpret_cast<RarOpenFn>(dlsym(module, "RAROpenArchiveEx"));
    f.close = reinterpret_cast<RarCloseFn>(dlsym(module, "RARCloseArchive"));
    f.readHeader = reinterpret_cast<RarReadHeaderFn>(dlsym(module, "RARReadHeaderEx"));
    f.process = reinterpret_cast<RarProcessFn>(dlsym(module, "RARProcessFileW"));
    library->module = module;
    if (!f.open || !f.close || !f.readHeader || !f.process) return false;
    library->functions = f;
    return true;
}

bool LoadRarLibrary(RarLibrary* library) {
    for (const std::wstring& path : RarLibraryCandidates())
        if (access(WideToUtf8(path).c_str(), F_OK) == 0) return LoadRarLibraryFrom(path, library);
    return false;
}

void FreeRarModule(void* module) {
    dlclose(module);
}

bool RarLibraryPresent() {
    for (const std::wstring& path : RarLibraryCandidates())
        if (access(WideToUtf8(path).c_str(), F_OK) == 0) return true;
    return false;
}

} // namespace qv
