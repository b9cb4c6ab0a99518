#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "codecs/decoders.h"
#include "codecs/gif_codec.h"
#include "codecs/gif_lzw.h"

namespace qv {
namespace {

using Bytes = std::vector<uint8_t>;

// Assembles GIF files block by block; image data goes through our LZW encoder.
struct GifBuilder {
    Bytes b;
    void U16(uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    static void Colour(Bytes* out, uint32_t i) {
        out->push_back(static_cast<uint8_t>(i * 10));
        out->push_back(static_cast<uint8_t>(i * 20 + 1));
        out->push_back(static_cast<uint8_t>(i * 30 + 2));
    }
    void Header(uint32_t w, uint32_t h, uint32_t tableBits, uint8_t background) {
        for (char c : std::string("GIF89a"))
            b.push_back(static_cast<uint8_t>(c));
        U16(w);
        U16(h);
        b.push_back(tableBits ? static_cast<uint8_t>(0x80 | (tableBits - 1)) : 0);
        b.push_back(background);
        b.push_back(0);
        for (uint32_t i = 0; tableBits && i < (1u << tableBits); ++i)
            Colour(&b, i);
    }
    void Netscape(uint32_t loops) {
        const uint8_t head[] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1};
        b.insert(b.end(), head, head + sizeof head);
        U16(loops);
        b.push_back(0);
    }
    void Control(uint32_t disposal, bool transparent, uint8_t index, uint32_t delay) {
        b.push_back(0x21);
        b.push_back(0xF9);
        b.push_back(4);
        b.push_back(static_cast<uint8_t>((disposal << 2) | (transparent ? 1 : 0)));
        U16(delay);
        b.push_back(index);
        b.push_back(0);
    }
    void Comment() {
        const uint8_t c[] = {0x21, 0xFE, 3, 'h', 'i', '!', 0};
        b.insert(b.end(), c, c + sizeof c);
    }
    // `rows` top-down, w per row; written in pass order when interlaced.
    void Image(uint32_t left, uint32_t top, uint32_t w, uint32_t h, const Bytes& rows, bool interlace = false,
               uint32_t localBits = 0, uint32_t minCodeSize = 4) {
        b.push_back(0x2C);
        U16(left);
        U16(top);
        U16(w);
        U16(h);
        b.push_back(static_cast<uint8_t>((interlace ? 0x40 : 0) | (localBits ? 0x80 | (localBits - 1) : 0)));
        for (uint32_t i = 0; localBits && i < (1u << localBits); ++i)
            Colour(&b, 100 + i);
        Bytes order;
        if (interlace) {
            const uint32_t start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
            for (int p = 0; p < 4; ++p)
                for (uint32_t y = start[p]; y < h; y += step[p])
                    order.insert(order.end(), rows.begin() + y * w, rows.begin() + (y + 1) * w);
        } else {
            order = rows;
        }
        Bytes codes;
        GifLzwEncoder encoder;
        encoder.Begin(minCodeSize, &codes);
        encoder.Add(order.data(), order.size());
        encoder.Finish();
        Data(minCodeSize, codes);
    }
    void Data(uint32_t minCodeSize, const Bytes& codes) {
        b.push_back(static_cast<uint8_t>(minCodeSize));
        for (size_t i = 0; i < codes.size(); i += 255) {
            size_t n = std::min<size_t>(255, codes.size() - i);
            b.push_back(static_cast<uint8_t>(n));
            b.insert(b.end(), codes.begin() + i, codes.begin() + i + n);
        }
        b.push_back(0);
    }
    void Trailer() { b.push_back(0x3B); }
};

// Packs (code, width) pairs least significant bit first, for hand-made code streams.
Bytes PackCodes(const std::vector<std::pair<uint32_t, uint32_t>>& codes) {
    Bytes out;
    uint64_t bits = 0;
    uint32_t count = 0;
    for (auto [code, width] : codes) {
        bits |= static_cast<uint64_t>(code) << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count) out.push_back(static_cast<uint8_t>(bits));
    return out;
}

// Frames code bytes as data sub-blocks of at most `blockSize` bytes, with the terminator.
Bytes SubBlocks(const Bytes& codes, size_t blockSize = 255) {
    Bytes out;
    for (size_t i = 0; i < codes.size(); i += blockSize) {
        size_t n = std::min(blockSize, codes.size() - i);
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), codes.begin() + i, codes.begin() + i + n);
    }
    out.push_back(0);
    return out;
}

