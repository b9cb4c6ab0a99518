// Comments in the real Quorvel.exe: the editor rewrites the PNG in place and the title and the
// text list follow it at once; the save comment goes into the next saved file.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "codecs/png_codec.h"
#include "e2e_support_win.h"
#include "model/command_ids.h"
#include "platform/platform.h"

namespace qvtest {
namespace {

constexpr int kCtlCommentEdit = 4001;
constexpr int kCtlCommentWrite = 4002;
constexpr int kCtlTextList = 4021;
constexpr int kCtlSaveCommentEdit = 4061;

bool WritePlainPng(const std::wstring& path) {
    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::CodecStatus status = qv::kCodecOk;
    bool ok = qv::PrepareImage(image, 4, 3, 24, &status) &&
              qv::WritePngFile(path.c_str(), *image, qv::PngWriteOptions()) == qv::kCodecOk;
    qv::FreeImageRecord(image);
    return ok;
}

class CommentsE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Create(QuietSettings()));
        path_ = images_.File(L"plain.png");
        ASSERT_TRUE(WritePlainPng(path_));
        process_ = Launch(folder_.exePath(), {path_});
        ASSERT_TRUE(process_.valid());
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        ASSERT_NE(view_, nullptr);
        ASSERT_TRUE(WaitForTitleContaining(view_, L"4x3")) << qv::WideToUtf8(WindowTitle(view_));
    }
    void TearDown() override {
        for (HWND dialog : FindTopLevelWindows(kDialogClass, process_.valid() ? process_.id() : 0xFFFFFFFF))
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        if (view_) CloseAndWait(view_, process_);
        CloseAllProgramWindows(kViewWindowClass);
    }
    HWND OpenDialog(UINT command) {
        if (!PostCommand(view_, command)) return nullptr;
        return WaitForDialogOtherThan(process_, nullptr);
    }

    ProgramFolder folder_;
    ScratchDir images_;
    std::wstring path_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

TEST_F(CommentsE2eTest, EditorWritesTheCommentAndTheTextListShowsIt) {
    EXPECT_TRUE(PostCommand(view_, qv::kCmdTextInfo)); // no text yet: nothing opens
    EXPECT_EQ(WaitForDialogOtherThan(process_, nullptr, 1500), nullptr);

    HWND editor = OpenDialog(qv::kCmdCommentEditor);
    ASSERT_NE(editor, nullptr) << "no comment editor";
    ASSERT_NE(GetDlgItem(editor, kCtlCommentEdit), nullptr);
    ASSERT_TRUE(SetDlgItemTextW(editor, kCtlCommentEdit, L"first line\r\nsecond"));
    PostMessageW(editor, WM_COMMAND, kCtlCommentWrite, 0);
    ASSERT_TRUE(WaitUntilGone(editor));
    EXPECT_EQ(qv::ReadPngComment(path_.c_str()), "first line\nsecond");
    // the text mark in the title follows the raised count
    EXPECT_TRUE(WaitForTitleContaining(view_, L"T  4x3")) << qv::WideToUtf8(WindowTitle(view_));

    HWND dialog = OpenDialog(qv::kCmdTextInfo);
    ASSERT_NE(dialog, nullptr) << "no text list";
    HWND list = GetDlgItem(dialog, kCtlTextList);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntilGone(dialog));

    // the file changed under the program by its own hand: no reload question follows
    EXPECT_EQ(WaitForDialogOtherThan(process_, nullptr, 1500), nullptr);
}

TEST_F(CommentsE2eTest, SaveCommentGoesIntoTheSavedFile) {
    HWND dialog = OpenDialog(qv::kCmdSaveComment);
    ASSERT_NE(dialog, nullptr) << "no save comment dialog";
    ASSERT_TRUE(SetDlgItemTextW(dialog, kCtlSaveCommentEdit, L"saved with a note"));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntilGone(dialog));
    ASSERT_TRUE(PostCommand(view_, qv::kCmdSave));
    EXPECT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return qv::ReadPngComment(path_.c_str()) == "saved with a note"; }));
}

} // namespace
} // namespace qvtest
