// Format detection by content (with the near misses), extension classes, and decoding through
// the pipeline regardless of the file name.
#include <gtest/gtest.h>

#include <string>

#include "codecs/png_codec.h"
#include "image/format_detect.h"
#include "image/load_pipeline.h"
#include "model/image_buffer.h"
#include "test_support.h"

namespace qv {
namespace {

SourceFormat Detect(std::string bytes) {
    bytes.resize(8, '\0');
    return DetectFormatFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(FormatDetect, SignaturesAndNearMisses) {
    EXPECT_EQ(Detect("BM"), kFormatBmp);
    EXPECT_EQ(Detect("\x89PNG\r\n\x1a\n"), kFormatPng);
    EXPECT_EQ(Detect("\x89PNG\r\n\x1a\x0b"), kFormatNone);
    EXPECT_EQ(Detect("\xFF\xD8\xFF"), kFormatJpeg);
    EXPECT_EQ(Detect(std::string("\x4D\x4D\x00\x2A", 4)), kFormatTiff);
    EXPECT_EQ(Detect(std::string("\x49\x49\x2A\x00", 4)), kFormatTiff);
    EXPECT_EQ(Detect(std::string("\x4D\x4D\x2A\x00", 4)), kFormatNone);
    EXPECT_EQ(Detect(std::string("\x49\x49\x00\x2A", 4)), kFormatNone);
    EXPECT_EQ(Detect("GIF89a"), kFormatGif);
    EXPECT_EQ(Detect("GIX89a"), kFormatNone);
    const uint8_t seven[7] = {'B', 'M', 0, 0, 0, 0, 0};
    EXPECT_EQ(DetectFormatFromMemory(seven, 7), kFormatUnreadable);
    EXPECT_EQ(DetectFormatFromFile(L"/nonexistent/quorvel/x.png"), kFormatUnreadable);
}

TEST(FormatDetect, ExtensionClasses) {
    EXPECT_EQ(ClassifyExtension(L"a.JPG"), kFormatJpeg);
    EXPECT_EQ(ClassifyExtension(L"a.b.Jpe"), kFormatJpeg);
    EXPECT_EQ(ClassifyExtension(L"a.jpeg"), kFormatJpeg);
    EXPECT_EQ(ClassifyExtension(L"x.TIFF"), kFormatTiff);
    EXPECT_EQ(ClassifyExtension(L"x.bmp"), kFormatBmp);
    EXPECT_EQ(ClassifyExtension(L"x.gif"), kFormatGif);
    EXPECT_EQ(ClassifyExtension(L"x.png"), kFormatPng);
    EXPECT_EQ(ClassifyExtension(L"x.png.zip"), kFormatNone);
    EXPECT_EQ(ClassifyExtension(L"noextension"), kFormatNone);
    EXPECT_EQ(ClassifyExtension(L"x."), kFormatNone);
    EXPECT_EQ(ClassifyExtension(L"x.jpegg"), kFormatNone);
}

TEST(LoadPipeline, PngNamedJpgDecodesAsPngAndMissingFileFails) {
    qvtest::ScratchDir dir;
    ImageBuffer* src = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(src, 5, 3, 24, &status));
    ImageRowFromTop(src, 0)[0] = 200;
    std::wstring path = dir.File(L"picture.jpg");
    ASSERT_EQ(WritePngFile(path.c_str(), *src, PngWriteOptions{}), kCodecOk);

    EXPECT_EQ(DetectFormatFromFile(path.c_str()), kFormatPng);
    ImageBuffer* out = AllocImageRecord();
    LoadInfo info;
    ASSERT_TRUE(DecodeFile(path.c_str(), LoadOptions{}, false, out, &info, &status)) << status;
    EXPECT_EQ(out->sourceFormat, kFormatPng);
    EXPECT_EQ(out->header.biWidth, 5);
    EXPECT_EQ(ImageRowFromTop(out, 0)[0], 200);
    EXPECT_NE(out->fileSize, 0u);

    EXPECT_FALSE(DecodeFile(dir.File(L"missing.png").c_str(), LoadOptions{}, false, out, &info, &status));
    EXPECT_EQ(status, kCodecCannotOpen);
    FreeImageRecord(out);
    FreeImageRecord(src);
}

} // namespace
} // namespace qv