GifLzwResult DecodeBlocks(const Bytes& blocks, uint32_t minCodeSize, uint8_t* out, uint32_t outSize) {
    return DecodeGifLzw(blocks.data(), blocks.data() + blocks.size(), minCodeSize, out, outSize);
}

struct Decoded {
    ImageBuffer image{};
    LoadInfo info;
    CodecStatus status = kCodecOk;
    bool ok = false;
    ~Decoded() { FreeImagePixels(&image); }
    uint8_t At(uint32_t x, uint32_t y) const { return ImageRowFromTop(&image, y)[x]; }
    // pixel of frame k (frame 0 is the image's own block)
    uint8_t FrameAt(int k, uint32_t x, uint32_t y) const {
        uint32_t stride = ImageStride(&image);
        uint32_t h = static_cast<uint32_t>(image.header.biHeight);
        return image.animation->frames[k][(h - 1 - y) * stride + x];
    }
};

void Decode(const Bytes& file, Decoded* d, bool frames = true, LoadOptions options = {}) {
    d->ok = ReadGifMemory(file.data(), static_cast<uint32_t>(file.size()), options, frames, &d->image, &d->info,
                          &d->status);
}

Bytes Fill(uint32_t n, uint8_t v) {
    return Bytes(n, v);
}

// ---- LZW ------------------------------------------------------------------------------------

TEST(GifLzwTest, RoundTripsAcrossWidthsAndTableResets) {
    std::mt19937 rng(7);
    for (uint32_t minCode = 2; minCode <= 8; ++minCode) {
        for (int kind = 0; kind < 3; ++kind) {
            // random noise fills the table fast (many resets); runs grow long strings; a ramp is in between
            Bytes input(70000);
            for (size_t i = 0; i < input.size(); ++i) {
                uint32_t limit = 1u << minCode;
                input[i] = kind == 0   ? static_cast<uint8_t>(rng() % limit)
                           : kind == 1 ? static_cast<uint8_t>((i / 997) % limit)
                                       : static_cast<uint8_t>((i * 7 / 13) % limit);
            }
            Bytes codes;
            GifLzwEncoder encoder;
            encoder.Begin(minCode, &codes);
            encoder.Add(input.data(), 1000);
            encoder.Add(input.data() + 1000, input.size() - 1000); // feeding in pieces changes nothing
            encoder.Finish();
            // short sub-blocks make codes straddle block boundaries
            for (size_t blockSize : {255, 9, 1}) {
                Bytes out(input.size() + kGifLzwOutputSlack);
                GifLzwResult r = DecodeBlocks(SubBlocks(codes, blockSize), minCode, out.data(), input.size());
                ASSERT_EQ(r.produced, input.size()) << "min " << minCode << " kind " << kind << " block " << blockSize;
                EXPECT_FALSE(r.damaged);
                out.resize(input.size());
                EXPECT_EQ(out, input) << "min " << minCode << " kind " << kind << " block " << blockSize;
            }
        }
    }
}

