// The tone tables, the per-channel tools (negative, posterize, gamma, brightness, contrast), and
// what every tone tool must do alike: an 8-bit image keeps its indices and gets a palette mapped
// exactly as its pixels would be, a mask of 0 / 128 / 255 blends as the framework says, and bands
// on several threads give the bytes of one.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tone_pixels.h"
#include "tools/colour_kernel.h"
#include "tools/hls_kernel.h"
#include "tools/levels_kernel.h"
#include "tools/mask_blend.h"
#include "tools/tone_kernel.h"
#include "tools/tone_tables.h"

namespace qv {
namespace {

using qvtest::Bgr;
using qvtest::MapThroughPass;

TEST(ToneTables, GammaCurvesAreTheCotangentPowers) {
    const ToneTables& t = GetToneTables();
    for (int j = 0; j < 256; ++j) {
        ASSERT_EQ(GammaCurve(t, 0)[j], j);
        ASSERT_EQ(GammaCurve(t, 2)[j], j) << "theta = 2 x 102 / 5 + 5 truncates to 45 degrees";
    }
    EXPECT_EQ(GammaCurve(t, 100)[128], 240); // 255 (128 / 255)^cot 85
    EXPECT_EQ(GammaCurve(t, -100)[128], 0);  // 255 (128 / 255)^cot 5
    EXPECT_EQ(GammaCurve(t, 50)[64], 134);
    EXPECT_EQ(GammaCurve(t, -50)[200], 151);
    for (int k : {-100, -37, 3, 100}) {
        EXPECT_EQ(GammaCurve(t, k)[0], 0);
        EXPECT_EQ(GammaCurve(t, k)[255], 255);
    }
}

TEST(ToneTables, StretchSquaresDistanceWeightsAndLuminance) {
    const ToneTables& t = GetToneTables();
    // a = floor(16711680 / 100) = 167116: 99 a >> 16 = 252, 100 a >> 16 = 254, 101 a passes 2^24 - 1
    EXPECT_EQ(t.stretch[100][99], 252);
    EXPECT_EQ(t.stretch[100][100], 254);
    EXPECT_EQ(t.stretch[100][101], 255);
    EXPECT_EQ(t.stretch[1][1], 255);
    for (int j = 0; j < 256; ++j)
        ASSERT_EQ(t.stretch[255][j], j);
    EXPECT_EQ(Square(t, -255), 65025);
    EXPECT_EQ(Square(t, 7), 49);

    auto w = std::make_unique<DistanceWeights>();
    BuildDistanceWeights(0, w.get());
    EXPECT_EQ(w->limit, 0);
    EXPECT_EQ(w->weight[0], 255);
    BuildDistanceWeights(10, w.get()); // M = 300
    EXPECT_EQ(w->weight[150], 128);    // 255 - floor(150 x 255 / 300)
    EXPECT_EQ(w->weight[299], 1);
    EXPECT_EQ(w->weight[300], 0);
    BuildDistanceWeights(150, w.get());
    EXPECT_EQ(w->limit, 67500);
    EXPECT_EQ(w->weight[1], 255);
    EXPECT_EQ(w->weight[67500], 0);

    EXPECT_EQ(t.lumaGreen[1], 5);
    EXPECT_EQ(t.lumaGreen[255], 1313);
    EXPECT_EQ(t.lumaRed[255], 668);
    EXPECT_EQ(t.correctBlue[-1000 + kLuminanceDeltaMax], -114); // odd: -((468 x 1000) >> 12)
    EXPECT_EQ(t.correctGreen[1000 + kLuminanceDeltaMax], 587);
    EXPECT_EQ(t.correctRed[-7 + kLuminanceDeltaMax], -2);

    // the HLS model's divisions by reciprocal, over every numerator (60 d and 255 w) and divisor it meets
    for (uint32_t n = 1; n <= 510; ++n)
        for (uint32_t k = 0; k < 256; ++k) {
            ASSERT_EQ(DivideSmall(t, 60 * k, n), 60 * k / n) << 60 * k << " / " << n;
            ASSERT_EQ(DivideSmall(t, 255 * k, n), 255 * k / n) << 255 * k << " / " << n;
        }
}

TEST(Posterize, BandTablesRoundEachEdgeHalfUp) {
    uint8_t t[256];
    BuildPosterizeTable(5, t);
    for (int v = 0; v < 256; ++v) {
        int expected = v < 32 ? 0 : v < 96 ? 64 : v < 160 ? 128 : v < 224 ? 192 : 255;
        ASSERT_EQ(t[v], expected) << v;
    }
    BuildPosterizeTable(2, t);
    EXPECT_EQ(t[127], 0);
    EXPECT_EQ(t[128], 255);
    BuildPosterizeTable(1, t); // clamped to two levels
    EXPECT_EQ(t[128], 255);
    BuildPosterizeTable(4, t); // s = 85: edges round(42.5) = 43, round(127.5) = 128, round(212.5) = 213
    EXPECT_EQ(t[42], 0);
    EXPECT_EQ(t[43], 85);
    EXPECT_EQ(t[127], 85);
    EXPECT_EQ(t[128], 170);
    EXPECT_EQ(t[212], 170);
    EXPECT_EQ(t[213], 255);
    BuildPosterizeTable(32, t); // s = 8
    EXPECT_EQ(t[3], 0);
    EXPECT_EQ(t[4], 8);
    EXPECT_EQ(t[243], 240);
    EXPECT_EQ(t[244], 255);

    PosterizeParams p;
    p.blue = 2, p.green = 3, p.red = 32, p.common = 5;
    ChannelLookup lookup;
    BuildPosterizeLookup(p, &lookup); // synchronised: the common count everywhere
    EXPECT_EQ(lookup.red[100], 128);
    EXPECT_EQ(lookup.blue[100], 128);
    p.sync = false;
    BuildPosterizeLookup(p, &lookup);
    EXPECT_EQ(lookup.blue[100], 0);
    EXPECT_EQ(lookup.green[100], 128);
    EXPECT_EQ(lookup.red[100], 104);

    EXPECT_EQ(PosterizeLevelsAfterDrag(5, 7), 5);
    EXPECT_EQ(PosterizeLevelsAfterDrag(5, 8), 6);
    EXPECT_EQ(PosterizeLevelsAfterDrag(5, -8), 4);
    EXPECT_EQ(PosterizeLevelsAfterDrag(5, -800), 2);
    EXPECT_EQ(PosterizeLevelsAfterDrag(30, 80), 32);
}

TEST(ChannelAdjust, GammaBrightnessAndContrastTables) {
    ChannelAdjustParams p;
    p.linked = false;
    ChannelLookup t;
    SetChannelAdjustValue(&p, 0, 50);  // red
    SetChannelAdjustValue(&p, 2, -50); // blue
    BuildChannelAdjustLookup(p, 128, &t);
    EXPECT_EQ(t.red[64], 134);
    EXPECT_EQ(t.green[64], 64);
    EXPECT_EQ(t.blue[200], 151);

    p.mode = ChannelAdjustMode::kBrightness;
    SetChannelAdjustValue(&p, 1, -300); // clamped to -255
    EXPECT_EQ(p.values[1].green, -255);
    SetChannelAdjustValue(&p, 1, -30);
    BuildChannelAdjustLookup(p, 128, &t);
    EXPECT_EQ(t.green[20], 0);
    EXPECT_EQ(t.green[100], 70);
    EXPECT_EQ(t.green[255], 225);
    EXPECT_EQ(t.red[255], 255);

    // contrast around Y = 100: v + ((50 x 2048 x (v - Y)) >> 16), and 512 per step below zero; the
    // shift floors, so 101 at -50 gives 100, not 101
    p.mode = ChannelAdjustMode::kContrast;
    SetChannelAdjustValue(&p, 0, 50);
    SetChannelAdjustValue(&p, 1, -50);
    BuildChannelAdjustLookup(p, 100, &t);
    EXPECT_EQ(t.red[0], 0);
    EXPECT_EQ(t.red[100], 100);
    EXPECT_EQ(t.red[120], 151);
    EXPECT_EQ(t.red[200], 255);
    EXPECT_EQ(t.green[0], 39);
    EXPECT_EQ(t.green[101], 100);
    EXPECT_EQ(t.green[255], 194);
    EXPECT_EQ(t.blue[37], 37);
}

TEST(ChannelAdjust, LinkingNeutralityAndLabels) {
    ChannelAdjustParams p;
    EXPECT_TRUE(IsNeutralChannelAdjust(p));
    SetChannelAdjustValue(&p, 2, 20); // linked by default: all three follow
    EXPECT_EQ(p.values[0].red, 20);
    EXPECT_EQ(p.values[0].green, 20);
    SetChannelAdjustLinked(&p, false);
    SetChannelAdjustValue(&p, 0, -7);
    EXPECT_EQ(p.values[0].blue, 20);
    SetChannelAdjustLinked(&p, true);
    EXPECT_EQ(p.values[0].blue, -7);
    EXPECT_FALSE(IsNeutralChannelAdjust(p));
    p.mode = ChannelAdjustMode::kContrast; // each mode keeps its own values
    EXPECT_TRUE(IsNeutralChannelAdjust(p));
    EXPECT_EQ(ChannelAdjustCommand(ChannelAdjustMode::kGamma), 5161);
    EXPECT_EQ(ChannelAdjustCommand(ChannelAdjustMode::kContrast), 5163);
}

TEST(ChannelAdjust, MeanLuminanceShiftsEachRowSum) {
    // rows (b, g, r): three of (1, 1, 1); then (200, 10, 30), (0, 0, 0), (255, 255, 255).
    // Per row: 0 + 1 + 0 and 52 + 159 + 86 = 297, over 6 pixels: 49 if the rows were summed first,
    // 48 as the shifts per row give.
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 3, 2, 24, nullptr));
    const uint8_t rows[2][9] = {{1, 1, 1, 1, 1, 1, 1, 1, 1}, {200, 10, 30, 0, 0, 0, 255, 255, 255}};
    std::memcpy(image->pixels, rows[0], 9);
    std::memcpy(image->pixels + ImageStride(image), rows[1], 9);
    EXPECT_EQ(MeanLuminance(*image), 48);

