// PNG reader statuses and conversions on crafted files, the writer's forms, filters and
// transparency chunks, and the comment operations.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/png_codec.h"
#include "codecs/png_format.h"
#include "codecs/png_rows.h"
#include "platform/platform.h"
#include "test_support.h"

#include <png.h>

namespace qv {
namespace {

// ---- building files ---------------------------------------------------------------------

struct Chunk {
    uint32_t type;
    std::string data;
};

std::string Be32(uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
    return std::string(b, 4);
}

uint32_t Be32At(const std::string& s, size_t at) {
    const auto* p = reinterpret_cast<const uint8_t*>(s.data()) + at;
    return static_cast<uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

// The files are built and taken apart here by the format's definition (length, type, data, then
// zlib's CRC-32 of type and data), not with the codec's own chunk helpers, so that one fault in
// those cannot hide on both sides.
std::string ChunkBytes(uint32_t type, const std::string& data) {
    std::string typed = Be32(type) + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    return Be32(static_cast<uint32_t>(data.size())) + typed + Be32(static_cast<uint32_t>(crc));
}

const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

std::string Ihdr(uint32_t w, uint32_t h, uint8_t depth, uint8_t type, uint8_t interlace = 0) {
    std::string d = Be32(w) + Be32(h);
    d += static_cast<char>(depth);
    d += static_cast<char>(type);
    d += std::string(2, '\0');
    d += static_cast<char>(interlace);
    return d;
}

std::string Deflate(const std::string& raw) {
    uLongf size = compressBound(raw.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 9);
    out.resize(size);
    return out;
}

std::string Build(const std::vector<Chunk>& chunks) {
    std::string out = kSignature;
    for (const Chunk& c : chunks)
        out += ChunkBytes(c.type, c.data);
    return out;
}

// A file of the given header whose rows (filter byte included) are `raw`.
std::string Simple(const std::string& ihdr, const std::string& raw, std::vector<Chunk> before = {},
                   std::vector<Chunk> after = {}) {
    std::vector<Chunk> chunks{{kChunkIHDR, ihdr}};
    chunks.insert(chunks.end(), before.begin(), before.end());
    chunks.push_back({kChunkIDAT, Deflate(raw)});
    chunks.insert(chunks.end(), after.begin(), after.end());
    chunks.push_back({kChunkIEND, ""});
    return Build(chunks);
}

struct Decoded {
    bool ok = false;
    CodecStatus status = kCodecOk;
    ImageBuffer image{};
    LoadInfo info;
    ~Decoded() { FreeImagePixels(&image); }
    // Pixel (x, y from the top) as RGB packed 0xRRGGBB, through the palette for 8-bit results.
    uint32_t At(uint32_t x, uint32_t y) const {
        const uint8_t* row = ImageRowFromTop(&image, y);
        if (image.header.biBitCount == 8) {
            const RGBQUAD& q = image.palette[row[x]];
            return (q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue;
        }
        return (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x];
    }
};

void Decode(const std::string& bytes, Decoded* d, LoadOptions options = {}) {
    d->ok = ReadPngMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()), options,
                          &d->image, &d->info, &d->status);
}

CodecStatus StatusOf(const std::string& bytes) {
    Decoded d;
    Decode(bytes, &d);
    EXPECT_EQ(d.ok, d.status == kCodecOk);
    if (!d.ok) {
        EXPECT_EQ(d.image.pixels, nullptr);
    }
    return d.status;
}

LoadOptions Plain() {
    LoadOptions o;
    o.gamma = false;
    o.fileBackground = false;
    o.background = 0x00102030; // red 0x30, green 0x20, blue 0x10
    return o;
}

const std::string kGrey8Row = std::string("\0\x10\x20", 3); // 2x1 8-bit grey, filter None

// ---- the format's bytes ------------------------------------------------------------------

TEST(PngFormatTest, SignatureAndChunksAreTheBytesTheFormatDefines) {
    // written out from the format's definition: CRC-32 over type and data
    const std::string iend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
    const std::string ihdr("\0\0\0\x0DIHDR\0\0\0\1\0\0\0\1\x08\0\0\0\0\x3A\x7E\x9B\x55", 25);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(kPngSignature), 8), kSignature);
    EXPECT_EQ(ChunkBytes(kChunkIEND, ""), iend);
    EXPECT_EQ(ChunkBytes(kChunkIHDR, Ihdr(1, 1, 8, 0)), ihdr);
    std::string written;
    AppendPngChunk(kChunkIEND, nullptr, 0, &written);
    EXPECT_EQ(written, iend);
    written.clear();
    std::string header = Ihdr(1, 1, 8, 0);
    AppendPngChunk(kChunkIHDR, reinterpret_cast<const uint8_t*>(header.data()), 13, &written);
    EXPECT_EQ(written, ihdr);

    PngChunk chunk;
    const auto* p = reinterpret_cast<const uint8_t*>(ihdr.data());
    ASSERT_EQ(ReadPngChunk(p, p + ihdr.size(), &chunk), ChunkRead::Ok);
    EXPECT_EQ(chunk.type, 0x49484452u);
    EXPECT_EQ(chunk.length, 13u);
    EXPECT_EQ(chunk.next, p + 25);
    EXPECT_TRUE(PngChunkCrcMatches(chunk));
    std::string damaged = ihdr;
    damaged[24] ^= 1;
    p = reinterpret_cast<const uint8_t*>(damaged.data());
    ASSERT_EQ(ReadPngChunk(p, p + damaged.size(), &chunk), ChunkRead::Ok);
    EXPECT_FALSE(PngChunkCrcMatches(chunk));
    EXPECT_EQ(ReadPngChunk(p, p + 24, &chunk), ChunkRead::PastEnd);
}

// ---- reader: statuses -------------------------------------------------------------------

