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
#include "image/image_turn.h"
#include "image/save_pipeline.h"
#include "jpeg_test_files.h"
#include "model/ui_strings.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

// Takes the file the bin holds under `name` (or the name with the bin's ".n" suffix) with exactly
// these bytes out of the bin again; false when there is none.
bool TakeFromBin(const std::wstring& name, const std::string& bytes) {
    std::wstring found;
    ListDirectory(RecycleFolder(), [&](const DirEntry& e) {
        if (!found.empty() || e.name.compare(0, name.size(), name) != 0) return;
        std::wstring path = JoinPath(RecycleFolder(), e.name);
        if (qvtest::ReadFileBytes(path) == bytes) found = path;
    });
    return !found.empty() && DeleteFilePath(found.c_str());
}

FILETIME TimeOf(const std::wstring& path) {
    FILETIME t{};
    EXPECT_TRUE(GetFileFacts(path.c_str(), nullptr, &t));
    return t;
}

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
    EXPECT_TRUE(TakeFromBin(L"picture.png", "old contents"));
}

TEST_F(SavePipelineTest, SavingOverAPngNamedFileOfJpegDataWritesJpeg) {
    std::wstring target = dir.File(L"content-decides.png");
    options.format = kSaveJpeg;
    SaveFailure failure;
    ASSERT_TRUE(EncodeImageFile(target.c_str(), source, options, &failure));
    std::string before = qvtest::ReadFileBytes(target);

    SaveOptions over;
    over.format = SaveOverFormat(target.c_str());
    EXPECT_EQ(over.format, kSaveJpeg);
    over.quality = 30; // visibly another file than the one it replaces
    ASSERT_TRUE(SaveImageToPath(&preview, source, over, target, temp, &failure, nullptr));
    EXPECT_EQ(DetectFormatFromFile(target.c_str()), kFormatJpeg);
    EXPECT_NE(qvtest::ReadFileBytes(target), before);
    EXPECT_TRUE(TakeFromBin(L"content-decides.png", before));

    EXPECT_EQ(SaveOverFormat(dir.File(L"missing.png").c_str()), -1);
    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"text.png"), "not an image at all"));
    EXPECT_EQ(SaveOverFormat(dir.File(L"text.png").c_str()), -1); // save as then
}

// The new file is copied beside the target before the old one goes: a copy that fails, whole or
// part way, leaves the old file at its path and nothing in the bin or beside it.
TEST_F(SavePipelineTest, ACopyFailureKeepsTheOldFileAtItsPath) {
    std::wstring target = dir.File(L"copy-fails.bmp");
    ASSERT_TRUE(qvtest::WriteFileBytes(target, "the only copy"));
    // the encoded file is gone by the time it is copied (a temporary-folder cleaner)
    SaveFailure failure;
    EXPECT_FALSE(PlaceSavedFile(dir.File(L"temp/tmpgone.tmp"), target, &failure));
    EXPECT_EQ(failure.message, 30008u);
    EXPECT_EQ(qvtest::ReadFileBytes(target), "the only copy");
    EXPECT_FALSE(TakeFromBin(L"copy-fails.bmp", "the only copy"));
#ifndef _WIN32
    // a full disk: the copy stops part way
    std::wstring big = dir.File(L"temp/tmpbig.tmp");
    ASSERT_TRUE(qvtest::WriteFileBytes(big, std::string(64 * 1024, 'n')));
    {
        qvtest::FileSizeLimit limit(16 * 1024);
        EXPECT_FALSE(PlaceSavedFile(big, target, &failure));
    }
    EXPECT_EQ(failure.message, 30008u);
    EXPECT_EQ(qvtest::ReadFileBytes(target), "the only copy");
    EXPECT_FALSE(TakeFromBin(L"copy-fails.bmp", "the only copy"));
#endif
    size_t files = 0;
    ListDirectory(dir.path(), [&](const DirEntry& e) { files += e.isDirectory ? 0 : 1; });
    EXPECT_EQ(files, 1u) << "a partial copy was left beside the target";
}

