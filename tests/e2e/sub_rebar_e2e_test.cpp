// The SubWindow's rebar in the real Quorvel.exe: the panes below it, the zoom field showing and
// setting the zoom, keys typed into a field reaching it instead of the accelerators, the
// save-options bar setting what the settings file gets, Enter in a number field showing the
// preview, and the rebar's rows kept across runs.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "settings/settings_file.h"
#include "viewer/view_geometry.h"

namespace qvtest {
namespace {

constexpr int kZoomFieldId = 1040;
constexpr int kZoomPresetId = 1041;
constexpr int kMainToolBarId = 1022;
constexpr int kFormatListId = 1050;
constexpr int kQualityFieldId = 1061;
using qv::kSlotFormat;
using qv::kSlotQuality;
constexpr int kImageWidth = 1200, kImageHeight = 900;
constexpr COLORREF kImageColour = RGB(200, 0, 0);

std::wstring Text(HWND window) {
    wchar_t text[64] = {};
    SendMessageW(window, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    return text;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

COLORREF PixelOf(HWND window, int x, int y) {
    Capture shot;
    if (!CaptureClientArea(window, &shot)) return CLR_INVALID;
    return shot.Pixel(x < 0 ? shot.width + x : x, y < 0 ? shot.height + y : y);
}

// A real click in the middle of a control, as the user gives a field the keyboard.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{sizeof info};
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

// A real click in the middle of a control, as the user gives a field the keyboard. With
// `takesFocus` it returns once the program's keyboard focus is in the control (or, for a control
// that does not take it, has left where it was); without, once the click is sent (the caller
// waits for what the click opens).
::testing::AssertionResult ClickInto(HWND top, HWND control, bool takesFocus = true) {
    if (!BringToFront(top)) return ::testing::AssertionFailure() << "the window did not come to the front";
    HWND before = FocusOf(top);
    RECT r;
    if (!GetWindowRect(control, &r)) return ::testing::AssertionFailure() << "no control";
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    HWND now = nullptr;
    // Under Wine a click now and then reaches the window before it is in front and is lost: click
    // again, seconds apart so that two clicks never make a double click.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        if (SendInput(2, input, sizeof(INPUT)) != 2) return ::testing::AssertionFailure() << "SendInput failed";
        if (!takesFocus) return ::testing::AssertionSuccess();
        bool moved = WaitUntil(kStepTimeoutMs / 3, [&] {
            now = FocusOf(top);
            return now == control || IsChild(control, now) || (before != control && now != before);
        });
        if (moved) return ::testing::AssertionSuccess();
        BringToFront(top);
    }
    return ::testing::AssertionFailure() << "the focus stayed on " << qv::WideToUtf8(WindowClassName(now)) << " "
                                         << GetDlgCtrlID(now) << ", the click went to "
                                         << qv::WideToUtf8(WindowClassName(control)) << " " << GetDlgCtrlID(control);
}

// TB_GETITEMRECT of another process's tool bar: the rectangle has to live in that process.
bool RemoteItemRect(const ProcessOwner& process, HWND toolBar, int index, RECT* rect) {
    void* remote = VirtualAllocEx(process.handle(), nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return false;
    SIZE_T read = 0;
    bool ok = SendMessageW(toolBar, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(remote)) &&
              ReadProcessMemory(process.handle(), remote, rect, sizeof(RECT), &read) && read == sizeof(RECT);
    VirtualFreeEx(process.handle(), remote, 0, MEM_RELEASE);
    return ok;
}

class SubRebarTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    // Starts in the SubWindow on a large red image, which the panes show reduced.
    HWND StartInSubWindow(const std::vector<SlotValue>& extra = {}) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.push_back(IntSlot(qv::kSlotStart, 1));
        slots.insert(slots.end(), extra.begin(), extra.end());
        if (!folder_.Create(slots)) return nullptr;
        if (!WriteFileBytes(folder_.File(L"big.bmp"), SolidBmpBytes(kImageWidth, kImageHeight, kImageColour)))
            return nullptr;
        process_ = Launch(folder_.exePath(), {folder_.File(L"big.bmp")});
        if (!process_.valid()) return nullptr;
        view_ = WaitForProcessWindow(process_, kViewWindowClass, kStartTimeoutMs, false);
        HWND sub = WaitForProcessWindow(process_, kSubWindowClass);
        if (!sub || !WaitForTitleContaining(sub, L"big.bmp")) return nullptr;
        sub_ = sub;
        rebar_ = FindWindowExW(sub, nullptr, REBARCLASSNAMEW, nullptr);
        pane1_ = FindWindowExW(sub, nullptr, L"Quorvel_sch1_class", nullptr);
        pane2_ = FindWindowExW(sub, nullptr, L"Quorvel_sch2_class", nullptr);
        zoomField_ = Descendant(sub, kZoomFieldId);
        // the bar is filled in once the image is up: the zoom field shows its percentage
        if (!zoomField_ || !WaitUntil(kStepTimeoutMs, [&] { return !Text(zoomField_).empty(); })) return nullptr;
        return sub;
    }

    // The percentage the fitted image should show in the image pane.
    int32_t FittedPercent() const {
        RECT c;
        GetClientRect(pane1_, &c);
        return qv::ZoomPercent(qv::FitZoom(c.right, c.bottom, kImageWidth, kImageHeight));
    }

    bool Close() { return CloseAndWait(view_, process_); }

    int32_t StoredInt(uint32_t slot) const {
        qv::SettingsReader reader;
        if (!reader.Open(folder_.settingsPath())) return -1000;
        return reader.ReadInt(slot, -1000);
    }

    // Chooses a format in the format list as a click would.
    void ChooseFormat(int32_t format) {
        HWND list = Descendant(sub_, kFormatListId);
        ASSERT_NE(list, nullptr);
        SendMessageW(list, CB_SETCURSEL, format, 0);
        SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(kFormatListId, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }

    ProgramFolder folder_;
    ProcessOwner process_;
    HWND view_ = nullptr, sub_ = nullptr, rebar_ = nullptr, pane1_ = nullptr, pane2_ = nullptr, zoomField_ = nullptr;
};

TEST_F(SubRebarTest, RebarSpansTheTopAndThePanesSitBelowIt) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(rebar_, nullptr) << "no rebar in the SubWindow";
    ASSERT_NE(pane1_, nullptr);
    ASSERT_NE(pane2_, nullptr);
    EXPECT_TRUE(IsWindowVisible(rebar_));
    RECT client, bar, p1, p2;
    GetClientRect(sub, &client);
    GetWindowRect(rebar_, &bar);
    GetWindowRect(pane1_, &p1);
    GetWindowRect(pane2_, &p2);
    MapWindowPoints(nullptr, sub, reinterpret_cast<POINT*>(&bar), 2);
    MapWindowPoints(nullptr, sub, reinterpret_cast<POINT*>(&p1), 2);
    MapWindowPoints(nullptr, sub, reinterpret_cast<POINT*>(&p2), 2);
    EXPECT_EQ(bar.top, 0);
    EXPECT_EQ(bar.right - bar.left, client.right) << "the rebar spans the width";
    EXPECT_GT(bar.bottom, 20);
    // default RebarRow 2: the tool bar on one row, zoom and save options on the next
    EXPECT_EQ(SendMessageW(rebar_, RB_GETROWCOUNT, 0, 0), 2);

    int32_t W = client.right, w = W / 2 - 1;
    EXPECT_EQ(p1.top, bar.bottom) << "pane 1 starts below the rebar";
    EXPECT_EQ(p2.top, bar.bottom);
    EXPECT_EQ(p1.bottom, client.bottom);
    EXPECT_EQ(p1.left, 0);
    EXPECT_EQ(p1.right - p1.left, w);
    EXPECT_EQ(p2.left, W - w);
    EXPECT_EQ(p2.right - p2.left, w);
    EXPECT_TRUE(Close());
}

TEST_F(SubRebarTest, ZoomFieldShowsTheFitAndEnterSetsTheTypedZoom) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(zoomField_, nullptr) << "no zoom field";
    int32_t fitted = FittedPercent();
    ASSERT_LT(fitted, 100) << "the test image should be reduced to fit";
    EXPECT_EQ(Text(zoomField_), std::to_wstring(fitted) + L"%");
    // fitted by width: the pane's top and bottom rows are background
    COLORREF corner = PixelOf(pane1_, 1, 1);
    EXPECT_NE(corner, kImageColour);

