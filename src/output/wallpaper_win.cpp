#include "output/wallpaper_win.h"

#include <windows.h>

#include "codecs/bmp_codec.h"
#include "image/open_image.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "output/wallpaper_values.h"
#include "platform/platform.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_layout_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kPlacementCount = 3;

// A REG_SZ value of the desktop key; false when it is missing or no string.
bool ReadDesktopValue(const wchar_t* name, std::wstring* value) {
    wchar_t text[16] = {};
    DWORD bytes = sizeof text - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, name, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
        return false;
    *value = text;
    return true;
}

void WriteDesktopValues(WallpaperPlacement placement) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    WallpaperValues values = WallpaperValuesOf(placement);
    for (auto [name, text] :
         {std::pair{kTileWallpaperValue, values.tileWallpaper}, std::pair{kWallpaperStyleValue, values.wallpaperStyle}})
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

INT_PTR CALLBACK WallpaperDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        std::wstring tile, style;
        bool hasTile = ReadDesktopValue(kTileWallpaperValue, &tile);
        bool hasStyle = ReadDesktopValue(kWallpaperStyleValue, &style);
        auto placement = WallpaperPlacementFrom(hasTile ? &tile : nullptr, hasStyle ? &style : nullptr);
        CheckRadioButton(dialog, kCtlWallpaperCentre, kCtlWallpaperCentre + kPlacementCount - 1,
                         kCtlWallpaperCentre + static_cast<int>(placement));
        CentreOnOwner(dialog, GetWindow(dialog, GW_OWNER));
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            for (int i = 0; i < kPlacementCount; ++i)
                if (IsDlgButtonChecked(dialog, kCtlWallpaperCentre + i) == BST_CHECKED)
                    WriteDesktopValues(static_cast<WallpaperPlacement>(i));
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

// The image through a temporary file to the wallpaper file; the message of what failed.
void WriteWallpaperFile(const ImageBuffer& image, const std::wstring& settingsFolder) {
    HWND owner = CurrentMainWindow();
    std::wstring temp;
    if (!CreateTempFile({}, &temp)) {
        ErrorBox(owner, kStrNoTempFile);
        return;
    }
    CodecStatus status = kCodecOk;
    if (!WriteBmpFile(temp.c_str(), image, image.header.biBitCount, false, &status)) {
        ErrorBox(owner, status);
    } else {
        // the file the system reads is only ever replaced by a complete one
        std::wstring target = JoinPath(settingsFolder, kWallpaperFileName);
        if (settingsFolder.empty() || !CopyFilePath(temp.c_str(), target.c_str()))
            ErrorBox(owner, kStrCannotPlace);
        else
            SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(target.c_str()),
                                  SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
    }
    DeleteFilePath(temp.c_str());
}

} // namespace

void SetWallpaper(const std::wstring& settingsFolder) {
    const ImageSession& session = g_session;
    if (!HasCurrentImage(session)) return;
    if (RunDialog(kDlgWallpaper, CurrentMainWindow(), WallpaperDialogProc, 0, g_settings.FHeight) != IDOK) return;
    SetCursor(Ui().waitCursor);
    WriteWallpaperFile(session.current, settingsFolder);
    SetCursor(Ui().arrowCursor);
}

} // namespace qv
