// The owner of the result image: who may claim it when, and that nothing made from an old image
// survives a load or a committed edit.
#include <gtest/gtest.h>

#include "codecs/bmp_codec.h"
#include "image/result_image.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

class ResultImageTest : public ::testing::Test {
protected:
    void TearDown() override { FreeImageSession(&session); }

    // A save preview as the save command leaves it: a file on disk and its decoded image shown.
    void ShowSavePreview() {
        ASSERT_TRUE(BeginResult(&session, ResultState::SavePreview));
        Fill(&session.result, 9);
        session.preview.tempPath = dir.File(L"tmp1.bmp");
        ASSERT_TRUE(qvtest::WriteFileBytes(session.preview.tempPath, "BM"));
        session.preview.imageShown = true;
    }
    void Fill(ImageBuffer* image, uint8_t value) {
        CodecStatus status = kCodecOk;
        ASSERT_TRUE(PrepareImage(image, 2, 2, 24, &status));
        image->pixels[0] = value;
    }

    qvtest::ScratchDir dir;
    ImageSession session;
};

TEST_F(ResultImageTest, ClaimsFollowTheHandOverRules) {
    EXPECT_TRUE(BeginResult(&session, ResultState::Rotation));
    EXPECT_FALSE(BeginResult(&session, ResultState::SavePreview)) << "a rotation is committed before anything else";
    EndResult(&session);
    EXPECT_EQ(session.resultState, ResultState::None);

    ShowSavePreview();
    EXPECT_FALSE(BeginResult(&session, ResultState::Rotation));
    // a tool takes the record over: the preview's image goes, its file (of the unchanged image) stays
    EXPECT_TRUE(BeginResult(&session, ResultState::ToolPreview));
    EXPECT_EQ(session.result.pixels, nullptr);
    EXPECT_FALSE(session.preview.imageShown);
    EXPECT_TRUE(PathExists(session.preview.tempPath.c_str()));
    // the save preview command is ignored while a tool is open
    EXPECT_FALSE(BeginResult(&session, ResultState::SavePreview));
    EXPECT_EQ(session.resultState, ResultState::ToolPreview);
    EndResult(&session);
    EXPECT_TRUE(BeginResult(&session, ResultState::SavePreview));
}

TEST_F(ResultImageTest, ACommittedEditDiscardsTheSavePreview) {
    Fill(&session.current, 1);
    ShowSavePreview();
    std::wstring file = session.preview.tempPath;
    ASSERT_TRUE(BeginResult(&session, ResultState::ToolPreview));
    Fill(&session.result, 42);
    int32_t format = 0;
    CommitEdit(&session, &session.result, ImageSessionHooks{}, &format);
    EXPECT_EQ(session.current.pixels[0], 42);
    EXPECT_EQ(session.result.pixels, nullptr);
    EXPECT_EQ(session.resultState, ResultState::None);
    // a later save must encode the edited image, never place the old preview
    EXPECT_TRUE(session.preview.tempPath.empty());
    EXPECT_FALSE(PathExists(file.c_str()));
    EXPECT_FALSE(PreviewValid(session.preview, session.preview.snapshot));
}

TEST_F(ResultImageTest, ALoadDiscardsWhatTheOldImageLeft) {
    ImageBuffer* bmp = AllocImageRecord();
    Fill(bmp, 7);
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(WriteBmpFile(dir.File(L"b.bmp").c_str(), *bmp, 24, false, &status));
    FreeImageRecord(bmp);
    for (ResultState holder : {ResultState::SavePreview, ResultState::ToolPreview}) {
        ShowSavePreview();
        std::wstring file = session.preview.tempPath;
        if (holder == ResultState::ToolPreview) {
            ASSERT_TRUE(BeginResult(&session, holder));
        }
        OpenImage(&session, dir.File(L"b.bmp"), nullptr, OpenImageOptions{}, ImageSessionHooks{});
        ASSERT_TRUE(HasCurrentImage(session)) << ResultStateName(holder);
        EXPECT_EQ(session.resultState, ResultState::None) << ResultStateName(holder);
        EXPECT_EQ(session.result.pixels, nullptr);
        EXPECT_FALSE(PathExists(file.c_str())) << ResultStateName(holder);
    }
}

} // namespace
} // namespace qv
