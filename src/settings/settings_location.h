// Where the settings file lives: beside the executable when a Quorvel.ini is there (portable use),
// otherwise in the Tesmo folder of the roaming application-data folder.
#pragma once

#include <string>

namespace qv {

constexpr const wchar_t* kSettingsFileName = L"Quorvel.ini";
constexpr const wchar_t* kSettingsFolderName = L"Tesmo";

// The executable's base name without extension, compared ignoring ASCII case, must be Quorvel.
bool IsQuorvelExecutable(const std::wstring& exePath);

// Applies the rules to the executable path and the application-data folder (empty when it could not
// be obtained); creates the Tesmo folder when needed. False when locating fails.
bool LocateSettingsFileIn(const std::wstring& exePath, const std::wstring& appDataFolder, std::wstring* settingsPath);

} // namespace qv
