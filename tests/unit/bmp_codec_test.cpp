#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "codecs/bmp_codec.h"
#include "codecs/decoders.h"
#include "platform/checked_math.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

// Builds bitmap files byte by byte so that every field can be set wrong on purpose.
struct BmpBuilder {
    uint32_t headerSize = 40;
    int32_t width = 4, height = 2;
    uint16_t bits = 8;
    uint32_t compression = 0, colorsUsed = 0;
    int32_t xRes = 2835, yRes = -5;
    std::vector<uint8_t> table; // raw colour-table or mask bytes after the header
    std::vector<uint8_t> pixels;
    int64_t pixelOffset = -1; // default: right after the table

    std::string File() const {
        std::string info = Info();
        uint32_t offset = pixelOffset >= 0 ? static_cast<uint32_t>(pixelOffset) : 14 + info.size();
        std::string out(14, '\0');
        out[0] = 'B';
        out[1] = 'M';
        WriteLE32(reinterpret_cast<uint8_t*>(&out[2]), 14 + info.size() + pixels.size());
        WriteLE32(reinterpret_cast<uint8_t*>(&out[10]), offset);
        out += info;
        if (out.size() < offset) out.resize(offset, '\0');
        out.append(pixels.begin(), pixels.end());
        return out;
    }
    // Header, table and pixels without the file header: a clipboard block.
    std::string Info(bool withPixels = false) const {
        // room for every field; a header declared shorter is cut after them
        std::string h(headerSize < 40 ? 40 : headerSize, '\0');
        auto* p = reinterpret_cast<uint8_t*>(&h[0]);
        WriteLE32(p, headerSize);
        if (headerSize == 12) {
            WriteLE16(p + 4, static_cast<uint16_t>(width));
            WriteLE16(p + 6, static_cast<uint16_t>(height));
            WriteLE16(p + 8, 1);
            WriteLE16(p + 10, bits);
        } else {
            WriteLE32(p + 4, static_cast<uint32_t>(width));
            WriteLE32(p + 8, static_cast<uint32_t>(height));
            WriteLE16(p + 12, 1);
            WriteLE16(p + 14, bits);
            WriteLE32(p + 16, compression);
            WriteLE32(p + 24, static_cast<uint32_t>(xRes));
            WriteLE32(p + 28, static_cast<uint32_t>(yRes));
            WriteLE32(p + 32, colorsUsed);
        }
        h.resize(headerSize);
        h.append(table.begin(), table.end());
        if (withPixels) h.append(pixels.begin(), pixels.end());
        return h;
    }
};

std::vector<uint8_t> Entries(int count, int seed) {
    std::vector<uint8_t> t;
    for (int i = 0; i < count; ++i) {
        t.push_back(static_cast<uint8_t>(i * 3 + seed));
        t.push_back(static_cast<uint8_t>(255 - i));
        t.push_back(static_cast<uint8_t>(i ^ 0x5A));
        t.push_back(0);
    }
    return t;
}

struct Decoded {
    ImageBuffer image{};
    CodecStatus status = kCodecOk;
    bool ok = false;
    ~Decoded() { FreeImagePixels(&image); }
};

void Decode(const std::string& bytes, Decoded* d) {
    LoadInfo info;
    info.orientation = 7;
    d->ok = ReadBmpMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                          &d->image, &info, &d->status);
    EXPECT_EQ(info.orientation, 1);
    if (!d->ok) {
        EXPECT_EQ(d->image.pixels, nullptr);
    }
}

CodecStatus StatusOf(const std::string& bytes) {
    Decoded d;
    Decode(bytes, &d);
    return d.ok ? kCodecOk : d.status;
}

