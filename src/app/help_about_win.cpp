// Help: the help file beside the program through HTML Help, else the online help page. The About
// box: a small modal popup of its own classes, which exist only while it is open.
#include "app/help_about_win.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <string>

#include "app/app_state_win.h"
#include "app/startup_info_dialog_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_layout_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr const wchar_t* kOnlineHelpPage = L"https://quorvel.example.org/help/";
constexpr const wchar_t* kMakerAddress = L"https://quorvel.example.org/";

constexpr UINT kHelpDisplayTopic = 0x0000; // HH_DISPLAY_TOPIC
using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

constexpr const wchar_t* kAboutClass = L"ver_parent_class";
constexpr const wchar_t* kLinkClass = L"ver_child_class";
constexpr int kAboutClientWidth = 274;
constexpr int kAboutClientHeight = 78;
constexpr int kVersionLineId = 100;
constexpr int kSecondLineId = 101;
constexpr int kLinkId = 102;
constexpr int kTextLeft = 12, kTextWidth = 250, kLineHeight = 16;
constexpr int kVersionLineTop = 8, kSecondLineTop = 26;
constexpr int kLinkLeft = 12, kLinkTop = 47, kLinkWidth = 250, kLinkHeight = 20;
constexpr COLORREF kLinkColour = RGB(0, 0, 255);

void OpenInShell(const wchar_t* target, HWND owner) {
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = target;
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
}

// The program's path with ".chm" for its extension.
std::wstring HelpFilePath() {
    const std::wstring& exe = g_app.exePath;
    return exe.substr(0, exe.size() - ExtensionOf(exe).size()) + L".chm";
}

HtmlHelpEntry HtmlHelp() {
    // start-up initialised HTML Help and keeps the library loaded
    HMODULE library = GetModuleHandleW(L"hhctrl.ocx");
    if (!library) library = LoadLibraryW(L"hhctrl.ocx");
    if (!library) return nullptr;
    return reinterpret_cast<HtmlHelpEntry>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(15))));
}

void ShowHelp() {
    std::wstring file = HelpFilePath();
    if (PathExists(file.c_str())) {
        if (CurrentDisplayMode() == DisplayMode::FullScreen) LeaveFullScreen();
        if (HtmlHelpEntry entry = HtmlHelp()) {
            entry(CurrentMainWindow(), file.c_str(), kHelpDisplayTopic, 0);
            return;
        }
    }
    OpenInShell(kOnlineHelpPage, CurrentMainWindow());
}

// ---- the About box

// "major.minor.patch" of the program's own version resource.
std::wstring VersionText() {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(g_app.exePath.c_str(), &ignored);
    if (size == 0) return L"?";
    std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(g_app.exePath.c_str(), 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info)
        return L"?";
    return std::to_wstring(HIWORD(info->dwProductVersionMS)) + L"." +
           std::to_wstring(LOWORD(info->dwProductVersionMS)) + L"." + std::to_wstring(HIWORD(info->dwProductVersionLS));
}

HFONT BoxFont() {
    return UiFont();
}

LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kLinkColour);
        HGDIOBJ old = SelectObject(dc, BoxFont());
        DrawTextW(dc, kMakerAddress, -1, &client, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_LBUTTONUP: OpenInShell(kMakerAddress, GetParent(window)); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void AddLine(HWND box, int id, int top, const std::wstring& text) {
    HWND line = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, kTextLeft,
                                top, kTextWidth, kLineHeight, box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                Ui().instance, nullptr);
    if (line) SendMessageW(line, WM_SETFONT, reinterpret_cast<WPARAM>(BoxFont()), FALSE);
}

// The owner is enabled before the box goes, so that activation returns to it.
void CloseAboutBox(HWND box) {
    EnableWindow(GetWindow(box, GW_OWNER), TRUE);
    DestroyWindow(box);
}

LRESULT CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        AddLine(window, kVersionLineId, kVersionLineTop, std::wstring(L"Quorvel") + L" version " + VersionText());
        AddLine(window, kSecondLineId, kSecondLineTop, UiText(kStrAboutSecondLine));
        CreateWindowExW(0, kLinkClass, nullptr, WS_CHILD | WS_VISIBLE, kLinkLeft, kLinkTop, kLinkWidth, kLinkHeight,
                        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLinkId)), Ui().instance, nullptr);
        return 0;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CLOSE: CloseAboutBox(window); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterAboutClasses() {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = AboutProc;
    wc.hInstance = Ui().instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kAboutClass;
    if (!RegisterClassExW(&wc)) return false;
    wc.lpfnWndProc = LinkProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_HAND);
    wc.lpszClassName = kLinkClass;
    if (RegisterClassExW(&wc)) return true;
    UnregisterClassW(kAboutClass, Ui().instance);
    return false;
}

void UnregisterAboutClasses() {
    UnregisterClassW(kLinkClass, Ui().instance);
    UnregisterClassW(kAboutClass, Ui().instance);
}

// Modal: the owner is disabled and this loop runs until the box is gone; any key closes it.
void ShowAboutBox() {
    HWND owner = CurrentMainWindow();
    if (!RegisterAboutClasses()) return;
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    constexpr DWORD exStyle = WS_EX_DLGMODALFRAME;
    RECT r{0, 0, kAboutClientWidth, kAboutClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT at = CentredOnOwner(owner, w, h);
    int x = at.left, y = at.top;
    std::wstring title = UiText(kCmdAbout);
    HWND box =
        CreateWindowExW(exStyle, kAboutClass, title.c_str(), style, x, y, w, h, owner, nullptr, Ui().instance, nullptr);
    if (!box) return UnregisterAboutClasses();
    EnableWindow(owner, FALSE);
    ShowWindow(box, SW_SHOW);
    SetForegroundWindow(box);
    SetFocus(box);
    MSG message{};
    bool quit = false;
    while (IsWindow(box)) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            quit = got == 0;
            break;
        }
        bool forBox = message.hwnd == box || IsChild(box, message.hwnd);
        if (forBox && (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN)) {
            CloseAboutBox(box);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (IsWindow(box)) CloseAboutBox(box);
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
    UnregisterAboutClasses();
    if (quit) PostQuitMessage(static_cast<int>(message.wParam));
}

} // namespace

bool HandleHelpCommand(int32_t command) {
    switch (command) {
    case kCmdHelp: ShowHelp(); return true;
    case kCmdAbout: ShowAboutBox(); return true;
    case kCmdStartupInfo: // the start-up notes again, with their "do not show again" box
        RunStartupInfoDialog(CurrentMainWindow(), g_settings.FHeight, &g_settings.MouseInfo);
        return true;
    default: return false;
    }
}

} // namespace qv
