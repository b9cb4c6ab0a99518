// Texts in the system's ANSI code page, on a system whose page is 932 (ctest runs this program
// with a Japanese locale): EXIF ASCII texts such as the camera make are read in that page, not
// widened byte by byte; a comment typed here is written in that page, as other programs of the
// system read it.
#include <windows.h>

#include <gtest/gtest.h>

#include "codecs/decoders.h"
#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "platform/platform.h"

namespace qv {
namespace {

// "Exif", then a little-endian TIFF block: IFD0 with Make = `make` and the EXIF IFD pointer, and an
// empty EXIF IFD.
std::vector<uint8_t> ExifWithMake(const std::string& make) {
    std::vector<uint8_t> p = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0, 8, 0, 0, 0};
    auto put16 = [&](uint32_t v) { p.push_back(v & 0xFF), p.push_back((v >> 8) & 0xFF); };
    auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
    const uint32_t text = 8 + 2 + 2 * 12 + 4;
    const uint32_t exifIfd = (text + static_cast<uint32_t>(make.size()) + 1 + 1) & ~1u;
    put16(2);
    put16(271), put16(2), put32(static_cast<uint32_t>(make.size()) + 1), put32(text);
    put16(34665), put16(4), put32(1), put32(exifIfd);
    put32(0);
    p.insert(p.end(), make.begin(), make.end());
    while (p.size() < 6 + exifIfd)
        p.push_back(0);
    put16(0);
    put32(0);
    return p;
}

TEST(AnsiCodePageTest, ExifTextsAreReadInTheAnsiCodePage) {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    ImageBuffer image{};
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(&image, 8, 8, 24, &status));
    JpegEncodeOptions options;
    options.exif = ExifWithMake("\x93\xFA\x96\x7B"); // U+65E5 U+672C in code page 932
    std::vector<uint8_t> jpeg;
    JpegContext ctx;
    ASSERT_TRUE(WriteJpegMemoryLimited(image, options, 1u << 20, &jpeg, &ctx));
    FreeImagePixels(&image);
    ExifInfo info;
    ASSERT_TRUE(ReadExifInfo(jpeg.data(), static_cast<uint32_t>(jpeg.size()), &info, nullptr));
    bool found = false;
    for (const ExifInfoItem& item : info.items)
        found |= item.present && item.value == L"\u65e5\u672c";
    EXPECT_TRUE(found) << "the make was not read in code page 932";
}

TEST(AnsiCodePageTest, CommentsAreWrittenInTheAnsiCodePageWithoutSplittingACharacter) {
    ASSERT_EQ(GetACP(), 932u) << "run with LC_ALL=ja_JP.UTF-8";
    EXPECT_EQ(WideToAnsi(L"\u65e5\u672c", 100), "\x93\xFA\x96\x7B");
    // three bytes allowed: the second character would need a fourth, so it stays out whole
    EXPECT_EQ(WideToAnsi(L"\u65e5\u672c", 3), "\x93\xFA");
    std::string chunk;
    AppendPngCommentChunk(WideToAnsi(L"\u65e5\u672c", 100).c_str(), &chunk);
    EXPECT_NE(chunk.find(std::string("Comment\0\x93\xFA\x96\x7B", 12)), std::string::npos);
}

} // namespace
} // namespace qv