TEST(PngReaderTest, HeaderFaultsGiveTheirStatuses) {
    std::string good = Simple(Ihdr(2, 1, 8, 0), kGrey8Row);
    EXPECT_EQ(StatusOf(good), kCodecOk);
    EXPECT_EQ(StatusOf(good.substr(0, 7)), kCodecBadData);
    std::string badSig = good;
    badSig[1] = 'Q';
    EXPECT_EQ(StatusOf(badSig), kCodecBadData);
    EXPECT_EQ(StatusOf(Build({{kChunkIHDR, Ihdr(2, 1, 8, 0) + "x"}})), kPngHeaderNot13);
    EXPECT_EQ(StatusOf(Build({{kChunkGAMA, std::string(13, '\0')}})), kPngFirstNotIhdr);
    std::string badCrc = good;
    badCrc[8 + 8 + 13] ^= 1;
    EXPECT_EQ(StatusOf(badCrc), kPngCrcMismatch);
    EXPECT_EQ(StatusOf(Simple(Ihdr(0, 1, 8, 0), "")), kCodecNotSupported);
    EXPECT_EQ(StatusOf(Simple(Ihdr(0x80000000u, 1, 8, 0), "")), kCodecNotSupported);
    std::string h = Ihdr(2, 1, 8, 0);
    h[10] = 1;
    EXPECT_EQ(StatusOf(Simple(h, kGrey8Row)), kPngBadCompression);
    h = Ihdr(2, 1, 8, 0);
    h[11] = 1;
    EXPECT_EQ(StatusOf(Simple(h, kGrey8Row)), kPngBadFilterMethod);
    EXPECT_EQ(StatusOf(Simple(Ihdr(2, 1, 8, 0, 2), kGrey8Row)), kPngBadInterlace);
    EXPECT_EQ(StatusOf(Simple(Ihdr(2, 1, 3, 0), kGrey8Row)), kPngBadBitDepth);
    EXPECT_EQ(StatusOf(Simple(Ihdr(2, 1, 4, 2), kGrey8Row)), kPngBadColourType);
    EXPECT_EQ(StatusOf(Simple(Ihdr(2, 1, 16, 3), kGrey8Row)), kPngBadColourType);
    EXPECT_EQ(StatusOf(Simple(Ihdr(2, 1, 8, 1), kGrey8Row)), kPngBadColourType);
}

TEST(PngReaderTest, ChunkOrderAndDamageGiveTheirStatuses) {
    std::string ihdr = Ihdr(2, 1, 8, 3);
    std::string plte = "\xff\0\0\0\xff\0";
    std::string row("\0\0\1", 3);
    EXPECT_EQ(StatusOf(Simple(ihdr, row, {{kChunkPLTE, plte}})), kCodecOk);
    EXPECT_EQ(StatusOf(Simple(ihdr, row, {{kChunkPLTE, plte}, {kChunkPLTE, plte}})), kPngChunkOrder);
    EXPECT_EQ(StatusOf(Simple(ihdr, row, {{kChunkPLTE, plte}}, {{kChunkPLTE, plte}})), kPngChunkOrder);
    EXPECT_EQ(StatusOf(Simple(ihdr, row)), kPngNoImageData); // palette image without PLTE
    EXPECT_EQ(StatusOf(Build({{kChunkIHDR, ihdr}, {kChunkPLTE, plte}, {kChunkIEND, ""}})), kPngNoImageData);
    EXPECT_EQ(StatusOf(Simple(ihdr, row, {{kChunkPLTE, plte}}, {{kChunkIHDR, ihdr}})), kPngChunkOrder);

    // IDAT, tEXt, IDAT: a second run of image data
    std::string z = Deflate(row);
    EXPECT_EQ(StatusOf(Build({{kChunkIHDR, ihdr},
                              {kChunkPLTE, plte},
                              {kChunkIDAT, z.substr(0, 4)},
                              {kChunkTEXT, std::string("a\0b", 3)},
                              {kChunkIDAT, z.substr(4)},
                              {kChunkIEND, ""}})),
              kPngChunkOrder);
    // the same split as one run decodes
    std::string split = Build({{kChunkIHDR, ihdr},
                               {kChunkPLTE, plte},
                               {kChunkIDAT, z.substr(0, 4)},
                               {kChunkIDAT, z.substr(4, 3)},
                               {kChunkIDAT, z.substr(7)},
                               {kChunkIEND, ""}});
    EXPECT_EQ(StatusOf(split), kCodecOk);
    // a later chunk of the run with a bad CRC damages the run; the first one is a plain CRC fault
    size_t second = split.find("IDAT", split.find("IDAT") + 4);
    std::string bad = split;
    bad[second + 4] ^= 0x55;
    EXPECT_EQ(StatusOf(bad), kPngIdatDamaged);
    bad = split;
    bad[split.find("IDAT") + 4] ^= 0x55;
    EXPECT_EQ(StatusOf(bad), kPngCrcMismatch);

    std::string topBit = Simple(ihdr, row, {{kChunkPLTE, plte}});
    topBit.replace(33, 4, Be32(0x80000003u));
    EXPECT_EQ(StatusOf(topBit), kPngLengthTopBit);
    std::string good = Simple(ihdr, row, {{kChunkPLTE, plte}});
    EXPECT_EQ(StatusOf(good.substr(0, good.size() - 12)), kCodecBadData); // no IEND
    std::string badEnd = good;
    badEnd.back() ^= 1;
    EXPECT_EQ(StatusOf(badEnd), kPngCrcMismatch);
}

TEST(PngReaderTest, InflateFaultsAndShortStreams) {
    std::string ihdr = Ihdr(2, 2, 8, 0);
    EXPECT_EQ(StatusOf(Build({{kChunkIHDR, ihdr}, {kChunkIDAT, "garbage!"}, {kChunkIEND, ""}})), kCodecInflateFailed);
    // a stream that ends after the first row leaves the second row zero, without an error
    std::string raw = kGrey8Row + kGrey8Row;
    std::string z = Deflate(raw);
    z[z.size() - 1] ^= 0x5A; // break the Adler check: every row arrives, only the end is wrong
    Decoded badCheck;
    Decode(Build({{kChunkIHDR, ihdr}, {kChunkIDAT, z}, {kChunkIEND, ""}}), &badCheck, Plain());
    EXPECT_EQ(badCheck.ok, badCheck.status == kCodecOk);
    EXPECT_EQ(badCheck.status, kCodecInflateFailed);
    EXPECT_EQ(badCheck.image.pixels, nullptr);
    Decoded shortStream;
    std::string rowOnly = Deflate(kGrey8Row);
    Decode(Build({{kChunkIHDR, ihdr}, {kChunkIDAT, rowOnly}, {kChunkIEND, ""}}), &shortStream, Plain());
    ASSERT_TRUE(shortStream.ok);
    EXPECT_EQ(shortStream.At(1, 0), 0x202020u);
    EXPECT_EQ(shortStream.At(1, 1), 0u);
    // a filter type above 4 is damage
    EXPECT_EQ(StatusOf(Simple(Ihdr(2, 1, 8, 0), std::string("\5\0\0", 3))), kCodecBadData);
}

TEST(PngReaderTest, DecompressionBombIsRefusedBeforeAllocating) {
    // 60000 x 60000 RGB from a few hundred bytes of IDAT: more than deflate can ever expand to
    std::string raw(4096, '\0');
    std::string file = Simple(Ihdr(60000, 60000, 8, 2), raw);
    EXPECT_LT(file.size(), 1000u);
    EXPECT_EQ(StatusOf(file), kCodecBadData);
    // beyond 32-bit pixel blocks it is refused as unsupported whatever the data
    std::string big = Simple(Ihdr(0x7FFFFFFF, 0x7FFFFFFF, 1, 0), std::string(1 << 20, '\0'));
    CodecStatus s = StatusOf(big);
    EXPECT_TRUE(s == kCodecNotSupported || s == kCodecBadData) << s;
}

