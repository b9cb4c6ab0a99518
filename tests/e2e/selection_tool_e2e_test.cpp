// The area selection in the real Quorvel.exe: a rectangle dragged with the mouse on the image pane
// shows the dimmed grey of the protected pixels in the result pane; Apply makes the mask current
// and records it; a following noise reduction changes only the selected pixels; undo and redo
// inside the tool step through its own mask states (a click without a drag is none of them); and
// the tool's state files are gone once it closes.
#include <windows.h>

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

constexpr uint32_t kSlotSubBgColor = 53; // the panes' background: 2 = mid grey
constexpr uint32_t kSlotAreMode = 97;
constexpr uint32_t kSlotAreType = 98;
constexpr uint32_t kSlotAreSmooth = 102;
constexpr uint32_t kSlotNsrLevel = 139;
constexpr int kSmoothEdgesButtonId = 2021; // control 5
constexpr int kSmoothRadiusFieldId = 4201;
constexpr int kRectangleRadioId = 3016; // the shape group (control 1), entry 0
constexpr int kModeListId = 2001;       // the area selection's first control
constexpr int kLevelFieldId = 2001;     // the noise reduction's first control
constexpr int kWidth = 60, kHeight = 40;

// The dimmed grey of a protected pixel, 64 + grey / 2.
constexpr COLORREF kDimBlack = RGB(64, 64, 64);
constexpr COLORREF kDimWhite = RGB(191, 191, 191);
constexpr COLORREF kWhite = RGB(255, 255, 255);

bool IsSpeck(int x, int y) {
    return x % 5 == 2 && y % 5 == 2;
}
COLORREF Speckled(int x, int y) {
    return IsSpeck(x, y) ? kWhite : RGB(0, 0, 0);
}

// The same picture as an 8-bit BMP with a two-entry palette (0 black, 1 white).
std::string PaletteSpecksBmp() {
    auto u32 = [](std::string& out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<char>(v >> (8 * i)));
    };
    const uint32_t stride = (kWidth + 3) & ~3u, offset = 14 + 40 + 8;
    std::string b = "BM";
    u32(b, offset + stride * kHeight);
    u32(b, 0);
    u32(b, offset);
    u32(b, 40);
    u32(b, kWidth);
    u32(b, kHeight);
    u32(b, 1 | (8 << 16)); // planes, bit count
    for (uint32_t v : {0u, stride * kHeight, 2835u, 2835u, 2u, 0u})
        u32(b, v);
    u32(b, 0x000000);
    u32(b, 0xFFFFFF);
    for (int y = kHeight - 1; y >= 0; --y) // bottom-up
        for (uint32_t x = 0; x < stride; ++x)
            b.push_back(static_cast<char>(static_cast<int>(x) < kWidth && IsSpeck(static_cast<int>(x), y) ? 1 : 0));
    return b;
}

// Where the picture lies in a pane: found from its first and last specks (at 2 and 57 across,
// 2 and 37 down), which nothing else in the pane is as white as.
struct Placement {
    double left = 0, top = 0;
    double zoom = 1.0;
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
    // a speck spans `zoom` screen pixels: its first one is where the speck's left edge falls
    p->zoom = (maxX - minX + 1) / 56.0;
    p->left = minX - 2 * p->zoom;
    p->top = minY - 2 * p->zoom;
    return true;
}

COLORREF PicturePixel(const Capture& shot, const Placement& p, int x, int y) {
    POINT c = p.Client(x, y);
    return shot.Pixel(c.x, c.y);
}

