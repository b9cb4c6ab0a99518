// Commands reaching the real Quorvel.exe: the default keys with no stored keys, the context menu
// on a right click, the key-configuration dialog (from the options dialog), and stored keys after
// a restart.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "settings/accelerator_blob.h"
#include "settings/settings_file.h"

namespace qvtest {
namespace {

constexpr const wchar_t* kPopupMenuClass = L"#32768";

class CommandsTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    // Starts the program and waits for its visible ViewWindow.
    HWND Start(const std::vector<std::wstring>& args = {}) {
        process_ = Launch(folder_.exePath(), args);
        if (!process_.valid()) return nullptr;
        return WaitForProcessWindow(process_, kViewWindowClass);
    }

    HWND WaitForWindowOfClass(const wchar_t* className) {
        return WaitForProcessWindow(process_, className, kStepTimeoutMs);
    }

    bool WaitForWidth(HWND window, int expected) {
        return WaitUntil(kStepTimeoutMs, [&] { return WindowWidth(window) == expected; });
    }

    // The key configuration opens from the options dialog's button 3260; `options` is confirmed
    // (ConfirmOptions) once the keys are given, which is when they take effect.
    HWND OpenKeyConfiguration(HWND view, HWND* options) {
        *options = nullptr;
        if (!PostCommand(view, qv::kCmdOptions)) return nullptr;
        WaitUntil(kStepTimeoutMs, [&] {
            for (HWND d : FindTopLevelWindows(kDialogClass, process_.id(), true))
                if (Descendant(d, 3001)) *options = d;
            return *options != nullptr;
        });
        HWND button = *options ? Descendant(*options, 3260) : nullptr;
        if (!button) return nullptr;
        PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(3260, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return WaitForDialogOtherThan(process_, *options);
    }
    // The error box over the key configuration, which lies over the options dialog.
    HWND WaitForErrorBox(HWND keys, HWND options) {
        HWND found = nullptr;
        WaitUntil(kStepTimeoutMs, [&] {
            for (HWND d : FindTopLevelWindows(kDialogClass, process_.id(), true))
                if (d != keys && d != options) found = d;
            return found != nullptr;
        });
        return found;
    }
    static bool ConfirmOptions(HWND options, UINT button = IDOK) {
        PostMessageW(options, WM_COMMAND, button, 0);
        return WaitUntilGone(options);
    }

    static int WindowWidth(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return r.right - r.left;
    }

    ProgramFolder folder_;
    ProcessOwner process_;
};

// Only MouseInfo = 0: no stored keys, so the defaults apply (and no information dialog).
std::vector<SlotValue> NoStoredKeys() {
    return {IntSlot(qv::kSlotMouseInfo, 0)};
}

TEST_F(CommandsTest, DefaultKeysOpenTheOpenDialogAndEscCloses) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    HWND view = Start();
    ASSERT_NE(view, nullptr);

    ASSERT_TRUE(TypeKey(view, 'O', true));
    HWND dialog = WaitForWindowOfClass(kDialogClass);
    ASSERT_NE(dialog, nullptr) << "Ctrl+O did not open the open dialog";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitUntilGone(dialog);
    ASSERT_FALSE(IsWindow(dialog));