    SendMessageW(zoomField_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"200"));
    ASSERT_TRUE(PostKey(zoomField_, VK_RETURN));
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == L"200%"; })) << "field shows " << Text(zoomField_);
    // at 200 % the image covers the whole pane
    EXPECT_TRUE(WaitFor([&] { return PixelOf(pane1_, 1, 1) == kImageColour; }));
    EXPECT_TRUE(IsWindowVisible(sub)) << "Enter in the field must not toggle full screen";

    // out of range clamps to 1600 %; the zoom commands afterwards move the field along
    SendMessageW(zoomField_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5000%"));
    ASSERT_TRUE(PostKey(zoomField_, VK_RETURN));
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == L"1600%"; })) << "field shows " << Text(zoomField_);
    ASSERT_TRUE(PostCommand(sub, 5220)); // 100 %
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == L"100%"; })) << "field shows " << Text(zoomField_);
    ASSERT_TRUE(PostCommand(sub, 5210)); // fit
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == std::to_wstring(fitted) + L"%"; }))
        << "field shows " << Text(zoomField_);
    EXPECT_TRUE(Close());
}

TEST_F(SubRebarTest, KeysTypedIntoTheFieldReachItInsteadOfTheirCommands) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(zoomField_, nullptr);
    std::wstring before = Text(zoomField_);
    COLORREF corner = PixelOf(pane1_, 1, 1);
    SendMessageW(zoomField_, EM_SETSEL, before.size(), before.size());
    // Space toggles fit and 100 %, the digit runs an external program, Tab leaves the SubWindow
    ASSERT_TRUE(PostKey(zoomField_, VK_SPACE));
    ASSERT_TRUE(PostKey(zoomField_, '5'));
    ASSERT_TRUE(PostKey(zoomField_, VK_TAB));
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == before + L" 5"; })) << "field shows " << Text(zoomField_);
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return PixelOf(pane1_, 1, 1) == corner; }))
        << "Space reached the zoom command";
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return IsWindowVisible(sub) != FALSE; }))
        << "Tab reached the SubWindow command";
    EXPECT_EQ(Text(zoomField_), before + L" 5");
    // Backspace and the arrows edit the field as well (posted keys: the translated Backspace
    // queues behind keys posted before it, so one step at a time)
    ASSERT_TRUE(PostKey(zoomField_, VK_BACK));
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == before + L" "; })) << "field shows " << Text(zoomField_);
    ASSERT_TRUE(PostKey(zoomField_, VK_LEFT));
    ASSERT_TRUE(PostKey(zoomField_, VK_BACK));
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == before.substr(0, before.size() - 1) + L" "; }))
        << "field shows " << Text(zoomField_);
    EXPECT_TRUE(Close());
}

