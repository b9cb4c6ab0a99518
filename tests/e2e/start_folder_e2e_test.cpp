// Folders in the real Quorvel.exe: a path typed relative to where the program was started names
// that file even though start-up moves to the program's folder, and the open dialog's folder
// follows every file shown.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "settings/settings_file.h"
#include "trash_support_win.h"

namespace qvtest {
namespace {

constexpr UINT kCmdSaveOver = 5013;
constexpr uint32_t kSlotOpenFolder = 28;

class StartFolderTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (process_.valid() && !process_.HasExited() && view_) CloseAndWait(view_, process_);
    }
    ScratchDir images_;
    ProgramFolder program_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

// The bin's record of where a recycled file came from (Path= of its .trashinfo, a Unix path).
std::string TrashedFrom(const std::wstring& name) {
    WIN32_FIND_DATAW data;
    const std::wstring info = TrashFolder() + L"\\info\\";
    HANDLE find = FindFirstFileW((info + name + L"*.trashinfo").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::string text = ReadFileBytes(info + data.cFileName);
    FindClose(find);
    size_t at = text.find("Path=");
    return at == std::string::npos ? std::string() : text.substr(at + 5, text.find('\n', at) - at - 5);
}

TEST_F(StartFolderTest, ARelativePathOpensAndASaveOverRecyclesThatFile) {
    const std::string before = SolidBmpBytes(10, 8, RGB(90, 20, 160));
    ASSERT_TRUE(WriteFileBytes(images_.File(L"typed.bmp"), before));
    ASSERT_TRUE(program_.Create(QuietSettings()));
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryW(images_.path().c_str()));
    process_ = Launch(program_.exePath(), {L"typed.bmp"}); // the program inherits this folder
    SetCurrentDirectoryW(previous);
    view_ = WaitForProcessWindow(process_, kViewWindowClass);
    ASSERT_NE(view_, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view_, L"typed.bmp")) << qv::WideToUtf8(WindowTitle(view_));

    ASSERT_TRUE(PostCommand(view_, kCmdSaveOver));
    std::string from;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return !(from = TrashedFrom(L"typed.bmp")).empty(); }))
        << "the old file did not reach the bin";
    const std::wstring folderName = images_.path().substr(images_.path().find_last_of(L'\\') + 1);
    EXPECT_NE(from.find("/" + qv::WideToUtf8(folderName) + "/typed.bmp"), std::string::npos) << from;
    EXPECT_TRUE(TakeFromTrash(L"typed.bmp", before));
    EXPECT_TRUE(CloseAndWait(view_, process_));
}

TEST_F(StartFolderTest, TheOpenDialogsFolderFollowsTheShownFile) {
    ASSERT_TRUE(WriteFileBytes(images_.File(L"shown.bmp"), SolidBmpBytes(8, 8, RGB(10, 20, 30))));
    ASSERT_TRUE(program_.Create(QuietSettings()));
    process_ = Launch(program_.exePath(), {images_.File(L"shown.bmp")});
    view_ = WaitForProcessWindow(process_, kViewWindowClass);
    ASSERT_NE(view_, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view_, L"shown.bmp"));
    ASSERT_TRUE(CloseAndWait(view_, process_));
    qv::SettingsReader reader;
    ASSERT_TRUE(reader.Open(program_.settingsPath()));
    qv::TextBuffer folder;
    ASSERT_TRUE(reader.ReadText(kSlotOpenFolder, &folder));
    EXPECT_EQ(folder.str(), images_.path());
}

// The shown file vanishes and its reload fails; the folder watch has fired. The next activation
// must not list the working folder (the program's own, holding images of its own here): the
// list of the file's folder stays, and the next image is that folder's.
TEST_F(StartFolderTest, AVanishedFileNeverLeadsToTheProgramsOwnFolder) {
    ASSERT_TRUE(program_.Create(QuietSettings()));
    for (const wchar_t* name : {L"own1.bmp", L"own2.bmp"})
        ASSERT_TRUE(WriteFileBytes(program_.File(name), SolidBmpBytes(6, 6, RGB(1, 1, 1))));
    ASSERT_TRUE(WriteFileBytes(images_.File(L"a.bmp"), SolidBmpBytes(8, 8, RGB(200, 0, 0))));
    ASSERT_TRUE(WriteFileBytes(images_.File(L"b.bmp"), SolidBmpBytes(9, 9, RGB(0, 200, 0))));
    process_ = Launch(program_.exePath(), {images_.File(L"a.bmp")});
    view_ = WaitForProcessWindow(process_, kViewWindowClass);
    ASSERT_NE(view_, nullptr);
    ASSERT_TRUE(WaitForTitleContaining(view_, L"a.bmp"));
    // a step there and back proves the folder is listed
    ASSERT_TRUE(PostCommand(view_, qv::kCmdNextImage));
    ASSERT_TRUE(WaitForTitleContaining(view_, L"b.bmp", kStepTimeoutMs));
    ASSERT_TRUE(PostCommand(view_, qv::kCmdPreviousImage));
    ASSERT_TRUE(WaitForTitleContaining(view_, L"a.bmp  (", kStepTimeoutMs));

    ASSERT_TRUE(DeleteFileW(images_.File(L"a.bmp").c_str()));
    ASSERT_TRUE(PostCommand(view_, qv::kCmdReload));
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return WindowTitle(view_).find(L"  (") == std::wstring::npos; }));
    PumpMessages(300); // let the change notification arrive
    ASSERT_TRUE(PostMessageW(view_, WM_ACTIVATEAPP, TRUE, 0));
    ASSERT_TRUE(PostCommand(view_, qv::kCmdNextImage));
    EXPECT_TRUE(WaitForTitleContaining(view_, L"b.bmp", kStepTimeoutMs)) << qv::WideToUtf8(WindowTitle(view_));
    EXPECT_EQ(WindowTitle(view_).find(L"own"), std::wstring::npos) << qv::WideToUtf8(WindowTitle(view_));
}

} // namespace
} // namespace qvtest
