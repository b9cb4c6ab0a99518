// The compositing blend and the text drawing against readings of their definitions written out
// here: the four modes with opacity and the transparent colour, the overlay clipped at every edge
// of the image, the text's opacity ends, its premultiplied blend and its shadow drawn first.
#include <gtest/gtest.h>

#include <climits>

#include "filter_test_image.h"
#include "tools/compositing_kernel.h"
#include "tools/text_kernel.h"

namespace qv {
namespace {

using qvtest::Blend;
using qvtest::FlatPicture;
using qvtest::JobOf;
using qvtest::Picture;
using qvtest::RandomPicture;

// Pixels by position from the top-left, as the tools place things; pictures are stored bottom-up.
uint8_t& Top(Picture& p, int x, int y, int c) {
    return p.At(x, p.h - 1 - y, c);
}
uint8_t Top(const Picture& p, int x, int y, int c) {
    return p.At(x, p.h - 1 - y, c);
}

int Percent(int i) {
    return (i * 255 * 2 + 100) / 200;
}

OverlayPixels OverlayOf(const Picture& p) {
    return OverlayPixels{p.w, p.h, p.stride, p.data()};
}

Picture Composite(const Picture& base, const Picture& overlay, const CompositeParams& p) {
    Picture out(base.w, base.h);
    CompositeOverlay(JobOf(base, &out), OverlayOf(overlay), p);
    return out;
}

Picture RefComposite(const Picture& base, const Picture& overlay, const CompositeParams& p) {
    Picture out = base;
    const int a = Percent(p.opacity);
    const int key[3] = {static_cast<int>(p.colour >> 16 & 255), static_cast<int>(p.colour >> 8 & 255),
                        static_cast<int>(p.colour & 255)};
    for (int oy = 0; oy < overlay.h; ++oy)
        for (int ox = 0; ox < overlay.w; ++ox) {
            const int x = p.x + ox, y = p.y + oy;
            if (x < 0 || y < 0 || x >= base.w || y >= base.h) continue;
            bool isKey = true;
            for (int c = 0; c < 3; ++c)
                isKey = isKey && Top(overlay, ox, oy, c) == key[c];
            if (p.transparent && isKey) continue;
            for (int c = 0; c < 3; ++c) {
                int b = Top(base, x, y, c), o = Top(overlay, ox, oy, c), r = o;
                if (p.mode == 1) r = Blend(b, o);
                if (p.mode == 2) r = 255 - Blend(255 - b, 255 - o);
                if (p.mode == 3) r = b < 128 ? 2 * Blend(b, o) : 255 - 2 * Blend(255 - b, 255 - o);
                Top(out, x, y, c) = static_cast<uint8_t>(Blend(a, r) + Blend(255 - a, b));
            }
        }
    return out;
}

TEST(CompositingKernel, ModesAndOpacityFollowTheirDefinitions) {
    const Picture base = RandomPicture(9, 7, 3), overlay = RandomPicture(5, 4, 8);
    for (int mode = 0; mode <= 3; ++mode)
        for (int opacity : {100, 50, 1}) {
            CompositeParams p;
            p.mode = mode, p.opacity = opacity, p.x = 2, p.y = 1;
            EXPECT_EQ(Composite(base, overlay, p), RefComposite(base, overlay, p)) << mode << " " << opacity;
        }
    CompositeParams zero;
    zero.opacity = 0;
    EXPECT_EQ(Composite(base, overlay, zero), base);
    CompositeParams unknown; // a stored mode out of range blends as normal
    unknown.mode = 7;
    CompositeParams normal;
    EXPECT_EQ(Composite(base, overlay, unknown), Composite(base, overlay, normal));
}

TEST(CompositingKernel, IdentitiesOfTheModes) {
    const Picture base = RandomPicture(6, 5, 11);
    CompositeParams p;
    const Picture copied = Composite(base, RandomPicture(6, 5, 12), p);
    EXPECT_EQ(copied, RandomPicture(6, 5, 12)); // normal at 100: the overlay itself
    p.mode = kMixMultiply;
    EXPECT_EQ(Composite(base, FlatPicture(6, 5, 255, 255, 255), p), base);
    p.mode = kMixScreen;
    EXPECT_EQ(Composite(base, FlatPicture(6, 5, 0, 0, 0), p), base);
}

TEST(CompositingKernel, TheTransparentColourShowsTheBaseAtFullOpacity) {
    const Picture base = RandomPicture(4, 4, 5);
    Picture overlay = FlatPicture(4, 4, 10, 20, 30);
    Top(overlay, 1, 2, 0) = 0x33, Top(overlay, 1, 2, 1) = 0x22, Top(overlay, 1, 2, 2) = 0x11; // the key, exactly
    Top(overlay, 2, 2, 0) = 0x33, Top(overlay, 2, 2, 1) = 0x22, Top(overlay, 2, 2, 2) = 0x12; // one channel off
    CompositeParams p;
    p.transparent = true;
    p.colour = 0x332211; // red 0x11, green 0x22, blue 0x33
    const Picture out = Composite(base, overlay, p);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(Top(out, 1, 2, c), Top(base, 1, 2, c));
        EXPECT_EQ(Top(out, 2, 2, c), Top(overlay, 2, 2, c));
        EXPECT_EQ(Top(out, 0, 0, c), Top(overlay, 0, 0, c));
    }
}

TEST(CompositingKernel, TheOverlayIsClippedAtEveryEdge) {
    const Picture base = RandomPicture(7, 6, 21), overlay = RandomPicture(4, 3, 22);
    const int places[][2] = {{-2, 1}, {5, 2}, {2, -2}, {1, 4}, {-3, -2}, {5, 4}, {-4, 0}, {7, 0}, {0, 6}, {0, -3}};
    for (const auto& at : places) {
        CompositeParams p;
        p.mode = kMixOverlay, p.opacity = 80, p.x = at[0], p.y = at[1];
        EXPECT_EQ(Composite(base, overlay, p), RefComposite(base, overlay, p)) << at[0] << "," << at[1];
    }
    CompositeParams larger; // an overlay larger than the image on every side
    larger.x = -1, larger.y = -1;
    const Picture big = RandomPicture(9, 8, 23);
    EXPECT_EQ(Composite(base, big, larger), RefComposite(base, big, larger));
    CompositeParams far; // positions whose sum with the side would wrap in 32 bits
    far.x = INT_MAX - 1, far.y = INT_MIN + 1;
    EXPECT_EQ(Composite(base, overlay, far), base);
    far.x = INT_MIN, far.y = INT_MAX;
    EXPECT_EQ(Composite(base, overlay, far), base);
}

TEST(CompositingKernel, ModeNames) {
    int32_t mode = -1;
    EXPECT_TRUE(CompositeModeFromName("screen", &mode));
    EXPECT_EQ(mode, kMixScreen);
    EXPECT_TRUE(CompositeModeFromName("overlay", &mode));
    EXPECT_EQ(mode, kMixOverlay);
    EXPECT_FALSE(CompositeModeFromName("Screen", &mode));
}

// A glyph of `w` x `h` at full coverage except for a half-covered first column.
Glyph Block(int w, int h, int originX, int originY, int advance) {
    Glyph g;
    g.width = w, g.height = h, g.pitch = (static_cast<uint32_t>(w) + 3) & ~3u;
    g.originX = originX, g.originY = originY, g.advance = advance;
    g.bits.assign(g.pitch * h, kTextCoverageMax);
    for (int y = 0; y < h; ++y)
        g.bits[y * g.pitch] = 32;
    return g;
}

Picture DrawnText(const Picture& base, const TextGlyphs& text, const TextParams& p) {
    Picture out(base.w, base.h);
    DrawTextGlyphs(JobOf(base, &out), text, p);
    return out;
}

// One channel of a colour over `dst` at coverage value `bits` and opacity `percent`.
int RefTextChannel(int colour, int dst, int bits, int percent) {
    int a = Percent(percent), c = bits * 255 >> 6, k = Blend(a, colour);
    return Blend(c, k + Blend(255 - a, dst)) + Blend(255 - c, dst);
}

TEST(TextKernel, OpacityEndsAndThePremultipliedBlend) {
    const Picture base = RandomPicture(12, 10, 31);
    TextGlyphs text;
    text.ascent = 8;
    text.glyphs = {Block(3, 4, 1, 7, 5), Glyph{{}, 0, 0, 0, 0, 0, 4}, Block(2, 3, 0, 6, 3)};
    TextParams p;
    p.shadow = false, p.colour = 0x2080F0, p.x = 2, p.y = 3;
    p.opacity = 0;
    EXPECT_EQ(DrawnText(base, text, p), base);
    for (int opacity : {100, 70}) {
        p.opacity = opacity;
        const Picture out = DrawnText(base, text, p);
        // the pen starts at the point less the smallest origin x (0, the second glyph's), the
        // line one pixel higher (ascent less the largest origin y); the space advances by 4
        const int blue = 0x20, red = 0xF0; // packed red | green << 8 | blue << 16
        EXPECT_EQ(Top(out, 4, 3, 0), RefTextChannel(blue, Top(base, 4, 3, 0), 64, opacity));
        EXPECT_EQ(Top(out, 3, 3, 2), RefTextChannel(red, Top(base, 3, 3, 2), 32, opacity));
        EXPECT_EQ(Top(out, 11, 4, 0), RefTextChannel(blue, Top(base, 11, 4, 0), 32, opacity));
        EXPECT_EQ(Top(out, 11, 3, 0), Top(base, 11, 3, 0));
        EXPECT_EQ(Top(out, 8, 4, 0), Top(base, 8, 4, 0)); // under the space
        if (opacity == 100) {
            EXPECT_EQ(Top(out, 4, 6, 0), blue);
        }
    }
}

TEST(TextKernel, TheShadowIsDrawnFirstAndUnderTheText) {
    const Picture base = FlatPicture(10, 10, 100, 100, 100);
    TextGlyphs text;
    text.ascent = 5;
    text.glyphs = {Block(4, 4, 0, 5, 5)};
    TextParams p;
    p.opacity = 100, p.colour = 0xFFFFFF, p.shadowColour = 0x000000, p.x = 2, p.y = 2;
    p.shadowX = 0, p.shadowY = 0;
    const Picture covered = DrawnText(base, text, p);
    EXPECT_EQ(Top(covered, 3, 3, 1), 255); // the text covers its own shadow
    p.shadowX = 2, p.shadowY = 1;
    const Picture out = DrawnText(base, text, p);
    EXPECT_EQ(Top(out, 6, 5, 1), 0);   // the shadow alone, right and below
    EXPECT_EQ(Top(out, 5, 4, 1), 255); // the text over the shadow
    EXPECT_EQ(Top(out, 8, 3, 1), 100); // neither
    p.shadow = false;
    EXPECT_EQ(Top(DrawnText(base, text, p), 6, 5, 1), 100);
}

TEST(TextKernel, TextIsClippedAtEveryEdge) {
    const Picture base = RandomPicture(6, 5, 41);
    TextGlyphs text;
    text.ascent = 4;
    text.glyphs = {Block(4, 3, 0, 4, 4), Block(4, 3, 0, 4, 4)};
    TextParams p;
    p.opacity = 100, p.shadow = true, p.shadowX = 3, p.shadowY = 3;
    const int places[][2] = {{-3, 1}, {4, 1}, {1, -2}, {1, 4}, {-9, -9}, {6, 5}, {INT_MAX - 2, INT_MIN + 2}};
    for (const auto& at : places) {
        p.x = at[0], p.y = at[1];
        const Picture out = DrawnText(base, text, p);
        for (int y = 0; y < base.h; ++y)
            for (int x = 0; x < base.w; ++x) {
                // full coverage away from each glyph's half-covered first column: white or shadow black
                const int64_t gx = int64_t{x} - p.x, gy = int64_t{y} - p.y;
                const bool ink = gy >= 0 && gy < 3 && gx >= 0 && gx < 8 && gx % 4 != 0;
                if (ink) {
                    EXPECT_EQ(Top(out, x, y, 0), 255) << at[0] << "," << at[1];
                }
            }
    }
}

} // namespace
} // namespace qv