TEST_F(SubRebarTest, TypedSpaceStaysInTheFieldUntilAClickIntoThePaneTakesTheKeysBack) {
    HWND sub = StartInSubWindow({IntSlot(kSlotFormat, 2)});
    ASSERT_NE(sub, nullptr);
    HWND quality = Descendant(sub, kQualityFieldId);
    ASSERT_NE(quality, nullptr);
    std::wstring fitted = Text(zoomField_);
    ASSERT_TRUE(ClickInto(sub, quality));
    ASSERT_TRUE(TypeKey(sub, VK_SPACE));
    ASSERT_TRUE(TypeKey(sub, VK_LEFT)); // also the first-image command
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return Text(zoomField_) == fitted; }))
        << "Space typed into the quality field ran the zoom command";
    EXPECT_EQ(Text(quality), L"75");

    ASSERT_TRUE(ClickInto(sub, pane1_));
    ASSERT_TRUE(TypeKey(sub, VK_SPACE));
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == L"100%"; }))
        << "after a click into the pane Space should toggle to 100 %, field shows " << Text(zoomField_);
    EXPECT_TRUE(Close());
}

TEST_F(SubRebarTest, FormatListAndQualityFieldReachTheSettingsFile) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    HWND quality = Descendant(sub, kQualityFieldId);
    ASSERT_NE(quality, nullptr);
    EXPECT_FALSE(IsWindowVisible(quality)) << "BMP has no quality";
    ChooseFormat(5); // JPEG lossless needs a JPEG source: a BMP gets plain JPEG
    EXPECT_EQ(SendMessageW(Descendant(sub, kFormatListId), CB_GETCURSEL, 0, 0), 2);
    ChooseFormat(2); // JPEG
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(quality) != FALSE; })) << "JPEG shows its quality";
    EXPECT_EQ(Text(quality), L"75");
    SendMessageW(quality, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"90"));
    ASSERT_TRUE(Close());
    EXPECT_EQ(StoredInt(kSlotFormat), 2);
    EXPECT_EQ(StoredInt(kSlotQuality), 90);
    EXPECT_EQ(StoredInt(qv::kSlotRebarRow), 2);
}

