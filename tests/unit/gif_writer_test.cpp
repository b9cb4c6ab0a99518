#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "codecs/decoders.h"
#include "codecs/gif_codec.h"
#include "model/image_buffer.h"
#include "test_support.h"

namespace qv {
namespace {

// A 24-bit image of `colours` distinct colours in vertical bands.
void MakeBands(ImageBuffer* image, uint32_t w, uint32_t h, uint32_t colours) {
    CodecStatus status;
    ASSERT_TRUE(PrepareImage(image, w, h, 24, &status));
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* row = ImageRowFromTop(image, y);
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t c = (x * colours / w + y) % colours;
            if (colours == 2) { // one bit is black and white
                std::memset(row + x * 3, c ? 255 : 0, 3);
                continue;
            }
            row[x * 3] = static_cast<uint8_t>(c * 13);      // blue
            row[x * 3 + 1] = static_cast<uint8_t>(255 - c); // green
            row[x * 3 + 2] = static_cast<uint8_t>(c * 7);   // red
        }
    }
}

bool ReadBack(const std::wstring& path, ImageBuffer* out, LoadInfo* info) {
    std::string bytes = qvtest::ReadFileBytes(path);
    CodecStatus status;
    LoadOptions options;
    options.alpha = false;
    return ReadGifMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), options,
                         false, out, info, &status);
}

TEST(GifFileWriterTest, EveryDepthKeepsColoursThatFitTheTable) {
    qvtest::ScratchDir dir;
    for (uint32_t depth = 1; depth <= 8; ++depth) {
        for (bool interlace : {false, true}) {
            SCOPED_TRACE(testing::Message() << "depth " << depth << " interlace " << interlace);
            ImageBuffer image{};
            MakeBands(&image, 41, 23, 1u << depth);
            GifWriteOptions options;
            options.depth = depth;
            options.interlace = interlace;
            std::wstring path = dir.File(L"out.gif");
            ASSERT_EQ(WriteGifFile(path.c_str(), image, options), kCodecOk);
            ImageBuffer back{};
            LoadInfo info;
            ASSERT_TRUE(ReadBack(path, &back, &info));
            EXPECT_EQ(back.sourceBitDepth, depth);
            EXPECT_EQ(info.interlaced, interlace);
            for (uint32_t y = 0; y < 23; ++y) {
                const uint8_t* want = ImageRowFromTop(&image, y);
                const uint8_t* got = ImageRowFromTop(&back, y);
                for (uint32_t x = 0; x < 41; ++x) {
                    const RGBQUAD& c = back.palette[got[x]];
                    ASSERT_TRUE(c.rgbBlue == want[x * 3] && c.rgbGreen == want[x * 3 + 1] &&
                                c.rgbRed == want[x * 3 + 2])
                        << x << "," << y;
                }
            }
            FreeImagePixels(&image);
            FreeImagePixels(&back);
        }
    }
}

TEST(GifFileWriterTest, TransparentColourPicksTheNearestUsedEntry) {
    qvtest::ScratchDir dir;
    ImageBuffer image{};
    MakeBands(&image, 16, 4, 4); // colours c = 0..3: red 7c, green 255 - c, blue 13c
    GifWriteOptions options;
    options.depth = 2;
    options.transparent = true;
    options.transparentColour = 22 | (250 << 8) | (40 << 16); // nearest to c = 3 (21, 252, 39)
    std::wstring path = dir.File(L"t.gif");
    ASSERT_EQ(WriteGifFile(path.c_str(), image, options), kCodecOk);
    std::string bytes = qvtest::ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 30u);
    const uint8_t* b = reinterpret_cast<const uint8_t*>(bytes.data());
    const uint8_t index = b[11]; // background = transparent entry
    const uint8_t* entry = b + 13 + index * 3;
    EXPECT_EQ(entry[0], 21);
    EXPECT_EQ(entry[1], 252);
    EXPECT_EQ(entry[2], 39);
    const size_t control = 13 + 4 * 3;
    EXPECT_EQ(b[control], 0x21);
    EXPECT_EQ(b[control + 1], 0xF9);
    EXPECT_EQ(b[control + 3], 1);
    EXPECT_EQ(b[control + 6], index);
    ImageBuffer back{};
    LoadInfo info;
    ASSERT_TRUE(ReadBack(path, &back, &info));
    EXPECT_TRUE(info.transparency);
    FreeImagePixels(&image);
    FreeImagePixels(&back);
}

TEST(GifFileWriterTest, RefusesWhatGifCannotHold) {
    qvtest::ScratchDir dir;
    ImageBuffer image{};
    MakeBands(&image, 4, 4, 2);
    GifWriteOptions options;
    options.depth = 9;
    EXPECT_EQ(WriteGifFile(dir.File(L"a.gif").c_str(), image, options), kCodecCannotConvert);
    options.depth = 8;
    EXPECT_EQ(WriteGifFile(dir.File(L"missing/folder/a.gif").c_str(), image, options), kCodecCannotWrite);
    image.header.biWidth = 65536; // the header alone decides: nothing is read
    EXPECT_EQ(WriteGifFile(dir.File(L"b.gif").c_str(), image, options), kCodecCannotWrite);
    image.header.biWidth = 4;
    FreeImagePixels(&image);
}

} // namespace
} // namespace qv