TEST_F(SavePipelineTest, AnOldFileTheBinRefusesIsNeverOverwritten) {
    std::wstring target = dir.File(L"kept.png");
    ASSERT_TRUE(qvtest::WriteFileBytes(target, "still here"));
    // the bin cannot be made: a plain file stands where its folder would be
    std::wstring fakeTemp = dir.File(L"no-bin");
    ASSERT_TRUE(CreateDirectoryPath(fakeTemp.c_str()));
    ASSERT_TRUE(qvtest::WriteFileBytes(JoinPath(fakeTemp, L"quorvel-recycle"), "not a folder"));
    const char* saved = std::getenv("TMPDIR");
    std::string previous = saved ? saved : "";
    setenv("TMPDIR", WideToUtf8(fakeTemp).c_str(), 1);
    options.format = kSavePng;
    SaveFailure failure;
    bool ok = SaveImageToPath(&preview, source, options, target, temp, &failure, nullptr);
    if (saved)
        setenv("TMPDIR", previous.c_str(), 1);
    else
        unsetenv("TMPDIR");
    EXPECT_FALSE(ok);
    EXPECT_EQ(failure.message, 50005u);
    EXPECT_EQ(qvtest::ReadFileBytes(target), "still here");
    EXPECT_EQ(TempFiles(), 1u); // the encoded file stays, as after a failed copy
    size_t beside = 0;
    ListDirectory(dir.path(), [&](const DirEntry& e) { beside += e.name.rfind(L"tmp", 0) == 0 ? 1 : 0; });
    EXPECT_EQ(beside, 0u) << "the copy made beside the target was not removed";
}

