// The history window: a list of the edit history's steps. While it is open the main window is
// disabled and the accelerators are off (AcceleratorsSuspended), so Esc reaches the list and
// closes it.
#include <windows.h>

#include <string>
#include <vector>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "ui/window_layout_win.h"
#include "viewer/hover_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr int kHistoryListId = 1031;
constexpr int kHistoryWidth = 240;
constexpr int kHistoryHeight = 300;

HWND g_window = nullptr;
HWND g_owner = nullptr;

// The labels of the edit history, oldest first, and the index of the step shown. Until edits are
// recorded the history holds one step: the image as it was opened.
struct HistoryListing {
    std::vector<std::wstring> labels;
    int32_t current = -1;
};

HistoryListing CurrentHistoryListing() {
    HistoryListing h;
    const ImageSession& session = g_session;
    if (!HasCurrentImage(session)) return h;
    const std::wstring& path = session.list.currentPath;
    h.labels.push_back(UiText(kStrHistoryOpened) + L"  " + FileNameOf(path));
    h.current = 0;
    return h;
}

// Choosing entry k moves k - current steps through the undo history; with the opened image alone
// there is nowhere to go.
void MoveToHistoryStep(int32_t index, int32_t current) {
    (void)index;
    (void)current;
}

void FillHistoryList(HWND box) {
    HistoryListing h = CurrentHistoryListing();
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    for (const std::wstring& label : h.labels)
        SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    if (h.current >= 0) SendMessageW(box, LB_SETCURSEL, h.current, 0);
}

void OnChoose(HWND box) {
    LRESULT index = SendMessageW(box, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    HistoryListing h = CurrentHistoryListing();
    if (static_cast<int32_t>(index) != h.current) MoveToHistoryStep(static_cast<int32_t>(index), h.current);
    FillHistoryList(box);
}

} // namespace

LRESULT CALLBACK HistoryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        if (HWND box = GetDlgItem(window, kHistoryListId)) MoveWindow(box, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (HWND box = GetDlgItem(window, kHistoryListId)) SetFocus(box);
        return 0;
    case WM_VKEYTOITEM:
        if (LOWORD(wParam) == VK_ESCAPE) {
            CloseHistoryWindow();
            return -2; // handled
        }
        return -1;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) CloseHistoryWindow();
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kHistoryListId && HIWORD(wParam) == LBN_SELCHANGE)
            OnChoose(reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_CLOSE: CloseHistoryWindow(); return 0;
    case WM_DESTROY:
        if (window == g_window) g_window = nullptr;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool HandleHistoryCommand(int32_t command) {
    if (command != kCmdHistoryWindow) return false;
    if (g_window) {
        SetForegroundWindow(g_window);
        return true;
    }
    HWND owner = CurrentMainWindow();
    RECT r = CentredOnOwner(owner, kHistoryWidth, kHistoryHeight);
    std::wstring title = UiText(kStrHistoryWindowTitle);
    g_window = CreateWindowExW(WS_EX_TOOLWINDOW, kHistoryWindowClass, title.c_str(),
                               WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, owner, nullptr, Ui().instance, nullptr);
    if (!g_window) return true;
    RECT client;
    GetClientRect(g_window, &client);
    HWND box =
        CreateWindowExW(0, L"LISTBOX", nullptr,
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT,
                        0, 0, client.right, client.bottom, g_window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHistoryListId)), Ui().instance, nullptr);
    if (box && Ui().font) SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(Ui().font), FALSE);
    if (box) FillHistoryList(box);
    g_owner = owner;
    // the owner is disabled before the window shows: nothing may reach it while the list is up
    EnableWindow(owner, FALSE);
    ShowWindow(g_window, SW_SHOW);
    SetForegroundWindow(g_window);
    if (box) SetFocus(box);
    return true;
}

bool HistoryWindowOpen() {
    return g_window != nullptr;
}

void CloseHistoryWindow() {
    if (!g_window) return;
    HWND window = g_window, owner = g_owner;
    g_window = g_owner = nullptr;
    // the owner comes back first, so that it is the one activated when the list goes
    if (owner) EnableWindow(owner, TRUE);
    DestroyWindow(window);
    if (owner) SetForegroundWindow(owner);
}

} // namespace qv