    ASSERT_TRUE(PostKey(view, VK_ESCAPE));
    DWORD exitCode = 1;
    EXPECT_TRUE(process_.WaitForExit(kExitTimeoutMs, &exitCode)) << "Esc did not close the program";
    EXPECT_EQ(exitCode, 0u);
}

// A tall image fits at a fraction of its width; Space shows it at 100 % (a wider window) and back.
TEST_F(CommandsTest, SpaceTogglesBetweenFitAndActualSize) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    std::wstring image = folder_.File(L"tall.bmp");
    ASSERT_TRUE(WriteFileBytes(image, SolidBmpBytes(600, 4000, RGB(30, 120, 200))));
    HWND view = Start({image});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view, L"tall.bmp"));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return WindowWidth(view) < 450; }))
        << "the tall image should be shown reduced; width " << WindowWidth(view);
    int fitted = WindowWidth(view);

    ASSERT_TRUE(PostKey(view, VK_SPACE));
    WaitUntil(kStepTimeoutMs, [&] { return !(WindowWidth(view) == fitted); });
    EXPECT_GE(WindowWidth(view), 600) << "Space did not show 100 %";

    ASSERT_TRUE(PostKey(view, VK_SPACE));
    EXPECT_TRUE(WaitForWidth(view, fitted)) << "Space did not fit again; width " << WindowWidth(view);
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(CommandsTest, RightClickOpensTheOwnerDrawnContextMenu) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    HWND view = Start();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(BringToFront(view));
    RECT r{};
    GetWindowRect(view, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
    ASSERT_EQ(SendInput(2, clicks, sizeof(INPUT)), 2u);

    HWND menu = WaitForWindowOfClass(kPopupMenuClass);
    ASSERT_NE(menu, nullptr) << "no popup menu after a right click";
    // owner-drawn items that drew nothing would leave the menu one flat colour; the items fill
    // their background with the menu colour, not black (polled until the menu is drawn)
    Capture shot;
    WaitUntil(kStepTimeoutMs, [&] {
        return CaptureClientArea(menu, &shot) && !shot.IsUniform() &&
               shot.Pixel(shot.width / 2, 3) == GetSysColor(COLOR_MENU);
    });
    EXPECT_FALSE(shot.IsUniform()) << "the menu items drew no text";
    // the items fill their background with the menu colour, not black
    COLORREF corner = shot.Pixel(shot.width / 2, 3);
    EXPECT_EQ(corner, GetSysColor(COLOR_MENU)) << std::hex << corner;
    RECT m{};
    GetWindowRect(menu, &m);
    EXPECT_GT(m.bottom - m.top, 9 * 12) << "nine items in the main popup";

    ASSERT_TRUE(TypeKey(view, VK_ESCAPE));
    WaitUntil(kStepTimeoutMs, [&] { return !(IsWindowVisible(menu)); });
    EXPECT_FALSE(IsWindowVisible(menu));
    EXPECT_FALSE(process_.HasExited()) << "the Esc that closed the menu must not close the program";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

// A chord click (left pressed while right is held) runs the LRClick action when the second button
// comes up, here minimise, and the right button's release opens no context menu.
TEST_F(CommandsTest, AChordClickRunsItsActionAndOpensNoMenu) {
    ASSERT_TRUE(folder_.Create({IntSlot(qv::kSlotMouseInfo, 0), IntSlot(4 /* LRClick */, 3)}));
    HWND view = Start();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(BringToFront(view));
    RECT r{};
    GetWindowRect(view, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT clicks[4] = {};
    const DWORD order[4] = {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = order[i];
    }
    ASSERT_EQ(SendInput(4, clicks, sizeof(INPUT)), 4u);
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return IsIconic(view) != FALSE; })) << "the chord did not minimise";
    EXPECT_TRUE(FindTopLevelWindows(kPopupMenuClass, WindowProcessId(view), true).empty()) << "a menu opened";
    EXPECT_TRUE(CloseAndWait(view, process_));
}

// 5515 shows the start-up notes again; unticking "do not show again" brings them back at the next
// start. 5740 switches the SubWindow's navigator on, and the setting outlives the program.
TEST_F(CommandsTest, StartupNotesAgainAndTheSubWindowNavigator) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    std::wstring image = folder_.File(L"wide.bmp");
    ASSERT_TRUE(WriteFileBytes(image, SolidBmpBytes(900, 700, RGB(30, 120, 200))));
    HWND view = Start({image});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, qv::kCmdStartupInfo));
    HWND notes = WaitForWindowOfClass(kDialogClass);
    ASSERT_NE(notes, nullptr) << "5515 showed no dialog";
    EXPECT_EQ(IsDlgButtonChecked(notes, 4501), BST_CHECKED) << "MouseInfo 0 shows the box ticked";
    SendMessageW(GetDlgItem(notes, 4501), BM_SETCHECK, BST_UNCHECKED, 0);
    PostMessageW(notes, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntilGone(notes));

    ASSERT_TRUE(PostCommand(view, qv::kCmdSubWindow));
    HWND sub = WaitForWindowOfClass(kSubWindowClass);
    ASSERT_NE(sub, nullptr);
    auto navigatorShown = [&] { return !FindTopLevelWindows(qv::kNavigatorClass, WindowProcessId(sub), true).empty(); };
    EXPECT_FALSE(navigatorShown());
    ASSERT_TRUE(PostCommand(sub, qv::kCmdSubNavigator));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, navigatorShown)) << "5740 showed no navigator";
    ASSERT_TRUE(PostCommand(sub, qv::kCmdSubWindow)); // back to the ViewWindow: the navigator goes
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !navigatorShown(); }));
    EXPECT_TRUE(CloseAndWait(view, process_));

    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(folder_.settingsPath()));
    EXPECT_EQ(reader.ReadInt(qv::kSlotMouseInfo, -1), 1);
    EXPECT_EQ(reader.ReadInt(60 /* NaviDisp */, -1), 1);
}

