// An editing tool in the real Quorvel.exe: Noise reduction opens its band in the SubWindow's rebar
// with the stored level and the tool bar disabled, a new value repaints the preview, Apply commits
// it (title "*", the level written back), undo and redo move through the two history steps and
// restore the pixels exactly, the history window lists both steps, a new edit after an undo cuts
// the redo step, and leaving the program deletes every snapshot file it made.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "settings/settings_file.h"

namespace qvtest {
namespace {

constexpr int kMainToolBarId = 1022;
constexpr int kLevelFieldId = 2001; // the band's first number field
constexpr int kHistoryListId = 1031;
constexpr uint32_t kSlotNsrLevel = 139;
constexpr int kSide = 40;

// White specks on black: the noise reduction takes them out.
COLORREF Speckled(int x, int y) {
    return x % 5 == 2 && y % 5 == 2 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

bool HasWhite(HWND pane) {
    Capture shot;
    if (!CaptureClientArea(pane, &shot)) return false;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.Pixel(x, y) == RGB(255, 255, 255)) return true;
    return false;
}

// White in the top-left quarter, blue elsewhere, so that each turn and flip puts the white in
// another corner, and the picture's extent in the pane is where either colour is.
constexpr COLORREF kBlue = RGB(0, 0, 255);
COLORREF WhiteCorner(int x, int y) {
    return x < kSide / 2 && y < kSide / 2 ? RGB(255, 255, 255) : kBlue;
}

// Which quarter of the pane the white pixels lie in: bit 0 right half, bit 1 bottom half; -1 none.
int WhiteQuarter(HWND pane) {
    Capture shot;
    if (!CaptureClientArea(pane, &shot)) return -1;
    int64_t sx = 0, sy = 0, n = 0;
    int minX = shot.width, maxX = -1, minY = shot.height, maxY = -1;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.Pixel(x, y) == RGB(255, 255, 255)) sx += x, sy += y, ++n;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.Pixel(x, y) == kBlue || shot.Pixel(x, y) == RGB(255, 255, 255)) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    if (n == 0 || maxX < 0) return -1;
    // against the middle of the picture, not of the pane: the picture may sit anywhere in it
    const int64_t midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
    return (sx / n > midX ? 1 : 0) | (sy / n > midY ? 2 : 0);
}

bool SameCapture(HWND pane, const Capture& expected) {
    Capture shot;
    return CaptureClientArea(pane, &shot) && shot.bgr == expected.bgr;
}

class ToolFrameworkTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    HWND Start(COLORREF (*pixels)(int, int) = Speckled) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.push_back(IntSlot(qv::kSlotStart, 1)); // the SubWindow
        slots.push_back(IntSlot(kSlotNsrLevel, 255));
        if (!folder_.Create(slots)) return nullptr;
        if (!WriteFileBytes(folder_.File(L"specks.bmp"), BmpBytes(kSide, kSide, pixels))) return nullptr;
        process_ = Launch(folder_.exePath(), {folder_.File(L"specks.bmp")});
        if (!process_.valid()) return nullptr;
        view_ = WaitForProcessWindow(process_, kViewWindowClass, kStartTimeoutMs, false);
        sub_ = WaitForProcessWindow(process_, kSubWindowClass);
        if (!sub_ || !WaitForTitleContaining(sub_, L"specks.bmp")) return nullptr;
        pane1_ = FindWindowExW(sub_, nullptr, L"Quorvel_sch1_class", nullptr);
        pane2_ = FindWindowExW(sub_, nullptr, L"Quorvel_sch2_class", nullptr);
        SetForegroundWindow(sub_);
        PumpMessages(300);
        return sub_;
    }

    bool Modified() const { return WindowTitle(sub_).find(L'*') != std::wstring::npos; }

    ProgramFolder folder_;
    ProcessOwner process_;
    HWND view_ = nullptr, sub_ = nullptr, pane1_ = nullptr, pane2_ = nullptr;
};

