// The geometry tools in the real Quorvel.exe: Resize (typed and through a preset), Margins and Turn
// by angle opened from their commands, driven through their bands and applied, and a Trim rectangle
// dragged with the mouse. Each result must be the image quorvel-cli's `edit` makes from the same
// file with the same values, at its new size; an unchanged size or a zero angle records no edit.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "settings/settings_file.h"

namespace qvtest {
namespace {

// control i of a band: 2000 + 4 i label, + 1 field, + 2 up-down
constexpr int FieldId(int control) {
    return 2001 + 4 * control;
}
constexpr uint32_t kSlotRszP1W = 167, kSlotRszP1H = 175;
constexpr uint32_t kSlotMgnT = 186;

COLORREF Pattern(int x, int y) {
    return RGB(x * 6, y * 8, 255 - x * 3 - y);
}

// Width, height and the pixel rows (stride padding included) behind a BITMAPINFOHEADER at `at`.
struct Dib {
    int32_t width = 0, height = 0;
    std::string rows;
};

bool ReadDib(const std::string& bytes, size_t at, size_t rowsAt, Dib* dib) {
    if (bytes.size() < at + sizeof(BITMAPINFOHEADER)) return false;
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data() + at, sizeof header);
    if (header.biBitCount != 24 || header.biWidth <= 0 || header.biHeight <= 0) return false;
    size_t size = static_cast<size_t>((header.biWidth * 3 + 3) & ~3) * static_cast<size_t>(header.biHeight);
    if (bytes.size() < rowsAt + size) return false;
    dib->width = header.biWidth;
    dib->height = header.biHeight;
    dib->rows = bytes.substr(rowsAt, size);
    return true;
}

// quorvel-cli.exe edit IN OUT ARGS...; true when it ended with code 0.
bool RunCliEdit(const std::wstring& in, const std::wstring& out, const std::vector<std::wstring>& args) {
    std::wstring line = QuoteArgument(ProductBinDir() + L"\\quorvel-cli.exe") + L" edit " + QuoteArgument(in) + L" " +
                        QuoteArgument(out);
    for (const std::wstring& a : args)
        line += L" " + QuoteArgument(a);
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return false;
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

class GeometryToolsTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    HWND Start(int width, int height, std::vector<SlotValue> extra = {}) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.push_back(IntSlot(qv::kSlotStart, 1)); // the SubWindow
        slots.insert(slots.end(), extra.begin(), extra.end());
        if (!folder_.Create(slots)) return nullptr;
        source_ = images_.File(L"pattern.bmp");
        if (!WriteFileBytes(source_, BmpBytes(width, height, Pattern))) return nullptr;
        process_ = Launch(folder_.exePath(), {source_});
        if (!process_.valid()) return nullptr;
        sub_ = WaitForProcessWindow(process_, kSubWindowClass);
        if (!sub_ || !WaitForTitleContaining(sub_, L"pattern.bmp")) return nullptr;
        SetForegroundWindow(sub_);
        return sub_;
    }

    // Opens the tool and waits for its first field.
    HWND Open(UINT command) {
        if (!PostCommand(sub_, command)) return nullptr;
        HWND field = nullptr;
        WaitFor([&] { return (field = Descendant(sub_, FieldId(0))) != nullptr; });
        return field;
    }

    static void Type(HWND field, const wchar_t* text) {
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }

    std::wstring FieldText(int control) const { return WindowTitle(Descendant(sub_, FieldId(control))); }

    // Apply, then the committed image as the program copies it.
    bool ApplyAndCopy(const std::wstring& size, Dib* dib) {
        if (!PostCommand(sub_, qv::kCmdApplyTool)) return false;
        if (!WaitForTitleContaining(sub_, L"*", kStepTimeoutMs) || !WaitForTitleContaining(sub_, size, kStepTimeoutMs))
            return false;
        if (!OpenClipboard(nullptr)) return false;
        EmptyClipboard();
        CloseClipboard();
        if (!PostCommand(sub_, qv::kCmdCopy)) return false;
        std::string block;
        if (!WaitFor([&] { return !(block = ClipboardDib()).empty(); })) return false;
        return ReadDib(block, 0, sizeof(BITMAPINFOHEADER), dib);
    }