TEST(GifLzwTest, HandMadeStreamsDecodeAndDamageStopsThere) {
    Bytes out(64);
    // min 2: clear 4, end 5. 0, 1, then code 6 (= "0 1"), then 8 is the KwKwK case? next is 8 after two adds
    Bytes ok = PackCodes({{4, 3}, {0, 3}, {1, 3}, {6, 3}, {8, 4}, {5, 4}});
    GifLzwResult r = DecodeBlocks(SubBlocks(ok), 2, out.data(), 32);
    ASSERT_EQ(r.produced, 2u + 2 + 3);
    EXPECT_FALSE(r.damaged);
    const uint8_t expect[] = {0, 1, 0, 1, 0, 1, 0};
    EXPECT_EQ(0, std::memcmp(out.data(), expect, sizeof expect));

    // a code beyond the table keeps what came before
    Bytes beyond = PackCodes({{4, 3}, {2, 3}, {7, 3}, {5, 3}});
    r = DecodeBlocks(SubBlocks(beyond), 2, out.data(), 32);
    EXPECT_EQ(r.produced, 1u);
    EXPECT_TRUE(r.damaged);

    // the first code after a clear must be a literal
    Bytes first = PackCodes({{4, 3}, {6, 3}, {5, 3}});
    r = DecodeBlocks(SubBlocks(first), 2, out.data(), 32);
    EXPECT_EQ(r.produced, 0u);
    EXPECT_TRUE(r.damaged);

    // output clipped to the image: the string is cut, never written past the end
    std::memset(out.data(), 0xEE, out.size());
    r = DecodeBlocks(SubBlocks(ok), 2, out.data(), 5);
    EXPECT_EQ(r.produced, 5u);
    EXPECT_EQ(0, std::memcmp(out.data(), expect, 5));
}

// An encoder may let the table fill up and go on without a clear code: the codes stay 12 bits
// wide, no entry is added, and the full table's strings still decode.
TEST(GifLzwTest, FullTableWithoutClearKeepsDecodingAtTwelveBits) {
    std::vector<std::pair<uint32_t, uint32_t>> codes{{4, 3}};
    Bytes expect;
    uint32_t width = 3, next = 6;
    auto literal = [&](uint32_t value, bool first) {
        codes.push_back({value, width});
        expect.push_back(static_cast<uint8_t>(value));
        if (first || next == kGifLzwMaxCodes) return;
        ++next; // entry next - 1 is the previous literal and this one
        if (next == (1u << width) && width < 12) ++width;
    };
    for (uint32_t j = 0; j < 4091; ++j)
        literal(j % 4, j == 0);
    ASSERT_EQ(next, kGifLzwMaxCodes);
    ASSERT_EQ(width, 12u);
    literal(3, false);
    codes.push_back({4095, 12}); // the last entry: literals 4089 and 4090
    expect.push_back(4089 % 4);
    expect.push_back(4090 % 4);
    codes.push_back({6, 12}); // the first entry: literals 0 and 1
    expect.push_back(0);
    expect.push_back(1);
    codes.push_back({5, 12});

    Bytes out(expect.size() + 64);
    GifLzwResult r = DecodeBlocks(SubBlocks(PackCodes(codes)), 2, out.data(), static_cast<uint32_t>(out.size()));
    EXPECT_FALSE(r.damaged);
    ASSERT_EQ(r.produced, expect.size());
    EXPECT_EQ(0, std::memcmp(out.data(), expect.data(), expect.size()));
}

// ---- composing the first image --------------------------------------------------------------

TEST(GifReaderTest, ImageInsideLargerScreenGetsBackgroundBorder) {
    GifBuilder g;
    g.Header(20, 20, 4, 3);
    g.Comment();
    Bytes rows(100);
    for (uint32_t i = 0; i < 100; ++i)
        rows[i] = static_cast<uint8_t>(5 + i % 7);
    g.Image(5, 5, 10, 10, rows);
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok) << CodecStatusText(d.status);
    EXPECT_EQ(d.image.header.biWidth, 20);
    EXPECT_EQ(d.image.header.biHeight, 20);
    EXPECT_EQ(d.image.header.biBitCount, 8);
    EXPECT_EQ(d.image.sourceFormat, kFormatGif);
    EXPECT_EQ(d.image.sourceBitDepth, 4u);
    EXPECT_EQ(d.image.animation, nullptr);
    EXPECT_EQ(d.info.commentPresent, 1);
    for (uint32_t y = 0; y < 20; ++y) {
        for (uint32_t x = 0; x < 20; ++x) {
            bool inside = x >= 5 && x < 15 && y >= 5 && y < 15;
            uint8_t want = inside ? rows[(y - 5) * 10 + (x - 5)] : 3;
            ASSERT_EQ(d.At(x, y), want) << x << "," << y;
        }
    }
    // palette in blue, green, red order from the global table
    EXPECT_EQ(d.image.palette[2].rgbRed, 20);
    EXPECT_EQ(d.image.palette[2].rgbGreen, 41);
    EXPECT_EQ(d.image.palette[2].rgbBlue, 62);
}