TEST(BmpReadTest, EightBitFileKeepsPaletteRowsAndResolution) {
    BmpBuilder b;
    b.table = Entries(256, 1);
    b.pixels = {1, 2, 3, 4, 250, 251, 252, 253};
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.header.biBitCount, 8);
    EXPECT_EQ(d.image.header.biSize, 40u);
    EXPECT_EQ(d.image.header.biXPelsPerMeter, 2835);
    EXPECT_EQ(d.image.header.biYPelsPerMeter, 0); // negative reads as unknown
    EXPECT_EQ(d.image.sourceFormat, kFormatBmp);
    EXPECT_EQ(d.image.sourceBitDepth, 8u);
    EXPECT_EQ(d.image.fileSize, b.File().size());
    EXPECT_EQ(std::memcmp(d.image.pixels, b.pixels.data(), 8), 0);
    EXPECT_EQ(d.image.palette[255].rgbBlue, static_cast<uint8_t>(255 * 3 + 1));
    EXPECT_EQ(d.image.palette[0].rgbReserved, 0);
}

TEST(BmpReadTest, ColourTableFollowsLongerInformationHeaders) {
    for (uint32_t headerSize : {52u, 56u, 108u, 124u}) {
        BmpBuilder b;
        b.headerSize = headerSize;
        b.table = Entries(256, 9);
        b.pixels = {7, 0, 0, 0, 0, 0, 0, 200};
        Decoded d;
        Decode(b.File(), &d);
        ASSERT_TRUE(d.ok) << headerSize;
        // reading from offset 54 would take header bytes as colours
        EXPECT_EQ(d.image.palette[0].rgbBlue, 9) << headerSize;
        EXPECT_EQ(d.image.palette[7].rgbBlue, 7 * 3 + 9) << headerSize;
        EXPECT_EQ(d.image.palette[200].rgbGreen, 55) << headerSize;
    }
}

TEST(BmpReadTest, ShortOs2HeaderReadsItsMissingFieldsAsZero) {
    BmpBuilder b;
    b.headerSize = 16;
    b.table = Entries(256, 9);
    b.pixels = {7, 0, 0, 0, 0, 0, 0, 200};
    Decoded d;
    Decode(b.File(), &d);
    // the table's first entries must not be taken for compression or colours used
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.sourceBitDepth, 8u);
    EXPECT_EQ(d.image.palette[0].rgbBlue, 9);
    EXPECT_EQ(d.image.palette[7].rgbBlue, 7 * 3 + 9);
    EXPECT_EQ(d.image.palette[200].rgbGreen, 55);
    EXPECT_EQ(d.image.header.biXPelsPerMeter, 0);

    // as a clipboard block the pixels follow the 256 entries right after the 16 bytes
    std::string block = b.Info(true);
    Decoded c;
    c.ok = ReadDibMemory(reinterpret_cast<const uint8_t*>(block.data()), static_cast<uint32_t>(block.size()), &c.image,
                         &c.status);
    ASSERT_TRUE(c.ok) << c.status;
    EXPECT_EQ(c.image.pixels[0], 7);
    EXPECT_EQ(c.image.palette[7].rgbBlue, 7 * 3 + 9);

    // cut inside the 16 bytes: nothing to read
    std::string cut = b.File().substr(0, 14 + 12);
    EXPECT_EQ(StatusOf(cut), kCodecCannotOpen);
}

TEST(BmpReadTest, OldCoreHeaderHasThreeByteEntries) {
    BmpBuilder b;
    b.headerSize = 12;
    b.bits = 1;
    b.width = 3;
    b.height = 1;
    b.table = {10, 20, 30, 40, 50, 60};
    b.pixels = {0b10100000, 0, 0, 0};
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.palette[1].rgbBlue, 40);
    EXPECT_EQ(d.image.palette[1].rgbRed, 60);
    EXPECT_EQ(d.image.pixels[0], 1);
    EXPECT_EQ(d.image.pixels[1], 0);
}

