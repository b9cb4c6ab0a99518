// The life of the process: start-up in its fixed order, single-instance forwarding, the command
// line, the message loop and the shutdown that starts in the ViewWindow's close handler.
#include "app/startup_win.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <vector>

#include "app/accelerators_win.h"
#include "app/app_state_win.h"
#include "app/commands_win.h"
#include "app/menus_win.h"
#include "app/shell_integration_win.h"
#include "app/startup_info_dialog_win.h"
#include "image/open_image.h"
#include "image/plugin_sources.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "platform/crc32.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "settings/accelerator_blob.h"
#include "settings/settings_file.h"
#include "settings/settings_load.h"
#include "settings/settings_location.h"
#include "settings/settings_migration.h"
#include "sources/extension_class.h"
#include "sources/rar_access.h"
#include "tools/tool_window_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/animation_win.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/rar_password_win.h"
#include "viewer/sub_hooks_win.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_window_win.h"

namespace qv {

AppState g_app;

namespace {

constexpr UINT kHelpInitialize = 0x1C; // HH_INITIALIZE
constexpr UINT kHelpUninitialize = 0x1D;
using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

struct HtmlHelp {
    HMODULE library = nullptr;
    HtmlHelpEntry entry = nullptr;
    DWORD_PTR cookie = 0;
};
HtmlHelp g_help;

void InitialiseHtmlHelp() {
    g_help.library = LoadLibraryW(L"hhctrl.ocx");
    if (!g_help.library) return;
    // the wide entry point is exported by ordinal only
    g_help.entry =
        reinterpret_cast<HtmlHelpEntry>(reinterpret_cast<void*>(GetProcAddress(g_help.library, MAKEINTRESOURCEA(15))));
    if (g_help.entry) g_help.entry(nullptr, nullptr, kHelpInitialize, reinterpret_cast<DWORD_PTR>(&g_help.cookie));
}

void UninitialiseHtmlHelp() {
    if (g_help.entry) g_help.entry(nullptr, nullptr, kHelpUninitialize, g_help.cookie);
    if (g_help.library) FreeLibrary(g_help.library);
    g_help = HtmlHelp{};
}

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

std::wstring ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

void StartupError(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"Error", MB_SETFOREGROUND | MB_ICONERROR);
}

// The window a second start hands its request to, or null when it should become an instance.
HWND RunningInstance(const SettingsReader& reader) {
    if (!reader.valid() || reader.count() <= 1) return nullptr;
    const SettingsSlot* dual = reader.Slot(kSlotDual);
    if (!dual || !dual->IsInteger() || reader.ReadInt(kSlotDual, 0) == 0) return nullptr;
    HWND window = FindWindowW(kViewWindowClass, nullptr);
    if (window && !IsWindowVisible(window)) window = FindWindowW(kSubWindowClass, nullptr);
    return window;
}

void ForwardTo(HWND window, const std::vector<std::wstring>& args) {
    if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);
    SetForegroundWindow(window);
    if (args.empty()) return;
    uint8_t block[kInstanceRequestBytes];
    EncodeInstanceRequest(BuildInstanceRequest(args), block);
    COPYDATASTRUCT data{kCopyDataInstanceRequest, kInstanceRequestBytes, block};
    SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

std::vector<std::wstring> Arguments() {
    std::vector<std::wstring> args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv) return args;
    for (int i = 1; i < count; ++i)
        args.emplace_back(argv[i]);
    LocalFree(argv);
    return args;
}

void StartExtraProcesses(const std::vector<std::wstring>& paths) {
    for (const std::wstring& path : paths) {
        if (path.empty()) continue;
        std::wstring parameters = ExtraProcessParameters(path);
        SHELLEXECUTEINFOW info{sizeof info};
        info.fMask = SEE_MASK_FLAG_NO_UI;
        info.lpFile = g_app.exePath.c_str();
        info.lpParameters = parameters.c_str();
        info.nShow = SW_SHOWNORMAL;
        ShellExecuteExW(&info);
    }
}

bool ResolveShortcut(const std::wstring& path, std::wstring* target) {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return false;
    bool ok = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t resolved[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(resolved, MAX_PATH, nullptr, 0)) && resolved[0]) {
            *target = resolved;
            ok = true;
        }
        file->Release();
    }
    link->Release();
    return ok;
}

void InitialiseCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_COOL_CLASSES};
    InitCommonControlsEx(&controls);
}

int ShowCommandForSubWindow(int show) {
    return show == SW_SHOWMAXIMIZED || show == SW_SHOWMINNOACTIVE ? show : SW_SHOW;
}