TEST(GifReaderTest, InterlacedNarrowImageTakesRowsFromPassesAndKeepsRightMargin) {
    GifBuilder g;
    g.Header(13, 11, 4, 9);
    Bytes rows(10 * 11);
    for (uint32_t y = 0; y < 11; ++y)
        for (uint32_t x = 0; x < 10; ++x)
            rows[y * 10 + x] = static_cast<uint8_t>(y); // each row its own index: a wrong pass order shows
    g.Image(0, 0, 10, 11, rows, true, 4);
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(d.info.interlaced);
    for (uint32_t y = 0; y < 11; ++y) {
        for (uint32_t x = 0; x < 13; ++x)
            ASSERT_EQ(d.At(x, y), x < 10 ? y : 9) << x << "," << y;
    }
    // the local table is the palette
    EXPECT_EQ(d.image.palette[0].rgbRed, static_cast<uint8_t>(1000));
}

// Every extension is a chain of sub-blocks, so one with a label we do not know is stepped over
// like a comment; one that runs past the end of the file is damage like any other.
TEST(GifReaderTest, UnknownExtensionIsSkippedAsSubBlocks) {
    GifBuilder g;
    g.Header(4, 2, 2, 0);
    g.b.insert(g.b.end(), {0x21, 0x77, 3, 0x21, 0x2C, 0x3B, 2, 0, 0, 0});
    g.Image(0, 0, 4, 2, Bytes{0, 1, 2, 3, 3, 2, 1, 0}, false, 0, 2);
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok) << d.status;
    EXPECT_EQ(d.At(1, 0), 1);
    EXPECT_EQ(d.At(0, 1), 3);

    GifBuilder cut;
    cut.Header(4, 2, 2, 0);
    cut.b.insert(cut.b.end(), {0x21, 0x77, 200, 1, 2});
    Decode(cut.b, &d);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.status, kCodecBadData);
}

TEST(GifReaderTest, ThreeImagesWithoutLoopBlockLoadFirstImageOnly) {
    GifBuilder g;
    g.Header(4, 4, 2, 0);
    g.Image(0, 0, 4, 4, Fill(16, 1), false, 0, 2);
    g.Image(0, 0, 4, 4, Fill(16, 2), false, 0, 2);
    g.Image(0, 0, 4, 4, Fill(16, 3), false, 0, 2);
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.animation, nullptr);
    EXPECT_EQ(d.At(0, 0), 1);
}

// ---- animation ------------------------------------------------------------------------------