TEST_F(ToolFrameworkTest, ApplyUndoRedoAndTheHistoryOfANoiseReduction) {
    std::set<std::wstring> before = TempFiles();
    ASSERT_NE(Start(), nullptr);
    ASSERT_NE(pane2_, nullptr);
    Capture original;
    ASSERT_TRUE(CaptureClientArea(pane1_, &original));
    ASSERT_TRUE(HasWhite(pane1_));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdNoiseReduction));
    HWND field = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (field = Descendant(sub_, kLevelFieldId)) != nullptr; })) << "no band";
    EXPECT_EQ(WindowTitle(field), L"255") << "the stored level";
    EXPECT_NE(Descendant(sub_, qv::kCmdApplyTool), nullptr);
    EXPECT_NE(Descendant(sub_, qv::kCmdCancelTool), nullptr);
    HWND toolBar = Descendant(sub_, kMainToolBarId);
    ASSERT_NE(toolBar, nullptr);
    EXPECT_FALSE(IsWindowEnabled(toolBar)) << "the tool bar waits for the open tool";
    EXPECT_TRUE(WaitFor([&] { return !HasWhite(pane2_); })) << "the first preview has no specks";

    // a new value through the field: the worker recomputes (level 0 leaves the specks)
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"0"));
    EXPECT_TRUE(WaitFor([&] { return HasWhite(pane2_); })) << "the preview did not follow the level";
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"200"));
    EXPECT_TRUE(WaitFor([&] { return !HasWhite(pane2_); }));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kLevelFieldId) == nullptr; })) << "the band stayed";
    EXPECT_TRUE(WaitFor([&] { return Modified(); })) << "no * after the edit";
    EXPECT_TRUE(IsWindowEnabled(toolBar));
    EXPECT_TRUE(WaitFor([&] { return !HasWhite(pane1_); })) << "the edit is not the current image";
    EXPECT_EQ(NewFiles(before), 2u) << "the unedited image and the edit";
    {
        qv::SettingsReader reader;
        ASSERT_TRUE(reader.Open(folder_.settingsPath()));
        EXPECT_EQ(reader.ReadInt(kSlotNsrLevel, -1), 200) << "the level is written back when the tool closes";
    }
    Capture edited;
    ASSERT_TRUE(CaptureClientArea(pane1_, &edited));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    EXPECT_TRUE(WaitFor([&] { return !Modified(); }));
    EXPECT_TRUE(WaitFor([&] { return SameCapture(pane1_, original); })) << "undo did not restore the pixels";
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdRedo));
    EXPECT_TRUE(WaitFor([&] { return Modified(); }));
    EXPECT_TRUE(WaitFor([&] { return SameCapture(pane1_, edited); }));

    // the history window lists both steps; choosing the first restores it
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdHistoryWindow));
    HWND list = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND w : FindTopLevelWindows(qv::kHistoryWindowClass, WindowProcessId(sub_), true))
            if ((list = Descendant(w, kHistoryListId)) != nullptr) return true;
        return false;
    }));
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(kHistoryListId, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_TRUE(WaitFor([&] { return !Modified(); }));
    // the window lies over the pane the screenshot reads
    HWND history = GetAncestor(list, GA_ROOT);
    PostMessageW(history, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntilGone(history));
    EXPECT_TRUE(WaitFor([&] { return SameCapture(pane1_, original); }));

    // a new edit from the first step cuts the redo step off, its file with it
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdNoiseReduction));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kLevelFieldId) != nullptr; }));
    EXPECT_EQ(WindowTitle(Descendant(sub_, kLevelFieldId)), L"200");
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    EXPECT_TRUE(WaitFor([&] { return Modified(); }));
    EXPECT_TRUE(WaitFor([&] { return NewFiles(before) == 2; })) << "the redo step's file was left";

    // Esc cancels a tool without an edit
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdNoiseReduction));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kLevelFieldId) != nullptr; }));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdCancelTool));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kLevelFieldId) == nullptr; }));
    EXPECT_EQ(NewFiles(before), 2u);

    // leaving without saving: the question is answered by the settings (no question), the files go
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    ASSERT_TRUE(WaitFor([&] { return !Modified(); }));
    EXPECT_TRUE(CloseAndWait(view_, process_));
    EXPECT_EQ(NewFiles(before), 0u) << "snapshot files outlived the program";
}

