// Archive members that cannot be shown, in the real Quorvel.exe: a damaged one and one declaring
// more than the member ceiling leave the empty view, and the title names the member tried.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "sources/file_list.h"
#include "zip_builder.h"

namespace qvtest {
namespace {

class ArchiveMemberTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (process_.valid() && !process_.HasExited() && view_) CloseAndWait(view_, process_);
    }
    ScratchDir images_;
    ProgramFolder program_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

// Name order: bad.bmp, bomb.bmp, good.bmp. The bomb's few hundred kilobytes declare more than the
// ceiling (within the ratio a deflate stream allows); its extraction is refused before anything
// is committed or inflated.
TEST_F(ArchiveMemberTest, AFailedMemberIsNamedInTheTitleAndTheViewIsEmptied) {
    std::string noise(600000, '\0');
    uint32_t seed = 7;
    for (char& c : noise)
        c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 24);
    ZipMember bomb{"bomb.bmp", noise, true};
    bomb.sizeDelta = static_cast<int32_t>(qv::kMaxArchiveMemberBytes + 1 - noise.size());
    std::vector<ZipMember> members{
        {"good.bmp", SolidBmpBytes(12, 12, RGB(30, 200, 30))}, {"bad.bmp", "BM damaged beyond reading"}, bomb};
    const std::wstring zip = images_.File(L"x.zip");
    ASSERT_TRUE(WriteFileBytes(zip, BuildZip(members)));
    ASSERT_TRUE(program_.Create(QuietSettings()));
    const std::wstring key = L"/vz" + std::to_wstring(ZipMemberOffsets(members)[0]);
    process_ = Launch(program_.exePath(), {key, zip});
    view_ = WaitForProcessWindow(process_, kViewWindowClass);
    ASSERT_NE(view_, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view_, L"x.zip::good.bmp")) << qv::WideToUtf8(WindowTitle(view_));

    for (const wchar_t* member : {L"bomb.bmp", L"bad.bmp"}) {
        SCOPED_TRACE(qv::WideToUtf8(member));
        ASSERT_TRUE(PostCommand(view_, qv::kCmdPreviousImage));
        EXPECT_TRUE(WaitForTitleContaining(view_, zip + L"::" + member, kStepTimeoutMs))
            << qv::WideToUtf8(WindowTitle(view_));
    }
}

} // namespace
} // namespace qvtest