TEST_F(CommandsTest, KeyConfigurationDialogListsEveryCommandAndKey) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    HWND view = Start();
    ASSERT_NE(view, nullptr);
    HWND options = nullptr;
    HWND dialog = OpenKeyConfiguration(view, &options);
    ASSERT_NE(dialog, nullptr);
    HWND commands = GetDlgItem(dialog, 3710);
    HWND keys = GetDlgItem(dialog, 3720);
    ASSERT_NE(commands, nullptr);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(WindowClassName(commands), L"SysListView32");
    EXPECT_EQ(SendMessageW(commands, LVM_GETITEMCOUNT, 0, 0), 122);
    EXPECT_EQ(SendMessageW(keys, LB_GETCOUNT, 0, 0), 91);
    for (int id : {3730, 3731, 3740, 3741, 3742, 3743})
        EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;

    // Assign without a chosen command: the error box, and the dialog stays
    PostMessageW(dialog, WM_COMMAND, 3740, 0);
    HWND error = WaitForErrorBox(dialog, options);
    ASSERT_NE(error, nullptr) << "no error box for an assignment without a command";
    EXPECT_EQ(WindowTitle(error), L"Keyboard shortcuts");
    PostMessageW(error, WM_COMMAND, IDOK, 0);
    WaitUntilGone(error);

    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitUntilGone(dialog);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_TRUE(ConfirmOptions(options, IDCANCEL));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

// Slot 30 holding only "5703 = N": N steps to the next image, Down no longer does, and the table
// is written back as it was.
TEST_F(CommandsTest, StoredKeysApplyAfterARestart) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    std::string blob = qv::EncodeAccelerators({qv::AccelEntry{FVIRTKEY, 'N', 5703}});
    {
        qv::SettingsWriter writer;
        ASSERT_TRUE(writer.Open(folder_.settingsPath(), true));
        writer.WriteText(qv::kSlotLangFile, L"English");
        writer.WriteInt(qv::kSlotMouseInfo, 0);
        writer.WriteBlob(qv::kSlotSaveKey, blob.data(), static_cast<uint32_t>(blob.size()));
        ASSERT_TRUE(writer.Close());
    }
    ASSERT_TRUE(WriteFileBytes(folder_.File(L"a.bmp"), SolidBmpBytes(40, 30, RGB(255, 0, 0))));
    ASSERT_TRUE(WriteFileBytes(folder_.File(L"b.bmp"), SolidBmpBytes(40, 30, RGB(0, 0, 255))));
    HWND view = Start({folder_.File(L"a.bmp")});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view, L"a.bmp"));

    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return WindowTitle(view).find(L"a.bmp") != std::wstring::npos; }))
        << "Down kept its default key";
    ASSERT_TRUE(PostKey(view, 'N'));
    EXPECT_TRUE(WaitForTitleContaining(view, L"b.bmp", kStepTimeoutMs)) << "N did not step to the next image";
    ASSERT_TRUE(CloseAndWait(view, process_));

    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(folder_.settingsPath()));
    const qv::SettingsSlot* slot = reader.Slot(qv::kSlotSaveKey);
    ASSERT_NE(slot, nullptr);
    ASSERT_TRUE(slot->IsBlob()) << "the key table was not saved";
    std::string saved = ReadFileBytes(folder_.settingsPath());
    ASSERT_LE(static_cast<size_t>(slot->first) + slot->second, saved.size());
    EXPECT_EQ(saved.substr(slot->first, slot->second), blob) << "the stored table should be written back as read";
}

// Accelerators are dropped while the ViewWindow is minimised, except End (minimise/restore).
TEST_F(CommandsTest, MinimisedWindowTakesOnlyTheRestoreKey) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    HWND view = Start();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostKey(view, VK_END));
    WaitUntil(kStepTimeoutMs, [&] { return !(!IsIconic(view)); });
    ASSERT_TRUE(IsIconic(view)) << "End did not minimise";

    ASSERT_TRUE(PostKey(view, VK_ESCAPE));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return !process_.HasExited(); })) << "Esc reached the minimised window";

    ASSERT_TRUE(PostKey(view, VK_END));
    WaitUntil(kStepTimeoutMs, [&] { return !(IsIconic(view)); });
    EXPECT_FALSE(IsIconic(view)) << "End did not restore";
    ASSERT_TRUE(PostKey(view, VK_ESCAPE));
    EXPECT_TRUE(process_.WaitForExit(kExitTimeoutMs)) << "Esc after restoring did not close";
}

// The text of a message box's static control.
std::wstring MessageBoxText(HWND box) {
    wchar_t text[512] = {};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowClassName(child) == L"Static" && GetWindowTextW(child, text, 512) > 0 && wcslen(text) > 3)
            return text;
    return {};
}