// ---- reader: conversions ------------------------------------------------------------------

TEST(PngReaderTest, LowDepthGreyExpandsToIndicesWithAGreyRamp) {
    // 2-bit grey, 4 pixels 0 1 2 3 in one byte
    Decoded d;
    Decode(Simple(Ihdr(4, 1, 2, 0), std::string("\0\x1b", 2)), &d, Plain());
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.header.biBitCount, 8);
    const uint8_t* row = ImageRowFromTop(&d.image, 0);
    EXPECT_EQ(std::vector<int>(row, row + 4), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(d.image.palette[1].rgbRed, 85);
    EXPECT_EQ(d.image.palette[2].rgbGreen, 170);
    EXPECT_EQ(d.image.palette[3].rgbBlue, 255);
    EXPECT_EQ(d.image.palette[4].rgbBlue, 0);
    EXPECT_EQ(d.image.sourceBitDepth, 2u);
}

TEST(PngReaderTest, SixteenBitRgbKeepsHighBytesBottomUp) {
    std::string raw;
    raw += '\0';
    raw += std::string("\x12\x01\x34\x02\x56\x03", 6);
    raw += '\0';
    raw += std::string("\xab\xff\xcd\xff\xef\xff", 6);
    Decoded d;
    Decode(Simple(Ihdr(1, 2, 16, 2), raw), &d, Plain());
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.image.header.biBitCount, 24);
    EXPECT_EQ(d.image.sourceBitDepth, 48u);
    EXPECT_EQ(d.At(0, 0), 0x123456u);
    EXPECT_EQ(d.At(0, 1), 0xabcdefu);
    // the first file row is the last row of the block
    EXPECT_EQ(d.image.pixels[0], 0xef);
    EXPECT_EQ(d.image.pixels[4], 0x56);
}

TEST(PngReaderTest, AlphaBlendsOntoFileOrConfiguredBackground) {
    // RGBA: opaque red, fully transparent, half-transparent white
    std::string raw = std::string("\0", 1) + std::string("\xff\0\0\xff\0\0\0\0\xff\xff\xff\x80", 12);
    std::string bkgd = std::string("\0\x40\0\x50\0\x60", 6);
    std::string file = Simple(Ihdr(3, 1, 8, 6), raw, {{kChunkBKGD, bkgd}});
    Decoded configured;
    Decode(file, &configured, Plain());
    ASSERT_TRUE(configured.ok);
    EXPECT_TRUE(configured.info.transparency);
    EXPECT_EQ(configured.At(0, 0), 0xff0000u);
    EXPECT_EQ(configured.At(1, 0), 0x302010u);
    // T[128][255] + T[127][bg]: 128 + 24, 128 + 16, 128 + 8
    EXPECT_EQ(configured.At(2, 0), (152u << 16) | (144u << 8) | 136u);

    LoadOptions useFile = Plain();
    useFile.fileBackground = true;
    Decoded fromFile;
    Decode(file, &fromFile, useFile);
    ASSERT_TRUE(fromFile.ok);
    EXPECT_EQ(fromFile.At(1, 0), 0x405060u);

    LoadOptions noBlend = Plain();
    noBlend.alpha = false;
    Decoded unblended;
    Decode(file, &unblended, noBlend);
    EXPECT_EQ(unblended.At(1, 0), 0u);
}

TEST(PngReaderTest, PaletteTransparencyBlendsOnlyTheEntriesItGives) {
    std::string plte;
    for (int i = 0; i < 5; ++i)
        plte += std::string{static_cast<char>(200), static_cast<char>(100), static_cast<char>(i * 10)};
    std::string trns("\0\x80\xff", 3);
    std::string raw("\0\0\1\2\3\4", 6);
    Decoded d;
    Decode(Simple(Ihdr(5, 1, 8, 3), raw, {{kChunkPLTE, plte}, {kChunkTRNS, trns}}), &d, Plain());
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.At(0, 0), 0x302010u);
    EXPECT_EQ(d.image.palette[1].rgbRed, 124); // T[128][200] + T[127][0x30] = 100 + 24
    EXPECT_EQ(d.image.palette[1].rgbBlue, 13); // T[128][10] + T[127][0x10] = 5 + 8
    EXPECT_EQ(d.At(2, 0), 0xc86414u);
    EXPECT_EQ(d.At(3, 0), 0xc8641eu);
    EXPECT_EQ(d.At(4, 0), 0xc86428u);
}

TEST(PngReaderTest, SixteenBitTransparentColourMatchesWholeSamples) {
    // two pixels share the high bytes of the tRNS colour; only the exact one is transparent
    std::string raw = std::string("\0", 1) + std::string("\x10\x01\x20\x02\x30\x03\x10\x00\x20\x02\x30\x03", 12);
    std::string trns("\x10\x01\x20\x02\x30\x03", 6);
    Decoded d;
    Decode(Simple(Ihdr(2, 1, 16, 2), raw, {{kChunkTRNS, trns}}), &d, Plain());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.At(0, 0), 0x302010u);
    EXPECT_EQ(d.At(1, 0), 0x102030u);
}

TEST(PngReaderTest, GammaTableFollowsFileAndDisplayGamma) {
    // file gamma 0.5, display 1.0: exponent 2, so 128 becomes round(255 x (128/255)^2) = 64
    std::string raw("\0\x80\xff", 3);
    std::string file = Simple(Ihdr(2, 1, 8, 0), raw, {{kChunkGAMA, Be32(50000)}});
    LoadOptions o = Plain();
    o.gamma = true;
    o.displayGamma = 1000;
    Decoded d;
    Decode(file, &d, o);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.At(0, 0), 0x404040u);
    EXPECT_EQ(d.At(1, 0), 0xffffffu);
    Decoded off;
    Decode(file, &off, Plain());
    EXPECT_EQ(off.At(0, 0), 0x808080u);
    // a gAMA after PLTE is ignored
    Decoded late;
    std::string plte("\x80\x80\x80", 3);
    Decode(Simple(Ihdr(1, 1, 8, 3), std::string("\0\0", 2), {{kChunkPLTE, plte}, {kChunkGAMA, Be32(50000)}}), &late, o);
    ASSERT_TRUE(late.ok);
    EXPECT_EQ(late.At(0, 0), 0x808080u);
}

TEST(PngReaderTest, TextCommentAndResolutionAreReported) {
    std::string phys = Be32(3780) + Be32(2835) + std::string(1, '\1');
    std::string file = Simple(Ihdr(2, 1, 8, 0), kGrey8Row, {{kChunkPHYS, phys}},
                              {{kChunkTEXT, std::string("Comment\0hello", 13)},
                               {kChunkTEXT, std::string("Title\0x", 7)},
                               {kChunkTEXT, std::string("Comment", 7)}, // no NUL: not text
                               {kChunkTEXT, std::string("\0abc", 4)}});
    Decoded d;
    Decode(file, &d, Plain());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.info.textPresent, 2);
    EXPECT_EQ(d.info.commentPresent, 1);
    EXPECT_FALSE(d.info.interlaced);
    EXPECT_EQ(d.image.header.biXPelsPerMeter, 3780);
    EXPECT_EQ(d.image.header.biYPelsPerMeter, 2835);
    EXPECT_EQ(d.image.sourceFormat, static_cast<uint32_t>(kFormatPng));
    EXPECT_EQ(d.image.fileSize, file.size());
}

