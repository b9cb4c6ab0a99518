// The filter tools in the real Quorvel.exe: a value changed in the band (typed, dragged on its
// label, a mode chosen from the list) and applied gives exactly the kernel's pixels for those
// values; Cancel leaves the image alone; the immediate edge edits commit at once and undo; every
// filter refuses an image under 5 x 5 pixels with message 30006. The pixels are read back through
// the program's own Copy, which hands over the current image's rows unchanged.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "platform/platform.h"
#include "tools/edge_smoothing_kernel.h"
#include "tools/emboss_kernel.h"
#include "tools/soften_kernel.h"
#include "tools/unsharp_kernel.h"

namespace qvtest {
namespace {

// Control i of a band: label 2000 + 4 i, field + 1.
constexpr int LabelId(int control) {
    return 2000 + 4 * control;
}
constexpr int FieldId(int control) {
    return LabelId(control) + 1;
}
constexpr uint32_t kSlotUsmLevel = 132, kSlotUsmRange = 133, kSlotSftMode = 134, kSlotMosSync = 140;

std::wstring MessageBoxText(HWND box) {
    wchar_t text[512] = {};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowClassName(child) == L"Static" && GetWindowTextW(child, text, 512) > 3) return text;
    return {};
}

// The current image as the program copies it: width, height and the bottom-up rows.
struct Pixels {
    int32_t width = 0, height = 0;
    std::string rows;
    bool operator==(const Pixels&) const = default;
};

// A 24-bit picture with stripes and a soft diagonal: edges and flat parts for every filter.
COLORREF Pattern(int x, int y) {
    return RGB((x * 7 + y * 3) & 0xFF, x % 9 < 4 ? 40 : 210, y % 6 < 3 ? 20 : 160);
}

class FilterToolsTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    // Opens `image` (a path) in the SubWindow with `slots` stored.
    HWND Start(const std::wstring& image, std::vector<SlotValue> slots = {}) {
        std::vector<SlotValue> all = QuietSettings();
        all.push_back(IntSlot(qv::kSlotStart, 1));
        all.insert(all.end(), slots.begin(), slots.end());
        if (!folder_.Create(all)) return nullptr;
        process_ = Launch(folder_.exePath(), {image});
        if (!process_.valid()) return nullptr;
        view_ = WaitForProcessWindow(process_, kViewWindowClass, kStartTimeoutMs, false);
        sub_ = WaitForProcessWindow(process_, kSubWindowClass);
        std::wstring name = image.substr(image.find_last_of(L"\\/") + 1);
        if (!sub_ || !WaitForTitleContaining(sub_, name)) return nullptr;
        SetForegroundWindow(sub_);
        return sub_;
    }
    HWND StartPattern(int width, int height, std::vector<SlotValue> slots = {}) {
        if (!WriteFileBytes(images_.File(L"pattern.bmp"), BmpBytes(width, height, Pattern))) return nullptr;
        return Start(images_.File(L"pattern.bmp"), std::move(slots));
    }

    bool Copied(Pixels* out) {
        if (!OpenClipboard(nullptr)) return false;
        EmptyClipboard();
        CloseClipboard();
        if (!PostCommand(sub_, qv::kCmdCopy)) return false;
        std::string block;
        if (!WaitFor([&] { return !(block = ClipboardDib()).empty(); }) || block.size() < sizeof(BITMAPINFOHEADER))
            return false;
        BITMAPINFOHEADER header;
        std::memcpy(&header, block.data(), sizeof header);
        if (header.biBitCount != 24 || header.biHeight <= 0) return false;
        size_t bytes = static_cast<size_t>((header.biWidth * 3 + 3) & ~3) * header.biHeight;
        if (block.size() < header.biSize + bytes) return false;
        out->width = header.biWidth;
        out->height = header.biHeight;
        out->rows = block.substr(header.biSize, bytes);
        return true;
    }

    // What `kernel` makes of `source`, mask-free as the program runs it without a selection.
    static Pixels Expected(const Pixels& source, const std::function<void(const qv::KernelJob&)>& kernel) {
        Pixels out = source;
        const auto* in = reinterpret_cast<const uint8_t*>(source.rows.data());
        kernel(
            qv::WholeImageJob(in, reinterpret_cast<uint8_t*>(out.rows.data()), source.width, source.height, nullptr));
        return out;
    }