// A worker that does not answer the stop within its second is ended by force; its result may be
// half written, so Apply then shows 30003 and becomes a cancel: nothing committed, no snapshot,
// the band gone and the program still working. The worker is held by suspending its thread.
TEST_F(ToolFrameworkTest, ApplyWithAWorkerThatDoesNotStopBecomesACancel) {
    std::set<std::wstring> before = TempFiles();
    ASSERT_NE(Start(), nullptr);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdNoiseReduction));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kLevelFieldId) != nullptr; })) << "no band";
    HWND worker = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        worker = FindWindowExW(HWND_MESSAGE, nullptr, L"Quorvel_iudt_class", nullptr);
        return worker != nullptr && WindowProcessId(worker) == WindowProcessId(sub_);
    })) << "no worker window";
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(worker, nullptr));
    ASSERT_NE(thread, nullptr);
    ASSERT_NE(SuspendThread(thread), static_cast<DWORD>(-1));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    HWND error = WaitForDialogOtherThan(process_, nullptr);
    ASSERT_NE(error, nullptr) << "no message after the worker was ended";
    wchar_t text[256] = {};
    GetDlgItemTextW(error, 0xFFFF, text, 256); // a message box's text
    EXPECT_EQ(std::wstring(text), L"This image cannot be displayed.");
    PostMessageW(error, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitUntilGone(error));
    CloseHandle(thread); // ended by the program: nothing to resume

    EXPECT_TRUE(WaitFor([&] { return Descendant(sub_, kLevelFieldId) == nullptr; })) << "the band stayed";
    EXPECT_FALSE(Modified()) << "a half-written result was committed";
    EXPECT_EQ(NewFiles(before), 0u);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdNoiseReduction)); // the framework opens a tool again
    EXPECT_TRUE(WaitFor([&] { return Descendant(sub_, kLevelFieldId) != nullptr; }));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdCancelTool));
    EXPECT_TRUE(CloseAndWait(view_, process_));
}

// The immediate turns and flips commit at once through the same history: each moves the white
// corner where it belongs, marks the image edited, and undo brings the original back.
TEST_F(ToolFrameworkTest, TurnsAndFlipsCommitAtOnceAndUndo) {
    ASSERT_NE(Start(WhiteCorner), nullptr);
    // pane 1 shows the current image; the background around it is not white
    ASSERT_TRUE(WaitFor([&] { return WhiteQuarter(pane1_) == 0; })) << "the corner is not top-left";
    const struct {
        int32_t command;
        int quarter; // where the top-left corner goes
    } kCases[] = {
        {qv::kCmdTurnRight, 1}, {qv::kCmdTurn180, 3}, {qv::kCmdTurnLeft, 2}, {qv::kCmdMirror, 1}, {qv::kCmdFlip, 2}};
    for (const auto& c : kCases) {
        ASSERT_TRUE(PostCommand(sub_, c.command));
        EXPECT_TRUE(WaitFor([&] { return WhiteQuarter(pane1_) == c.quarter; })) << c.command;
        EXPECT_TRUE(WaitFor([&] { return Modified(); })) << c.command;
        ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
        EXPECT_TRUE(WaitFor([&] { return WhiteQuarter(pane1_) == 0; })) << "undo after " << c.command;
        EXPECT_TRUE(WaitFor([&] { return !Modified(); })) << c.command;
    }
}

} // namespace
} // namespace qvtest