// ---- writer -------------------------------------------------------------------------------

struct TestImage {
    ImageBuffer image{};
    TestImage(uint32_t w, uint32_t h, uint32_t bits) {
        CodecStatus s;
        EXPECT_TRUE(PrepareImage(&image, w, h, bits, &s));
    }
    ~TestImage() { FreeImagePixels(&image); }
    void Set(uint32_t x, uint32_t y, uint32_t rgb) {
        uint8_t* row = ImageRowFromTop(&image, y);
        row[3 * x] = rgb & 0xFF;
        row[3 * x + 1] = (rgb >> 8) & 0xFF;
        row[3 * x + 2] = (rgb >> 16) & 0xFF;
    }
};

// A photograph-like 24-bit picture: gradients with some noise.
void FillPicture(TestImage* t) {
    uint32_t w = t->image.header.biWidth, h = t->image.header.biHeight;
    uint32_t seed = 12345;
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            seed = seed * 1103515245 + 12345;
            uint32_t n = (seed >> 16) & 7;
            t->Set(x, y, (((x * 7 + n) & 0xFF) << 16) | (((y * 5) & 0xFF) << 8) | ((x + y + n) & 0xFF));
        }
    }
}

std::vector<Chunk> ParseChunks(const std::string& file) {
    std::vector<Chunk> out;
    EXPECT_EQ(file.substr(0, 8), kSignature);
    for (size_t at = 8; at + 12 <= file.size();) {
        uint32_t length = Be32At(file, at);
        if (length > file.size() - at - 12) {
            ADD_FAILURE() << "chunk at " << at << " runs past the end";
            break;
        }
        Chunk c{Be32At(file, at + 4), file.substr(at + 8, length)};
        EXPECT_EQ(ChunkBytes(c.type, c.data), file.substr(at, 12 + length)) << "CRC of the chunk at " << at;
        out.push_back(std::move(c));
        at += 12 + length;
    }
    return out;
}

const Chunk* Find(const std::vector<Chunk>& chunks, uint32_t type) {
    for (const Chunk& c : chunks) {
        if (c.type == type) return &c;
    }
    return nullptr;
}

// Runs pngcheck on the bytes; returns its output, empty when it was not found.
std::string PngCheck(const std::string& bytes, int* exitCode) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"check.png");
    qvtest::WriteFileBytes(path, bytes);
    std::string command = "pngcheck -v '" + WideToUtf8(path) + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    if (!pipe) return output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int rc = pclose(pipe);
    *exitCode = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return output;
}

// libpng's reading of the bytes as top-down RGB (0xRRGGBB per pixel); false when it refuses them
// or warns.
bool LibpngPixels(const std::string& bytes, std::vector<uint32_t>* pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return false;
    if (image.warning_or_error != 0) return false;
    pixels->clear();
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        pixels->push_back((rgb[i] << 16) | (rgb[i + 1] << 8) | rgb[i + 2]);
    return true;
}

// The reader inflates a whole IDAT run in one call when it can and falls back to the zlib stream
// for anything that call refuses; both must give the same picture. A run split into many chunks
// is gathered first; a broken Adler-32 and a stream cut short must come out exactly as the
// stream gives them.
TEST(PngReaderTest, WholeInflateAndStreamAgree) {
    TestImage t(61, 40, 24);
    FillPicture(&t);
    const size_t bytes = ImageStride(&t.image) * 40;
    for (bool interlace : {false, true}) {
        PngWriteOptions o;
        o.interlace = interlace;
        std::string file;
        ASSERT_EQ(EncodePngMemory(t.image, o, &file), kCodecOk);
        std::vector<Chunk> chunks = ParseChunks(file);
        std::string idat = Find(chunks, kChunkIDAT)->data;
        auto rebuild = [&](const std::string& data, size_t piece) {
            std::vector<Chunk> out{{kChunkIHDR, Find(chunks, kChunkIHDR)->data}};
            for (size_t at = 0; at < data.size(); at += piece)
                out.push_back({kChunkIDAT, data.substr(at, piece)});
            out.push_back({kChunkIEND, ""});
            return Build(out);
        };
        for (size_t piece : {idat.size(), size_t{97}}) {
            Decoded d;
            Decode(rebuild(idat, piece), &d, Plain());
            ASSERT_TRUE(d.ok) << interlace << " " << piece;
            EXPECT_EQ(std::memcmp(d.image.pixels, t.image.pixels, bytes), 0) << interlace << " " << piece;
            std::string badCheck = idat;
            badCheck[badCheck.size() - 1] ^= 0x5A;
            Decoded checked;
            Decode(rebuild(badCheck, piece), &checked, Plain());
            EXPECT_FALSE(checked.ok); // zlib reads the check together with the last rows
            EXPECT_EQ(checked.status, kCodecInflateFailed);
        }
        // With the check alone in the last chunk the stream ends at the last row without reading
        // it: the picture shows, although libdeflate refuses the stream.
        std::string badCheck = idat;
        badCheck[badCheck.size() - 1] ^= 0x5A;
        std::vector<Chunk> split{{kChunkIHDR, Find(chunks, kChunkIHDR)->data}};
        split.push_back({kChunkIDAT, badCheck.substr(0, badCheck.size() - 4)});
        split.push_back({kChunkIDAT, badCheck.substr(badCheck.size() - 4)});
        split.push_back({kChunkIEND, ""});
        Decoded unchecked;
        Decode(Build(split), &unchecked, Plain());
        ASSERT_TRUE(unchecked.ok) << interlace;
        EXPECT_EQ(std::memcmp(unchecked.image.pixels, t.image.pixels, bytes), 0) << interlace;
        if (interlace) continue;
        Decoded cut;
        Decode(rebuild(idat.substr(0, idat.size() / 2), 97), &cut, Plain());
        ASSERT_TRUE(cut.ok);
        const uint8_t* top = ImageRowFromTop(&t.image, 0);
        EXPECT_EQ(cut.At(5, 0), static_cast<uint32_t>((top[17] << 16) | (top[16] << 8) | top[15]));
        EXPECT_EQ(cut.At(60, 39), 0u); // the rows the stream did not reach stay zero
    }
}