TEST(GifReaderTest, DisposalThreeOnSecondFrameRestoresFirstPictureUnderThird) {
    GifBuilder g;
    g.Header(6, 6, 4, 0);
    g.Netscape(3);
    g.Control(1, false, 0, 7);
    g.Image(0, 0, 6, 6, Fill(36, 1)); // frame 0: all 1
    g.Control(3, false, 0, 0);
    g.Image(0, 0, 3, 3, Fill(9, 2)); // frame 1: top-left 2, then restored
    g.Control(0, true, 15, 1);
    Bytes third(4, 15);
    third[3] = 4;
    g.Image(4, 4, 2, 2, third); // frame 2: one opaque pixel at (5,5)
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    ASSERT_NE(d.image.animation, nullptr);
    const AnimationFrames& a = *d.image.animation;
    ASSERT_EQ(a.frameCount, 3);
    EXPECT_EQ(a.loopCount, 3u);
    EXPECT_EQ(a.delays[0], 7u);
    EXPECT_EQ(a.delays[1], 0u);
    EXPECT_EQ(a.delays[2], 1u);
    EXPECT_EQ(a.frames[0], d.image.pixels);
    EXPECT_TRUE(d.info.transparency);
    EXPECT_EQ(d.FrameAt(1, 0, 0), 2);
    EXPECT_EQ(d.FrameAt(1, 5, 5), 1);
    for (uint32_t y = 0; y < 6; ++y)
        for (uint32_t x = 0; x < 6; ++x)
            ASSERT_EQ(d.FrameAt(2, x, y), (x == 5 && y == 5) ? 4 : 1) << x << "," << y;
    // each frame's palette lives right after its pixels
    uint32_t plane = ImageStride(&d.image) * 6;
    EXPECT_EQ(reinterpret_cast<uint8_t*>(a.palettes[2]), a.frames[2] + plane);
}

TEST(GifReaderTest, DisposalTwoClearsOnlyWhereThePreviousImageWasOpaque) {
    GifBuilder g;
    g.Header(4, 1, 4, 9);
    g.Netscape(0);
    g.Image(0, 0, 4, 1, Bytes{1, 1, 1, 1});
    g.Control(2, true, 15, 0);
    g.Image(0, 0, 4, 1, Bytes{2, 15, 2, 15});
    g.Control(0, true, 15, 0);
    g.Image(0, 0, 4, 1, Bytes{15, 15, 15, 3});
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.image.animation->frameCount, 3);
    const uint8_t f1[] = {2, 1, 2, 1}, f2[] = {9, 1, 9, 3};
    for (uint32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(d.FrameAt(1, x, 0), f1[x]) << x;
        EXPECT_EQ(d.FrameAt(2, x, 0), f2[x]) << x;
    }
}

TEST(GifReaderTest, BlendShowsTransparentEntryAsFileOrConfiguredBackground) {
    GifBuilder g;
    g.Header(2, 1, 2, 1);
    g.Control(0, true, 3, 0);
    g.Image(0, 0, 2, 1, Bytes{3, 0}, false, 0, 2);
    g.Trailer();
    Decoded fileBg;
    Decode(g.b, &fileBg);
    ASSERT_TRUE(fileBg.ok);
    EXPECT_EQ(fileBg.image.palette[3].rgbRed, 10); // global entry 1
    EXPECT_EQ(fileBg.image.palette[3].rgbBlue, 32);
    LoadOptions own;
    own.fileBackground = false;
    own.background = 0x00332211;
    Decoded configured;
    Decode(g.b, &configured, true, own);
    EXPECT_EQ(configured.image.palette[3].rgbRed, 0x11);
    EXPECT_EQ(configured.image.palette[3].rgbBlue, 0x33);
    own.alpha = false;
    Decoded plain;
    Decode(g.b, &plain, true, own);
    EXPECT_EQ(plain.image.palette[3].rgbRed, 30);
    EXPECT_EQ(plain.At(0, 0), 3);
}

TEST(GifReaderTest, AnimationStopsAt256FramesAndSurvivesADamagedTail) {
    GifBuilder g;
    g.Header(2, 2, 2, 0);
    g.Netscape(0);
    for (int i = 0; i < 300; ++i) {
        g.Control(0, false, 0, static_cast<uint32_t>(i));
        g.Image(0, 0, 2, 2, Fill(4, static_cast<uint8_t>(i & 3)), false, 0, 2);
    }
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.animation->frameCount, kMaxAnimationFrames);
    EXPECT_EQ(d.image.animation->delays[255], 255u);
    Decoded first;
    Decode(g.b, &first, false); // the save preview asks for no frames
    ASSERT_TRUE(first.ok);
    EXPECT_EQ(first.image.animation, nullptr);

    // cut inside the fourth image: three frames remain
    GifBuilder cut;
    cut.Header(2, 2, 2, 0);
    cut.Netscape(0);
    for (int i = 0; i < 4; ++i)
        cut.Image(0, 0, 2, 2, Fill(4, 1), false, 0, 2);
    cut.b.resize(cut.b.size() - 3);
    Decoded partial;
    Decode(cut.b, &partial);
    ASSERT_TRUE(partial.ok);
    EXPECT_EQ(partial.image.animation->frameCount, 3);
}