// Step 10.8: what the command line asks a new instance to do. False for /o, which ends start-up
// without the information dialog.
bool InterpretCommandLine(const std::vector<std::wstring>& args, int show, const SettingsReader& reader) {
    CommandLine line = ParseCommandLine(args);
    const int32_t* key = line.hasKey ? &line.memberKey : nullptr;
    HWND view = ViewWindowHandle();
    auto createSub = [&] { EnsureSubWindow(); };
    if (line.hasOption) {
        switch (line.letter) {
        case L'a': // the slideshow runs in full screen
        case L'f':
            ShowWindow(view, SW_SHOWNORMAL);
            createSub();
            EnterFullScreen();
            OpenPathFromRequest(line.path, key);
            if (line.letter == L'a') StartSlideshow();
            return true;
        case L'o':
            createSub();
            RunCommand(kCmdOptions);
            PostMessageW(view, WM_CLOSE, 0, 0);
            return false;
        case L's':
            createSub();
            EnterSubWindow(SW_SHOW);
            OpenPathFromRequest(line.path, key);
            return true;
        case L'v':
            ShowWindow(view, SW_SHOWNORMAL);
            OpenPathFromRequest(line.path, key);
            createSub();
            StartExtraProcesses(line.extraPaths);
            return true;
        default: line.path.clear(); break; // an unknown option starts without a file
        }
    }
    int32_t start = reader.ReadInt(kSlotStart, 0);
    if (start == 1) {
        createSub();
        EnterSubWindow(ShowCommandForSubWindow(show));
        OpenPathFromRequest(line.path, key);
    } else {
        // a shortcut set to start maximised asks for the whole screen
        bool fullScreen = start == 2 || (start == 0 && show == SW_SHOWMAXIMIZED);
        ShowWindow(view, SW_SHOWNORMAL);
        if (show == SW_SHOWMINNOACTIVE && !line.path.empty()) ShowWindow(view, SW_SHOWNORMAL);
        createSub();
        if (fullScreen) EnterFullScreen();
        OpenPathFromRequest(line.path, key);
    }
    StartExtraProcesses(line.extraPaths);
    return true;
}

void SaveWindowPlacements(SettingsWriter& writer) {
    WINDOWPLACEMENT wp{sizeof wp};
    if (ViewWindowHandle() && GetWindowPlacement(ViewWindowHandle(), &wp)) {
        const RECT& r = wp.rcNormalPosition;
        writer.WriteInt(kSlotVwinX, r.left);
        writer.WriteInt(kSlotVwinX + 1, r.top);
        writer.WriteInt(kSlotVwinX + 2, r.right - r.left);
        writer.WriteInt(kSlotVwinX + 3, r.bottom - r.top);
    }
    if (SubWindowHandle() && GetWindowPlacement(SubWindowHandle(), &wp)) {
        const RECT& r = wp.rcNormalPosition;
        writer.WriteInt(kSlotSwinMax, wp.showCmd == SW_SHOWMAXIMIZED ? 1 : 0);
        writer.WriteInt(kSlotSwinX, r.left);
        writer.WriteInt(kSlotSwinX + 1, r.top);
        writer.WriteInt(kSlotSwinX + 2, r.right - r.left);
        writer.WriteInt(kSlotSwinX + 3, r.bottom - r.top);
    }
    writer.WriteInt(kSlotRebarRow, g_settings.RebarRow);
}

void SaveAllSettings() {
    SettingsWriter writer;
    if (writer.Open(g_app.settingsPath)) {
        SaveSettings(writer, g_settings);
        SaveWindowPlacements(writer);
        std::string keys = AcceleratorBlobToStore(StoreAcceleratorTable(g_app.accelerators));
        writer.WriteBlob(kSlotSaveKey, keys.data(), static_cast<uint32_t>(keys.size()));
        writer.Close();
    }
    ReleaseLanguageModule();
}

void ReleaseProcessResources() {
    UninitialiseHtmlHelp();
    CoUninitialize();
    ReleaseUiFont();
    DestroyPrivateHeap();
}

} // namespace

void OpenPathFromRequest(const std::wstring& requested, const int32_t* memberKey) {
    // a request from another instance came absolute; anything else is made so before it is used
    std::wstring path = FullPathOf(requested);
    if (path.empty() || !PathExists(path.c_str())) return;
    if (!AskUnsavedChanges()) return;
    if (EndsWithIgnoreAsciiCase(path, L".lnk") && !ResolveShortcut(FullPathOf(requested), &path)) return;
    if (IsDirectory(path.c_str())) return;
    OpenImageFromPath(FullPathOf(path), memberKey);
}

bool ResolveShortcutTarget(const std::wstring& shortcut, std::wstring* target) {
    return ResolveShortcut(shortcut, target);
}

void StartViewerProcesses(const std::vector<std::wstring>& paths) {
    StartExtraProcesses(paths);
}