TEST(PngRowsTest, VectorUnfilterMatchesThePlainLoops) {
    std::mt19937 rng(7);
    for (uint32_t bpp : {3u, 4u}) {
        for (uint32_t pixels : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 13u, 64u, 301u}) {
            const uint32_t n = pixels * bpp;
            // one spare byte after each row: a vector form must not write past the row
            std::vector<uint8_t> prev(n + 1), base(n + 1);
            for (auto& v : prev)
                v = static_cast<uint8_t>(rng());
            for (auto& v : base)
                v = static_cast<uint8_t>(rng());
            for (uint8_t filter : {kFilterSub, kFilterAverage, kFilterPaeth}) {
                std::vector<uint8_t> vector = base, plain = base;
                ASSERT_TRUE(UnfilterRow(filter, vector.data(), prev.data(), n, bpp));
                ASSERT_TRUE(UnfilterRowPlain(filter, plain.data(), prev.data(), n, bpp));
                EXPECT_EQ(vector, plain) << "bpp " << bpp << " pixels " << pixels << " filter " << int(filter);
            }
        }
    }
}

TEST(PngRowsTest, VectorRedBlueSwapMatchesThePlainLoop) {
    std::mt19937 rng(11);
    for (uint32_t count = 0; count < 40; ++count) {
        std::vector<uint8_t> src(3 * count);
        for (auto& v : src)
            v = static_cast<uint8_t>(rng());
        std::vector<uint8_t> vector(3 * count + 1, 0xA5), plain(3 * count + 1, 0xA5); // a guard byte after
        SwapRedBlue(src.data(), count, vector.data());
        SwapRedBluePlain(src.data(), count, plain.data());
        EXPECT_EQ(vector, plain) << count;
    }
}

TEST(PngWriterTest, RgbRoundTripsWithEveryFilterAndInterlace) {
    TestImage t(37, 23, 24);
    FillPicture(&t);
    for (uint32_t filter = 0; filter <= 5; ++filter) {
        for (bool interlace : {false, true}) {
            PngWriteOptions o;
            o.filter = filter;
            o.interlace = interlace;
            std::string bytes;
            ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
            Decoded d;
            Decode(bytes, &d, Plain());
            ASSERT_TRUE(d.ok) << filter << interlace;
            EXPECT_EQ(d.info.interlaced, interlace);
            EXPECT_EQ(std::memcmp(d.image.pixels, t.image.pixels, ImageStride(&t.image) * 23), 0)
                << "filter " << filter << " interlace " << interlace;
            int rc = -1;
            std::string out = PngCheck(bytes, &rc);
            EXPECT_EQ(rc, 0) << out;
            EXPECT_EQ(out.find("WARN"), std::string::npos) << out;
            std::vector<uint32_t> reference;
            ASSERT_TRUE(LibpngPixels(bytes, &reference));
            for (uint32_t i = 0; i < reference.size(); ++i)
                ASSERT_EQ(reference[i], d.At(i % 37, i / 37)) << i;
        }
    }
}

TEST(PngWriterTest, PaletteImageRoundTripsWithMergedDuplicatesAndUnfilteredRows) {
    TestImage t(9, 5, 8);
    for (int i = 0; i < 6; ++i)
        t.image.palette[i] = RGBQUAD{static_cast<uint8_t>(i * 40), 7, static_cast<uint8_t>(i % 3 * 60), 0};
    t.image.palette[4] = t.image.palette[1]; // a duplicate of entry 1
    for (uint32_t y = 0; y < 5; ++y) {
        for (uint32_t x = 0; x < 9; ++x)
            ImageRowFromTop(&t.image, y)[x] = static_cast<uint8_t>((x + y) % 6);
    }
    for (bool interlace : {false, true}) {
        PngWriteOptions o;
        o.depth = 8;
        o.interlace = interlace;
        o.filter = kPngFilterChoicePaeth; // ignored for palette rows
        std::string bytes;
        ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
        std::vector<Chunk> chunks = ParseChunks(bytes);
        const Chunk* plte = Find(chunks, kChunkPLTE);
        ASSERT_NE(plte, nullptr);
        EXPECT_EQ(plte->data.size(), 5u * 3); // six entries, one folded away
        Decoded d;
        Decode(bytes, &d, Plain());
        ASSERT_TRUE(d.ok);
        for (uint32_t y = 0; y < 5; ++y) {
            for (uint32_t x = 0; x < 9; ++x) {
                const RGBQUAD& q = t.image.palette[(x + y) % 6];
                EXPECT_EQ(d.At(x, y), static_cast<uint32_t>((q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue));
                if (!interlace) {
                    // entry 4 folds onto 1 and entry 5 moves up to 4
                    const uint8_t moved[6] = {0, 1, 2, 3, 1, 4};
                    EXPECT_EQ(ImageRowFromTop(&d.image, y)[x], moved[(x + y) % 6]);
                }
            }
        }
        int rc = -1;
        std::string out = PngCheck(bytes, &rc);
        if (!out.empty()) {
            EXPECT_EQ(rc, 0) << out;
        }
    }
}

TEST(PngWriterTest, EveryTargetDepthRoundTripsAndPassesTheCheckers) {
    // few colours, so every depth down to 1 bit holds them exactly
    TestImage t(29, 11, 24);
    for (uint32_t y = 0; y < 11; ++y) {
        for (uint32_t x = 0; x < 29; ++x)
            t.Set(x, y, (x / 8 + y) % 2 ? 0xffffff : 0x000000);
    }
    for (uint32_t depth : {1u, 2u, 4u, 8u, 24u}) {
        for (bool interlace : {false, true}) {
            PngWriteOptions o;
            o.depth = depth;
            o.interlace = interlace;
            std::string bytes;
            ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk) << depth;
            std::vector<Chunk> chunks = ParseChunks(bytes);
            EXPECT_EQ(static_cast<uint8_t>(chunks[0].data[8]), depth == 24 ? 8 : depth);
            Decoded d;
            Decode(bytes, &d, Plain());
            ASSERT_TRUE(d.ok) << depth;
            EXPECT_EQ(d.image.sourceBitDepth, depth);
            std::vector<uint32_t> reference;
            ASSERT_TRUE(LibpngPixels(bytes, &reference)) << depth;
            for (uint32_t y = 0; y < 11; ++y) {
                for (uint32_t x = 0; x < 29; ++x) {
                    uint32_t want = (x / 8 + y) % 2 ? 0xffffff : 0;
                    ASSERT_EQ(d.At(x, y), want) << depth << " " << x << "," << y;
                    ASSERT_EQ(reference[y * 29 + x], want) << depth;
                }
            }
            int rc = -1;
            std::string out = PngCheck(bytes, &rc);
            EXPECT_EQ(rc, 0) << out;
            EXPECT_EQ(out.find("WARN"), std::string::npos) << out;
        }
    }
}

