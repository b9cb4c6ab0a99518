// The SubWindow's thread hooks: Enter and Esc for the tools, the number fields and the history
// window; the tool-group buttons' menu-bar behaviour; and clicks into a pane taking the keyboard
// back from the rebar's fields.
#include "viewer/sub_hooks_win.h"

#include "image/open_image.h"
#include "model/command_ids.h"
#include "ui/window_classes.h"
#include "viewer/rebar_rules.h"
#include "viewer/save_bar_win.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr LPARAM kKeyUpOrRepeat = static_cast<LPARAM>(0xC0000000u); // transition and previous-state bits

HHOOK g_keyboardHook = nullptr;
HHOOK g_mouseHook = nullptr;
SubWindowToolHooks g_tool;

bool Ask(bool (*query)(), bool otherwise) {
    return query ? query() : otherwise;
}

BOOL CALLBACK FindHistory(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && lstrcmpiW(name, kHistoryWindowClass) == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND HistoryWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindHistory, reinterpret_cast<LPARAM>(&found));
    return found;
}

void PostCommandToSubWindow(int32_t command) {
    PostMessageW(SubWindowHandle(), WM_COMMAND, static_cast<WPARAM>(command), 0);
}

// Keys for an open menu or for a dialog or message box in front of the SubWindow are theirs.
bool KeyForSubWindow(HWND history) {
    GUITHREADINFO info{sizeof info};
    if (GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)))
        return false;
    HWND active = GetActiveWindow();
    return active == SubWindowHandle() || (history && active == history);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM key, LPARAM flags) {
    // only first presses; commands run after the hook through posted messages
    HWND history = nullptr;
    if (code == HC_ACTION && (flags & kKeyUpOrRepeat) == 0 && CurrentDisplayMode() == DisplayMode::SubWindow &&
        (key == VK_RETURN || key == VK_ESCAPE) && !Ask(g_tool.areaDragging, false) &&
        KeyForSubWindow(history = HistoryWindow())) {
        SubWindowKeyFacts facts;
        facts.toolOpen = Ask(g_tool.toolOpen, false);
        facts.toolTakesEnter = Ask(g_tool.toolTakesEnter, true);
        facts.colourPicking = Ask(g_tool.colourPicking, false);
        HWND focus = GetFocus();
        facts.numberFieldFocused = IsSaveBarNumberField(focus);
        facts.historyOpen = history != nullptr;
        bool swallow = false;
        switch (DecideSubWindowKey(static_cast<uint32_t>(key), facts, &swallow)) {
        case SubWindowKeyAction::ApplyTool: PostCommandToSubWindow(kCmdApplyTool); break;
        case SubWindowKeyAction::CancelTool: PostCommandToSubWindow(kCmdCancelTool); break;
        case SubWindowKeyAction::EndColourPicking:
            if (g_tool.endColourPicking) g_tool.endColourPicking();
            break;
        case SubWindowKeyAction::CommitFieldPreview:
            CommitSaveBarField(focus);
            PostCommandToSubWindow(kCmdSavePreview);
            break;
        case SubWindowKeyAction::CloseHistory: PostMessageW(history, WM_CLOSE, 0, 0); break;
        case SubWindowKeyAction::None: break;
        }
        if (swallow) return 1;
    }
    return CallNextHookEx(g_keyboardHook, code, key, flags);
}

bool IsPane(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return lstrcmpiW(name, kPane1Class) == 0 || lstrcmpiW(name, kPane2Class) == 0;
}

LRESULT CALLBACK MouseHook(int code, WPARAM message, LPARAM data) {
    if (code == HC_ACTION && CurrentDisplayMode() == DisplayMode::SubWindow) {
        const auto* mouse = reinterpret_cast<const MOUSEHOOKSTRUCT*>(data);
        if (message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE) {
            int32_t open = OpenToolGroup();
            if (open != 0 && ToolGroupToSwitchTo(open, ToolGroupButtonAt(mouse->pt), HasCurrentImage(g_session)) != 0) {
                SwitchToolGroupMenu();
                return 1;
            }
        } else if ((message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN) &&
                   IsPane(mouse->hwnd)) {
            // the panes take no focus of their own: a click there ends typing in the rebar
            HWND focus = GetFocus();
            if (focus && focus != SubWindowHandle() && IsChild(SubWindowHandle(), focus)) SetFocus(SubWindowHandle());
        }
    }
    return CallNextHookEx(g_mouseHook, code, message, data);
}

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t buffer[32] = {};
    return window && GetClassNameW(window, buffer, 32) && lstrcmpiW(buffer, name) == 0;
}

} // namespace

void SetSubWindowToolHooks(const SubWindowToolHooks& hooks) {
    g_tool = hooks;
}

bool SubWindowToolOpen() {
    return Ask(g_tool.toolOpen, false);
}

void CancelOpenTool() {
    if (g_tool.cancelTool) g_tool.cancelTool();
}

bool ToolTakesPaneMouse(int pane, UINT message, WPARAM keys, POINT client) {
    return g_tool.paneMouse && g_tool.paneMouse(pane, message, keys, client);
}

void PaintToolOverPane(int pane, HDC dc) {
    if (g_tool.paintPane) g_tool.paintPane(pane, dc);
}

bool SetToolPaneCursor(int pane, POINT client) {
    return g_tool.paneCursor && g_tool.paneCursor(pane, client);
}

void InstallSubWindowHooks() {
    DWORD thread = GetCurrentThreadId();
    if (!g_keyboardHook) g_keyboardHook = SetWindowsHookExW(WH_KEYBOARD, KeyboardHook, nullptr, thread);
    if (!g_mouseHook) g_mouseHook = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, thread);
}

void RemoveSubWindowHooks() {
    if (g_keyboardHook) UnhookWindowsHookEx(g_keyboardHook);
    if (g_mouseHook) UnhookWindowsHookEx(g_mouseHook);
    g_keyboardHook = g_mouseHook = nullptr;
}

bool KeyReachesField(const MSG& message) {
    if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
    return IsClass(message.hwnd, L"Edit") || IsClass(message.hwnd, L"ComboBox");
}

} // namespace qv