void HandleInstanceRequest(const InstanceRequest& request) {
    const int32_t* key = request.memberKey != 0 ? &request.memberKey : nullptr;
    switch (request.letter) {
    case L'o':
        // The sender waits in SendMessage until this request returns: the modal dialog opens
        // after it, or the other instance would hang as long as the dialog stays open.
        PostMessageW(CurrentMainWindow(), WM_COMMAND, kCmdOptions, 0);
        return;
    case L's': EnterSubWindow(); break;
    case L'v': ReturnToViewWindow(); break;
    case L'a':
    case L'f':
        StopSlideshow();
        EnterFullScreen();
        break;
    default: break;
    }
    OpenPathFromRequest(request.path, key);
    if (request.letter == L'a') StartSlideshow();
}

bool ShutDownFromClose(bool askUnsaved) {
    if (askUnsaved && !AskUnsavedChanges()) return false;
    // the open tool goes first: its worker writes into buffers that are freed below
    CancelOpenTool();
    RemoveSubWindowHooks();
    g_settings.RebarRow = SubRebarRowCount(g_settings.RebarRow);
    if (g_session.list.watch) g_session.list.watch->Close();
    FreeImageSession(&g_session); // the save preview's file too
    ReleaseUiBrushes();
    SaveAllSettings();
    DestroyMenus();
    if (g_app.accelerators) DestroyAcceleratorTable(g_app.accelerators);
    g_app.accelerators = nullptr;
    return true;
}

int RunQuorvel(HINSTANCE instance, int show) {
    if (!CreatePrivateHeap()) return 0;
    BuildCrc32Table();
    g_app.osClass = CurrentOsClass();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    InitialiseHtmlHelp();

    g_app.exePath = ExecutablePath();
    g_app.exeFolder = FolderOf(g_app.exePath);
    if (g_app.osClass == 0 || g_app.exePath.empty() ||
        !LocateSettingsFileIn(g_app.exePath, KnownFolder(CSIDL_APPDATA), &g_app.settingsPath)) {
        StartupError(L"Failed to execute file.");
        ReleaseProcessResources();
        return 0;
    }
    // paths on the command line are relative to where the user started us, not to our folder
    std::vector<std::wstring> args = WithFullPaths(Arguments());
    SetCurrentDirectoryW(g_app.exeFolder.c_str()); // the language modules are found from here
    if (IsLegacySettingsFile(g_app.settingsPath)) MigrateLegacySettings(g_app.settingsPath);

    int exitCode = 0;
    {
        SettingsReader reader;
        reader.Open(g_app.settingsPath);
        std::wstring language;
        {
            // the buffer lives on the private heap, which the early exits below destroy
            TextBuffer langFile;
            reader.ReadText(kSlotLangFile, &langFile);
            language = langFile.str();
        }
        HMODULE module = LoadLanguageModule(&language, GetUserDefaultUILanguage());
        if (!module) {
            StartupError(L"Language file not found.");
            reader.Close();
            ReleaseProcessResources();
            return 0;
        }
        SetLanguageModule(module, instance);
        InstallToolFramework(g_app.settingsPath);

        if (HWND running = RunningInstance(reader)) {
            ForwardTo(running, args);
            reader.Close();
            ReleaseLanguageModule();
            ReleaseProcessResources();
            return 0;
        }

        InitUiResources(instance);
        LoadSettings(reader, Ui().documentsFolder, &g_settings);
        g_settings.LangFile = language;
        g_app.accelerators = BuildAcceleratorTable(g_settings.SaveKey);
        CreateUiFont(g_settings.FHeight, g_settings.FWeight);
        CreateMenus();
        CreateUiBrushes();
        RegisterWindowClasses(instance);
        InitialiseCommonControls();
        g_session.list.watch = CreateFolderWatch();
        g_session.list.sortOrder = g_settings.SortOrder;

        InstallProgramHooks();
        InstallPluginSources();
        InstallRarSource();
        SetRarPasswordPrompt(AskRarPassword);
        if (!CreateViewWindow(instance)) {
            reader.Close();
            ReleaseLanguageModule();
            ReleaseProcessResources();
            return 0;
        }
        bool continued = InterpretCommandLine(args, show, reader);
        if (continued && g_settings.MouseInfo)
            RunStartupInfoDialog(CurrentMainWindow(), g_settings.FHeight, &g_settings.MouseInfo);
        reader.Close();
    }

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (StopSlideshowOnInput(message)) continue;
        if (!AcceleratorsSuspended() && !KeyReachesField(message) && g_app.accelerators && ViewWindowHandle() &&
            TranslateAcceleratorW(ViewWindowHandle(), g_app.accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    exitCode = static_cast<int>(message.wParam);
    ReleaseProcessResources();
    return exitCode;
}

} // namespace qv