    ImageBuffer* indexed = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(indexed, 3, 2, 8, nullptr));
    indexed->palette[1] = {1, 1, 1, 0};
    indexed->palette[2] = {200, 10, 30, 0};
    indexed->palette[3] = {0, 0, 0, 0};
    indexed->palette[4] = {255, 255, 255, 0};
    const uint8_t indices[2][3] = {{1, 1, 1}, {2, 3, 4}};
    std::memcpy(indexed->pixels, indices[0], 3);
    std::memcpy(indexed->pixels + ImageStride(indexed), indices[1], 3);
    EXPECT_EQ(MeanLuminance(*indexed), 48);
    FreeImageRecord(image);
    FreeImageRecord(indexed);
}

TEST(Negative, InvertsPixelsAndPalettes) {
    ChannelLookup t;
    BuildNegativeLookup(&t);
    EXPECT_EQ(MapThroughPass(LookupPass(&t), {{0, 128, 255}}), (std::vector<Bgr>{{255, 127, 0}}));
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 2, 1, 8, nullptr));
    image->pixels[1] = 9;
    image->palette[9] = {10, 20, 255, 0};
    ASSERT_TRUE(ApplyNegative(image, nullptr, 1));
    EXPECT_EQ(image->header.biBitCount, 8);
    EXPECT_EQ(image->pixels[1], 9);
    EXPECT_EQ(image->palette[9].rgbBlue, 245);
    EXPECT_EQ(image->palette[9].rgbRed, 0);
    EXPECT_EQ(image->palette[0].rgbGreen, 255);
    FreeImageRecord(image);
}

