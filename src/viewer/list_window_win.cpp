// The list window: a small tool window listing the file list; choosing an entry opens it.
#include <windows.h>

#include "image/open_image.h"
#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kListBoxId = 1030;
constexpr int kListWidth = 180;
constexpr int kListHeight = 360;
constexpr UINT kRemovedSystemMenuItem = 5; // position, not command

HWND g_listWindow = nullptr;
uint32_t g_shownGeneration = 0; // the list's generation the rows were filled from

HWND ListBox() {
    return g_listWindow ? GetDlgItem(g_listWindow, kListBoxId) : nullptr;
}

void FillList(HWND box) {
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    const FileList& list = g_session.list;
    g_shownGeneration = list.generation;
    if (HasList(list)) {
        for (uint32_t i = 0; i < list.count; ++i) {
            std::wstring text = EntryText(list, i);
            SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        }
        SendMessageW(box, LB_SETCURSEL, list.current, 0);
    }
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

void OnChoose(HWND box) {
    LRESULT index = SendMessageW(box, LB_GETCURSEL, 0, 0);
    const FileList& list = g_session.list;
    if (index == LB_ERR || static_cast<uint32_t>(index) >= list.count) return;
    if (static_cast<uint32_t>(index) == list.current) return;
    if (!AskUnsavedChanges()) {
        SendMessageW(box, LB_SETCURSEL, list.current, 0);
        return;
    }
    OpenImageIndex(static_cast<uint32_t>(index));
    SyncListWindow();
}

} // namespace

LRESULT CALLBACK ListWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (HWND box = GetDlgItem(window, kListBoxId)) MoveWindow(box, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kListBoxId && HIWORD(wParam) == LBN_SELCHANGE) OnChoose(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_DROPFILES: // dropped files open as on the ViewWindow
        return SendMessageW(ViewWindowHandle(), WM_DROPFILES, wParam, lParam);
    case WM_CLOSE: CloseListWindow(); return 0;
    case WM_DESTROY:
        if (g_listWindow == window) g_listWindow = nullptr;
        SetErrorBoxListWindow(nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND ListWindowHandle() {
    return g_listWindow;
}

void ShowListWindow() {
    if (g_listWindow) {
        SetForegroundWindow(g_listWindow);
        return;
    }
    HWND main = CurrentMainWindow();
    RECT r{};
    GetWindowRect(main, &r);
    HWND owner = SubWindowHandle() ? SubWindowHandle() : main;
    std::wstring title = UiText(kStrListWindowTitle);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_ACCEPTFILES, kListWindowClass, title.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, r.left, r.top,
                                  kListWidth, kListHeight, owner, nullptr, Ui().instance, nullptr);
    if (!window) return;
    g_listWindow = window;
    // an error box disables it, or a click there would load another image inside the box
    SetErrorBoxListWindow(window);
    DeleteMenu(GetSystemMenu(window, FALSE), kRemovedSystemMenuItem, MF_BYPOSITION);
    RECT client;
    GetClientRect(window, &client);
    HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0,
                               client.right, client.bottom, window,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListBoxId)), Ui().instance, nullptr);
    if (Ui().font) SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(Ui().font), FALSE);
    FillList(box);
    ShowWindow(window, SW_SHOW);
}

void CloseListWindow() {
    if (!g_listWindow) return;
    HWND window = g_listWindow;
    g_listWindow = nullptr;
    DestroyWindow(window);
}

void SyncListWindow() {
    HWND box = ListBox();
    if (!box) return;
    const FileList& list = g_session.list;
    // a re-sort or another folder of the same size changes the rows without changing their number
    if (list.generation != g_shownGeneration ||
        static_cast<uint32_t>(SendMessageW(box, LB_GETCOUNT, 0, 0)) != list.count)
        FillList(box);
    else
        SendMessageW(box, LB_SETCURSEL, list.current, 0);
}

void ClearListWindowSelection() {
    if (HWND box = ListBox()) SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

} // namespace qv