    // The band is made control by control, Apply last: a field counts once the whole band exists.
    HWND WaitForField(int control) {
        HWND field = nullptr;
        WaitFor([&] {
            return Descendant(sub_, qv::kCmdApplyTool) && (field = Descendant(sub_, FieldId(control))) != nullptr;
        });
        return field;
    }
    bool BandGone() {
        return WaitFor([&] { return Descendant(sub_, FieldId(0)) == nullptr; });
    }
    bool Modified() const { return WindowTitle(sub_).find(L'*') != std::wstring::npos; }

    // The error box the program shows, with its text; closed afterwards.
    std::wstring ErrorText() {
        HWND box = WaitForDialogOtherThan(process_, nullptr);
        if (!box) return {};
        std::wstring text = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        WaitUntilGone(box);
        return text;
    }

    ProgramFolder folder_;
    ScratchDir images_;
    ProcessOwner process_;
    HWND view_ = nullptr, sub_ = nullptr;
};

// A photo nobody here made: the amount dragged on its label, applied, is the kernel's unsharp
// mask of the shown image for that amount; undo brings the photo back byte for byte.
TEST_F(FilterToolsTest, UnsharpMaskOnAPhotoFollowsALabelDragAppliesAndUndoes) {
    const std::wstring photo = WinePath(CorpusDir() + L"/jpegimages/libjpeg-turbo-2.1.5/testimages/testorig.jpg");
    ASSERT_NE(Start(photo, {IntSlot(kSlotUsmLevel, 3), IntSlot(kSlotUsmRange, 20)}), nullptr);
    Pixels original;
    ASSERT_TRUE(Copied(&original));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUnsharpMask));
    HWND amount = WaitForField(0);
    ASSERT_NE(amount, nullptr) << "no band";
    EXPECT_EQ(WindowTitle(amount), L"3");
    EXPECT_EQ(WindowTitle(Descendant(sub_, FieldId(1))), L"20");
    // 16 pixels to the right at two pixels a step: 3 + 8
    HWND label = Descendant(sub_, LabelId(0));
    SendMessageW(label, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageW(label, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 4));
    SendMessageW(label, WM_LBUTTONUP, 0, MAKELPARAM(20, 4));
    EXPECT_TRUE(WaitFor([&] { return WindowTitle(amount) == L"11"; })) << qv::WideToUtf8(WindowTitle(amount));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(BandGone());
    ASSERT_TRUE(WaitFor([&] { return Modified(); }));
    Pixels applied;
    ASSERT_TRUE(Copied(&applied));
    const Pixels expected = Expected(original, [](const qv::KernelJob& job) {
        qv::LargeBlock difference(
            reinterpret_cast<uint8_t*>(qv::MakeUnsharpDifference(job.source, job.width, job.height, 1)));
        qv::UnsharpParams p;
        p.amount = 11;
        p.threshold = 20;
        p.difference = reinterpret_cast<const int8_t*>(difference.get());
        qv::RunUnsharp(job, p, 1);
    });
    EXPECT_NE(expected, original) << "the photo gave the amount nothing to do";
    EXPECT_TRUE(applied == expected) << "the applied pixels are not the kernel's";

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
    ASSERT_TRUE(WaitFor([&] { return !Modified(); }));
    Pixels undone;
    ASSERT_TRUE(Copied(&undone));
    EXPECT_TRUE(undone == original);
}