// Keys given in the dialog: Home picks the first command (Open), then the key N. Assigning
// N a second time is refused; confirmed, N opens the open dialog, also after a restart.
TEST_F(CommandsTest, KeyChangedInTheDialogSurvivesARestart) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    HWND view = Start();
    ASSERT_NE(view, nullptr);
    HWND options = nullptr;
    HWND dialog = OpenKeyConfiguration(view, &options);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(TypeKey(dialog, VK_HOME));
    HWND commands = GetDlgItem(dialog, 3710);
    HWND keys = GetDlgItem(dialog, 3720);
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return SendMessageW(commands, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED) == 0;
    })) << "Home did not select the first command";
    // the list box's type-ahead differs between systems: choose N by its item data
    LRESULT count = SendMessageW(keys, LB_GETCOUNT, 0, 0);
    LRESULT keyN = LB_ERR;
    for (LRESULT i = 0; i < count; ++i)
        if (SendMessageW(keys, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == 'N') keyN = i;
    ASSERT_NE(keyN, LB_ERR);
    SendMessageW(keys, LB_SETCURSEL, static_cast<WPARAM>(keyN), 0);
    // choosing Open showed its Ctrl+O in the boxes; N goes without modifiers
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, 3730), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(GetDlgItem(dialog, 3730), BM_SETCHECK, BST_UNCHECKED, 0);

    // posted to one window, the two presses are handled in order: the error answers the second
    PostMessageW(dialog, WM_COMMAND, 3740, 0);
    // the same key again: refused, the selected entry holding it counts too
    PostMessageW(dialog, WM_COMMAND, 3740, 0);
    HWND error = WaitForErrorBox(dialog, options);
    ASSERT_NE(error, nullptr) << "a key given twice was not refused";
    EXPECT_NE(MessageBoxText(error).find(L"already assigned"), std::wstring::npos) << MessageBoxText(error);
    PostMessageW(error, WM_COMMAND, IDOK, 0);
    WaitUntilGone(error);
    PostMessageW(dialog, WM_COMMAND, 3743, 0);
    WaitUntilGone(dialog);
    ASSERT_FALSE(IsWindow(dialog));
    ASSERT_TRUE(ConfirmOptions(options));

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run == 0 ? "after the dialog" : "after a restart");
        ASSERT_TRUE(TypeKey(view, 'N'));
        HWND open = WaitForWindowOfClass(kDialogClass);
        ASSERT_NE(open, nullptr) << "N did not open the open dialog";
        PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
        WaitUntilGone(open);
        ASSERT_TRUE(CloseAndWait(view, process_));
        if (run == 0) {
            view = Start();
            ASSERT_NE(view, nullptr);
        }
    }
}

// Slot 30 gives Open the key N. Removing that last key in the dialog leaves no shortcut at all,
// also after a restart: neither N nor the default Ctrl+O come back.
TEST_F(CommandsTest, RemovingTheLastShortcutSticksAfterARestart) {
    ASSERT_TRUE(folder_.Create(NoStoredKeys()));
    std::string blob = qv::EncodeAccelerators({qv::AccelEntry{FVIRTKEY, 'N', 5010}});
    {
        qv::SettingsWriter writer;
        ASSERT_TRUE(writer.Open(folder_.settingsPath(), true));
        writer.WriteText(qv::kSlotLangFile, L"English");
        writer.WriteInt(qv::kSlotMouseInfo, 0);
        writer.WriteBlob(qv::kSlotSaveKey, blob.data(), static_cast<uint32_t>(blob.size()));
        ASSERT_TRUE(writer.Close());
    }
    HWND view = Start();
    ASSERT_NE(view, nullptr);
    HWND options = nullptr;
    HWND dialog = OpenKeyConfiguration(view, &options);
    ASSERT_NE(dialog, nullptr);
    PumpMessages(300);
    ASSERT_TRUE(TypeKey(dialog, VK_HOME));
    PumpMessages(300);
    ASSERT_EQ(SendMessageW(GetDlgItem(dialog, 3710), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    PostMessageW(dialog, WM_COMMAND, 3741, 0); // remove the key
    PumpMessages(300);
    PostMessageW(dialog, WM_COMMAND, 3743, 0);
    ASSERT_TRUE(WaitUntilGone(dialog));
    ASSERT_TRUE(ConfirmOptions(options));

    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run == 0 ? "after the dialog" : "after a restart");
        ASSERT_TRUE(TypeKey(view, 'N'));
        EXPECT_EQ(WaitForProcessWindow(process_, kDialogClass, 1500), nullptr) << "N still opens the open dialog";
        ASSERT_TRUE(TypeKey(view, 'O', true));
        EXPECT_EQ(WaitForProcessWindow(process_, kDialogClass, 1500), nullptr) << "the default keys came back";
        ASSERT_TRUE(CloseAndWait(view, process_));
        if (run == 0) {
            view = Start();
            ASSERT_NE(view, nullptr);
        }
    }
}

} // namespace
} // namespace qvtest