TEST_F(SubRebarTest, EnterInTheQualityFieldShowsThePreviewInPaneTwo) {
    HWND sub = StartInSubWindow({IntSlot(kSlotFormat, 2)});
    ASSERT_NE(sub, nullptr);
    HWND quality = Descendant(sub, kQualityFieldId);
    ASSERT_NE(quality, nullptr);
    ASSERT_TRUE(IsWindowVisible(quality));
    RECT c2;
    GetClientRect(pane2_, &c2);
    COLORREF empty = PixelOf(pane2_, c2.right / 2, c2.bottom / 2);
    EXPECT_FALSE(Near(empty, kImageColour, 40)) << "pane 2 shows something before the preview";

    ASSERT_TRUE(ClickInto(sub, quality));
    SendMessageW(quality, EM_SETSEL, 0, -1);
    ASSERT_TRUE(TypeKey(sub, '8'));
    ASSERT_TRUE(TypeKey(sub, '5'));
    EXPECT_TRUE(WaitFor([&] { return Text(quality) == L"85"; })) << "field shows " << Text(quality);
    ASSERT_TRUE(TypeKey(sub, VK_RETURN));
    // the JPEG preview of the red image, decoded again, fills pane 2's middle
    EXPECT_TRUE(WaitFor([&] { return Near(PixelOf(pane2_, c2.right / 2, c2.bottom / 2), kImageColour, 12); }))
        << "no preview in pane 2";
    EXPECT_TRUE(IsWindowVisible(sub)) << "Enter in the field must not toggle full screen";
    ASSERT_TRUE(Close());
    EXPECT_EQ(StoredInt(kSlotQuality), 85);
}

HWND WaitForTopLevel(const ProcessOwner& process, const wchar_t* className) {
    HWND found = nullptr;
    WaitFor([&] {
        std::vector<HWND> windows = FindTopLevelWindows(className, process.id(), true);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
    });
    return found;
}

TEST_F(SubRebarTest, ZoomPresetButtonOpensThePresetMenu) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    HWND presets = Descendant(sub, kZoomPresetId);
    ASSERT_NE(presets, nullptr);
    ASSERT_TRUE(ClickInto(sub, presets, false));
    HWND menu = WaitForTopLevel(process_, L"#32768");
    ASSERT_NE(menu, nullptr) << "no preset menu";
    RECT button, m;
    GetWindowRect(presets, &button);
    GetWindowRect(menu, &m);
    EXPECT_GE(m.top, button.bottom - 1) << "the menu opens below its button";
    // 1000 %, 400 %, 200 %: the third item
    ASSERT_TRUE(TypeKey(sub, VK_DOWN));
    ASSERT_TRUE(TypeKey(sub, VK_DOWN));
    ASSERT_TRUE(TypeKey(sub, VK_DOWN));
    ASSERT_TRUE(TypeKey(sub, VK_RETURN));
    EXPECT_TRUE(WaitFor([&] { return Text(zoomField_) == L"200%"; })) << "field shows " << Text(zoomField_);
    EXPECT_TRUE(IsWindowVisible(sub));
    EXPECT_TRUE(Close());
}

