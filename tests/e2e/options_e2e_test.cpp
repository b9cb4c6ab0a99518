// The options dialog in the real Quorvel.exe: how it opens (/o, the command, another instance),
// confirmed values written and applied, the language swap with its menus and rebar, and the shell
// registration (associations on a system that allows them, the Send To shortcut).
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "settings/settings_file.h"

namespace qvtest {
namespace {

constexpr int kCtlTab = 3001;
constexpr int kCtlStartSub = 3121, kCtlStartViewer = 3120, kCtlDual = 3130, kCtlFitWin = 3135;
constexpr int kCtlDisplayGamma = 3160, kCtlWheel = 3321;
constexpr int kCtlProgramPath = 3410, kCtlProgramName = 3420;
constexpr int kCtlJpeg = 3622, kCtlTiff = 3624, kCtlBmp = 3620, kCtlSendTo = 3630, kCtlLanguage = 3661;
constexpr int kMainToolBarId = 1022;
constexpr uint32_t kSlotDispGam = 68;
constexpr const wchar_t* kPopupMenuClass = L"#32768";
constexpr const wchar_t* kFileExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";
constexpr const wchar_t* kCommandKey = L"Software\\Classes\\Applications\\Quorvel.exe\\shell\\open\\command";
constexpr const wchar_t* kAppDefaults = L"Software\\Wine\\AppDefaults\\Quorvel.exe";

std::wstring RegistryText(const std::wstring& key, const wchar_t* value) {
    wchar_t data[512] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return L"<none>";
    return data;
}

void SetRegistryText(const std::wstring& key, const wchar_t* value, const std::wstring& data) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), value, REG_SZ, data.c_str(),
                    static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void RemoveAssociations() {
    for (const wchar_t* ext : {L".bmp", L".png", L".jpg", L".jpe", L".jpeg", L".tif", L".tiff", L".gif"})
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kFileExts) + ext).c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Classes\\Applications\\Quorvel.exe");
}

