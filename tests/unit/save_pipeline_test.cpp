// The save pipeline: the target is replaced only by a complete file, the old one goes to the bin,
// the preview is reused while nothing changed, and lossless saves refuse a changed source.
#include <gtest/gtest.h>

#include <string>

#include "codecs/jpeg_codec.h"
#include "image/format_detect.h"
#include "image/save_pipeline.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

class SavePipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        CodecStatus status = kCodecOk;
        image = AllocImageRecord();
        ASSERT_TRUE(PrepareImage(image, 16, 8, 24, &status));
        for (uint32_t y = 0; y < 8; ++y)
            ImageRowFromTop(image, y)[0] = static_cast<uint8_t>(y * 30);
        source.image = image;
        temp = dir.File(L"temp");
        ASSERT_TRUE(CreateDirectoryPath(temp.c_str()));
    }
    void TearDown() override {
        DiscardPreview(&preview);
        FreeImageRecord(image);
    }
    size_t TempFiles() {
        size_t n = 0;
        ListDirectory(temp, [&](const DirEntry&) { ++n; });
        return n;
    }
    qvtest::ScratchDir dir;
    std::wstring temp;
    ImageBuffer* image = nullptr;
    SaveSource source;
    SaveOptions options;
    SavePreview preview;
};

TEST_F(SavePipelineTest, SavingOverAFileRecyclesTheOldOneAndLeavesNoTemporaryFile) {
    std::wstring target = dir.File(L"picture.png");
    ASSERT_TRUE(qvtest::WriteFileBytes(target, "old contents"));
    options.format = kSavePng;
    SaveFailure failure;
    bool encoded = false;
    ASSERT_TRUE(SaveImageToPath(&preview, source, options, target, temp, &failure, &encoded)) << failure.message;
    EXPECT_TRUE(encoded);
    EXPECT_EQ(DetectFormatFromFile(target.c_str()), kFormatPng);
    EXPECT_EQ(TempFiles(), 0u);
    std::string recycled = qvtest::ReadFileBytes(JoinPath(RecycleFolder(), L"picture.png"));
    EXPECT_EQ(recycled, "old contents");
    DeleteFilePath(JoinPath(RecycleFolder(), L"picture.png").c_str());
}

TEST_F(SavePipelineTest, EncoderFailureLeavesTheTargetUntouched) {
    std::wstring target = dir.File(L"keep.bmp");
    ASSERT_TRUE(qvtest::WriteFileBytes(target, "precious"));
    options.format = kSaveBmp;
    options.bmpDepth = 3; // no such depth
    SaveFailure failure;
    EXPECT_FALSE(SaveImageToPath(&preview, source, options, target, temp, &failure, nullptr));
    EXPECT_NE(failure.message, 0u);
    EXPECT_EQ(qvtest::ReadFileBytes(target), "precious");
    EXPECT_EQ(TempFiles(), 0u);
    EXPECT_TRUE(preview.tempPath.empty());

    options.format = 9; // outside the table
    EXPECT_FALSE(SaveImageToPath(&preview, source, options, target, temp, &failure, nullptr));
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SavePipelineTest, AShownPreviewIsReusedUntilAnyOptionChanges) {
    options.format = kSaveJpeg;
    SaveFailure failure;
    ASSERT_TRUE(EncodeToTemp(&preview, source, options, temp, &failure));
    preview.imageShown = true;
    EXPECT_TRUE(PreviewValid(preview, options));
    bool encoded = true;
    ASSERT_TRUE(SaveImageToPath(&preview, source, options, dir.File(L"a.jpg"), temp, &failure, &encoded));
    EXPECT_FALSE(encoded);
    ASSERT_TRUE(SaveImageToPath(&preview, source, options, dir.File(L"b.jpg"), temp, &failure, &encoded));
    EXPECT_FALSE(encoded); // the second save still uses the preview's file
    EXPECT_EQ(TempFiles(), 1u);
    EXPECT_EQ(qvtest::ReadFileBytes(dir.File(L"a.jpg")), qvtest::ReadFileBytes(dir.File(L"b.jpg")));

    SaveOptions changed = options;
    changed.load.displayGamma = 1800;
    EXPECT_FALSE(PreviewValid(preview, changed));
    changed = options;
    changed.load.background = 0;
    EXPECT_FALSE(PreviewValid(preview, changed));
    changed = options;
    changed.quality = 90;
    EXPECT_FALSE(PreviewValid(preview, changed));
    ASSERT_TRUE(SaveImageToPath(&preview, source, changed, dir.File(L"c.jpg"), temp, &failure, &encoded));
    EXPECT_TRUE(encoded);
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SavePipelineTest, LosslessSaveRefusesAMissingOrChangedSource) {
    std::wstring jpeg = dir.File(L"photo.jpg");
    options.format = kSaveJpeg;
    SaveFailure failure;
    ASSERT_TRUE(EncodeImageFile(jpeg.c_str(), source, options, &failure));
    FILETIME loaded{};
    ASSERT_TRUE(GetFileFacts(jpeg.c_str(), nullptr, &loaded));

    options.format = kSaveJpegLossless;
    source.sourcePath = jpeg;
    source.loadedTime = loaded;
    source.pendingRotation = 1;
    std::wstring out = dir.File(L"turned.jpg");
    ASSERT_TRUE(EncodeImageFile(out.c_str(), source, options, &failure)) << failure.message;
    ImageBuffer* turned = AllocImageRecord();
    LoadInfo info;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(ReadJpegFile(out.c_str(), turned, &info, &status));
    EXPECT_EQ(turned->header.biWidth, 8);
    EXPECT_EQ(turned->header.biHeight, 16);
    FreeImageRecord(turned);

    source.loadedTime.dwLowDateTime ^= 1;
    EXPECT_FALSE(EncodeImageFile(out.c_str(), source, options, &failure));
    EXPECT_EQ(failure.message, 30005u);
    source.sourcePath = dir.File(L"gone.jpg");
    EXPECT_FALSE(EncodeImageFile(out.c_str(), source, options, &failure));
    EXPECT_EQ(failure.message, 30002u);
}

TEST(SaveFormat, ContentDecidesTheFormatOfASaveOver) {
    EXPECT_EQ(SaveFormatForDetected(kFormatJpeg), kSaveJpeg);
    EXPECT_EQ(SaveFormatForDetected(kFormatGif), kSaveGif);
    EXPECT_EQ(SaveFormatForDetected(kFormatNone), -1);
    EXPECT_EQ(SaveFormatForDetected(kFormatUnreadable), -1);
    EXPECT_STREQ(SaveFormatExtension(kSaveTiff), L"tif");
    EXPECT_STREQ(SaveFormatExtension(kSaveJpegLossless), L"jpg");
    EXPECT_STREQ(SaveFormatExtension(6), L"");
}

} // namespace
} // namespace qv