TEST_F(SavePipelineTest, AVanishedPreviewFileIsEncodedAgain) {
    options.format = kSavePng;
    SaveFailure failure;
    ASSERT_TRUE(EncodeToTemp(&preview, source, options, temp, &failure));
    preview.imageShown = true;
    ASSERT_TRUE(DeleteFilePath(preview.tempPath.c_str()));
    std::wstring target = dir.File(L"after-cleanup.png");
    ASSERT_TRUE(qvtest::WriteFileBytes(target, "older"));
    bool encoded = false;
    ASSERT_TRUE(SaveImageToPath(&preview, source, options, target, temp, &failure, &encoded));
    EXPECT_TRUE(encoded);
    EXPECT_EQ(DetectFormatFromFile(target.c_str()), kFormatPng);
    EXPECT_TRUE(TakeFromBin(L"after-cleanup.png", "older"));
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

TEST_F(SavePipelineTest, LosslessTurnRewritesTheSourceThroughTheCommonSave) {
    const std::wstring path = dir.File(L"lossless-turn.jpg");
    ASSERT_TRUE(qvtest::WriteTestJpeg(path, 48, 32, 6));
    const std::string before = qvtest::ReadFileBytes(path);
    source.sourcePath = path;
    source.loadedTime = TimeOf(path);
    // whatever the save options say, a turn keeps every marker, trims nothing and stays baseline
    options.format = kSavePng;
    options.jMarker = kCopyNone;
    options.jpgTrim = true;
    options.progressive = true;
    options.jpegTGray = true;
    SaveOptions turn = LosslessTurnOptions(options, kTurn90);
    EXPECT_EQ(turn.quality, options.quality);
    SaveFailure failure;
    ASSERT_TRUE(SaveImageToPath(&preview, source, turn, path, temp, &failure, nullptr)) << failure.message;

    const std::string after = qvtest::ReadFileBytes(path);
    ImageBuffer turned{};
    JpegContext ctx;
    ASSERT_TRUE(
        DecodeJpeg(reinterpret_cast<const uint8_t*>(after.data()), static_cast<uint32_t>(after.size()), &turned, &ctx));
    FreeImagePixels(&turned);
    EXPECT_EQ(ctx.width, 32u);
    EXPECT_EQ(ctx.height, 48u);
    EXPECT_EQ(ctx.orientation, 1); // the EXIF block came along, upright now
    EXPECT_EQ(turned.header.biBitCount, 24);
    EXPECT_EQ(after.find("\xFF\xC2"), std::string::npos); // no progressive frame
    EXPECT_TRUE(TakeFromBin(L"lossless-turn.jpg", before));
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SavePipelineTest, LosslessSaveRefusesAMissingChangedOrBrokenSource) {
    std::wstring jpeg = dir.File(L"photo.jpg");
    options.format = kSaveJpeg;
    SaveFailure failure;
    ASSERT_TRUE(EncodeImageFile(jpeg.c_str(), source, options, &failure));
    const std::string before = qvtest::ReadFileBytes(jpeg);
    SaveOptions turn = LosslessTurnOptions(options, kTurn90);
    source.sourcePath = jpeg;
    source.loadedTime = TimeOf(jpeg);

    source.loadedTime.dwLowDateTime ^= 1;
    EXPECT_FALSE(SaveImageToPath(&preview, source, turn, jpeg, temp, &failure, nullptr));
    EXPECT_EQ(failure.message, 30005u);
    EXPECT_EQ(qvtest::ReadFileBytes(jpeg), before);
    EXPECT_EQ(TempFiles(), 0u);

    std::wstring out = dir.File(L"turned.jpg");
    source.sourcePath = dir.File(L"gone.jpg");
    EXPECT_FALSE(EncodeImageFile(out.c_str(), source, turn, &failure));
    EXPECT_EQ(failure.message, 30002u);
    source.sourcePath = dir.path();
    source.loadedTime = TimeOf(dir.path());
    EXPECT_FALSE(EncodeImageFile(out.c_str(), source, turn, &failure));
    EXPECT_EQ(failure.message, 30002u);

    // not JPEG data: the transformation fails and the file keeps every byte
    const std::wstring junk = dir.File(L"junk.jpg");
    const std::string junkBytes = std::string("\xFF\xD8\xFF\xC0\x00\x04", 6) + std::string(200, '\x55');
    ASSERT_TRUE(qvtest::WriteFileBytes(junk, junkBytes));
    source.sourcePath = junk;
    source.loadedTime = TimeOf(junk);
    EXPECT_FALSE(SaveImageToPath(&preview, source, turn, junk, temp, &failure, nullptr));
    EXPECT_EQ(failure.message, 30004u);
    EXPECT_EQ(qvtest::ReadFileBytes(junk), junkBytes);
    EXPECT_EQ(TempFiles(), 0u);
}

TEST_F(SavePipelineTest, ALosslessPreviewIsStaleForAnotherTurn) {
    std::wstring jpeg = dir.File(L"photo.jpg");
    ASSERT_TRUE(qvtest::WriteTestJpeg(jpeg, 32, 16, 1));
    source.sourcePath = jpeg;
    source.loadedTime = TimeOf(jpeg);
    SaveOptions right = LosslessTurnOptions(options, kTurn90);
    SaveFailure failure;
    ASSERT_TRUE(EncodeToTemp(&preview, source, right, temp, &failure)) << failure.message;
    preview.imageShown = true;
    EXPECT_TRUE(PreviewValid(preview, right));
    EXPECT_FALSE(PreviewValid(preview, LosslessTurnOptions(options, kTurn270)));
    // the pending turn means nothing to a re-encoding
    SaveOptions a = options, b = options;
    a.format = b.format = kSaveJpeg;
    b.losslessTurn = kTurn180;
    EXPECT_TRUE(a == b);
}

TEST(SavePreviewFit, ATrimmedLosslessPreviewSitsRightAndBottomInTheCurrentSize) {
    ImageBuffer preview{};
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(&preview, 2, 2, 24, &status));
    // bottom row (first in memory) 1, 2; top row 3, 4 in the blue byte
    preview.pixels[0] = 1;
    preview.pixels[3] = 2;
    const uint32_t fromStride = ImageStride(&preview);
    preview.pixels[fromStride] = 3;
    preview.pixels[fromStride + 3] = 4;
    ASSERT_TRUE(FitPreviewToSize(&preview, 3, 3));
    EXPECT_EQ(preview.header.biWidth, 3);
    EXPECT_EQ(preview.header.biHeight, 3);
    const uint32_t stride = ImageStride(&preview);
    auto blue = [&](int x, int yFromBottom) { return preview.pixels[yFromBottom * stride + x * 3]; };
    EXPECT_EQ(blue(0, 0), 0);
    EXPECT_EQ(blue(1, 0), 1);
    EXPECT_EQ(blue(2, 0), 2);
    EXPECT_EQ(blue(1, 1), 3);
    EXPECT_EQ(blue(2, 1), 4);
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(blue(x, 2), 0) << x; // the top row is what trimming took

    // a wider preview keeps its left part; the same size is left alone
    ASSERT_TRUE(FitPreviewToSize(&preview, 2, 3));
    EXPECT_EQ(preview.pixels[0], 0);
    EXPECT_EQ(preview.pixels[3], 1);
    uint8_t* same = preview.pixels;
    ASSERT_TRUE(FitPreviewToSize(&preview, 2, 3));
    EXPECT_EQ(preview.pixels, same);
    EXPECT_FALSE(FitPreviewToSize(&preview, 0, 3));
    FreeImagePixels(&preview);
}

