// The tone and colour tools in the real Quorvel.exe: a value typed into a tool's band and applied
// gives exactly the pixels quorvel-cli's `edit` gives for the same values (read back from the edit's
// history snapshot); a neutral apply records nothing; an 8-bit image stays 8-bit with its palette
// mapped; the levels tool opens its histogram window; negative commits at once and undoes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "test_support.h"

namespace qvtest {
namespace {

constexpr int kSide = 24;
// control i of a band: label 2000 + 4 i, field 2001 + 4 i
constexpr int FieldId(int control) {
    return 2001 + 4 * control;
}

std::wstring TempFolder() {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return folder;
}

// An image as the edit history stores it and as a BMP file holds it: bits per pixel, the palette
// of an 8-bit image and the pixel rows, bottom-up with their padding.
struct Picture {
    int32_t bits = 0;
    std::string palette; // 1024 bytes for 8 bits
    std::string rows;
    bool operator==(const Picture&) const = default;
};

size_t RowBytes(int32_t bits) {
    return (static_cast<size_t>(kSide) * (bits / 8) + 3) & ~size_t{3};
}

int32_t Int32At(const std::string& b, size_t at) {
    int32_t v = 0;
    if (b.size() >= at + 4) std::memcpy(&v, b.data() + at, 4);
    return v;
}

// A snapshot file: width, height, bits, format, rotation, mask flag, [palette], rows.
Picture SnapshotPicture(const std::string& b) {
    Picture p;
    p.bits = Int32At(b, 8);
    size_t at = 21;
    if (p.bits == 8) p.palette = b.substr(at, 1024), at += 1024;
    p.rows = b.size() > at ? b.substr(at, RowBytes(p.bits) * kSide) : std::string();
    return p;
}

Picture BmpPicture(const std::string& b) {
    Picture p;
    p.bits = b.size() > 30 ? static_cast<uint8_t>(b[28]) : 0;
    if (p.bits == 8) p.palette = b.substr(54, 1024);
    size_t at = static_cast<size_t>(Int32At(b, 10));
    p.rows = b.size() > at ? b.substr(at, RowBytes(p.bits) * kSide) : std::string();
    return p;
}

// The reserved byte of a palette entry says nothing about a colour.
void ClearReserved(Picture* p) {
    for (size_t i = 3; i < p->palette.size(); i += 4)
        p->palette[i] = 0;
}

// An 8-bit BMP: a palette of 256 colours of every kind, each pixel one index.
std::string PaletteBmpBytes() {
    std::string b(54 + 1024 + RowBytes(8) * kSide, '\0');
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); };
    b[0] = 'B', b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54 + 1024);
    put32(14, 40);
    put32(18, kSide);
    put32(22, kSide);
    b[26] = 1, b[28] = 8;
    for (int i = 0; i < 256; ++i) {
        b[54 + 4 * i] = static_cast<char>(i);                 // blue
        b[54 + 4 * i + 1] = static_cast<char>((i * 7) & 255); // green
        b[54 + 4 * i + 2] = static_cast<char>(255 - i);       // red
    }
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            b[54 + 1024 + y * RowBytes(8) + x] = static_cast<char>((x * kSide + y) & 255);
    return b;
}

COLORREF Gradient(int x, int y) {
    return RGB(x * 10, y * 10, (x * y) & 255);
}

class ToneToolsTest : public ::testing::Test {
protected:
    void TearDown() override {
        // an edited image asks before the program closes: one step back to the source first
        if (sub_ && Modified() && PostCommand(sub_, qv::kCmdUndo)) WaitFor([&] { return !Modified(); });
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    HWND Start(const std::string& bmp) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.push_back(IntSlot(qv::kSlotStart, 1)); // the SubWindow
        if (!folder_.Create(slots)) return nullptr;
        source_ = folder_.File(L"source.bmp");
        if (!WriteFileBytes(source_, bmp)) return nullptr;
        before_ = TempFiles();
        process_ = Launch(folder_.exePath(), {source_});
        if (!process_.valid()) return nullptr;
        view_ = WaitForProcessWindow(process_, kViewWindowClass, kStartTimeoutMs, false);
        sub_ = WaitForProcessWindow(process_, kSubWindowClass);
        if (!sub_ || !WaitForTitleContaining(sub_, L"source.bmp")) return nullptr;
        SetForegroundWindow(sub_);
        return sub_;
    }

