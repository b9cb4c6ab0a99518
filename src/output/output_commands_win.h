// The output commands: copy (5030), copy as displayed (5035), paste (5031), delete the file
// (5032), wallpaper (5050), print (5060) and the colour count (5110). Windows only.
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// The folder of the settings file, where the wallpaper file goes; start-up sets it.
void SetOutputSettingsFolder(const std::wstring& folder);

bool HandleOutputCommand(int32_t command);

} // namespace qv