TEST(SaveFormat, ATypeChangeTakesOnlyTheNamesExtension) {
    std::wstring out;
    ASSERT_TRUE(WithoutExtension(L"shot.png", &out));
    EXPECT_EQ(out, L"shot");
    ASSERT_TRUE(WithoutExtension(L"C:\\pics.d\\archive.tar.gz", &out));
    EXPECT_EQ(out, L"C:\\pics.d\\archive.tar");
    EXPECT_FALSE(WithoutExtension(L"C:\\pics.d\\shot", &out)); // the folder's dot stays
    EXPECT_FALSE(WithoutExtension(L"shot", &out));
    EXPECT_FALSE(WithoutExtension(L"C:/pics.d/shot", &out)); // a typed path may use "/"
    ASSERT_TRUE(WithoutExtension(L"C:/pics.d/shot.bmp", &out));
    EXPECT_EQ(out, L"C:/pics.d/shot");
    ASSERT_TRUE(WithoutExtension(L"shot.", &out));
    EXPECT_EQ(out, L"shot");
}

TEST(SaveFormat, TheLosslessTypeIsOfferedOnlyForJpegSources) {
    SaveFilterRow rows[kMaxSaveFilterRows];
    ASSERT_EQ(SaveFilterRows(false, rows), 5u);
    // row n is Format n: the dialog's filter index is Format + 1
    const uint32_t labels[] = {kStrFilterBmp, kStrFilterPng, kStrFilterJpeg, kStrFilterTiff, kStrFilterGif};
    for (int32_t f = 0; f < 5; ++f) {
        EXPECT_EQ(rows[f].label, labels[f]);
        std::wstring first = std::wstring(rows[f].patterns).substr(0, std::wstring(rows[f].patterns).find(L';'));
        EXPECT_EQ(first, std::wstring(L"*.") + SaveFormatExtension(f)) << f;
    }
    ASSERT_EQ(SaveFilterRows(true, rows), 6u);
    EXPECT_EQ(rows[kSaveJpegLossless].label, kStrFilterJpegLossless);
    EXPECT_STREQ(rows[kSaveJpegLossless].patterns, rows[kSaveJpeg].patterns);
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