    // Opens the tool, types `text` into the field of control `control` and applies.
    bool ApplyWith(int32_t command, int control, const wchar_t* text) {
        if (!PostCommand(sub_, command)) return false;
        HWND field = nullptr;
        if (!WaitFor([&] { return (field = Descendant(sub_, FieldId(control))) != nullptr; })) return false;
        SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
        if (!PostCommand(sub_, qv::kCmdApplyTool)) return false;
        return WaitFor([&] { return Descendant(sub_, FieldId(control)) == nullptr; });
    }

    bool Modified() const { return WindowTitle(sub_).find(L'*') != std::wstring::npos; }

    // The edit's snapshot: of the files the history made, the one that is not the source image.
    bool EditedPicture(Picture* edited) {
        Picture original = BmpPicture(ReadFileBytes(source_));
        return WaitFor([&] {
            for (const std::wstring& name : TempFiles()) {
                if (before_.count(name)) continue;
                Picture p = SnapshotPicture(ReadFileBytes(TempFolder() + name));
                if (!p.rows.empty() && !(p == original)) {
                    *edited = p;
                    return true;
                }
            }
            return false;
        });
    }

    // What quorvel-cli edit gives for the source with these operation arguments.
    Picture CliPicture(const std::vector<std::wstring>& operation) {
        std::wstring out = folder_.File(L"expected.bmp");
        std::vector<std::wstring> args = {L"edit", source_, out};
        args.insert(args.end(), operation.begin(), operation.end());
        ProcessOwner cli = Launch(ProductBinDir() + L"\\quorvel-cli.exe", args);
        DWORD code = 1;
        if (!cli.valid() || !cli.WaitForExit(kExitTimeoutMs, &code) || code != 0) return {};
        return BmpPicture(ReadFileBytes(out));
    }

    size_t NewFiles() const {
        size_t n = 0;
        for (const std::wstring& name : TempFiles())
            n += before_.count(name) ? 0 : 1;
        return n;
    }

    ProgramFolder folder_;
    ProcessOwner process_;
    std::wstring source_;
    std::set<std::wstring> before_;
    HWND view_ = nullptr, sub_ = nullptr;
};

// Red on the left, blue on the right: a click on the left half picks the red.
constexpr COLORREF kPickRed = RGB(200, 40, 40);
COLORREF RedAndBlue(int x, int) {
    return x < kSide / 2 ? kPickRed : RGB(40, 40, 200);
}

// HLS takes the reference colour from a click on the view; limited to colours near it, a hue
// shift of 120 then gives what --hls 120,0,0,C82828,50 gives, and undo brings the source back.
TEST_F(ToneToolsTest, HlsPicksItsColourFromTheViewAppliesAndUndoes) {
    ASSERT_NE(Start(BmpBytes(kSide, kSide, RedAndBlue)), nullptr);
    HWND pane = FindWindowExW(sub_, nullptr, L"Quorvel_sch1_class", nullptr);
    ASSERT_NE(pane, nullptr);
    POINT red{-1, -1};
    ASSERT_TRUE(WaitFor([&] {
        Capture shot;
        if (!CaptureClientArea(pane, &shot)) return false;
        for (int y = 0; y < shot.height && red.x < 0; ++y)
            for (int x = 0; x < shot.width && red.x < 0; ++x)
                if (shot.Pixel(x, y) == kPickRed) red = POINT{x + 2, y + 2};
        return red.x >= 0;
    })) << "the picture is not shown";
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdHueLightnessSaturation));
    constexpr int kReferenceBox = 2001 + 4 * 5, kLimitBox = 2001 + 4 * 4;
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = Descendant(sub_, kReferenceBox)) != nullptr; }));
    EXPECT_EQ(GetWindowLongPtrW(box, GWLP_USERDATA), 0xFFFFFF) << "white, the stored default";
    LPARAM at = MAKELPARAM(red.x, red.y);
    PostMessageW(pane, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(pane, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(WaitFor([&] { return GetWindowLongPtrW(box, GWLP_USERDATA) == 0x2828C8; })) << "no colour picked";
    SendMessageW(Descendant(sub_, kLimitBox), BM_CLICK, 0, 0);
    ASSERT_TRUE(ApplyWith(qv::kCmdHueLightnessSaturation, 0, L"120"));
    ASSERT_TRUE(WaitFor([&] { return Modified(); }));
    Picture edited, expected = CliPicture({L"--hls", L"120,0,0,C82828,50"});
    ASSERT_TRUE(EditedPicture(&edited));
    EXPECT_TRUE(edited == expected);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    EXPECT_TRUE(WaitFor([&] { return !Modified(); }));
}

// Gamma's red field drives all three channels while linked (the default), as --gamma 40 does.
TEST_F(ToneToolsTest, LinkedGammaGivesWhatTheCliGives) {
    ASSERT_NE(Start(BmpBytes(kSide, kSide, Gradient)), nullptr);
    ASSERT_TRUE(ApplyWith(qv::kCmdGamma, 0, L"40"));
    ASSERT_TRUE(WaitFor([&] { return Modified(); }));
    Picture edited, expected = CliPicture({L"--gamma", L"40"});
    ASSERT_TRUE(EditedPicture(&edited));
    ASSERT_EQ(expected.bits, 24);
    EXPECT_TRUE(edited == expected) << "the tool and the cli differ";
}

// The levels tool shows its histogram window with the band; a black point of 30 is --levels 30,255,0.
TEST_F(ToneToolsTest, LevelsOpensItsHistogramAndGivesWhatTheCliGives) {
    ASSERT_NE(Start(BmpBytes(kSide, kSide, Gradient)), nullptr);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdLevels));
    EXPECT_TRUE(WaitFor([&] {
        for (HWND w : FindTopLevelWindows(L"Quorvel_hgmp_class", WindowProcessId(sub_), true))
            if (FindWindowExW(w, nullptr, L"Quorvel_hgmc_class", nullptr)) return true;
        return false;
    })) << "no histogram window with its control";
    ASSERT_TRUE(ApplyWith(qv::kCmdLevels, 1, L"30"));
    EXPECT_TRUE(FindTopLevelWindows(L"Quorvel_hgmp_class", WindowProcessId(sub_), true).empty())
        << "the histogram outlived the tool";
    Picture edited, expected = CliPicture({L"--levels", L"30,255,0"});
    ASSERT_TRUE(EditedPicture(&edited));
    EXPECT_TRUE(edited == expected);
}