TEST(BmpReadTest, PackedDepthsExpandToIndexBytes) {
    BmpBuilder b;
    b.bits = 1;
    b.width = 9;
    b.height = 1;
    b.table = Entries(2, 100);
    b.pixels = {0b10000001, 0b10000000, 0, 0};
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.palette[1].rgbBlue, 103); // colours used 0: two entries from the table
    EXPECT_EQ(d.image.palette[2].rgbBlue, 0);
    const uint8_t want1[9] = {1, 0, 0, 0, 0, 0, 0, 1, 1};
    EXPECT_EQ(std::memcmp(d.image.pixels, want1, 9), 0);

    BmpBuilder f;
    f.bits = 4;
    f.width = 3;
    f.height = 2;
    f.table = Entries(16, 0);
    f.pixels = {0xF1, 0x20, 0, 0, 0x34, 0x50, 0, 0};
    Decoded e;
    Decode(f.File(), &e);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.image.sourceBitDepth, 4u);
    EXPECT_EQ(e.image.header.biBitCount, 8);
    const uint8_t want4[8] = {15, 1, 2, 0, 3, 4, 5, 0};
    EXPECT_EQ(std::memcmp(e.image.pixels, want4, 3), 0);
    EXPECT_EQ(std::memcmp(e.image.pixels + 4, want4 + 4, 3), 0);
    EXPECT_EQ(e.image.palette[15].rgbBlue, 45);
}

TEST(BmpReadTest, SixteenBitDefaultsAndBitFields) {
    BmpBuilder b;
    b.bits = 16;
    b.width = 3;
    b.height = 1;
    b.pixels = {0xFF, 0x7F, 0x1F, 0x00, 0x00, 0x7C, 0, 0}; // white, blue, red (5-5-5)
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.header.biBitCount, 24);
    const uint8_t want[9] = {255, 255, 255, 255, 0, 0, 0, 0, 255};
    EXPECT_EQ(std::memcmp(d.image.pixels, want, 9), 0);

    BmpBuilder f = b;
    f.compression = BI_BITFIELDS;
    f.table.resize(12);
    WriteLE32(&f.table[0], 0xF800);
    WriteLE32(&f.table[4], 0x07E0);
    WriteLE32(&f.table[8], 0x001F);
    f.pixels = {0xE0, 0x07, 0x20, 0x00, 0x00, 0x08, 0, 0}; // full green; green 1 of 63; red 1 of 31
    Decoded e;
    Decode(f.File(), &e);
    ASSERT_TRUE(e.ok) << e.status;
    EXPECT_EQ(e.image.pixels[1], 255);
    EXPECT_EQ(e.image.pixels[4], 255 / 63);
    EXPECT_EQ(e.image.pixels[8], 255 / 31);
}

TEST(BmpReadTest, MasksWiderThanTwentyFourBitsScaleWithoutOverflow) {
    BmpBuilder b;
    b.bits = 32;
    b.width = 1;
    b.height = 1;
    b.compression = BI_BITFIELDS;
    b.table.resize(12);
    WriteLE32(&b.table[0], 0xFFFFFFFF); // red takes all 32 bits
    WriteLE32(&b.table[4], 0);
    WriteLE32(&b.table[8], 0);
    b.pixels = {0xFF, 0xFF, 0xFF, 0xFF};
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.pixels[2], 255);
}

TEST(BmpReadTest, ThirtyTwoBitMasksInAnyOrder) {
    BmpBuilder b;
    b.bits = 32;
    b.width = 2;
    b.height = 1;
    b.compression = BI_BITFIELDS;
    b.table.resize(12);
    WriteLE32(&b.table[0], 0x000000FF); // red low
    WriteLE32(&b.table[4], 0x0000FF00);
    WriteLE32(&b.table[8], 0x00FF0000); // blue high
    b.pixels = {0x11, 0x22, 0x33, 0xFF, 0xFF, 0x00, 0x80, 0x00};
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    const uint8_t want[6] = {0x33, 0x22, 0x11, 0x80, 0x00, 0xFF};
    EXPECT_EQ(std::memcmp(d.image.pixels, want, 6), 0);
    EXPECT_EQ(d.image.sourceBitDepth, 32u);
}

