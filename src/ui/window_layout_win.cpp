#include "ui/window_layout_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "ui/language_module_win.h"

namespace qv {

RECT CentredOnOwner(HWND owner, int width, int height) {
    bool aroundOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
    HMONITOR monitor = owner ? MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                             : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{sizeof info};
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(monitor, &info)) area = info.rcWork;
    RECT around = area;
    if (aroundOwner) GetWindowRect(owner, &around);
    LONG x = around.left + (around.right - around.left - width) / 2;
    LONG y = around.top + (around.bottom - around.top - height) / 2;
    x = std::max(area.left, std::min(x, area.right - width));
    y = std::max(area.top, std::min(y, area.bottom - height));
    return RECT{x, y, x + width, y + height};
}

void CentreOnOwner(HWND window, HWND owner) {
    RECT box;
    if (!GetWindowRect(window, &box)) return;
    RECT r = CentredOnOwner(owner, box.right - box.left, box.bottom - box.top);
    SetWindowPos(window, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AddListViewColumn(HWND list, int index, uint32_t heading, int width) {
    std::wstring title = UiText(heading);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = title.data();
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

} // namespace qv