TEST(GifReaderTest, AnimationMemoryIsCappedBeforeFramesAreAllocated) {
    // tiny frames on a large screen: each frame still costs a whole screen block
    const uint32_t side = 8192;
    GifBuilder g;
    g.Header(side, side, 2, 0);
    g.Netscape(0);
    for (int i = 0; i < 12; ++i)
        g.Image(0, 0, 1, 1, Bytes{1}, false, 0, 2);
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    const uint64_t block = uint64_t{side} * side + kGifFramePaletteBytes + 4;
    EXPECT_EQ(static_cast<uint64_t>(d.image.animation->frameCount), kGifMaxAnimationBytes / block);
}

// ---- bad input --------------------------------------------------------------------------------

TEST(GifReaderTest, DamagedFilesGetTheirStatus) {
    auto statusOf = [](const Bytes& file) {
        Decoded d;
        Decode(file, &d);
        EXPECT_EQ(d.image.pixels, nullptr);
        return d.ok ? kCodecOk : d.status;
    };
    GifBuilder base;
    base.Header(8, 8, 2, 0);

    EXPECT_EQ(statusOf(Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0}), kCodecBadData);
    GifBuilder badVersion = base;
    badVersion.b[4] = '8';
    EXPECT_EQ(statusOf(badVersion.b), kCodecBadData);

    GifBuilder zeroScreen;
    zeroScreen.Header(0, 8, 2, 0);
    EXPECT_EQ(statusOf(zeroScreen.b), kCodecNotSupported);

    // a huge screen with a tiny image is refused before its block is allocated
    GifBuilder huge;
    huge.Header(65535, 65535, 2, 0);
    huge.Image(0, 0, 1, 1, Bytes{1}, false, 0, 2);
    huge.Trailer();
    EXPECT_EQ(statusOf(huge.b), kCodecNotSupported);

    GifBuilder outside = base;
    outside.Image(4, 4, 5, 4, Fill(20, 1), false, 0, 2);
    EXPECT_EQ(statusOf(outside.b), kCodecBadData);

    GifBuilder zeroSized = base;
    zeroSized.Image(0, 0, 0, 4, Bytes{}, false, 0, 2);
    EXPECT_EQ(statusOf(zeroSized.b), kCodecBadData);

    GifBuilder noTable;
    noTable.Header(8, 8, 0, 0);
    noTable.Image(0, 0, 8, 8, Fill(64, 1), false, 0, 2);
    EXPECT_EQ(statusOf(noTable.b), kCodecBadData);

    {
        GifBuilder g = base;
        g.b.insert(g.b.end(), {0x2C, 0, 0, 0, 0, 8, 0, 8, 0, 0, 1, 1, 0, 0});
        EXPECT_EQ(statusOf(g.b), kCodecBadData); // minimum code size 1
    }

    GifBuilder pastEnd = base;
    pastEnd.b.insert(pastEnd.b.end(), {0x2C, 0, 0, 0, 0, 8, 0, 8, 0, 0, 2, 200, 1, 2});
    EXPECT_EQ(statusOf(pastEnd.b), kCodecBadData);

    GifBuilder firstCode = base; // first code is neither clear nor literal
    firstCode.b.insert(firstCode.b.end(), {0x2C, 0, 0, 0, 0, 8, 0, 8, 0, 0});
    firstCode.Data(2, PackCodes({{7, 3}, {5, 3}}));
    EXPECT_EQ(statusOf(firstCode.b), kCodecBadData);

    GifBuilder badLabel = base; // an unknown extension is skipped; then the file ends without an image
    badLabel.b.insert(badLabel.b.end(), {0x21, 0x77, 0});
    EXPECT_EQ(statusOf(badLabel.b), kCodecBadData);

    GifBuilder strayByte = base;
    strayByte.b.push_back(0x55);
    EXPECT_EQ(statusOf(strayByte.b), kCodecCannotOpen);

    // a long chain of extensions and no image ends as damaged, in time linear in its length
    GifBuilder chain = base;
    for (int i = 0; i < 20000; ++i)
        chain.Comment();
    EXPECT_EQ(statusOf(chain.b), kCodecBadData);
    chain.Trailer();
    EXPECT_EQ(statusOf(chain.b), kCodecBadData);
}