// Every level the save bar offers writes a file that pngcheck and libpng accept with the same
// pixels, and, whichever compressor the level picks, at most 1 % larger than zlib's deflate of
// the same rows at that level (a photograph, flat graphics, and their palette forms).
TEST(PngWriterTest, EveryLevelIsValidAndWithinOnePercentOfZlib) {
    const uint32_t w = 240, h = 160;
    TestImage photo(w, h, 24), flat(w, h, 24);
    FillPicture(&photo);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            flat.Set(x, y, y < 20 ? 0x2050a0 : ((x * 7 + y / 9 * 13) % 11 < 3 && y % 9 > 2) ? 0x101010 : 0xf0f0f0);
    for (const TestImage* t : {&photo, &flat}) {
        for (uint32_t depth : {24u, 8u}) {
            for (int level = 0; level <= 9; ++level) {
                PngWriteOptions o;
                o.depth = depth;
                o.level = level;
                std::string bytes;
                ASSERT_EQ(EncodePngMemory(t->image, o, &bytes), kCodecOk);
                std::string idat = Find(ParseChunks(bytes), kChunkIDAT)->data;
                std::string rows(static_cast<size_t>(w * (depth / 8) + 1) * h, '\0');
                uLongf rowBytes = rows.size();
                ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(rows.data()), &rowBytes,
                                     reinterpret_cast<const Bytef*>(idat.data()), idat.size()),
                          Z_OK);
                ASSERT_EQ(rowBytes, rows.size());
                z_stream z{};
                ASSERT_EQ(deflateInit2(&z, level, Z_DEFLATED, 15, 8, depth == 8 ? Z_DEFAULT_STRATEGY : Z_FILTERED),
                          Z_OK);
                std::string zlib(deflateBound(&z, rows.size()), '\0');
                z.next_in = reinterpret_cast<Bytef*>(rows.data());
                z.avail_in = static_cast<uInt>(rows.size());
                z.next_out = reinterpret_cast<Bytef*>(zlib.data());
                z.avail_out = static_cast<uInt>(zlib.size());
                ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
                deflateEnd(&z);
                EXPECT_LE(idat.size(), z.total_out * 1.01 + 8) << "depth " << depth << " level " << level;

                int rc = -1;
                std::string out = PngCheck(bytes, &rc);
                EXPECT_EQ(rc, 0) << out;
                std::vector<uint32_t> reference;
                ASSERT_TRUE(LibpngPixels(bytes, &reference)) << depth << " " << level;
                Decoded d;
                Decode(bytes, &d, Plain());
                ASSERT_TRUE(d.ok);
#ifdef QV_HAVE_LIBPNG
                for (uint32_t i = 0; i < reference.size(); i += 7)
                    ASSERT_EQ(reference[i], d.At(i % w, i / w)) << depth << " " << level << " " << i;
#endif
            }
        }
    }
}

TEST(PngWriterTest, GreyIsEightBitWithWeightedValues) {
    TestImage t(5, 3, 24);
    FillPicture(&t);
    t.Set(0, 0, 0x102030);
    PngWriteOptions o;
    o.depth = 8;
    o.grey = true;
    o.transparent = true;
    o.transparentColour = 0x00302010; // red 0x10, green 0x20, blue 0x30
    for (bool interlace : {false, true}) {
        o.interlace = interlace;
        std::string bytes;
        ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
        std::vector<Chunk> chunks = ParseChunks(bytes);
        EXPECT_EQ(chunks[0].data[9], kPngGrey);
        uint32_t grey = (0x10 * 299 + 0x20 * 587 + 0x30 * 114) / 1000;
        EXPECT_EQ(Find(chunks, kChunkTRNS)->data, std::string("\0", 1) + static_cast<char>(grey));
        LoadOptions noBlend = Plain();
        noBlend.alpha = false;
        Decoded d;
        Decode(bytes, &d, noBlend);
        ASSERT_TRUE(d.ok);
        for (uint32_t y = 0; y < 3; ++y) {
            for (uint32_t x = 0; x < 5; ++x) {
                const uint8_t* p = ImageRowFromTop(&t.image, y) + 3 * x;
                uint32_t v = static_cast<uint32_t>(0.299 * p[2] + 0.5) + static_cast<uint32_t>(0.587 * p[1] + 0.5) +
                             static_cast<uint32_t>(0.114 * p[0] + 0.5);
                EXPECT_EQ(d.At(x, y), v * 0x010101u) << x << "," << y;
            }
        }
        int rc = -1;
        std::string out = PngCheck(bytes, &rc);
        EXPECT_EQ(rc, 0) << out;
    }
}

TEST(PngWriterTest, ReducedPaletteMarksTheNearestEntryTransparent) {
    TestImage t(40, 20, 24);
    FillPicture(&t); // far more than 256 colours: the palette is built by median cut
    PngWriteOptions o;
    o.depth = 8;
    o.transparent = true;
    o.transparentColour = 0x00FF00FF; // magenta, absent from the picture
    std::string bytes;
    ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
    std::vector<Chunk> chunks = ParseChunks(bytes);
    const std::string& plte = Find(chunks, kChunkPLTE)->data;
    const std::string& trns = Find(chunks, kChunkTRNS)->data;
    ASSERT_FALSE(trns.empty());
    uint32_t marked = static_cast<uint32_t>(trns.size() - 1);
    EXPECT_EQ(trns[marked], 0);
    EXPECT_EQ(trns.find('\0'), marked); // all before it opaque
    EXPECT_EQ(Find(chunks, kChunkBKGD)->data, std::string(1, static_cast<char>(marked)));
    auto distance = [&](uint32_t i) {
        int r = static_cast<uint8_t>(plte[3 * i]) - 255, g = static_cast<uint8_t>(plte[3 * i + 1]),
            b = static_cast<uint8_t>(plte[3 * i + 2]) - 255;
        return r * r + g * g + b * b;
    };
    for (uint32_t i = 0; i < plte.size() / 3; ++i) {
        if (i < marked) {
            EXPECT_GT(distance(i), distance(marked)) << i;
        } else {
            EXPECT_GE(distance(i), distance(marked)) << i;
        }
    }
}

TEST(PngWriterTest, FormsAndLimitsGiveTheirStatuses) {
    TestImage t(4, 4, 24);
    PngWriteOptions o;
    std::string bytes;
    o.depth = 16;
    EXPECT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecCannotConvert);
    o.depth = 4;
    o.grey = true;
    EXPECT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecCannotConvert);
    o = PngWriteOptions{};
    o.level = 12;
    EXPECT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecDeflateFailed);
    ImageBuffer wide = t.image;
    wide.header.biWidth = 89478486;
    qvtest::ScratchDir dir;
    EXPECT_EQ(WritePngFile(dir.File(L"wide.png").c_str(), wide, PngWriteOptions{}), kCodecCannotWrite);
    EXPECT_EQ(WritePngFile(dir.File(L"missing/x.png").c_str(), t.image, PngWriteOptions{}), kCodecCannotWrite);
    EXPECT_EQ(WritePngFile(dir.File(L"ok.png").c_str(), t.image, PngWriteOptions{}), kCodecOk);
    EXPECT_FALSE(qvtest::ReadFileBytes(dir.File(L"ok.png")).empty());
}