    // What quorvel-cli's edit makes of the same file.
    bool CliResult(const std::vector<std::wstring>& args, Dib* dib) {
        std::wstring out = images_.File(L"cli.bmp");
        if (!RunCliEdit(source_, out, args)) return false;
        return ReadDib(ReadFileBytes(out), sizeof(BITMAPFILEHEADER),
                       sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER), dib);
    }

    void ExpectSameAsCli(const std::wstring& size, const std::vector<std::wstring>& args) {
        Dib shown, expected;
        ASSERT_TRUE(ApplyAndCopy(size, &shown)) << qv::WideToUtf8(WindowTitle(sub_));
        ASSERT_TRUE(CliResult(args, &expected));
        EXPECT_EQ(shown.width, expected.width);
        EXPECT_EQ(shown.height, expected.height);
        EXPECT_TRUE(shown.rows == expected.rows) << "the pixels differ from quorvel-cli's";
    }

    bool Modified() const { return WindowTitle(sub_).find(L'*') != std::wstring::npos; }

    ProgramFolder folder_;
    ScratchDir images_;
    std::wstring source_;
    ProcessOwner process_;
    HWND sub_ = nullptr;
};

TEST_F(GeometryToolsTest, ResizeByATypedWidthFollowsTheAspectAndMatchesTheCli) {
    ASSERT_NE(Start(40, 30), nullptr);
    HWND width = Open(qv::kCmdResize);
    ASSERT_NE(width, nullptr) << "no band";
    EXPECT_EQ(WindowTitle(width), L"40");
    EXPECT_EQ(FieldText(1), L"30");
    Type(width, L"500"); // beyond twice the side: held at 80
    EXPECT_TRUE(WaitFor([&] { return WindowTitle(width) == L"80" && FieldText(1) == L"60"; }));
    Type(width, L"26"); // 26 x 30 / 40 = 19.5, rounded up
    EXPECT_TRUE(WaitFor([&] { return FieldText(1) == L"20"; })) << qv::WideToUtf8(FieldText(1));
    ExpectSameAsCli(L"26x20", {L"--resize", L"26x20"});
}

TEST_F(GeometryToolsTest, ResizeThroughAPresetWithOnlyAWidth) {
    ASSERT_NE(Start(40, 30, {IntSlot(kSlotRszP1W, 60), IntSlot(kSlotRszP1H, 0)}), nullptr);
    ASSERT_NE(Open(qv::kCmdResize), nullptr);
    // The band's controls are made one after another: the first may be there before the list.
    HWND presets = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (presets = Descendant(sub_, FieldId(3))) != nullptr; }));
    SendMessageW(presets, CB_SETCURSEL, 1, 0);
    SendMessageW(GetParent(presets), WM_COMMAND, MAKEWPARAM(FieldId(3), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(presets));
    EXPECT_TRUE(WaitFor([&] { return FieldText(0) == L"60" && FieldText(1) == L"45"; }));
    EXPECT_EQ(SendMessageW(presets, CB_GETCURSEL, 0, 0), 0) << "the list shows its title again";
    ExpectSameAsCli(L"60x45", {L"--resize", L"60x45"});
}

TEST_F(GeometryToolsTest, ResizeToTheSameSizeRecordsNoEdit) {
    ASSERT_NE(Start(40, 30), nullptr);
    HWND width = Open(qv::kCmdResize);
    ASSERT_NE(width, nullptr);
    Type(width, L"20");
    Type(width, L"40");
    EXPECT_TRUE(WaitFor([&] { return FieldText(1) == L"30"; }));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    EXPECT_TRUE(WaitFor([&] { return Descendant(sub_, FieldId(0)) == nullptr; })) << "the band stayed";
    PumpMessages(300); // time for an edit there must not be
    EXPECT_FALSE(Modified());
}

TEST_F(GeometryToolsTest, MarginsTypedWithANegativeOneMatchTheCliAndAreWrittenBack) {
    ASSERT_NE(Start(12, 9), nullptr);
    HWND top = Open(qv::kCmdMargins);
    ASSERT_NE(top, nullptr);
    Type(top, L"3");
    Type(Descendant(sub_, FieldId(1)), L"-4"); // a negative margin is none
    EXPECT_TRUE(WaitFor([&] { return FieldText(1) == L"-4"; }));
    Type(Descendant(sub_, FieldId(2)), L"2");
    Type(Descendant(sub_, FieldId(3)), L"5");
    ExpectSameAsCli(L"19x12", {L"--margins", L"3,0,2,5", L"--colour", L"FFFFFF"});
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(folder_.settingsPath()));
    EXPECT_EQ(reader.ReadInt(kSlotMgnT, -1), 3);
    EXPECT_EQ(reader.ReadInt(kSlotMgnT + 1, -1), 0);
}