// The Japanese UI font goes into the prefix's font folder, and the face the Japanese module asks
// for is mapped onto it, as a Japanese system would have it.
void InstallJapaneseFont() {
    wchar_t fonts[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_FONTS, nullptr, 0, fonts);
    std::wstring target = std::wstring(fonts) + L"\\ipag.ttf";
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES)
        CopyFileW(WinePath(L"/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf").c_str(), target.c_str(), TRUE);
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        const wchar_t face[] = L"IPAGothic";
        RegSetValueExW(key, L"Meiryo UI", 0, REG_SZ, reinterpret_cast<const BYTE*>(face), sizeof face);
        RegCloseKey(key);
    }
    // the menus draw with the system's menu font, which finds its Japanese characters through the
    // font link, as on a Japanese system
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink", 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        std::wstring links(4096, L'\0');
        DWORD size = static_cast<DWORD>(links.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, L"Tahoma", nullptr, nullptr, reinterpret_cast<BYTE*>(links.data()), &size) !=
            ERROR_SUCCESS)
            size = 0;
        links.resize(size / sizeof(wchar_t));
        const std::wstring ours = L"ipag.ttf,IPAGothic";
        if (links.compare(0, ours.size(), ours) != 0) {
            if (links.empty()) links.push_back(L'\0');
            links = ours + L'\0' + links;
            RegSetValueExW(key, L"Tahoma", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(links.data()),
                           static_cast<DWORD>(links.size() * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
}

// TB_GETBUTTONTEXTW of another process's tool bar: the buffer has to live in that process.
std::wstring RemoteButtonText(const ProcessOwner& process, HWND toolBar, int command) {
    wchar_t text[128] = {};
    void* remote = VirtualAllocEx(process.handle(), nullptr, sizeof text, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return {};
    SIZE_T read = 0;
    LRESULT length = SendMessageW(toolBar, TB_GETBUTTONTEXTW, command, reinterpret_cast<LPARAM>(remote));
    if (length > 0 && length < 127) ReadProcessMemory(process.handle(), remote, text, sizeof text, &read);
    VirtualFreeEx(process.handle(), remote, 0, MEM_RELEASE);
    return text;
}

bool WriteCapture(const Capture& capture, const std::wstring& path) {
    return WriteFileBytes(path,
                          BmpBytes(capture.width, capture.height, [&](int x, int y) { return capture.Pixel(x, y); }));
}

class OptionsTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (DWORD id : {process_.valid() ? process_.id() : 0u, second_.valid() ? second_.id() : 0u})
            if (id)
                for (HWND dialog : FindTopLevelWindows(kDialogClass, id))
                    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
        // the prefix is shared with the other tests: no XP claim or association outlives a failure
        RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
        RemoveAssociations();
    }

    HWND Start(const std::vector<std::wstring>& args, const wchar_t* windowClass = kViewWindowClass) {
        process_ = Launch(folder_.exePath(), args);
        if (!process_.valid()) return nullptr;
        return WaitForProcessWindow(process_, windowClass);
    }
    // The options dialog of `process` (its tab control tells it from other dialogs).
    static HWND WaitForOptions(const ProcessOwner& process) {
        HWND found = nullptr;
        WaitUntil(kStepTimeoutMs, [&] {
            for (HWND d : FindTopLevelWindows(kDialogClass, process.id(), true))
                if (Descendant(d, kCtlTab)) found = d;
            return found != nullptr;
        });
        return found;
    }
    HWND OpenOptions(HWND window) {
        if (!PostCommand(window, qv::kCmdOptions)) return nullptr;
        return WaitForOptions(process_);
    }
    static void Check(HWND dialog, int control, bool on) {
        SendMessageW(Descendant(dialog, control), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    static void SetText(HWND dialog, int control, const wchar_t* text) {
        SendMessageW(Descendant(dialog, control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    static bool Confirm(HWND dialog) {
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return WaitUntilGone(dialog);
    }
    int32_t StoredInt(uint32_t slot) {
        qv::SettingsReader reader;
        return reader.Open(folder_.settingsPath()) ? reader.ReadInt(slot, -1000) : -2000;
    }

    ProgramFolder folder_;
    ProcessOwner process_, second_;
};

TEST_F(OptionsTest, OpensFromTheCommandLineTheCommandAndAnotherInstance) {
    std::vector<SlotValue> slots = {TextSlot(qv::kSlotLangFile, L"English"), IntSlot(qv::kSlotMouseInfo, 0),
                                    IntSlot(qv::kSlotDual, 1), IntSlot(7 /* OptTab */, 2)};
    ASSERT_TRUE(folder_.Create(slots));
    {
        SCOPED_TRACE("/o alone");
        process_ = Launch(folder_.exePath(), {L"/o"});
        HWND dialog = WaitForOptions(process_);
        ASSERT_NE(dialog, nullptr);
        // the stored page is the one shown
        EXPECT_TRUE(IsWindowVisible(Descendant(dialog, kCtlWheel)));
        EXPECT_FALSE(IsWindowVisible(Descendant(dialog, kCtlDual)));
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        EXPECT_TRUE(process_.WaitForExit(kExitTimeoutMs)) << "/o did not end with its dialog";
    }
    HWND view = Start({});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, qv::kCmdListWindow));
    HWND list = WaitForProcessWindow(process_, qv::kListWindowClass, kStepTimeoutMs);
    ASSERT_NE(list, nullptr);
    {
        SCOPED_TRACE("/o handed to the running instance");
        second_ = Launch(folder_.exePath(), {L"/o"});
        EXPECT_TRUE(second_.WaitForExit(kExitTimeoutMs));
        HWND dialog = WaitForOptions(process_);
        ASSERT_NE(dialog, nullptr);
        EXPECT_FALSE(IsWindowEnabled(list)) << "the list window stays usable under the dialog";
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntilGone(dialog));
        EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsWindowEnabled(list) != FALSE; }));
    }
    {
        SCOPED_TRACE("the command");
        HWND dialog = OpenOptions(view);
        ASSERT_NE(dialog, nullptr);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitUntilGone(dialog));
    }
}

