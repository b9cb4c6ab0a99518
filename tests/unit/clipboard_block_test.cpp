// The clipboard: the block a copy writes (header, full table for 8 bits, the rows as they are), what
// the reader makes of it and of a top-down block, and what a paste leaves in the session.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/bmp_codec.h"
#include "image/open_image.h"
#include "image/result_image.h"
#include "output/clipboard_block.h"
#include "output/colour_count.h"
#include "test_support.h"
#include "zip_builder.h"

namespace qv {
namespace {

// A w x h image whose every byte differs from its neighbours, palette entry i = (i, 255 - i, i / 2).
ImageBuffer Patterned(uint32_t w, uint32_t h, uint32_t bits) {
    ImageBuffer image{};
    CodecStatus status = kCodecOk;
    EXPECT_TRUE(PrepareImage(&image, w, h, bits, &status));
    for (uint32_t i = 0; i < ImageStride(w, bits) * h; ++i)
        image.pixels[i] = static_cast<uint8_t>(i * 7 + 3);
    for (int i = 0; i < 256; ++i)
        image.palette[i] =
            RGBQUAD{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2), 9};
    image.header.biXPelsPerMeter = 2835;
    image.header.biYPelsPerMeter = 3780;
    return image;
}

std::vector<uint8_t> Block(const ImageBuffer& image) {
    ClipboardBitmap b = ClipboardBitmapOf(image);
    std::vector<uint8_t> block(ClipboardBlockSize(b));
    EXPECT_TRUE(WriteClipboardBlock(b, block.data(), static_cast<uint32_t>(block.size())));
    return block;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

TEST(ClipboardBlock, LayoutAtEightAndTwentyFourBitsAndTheReaderTakesItBack) {
    for (uint32_t bits : {8u, 24u}) {
        SCOPED_TRACE(bits);
        ImageBuffer image = Patterned(5, 3, bits);
        std::vector<uint8_t> block = Block(image);
        const uint32_t table = bits == 8 ? 1024 : 0, stride = bits == 8 ? 8 : 16;
        ASSERT_EQ(block.size(), 40 + table + stride * 3);
        EXPECT_EQ(Le32(block, 0), 40u);
        EXPECT_EQ(Le32(block, 4), 5u);
        EXPECT_EQ(Le32(block, 8), 3u); // bottom-up
        EXPECT_EQ(block[12], 1);
        EXPECT_EQ(block[14], bits);
        EXPECT_EQ(Le32(block, 16), 0u); // uncompressed
        EXPECT_EQ(Le32(block, 20), 0u);
        EXPECT_EQ(Le32(block, 24), 2835u);
        EXPECT_EQ(Le32(block, 28), 3780u);
        EXPECT_EQ(Le32(block, 32), 0u); // colours used: the full table, if any
        EXPECT_EQ(Le32(block, 36), 0u);
        if (bits == 8) {
            EXPECT_EQ(block[40 + 4 * 200], 200);     // blue
            EXPECT_EQ(block[40 + 4 * 200 + 2], 100); // red
            EXPECT_EQ(block[40 + 4 * 200 + 3], 0);   // the reserved byte is written as 0
        }
        EXPECT_EQ(std::memcmp(block.data() + 40 + table, image.pixels, stride * 3), 0);

        ImageBuffer back{};
        CodecStatus status = kCodecOk;
        ASSERT_TRUE(ReadDibMemory(block.data(), static_cast<uint32_t>(block.size()), &back, &status)) << status;
        EXPECT_EQ(back.header.biBitCount, bits);
        EXPECT_EQ(back.sourceFormat, kFormatBmp);
        EXPECT_EQ(back.sourceBitDepth, bits);
        // the pixels of every row (the reader need not keep the padding)
        for (uint32_t row = 0; row < 3; ++row)
            EXPECT_EQ(std::memcmp(back.pixels + row * stride, image.pixels + row * stride, 5 * bits / 8), 0) << row;
        if (bits == 8) {
            EXPECT_EQ(back.palette[77].rgbGreen, 255 - 77);
        }
        FreeImagePixels(&back);
        FreeImagePixels(&image);
    }
    ClipboardBitmap none;
    EXPECT_EQ(ClipboardBlockSize(none), 0u);
}

TEST(ClipboardBlock, ATopDownBitmapIsRefused) {
    ImageBuffer image = Patterned(4, 2, 24);
    std::vector<uint8_t> block = Block(image);
    int32_t upside = -2;
    std::memcpy(block.data() + 8, &upside, 4);
    ImageBuffer back{};
    CodecStatus status = kCodecOk;
    EXPECT_FALSE(ReadDibMemory(block.data(), static_cast<uint32_t>(block.size()), &back, &status));
    EXPECT_EQ(back.pixels, nullptr);
    FreeImagePixels(&image);
}

TEST(ColourCount, DistinctColoursOrUsedIndices) {
    ImageBuffer indexed{};
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(&indexed, 3, 3, 8, &status)); // all index 0
    indexed.pixels[5] = 9;
    indexed.pixels[3] = 200; // padding of the bottom row: not a pixel
    EXPECT_EQ(CountImageColours(indexed), 2u);
    ImageBuffer colour{};
    ASSERT_TRUE(PrepareImage(&colour, 2, 2, 24, &status));
    colour.pixels[0] = 1;
    colour.pixels[8 + 3 + 2] = 1;
    EXPECT_EQ(CountImageColours(colour), 3u);
    EXPECT_EQ(ColourCountText(L"Colours used", 1234567), L"Colours used: 1234567");
    FreeImagePixels(&indexed);
    FreeImagePixels(&colour);
}

struct HookLog {
    int end = 0;
};

ImageSessionHooks LoggingHooks(HookLog* log) {
    ImageSessionHooks h;
    h.context = log;
    h.endLoad = [](void* c) { ++static_cast<HookLog*>(c)->end; };
    return h;
}

class PasteTest : public ::testing::Test {
protected:
    void TearDown() override { FreeImageSession(&session); }
    // Pastes a 6 x 4 8-bit bitmap from its clipboard block.
    void Paste() {
        ImageBuffer source = Patterned(6, 4, 8);
        std::vector<uint8_t> block = Block(source);
        FreeImagePixels(&source);
        ImageBuffer pasted{};
        CodecStatus status = kCodecOk;
        ASSERT_TRUE(ReadDibMemory(block.data(), static_cast<uint32_t>(block.size()), &pasted, &status));
        OpenPastedImage(&session, &pasted, options, LoggingHooks(&log));
        EXPECT_EQ(pasted.pixels, nullptr);
    }
    qvtest::ScratchDir dir;
    ImageSession session;
    HookLog log;
    int32_t format = 5;
    OpenImageOptions options{LoadOptions{}, &format};
};

TEST_F(PasteTest, APastedImageHasNoFileNoHistoryAndNoPreview) {
    std::wstring path = dir.File(L"shown.bmp");
    ImageBuffer shown = Patterned(3, 3, 24);
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(WriteBmpFile(path.c_str(), shown, 24, false, &status));
    FreeImagePixels(&shown);
    OpenImage(&session, path, nullptr, options, LoggingHooks(&log));
    ASSERT_TRUE(RebuildFromFolder(&session.list));
    // a save preview made from the shown file, and an edit since the last save
    ASSERT_TRUE(BeginResult(&session, ResultState::SavePreview));
    session.preview.tempPath = dir.File(L"preview.tmp");
    ASSERT_TRUE(qvtest::WriteFileBytes(session.preview.tempPath, "x"));
    session.preview.imageShown = true;
    RecordEdit(&session.edits);
    ASSERT_TRUE(IsModified(session.edits));
    std::wstring step = dir.File(L"tmp1.tmp"); // a snapshot of the edit history
    ASSERT_TRUE(qvtest::WriteFileBytes(step, "x"));
    session.history.nodes.push_back({step, L"edit"});
    session.lastLoadFailed = true;
    log = HookLog{};

    Paste();
    EXPECT_EQ(session.current.header.biWidth, 6);
    EXPECT_EQ(session.current.sourceFormat, kFormatBmp);
    EXPECT_EQ(session.current.sourceBitDepth, 8u);
    EXPECT_TRUE(session.list.currentPath.empty()); // a later save asks for a name
    EXPECT_TRUE(session.list.currentName.empty());
    EXPECT_EQ(session.list.sourceKind, kSourceFolder);
    EXPECT_TRUE(HasList(session.list)); // the folder's images stay a step away
    EXPECT_TRUE(session.history.nodes.empty());
    EXPECT_FALSE(qv::PathExists(step.c_str())) << "the snapshot file outlived the paste";
    EXPECT_EQ(log.end, 1);
    EXPECT_FALSE(IsModified(session.edits));
    EXPECT_FALSE(session.lastLoadFailed);
    EXPECT_FALSE(session.preview.imageShown);
    EXPECT_FALSE(qv::PathExists(dir.File(L"preview.tmp").c_str()));
    EXPECT_EQ(format, kSaveFormatJpeg); // lossless JPEG needs a JPEG source
}

TEST_F(PasteTest, PastingOverAnArchiveMemberLeavesTheArchive) {
    ImageBuffer member = Patterned(2, 2, 24);
    std::wstring bmp = dir.File(L"m.bmp");
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(WriteBmpFile(bmp.c_str(), member, 24, false, &status));
    FreeImagePixels(&member);
    std::wstring zip = dir.File(L"a.zip");
    ASSERT_TRUE(qvtest::WriteFileBytes(zip, qvtest::BuildZip({{"m.bmp", qvtest::ReadFileBytes(bmp)}})));
    OpenImage(&session, zip, nullptr, options, LoggingHooks(&log));
    ASSERT_EQ(session.list.sourceKind, kSourceZip);
    Paste();
    EXPECT_EQ(session.list.sourceKind, kSourceFolder);
    EXPECT_FALSE(HasList(session.list));
    EXPECT_TRUE(session.list.currentPath.empty());
}

} // namespace
} // namespace qv
