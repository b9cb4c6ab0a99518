// OpenImage and the commit step: what a load leaves behind on success and failure, archives
// versus plain files, the automatic turn, and the save-format rule of the commit.
#include <gtest/gtest.h>

#include <string>

#include "codecs/bmp_codec.h"
#include "codecs/png_codec.h"
#include "image/load_pipeline.h"
#include "image/open_image.h"
#include "test_support.h"
#include "zip_builder.h"

namespace qv {
namespace {

struct HookLog {
    int begin = 0, end = 0;
};

ImageSessionHooks LoggingHooks(HookLog* log) {
    ImageSessionHooks h;
    h.context = log;
    h.beginLoad = [](void* c) { ++static_cast<HookLog*>(c)->begin; };
    h.endLoad = [](void* c) { ++static_cast<HookLog*>(c)->end; };
    return h;
}

// A 24-bit BMP of w x h whose top-left pixel's blue is `marker`.
void WriteBmp(const std::wstring& path, uint32_t w, uint32_t h, uint8_t marker) {
    ImageBuffer* img = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(img, w, h, 24, &status));
    ImageRowFromTop(img, 0)[0] = marker;
    ASSERT_TRUE(WriteBmpFile(path.c_str(), *img, 24, false, &status)) << status;
    FreeImageRecord(img);
}

class OpenImageTest : public ::testing::Test {
protected:
    void TearDown() override {
        FreeImageSession(&session);
        SetDecodeFallback(nullptr);
    }
    qvtest::ScratchDir dir;
    ImageSession session;
    HookLog log;
    OpenImageOptions options;
};

TEST_F(OpenImageTest, ContentDecidesTheDecoderAndTheFolderIsListedAfterwards) {
    WriteBmp(dir.File(L"a.jpg"), 3, 2, 77); // a BMP named .jpg
    WriteBmp(dir.File(L"b.bmp"), 4, 4, 1);
    // a step of the history of whatever was shown before
    std::wstring step = dir.File(L"tmp1.tmp");
    ASSERT_TRUE(qvtest::WriteFileBytes(step, "step"));
    AppendHistoryStep(&session.history, &session.edits, step, L"before");
    OpenImage(&session, dir.File(L"a.jpg"), nullptr, options, LoggingHooks(&log));
    ASSERT_TRUE(HasCurrentImage(session));
    EXPECT_EQ(session.current.sourceFormat, kFormatBmp);
    EXPECT_EQ(session.current.header.biWidth, 3);
    EXPECT_EQ(ImageRowFromTop(&session.current, 0)[0], 77);
    EXPECT_EQ(session.staging.pixels, nullptr);
    EXPECT_FALSE(session.lastLoadFailed);
    EXPECT_TRUE(session.loadedFromPlainPath);
    EXPECT_TRUE(session.list.rebuildAfterDisplay);
    EXPECT_EQ(session.list.currentName, L"a.jpg");
    EXPECT_EQ(log.begin, 1);
    EXPECT_EQ(log.end, 1);
    EXPECT_TRUE(session.history.nodes.empty());
    EXPECT_FALSE(PathExists(step.c_str())) << "a load deletes the snapshot files of the image before";
    EXPECT_EQ(session.edits.current, -1);

    ASSERT_TRUE(RebuildFromFolder(&session.list));
    ASSERT_EQ(session.list.count, 2u);
    EXPECT_EQ(session.list.current, 0u);
    // stepping past the end shows entry 0 again
    OpenImageAt(&session, 2, options, LoggingHooks(&log));
    EXPECT_EQ(session.list.current, 0u);
    EXPECT_EQ(session.current.header.biWidth, 3);
    OpenImageAt(&session, 1, options, LoggingHooks(&log));
    EXPECT_EQ(session.current.header.biWidth, 4);
    EXPECT_EQ(session.list.currentPath, dir.File(L"b.bmp"));
}

TEST_F(OpenImageTest, UnknownExtensionIsTriedAsArchiveThenLoadsAsPlainFile) {
    WriteBmp(dir.File(L"picture.dat"), 2, 2, 5);
    OpenImage(&session, dir.File(L"picture.dat"), nullptr, options, LoggingHooks(&log));
    ASSERT_TRUE(HasCurrentImage(session));
    EXPECT_EQ(session.list.sourceKind, kSourceFolder);
    EXPECT_EQ(session.current.sourceFormat, kFormatBmp);
}

TEST_F(OpenImageTest, FailureEmptiesTheViewAndForgetsAVanishedFile) {
    WriteBmp(dir.File(L"good.bmp"), 2, 2, 5);
    OpenImage(&session, dir.File(L"good.bmp"), nullptr, options, LoggingHooks(&log));
    ASSERT_TRUE(HasCurrentImage(session));
    uint32_t maskBytes = 0;
    ASSERT_TRUE(SelectionMaskBytes(2, 2, &maskBytes));
    ASSERT_TRUE(SetSelectionMask(&session.mask, LargeBlock(static_cast<uint8_t*>(AllocLargeBlock(maskBytes))),
                                 session.current));

    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"short.bmp"), "BM12345")); // 7 bytes
    OpenImage(&session, dir.File(L"short.bmp"), nullptr, options, LoggingHooks(&log));
    EXPECT_FALSE(HasCurrentImage(session));
    EXPECT_TRUE(session.lastLoadFailed);
    EXPECT_EQ(session.emptyWidth, 400);
    EXPECT_EQ(session.emptyHeight, 300);
    EXPECT_EQ(session.list.currentPath, dir.File(L"short.bmp")); // still there: kept for a reload
    EXPECT_FALSE(HasSelectionMask(session.mask));

    OpenImage(&session, dir.File(L"gone.bmp"), nullptr, options, LoggingHooks(&log));
    EXPECT_TRUE(session.list.currentPath.empty());
    EXPECT_TRUE(session.list.currentName.empty());
}