// Every row the header declares must be there, at every depth and in clipboard blocks, or a few
// bytes could claim gigabytes of pixels. Only the last row's padding may be missing.
TEST(BmpReadTest, PixelDataCutShortIsRefusedAtEveryDepth) {
    BmpBuilder b;
    b.width = 4;
    b.height = 3;
    b.table = Entries(256, 0);
    b.pixels = {5, 5, 5, 5, 6, 6}; // one row and half of the next
    EXPECT_EQ(StatusOf(b.File()), kCodecCannotOpen);
    b.bits = 16;
    b.table.clear();
    b.pixels.assign(8 * 2 + 7, 0x7F); // two whole rows, the third one byte short
    EXPECT_EQ(StatusOf(b.File()), kCodecCannotOpen);
    b.pixels.push_back(0x7F); // the third row without its padding (none for 4 x 2 bytes) reads
    EXPECT_EQ(StatusOf(b.File()), kCodecOk);
    b.bits = 1;
    b.table = Entries(2, 0);
    b.pixels = {0, 0, 0, 0, 0, 0, 0, 0, 0}; // the last row needs one byte, not four
    EXPECT_EQ(StatusOf(b.File()), kCodecOk);
    b.pixels.resize(8);
    EXPECT_EQ(StatusOf(b.File()), kCodecCannotOpen);

    // 54 bytes declaring 21845 x 65535 at 24 bits: 4 GiB of pixels that are not there
    BmpBuilder huge;
    huge.bits = 24;
    huge.width = 21845;
    huge.height = 65535;
    ASSERT_EQ(huge.File().size(), 54u);
    EXPECT_EQ(StatusOf(huge.File()), kCodecCannotOpen);

    // the clipboard form: 116 bytes declaring 17 x 134217741 at 4 bits
    BmpBuilder dib;
    dib.bits = 4;
    dib.width = 17;
    dib.height = 134217741;
    dib.table = Entries(16, 0);
    dib.pixels.assign(12, 0);
    std::string block = dib.Info(true);
    ImageBuffer image{};
    CodecStatus status = kCodecOk;
    EXPECT_FALSE(ReadDibMemory(reinterpret_cast<const uint8_t*>(block.data()), block.size(), &image, &status));
    EXPECT_EQ(status, kCodecCannotOpen);
    EXPECT_EQ(image.pixels, nullptr);
}

TEST(BmpReadTest, LongColourTablesAreCutToWhatPixelsCanName) {
    BmpBuilder b;
    b.colorsUsed = 300;
    b.table = Entries(300, 2);
    b.pixels = {255, 0, 0, 0, 0, 0, 0, 0};
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.palette[255].rgbBlue, static_cast<uint8_t>(255 * 3 + 2));

    b.colorsUsed = 0xFFFFFFFF; // absurd count, no table beyond 256 entries
    b.table = Entries(256, 2);
    EXPECT_EQ(StatusOf(b.File()), kCodecOk);

    b.colorsUsed = 10; // a short table: the other entries stay zero
    b.table = Entries(10, 2);
    Decoded e;
    Decode(b.File(), &e);
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.image.palette[9].rgbBlue, 29);
    EXPECT_EQ(e.image.palette[10].rgbGreen, 0);
}

TEST(BmpReadTest, BadInputGetsItsStatus) {
    BmpBuilder good;
    good.table = Entries(256, 0);
    good.pixels.assign(8, 1);
    std::string file = good.File();
    EXPECT_EQ(StatusOf(file.substr(0, 53)), kCodecCannotOpen);  // header cut short
    EXPECT_EQ(StatusOf(file.substr(0, 300)), kCodecCannotOpen); // colour table cut short

    BmpBuilder b = good;
    b.pixelOffset = static_cast<int64_t>(file.size()) + 1;
    b.pixels.clear();
    std::string past = b.File();
    WriteLE32(reinterpret_cast<uint8_t*>(&past[10]), static_cast<uint32_t>(past.size() + 1));
    EXPECT_EQ(StatusOf(past), kCodecCannotOpen);

    b = good;
    b.height = -2; // top-down
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b = good;
    b.width = 0;
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b = good;
    b.compression = BI_RLE8;
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b = good;
    b.bits = 4;
    b.compression = BI_RLE4;
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b = good;
    b.bits = 32;
    b.compression = 6;
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b = good;
    b.bits = 7;
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b = good;
    b.bits = 24;
    b.width = 0x40000000; // stride x height beyond 32 bits: refused before allocating
    b.height = 4;
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b.bits = 32;
    b.width = 0x7FFFFFFF;
    b.height = 0x7FFFFFFF;
    EXPECT_EQ(StatusOf(b.File()), kCodecNotSupported);
    b = good;
    b.bits = 16;
    b.compression = BI_BITFIELDS;
    b.table.clear();
    b.pixels.clear(); // masks missing
    EXPECT_EQ(StatusOf(b.File().substr(0, 60)), kCodecCannotOpen);
}

