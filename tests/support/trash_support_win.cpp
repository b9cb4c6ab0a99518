#include "trash_support_win.h"

#include <windows.h>

#include "test_support.h"

namespace qvtest {

std::wstring TrashFolder() {
    wchar_t home[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"WINEHOMEDIR", home, MAX_PATH); // "\??\Z:\..."
    if (n == 0 || n >= MAX_PATH) return {};
    std::wstring folder(home);
    if (folder.rfind(L"\\??\\", 0) == 0) folder.erase(0, 4);
    return folder + L"\\.local\\share\\Trash";
}

bool TakeFromTrash(const std::wstring& name, const std::string& bytes) {
    const std::wstring trash = TrashFolder();
    if (trash.empty()) return false;
    const std::wstring files = trash + L"\\files\\";
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((files + name + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool taken = false;
    do {
        const std::wstring path = files + data.cFileName;
        if (ReadFileBytes(path) != bytes) continue;
        DeleteFileW(path.c_str());
        DeleteFileW((trash + L"\\info\\" + data.cFileName + L".trashinfo").c_str());
        taken = true;
    } while (!taken && FindNextFileW(find, &data));
    FindClose(find);
    return taken;
}

} // namespace qvtest
