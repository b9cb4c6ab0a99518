// The save pipeline: the target is replaced only by a complete file, the old one goes to the bin,
// the preview is reused while nothing changed, and lossless saves refuse a changed source.
#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#endif

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

#ifndef _WIN32

// A save killed while the encoder runs leaves the target exactly as it was.
TEST(SaveKill, KilledMidEncodeLeavesTheTargetByteForByte) {
    qvtest::ScratchDir dir;
    std::wstring temp = dir.File(L"temp");
    ASSERT_TRUE(CreateDirectoryPath(temp.c_str()));
    std::wstring target = dir.File(L"big.png");
    std::string original(100000, '\0');
    for (size_t i = 0; i < original.size(); ++i)
        original[i] = static_cast<char>(i * 131 + 7);
    ASSERT_TRUE(qvtest::WriteFileBytes(target, original));

    ImageBuffer* image = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(image, 6000, 4000, 24, &status));
    uint32_t stride = ImageStride(image);
    for (uint32_t y = 0; y < 4000; ++y)
        for (uint32_t x = 0; x < stride; ++x)
            image->pixels[static_cast<size_t>(y) * stride + x] = static_cast<uint8_t>((x * 7) ^ (y * 13));

    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SaveSource source;
        source.image = image;
        SaveOptions options;
        options.format = kSavePng;
        options.level = 9;
        SavePreview preview;
        SaveImageToPath(&preview, source, options, target, temp, nullptr, nullptr);
        _exit(0);
    }
    // wait until the encoder has its temporary file, then kill it
    bool started = false;
    for (int i = 0; i < 2000 && !started; ++i) {
        ListDirectory(temp, [&](const DirEntry&) { started = true; });
        if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    kill(child, SIGKILL);
    int wstatus = 0;
    waitpid(child, &wstatus, 0);
    EXPECT_TRUE(started);
    ASSERT_TRUE(WIFSIGNALED(wstatus)) << "the encoder finished before it could be killed";
    EXPECT_EQ(qvtest::ReadFileBytes(target), original);
    FreeImageRecord(image);
}
#endif

} // namespace
} // namespace qv
