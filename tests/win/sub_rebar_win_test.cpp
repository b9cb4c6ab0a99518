// The SubWindow's rebar inside this process: the shipped texts it shows, the seam where the tools
// add and remove their bands (the panes move with the rebar's height), and which key messages the
// accelerators leave to a field.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "shipped_modules_win.h"

#include "model/ui_strings.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/display_modes_win.h"
#include "viewer/sub_hooks_win.h"
#include "viewer/sub_rebar_win.h"
#include "viewer/view_window_win.h"

namespace qv {
namespace {

void UseModule(const wchar_t* name) {
    HMODULE module = LoadLibraryW(qvtest::ShippedModule(name).c_str());
    ASSERT_NE(module, nullptr) << "no " << name << ".dll beside the tests";
    SetLanguageModule(module, GetModuleHandleW(nullptr));
}

class RebarTextsTest : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void TearDown() override { ReleaseLanguageModule(); }
};

TEST_P(RebarTextsTest, EveryLabelAndListItemHasItsText) {
    UseModule(GetParam());
    for (uint32_t n = kStrBarOpen; n <= kStrBarMarkersFirst + 2; ++n)
        EXPECT_FALSE(UiText(n).empty()) << n;
}

INSTANTIATE_TEST_SUITE_P(Shipped, RebarTextsTest, ::testing::Values(L"English", L"Japanese"));

// One SubWindow for the whole suite: the rebar lives as long as the process.
class SubRebarBandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        UseModule(L"English");
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_COOL_CLASSES};
        InitCommonControlsEx(&controls);
        InitUiResources(GetModuleHandleW(nullptr));
        RegisterWindowClasses(Ui().instance);
        ASSERT_NE(EnsureSubWindow(), nullptr); // without a ViewWindow to own it
        ShowWindow(SubWindowHandle(), SW_SHOW);
        LayOutSubWindow();
    }
    static void TearDownTestSuite() {
        if (SubWindowHandle()) DestroyWindow(SubWindowHandle());
        ReleaseLanguageModule();
    }

    static int32_t PaneTop() {
        HWND pane = FindWindowExW(SubWindowHandle(), nullptr, kPane1Class, nullptr);
        RECT r{};
        GetWindowRect(pane, &r);
        MapWindowPoints(nullptr, SubWindowHandle(), reinterpret_cast<POINT*>(&r), 2);
        return r.top;
    }
    static int32_t RebarBottom() {
        RECT r{};
        GetWindowRect(SubRebarWindow(), &r);
        MapWindowPoints(nullptr, SubWindowHandle(), reinterpret_cast<POINT*>(&r), 2);
        return r.bottom;
    }
};

TEST_F(SubRebarBandsTest, AToolBandPushesThePanesDownAndRemovingItGivesTheRoomBack) {
    HWND rebar = SubRebarWindow();
    ASSERT_NE(rebar, nullptr);
    ASSERT_EQ(SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0), 2);
    int32_t top = PaneTop();
    EXPECT_EQ(top, RebarBottom());

    HWND panel = CreateRebarPanel(rebar, 1900, nullptr);
    ASSERT_NE(panel, nullptr);
    SetWindowPos(panel, nullptr, 0, 0, 300, 40, SWP_NOZORDER);
    ASSERT_TRUE(AddSubRebarBand(panel, L"Tool", 40));
    EXPECT_EQ(SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(rebar, RB_GETROWCOUNT, 0, 0), 3) << "a tool band takes a row of its own";
    EXPECT_GE(PaneTop(), top + 40);
    EXPECT_EQ(PaneTop(), RebarBottom());

    ASSERT_TRUE(RemoveSubRebarBand(panel));
    EXPECT_FALSE(RemoveSubRebarBand(panel)) << "a band is removed once";
    EXPECT_EQ(SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0), 2);
    EXPECT_EQ(PaneTop(), top);
    DestroyWindow(panel);
    EXPECT_EQ(SubRebarRowCount(7), 2);
}

TEST(KeyReachesField, KeysForEditsAndListsSkipTheAccelerators) {
    HWND edit = CreateWindowExW(0, L"EDIT", nullptr, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExW(0, L"COMBOBOX", nullptr, WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 50, 80, nullptr, nullptr,
                                nullptr, nullptr);
    HWND button = CreateWindowExW(0, L"BUTTON", nullptr, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(edit && list && button);
    MSG m{};
    m.hwnd = edit;
    for (UINT key : {WM_KEYDOWN, WM_CHAR, WM_KEYUP, WM_SYSKEYDOWN}) {
        m.message = key;
        EXPECT_TRUE(KeyReachesField(m)) << key;
    }
    m.message = WM_LBUTTONDOWN;
    EXPECT_FALSE(KeyReachesField(m));
    m.message = WM_KEYDOWN;
    m.hwnd = list;
    EXPECT_TRUE(KeyReachesField(m));
    m.hwnd = button;
    EXPECT_FALSE(KeyReachesField(m)) << "a button keeps the accelerators";
    m.hwnd = nullptr;
    EXPECT_FALSE(KeyReachesField(m));
    DestroyWindow(edit);
    DestroyWindow(list);
    DestroyWindow(button);
}

} // namespace
} // namespace qv
