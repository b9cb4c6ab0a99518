#include "app/settings_location.h"

#include "platform/platform.h"

namespace qv {

namespace {

size_t NameStart(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? 0 : sep + 1;
}

bool EqualsIgnoringAsciiCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z') x = static_cast<wchar_t>(x - L'A' + L'a');
        if (y >= L'A' && y <= L'Z') y = static_cast<wchar_t>(y - L'A' + L'a');
        if (x != y) return false;
    }
    return i == a.size() && !b[i];
}

} // namespace

std::wstring FolderOf(const std::wstring& path) {
    size_t start = NameStart(path);
    return start == 0 ? std::wstring() : path.substr(0, start - 1);
}

bool IsQuorvelExecutable(const std::wstring& exePath) {
    std::wstring name = exePath.substr(NameStart(exePath));
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return EqualsIgnoringAsciiCase(name, L"Quorvel");
}

bool LocateSettingsFileIn(const std::wstring& exePath, const std::wstring& appDataFolder, std::wstring* settingsPath) {
    if (!IsQuorvelExecutable(exePath)) return false;
    std::wstring beside = JoinPath(FolderOf(exePath), kSettingsFileName);
    if (PathExists(beside.c_str()) && !IsDirectory(beside.c_str())) {
        *settingsPath = beside;
        return true;
    }
    if (appDataFolder.empty()) return false;
    std::wstring folder = JoinPath(appDataFolder, kSettingsFolderName);
    if (!IsDirectory(folder.c_str()) && !CreateDirectoryPath(folder.c_str())) return false;
    *settingsPath = JoinPath(folder, kSettingsFileName);
    return true;
}

} // namespace qv
