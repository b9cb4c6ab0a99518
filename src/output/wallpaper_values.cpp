#include "output/wallpaper_values.h"

namespace qv {

WallpaperValues WallpaperValuesOf(WallpaperPlacement placement) {
    switch (placement) {
    case WallpaperPlacement::Centre: return {L"0", L"0"};
    case WallpaperPlacement::Stretch: return {L"0", L"2"};
    case WallpaperPlacement::Tile: return {L"1", L"0"};
    }
    return {L"0", L"0"};
}

WallpaperPlacement WallpaperPlacementFrom(const std::wstring* tileWallpaper, const std::wstring* wallpaperStyle) {
    if (tileWallpaper && *tileWallpaper != L"0") return WallpaperPlacement::Tile;
    if (!wallpaperStyle || *wallpaperStyle == L"0") return WallpaperPlacement::Centre;
    return WallpaperPlacement::Stretch;
}

} // namespace qv