TEST(PngWriterTest, GammaResolutionCommentAndProgressChunks) {
    TestImage t(3, 2, 24);
    PngWriteOptions o;
    o.gamma = 2200;
    o.xResolution = 3780;
    o.yResolution = 3780;
    o.comment = "line one\r\nline two";
    int calls = 0;
    o.progress = [](void* c, bool) { ++*static_cast<int*>(c); };
    o.progressContext = &calls;
    std::string bytes;
    ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
    EXPECT_EQ(calls, 2);
    std::vector<Chunk> chunks = ParseChunks(bytes);
    ASSERT_NE(Find(chunks, kChunkGAMA), nullptr);
    EXPECT_EQ(Find(chunks, kChunkGAMA)->data, Be32(45455));
    ASSERT_NE(Find(chunks, kChunkPHYS), nullptr);
    EXPECT_EQ(Find(chunks, kChunkPHYS)->data, Be32(3780) + Be32(3780) + std::string(1, '\1'));
    ASSERT_NE(Find(chunks, kChunkTEXT), nullptr);
    EXPECT_EQ(Find(chunks, kChunkTEXT)->data, std::string("Comment\0line one\nline two", 25));
    EXPECT_EQ(chunks.back().type, kChunkIEND);
    // one resolution missing: no pHYs
    o.yResolution = 0;
    ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
    EXPECT_EQ(Find(ParseChunks(bytes), kChunkPHYS), nullptr);
    // nor for a negative one, which the 31-bit fields would carry as 2^31 or more
    o.yResolution = -3780;
    ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
    EXPECT_EQ(Find(ParseChunks(bytes), kChunkPHYS), nullptr);
    // the comment text is capped at 4095 bytes
    std::string longText(5000, 'c');
    o.comment = longText.c_str();
    ASSERT_EQ(EncodePngMemory(t.image, o, &bytes), kCodecOk);
    EXPECT_EQ(Find(ParseChunks(bytes), kChunkTEXT)->data.size(), 8u + 4095);
}

// Compressed data of 2 GiB or more cannot be one chunk; the pieces the writer splits it into
// read back as one stream, here and in libpng (shown with a piece length small enough to test).
TEST(PngWriterTest, ImageDataSplitIntoSeveralChunksReadsBack) {
    EXPECT_LT(kPngMaxChunkLength, 0x80000000u);
    TestImage t(37, 23, 24);
    FillPicture(&t);
    std::string whole;
    ASSERT_EQ(EncodePngMemory(t.image, PngWriteOptions{}, &whole), kCodecOk);
    std::vector<Chunk> chunks = ParseChunks(whole);
    const Chunk* idat = Find(chunks, kChunkIDAT);
    ASSERT_NE(idat, nullptr);
    std::string split(whole, 0, 8);
    for (const Chunk& c : chunks) {
        if (c.type == kChunkIDAT)
            AppendIdatChunks(reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size(), 100, &split);
        else
            AppendPngChunk(c.type, reinterpret_cast<const uint8_t*>(c.data.data()), c.data.size(), &split);
    }
    size_t pieces = 0;
    for (const Chunk& c : ParseChunks(split)) {
        if (c.type != kChunkIDAT) continue;
        ++pieces;
        EXPECT_LE(c.data.size(), 100u);
    }
    EXPECT_EQ(pieces, (idat->data.size() + 99) / 100);
    Decoded d;
    Decode(split, &d, Plain());
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(std::memcmp(d.image.pixels, t.image.pixels, ImageStride(&t.image) * 23), 0);
    std::vector<uint32_t> reference;
    EXPECT_TRUE(LibpngPixels(split, &reference));
}

TEST(PngWriterTest, AdaptiveFilterFollowsTheRepeatedByteRule) {
    const uint32_t n = 30;
    std::vector<uint8_t> zeros(n, 0), sevens(n, 7), ramp(n);
    for (uint32_t i = 0; i < n; ++i)
        ramp[i] = static_cast<uint8_t>(i * 3);
    // all zero: every filter ties with None, which is kept
    EXPECT_EQ(ChooseAdaptiveFilter(zeros.data(), zeros.data(), n, 3), kFilterNone);
    // constant 7 under a zero row: Sub and Paeth give zeros after the first pixel; Sub wins the tie
    EXPECT_EQ(ChooseAdaptiveFilter(sevens.data(), zeros.data(), n, 3), kFilterSub);
    // the same row twice: Up gives all zeros
    EXPECT_EQ(ChooseAdaptiveFilter(sevens.data(), sevens.data(), n, 3), kFilterUp);
    // a ramp of step 3 under zeros: Sub gives repeated 3s
    EXPECT_EQ(ChooseAdaptiveFilter(ramp.data(), zeros.data(), n, 1), kFilterSub);
    // a row that its left neighbour and the row above average to exactly: only Average gives zeros
    const uint32_t m = 20;
    std::vector<uint8_t> row(m), above(m);
    row[0] = above[0] = 50;
    for (uint32_t i = 1; i < m; ++i) {
        row[i] = static_cast<uint8_t>(row[i - 1] + (i % 2 ? 10 : 5) + i % 3);
        above[i] = static_cast<uint8_t>(2 * row[i] - row[i - 1]);
    }
    EXPECT_EQ(ChooseAdaptiveFilter(row.data(), above.data(), m, 1), kFilterAverage);
    // bytes equal to their predecessor but outside 0-3 / 252-255 do not count
    std::vector<uint8_t> fifties(n, 50);
    EXPECT_EQ(ChooseAdaptiveFilter(fifties.data(), zeros.data(), n, 1), kFilterSub);
    std::vector<uint8_t> mid(n);
    for (uint32_t i = 0; i < n; ++i)
        mid[i] = static_cast<uint8_t>(100 + (i & 1) * 50);
    EXPECT_EQ(ChooseAdaptiveFilter(mid.data(), mid.data(), n, 2), kFilterUp);

    // an image row of constant colour is written with a filter, not None
    TestImage t(16, 2, 24);
    for (uint32_t x = 0; x < 16; ++x) {
        t.Set(x, 0, 0x405060);
        t.Set(x, 1, 0x405060);
    }
    std::string bytes;
    ASSERT_EQ(EncodePngMemory(t.image, PngWriteOptions{}, &bytes), kCodecOk);
    std::vector<Chunk> chunks = ParseChunks(bytes);
    const Chunk* idat = Find(chunks, kChunkIDAT);
    ASSERT_NE(idat, nullptr);
    std::string raw(2 * 49, '\0');
    uLongf size = raw.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &size, reinterpret_cast<const Bytef*>(idat->data.data()),
                         idat->data.size()),
              Z_OK);
    EXPECT_EQ(raw[0], kFilterSub);
    EXPECT_EQ(raw[49], kFilterUp);
}

