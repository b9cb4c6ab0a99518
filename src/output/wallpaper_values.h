// The wallpaper command's portable half: the registry values of each placement, the placement the
// dialog shows for the values found, and the file the wallpaper is written to. Portable.
#pragma once

#include <string>

namespace qv {

// The dialog's radio buttons, in their order (4081-4083).
enum class WallpaperPlacement : int { Centre = 0, Stretch = 1, Tile = 2 };

// Under HKEY_CURRENT_USER, both REG_SZ strings of one digit.
constexpr const wchar_t* kDesktopKey = L"Control Panel\\Desktop";
constexpr const wchar_t* kTileWallpaperValue = L"TileWallpaper";
constexpr const wchar_t* kWallpaperStyleValue = L"WallpaperStyle";
// In the folder of the settings file.
constexpr const wchar_t* kWallpaperFileName = L"save_wp.bmp";

struct WallpaperValues {
    const wchar_t* tileWallpaper;
    const wchar_t* wallpaperStyle;
};
WallpaperValues WallpaperValuesOf(WallpaperPlacement placement);

// The placement to check when the dialog opens: tile unless TileWallpaper is "0", else centre when
// WallpaperStyle is "0", else stretch. A value that is missing counts as "0" (the system's default:
// centred, not tiled).
WallpaperPlacement WallpaperPlacementFrom(const std::wstring* tileWallpaper, const std::wstring* wallpaperStyle);

} // namespace qv
