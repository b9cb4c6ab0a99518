// The shipped plug-ins in the real Quorvel.exe: with the plug-in folder set, Netpbm files step with
// the PNGs of their folder in logical order, a TAR archive opens as a folder of its images with
// "x.tar::member" titles, the open dialog offers their patterns, and a switched-off plug-in's
// files are passed over.
#include <windows.h>

#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/png_codec.h"
#include "e2e_support_win.h"
#include "jpeg_test_files.h"
#include "model/command_ids.h"
#include "model/image_buffer.h"
#include "model/settings.h"
#include "settings/settings_file.h"
#include "shown_image_win.h"
#include "tar_builder.h"

namespace qvtest {
namespace {

// A grey PGM or a colour PPM of one shade, in the raw forms.
std::string Pgm(int side, uint8_t grey) {
    std::string header = "P5 " + std::to_string(side) + " " + std::to_string(side) + " 255\n";
    return header + std::string(static_cast<size_t>(side) * side, static_cast<char>(grey));
}
std::string Ppm(int side, uint8_t r, uint8_t g, uint8_t b) {
    std::string out = "P6\n# made by the test\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
    for (int i = 0; i < side * side; ++i)
        out += std::string{static_cast<char>(r), static_cast<char>(g), static_cast<char>(b)};
    return out;
}

bool WritePng(const std::wstring& path, int side, COLORREF colour) {
    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::CodecStatus status = qv::kCodecOk;
    bool ok = image && qv::PrepareImage(image, side, side, 24, &status);
    for (int y = 0; ok && y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint8_t* p = qv::ImageRowFromTop(image, y) + x * 3;
            p[0] = GetBValue(colour), p[1] = GetGValue(colour), p[2] = GetRValue(colour);
        }
    ok = ok && qv::WritePngFile(path.c_str(), *image, qv::PngWriteOptions{}) == qv::kCodecOk;
    qv::FreeImageRecord(image);
    return ok;
}

class PluginsE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyPlugins(ShippedPluginDir(), {L"netpbm.spi", L"tar.spi"}, plugins_.path()));
    }
    void TearDown() override {
        if (process_.valid() && !process_.HasExited() && view_) CloseAndWait(view_, process_);
    }

    // Starts the program with the plug-in folder (and the switched-off names) on `path` and waits
    // for the title to name `firstShown`.
    HWND Start(const std::wstring& path, const std::wstring& firstShown, const std::wstring& switchedOff = {}) {
        std::vector<SlotValue> slots = QuietSettings();
        slots.push_back(TextSlot(qv::kSlotSpi, plugins_.path()));
        slots.push_back(TextSlot(qv::kSlotOpen, images_.path()));
        if (!switchedOff.empty()) slots.push_back(TextSlot(qv::kSlotPluginNames, switchedOff + L'\0'));
        if (!program_.Create(slots)) return nullptr;
        process_ = Launch(program_.exePath(), {path});
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        if (view_) {
            EXPECT_TRUE(WaitForShown(view_, firstShown, kStartTimeoutMs));
        }
        return view_;
    }

    // A PNG, a PPM and a PGM whose logical order differs from the plain character order.
    void WriteMixedFolder() {
        ASSERT_TRUE(WritePng(images_.File(L"a1.png"), 16, RGB(200, 30, 30)));
        ASSERT_TRUE(WriteFileBytes(images_.File(L"a2.ppm"), Ppm(16, 30, 200, 30)));
        ASSERT_TRUE(WriteFileBytes(images_.File(L"a10.pgm"), Pgm(16, 90)));
        ASSERT_TRUE(WritePng(images_.File(L"b.png"), 16, RGB(30, 30, 200)));
        ASSERT_TRUE(WriteFileBytes(images_.File(L"c.txt"), "not listed"));
    }

    ScratchDir plugins_, images_;
    ProgramFolder program_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

