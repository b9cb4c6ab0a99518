// RAR archives in the real Quorvel.exe with our own unrar64.dll beside it: an archive of images
// opens as a folder, the keys step through its members, "/vz3" opens its fourth member, and the
// same archive without the library, or with a library that exports nothing, shows nothing and
// asks nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "platform/platform.h"
#include "rar_builder.h"

namespace qvtest {
namespace {

class RarArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<RarMember> members;
        for (int i = 1; i <= 5; ++i)
            members.push_back({"pics/a" + std::to_string(i) + ".bmp", SolidBmpBytes(10 + i, 10, RGB(40 * i, 90, 30))});
        members.push_back({"notes.txt", "not an image"});
        rar_ = images_.File(L"set.rar");
        ASSERT_TRUE(WriteFileBytes(rar_, BuildStoredRar(members)));
        ASSERT_TRUE(program_.Create(QuietSettings()));
    }
    void TearDown() override {
        if (process_.valid() && !process_.HasExited() && view_) CloseAndWait(view_, process_);
    }
    bool CopyLibrary() {
        std::wstring from = ProductBinDir() + L"\\unrar64.dll";
        return CopyFileW(from.c_str(), program_.File(L"unrar64.dll").c_str(), FALSE) != 0;
    }
    HWND Start(const std::vector<std::wstring>& args) {
        process_ = Launch(program_.exePath(), args);
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        return view_;
    }
    // the title names the archive by its file name, then the member's path inside it
    static std::wstring Shown(const wchar_t* member) { return std::wstring(L"set.rar::pics\\") + member; }

    ScratchDir images_;
    ProgramFolder program_;
    ProcessOwner process_;
    HWND view_ = nullptr;
    std::wstring rar_;
};

TEST_F(RarArchiveTest, OpensAsAFolderStepsWithTheKeysAndOpensAMemberByKey) {
    ASSERT_TRUE(CopyLibrary());
    HWND view = Start({rar_});
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view, Shown(L"a1.bmp"))) << qv::WideToUtf8(WindowTitle(view));
    ASSERT_TRUE(PostKey(view, VK_DOWN));
    EXPECT_TRUE(WaitForTitleContaining(view, Shown(L"a2.bmp"), kStepTimeoutMs)) << qv::WideToUtf8(WindowTitle(view));
    ASSERT_TRUE(PostKey(view, VK_RIGHT)); // last image: the text member is not listed
    EXPECT_TRUE(WaitForTitleContaining(view, Shown(L"a5.bmp"), kStepTimeoutMs)) << qv::WideToUtf8(WindowTitle(view));
    EXPECT_TRUE(CloseAndWait(view, process_));

    // the key is the member's ordinal in the archive: 3 is the fourth
    view = Start({L"/vz3", rar_});
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(WaitForTitleContaining(view, Shown(L"a4.bmp"))) << qv::WideToUtf8(WindowTitle(view));
    ASSERT_TRUE(PostKey(view, VK_UP));
    EXPECT_TRUE(WaitForTitleContaining(view, Shown(L"a3.bmp"), kStepTimeoutMs)) << qv::WideToUtf8(WindowTitle(view));
}

TEST_F(RarArchiveTest, WithoutAUsableLibraryNothingIsShownAndNothingAsked) {
    // a library of that name exporting nothing: freed again, RAR counts as absent
    std::wstring empty = ProductBinDir() + L"\\..\\tests\\emptyrar\\unrar64.dll";
    ASSERT_TRUE(CopyFileW(empty.c_str(), program_.File(L"unrar64.dll").c_str(), FALSE));
    HWND view = Start({rar_});
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(WaitUntilPainted(view));
    EXPECT_EQ(WindowTitle(view).find(L"::"), std::wstring::npos) << qv::WideToUtf8(WindowTitle(view));
    EXPECT_EQ(WaitForDialogOtherThan(process_, nullptr, 1500), nullptr); // no message box
}

} // namespace
} // namespace qvtest
