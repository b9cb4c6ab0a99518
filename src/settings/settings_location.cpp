#include "settings/settings_location.h"

#include "platform/ascii_case.h"
#include "platform/paths.h"
#include "platform/platform.h"

namespace qv {

bool IsQuorvelExecutable(const std::wstring& exePath) {
    return EqualsIgnoreAsciiCase(StemOf(exePath), std::wstring(L"Quorvel"));
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