// ---- every tool alike

// Every tone tool, with parameters that move most colours.
struct EveryTool {
    struct Case {
        const char* name;
        TonePass pass;
        bool keepsPalette;
    };
    ChannelLookup levels, gamma, brightness, contrast, posterize, negative;
    GreyscaleOp grey;
    std::unique_ptr<ShadowHighlightOp> shadow = std::make_unique<ShadowHighlightOp>();
    std::unique_ptr<LuminanceShiftOp> balance = std::make_unique<LuminanceShiftOp>();
    std::unique_ptr<LuminanceShiftOp> filter = std::make_unique<LuminanceShiftOp>();
    std::unique_ptr<HlsOp> hls = std::make_unique<HlsOp>();
    std::unique_ptr<HlsOp> hlsNear = std::make_unique<HlsOp>();
    std::unique_ptr<ReplaceColourOp> replace = std::make_unique<ReplaceColourOp>();
    EqualiseOp equalise;
    std::vector<Case> cases;

    EveryTool(const uint8_t* pixels, int32_t width, int32_t height) {
        LevelsParams lp;
        lp.channel[kLevelsCombined] = {20, 230, 30};
        BuildLevelsLookup(lp, &levels);
        ChannelAdjustParams cp;
        cp.linked = false;
        cp.values[0] = {40, -20, 70};
        BuildChannelAdjustLookup(cp, 128, &gamma);
        cp.mode = ChannelAdjustMode::kBrightness;
        cp.values[1] = {-60, 25, 90};
        BuildChannelAdjustLookup(cp, 128, &brightness);
        cp.mode = ChannelAdjustMode::kContrast;
        cp.values[2] = {60, -40, 100};
        BuildChannelAdjustLookup(cp, MeanLuminance24(pixels, width, height), &contrast);
        PosterizeParams pp;
        pp.sync = false, pp.blue = 3, pp.green = 7, pp.red = 16;
        BuildPosterizeLookup(pp, &posterize);
        BuildNegativeLookup(&negative);
        HlsParams near;
        near.hue = 90, near.saturation = -40, near.lightness = 30;
        near.limit = true, near.reference = MakeColor(200, 120, 60), near.range = 120;
        ReplaceColourParams rp;
        rp.from = MakeColor(180, 90, 40), rp.range = 140, rp.level = 200;
        cases = {
            {"levels", LookupPass(&levels), true},
            {"gamma", LookupPass(&gamma), true},
            {"brightness", LookupPass(&brightness), true},
            {"contrast", LookupPass(&contrast), true},
            {"posterize", LookupPass(&posterize), true},
            {"negative", LookupPass(&negative), true},
            {"greyscale", PrepareGreyscale(GreyscaleParams{300, 500, 400}, &grey), true},
            {"shadows and highlights", PrepareShadowHighlight(ShadowHighlightParams{50, 50}, shadow.get()), true},
            {"colour balance", PrepareColourBalance(ColourBalanceParams{60, -30, 10}, balance.get()), true},
            {"colour filter", PrepareColourFilter(ColourFilterParams{}, filter.get()), true},
            {"hls", PrepareHls(HlsParams{-120, 80, -25}, hls.get()), true},
            {"hls near a colour", PrepareHls(near, hlsNear.get()), true},
            {"colour replacement", PrepareReplaceColour(rp, replace.get()), true},
            {"luminance equalisation", PrepareEqualise(pixels, width, height, &equalise), false},
        };
    }
};