// A member's image has no file time (the last plain file's must not stay with it), and a member
// that fails to load is the one named afterwards, not the image shown before it.
TEST_F(OpenImageTest, ArchiveMembersCarryNoFileTimeAndAFailedOneIsNamed) {
    WriteBmp(dir.File(L"plain.bmp"), 2, 2, 5);
    OpenImage(&session, dir.File(L"plain.bmp"), nullptr, options, LoggingHooks(&log));
    ASSERT_TRUE(HasCurrentImage(session));
    ASSERT_NE(session.current.fileTime.dwLowDateTime | session.current.fileTime.dwHighDateTime, 0u);

    ImageBuffer* png = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(png, 3, 3, 24, &status));
    std::string pngBytes;
    ASSERT_EQ(EncodePngMemory(*png, PngWriteOptions{}, &pngBytes), kCodecOk);
    FreeImageRecord(png);
    std::vector<qvtest::ZipMember> members{{"good.png", pngBytes}, {"bad.png", "\x89PNG\r\n\x1a\n broken"}};
    std::vector<uint32_t> keys = qvtest::ZipMemberOffsets(members);
    const std::wstring zip = dir.File(L"set.zip");
    ASSERT_TRUE(qvtest::WriteFileBytes(zip, qvtest::BuildZip(members)));
    int32_t key = static_cast<int32_t>(keys[0]);
    OpenImage(&session, zip, &key, options, LoggingHooks(&log));
    ASSERT_TRUE(HasCurrentImage(session));
    EXPECT_EQ(session.current.sourceFormat, kFormatPng);
    EXPECT_EQ(session.current.fileTime.dwLowDateTime | session.current.fileTime.dwHighDateTime, 0u);
    EXPECT_EQ(session.list.currentName, L"good.png");

    key = static_cast<int32_t>(keys[1]);
    OpenImage(&session, zip, &key, options, LoggingHooks(&log));
    EXPECT_FALSE(HasCurrentImage(session));
    EXPECT_EQ(session.list.currentName, L"bad.png");
}

TEST_F(OpenImageTest, ShortFileGoesOnlyToTheFallbackWhichMayTurnItUpright) {
    static int calls = 0;
    calls = 0;
    SetDecodeFallback([](const wchar_t*, const uint8_t*, uint32_t size, bool, ImageBuffer* target, LoadInfo* info) {
        ++calls;
        CodecStatus status = kCodecOk;
        if (size != 7 || !PrepareImage(target, 2, 1, 24, &status)) return false;
        ImageRowFromTop(target, 0)[0] = 9; // left pixel
        info->orientation = 6;
        return true;
    });
    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"seven.bin"), "1234567"));
    OpenImage(&session, dir.File(L"seven.bin"), nullptr, options, LoggingHooks(&log));
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(HasCurrentImage(session));
    // 90 degrees clockwise: the left pixel of the single row becomes the top of the column
    EXPECT_EQ(session.current.header.biWidth, 1);
    EXPECT_EQ(session.current.header.biHeight, 2);
    EXPECT_EQ(ImageRowFromTop(&session.current, 0)[0], 9);
    EXPECT_EQ(session.pendingRotation, kTurn90);
    EXPECT_EQ(session.result.pixels, nullptr);

    options.load.autoRotate = false;
    OpenImage(&session, dir.File(L"seven.bin"), nullptr, options, LoggingHooks(&log));
    EXPECT_EQ(session.current.header.biWidth, 2);
    EXPECT_EQ(session.pendingRotation, kTurnNone);
}

TEST_F(OpenImageTest, CommitResetsLosslessFormatAndKeepsThePaletteFor24Bits) {
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(&session.staging, 2, 2, 8, &status));
    session.staging.palette[3] = RGBQUAD{1, 2, 3, 0};
    session.staging.sourceFormat = kFormatJpeg;
    int32_t format = kSaveFormatJpegLossless;
    CommitImage(&session, &session.staging, true, ImageSessionHooks{}, &format);
    EXPECT_EQ(format, kSaveFormatJpegLossless);
    EXPECT_EQ(session.current.palette[3].rgbRed, 3);

    ASSERT_TRUE(PrepareImage(&session.result, 2, 2, 24, &status));
    session.result.sourceFormat = kFormatPng;
    session.transparentColour = true;
    CommitImage(&session, &session.result, true, ImageSessionHooks{}, &format);
    EXPECT_EQ(format, kSaveFormatJpeg);
    EXPECT_EQ(session.current.palette[3].rgbRed, 3); // untouched, unused
    EXPECT_EQ(session.current.header.biBitCount, 24);
    EXPECT_FALSE(session.transparentColour);
    EXPECT_EQ(session.result.pixels, nullptr);
}

} // namespace
} // namespace qv