// Command 5111 shows the current image's histogram without a tool; it closes on its own.
TEST_F(ToneToolsTest, HistogramCommandShowsTheWindowOfTheCurrentImage) {
    ASSERT_NE(Start(BmpBytes(kSide, kSide, Gradient)), nullptr);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdHistogram));
    HWND window = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND w : FindTopLevelWindows(L"Quorvel_hgmp_class", WindowProcessId(sub_), true))
            if (FindWindowExW(w, nullptr, L"Quorvel_hgmc_class", nullptr)) window = w;
        return window != nullptr;
    }));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntilGone(window));
}

// Posterize on an 8-bit image: the indices stay, the palette is mapped as --posterize 3 maps it.
TEST_F(ToneToolsTest, PosterizeKeepsAnEightBitImageAndMapsItsPalette) {
    ASSERT_NE(Start(PaletteBmpBytes()), nullptr);
    ASSERT_TRUE(ApplyWith(qv::kCmdPosterize, 3, L"3")); // the common count, synchronised by default
    Picture edited, expected = CliPicture({L"--posterize", L"3"});
    ASSERT_TRUE(EditedPicture(&edited));
    EXPECT_EQ(edited.bits, 8) << "the image lost its palette";
    EXPECT_EQ(edited.rows, BmpPicture(PaletteBmpBytes()).rows) << "the indices moved";
    ClearReserved(&edited);
    ClearReserved(&expected);
    EXPECT_TRUE(edited == expected);
}

// Brightness 0 everywhere would change nothing: Apply records no step.
TEST_F(ToneToolsTest, NeutralApplyRecordsNothing) {
    ASSERT_NE(Start(BmpBytes(kSide, kSide, Gradient)), nullptr);
    ASSERT_TRUE(ApplyWith(qv::kCmdBrightness, 0, L"0"));
    // a round trip through the window's thread: the apply has been handled when it returns
    DWORD_PTR ignored = 0;
    ASSERT_NE(SendMessageTimeoutW(sub_, WM_NULL, 0, 0, SMTO_NORMAL, kStepTimeoutMs, &ignored), 0);
    EXPECT_FALSE(Modified());
    EXPECT_EQ(NewFiles(), 0u);
}

// Negative commits at once, equal to --negative, and undo brings the source back.
TEST_F(ToneToolsTest, NegativeCommitsAtOnceAndUndoes) {
    ASSERT_NE(Start(BmpBytes(kSide, kSide, Gradient)), nullptr);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdNegative));
    ASSERT_TRUE(WaitFor([&] { return Modified(); })) << "no edit";
    Picture edited, expected = CliPicture({L"--negative"});
    ASSERT_TRUE(EditedPicture(&edited));
    EXPECT_TRUE(edited == expected);
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    EXPECT_TRUE(WaitFor([&] { return !Modified(); }));
}

} // namespace
} // namespace qvtest
