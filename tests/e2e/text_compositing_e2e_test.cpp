// Text and image compositing in the real Quorvel.exe: a Japanese text typed into the text tool's
// input window and applied (a screenshot of the preview is kept beside the test program), and a
// second image chosen through the open dialog, blended in screen mode and dragged on the view.
// Each applied image must be the one quorvel-cli's `edit` makes from the same file and values.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "platform/text_buffer.h"
#include "settings/settings_file.h"

namespace qvtest {
namespace {

// control i of a band: 2000 + 4 i label, + 1 field
constexpr int FieldId(int control) {
    return 2001 + 4 * control;
}
constexpr uint32_t kSlotDrtStr = 191, kSlotDrtFaceS = 192, kSlotDrtSize = 195;
constexpr int kInputTextId = 1001;
constexpr int kCompositeModeControl = 0, kCompositeFileControl = 4;
// a Japanese face Debian's fonts-ipafont-gothic gives Wine
const std::wstring kJapaneseFace = L"IPAGothic";
const std::wstring kJapaneseText = L"日本語";

COLORREF Pattern(int x, int y) {
    return RGB(x * 3, 40 + y * 2, 200 - x);
}

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

// The folder of this test program, where the screenshot stays for people to look at.
std::wstring TestProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/"));
}

class TextCompositingTest : public ::testing::Test {
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
        pane_ = FindWindowExW(sub_, nullptr, L"Quorvel_sch2_class", nullptr);
        return pane_ ? sub_ : nullptr;
    }

    bool ApplyAndCopy(Dib* dib) {
        if (!PostCommand(sub_, qv::kCmdApplyTool)) return false;
        if (!WaitForTitleContaining(sub_, L"*", kStepTimeoutMs)) return false;
        if (!OpenClipboard(nullptr)) return false;
        EmptyClipboard();
        CloseClipboard();
        if (!PostCommand(sub_, qv::kCmdCopy)) return false;
        std::string block;
        if (!WaitFor([&] { return !(block = ClipboardDib()).empty(); })) return false;
        return ReadDib(block, 0, sizeof(BITMAPINFOHEADER), dib);
    }

    void ExpectSameAsCli(const std::vector<std::wstring>& args) {
        Dib shown, expected;
        ASSERT_TRUE(ApplyAndCopy(&shown)) << qv::WideToUtf8(WindowTitle(sub_));
        std::wstring out = images_.File(L"cli.bmp");
        ASSERT_TRUE(RunCliEdit(source_, out, args));
        ASSERT_TRUE(ReadDib(ReadFileBytes(out), sizeof(BITMAPFILEHEADER),
                            sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER), &expected));
        EXPECT_EQ(shown.width, expected.width);
        EXPECT_EQ(shown.height, expected.height);
        EXPECT_TRUE(shown.rows == expected.rows) << "the pixels differ from quorvel-cli's";
        Dib original;
        ASSERT_TRUE(ReadDib(ReadFileBytes(source_), sizeof(BITMAPFILEHEADER),
                            sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER), &original));
        EXPECT_FALSE(shown.rows == original.rows) << "nothing was drawn";
    }

    // Where the picture lies in the pane: the box of pixels that differ from the pane's corner.
    bool PictureBox(RECT* box) {
        Capture shot;
        if (!CaptureClientArea(pane_, &shot) || shot.width == 0) return false;
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

    ProgramFolder folder_;
    ScratchDir images_;
    std::wstring source_;
    ProcessOwner process_;
    HWND sub_ = nullptr;
    HWND pane_ = nullptr;
};