TEST(GifReaderTest, CodeBeyondTableAfterSomePixelsKeepsThemOnBackground) {
    GifBuilder g;
    g.Header(4, 1, 2, 2);
    g.b.insert(g.b.end(), {0x2C, 0, 0, 0, 0, 4, 0, 1, 0, 0});
    g.Data(2, PackCodes({{4, 3}, {1, 3}, {7, 3}, {3, 3}})); // 7: the table only reaches 6
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.At(0, 0), 1);
    EXPECT_EQ(d.At(1, 0), 2);
    EXPECT_EQ(d.At(2, 0), 2);
    EXPECT_EQ(d.At(3, 0), 2);
}

TEST(GifReaderTest, ScreenFillingImageCutShortKeepsDecodedPixelsInPlace) {
    // 5 wide: rows are spread to a stride of 8 and turned bottom-up in the image's own block
    GifBuilder g;
    g.Header(5, 3, 2, 2);
    g.b.insert(g.b.end(), {0x2C, 0, 0, 0, 0, 5, 0, 3, 0, 0});
    // clear, then seven literals, then a code beyond the table
    g.Data(2, PackCodes({{4, 3}, {0, 3}, {1, 3}, {3, 3}, {0, 4}, {1, 4}, {3, 4}, {0, 4}, {15, 4}}));
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    const uint8_t want[15] = {0, 1, 3, 0, 1, 3, 0, 2, 2, 2, 2, 2, 2, 2, 2};
    for (uint32_t i = 0; i < 15; ++i)
        EXPECT_EQ(d.At(i % 5, i / 5), want[i]) << i;
}

TEST(GifReaderTest, DisposalThreeOnFirstFrameRestoresBackground) {
    GifBuilder g;
    g.Header(3, 1, 2, 2);
    g.Netscape(0);
    g.Control(3, false, 0, 0);
    g.Image(0, 0, 2, 1, Bytes{1, 1}, false, 0, 2);
    g.Control(0, true, 3, 0);
    g.Image(2, 0, 1, 1, Bytes{0}, false, 0, 2);
    g.Trailer();
    Decoded d;
    Decode(g.b, &d);
    ASSERT_TRUE(d.ok);
    ASSERT_EQ(d.image.animation->frameCount, 2);
    EXPECT_EQ(d.FrameAt(1, 0, 0), 2);
    EXPECT_EQ(d.FrameAt(1, 1, 0), 2);
    EXPECT_EQ(d.FrameAt(1, 2, 0), 0);
}

// ---- writer -----------------------------------------------------------------------------------