// Soften's list switches the enabled value to the chosen mode's; the Gaussian applied is the
// kernel's. Mosaic's square blocks disable the height, and its Cancel leaves the image untouched.
TEST_F(FilterToolsTest, SoftenModeListAppliesTheGaussianAndMosaicCancelsCleanly) {
    ASSERT_NE(StartPattern(48, 36, {IntSlot(kSlotSftMode, 0), IntSlot(kSlotMosSync, 1)}), nullptr);
    Pixels original;
    ASSERT_TRUE(Copied(&original));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdSoften));
    HWND list = WaitForField(0);
    ASSERT_NE(list, nullptr);
    HWND box3 = Descendant(sub_, FieldId(1)), radius = Descendant(sub_, FieldId(3));
    // the band's fields exist a moment before the tool sets which of them are enabled
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(box3) && !IsWindowEnabled(radius); }))
        << "the radius belongs to another mode";
    SendMessageW(list, CB_SETCURSEL, qv::kSoftenGaussian, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(FieldId(0), CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(radius) && !IsWindowEnabled(box3); }));
    SendMessageW(radius, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"4"));
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdApplyTool));
    ASSERT_TRUE(BandGone());
    ASSERT_TRUE(WaitFor([&] { return Modified(); }));
    Pixels softened;
    ASSERT_TRUE(Copied(&softened));
    qv::SoftenParams p;
    p.mode = qv::kSoftenGaussian;
    p.radius = 4;
    EXPECT_TRUE(softened == Expected(original, [&](const qv::KernelJob& job) { qv::RunSoften(job, p, 1); }));

    ASSERT_TRUE(PostCommand(sub_, qv::kCmdMosaic));
    HWND width = WaitForField(0);
    ASSERT_NE(width, nullptr);
    HWND height = Descendant(sub_, FieldId(1));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowEnabled(height); })) << "square blocks take no height";
    SendMessageW(width, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
    EXPECT_TRUE(WaitFor([&] { return WindowTitle(height) == L"7"; })) << "the height does not follow the width";
    ASSERT_TRUE(PostCommand(sub_, qv::kCmdCancelTool));
    ASSERT_TRUE(BandGone());
    Pixels after;
    ASSERT_TRUE(Copied(&after));
    EXPECT_TRUE(after == softened) << "Cancel changed the image";
}

// Edge extraction and edge-preserving smoothing open no band: each commits the kernel's result
// at once and undo restores the image.
TEST_F(FilterToolsTest, EdgeEditsCommitAtOnceAndUndo) {
    ASSERT_NE(StartPattern(33, 21), nullptr);
    Pixels original;
    ASSERT_TRUE(Copied(&original));
    const struct {
        int32_t command;
        std::function<void(const qv::KernelJob&)> kernel;
    } kCases[] = {
        {qv::kCmdExtractEdges, [](const qv::KernelJob& job) { qv::ExtractEdges(job, 1); }},
        {qv::kCmdEdgePreservingSmoothing, [](const qv::KernelJob& job) { qv::SmoothPreservingEdges(job, 1); }},
    };
    for (const auto& c : kCases) {
        ASSERT_TRUE(PostCommand(sub_, c.command));
        ASSERT_TRUE(WaitFor([&] { return Modified(); })) << c.command;
        EXPECT_EQ(Descendant(sub_, FieldId(0)), nullptr) << "an immediate edit opened a band";
        Pixels edited;
        ASSERT_TRUE(Copied(&edited));
        EXPECT_TRUE(edited == Expected(original, c.kernel)) << c.command;
        ASSERT_TRUE(PostCommand(sub_, qv::kCmdUndo));
        ASSERT_TRUE(WaitFor([&] { return !Modified(); })) << c.command;
        Pixels undone;
        ASSERT_TRUE(Copied(&undone));
        EXPECT_TRUE(undone == original) << c.command;
    }
}

// The other filter windows open with their first value as stored (here the defaults), their
// one-time preparation included, and Cancel leaves no edit.
TEST_F(FilterToolsTest, TheOtherFilterWindowsOpenWithTheirValuesAndCancel) {
    ASSERT_NE(StartPattern(30, 24), nullptr);
    const struct {
        int32_t command;
        const wchar_t* first;
    } kCases[] = {{qv::kCmdFocus, L"100"}, {qv::kCmdJitter, L"80"}, {qv::kCmdEmboss, L"0"}};
    for (const auto& c : kCases) {
        ASSERT_TRUE(PostCommand(sub_, c.command));
        HWND field = WaitForField(0);
        ASSERT_NE(field, nullptr) << c.command;
        EXPECT_EQ(WindowTitle(field), c.first) << c.command;
        ASSERT_TRUE(PostCommand(sub_, qv::kCmdCancelTool));
        ASSERT_TRUE(BandGone()) << c.command;
        EXPECT_FALSE(Modified()) << c.command;
    }
}

// A 4 x 4 image: a filter window and an immediate filter both refuse with 30006 and change
// nothing.
TEST_F(FilterToolsTest, FiltersRefuseAFourByFourImage) {
    ASSERT_NE(StartPattern(4, 4), nullptr);
    for (int32_t command : {qv::kCmdEmboss, qv::kCmdExtractEdges}) {
        ASSERT_TRUE(PostCommand(sub_, command));
        EXPECT_EQ(ErrorText(), L"The image is too small for this operation.") << command;
        EXPECT_EQ(Descendant(sub_, FieldId(0)), nullptr) << command;
        EXPECT_FALSE(Modified()) << command;
    }
}

} // namespace
} // namespace qvtest