TEST_F(TextCompositingTest, AJapaneseTextTypedAndAppliedMatchesTheCliAndIsKept) {
    ASSERT_NE(Start(160, 60, {TextSlot(kSlotDrtFaceS, kJapaneseFace), IntSlot(kSlotDrtSize, 24)}), nullptr);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdText));
    HWND input = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        std::vector<HWND> found = FindTopLevelWindows(L"Quorvel_drtp_class", process_.id(), true);
        return !found.empty() && (input = found[0]) != nullptr;
    })) << "no text input window";
    HWND edit = Descendant(input, kInputTextId);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(WindowTitle(edit), L"Quorvel") << "the default text";
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    for (wchar_t c : kJapaneseText)
        PostMessageW(edit, WM_CHAR, c, 1);
    ASSERT_TRUE(WaitFor([&] { return WindowTitle(edit) == kJapaneseText; })) << qv::WideToUtf8(WindowTitle(edit));

    // the preview, for people to look at; the ink starts at the top-left of the visible image
    ASSERT_TRUE(WaitUntilPainted(pane_));
    BringToFront(sub_);
    Capture shot;
    ASSERT_TRUE(CaptureClientArea(pane_, &shot));
    const std::wstring screenshot = TestProgramFolder() + L"\\text_tool_japanese.bmp";
    ASSERT_TRUE(
        WriteFileBytes(screenshot, BmpBytes(shot.width, shot.height, [&](int x, int y) { return shot.Pixel(x, y); })));
    std::printf("screenshot: %s\n", qv::WideToUtf8(screenshot).c_str());

    ExpectSameAsCli({L"--text", kJapaneseText, L"--at", L"0,0", L"--font", kJapaneseFace, L"--size", L"24"});
    // the text goes back into the settings as typed, not as a code page's question marks
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(folder_.settingsPath()));
    qv::TextBuffer stored;
    ASSERT_TRUE(reader.ReadText(kSlotDrtStr, &stored));
    EXPECT_EQ(std::wstring(stored.c_str(), stored.length), kJapaneseText);
}

TEST_F(TextCompositingTest, AnOverlayFromTheOpenDialogInScreenModeDraggedMatchesTheCli) {
    ASSERT_NE(Start(40, 30), nullptr);
    const std::wstring overlay = images_.File(L"overlay.bmp");
    ASSERT_TRUE(WriteFileBytes(overlay, BmpBytes(12, 9, [](int x, int y) { return RGB(20 * x, 250 - 20 * y, 90); })));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdComposite));
    HWND mode = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (mode = Descendant(sub_, FieldId(kCompositeModeControl))) != nullptr; }));
    // the result pane shows the preview once a tool is open
    RECT box{};
    ASSERT_TRUE(WaitFor([&] { return PictureBox(&box) && box.right - box.left >= 40; }));
    const int scale = (box.right - box.left) / 40;
    ASSERT_GE(scale, 1);
    auto at = [&](int ix, int iy) {
        return MAKELPARAM(box.left + ix * scale + scale / 2, box.top + iy * scale + scale / 2);
    };
    SendMessageW(mode, CB_SETCURSEL, 2, 0); // screen
    SendMessageW(GetParent(mode), WM_COMMAND, MAKEWPARAM(FieldId(kCompositeModeControl), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(mode));
    HWND file = Descendant(sub_, FieldId(kCompositeFileControl));
    ASSERT_NE(file, nullptr);
    const COLORREF before = ClientPixel(pane_, LOWORD(at(2, 2)), HIWORD(at(2, 2)));
    PostMessageW(GetParent(file), WM_COMMAND, MAKEWPARAM(FieldId(kCompositeFileControl), BN_CLICKED),
                 reinterpret_cast<LPARAM>(file));
    HWND dialog = WaitForDialogOtherThan(process_, nullptr);
    ASSERT_NE(dialog, nullptr) << "no open dialog";
    HWND name = FileDialogNameEdit(dialog);
    ASSERT_NE(name, nullptr);
    SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(overlay.c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    ASSERT_TRUE(WaitUntilGone(dialog));
    // the overlay shows at the top-left before it is dragged
    ASSERT_TRUE(WaitFor([&] { return ClientPixel(pane_, LOWORD(at(2, 2)), HIWORD(at(2, 2))) != before; }));

    // dragged by 33 and 25 image pixels, over the right and the bottom edge, which clip it
    PostMessageW(pane_, WM_LBUTTONDOWN, MK_LBUTTON, at(3, 3));
    PostMessageW(pane_, WM_MOUSEMOVE, MK_LBUTTON, at(10, 9));
    PostMessageW(pane_, WM_MOUSEMOVE, MK_LBUTTON, at(36, 28));
    PostMessageW(pane_, WM_LBUTTONUP, 0, at(36, 28));
    ASSERT_TRUE(WaitFor([&] { return ClientPixel(pane_, LOWORD(at(2, 2)), HIWORD(at(2, 2))) == before; }))
        << "the overlay did not leave the top-left";
    ExpectSameAsCli({L"--composite", overlay + L"@33,25", L"--mode", L"screen"});
}

} // namespace
} // namespace qvtest