// A 24-bit test picture: every channel value turns up, with black and white pixels among them.
std::vector<uint8_t> TestPixels(int32_t width, int32_t height) {
    uint32_t stride = ImageStride(static_cast<uint32_t>(width), 24);
    std::vector<uint8_t> pixels(stride * height + 4);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = pixels.data() + y * stride + x * 3;
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<uint8_t>(x * 37 + y * 91 + c * 53 + (x * y) % 7);
            if ((x + y) % 11 == 0) p[0] = p[1] = p[2] = (x % 2) ? 255 : 0;
        }
    return pixels;
}

TEST(EveryToneTool, MaskStripesKeepBlendOrTakeTheResult) {
    const int32_t w = 30, h = 9;
    std::vector<uint8_t> source = TestPixels(w, h);
    std::vector<uint8_t> mask(w * h);
    for (int32_t i = 0; i < w * h; ++i)
        mask[i] = (i % w) % 3 == 0 ? 0 : (i % w) % 3 == 1 ? 128 : 255;
    const BlendTable& t = GetBlendTable();
    uint32_t stride = ImageStride(w, 24);
    EveryTool tools(source.data(), w, h);
    for (const EveryTool::Case& tool : tools.cases) {
        std::vector<uint8_t> plain(source.size()), masked(source.size());
        RunTonePass(tool.pass, WholeImageJob(source.data(), plain.data(), w, h, nullptr), 1);
        RunTonePass(tool.pass, WholeImageJob(source.data(), masked.data(), w, h, mask.data()), 1);
        int changed = 0;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                for (int c = 0; c < 3; ++c) {
                    size_t i = y * stride + x * 3 + c;
                    uint8_t m = mask[y * w + x];
                    int expected = m == 0 ? plain[i] : m == 255 ? source[i] : t.t[127][plain[i]] + t.t[128][source[i]];
                    ASSERT_EQ(masked[i], expected) << tool.name << " at " << x << "," << y << " mask " << int(m);
                    changed += plain[i] != source[i];
                }
        EXPECT_GT(changed, w * h) << tool.name << " should move most values";
    }
}

