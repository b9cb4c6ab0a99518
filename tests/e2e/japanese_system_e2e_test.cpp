// The real Quorvel.exe on a system whose ANSI code page is 932 (ctest runs this program with a
// Japanese locale): ZIP names without the UTF-8 flag and the old text settings are read in that
// page. In it the second byte of a character may be 0x5C ("\") or 0x7C ("|").
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "settings/settings_file.h"
#include "zip_builder.h"

namespace qvtest {
namespace {

constexpr uint32_t kSlotOpenFolder = 28;
// U+8868 and U+30DD in code page 932: the second bytes are 0x5C and 0x7C
const char kTableName[] = "\x95\x5C.bmp";
const char kPoName[] = "\x83\x7C.bmp";

class JapaneseSystemTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8"; }
    void TearDown() override {
        if (process_.valid() && !process_.HasExited() && view_) CloseAndWait(view_, process_);
    }
    ScratchDir images_;
    ProgramFolder program_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

TEST_F(JapaneseSystemTest, ZipNamesAreReadInTheAnsiCodePage) {
    const std::wstring zip = images_.File(L"x.zip");
    ASSERT_TRUE(WriteFileBytes(zip, BuildZip({{kTableName, SolidBmpBytes(8, 8, RGB(200, 30, 30))},
                                              {kPoName, SolidBmpBytes(8, 8, RGB(30, 30, 200))}})));
    ASSERT_TRUE(program_.Create(QuietSettings()));
    process_ = Launch(program_.exePath(), {zip});
    view_ = WaitForProcessWindow(process_, kViewWindowClass);
    ASSERT_NE(view_, nullptr);
    // both members are listed, by their one-character names, none of them in a folder
    const std::wstring table = L"x.zip::\u8868.bmp", po = L"x.zip::\u30dd.bmp";
    ASSERT_TRUE(WaitUntil(kStartTimeoutMs, [&] {
        std::wstring title = WindowTitle(view_);
        return title.find(table) != std::wstring::npos || title.find(po) != std::wstring::npos;
    })) << qv::WideToUtf8(WindowTitle(view_));
    const bool tableFirst = WindowTitle(view_).find(table) != std::wstring::npos;
    ASSERT_TRUE(PostCommand(view_, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForTitleContaining(view_, tableFirst ? po : table, kStepTimeoutMs))
        << qv::WideToUtf8(WindowTitle(view_));
}

// The old text settings were written by the profile functions in the ANSI page.
TEST_F(JapaneseSystemTest, TheLegacyTextSettingsAreMigratedInTheAnsiCodePage) {
    const std::wstring folder = images_.File(L"\u8868");
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(program_.Create({}, false));
    std::string open = qv::WideToUtf8(images_.path()); // the scratch path is plain ASCII
    ASSERT_EQ(open.find_first_not_of("\\:._-abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
              std::string::npos);
    ASSERT_TRUE(WriteFileBytes(program_.settingsPath(), "[Path]\r\nLangFile=English\r\nOpen=" + open +
                                                            "\\\x95\x5C\r\n"
                                                            "[Awin]\r\nMouseInfo=0\r\n"));
    process_ = Launch(program_.exePath(), {});
    view_ = WaitForProcessWindow(process_, kViewWindowClass);
    ASSERT_NE(view_, nullptr);
    ASSERT_TRUE(CloseAndWait(view_, process_));
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(program_.settingsPath()));
    qv::TextBuffer text;
    ASSERT_TRUE(reader.ReadText(kSlotOpenFolder, &text));
    EXPECT_EQ(text.str(), folder) << qv::WideToUtf8(text.str());
}

} // namespace
} // namespace qvtest
