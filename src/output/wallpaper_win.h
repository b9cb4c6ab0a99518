// The wallpaper command: the placement dialog (template 4080), then the current image written as a
// BMP at its own depth through a temporary file to "save_wp.bmp" beside the settings file and
// handed to the system. Windows only.
#pragma once

#include <string>

namespace qv {

void SetWallpaper(const std::wstring& settingsFolder);

} // namespace qv