// Start and Dual reach the file at once; the gamma field's decimal becomes thousandths (0 gives
// 1); FitWin off gives the window back its stored free placement; the programs are written at exit.
TEST_F(OptionsTest, ConfirmedValuesAreWrittenAndApplied) {
    std::vector<SlotValue> slots = QuietSettings();
    for (SlotValue v : {IntSlot(qv::kSlotFitWin, 1), IntSlot(qv::kSlotVwinX, 120), IntSlot(qv::kSlotVwinX + 1, 90),
                        IntSlot(qv::kSlotVwinX + 2, 500), IntSlot(qv::kSlotVwinX + 3, 380)})
        slots.push_back(v);
    ASSERT_TRUE(folder_.Create(slots));
    const std::wstring image = folder_.File(L"image.bmp");
    ASSERT_TRUE(WriteFileBytes(image, SolidBmpBytes(64, 48, RGB(40, 160, 40))));
    HWND view = Start({image});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view, L"image.bmp"));

    HWND dialog = OpenOptions(view);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(Descendant(dialog, kCtlFitWin), BM_GETCHECK, 0, 0), BST_CHECKED);
    Check(dialog, kCtlStartViewer, false);
    Check(dialog, kCtlStartSub, true);
    Check(dialog, kCtlDual, true);
    Check(dialog, kCtlFitWin, false);
    SetText(dialog, kCtlDisplayGamma, L"1.8");
    SetText(dialog, kCtlProgramPath, folder_.exePath().c_str());
    SetText(dialog, kCtlProgramName, L"Myself");
    ASSERT_TRUE(Confirm(dialog));

    // written while the program still runs (the dialog is gone before its values are applied)
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return StoredInt(qv::kSlotStart) == 1; }));
    EXPECT_EQ(StoredInt(qv::kSlotDual), 1);
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        RECT r{};
        GetWindowRect(view, &r);
        return r.left == 120 && r.top == 90 && r.right - r.left == 500 && r.bottom - r.top == 380;
    })) << "FitWin off did not restore the stored placement";

    dialog = OpenOptions(view);
    ASSERT_NE(dialog, nullptr);
    wchar_t gamma[16] = {};
    SendMessageW(Descendant(dialog, kCtlDisplayGamma), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(gamma));
    EXPECT_STREQ(gamma, L"1.8"); // shown from the stored 1800
    SetText(dialog, kCtlDisplayGamma, L"0");
    ASSERT_TRUE(Confirm(dialog));
    ASSERT_TRUE(CloseAndWait(view, process_));
    EXPECT_EQ(StoredInt(kSlotDispGam), 1);
    EXPECT_EQ(StoredInt(qv::kSlotFitWin), 0);
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(folder_.settingsPath()));
    qv::TextBuffer path, name;
    reader.ReadText(qv::kSlotApp0, &path);
    reader.ReadText(qv::kSlotAn0, &name);
    EXPECT_EQ(path.str(), folder_.exePath());
    EXPECT_EQ(name.str(), L"Myself");
}

// Choosing Japanese rebuilds the rebar's tool bar and the menus in the new language; the
// screenshot of the open menu is kept beside the test for a look.
TEST_F(OptionsTest, JapaneseReplacesTheMenuAndRebarTexts) {
    InstallJapaneseFont();
    std::vector<SlotValue> slots = QuietSettings();
    slots.push_back(IntSlot(qv::kSlotStart, 1));
    ASSERT_TRUE(folder_.Create(slots));
    const std::wstring image = folder_.File(L"image.bmp");
    ASSERT_TRUE(WriteFileBytes(image, SolidBmpBytes(64, 48, RGB(40, 160, 40))));
    HWND sub = Start({image}, kSubWindowClass);
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(sub, L"image.bmp"));
    auto openText = [&] { return RemoteButtonText(process_, Descendant(sub, kMainToolBarId), qv::kCmdOpen); };
    ASSERT_EQ(openText(), L"Open");
    auto menuWidth = [&] {
        PostMessageW(sub, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(sub), MAKELPARAM(-1, -1));
        HWND menu = WaitForProcessWindow(process_, kPopupMenuClass, kStepTimeoutMs);
        RECT r{};
        if (menu) GetWindowRect(menu, &r);
        return std::make_pair(menu, r);
    };
    auto [englishMenu, englishRect] = menuWidth();
    ASSERT_NE(englishMenu, nullptr);
    PostKey(sub, VK_ESCAPE);
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindowVisible(englishMenu); }));

    HWND dialog = OpenOptions(sub);
    ASSERT_NE(dialog, nullptr);
    HWND languages = Descendant(dialog, kCtlLanguage);
    LRESULT japanese =
        SendMessageW(languages, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Japanese"));
    ASSERT_NE(japanese, CB_ERR) << "the language list lacks the Japanese module";
    SendMessageW(languages, CB_SETCURSEL, japanese, 0);
    ASSERT_TRUE(Confirm(dialog));

    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return openText() == L"\u958b\u304f"; })) << qv::WideToUtf8(openText());
    dialog = OpenOptions(sub);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowTitle(dialog), L"\u30aa\u30d7\u30b7\u30e7\u30f3");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(dialog));

    ASSERT_TRUE(BringToFront(sub));
    auto [menu, rect] = menuWidth();
    ASSERT_NE(menu, nullptr);
    EXPECT_NE(rect.right - rect.left, englishRect.right - englishRect.left) << "the menu kept its English texts";
    ASSERT_TRUE(WaitUntilPainted(menu));
    Capture capture;
    ASSERT_TRUE(CaptureClientArea(menu, &capture));
    EXPECT_FALSE(capture.IsUniform()) << "the menu shows no text";
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring shot = exe;
    shot = shot.substr(0, shot.find_last_of(L"\\/") + 1) + L"options_japanese_menu.bmp";
    EXPECT_TRUE(WriteCapture(capture, shot));
    PostKey(sub, VK_ESCAPE);
    ASSERT_TRUE(CloseAndWait(sub, process_));
    EXPECT_EQ(StoredInt(qv::kSlotFHeight), -12);
}

