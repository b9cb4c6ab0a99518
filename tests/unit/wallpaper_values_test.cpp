// The wallpaper dialog's registry values: what each choice writes, and which choice the values
// found check when the dialog opens.
#include <gtest/gtest.h>

#include <string>

#include "output/wallpaper_values.h"

namespace qv {
namespace {

TEST(WallpaperValues, EachChoiceWritesItsPairAndReadsBackAsItself) {
    struct Case {
        WallpaperPlacement placement;
        const wchar_t* tile;
        const wchar_t* style;
    };
    for (const Case& c : {Case{WallpaperPlacement::Centre, L"0", L"0"}, Case{WallpaperPlacement::Stretch, L"0", L"2"},
                          Case{WallpaperPlacement::Tile, L"1", L"0"}}) {
        WallpaperValues v = WallpaperValuesOf(c.placement);
        EXPECT_EQ(std::wstring(v.tileWallpaper), c.tile);
        EXPECT_EQ(std::wstring(v.wallpaperStyle), c.style);
        std::wstring tile = v.tileWallpaper, style = v.wallpaperStyle;
        EXPECT_EQ(WallpaperPlacementFrom(&tile, &style), c.placement);
    }
    // any tile value but "0" tiles; missing values are the system's centred default
    std::wstring odd = L"7", fit = L"10";
    EXPECT_EQ(WallpaperPlacementFrom(&odd, nullptr), WallpaperPlacement::Tile);
    EXPECT_EQ(WallpaperPlacementFrom(nullptr, nullptr), WallpaperPlacement::Centre);
    EXPECT_EQ(WallpaperPlacementFrom(nullptr, &fit), WallpaperPlacement::Stretch);
    EXPECT_EQ(std::wstring(kWallpaperFileName), L"save_wp.bmp");
}

} // namespace
} // namespace qv
