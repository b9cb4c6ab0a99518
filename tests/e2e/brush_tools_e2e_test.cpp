// The paint brush in the real Quorvel.exe: a stroke dragged with the mouse on the image pane
// paints the result pane where it went and nowhere else; undo and redo inside the tool step
// through its strokes without touching the edit history; Apply records the edit and the tool's
// stroke files are gone once it closes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"

namespace qvtest {
namespace {

constexpr uint32_t kSlotSubBgColor = 53;
constexpr uint32_t kSlotDpbSize = 121;
constexpr uint32_t kSlotDpbAlpha = 122;
constexpr uint32_t kSlotDpbColour = 123;
constexpr int kSizeFieldId = 2001; // the paint brush's first control
constexpr int kWidth = 60, kHeight = 40;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);

bool IsSpeck(int x, int y) {
    return x % 5 == 2 && y % 5 == 2;
}
COLORREF Speckled(int x, int y) {
    return IsSpeck(x, y) ? kWhite : RGB(0, 0, 0);
}

// Where the picture lies in a pane, from its first and last specks (2 and 57 across, 2 and 37
// down), which nothing else in the pane is as white as.
struct Placement {
    double left = 0, top = 0, zoom = 1.0;
    POINT Client(int x, int y) const {
        return POINT{static_cast<int>(left + (x + 0.5) * zoom), static_cast<int>(top + (y + 0.5) * zoom)};
    }
};
bool FindPicture(HWND pane, Placement* p) {
    Capture shot;
    if (!CaptureClientArea(pane, &shot)) return false;
    int minX = shot.width, maxX = -1, minY = shot.height, maxY = -1;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.Pixel(x, y) == kWhite) {
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    if (maxX <= minX || maxY <= minY) return false;
    p->zoom = (maxX - minX + 1) / 56.0;
    p->left = minX - 2 * p->zoom;
    p->top = minY - 2 * p->zoom;
    return true;
}

// The stroke of diameter 3 at full opacity along row 20 from x 10 to 40: every pixel of its row
// takes the colour exactly (the stamp's centre weighs 255), the rows next to it take some, and
// nothing two rows or more away changes. The pane's mapping of the pointer may round the row and
// the ends by one pixel, so the painted row is looked for near 20.
enum class Shown { Unpainted, Stroke, Neither };
Shown WhatPaneShows(HWND pane, const Placement& p) {
    Capture shot;
    if (!CaptureClientArea(pane, &shot)) return Shown::Neither;
    auto at = [&](int x, int y) {
        POINT c = p.Client(x, y);
        return shot.Pixel(c.x, c.y);
    };
    bool unpainted = true;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            unpainted = unpainted && at(x, y) == Speckled(x, y);
    if (unpainted) return Shown::Unpainted;
    for (int row = 18; row <= 22; ++row) {
        bool stroke = true;
        for (int x = 11; x <= 39; ++x)
            stroke = stroke && at(x, row) == kRed;
        for (int y = 0; y < kHeight && stroke; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (std::abs(y - row) > 1 || x < 8 || x > 42) stroke = stroke && at(x, y) == Speckled(x, y);
        if (stroke) return Shown::Stroke;
    }
    return Shown::Neither;
}

class BrushToolsTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    bool Start() {
        std::vector<SlotValue> slots = QuietSettings();
        slots.push_back(IntSlot(qv::kSlotStart, 1)); // the SubWindow
        slots.push_back(IntSlot(kSlotSubBgColor, 2));
        slots.push_back(IntSlot(kSlotDpbSize, 3));
        slots.push_back(IntSlot(kSlotDpbAlpha, 100));
        slots.push_back(IntSlot(kSlotDpbColour, static_cast<int32_t>(kRed)));
        if (!folder_.Create(slots)) return false;
        if (!WriteFileBytes(folder_.File(L"specks.bmp"), BmpBytes(kWidth, kHeight, Speckled))) return false;
        process_ = Launch(folder_.exePath(), {folder_.File(L"specks.bmp")});
        if (!process_.valid()) return false;
        WaitForProcessWindow(process_, kViewWindowClass, kStartTimeoutMs, false);
        sub_ = WaitForProcessWindow(process_, kSubWindowClass);
        if (!sub_ || !WaitForTitleContaining(sub_, L"specks.bmp")) return false;
        pane1_ = FindWindowExW(sub_, nullptr, L"Quorvel_sch1_class", nullptr);
        pane2_ = FindWindowExW(sub_, nullptr, L"Quorvel_sch2_class", nullptr);
        SetForegroundWindow(sub_);
        PumpMessages(300);
        return pane1_ && pane2_;
    }

    bool OpenBrush() {
        return PostCommand(sub_, qv::kCmdPaintBrush) &&
               WaitFor([&] { return Descendant(sub_, kSizeFieldId) != nullptr; }) && WaitFor([&] {
                   // the band moves the panes once it is laid out: wait until the picture stays put
                   Placement again;
                   return FindPicture(pane1_, &source_) && FindPicture(pane2_, &result_) && (PumpMessages(200), true) &&
                          FindPicture(pane1_, &again) && again.left == source_.left && again.top == source_.top &&
                          again.zoom == source_.zoom;
               });
    }

    // A left-button drag on the image pane along row 20, as the mouse gives it.
    void Stroke() {
        auto at = [&](int x) {
            POINT c = source_.Client(x, 20);
            return MAKELPARAM(c.x, c.y);
        };
        PostMessageW(pane1_, WM_LBUTTONDOWN, MK_LBUTTON, at(10));
        PostMessageW(pane1_, WM_MOUSEMOVE, MK_LBUTTON, at(25));
        PostMessageW(pane1_, WM_MOUSEMOVE, MK_LBUTTON, at(40));
        PostMessageW(pane1_, WM_LBUTTONUP, 0, at(40));
        // the brush's outline follows the pointer: take it off the picture before looking
        PostMessageW(pane1_, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    }

    bool Shows(Shown what) {
        return WaitFor([&] { return WhatPaneShows(pane2_, result_) == what; });
    }
    bool Modified() const { return WindowTitle(sub_).find(L'*') != std::wstring::npos; }

    ProgramFolder folder_;
    ProcessOwner process_;
    HWND sub_ = nullptr, pane1_ = nullptr, pane2_ = nullptr;
    Placement source_, result_;
};

TEST_F(BrushToolsTest, AStrokePaintsWhereItWentUndoesInsideTheToolAndApplies) {
    std::set<std::wstring> before = TempFiles();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(OpenBrush());
    Stroke();
    EXPECT_TRUE(Shows(Shown::Stroke)) << "the result pane does not show the stroke, and only it";
    EXPECT_EQ(WhatPaneShows(pane1_, source_), Shown::Unpainted) << "the source pane was painted";

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    EXPECT_TRUE(Shows(Shown::Unpainted)) << "undo inside the tool";
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdRedo));
    EXPECT_TRUE(Shows(Shown::Stroke)) << "redo inside the tool";
    EXPECT_FALSE(Modified()) << "the tool's undo left the edit history alone";

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kSizeFieldId) == nullptr; })) << "the band stayed";
    EXPECT_TRUE(WaitFor([&] { return Modified(); })) << "the stroke is not recorded";
    EXPECT_TRUE(WaitFor([&] { return NewFiles(before) == 2u; }))
        << "the unedited image and 5190 stay; the tool's stroke files go";
    Placement shown;
    ASSERT_TRUE(WaitFor([&] { return FindPicture(pane1_, &shown) && WhatPaneShows(pane1_, shown) == Shown::Stroke; }))
        << "the applied image lacks the stroke";
}

TEST_F(BrushToolsTest, AllStrokesUndoneApplyRecordsNothing) {
    std::set<std::wstring> before = TempFiles();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(OpenBrush());
    Stroke();
    ASSERT_TRUE(Shows(Shown::Stroke));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    ASSERT_TRUE(Shows(Shown::Unpainted));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kSizeFieldId) == nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return NewFiles(before) == 0u; })) << "the stroke files outlived the tool";
    EXPECT_FALSE(Modified());
}

} // namespace
} // namespace qvtest