struct Box {
    int left, top, right, bottom; // image pixels, inclusive
    bool Holds(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// The result pane as a selected `box` shows it: unchanged inside, dimmed grey outside.
bool ShowsSelection(HWND pane, const Placement& p, const Box& box) {
    Capture shot;
    if (!CaptureClientArea(pane, &shot)) return false;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            COLORREF want = box.Holds(x, y) ? Speckled(x, y) : IsSpeck(x, y) ? kDimWhite : kDimBlack;
            if (PicturePixel(shot, p, x, y) != want) return false;
        }
    return true;
}

class SelectionToolTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    bool Start(bool palette = false) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.push_back(IntSlot(qv::kSlotStart, 1)); // the SubWindow
        slots.push_back(IntSlot(kSlotSubBgColor, 2));
        slots.push_back(IntSlot(kSlotAreMode, 0));
        slots.push_back(IntSlot(kSlotAreType, 4)); // similar colour: the test picks the rectangle
        slots.push_back(IntSlot(kSlotNsrLevel, 255));
        if (!folder_.Create(slots)) return false;
        std::string bytes = palette ? PaletteSpecksBmp() : BmpBytes(kWidth, kHeight, Speckled);
        if (!WriteFileBytes(folder_.File(L"specks.bmp"), bytes)) return false;
        process_ = Launch(folder_.exePath(), {folder_.File(L"specks.bmp")});
        if (!process_.valid()) return false;
        WaitForProcessWindow(process_, kViewWindowClass, kStartTimeoutMs, false);
        sub_ = WaitForProcessWindow(process_, kSubWindowClass);
        if (!sub_ || !WaitForTitleContaining(sub_, L"specks.bmp")) return false;
        pane1_ = FindWindowExW(sub_, nullptr, L"Quorvel_sch1_class", nullptr);
        pane2_ = FindWindowExW(sub_, nullptr, L"Quorvel_sch2_class", nullptr);
        SetForegroundWindow(sub_);
        PumpMessages(300);
        return pane1_ && pane2_ && FindPicture(pane1_, &start_);
    }

    // Opens the tool with the rectangle shape chosen.
    bool OpenWithRectangle() {
        if (!PostCommand(sub_, qv::kCmdAreaSelection)) return false;
        HWND radio = nullptr;
        if (!WaitFor([&] { return (radio = Descendant(sub_, kRectangleRadioId)) != nullptr; })) return false;
        SendMessageW(radio, BM_CLICK, 0, 0);
        // the result pane shows the picture unmasked until a shape is drawn
        return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED &&
               WaitFor([&] { return FindPicture(pane2_, &result_) && FindPicture(pane1_, &placement_); });
    }

    // A left-button drag on the image pane between two image pixels, as the mouse gives it.
    void Drag(POINT from, POINT to) {
        auto at = [](POINT c) { return MAKELPARAM(c.x, c.y); };
        PostMessageW(pane1_, WM_LBUTTONDOWN, MK_LBUTTON, at(from));
        PostMessageW(pane1_, WM_MOUSEMOVE, MK_LBUTTON, at(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}));
        PostMessageW(pane1_, WM_MOUSEMOVE, MK_LBUTTON, at(to));
        PostMessageW(pane1_, WM_LBUTTONUP, 0, at(to));
    }
    void DragBox(const Box& b) { Drag(placement_.Client(b.left, b.top), placement_.Client(b.right, b.bottom)); }

    // Noise reduction at its stored level, applied.
    bool ApplyNoiseReduction() {
        return PostCommand(sub_, qv::kCmdNoiseReduction) &&
               WaitFor([&] { return Descendant(sub_, kLevelFieldId) != nullptr; }) &&
               PostCommand(sub_, qv::kCmdApplyTool) &&
               WaitFor([&] { return Descendant(sub_, kLevelFieldId) == nullptr; });
    }

    bool Modified() const { return WindowTitle(sub_).find(L'*') != std::wstring::npos; }

    ProgramFolder folder_;
    ProcessOwner process_;
    HWND sub_ = nullptr, pane1_ = nullptr, pane2_ = nullptr;
    Placement start_;     // in the image pane without a tool's band
    Placement placement_; // in the image pane below the band, where the mouse goes
    Placement result_;    // in the result pane
};

TEST_F(SelectionToolTest, ARectangleAppliedProtectsEverythingElseFromTheNextTool) {
    std::set<std::wstring> before = TempFiles();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(OpenWithRectangle());
    const Box box{10, 10, 29, 19};
    DragBox(box);
    EXPECT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, box); }))
        << "the result pane does not show the rectangle selected and the rest dimmed";

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kRectangleRadioId) == nullptr; })) << "the band stayed";
    EXPECT_TRUE(WaitFor([&] { return Modified(); })) << "applying a mask records an edit";
    EXPECT_TRUE(WaitFor([&] { return ShowsSelection(pane1_, start_, box); })) << "the mask is not current";
    EXPECT_EQ(NewFiles(before), 2u) << "the unedited image and 5130 stay; the tool's mask states go";
    Capture masked;
    ASSERT_TRUE(CaptureClientArea(pane1_, &masked));

    // noise reduction takes the specks out of the selection only; the rest is shown as it was
    ASSERT_TRUE(ApplyNoiseReduction());
    ASSERT_TRUE(WaitFor([&] { return NewFiles(before) == 3u; })) << "the noise reduction is recorded";
    Capture after;
    ASSERT_TRUE(WaitFor([&] {
        return CaptureClientArea(pane1_, &after) && PicturePixel(after, start_, 12, 12) != kWhite;
    })) << "a speck inside the selection survived";
    int changedOutside = 0, specksInside = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            bool inside = box.Holds(x, y);
            if (!inside) changedOutside += PicturePixel(after, start_, x, y) != PicturePixel(masked, start_, x, y);
            if (inside && IsSpeck(x, y)) specksInside += PicturePixel(after, start_, x, y) == kWhite;
        }
    EXPECT_EQ(changedOutside, 0) << "protected pixels changed";
    EXPECT_EQ(specksInside, 0) << "selected pixels kept their specks";
}