TEST(GifWriterTest, OneBitUsesCodeSizeTwoAndNearestEntryBecomesTransparentBackground) {
    RGBQUAD palette[256] = {};
    palette[0] = {0, 0, 0, 0};
    palette[1] = {200, 200, 200, 0};
    Bytes rows = {0, 1, 1, 0, 1, 0};
    GifIndexPlane plane;
    plane.width = 3;
    plane.height = 2;
    plane.depth = 1;
    plane.rows = rows.data();
    plane.stride = 3;
    plane.palette = palette;
    plane.paletteUsed = 2;
    // (250, 250, 250) is in no entry: the light one is nearest
    plane.transparentIndex = static_cast<int32_t>(NearestPaletteEntry(palette, 2, 0x00FAFAFA));
    EXPECT_EQ(plane.transparentIndex, 1);
    Bytes file;
    ASSERT_TRUE(EncodeGif(plane, &file));
    EXPECT_EQ(0, std::memcmp(file.data(), "GIF89a", 6));
    EXPECT_EQ(file[10], 0x80); // global table of 2 entries, colour resolution 1
    EXPECT_EQ(file[11], 1);    // background = the transparent entry
    size_t control = 13 + 6;
    const uint8_t gce[] = {0x21, 0xF9, 4, 1, 0, 0, 1, 0};
    EXPECT_EQ(0, std::memcmp(file.data() + control, gce, sizeof gce));
    EXPECT_EQ(file[control + 8], 0x2C);
    EXPECT_EQ(file[control + 8 + 10], 2); // minimum code size
    EXPECT_EQ(file.back(), 0x3B);
    Decoded d;
    Decode(file, &d);
    ASSERT_TRUE(d.ok);
    for (uint32_t i = 0; i < 6; ++i)
        EXPECT_EQ(d.At(i % 3, i / 3), rows[i]);
}

TEST(GifWriterTest, NearestEntryPrefersExactMatchThenFirstOnTies) {
    RGBQUAD palette[4] = {{10, 10, 10, 0}, {0, 0, 50, 0}, {0, 0, 50, 0}, {0, 0, 40, 0}};
    EXPECT_EQ(NearestPaletteEntry(palette, 4, 50), 1u); // red 50: first exact match
    EXPECT_EQ(NearestPaletteEntry(palette, 4, 45), 1u); // equally far from 50 and 40: first wins
    EXPECT_EQ(NearestPaletteEntry(palette, 3, 40), 1u); // entry 3 is not used
    EXPECT_EQ(NearestPaletteEntry(palette, 4, 0x0A0A0A), 0u);
}

TEST(GifWriterTest, EveryDepthAndInterlaceRoundTripsThroughOurReader) {
    std::mt19937 rng(3);
    for (uint32_t depth = 1; depth <= 8; ++depth) {
        for (bool interlace : {false, true}) {
            const uint32_t w = 37, h = 29;
            Bytes rows(w * h);
            for (auto& v : rows)
                v = static_cast<uint8_t>(rng() % (1u << depth));
            RGBQUAD palette[256];
            for (int i = 0; i < 256; ++i)
                palette[i] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2), 0};
            GifIndexPlane plane{w, h, depth, rows.data(), w, palette, 1u << depth, -1, interlace};
            Bytes file;
            ASSERT_TRUE(EncodeGif(plane, &file));
            Decoded d;
            Decode(file, &d);
            ASSERT_TRUE(d.ok) << depth;
            EXPECT_EQ(d.image.sourceBitDepth, depth);
            EXPECT_EQ(d.info.interlaced, interlace);
            for (uint32_t y = 0; y < h; ++y)
                for (uint32_t x = 0; x < w; ++x)
                    ASSERT_EQ(d.At(x, y), rows[y * w + x]) << depth << " " << x << "," << y;
            EXPECT_EQ(d.image.palette[(1u << depth) - 1].rgbBlue, palette[(1u << depth) - 1].rgbBlue);
        }
    }
}

TEST(GifTimingTest, FastDelaysPlayAtTenHundredths) {
    EXPECT_EQ(GifPlaybackDelay(0), 10u);
    EXPECT_EQ(GifPlaybackDelay(1), 10u);
    EXPECT_EQ(GifPlaybackDelay(2), 2u);
    EXPECT_EQ(GifPlaybackDelay(50), 50u);
}

} // namespace
} // namespace qv