TEST(EveryToneTool, BandsOnSeveralThreadsGiveTheSameBytes) {
    const int32_t w = 41, h = 130;
    std::vector<uint8_t> source = TestPixels(w, h);
    std::vector<uint8_t> mask(w * h);
    for (size_t i = 0; i < mask.size(); ++i)
        mask[i] = static_cast<uint8_t>(i * 29);
    EveryTool tools(source.data(), w, h);
    for (const EveryTool::Case& tool : tools.cases) {
        std::vector<uint8_t> one(source.size()), many(source.size());
        RunTonePass(tool.pass, WholeImageJob(source.data(), one.data(), w, h, mask.data()), 1);
        RunTonePass(tool.pass, WholeImageJob(source.data(), many.data(), w, h, mask.data()), 5);
        EXPECT_EQ(0, std::memcmp(one.data(), many.data(), one.size())) << tool.name;
    }
}

TEST(EveryToneTool, PaletteImagesKeepTheirIndicesAndMapTheirPalette) {
    // 16 x 16 pixels, one of each index; the palette holds the test picture's colours
    const int32_t w = 16, h = 16;
    std::vector<uint8_t> colours = TestPixels(256, 1);
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, w, h, 8, nullptr));
    for (int i = 0; i < 256; ++i) {
        image->palette[i] = {colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2], static_cast<uint8_t>(i)};
        image->pixels[(i / w) * ImageStride(image) + i % w] = static_cast<uint8_t>(255 - i);
    }
    std::vector<uint8_t> indices(image->pixels, image->pixels + ImageStride(image) * h);
    std::vector<Bgr> entries(256);
    for (int i = 0; i < 256; ++i)
        entries[i] = {colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]};
    std::vector<uint8_t> mask(w * h, 255); // shared palette entries cannot honour a mask
    EveryTool tools(colours.data(), 256, 1);
    for (const EveryTool::Case& tool : tools.cases) {
        if (!tool.keepsPalette) continue;
        ImageBuffer* copy = AllocImageRecord();
        ASSERT_TRUE(PrepareImage(copy, w, h, 8, nullptr));
        std::memcpy(copy->palette, image->palette, sizeof image->palette);
        std::memcpy(copy->pixels, indices.data(), indices.size());
        copy->sourceFormat = kFormatGif;
        ASSERT_TRUE(ApplyToneInPlace(copy, tool.pass, mask.data(), 1)) << tool.name;
        EXPECT_EQ(copy->header.biBitCount, 8) << tool.name;
        EXPECT_EQ(copy->sourceFormat, kFormatBmp);
        EXPECT_EQ(0, std::memcmp(copy->pixels, indices.data(), indices.size())) << tool.name;
        std::vector<Bgr> mapped = MapThroughPass(tool.pass, entries);
        for (int i = 0; i < 256; ++i) {
            ASSERT_EQ((Bgr{copy->palette[i].rgbBlue, copy->palette[i].rgbGreen, copy->palette[i].rgbRed}), mapped[i])
                << tool.name << " entry " << i;
            ASSERT_EQ(copy->palette[i].rgbReserved, i);
        }
        FreeImageRecord(copy);
    }
    FreeImageRecord(image);
}