TEST_F(GeometryToolsTest, TurnByATypedAngleMatchesTheCliWithItsBorder) {
    ASSERT_NE(Start(100, 50), nullptr);
    HWND angle = Open(qv::kCmdTurnByAngle);
    ASSERT_NE(angle, nullptr);
    EXPECT_EQ(WindowTitle(angle), L"0.0");
    Type(angle, L"90");
    ExpectSameAsCli(L"55x105", {L"--turn", L"90", L"--background", L"FFFFFF"});
}

TEST_F(GeometryToolsTest, TurnByZeroRecordsNoEdit) {
    ASSERT_NE(Start(20, 10), nullptr);
    HWND angle = Open(qv::kCmdTurnByAngle);
    ASSERT_NE(angle, nullptr);
    Type(angle, L"0.04"); // rounds to 0.0
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    EXPECT_TRUE(WaitFor([&] { return Descendant(sub_, FieldId(0)) == nullptr; }));
    PumpMessages(300);
    EXPECT_FALSE(Modified());
}

// Where the picture lies in a pane: the box of pixels that differ from the pane's corner, which the
// picture (centred, smaller than the pane) leaves to the background.
bool PictureBox(HWND pane, RECT* box) {
    Capture shot;
    if (!CaptureClientArea(pane, &shot) || shot.width == 0) return false;
    const COLORREF background = shot.Pixel(0, 0);
    *box = RECT{shot.width, shot.height, -1, -1};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x)
            if (shot.Pixel(x, y) != background) {
                box->left = std::min<LONG>(box->left, x), box->right = std::max<LONG>(box->right, x + 1);
                box->top = std::min<LONG>(box->top, y), box->bottom = std::max<LONG>(box->bottom, y + 1);
            }
    return box->right > box->left;
}

TEST_F(GeometryToolsTest, TrimRectangleDraggedWithTheMouseIsCroppedAndUndone) {
    ASSERT_NE(Start(40, 30), nullptr);
    HWND pane = FindWindowExW(sub_, nullptr, L"Quorvel_sch2_class", nullptr);
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdTrim));
    ASSERT_TRUE(WaitFor([&] { return Descendant(sub_, FieldId(1)) != nullptr; })) << "no band";
    // Disabled once the band is complete, which may be a moment after the field appears.
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(Descendant(sub_, FieldId(1))); }))
        << "edge fields before any rectangle";
    RECT box{};
    ASSERT_TRUE(WaitFor([&] { return PictureBox(pane, &box) && box.right - box.left >= 40; }));
    const int scale = (box.right - box.left) / 40;
    ASSERT_GE(scale, 1);
    auto at = [&](int ix, int iy) {
        return MAKELPARAM(box.left + ix * scale + scale / 2, box.top + iy * scale + scale / 2);
    };
    // from image pixel (5, 5) to (25, 20): a move under the threshold first, which draws nothing
    PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, at(5, 5));
    PostMessageW(pane, WM_MOUSEMOVE, MK_LBUTTON, at(6, 6));
    PostMessageW(pane, WM_MOUSEMOVE, MK_LBUTTON, at(15, 12));
    PostMessageW(pane, WM_MOUSEMOVE, MK_LBUTTON, at(25, 20));
    PostMessageW(pane, WM_LBUTTONUP, 0, at(25, 20));
    EXPECT_TRUE(WaitFor([&] { return FieldText(3) == L"25" && FieldText(4) == L"20"; }))
        << qv::WideToUtf8(FieldText(3) + L" " + FieldText(4));
    EXPECT_EQ(FieldText(1), L"5");
    EXPECT_EQ(FieldText(2), L"5");
    EXPECT_EQ(FieldText(5), L"21") << "the width";
    EXPECT_TRUE(IsWindowEnabled(Descendant(sub_, FieldId(1))));
    ExpectSameAsCli(L"21x16", {L"--trim", L"5,5,25,20"});
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    EXPECT_TRUE(WaitForTitleContaining(sub_, L"40x30", kStepTimeoutMs)) << "the history's first step";
}

} // namespace
} // namespace qvtest