TEST(BmpReadTest, DecoderFreesPreviousPixelsOfTheTarget) {
    BmpBuilder b;
    b.table = Entries(256, 0);
    b.pixels.assign(8, 1);
    Decoded d;
    Decode(b.File(), &d);
    ASSERT_TRUE(d.ok);
    d.image.palette[255].rgbRed = 77;
    BmpBuilder bad = b;
    bad.height = 0;
    Decode(bad.File(), &d); // a failure leaves no pixels and does not leak the old block
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.image.pixels, nullptr);
}

TEST(DibReadTest, ClipboardBlocksFindPixelsAfterTableOrMasks) {
    BmpBuilder b;
    b.bits = 4;
    b.width = 2;
    b.height = 1;
    b.colorsUsed = 3;
    b.table = Entries(3, 0);
    b.pixels = {0x21, 0, 0, 0};
    std::string block = b.Info(true);
    ImageBuffer image{};
    CodecStatus status;
    ASSERT_TRUE(ReadDibMemory(reinterpret_cast<const uint8_t*>(block.data()), block.size(), &image, &status));
    EXPECT_EQ(image.pixels[0], 2);
    EXPECT_EQ(image.pixels[1], 1);
    EXPECT_EQ(image.palette[2].rgbBlue, 6);
    EXPECT_EQ(image.fileSize, 4u + 12u + 54u);
    EXPECT_EQ(image.sourceBitDepth, 4u);

    BmpBuilder m;
    m.bits = 32;
    m.width = 1;
    m.height = 1;
    m.compression = BI_BITFIELDS;
    m.table.resize(12);
    WriteLE32(&m.table[0], 0xFF0000);
    WriteLE32(&m.table[4], 0x00FF00);
    WriteLE32(&m.table[8], 0x0000FF);
    m.pixels = {1, 2, 3, 4};
    block = m.Info(true);
    ASSERT_TRUE(ReadDibMemory(reinterpret_cast<const uint8_t*>(block.data()), block.size(), &image, &status));
    EXPECT_EQ(image.pixels[0], 1);
    EXPECT_EQ(image.pixels[2], 3);
    EXPECT_EQ(image.fileSize, 4u + 54u);
    EXPECT_FALSE(ReadDibMemory(reinterpret_cast<const uint8_t*>(block.data()), 30, &image, &status));
    EXPECT_EQ(status, kCodecCannotOpen);
    FreeImagePixels(&image);
}

// ---- writing ----------------------------------------------------------------------------------

// A source image: 8-bit with `colours` palette entries in use, or 24-bit with that many colours.
void MakeImage(ImageBuffer* image, uint32_t bits, uint32_t width, uint32_t height, uint32_t colours) {
    CodecStatus status;
    ASSERT_TRUE(PrepareImage(image, width, height, bits, &status));
    for (uint32_t i = 0; i < 256; ++i)
        image->palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i * 7), static_cast<BYTE>(255 - i), 0};
    if (colours == 2) { // black and white
        image->palette[0] = RGBQUAD{0, 0, 0, 0};
        image->palette[1] = RGBQUAD{255, 255, 255, 0};
    }
    image->header.biXPelsPerMeter = 3780;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            uint32_t index = (x * 31 + y * 17) % colours;
            uint8_t* row = image->pixels + y * ImageStride(image);
            if (bits == 8) {
                row[x] = static_cast<uint8_t>(index);
            } else {
                const RGBQUAD& c = image->palette[index];
                row[x * 3] = c.rgbBlue;
                row[x * 3 + 1] = c.rgbGreen;
                row[x * 3 + 2] = c.rgbRed;
            }
        }
}