// With the program told it runs on XP: JPEG alone writes its three extensions and the command;
// clearing TIFF removes only the value that still names us. The Send To box creates and removes
// the shortcut. On the prefix's own (later) version the boxes cannot be changed.
TEST_F(OptionsTest, AssociationsOnXpAndTheSendToShortcut) {
    RemoveAssociations();
    SetRegistryText(kAppDefaults, L"Version", L"winxp64");
    ASSERT_TRUE(folder_.Create(QuietSettings()));
    HWND view = Start({});
    ASSERT_NE(view, nullptr);
    HWND dialog = OpenOptions(view);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(IsWindowEnabled(Descendant(dialog, kCtlJpeg))) << "the boxes are disabled under XP";
    Check(dialog, kCtlJpeg, true);
    Check(dialog, kCtlTiff, true);
    Check(dialog, kCtlSendTo, true);
    ASSERT_TRUE(Confirm(dialog));
    const std::wstring exe = WinePath(folder_.exePath());
    wchar_t sendTo[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_SENDTO, nullptr, 0, sendTo);
    const std::wstring shortcut = std::wstring(sendTo) + L"\\Quorvel.lnk";
    // the dialog is gone before its values are applied; the shortcut comes last
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return GetFileAttributesW(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES;
    })) << "no Send To shortcut";
    for (const wchar_t* ext : {L".jpg", L".jpe", L".jpeg", L".tif", L".tiff"})
        EXPECT_EQ(RegistryText(std::wstring(kFileExts) + ext, L"Application"), L"Quorvel.exe") << ext;
    EXPECT_EQ(RegistryText(std::wstring(kFileExts) + L".bmp", L"Application"), L"<none>");
    std::wstring command = RegistryText(kCommandKey, nullptr);
    EXPECT_NE(command.find(L"\" \"%1\""), std::wstring::npos) << qv::WideToUtf8(command);
    EXPECT_EQ(_wcsnicmp(command.c_str() + 1, exe.c_str(), exe.size()), 0) << qv::WideToUtf8(command);

    // another program took .tiff meanwhile
    SetRegistryText(std::wstring(kFileExts) + L".tiff", L"Application", L"Other.exe");
    dialog = OpenOptions(view);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(SendMessageW(Descendant(dialog, kCtlTiff), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Descendant(dialog, kCtlSendTo), BM_GETCHECK, 0, 0), BST_CHECKED);
    Check(dialog, kCtlTiff, false);
    Check(dialog, kCtlSendTo, false);
    ASSERT_TRUE(Confirm(dialog));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return GetFileAttributesW(shortcut.c_str()) == INVALID_FILE_ATTRIBUTES;
    })) << "the shortcut stayed";
    EXPECT_EQ(RegistryText(std::wstring(kFileExts) + L".tif", L"Application"), L"<none>");
    EXPECT_EQ(RegistryText(std::wstring(kFileExts) + L".tiff", L"Application"), L"Other.exe");
    EXPECT_EQ(RegistryText(std::wstring(kFileExts) + L".jpg", L"Application"), L"Quorvel.exe");
    ASSERT_TRUE(CloseAndWait(view, process_));

    RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
    view = Start({});
    ASSERT_NE(view, nullptr);
    dialog = OpenOptions(view);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowEnabled(Descendant(dialog, kCtlBmp))) << "the boxes stay editable after XP";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntilGone(dialog));
    RemoveAssociations();
}

} // namespace
} // namespace qvtest
