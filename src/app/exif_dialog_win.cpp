#include "app/exif_dialog_win.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "app/list_window_lock_win.h"
#include "image/current_exif.h"
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/platform.h"
#include "ui/language_module_win.h"
#include "ui/window_layout_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint32_t kDlgExifInfo = 4040;
constexpr int kCtlExifList = 4041;
constexpr int kNameColumnWidth = 160;

// A language module without the EXIF texts still gets readable rows.
std::wstring LanguageExifString(uint32_t id) {
    std::wstring text = UiText(id);
    return text.empty() ? ExifEnglishString(id) : text;
}

void FillList(HWND list, const ExifInfo& info) {
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
                 LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    RECT client;
    GetClientRect(list, &client);
    AddListViewColumn(list, 0, kStrExifNameHeading, kNameColumnWidth);
    AddListViewColumn(list, 1, kStrExifValueHeading,
                      std::max<int>(0, client.right - GetSystemMetrics(SM_CXVSCROLL) - kNameColumnWidth));
    int rows[kExifInfoItems];
    int count = CollectExifRows(info, rows);
    for (int row = 0; row < count; ++row) {
        std::wstring label = LanguageExifString(kExifLabelBase + rows[row]);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = label.data();
        int at = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        if (at < 0) continue;
        std::wstring value = info.items[rows[row]].value;
        LVITEMW sub{};
        sub.iSubItem = 1;
        sub.pszText = value.data();
        SendMessageW(list, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
    }
}

INT_PTR CALLBACK ExifInfoProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillList(GetDlgItem(dialog, kCtlExifList), *reinterpret_cast<const ExifInfo*>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

bool HandleExifInfoCommand(int32_t command) {
    if (command != kCmdTextInfo) return false;
    const ImageSession& s = g_session;
    if (!HasCurrentImage(s) || s.current.sourceFormat != kFormatJpeg || !s.info.exifPresent) return false;
    HWND owner = CurrentMainWindow();
    const std::wstring& file = s.list.sourceKind == kSourceFolder ? s.list.currentPath : s.list.archivePath;
    ExifInfo info;
    if (file.empty() || !PathExists(file.c_str()) || !ReadCurrentExifInfo(s.list, &info, LanguageExifString)) {
        ErrorBox(owner, kStrCannotRead);
        return true;
    }
    ListWindowDisabled disabled;
    RunDialog(kDlgExifInfo, owner, ExifInfoProc, reinterpret_cast<LPARAM>(&info), g_settings.FHeight);
    return true;
}

} // namespace qv