void ColourAt(const ImageBuffer& image, uint32_t x, uint32_t y, uint8_t bgr[3]) {
    const uint8_t* row = image.pixels + y * ImageStride(&image);
    if (image.header.biBitCount == 8) {
        const RGBQUAD& c = image.palette[row[x]];
        bgr[0] = c.rgbBlue;
        bgr[1] = c.rgbGreen;
        bgr[2] = c.rgbRed;
    } else {
        std::memcpy(bgr, row + x * 3, 3);
    }
}

TEST(BmpWriteTest, EveryDepthPairRoundTrips) {
    qvtest::ScratchDir dir;
    const std::wstring path = dir.File(L"out.bmp");
    for (uint32_t sourceBits : {8u, 24u}) {
        for (uint32_t depth : {1u, 4u, 8u, 24u}) {
            for (bool dither : {false, true}) {
                for (uint32_t colours : {2u, 16u, 200u}) {
                    SCOPED_TRACE(testing::Message()
                                 << sourceBits << " -> " << depth << " dither " << dither << " colours " << colours);
                    ImageBuffer image{};
                    MakeImage(&image, sourceBits, 13, 7, colours);
                    if (depth == 1) { // only black and white survive one bit exactly
                        FreeImagePixels(&image);
                        MakeImage(&image, sourceBits, 13, 7, 2);
                    }
                    CodecStatus status;
                    ASSERT_TRUE(WriteBmpFile(path.c_str(), image, depth, dither, &status)) << status;
                    std::string bytes = qvtest::ReadFileBytes(path);
                    const uint32_t colourBytes = depth == 24 ? 0 : 4u << depth;
                    uint32_t stride = 0;
                    DibStride(13, depth, &stride);
                    ASSERT_EQ(bytes.size(), 54u + colourBytes + stride * 7);
                    const auto* raw = reinterpret_cast<const uint8_t*>(bytes.data());
                    EXPECT_EQ(ReadLE32(raw + 2), bytes.size());
                    EXPECT_EQ(ReadLE32(raw + 10), 54u + colourBytes);

                    ImageBuffer back{};
                    LoadInfo info;
                    ASSERT_TRUE(ReadBmpFile(path.c_str(), &back, &info, &status)) << status;
                    EXPECT_EQ(back.sourceBitDepth, depth);
                    EXPECT_EQ(back.header.biXPelsPerMeter, 3780);
                    EXPECT_NE(back.fileTime.dwLowDateTime | back.fileTime.dwHighDateTime, 0u);
                    const bool exact = depth == 24 || depth == 1 || colours <= (1u << depth);
                    if (exact) {
                        for (uint32_t y = 0; y < 7; ++y)
                            for (uint32_t x = 0; x < 13; ++x) {
                                uint8_t a[3], b[3];
                                ColourAt(image, x, y, a);
                                ColourAt(back, x, y, b);
                                ASSERT_EQ(std::memcmp(a, b, 3), 0) << x << "," << y;
                            }
                    }
                    FreeImagePixels(&back);
                    FreeImagePixels(&image);
                }
            }
        }
    }
}

TEST(BmpWriteTest, EightBitSavedAtTwentyFourHasNoColourTable) {
    qvtest::ScratchDir dir;
    ImageBuffer image{};
    MakeImage(&image, 8, 5, 3, 40);
    CodecStatus status;
    ASSERT_TRUE(WriteBmpFile(dir.File(L"a.bmp").c_str(), image, 24, false, &status));
    std::string bytes = qvtest::ReadFileBytes(dir.File(L"a.bmp"));
    EXPECT_EQ(ReadLE32(reinterpret_cast<const uint8_t*>(bytes.data()) + 10), 54u);
    EXPECT_EQ(ReadLE32(reinterpret_cast<const uint8_t*>(bytes.data()) + 46), 0u);
    EXPECT_FALSE(WriteBmpFile(dir.File(L"no/such/folder.bmp").c_str(), image, 24, false, &status));
    EXPECT_EQ(status, kCodecCannotWrite);
    EXPECT_FALSE(WriteBmpFile(dir.File(L"b.bmp").c_str(), image, 2, false, &status));
    EXPECT_EQ(status, kCodecCannotConvert);
    FreeImagePixels(&image);
}

} // namespace
} // namespace qv