TEST_F(SelectionToolTest, UndoAndRedoStepThroughTheToolsOwnMasksAndCloseLeavesNoFiles) {
    std::set<std::wstring> before = TempFiles();
    ASSERT_TRUE(Start());
    ASSERT_TRUE(OpenWithRectangle());
    const Box first{5, 5, 24, 24}, second{30, 10, 54, 34}, all{0, 0, kWidth - 1, kHeight - 1};
    // a press and release on one spot is a click, not a shape: no state of its own
    Drag(placement_.Client(40, 20), placement_.Client(40, 20));
    DragBox(first);
    ASSERT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, first); }));
    DragBox(second);
    ASSERT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, second); })) << "mode new replaces";

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    EXPECT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, first); })) << "undo inside the tool";
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdRedo));
    EXPECT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, second); })) << "redo inside the tool";
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    EXPECT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, all); }))
        << "two undos reach the picture without a mask (the click made no state)";
    EXPECT_FALSE(Modified()) << "the tool's undo left the edit history alone";

    // back at the first state the tool has no mask of its own: Apply records nothing
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kRectangleRadioId) == nullptr; }));
    EXPECT_TRUE(WaitFor([&] { return NewFiles(before) == 0u; })) << "the mask state files outlived the tool";
    EXPECT_FALSE(Modified());
}

// Entry 4 of the mode list protects the whole picture and the list shows the mode again; applying
// makes the 8-bit picture 24-bit, and a later tool then changes nothing at all.
TEST_F(SelectionToolTest, AllProtectedOnAPaletteImageMakesItTwentyFourBitAndLaterToolsLeaveIt) {
    std::set<std::wstring> before = TempFiles();
    ASSERT_TRUE(Start(true));
    EXPECT_NE(WindowTitle(sub_).find(L"8bit"), std::wstring::npos);
    ASSERT_TRUE(OpenWithRectangle());
    HWND modes = Descendant(sub_, kModeListId);
    ASSERT_NE(modes, nullptr);
    SendMessageW(modes, CB_SETCURSEL, 4, 0);
    SendMessageW(GetParent(modes), WM_COMMAND, MAKEWPARAM(kModeListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(modes));
    const Box none{-1, -1, -2, -2};
    EXPECT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, none); })) << "not everything is protected";
    EXPECT_EQ(SendMessageW(modes, CB_GETCURSEL, 0, 0), 0) << "the list shows the mode again";

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(WaitFor([&] { return Modified(); }));
    EXPECT_NE(WindowTitle(sub_).find(L"24bit"), std::wstring::npos) << WindowTitle(sub_);
    ASSERT_TRUE(WaitFor([&] { return ShowsSelection(pane1_, start_, none); }));
    Capture masked;
    ASSERT_TRUE(CaptureClientArea(pane1_, &masked));
    ASSERT_TRUE(ApplyNoiseReduction());
    ASSERT_TRUE(WaitFor([&] { return NewFiles(before) == 3u; })) << "the noise reduction is recorded";
    // the pane repaints after the commit: wait for it to show the picture again
    EXPECT_TRUE(WaitFor([&] {
        Capture after;
        return CaptureClientArea(pane1_, &after) && after.bgr == masked.bgr;
    })) << "a protected pixel changed";
}

// The smooth-edges dialog: a radius typed beyond 100 is held at 100 (and kept in AreSmooth), and
// OK softens the rectangle's edge.
TEST_F(SelectionToolTest, SmoothEdgesHoldsItsRadiusAndSoftensTheEdge) {
    ASSERT_TRUE(Start());
    ASSERT_TRUE(OpenWithRectangle());
    const Box box{10, 10, 49, 29};
    DragBox(box);
    ASSERT_TRUE(WaitFor([&] { return ShowsSelection(pane2_, result_, box); }));
    HWND button = Descendant(sub_, kSmoothEdgesButtonId);
    ASSERT_NE(button, nullptr);
    // posted: the dialog is modal inside the click
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(kSmoothEdgesButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    HWND dialog = WaitForDialogOtherThan(process_, nullptr);
    ASSERT_NE(dialog, nullptr) << "no smooth-edges dialog";
    HWND field = GetDlgItem(dialog, kSmoothRadiusFieldId);
    ASSERT_NE(field, nullptr);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"300"));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitUntilGone(dialog));
    EXPECT_TRUE(WaitFor([&] {
        Capture shot;
        if (!CaptureClientArea(pane2_, &shot)) return false;
        // black pixels on either side of the edge: between black (editable) and dimmed (protected)
        auto between = [&](int x) {
            COLORREF c = PicturePixel(shot, result_, x, 20);
            return GetRValue(c) > 0 && GetRValue(c) < GetRValue(kDimBlack);
        };
        return between(9) && between(10);
    })) << "the edge was not softened";

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdCancelTool));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, kRectangleRadioId) == nullptr; }));
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(folder_.settingsPath()));
    EXPECT_EQ(reader.ReadInt(kSlotAreSmooth, -1), 100);
}

} // namespace
} // namespace qvtest