TEST_F(PluginsE2eTest, NetpbmFilesStepWithThePngsOfTheirFolderInLogicalOrder) {
    WriteMixedFolder();
    HWND view = Start(images_.File(L"a1.png"), L"a1.png");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"a2.ppm"));
    EXPECT_TRUE(WaitForCentreColour(view, RGB(30, 200, 30)));
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"a10.pgm"));
    EXPECT_TRUE(WaitForCentreColour(view, RGB(90, 90, 90)));
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"b.png"));
    ASSERT_TRUE(PostKey(view, VK_DOWN)); // the last entry: no step to the text file
    ASSERT_TRUE(PostKey(view, VK_UP));
    EXPECT_TRUE(WaitForShown(view, L"a10.pgm"));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(PluginsE2eTest, ATarOfJpegsAndPgmsOpensAsAFolderOfItsImages) {
    std::wstring jpeg = images_.File(L"made.jpg");
    ASSERT_TRUE(WriteTestJpeg(jpeg, 24, 16, 0));
    std::vector<TarEntry> entries = {{"sub/two.pgm", Pgm(8, 120)},
                                     {"one.jpg", ReadFileBytes(jpeg)},
                                     {"readme.txt", "no image"},
                                     {"three.pgm", Pgm(8, 40)}};
    ASSERT_TRUE(WriteFileBytes(images_.File(L"x.tar"), BuildTar(entries, TarFlavour::Gnu)));
    HWND view = Start(images_.File(L"x.tar"), L"x.tar::one.jpg");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"x.tar::three.pgm"));
    EXPECT_TRUE(WaitForCentreColour(view, RGB(40, 40, 40)));
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"x.tar::sub\\two.pgm"));
    EXPECT_TRUE(WaitForCentreColour(view, RGB(120, 120, 120)));
    ASSERT_TRUE(PostKey(view, VK_LEFT)); // first
    EXPECT_TRUE(WaitForShown(view, L"x.tar::one.jpg"));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(PluginsE2eTest, TheOpenDialogOffersThePluginPatternsAndOpensANetpbmFile) {
    WriteMixedFolder();
    HWND view = Start(images_.File(L"a1.png"), L"a1.png");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostCommand(view, qv::kCmdOpen));
    HWND dialog = WaitForDialogOtherThan(process_, nullptr);
    ASSERT_NE(dialog, nullptr) << "no open dialog";
    HWND types = GetDlgItem(dialog, cmb1);
    ASSERT_NE(types, nullptr);
    std::vector<std::wstring> labels;
    for (LRESULT i = 0, n = SendMessageW(types, CB_GETCOUNT, 0, 0); i < n; ++i) {
        wchar_t text[512] = {};
        if (SendMessageW(types, CB_GETLBTEXTLEN, i, 0) < 511) SendMessageW(types, CB_GETLBTEXT, i, (LPARAM)text);
        labels.push_back(text);
    }
    bool offered = false;
    for (const std::wstring& label : labels)
        offered = offered || label.find(L"(*.pbm;*.pgm;*.ppm;*.pam;*.tar)") != std::wstring::npos;
    EXPECT_TRUE(offered) << "no plug-in entry among " << labels.size() << " file types";

    // the chosen Netpbm file opens like any other
    HWND edit = FileDialogNameEdit(dialog);
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(images_.File(L"a10.pgm").c_str()));
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(WaitUntilGone(dialog));
    EXPECT_TRUE(WaitForShown(view, L"a10.pgm"));
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(PluginsE2eTest, ASwitchedOffPluginsFilesArePassedOver) {
    WriteMixedFolder();
    HWND view = Start(images_.File(L"a1.png"), L"a1.png", L"NETPBM.SPI");
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForShown(view, L"b.png"));
    ASSERT_TRUE(PostKey(view, VK_UP));
    EXPECT_TRUE(WaitForShown(view, L"a1.png"));
    EXPECT_TRUE(CloseAndWait(view, process_));
    // the stored list keeps the switched-off name, which names a file of the folder
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(program_.settingsPath()));
    EXPECT_EQ(reader.ReadNameList(qv::kSlotPluginNames), std::vector<std::wstring>{L"NETPBM.SPI"});
}

} // namespace
} // namespace qvtest