TEST(PngWriterTest, TransparentColourInRgbAndPaletteFiles) {
    TestImage rgb(2, 1, 24);
    rgb.Set(0, 0, 0x112233);
    rgb.Set(1, 0, 0x445566);
    PngWriteOptions o;
    o.transparent = true;
    o.transparentColour = 0x00332211; // COLORREF of red 0x11, green 0x22, blue 0x33
    std::string bytes;
    ASSERT_EQ(EncodePngMemory(rgb.image, o, &bytes), kCodecOk);
    std::vector<Chunk> chunks = ParseChunks(bytes);
    ASSERT_NE(Find(chunks, kChunkTRNS), nullptr);
    EXPECT_EQ(Find(chunks, kChunkTRNS)->data, std::string("\0\x11\0\x22\0\x33", 6));
    EXPECT_EQ(Find(chunks, kChunkBKGD)->data, std::string("\0\x11\0\x22\0\x33", 6));
    Decoded d;
    Decode(bytes, &d, Plain());
    EXPECT_EQ(d.At(0, 0), 0x302010u);
    EXPECT_EQ(d.At(1, 0), 0x445566u);

    // palette: exact matches get alpha 0; without one the nearest entry does (first on ties)
    TestImage pal(4, 1, 8);
    pal.image.palette[0] = RGBQUAD{0, 0, 0, 0};
    pal.image.palette[1] = RGBQUAD{0x33, 0x22, 0x11, 0};
    pal.image.palette[2] = RGBQUAD{100, 100, 100, 0};
    pal.image.palette[3] = RGBQUAD{0, 0, 200, 0};
    for (uint32_t x = 0; x < 4; ++x)
        ImageRowFromTop(&pal.image, 0)[x] = static_cast<uint8_t>(x);
    o.depth = 8;
    ASSERT_EQ(EncodePngMemory(pal.image, o, &bytes), kCodecOk);
    chunks = ParseChunks(bytes);
    EXPECT_EQ(Find(chunks, kChunkTRNS)->data, std::string("\xff\0", 2));
    EXPECT_EQ(Find(chunks, kChunkBKGD)->data, std::string("\1", 1));
    o.transparentColour = 0x000A0ABE; // red 190, green 10, blue 10: nearest is entry 3
    ASSERT_EQ(EncodePngMemory(pal.image, o, &bytes), kCodecOk);
    chunks = ParseChunks(bytes);
    EXPECT_EQ(Find(chunks, kChunkTRNS)->data, std::string("\xff\xff\xff\0", 4));
    EXPECT_EQ(Find(chunks, kChunkBKGD)->data, std::string("\3", 1));
    int rc = -1;
    std::string out = PngCheck(bytes, &rc);
    if (!out.empty()) {
        EXPECT_EQ(rc, 0) << out;
    }
}

// ---- comments -------------------------------------------------------------------------------

TEST(PngCommentTest, ReplaceAddsReplacesAndRemoves) {
    TestImage t(2, 2, 24);
    std::string plain;
    ASSERT_EQ(EncodePngMemory(t.image, PngWriteOptions{}, &plain), kCodecOk);
    const auto* p = reinterpret_cast<const uint8_t*>(plain.data());
    EXPECT_EQ(ReadPngCommentMemory(p, plain.size()), "");

    std::string added;
    PngCommentChange change;
    ASSERT_EQ(ReplacePngCommentMemory(p, plain.size(), "first\r\ntext", &added, &change), kCodecOk);
    EXPECT_TRUE(change.wrote);
    EXPECT_EQ(change.delta, 1);
    const auto* a = reinterpret_cast<const uint8_t*>(added.data());
    EXPECT_EQ(ReadPngCommentMemory(a, added.size()), "first\ntext");
    Decoded d;
    Decode(added, &d, Plain());
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.info.commentPresent, 1);
    EXPECT_EQ(d.info.textPresent, 1);

    std::string replaced;
    ASSERT_EQ(ReplacePngCommentMemory(a, added.size(), "second", &replaced, &change), kCodecOk);
    EXPECT_EQ(change.delta, 0);
    EXPECT_EQ(ReadPngCommentMemory(reinterpret_cast<const uint8_t*>(replaced.data()), replaced.size()), "second");
    EXPECT_EQ(replaced.size(), added.size() - 10 + 6);

    std::string removed;
    ASSERT_EQ(ReplacePngCommentMemory(a, added.size(), "", &removed, &change), kCodecOk);
    EXPECT_EQ(change.delta, -1);
    EXPECT_EQ(removed, plain);

    std::string untouched;
    ASSERT_EQ(ReplacePngCommentMemory(p, plain.size(), nullptr, &untouched, &change), kCodecOk);
    EXPECT_FALSE(change.wrote);
    EXPECT_TRUE(untouched.empty());
}

TEST(PngCommentTest, DamagedCommentsAreSkippedAndDamagedListsFail) {
    TestImage t(2, 2, 24);
    PngWriteOptions o;
    o.comment = "kept";
    std::string file;
    ASSERT_EQ(EncodePngMemory(t.image, o, &file), kCodecOk);
    size_t text = file.find("tEXt");
    std::string badCrc = file;
    badCrc[text + 4 + 8 + 4] ^= 1; // last byte of the chunk's CRC
    const auto* b = reinterpret_cast<const uint8_t*>(badCrc.data());
    EXPECT_EQ(ReadPngCommentMemory(b, badCrc.size()), "");
    std::string out;
    PngCommentChange change;
    ASSERT_EQ(ReplacePngCommentMemory(b, badCrc.size(), "new", &out, &change), kCodecOk);
    EXPECT_EQ(change.delta, 1); // the damaged one is not a comment, a new one goes before IEND

    std::string cut = file.substr(0, text - 4 + 6);
    EXPECT_EQ(ReplacePngCommentMemory(reinterpret_cast<const uint8_t*>(cut.data()), cut.size(), "x", &out, &change),
              kCodecBadData);
    EXPECT_FALSE(change.wrote);
}

TEST(PngCommentTest, FileFormsMapAndWrite) {
    TestImage t(2, 2, 24);
    qvtest::ScratchDir dir;
    std::wstring source = dir.File(L"a.png"), target = dir.File(L"b.png");
    ASSERT_EQ(WritePngFile(source.c_str(), t.image, PngWriteOptions{}), kCodecOk);
    PngCommentChange change;
    ASSERT_EQ(ReplacePngComment(source.c_str(), target.c_str(), "hello", &change), kCodecOk);
    EXPECT_EQ(change.delta, 1);
    EXPECT_EQ(ReadPngComment(target.c_str()), "hello");
    EXPECT_EQ(ReadPngComment(source.c_str()), "");
    EXPECT_EQ(ReplacePngComment(dir.File(L"none.png").c_str(), target.c_str(), "x", &change), kCodecCannotWrite);
}

} // namespace
} // namespace qv