TEST_F(SubRebarTest, SaveAsDialogSitsBelowTheBarAndItsTypeMovesTheFormatList) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    HWND list = Descendant(sub, kFormatListId);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
    ASSERT_TRUE(PostCommand(sub, 5012));
    HWND dialog = WaitForTopLevel(process_, L"#32770");
    ASSERT_NE(dialog, nullptr) << "no save-as dialog";
    // the dialog is placed after it was created
    RECT bar, box;
    GetWindowRect(GetParent(list), &bar);
    WaitUntil(kStepTimeoutMs,
              [&] { return GetWindowRect(dialog, &box) && box.top == bar.bottom && box.left == bar.left; });
    EXPECT_EQ(box.top, bar.bottom) << "the dialog sits directly below the save-options bar";
    EXPECT_EQ(box.left, bar.left);

    constexpr int kTypeList = 0x470; // the dialog's file-type list
    HWND types = GetDlgItem(dialog, kTypeList);
    ASSERT_NE(types, nullptr);
    SendMessageW(types, CB_SETCURSEL, 3, 0); // TIFF
    // as a choice with the mouse ends: Wine's dialog acts on the first, Windows' on the second
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kTypeList, CBN_SELENDOK), reinterpret_cast<LPARAM>(types));
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kTypeList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(types));
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(list, CB_GETCURSEL, 0, 0) == 3; }))
        << "the format list did not follow the dialog's type";
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntilGone(dialog));
    ASSERT_TRUE(Close());
    EXPECT_EQ(StoredInt(kSlotFormat), 3);
}

TEST_F(SubRebarTest, EscClosesTheHistoryWindowAndLeavesTheProgramRunning) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(PostCommand(sub, 5117));
    HWND history = WaitForTopLevel(process_, L"Quorvel_hisw_class");
    ASSERT_NE(history, nullptr) << "no history window";
    ASSERT_TRUE(TypeKey(history, VK_ESCAPE));
    EXPECT_TRUE(WaitUntilGone(history));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return !process_.HasExited(); }))
        << "the Esc that closed the history window closed the program";
    EXPECT_TRUE(IsWindowEnabled(sub));
    EXPECT_TRUE(Close());
}

TEST_F(SubRebarTest, AToolGroupButtonOpensItsEditingMenuBelowIt) {
    HWND sub = StartInSubWindow();
    ASSERT_NE(sub, nullptr);
    HWND bar = Descendant(sub, kMainToolBarId);
    ASSERT_NE(bar, nullptr);
    // the selection group holds the history window, whose command exists
    constexpr int kSelectionGroup = qv::kMenuSelectionAndPainting;
    ASSERT_TRUE(SendMessageW(bar, TB_ISBUTTONENABLED, kSelectionGroup, 0));
    RECT r{};
    LRESULT index = SendMessageW(bar, TB_COMMANDTOINDEX, kSelectionGroup, 0);
    ASSERT_GE(index, 0);
    ASSERT_TRUE(RemoteItemRect(process_, bar, static_cast<int>(index), &r));
    MapWindowPoints(bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    ASSERT_TRUE(BringToFront(sub));
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(SendInput(2, input, sizeof(INPUT)), 2u);
    HWND menu = WaitForTopLevel(process_, L"#32768");
    ASSERT_NE(menu, nullptr) << "no menu under the tool-group button";
    RECT m{};
    GetWindowRect(menu, &m);
    EXPECT_GE(m.top, r.bottom - 1);
    EXPECT_EQ(m.left, r.left);
    ASSERT_TRUE(TypeKey(sub, VK_ESCAPE));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !IsWindowVisible(menu); }));
    EXPECT_TRUE(HoldsFor(kIgnoredInputMs, [&] { return !process_.HasExited(); }))
        << "the Esc that closed the menu closed the program";
    EXPECT_TRUE(Close());
}

TEST_F(SubRebarTest, OneStoredRowStartsWithOneRowAndIsKept) {
    HWND sub = StartInSubWindow({IntSlot(qv::kSlotRebarRow, 1)});
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(rebar_, nullptr);
    EXPECT_EQ(SendMessageW(rebar_, RB_GETROWCOUNT, 0, 0), 1);
    ASSERT_TRUE(Close());
    EXPECT_EQ(StoredInt(qv::kSlotRebarRow), 1);
}

} // namespace
} // namespace qvtest
