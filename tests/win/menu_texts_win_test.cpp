// The shipped language modules against the menu tree and the key configuration: every item and
// configurable command has its text, the suffixes fit, and template 3700 builds its controls.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "shipped_modules_win.h"

#include "model/command_ids.h"
#include "model/menu_tree.h"
#include "model/ui_strings.h"
#include "settings/accelerator_blob.h"
#include "ui/language_module_win.h"

namespace qv {
namespace {

using qvtest::ShippedModule;

class ShippedMenuTextsTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
        HMODULE module = LoadLibraryW(ShippedModule(GetParam()).c_str());
        ASSERT_NE(module, nullptr);
        SetLanguageModule(module, GetModuleHandleW(nullptr));
    }
    void TearDown() override { ReleaseLanguageModule(); }
};

TEST_P(ShippedMenuTextsTest, EveryMenuItemAndSubmenuHasItsText) {
    for (const MenuPopupLayout& popup : MenuPopups())
        for (int32_t item : popup.items) {
            EXPECT_FALSE(UiText(item).empty()) << item;
            EXPECT_LE(UiText(item + kMenuSuffixOffset).size(), 32u) << item;
        }
    for (uint32_t n : {kStrSubWindowItemBack, kStrFullScreenItemLeave})
        EXPECT_FALSE(UiText(n).empty()) << n;
    EXPECT_FALSE(UiText(kCmdNoExternalProgram).empty());
    for (int32_t n = 0; n < kExternalProgramCount; ++n)
        EXPECT_FALSE(UiText(kCmdExternalProgramFirst + n).empty()) << n;
    // dialog commands say so
    EXPECT_EQ(UiText(kCmdOpen + kMenuSuffixOffset), L"...");
    EXPECT_TRUE(UiText(kCmdCopy + kMenuSuffixOffset).empty());
}

TEST_P(ShippedMenuTextsTest, KeyListNamesEveryConfigurableCommand) {
    for (const AccelEntry& e : DefaultAcceleratorEntries())
        EXPECT_FALSE(UiText(e.command).empty()) << e.command;
    for (uint32_t n = kStrKeyColumnCommand; n <= kStrKeyResetQuestion; ++n)
        EXPECT_FALSE(UiText(n).empty()) << n;
}

TEST_P(ShippedMenuTextsTest, KeyConfigurationTemplateBuildsItsControls) {
    HWND dialog = CreateModelessDialog(kDlgKeyConfig, nullptr, qvtest::QuietDialogProc, 0, -12);
    ASSERT_NE(dialog, nullptr) << "template 3700 missing or without DS_SETFONT";
    wchar_t className[64] = {};
    GetClassNameW(GetDlgItem(dialog, kCtlKeyCommandList), className, 64);
    EXPECT_STREQ(className, L"SysListView32");
    GetClassNameW(GetDlgItem(dialog, kCtlKeyList), className, 64);
    EXPECT_STREQ(className, L"ListBox");
    EXPECT_EQ(GetWindowLongW(GetDlgItem(dialog, kCtlKeyCommandList), GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    for (int id : {int{kCtlKeyCtrl}, int{kCtlKeyShift}, int{kCtlKeyAssign}, int{kCtlKeyRemove}, int{kCtlKeyDefaults},
                   int{kCtlKeyClose}, IDCANCEL})
        EXPECT_NE(GetDlgItem(dialog, id), nullptr) << id;
    DestroyWindow(dialog);
}

INSTANTIATE_TEST_SUITE_P(Modules, ShippedMenuTextsTest, ::testing::Values(L"English", L"Japanese"),
                         [](const auto& info) { return info.param[0] == L'E' ? "English" : "Japanese"; });

} // namespace
} // namespace qv
