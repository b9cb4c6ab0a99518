// The immediate turns and flips: each one against a hand-made 3 x 2 picture at both depths, the
// tiled quarter turn against the plain rule on pictures larger than a tile, single-row and
// single-pixel pictures, and the pending lossless rotation table with its JPEG rule.
#include <gtest/gtest.h>

#include <string>

#include "model/command_ids.h"
#include "model/image_buffer.h"
#include "image/image_turn.h"
#include "tools/immediate_turn.h"

namespace qv {
namespace {

const int32_t kCommands[5] = {kCmdTurnRight, kCmdTurn180, kCmdTurnLeft, kCmdMirror, kCmdFlip};

struct Owned {
    ImageBuffer image{};
    ~Owned() { FreeImagePixels(&image); }
};

// Pixel n (counted from 0, left to right, top row first) is n + 1 at 8 bits, (n + 1) x (1, 2, 3)
// blue-green-red at 24; the palette maps index i to (i, 2i, 3i) likewise.
void MakeCounting(ImageBuffer* image, uint32_t w, uint32_t h, uint32_t bits) {
    ASSERT_TRUE(PrepareImage(image, w, h, bits, nullptr));
    for (uint32_t i = 0; i < 256; ++i)
        image->palette[i] =
            RGBQUAD{static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(3 * i), 0};
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t n = (y * w + x + 1) & 0xFF;
            uint8_t* p = ImageRowFromTop(image, y) + x * (bits / 8);
            if (bits == 8)
                p[0] = static_cast<uint8_t>(n);
            else
                p[0] = static_cast<uint8_t>(n), p[1] = static_cast<uint8_t>(2 * n), p[2] = static_cast<uint8_t>(3 * n);
        }
}

uint32_t PixelAt(const ImageBuffer& image, uint32_t x, uint32_t y) {
    const uint8_t* p = ImageRowFromTop(&image, y) + x * (image.header.biBitCount / 8);
    return image.header.biBitCount == 8 ? p[0] : p[0] | p[1] << 8 | p[2] << 16;
}

// The picture's numbers, row by row from the top, as "4 1 / 5 2 / 6 3" (blue channel at 24 bits).
std::string Rows(const ImageBuffer& image) {
    std::string s;
    for (uint32_t y = 0; y < static_cast<uint32_t>(image.header.biHeight); ++y) {
        if (y) s += " / ";
        for (uint32_t x = 0; x < static_cast<uint32_t>(image.header.biWidth); ++x)
            s += (x ? " " : "") + std::to_string(PixelAt(image, x, y) & 0xFF);
    }
    return s;
}

TEST(ImmediateTurnTest, EachTurnMovesAHandMadePictureAtBothDepths) {
    // 1 2 3
    // 4 5 6
    const char* expected[5] = {"4 1 / 5 2 / 6 3", "6 5 4 / 3 2 1", "3 6 / 2 5 / 1 4", "3 2 1 / 6 5 4", "4 5 6 / 1 2 3"};
    for (uint32_t bits : {8u, 24u}) {
        Owned src;
        MakeCounting(&src.image, 3, 2, bits);
        src.image.header.biXPelsPerMeter = 1000;
        src.image.header.biYPelsPerMeter = 2000;
        for (int i = 0; i < 5; ++i) {
            Owned out;
            int32_t pending = kTurnNone;
            CodecStatus status = kCodecOk;
            ASSERT_TRUE(ImmediateTurn(src.image, kCommands[i], &pending, &out.image, &status));
            EXPECT_EQ(Rows(out.image), expected[i]) << bits << " bits, command " << kCommands[i];
            EXPECT_EQ(out.image.header.biBitCount, bits);
            bool quarter = i == 0 || i == 2;
            EXPECT_EQ(out.image.header.biXPelsPerMeter, quarter ? 2000 : 1000);
            EXPECT_EQ(out.image.sourceBitDepth, bits);
            EXPECT_EQ(out.image.fileSize,
                      ImageStride(&out.image) * out.image.header.biHeight + 54 + (bits == 8 ? 1024 : 0));
            const uint32_t n = PixelAt(out.image, 0, 0) & 0xFF; // the three channels move together
            if (bits == 24) {
                EXPECT_EQ(PixelAt(out.image, 0, 0), n | 2 * n << 8 | 3 * n << 16);
            } else {
                EXPECT_EQ(out.image.palette[5].rgbRed, 15);
            }
        }
    }
}

// The plain rule in screen terms, for pictures larger than the turn's tiles.
uint32_t Expected(const ImageBuffer& src, int32_t command, uint32_t X, uint32_t Y) {
    uint32_t w = static_cast<uint32_t>(src.header.biWidth), h = static_cast<uint32_t>(src.header.biHeight);
    switch (command) {
    case kCmdTurnRight: return PixelAt(src, Y, h - 1 - X);
    case kCmdTurnLeft: return PixelAt(src, w - 1 - Y, X);
    case kCmdTurn180: return PixelAt(src, w - 1 - X, h - 1 - Y);
    case kCmdMirror: return PixelAt(src, w - 1 - X, Y);
    default: return PixelAt(src, X, h - 1 - Y);
    }
}

TEST(ImmediateTurnTest, TiledTurnsFollowThePlainRuleAcrossTileEdges) {
    const uint32_t sizes[][2] = {{75, 53}, {1, 1}, {65535, 1}, {1, 300}, {130, 70}};
    for (uint32_t bits : {8u, 24u})
        for (const auto& size : sizes) {
            Owned src;
            MakeCounting(&src.image, size[0], size[1], bits);
            for (int32_t command : kCommands) {
                Owned out;
                int32_t pending = kTurnNone;
                CodecStatus status = kCodecOk;
                ASSERT_TRUE(ImmediateTurn(src.image, command, &pending, &out.image, &status));
                bool quarter = command == kCmdTurnRight || command == kCmdTurnLeft;
                ASSERT_EQ(out.image.header.biWidth, static_cast<int32_t>(quarter ? size[1] : size[0]));
                ASSERT_EQ(out.image.header.biHeight, static_cast<int32_t>(quarter ? size[0] : size[1]));
                int bad = 0;
                for (uint32_t Y = 0; Y < static_cast<uint32_t>(out.image.header.biHeight); ++Y)
                    for (uint32_t X = 0; X < static_cast<uint32_t>(out.image.header.biWidth); ++X)
                        bad += PixelAt(out.image, X, Y) != Expected(src.image, command, X, Y);
                EXPECT_EQ(bad, 0) << size[0] << "x" << size[1] << " at " << bits << " bits, command " << command;
            }
        }
}

TEST(ImmediateTurnTest, PendingRotationFollowsTheTableAndAJpegStaysAJpegOnlyWhileItCan) {
    // rows: the pending code before; columns: 90 cw, 180, 90 ccw, mirror, flip; -1: no single code
    const int32_t table[6][5] = {{1, 2, 3, 4, 5},   {2, 3, 0, -1, -1}, {3, 0, 1, 5, 4},
                                 {0, 1, 2, -1, -1}, {-1, 5, -1, 0, 2}, {-1, 4, -1, 2, 0}};
    Owned src;
    MakeCounting(&src.image, 3, 2, 24);
    for (uint32_t format : {kFormatJpeg, kFormatPng})
        for (int32_t before = 0; before < 6; ++before)
            for (int op = 0; op < 5; ++op) {
                EXPECT_EQ(ComposeRotation(before, op + 1), table[before][op]);
                src.image.sourceFormat = format;
                Owned out;
                int32_t pending = before;
                CodecStatus status = kCodecOk;
                ASSERT_TRUE(ImmediateTurn(src.image, kCommands[op], &pending, &out.image, &status));
                const int32_t want = table[before][op];
                EXPECT_EQ(pending, want < 0 ? before : want) << before << " " << op;
                const bool jpeg = format == kFormatJpeg && want >= 0;
                EXPECT_EQ(out.image.sourceFormat, jpeg ? kFormatJpeg : kFormatBmp) << before << " " << op;
            }
    // a mirror after a quarter turn: the code stays 1 and the picture no longer counts as a JPEG
    src.image.sourceFormat = kFormatJpeg;
    Owned out;
    int32_t pending = kTurn90;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(ImmediateTurn(src.image, kCmdMirror, &pending, &out.image, &status));
    EXPECT_EQ(pending, kTurn90);
    EXPECT_EQ(out.image.sourceFormat, kFormatBmp);
    // another command turns nothing and leaves the code alone
    EXPECT_FALSE(ImmediateTurn(src.image, kCmdTrim, &pending, &out.image, &status));
    EXPECT_EQ(pending, kTurn90);
    EXPECT_EQ(ComposeRotation(6, kTurn90), -1);
}

} // namespace
} // namespace qv