// The vector paths of the byte-table tools against the plain loops on random pixels, tables and
// weights: rows that end part way through a 64-pixel step, a mask of every value, and a palette.
TEST(EveryToneTool, VectorPathsGiveThePlainBytes) {
    const int32_t w = 203, h = 5;
    uint32_t seed = 99;
    auto next = [&seed] { return static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16); };
    uint32_t stride = ImageStride(w, 24);
    std::vector<uint8_t> source(stride * h + 4), mask(w * h);
    for (uint8_t& b : source)
        b = next();
    for (uint8_t& m : mask)
        m = next();
    RGBQUAD palette[256];
    for (RGBQUAD& c : palette)
        c = {next(), next(), next(), next()};
    for (int round = 0; round < 4; ++round) {
        ChannelLookup lookup;
        for (int v = 0; v < 256; ++v)
            lookup.blue[v] = next(), lookup.green[v] = next(), lookup.red[v] = next();
        GreyscaleOp plainGrey, bestGrey;
        GreyscaleParams weights{next() * 4, next() * 4, next() * 4}; // up to 1020: clamped
        auto plainShift = std::make_unique<LuminanceShiftOp>(), bestShift = std::make_unique<LuminanceShiftOp>();
        auto plainFilter = std::make_unique<LuminanceShiftOp>(), bestFilter = std::make_unique<LuminanceShiftOp>();
        // shifts to the ends of the range push corrections and clamps to their limits
        ColourBalanceParams balance{next() % 201 - 100, round % 2 ? 100 : -100, next() % 201 - 100};
        auto plainShadow = std::make_unique<ShadowHighlightOp>(), bestShadow = std::make_unique<ShadowHighlightOp>();
        ShadowHighlightParams shadow{round == 1 ? 0 : next() % 51, round == 2 ? 0 : next() % 51};
        auto plainReplace = std::make_unique<ReplaceColourOp>(), bestReplace = std::make_unique<ReplaceColourOp>();
        // the widest range the vector path takes (147: 3 x 147^2 fits 16 bits), a narrow one, and
        // the ranges it leaves to the plain loop
        int32_t ranges[] = {147, 9, 150, 0};
        ReplaceColourParams replace{MakeColor(next(), next(), next()), MakeColor(next(), next(), next()), ranges[round],
                                    next()};
        ColourFilterParams filter;
        filter.choice = round, filter.strength = next();
        filter.colours[round] = MakeColor(next(), next(), next());
        struct Pair {
            const char* name;
            TonePass plain, best;
        } pairs[] = {
            {"look-up", LookupPass(&lookup, KernelPath::Plain), LookupPass(&lookup)},
            {"greyscale", PrepareGreyscale(weights, &plainGrey, KernelPath::Plain),
             PrepareGreyscale(weights, &bestGrey)},
            {"shadows and highlights", PrepareShadowHighlight(shadow, plainShadow.get(), KernelPath::Plain),
             PrepareShadowHighlight(shadow, bestShadow.get())},
            {"colour replacement", PrepareReplaceColour(replace, plainReplace.get(), KernelPath::Plain),
             PrepareReplaceColour(replace, bestReplace.get())},
            {"colour balance", PrepareColourBalance(balance, plainShift.get(), KernelPath::Plain),
             PrepareColourBalance(balance, bestShift.get())},
            {"colour filter", PrepareColourFilter(filter, plainFilter.get(), KernelPath::Plain),
             PrepareColourFilter(filter, bestFilter.get())},
        };
        for (const Pair& pair : pairs)
            for (const uint8_t* m : std::vector<const uint8_t*>{nullptr, mask.data()}) {
                std::vector<uint8_t> plain(source.size()), best(source.size());
                RunTonePass(pair.plain, WholeImageJob(source.data(), plain.data(), w, h, m), 1);
                RunTonePass(pair.best, WholeImageJob(source.data(), best.data(), w, h, m), 1);
                for (int32_t y = 0; y < h; ++y)
                    ASSERT_EQ(0, std::memcmp(plain.data() + y * stride, best.data() + y * stride, w * 3))
                        << pair.name << " row " << y << (m ? " masked" : "");
                RGBQUAD plainPalette[256], bestPalette[256];
                MapTonePalette(pair.plain, palette, plainPalette);
                MapTonePalette(pair.best, palette, bestPalette);
                ASSERT_EQ(0, std::memcmp(plainPalette, bestPalette, sizeof plainPalette)) << pair.name;
            }
    }
}

} // namespace
} // namespace qv
