#include "settings/settings_location.h"

#include "platform/paths.h"
#include "platform/platform.h"
#include "sources/extension_class.h"

namespace qv {

namespace {

size_t NameStart(const std::wstring& path) {
    size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? 0 : sep + 1;
}

} // namespace

bool IsQuorvelExecutable(const std::wstring& exePath) {
    std::wstring name = exePath.substr(NameStart(exePath));
    size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return EqualsIgnoreAsciiCase(name, std::wstring(L"Quorvel"));
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
