// Noise reduction, mosaic, jitter, emboss, edge extraction and edge-preserving smoothing against
// readings of their definitions written out here, on small random pictures including the borders
// and 5 x 5 exactly; their edge cases; and bands giving the single band's bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "filter_test_image.h"
#include "tools/edge_smoothing_kernel.h"
#include "tools/emboss_kernel.h"
#include "tools/jitter_kernel.h"
#include "tools/mosaic_kernel.h"
#include "tools/noise_reduction_kernel.h"

namespace qv {
namespace {

using qvtest::Blend;
using qvtest::Clamp255;
using qvtest::Edge;
using qvtest::JobOf;
using qvtest::Picture;
using qvtest::RandomPicture;

int GreyOf(int b, int g, int r) {
    // round(0.114 b) + round(0.587 g) + round(0.299 r), each half up
    return static_cast<int>(0.114 * b + 0.5) + static_cast<int>(0.587 * g + 0.5) + static_cast<int>(0.299 * r + 0.5);
}

int GreyAt(const Picture& p, int x, int y) {
    return GreyOf(p.At(x, y, 0), p.At(x, y, 1), p.At(x, y, 2));
}

Picture RefNoise(const Picture& src, int level) {
    int t = level >= 255 ? 0 : 255 - level;
    Picture out = src;
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            int sum[3] = {0, 0, 0}, n = 0;
            std::vector<std::pair<int, int>> cand; // (grey, order) of the candidates in storage order
            std::vector<std::pair<int, int>> where;
            for (int yy = y - 1; yy <= y + 1; ++yy)
                for (int xx = x - 1; xx <= x + 1; ++xx) {
                    if (xx < 0 || yy < 0 || xx >= src.w || yy >= src.h) continue;
                    if (xx != x || yy != y) {
                        for (int c = 0; c < 3; ++c)
                            sum[c] += src.At(xx, yy, c);
                        ++n;
                    }
                    cand.push_back({GreyAt(src, xx, yy), static_cast<int>(cand.size())});
                    where.push_back({xx, yy});
                }
            int mean = GreyOf(sum[0] / n, sum[1] / n, sum[2] / n);
            if (std::abs(mean - GreyAt(src, x, y)) <= t) continue;
            std::vector<std::pair<int, int>> sorted = cand;
            std::sort(sorted.begin(), sorted.end());
            auto [px, py] = where[sorted[(sorted.size() - 1) / 2].second];
            for (int c = 0; c < 3; ++c)
                out.At(x, y, c) = src.At(px, py, c);
        }
    return out;
}

// Blocks laid from the top-left corner of the picture as seen: visual row v is stored row h - 1 - v.
Picture RefMosaic(const Picture& src, int bw, int bh, bool shift, bool tile) {
    Picture out(src.w, src.h);
    int l = (bh + 5) >> 3, o = (bw + 5) >> 3;
    for (int v = 0; v < src.h; ++v)
        for (int x = 0; x < src.w; ++x) {
            int row = v / bh, off = shift && row % 2 == 1 ? bw / 2 : 0;
            int left = (x + bw - off) / bw * bw - bw + off; // the block's left edge, maybe before 0
            int top = row * bh;
            int sum[3] = {0, 0, 0}, n = 0;
            for (int vv = top; vv < std::min(src.h, top + bh); ++vv)
                for (int xx = std::max(0, left); xx < std::min(src.w, left + bw); ++xx, ++n)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += src.At(xx, src.h - 1 - vv, c);
            for (int c = 0; c < 3; ++c) {
                int colour = sum[c] / n, lx = x - left, ly = v - top;
                if (tile && (ly >= bh - l || lx >= bw - o))
                    colour = std::max(0, colour - 20);
                else if (tile && (ly < l || lx < o))
                    colour = std::min(255, colour + 20);
                out.At(x, src.h - 1 - v, c) = static_cast<uint8_t>(colour);
            }
        }
    return out;
}

Picture RefJitter(const Picture& src, int level, int range, uint32_t seed) {
    Picture out(src.w, src.h);
    int a = static_cast<int>(level * 255 / 100.0 + 0.5);
    auto draw = [&] {
        seed = seed * 214013u + 2531011u;
        return static_cast<int>((seed >> 16) & 0x7FFF);
    };
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            int f = draw(), g = draw();
            int dx = static_cast<int>(std::trunc(range * f / 32767.0 - (range >> 1)));
            int dy = static_cast<int>(std::trunc(range * g / 32767.0 - (range >> 1)));
            int sx = Edge(x + dx, src.w), sy = Edge(y + dy, src.h);
            for (int c = 0; c < 3; ++c)
                out.At(x, y, c) = static_cast<uint8_t>(Blend(a, src.At(sx, sy, c)) + Blend(255 - a, src.At(x, y, c)));
        }
    return out;
}

// The direction table as written for emboss: 'x' for +x, '-' for -x, '0' for none, 'c' the centre.
const char* const kDirections[8] = {"0--xc-xx0", "---0c0xxx", "--0-cx0xx", "-0x-cx-0x",
                                    "0xx-cx--0", "xxx0c0---", "xx0xc-0--", "x0-xc-x0-"};

Picture RefConvolve(const Picture& src, const int k[9], bool grey, int n) {
    Picture out(src.w, src.h);
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            int s[3];
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int i = 0; i < 9; ++i)
                    sum += k[i] * src.At(Edge(x + i % 3 - 1, src.w), Edge(y + i / 3 - 1, src.h), c);
                s[c] = grey ? Clamp255(sum + 127) : Clamp255(sum / n);
            }
            for (int c = 0; c < 3; ++c)
                out.At(x, y, c) = static_cast<uint8_t>(grey ? (s[0] + s[1] + s[2]) / 3 : s[c]);
        }
    return out;
}

Picture RefEmboss(const Picture& src, int direction, int level, bool colour) {
    int k[9], x = colour ? 8 : level, n = 0;
    for (int i = 0; i < 9; ++i) {
        char m = kDirections[direction][i];
        k[i] = m == 'x' ? x : (m == '-' ? -x : (m == 'c' ? (colour ? 17 - level : 0) : 0));
        n += k[i];
    }
    return RefConvolve(src, k, !colour, n > 0 ? n : 1);
}

int Energy(const Picture& p, int x, int y) {
    return p.At(x, y, 0) * p.At(x, y, 0) + p.At(x, y, 1) * p.At(x, y, 1) + p.At(x, y, 2) * p.At(x, y, 2);
}

Picture RefNearestPass(const Picture& src) {
    Picture out(src.w, src.h);
    auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < src.w && y < src.h; };
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            int e = Energy(src, x, y), sum[3] = {0, 0, 0}, n = 0;
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx) {
                    // each pair once, from its member later in storage order
                    if (dy < 0 || (dy == 0 && dx <= 0)) continue;
                    bool a = inside(x + dx, y + dy), b = inside(x - dx, y - dy);
                    if (!a && !b) continue;
                    int px = x - dx, py = y - dy; // ties go to the earlier one
                    if (a && (!b || std::abs(Energy(src, x + dx, y + dy) - e) < std::abs(Energy(src, px, py) - e)))
                        px = x + dx, py = y + dy;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += src.At(px, py, c);
                    ++n;
                }
            for (int c = 0; c < 3; ++c)
                out.At(x, y, c) = static_cast<uint8_t>(sum[c] / n);
        }
    return out;
}

template <typename Run> Picture Filtered(const Picture& src, Run run, const uint8_t* mask = nullptr) {
    Picture out(src.w, src.h);
    run(JobOf(src, &out, mask));
    return out;
}

const int kSizes[][2] = {{5, 5}, {8, 6}, {13, 21}};

TEST(EffectFilters, NoiseReductionReplacesOutliersByTheirMedian) {
    for (const auto& wh : kSizes) {
        Picture src = RandomPicture(wh[0], wh[1], 3u * wh[0] + wh[1]);
        for (int level : {0, 200, 255}) {
            NoiseReductionParams p;
            p.level = level;
            EXPECT_EQ(Filtered(src, [&](const KernelJob& j) { RunNoiseReduction(j, p, 1); }), RefNoise(src, level))
                << wh[0] << "x" << wh[1] << " level " << level;
        }
    }
    NoiseReductionParams off;
    off.level = 0;
    EXPECT_TRUE(IsNeutralNoiseReduction(off));
}

TEST(EffectFilters, MosaicAveragesBlocksFromTheTopLeft) {
    for (const auto& wh : kSizes) {
        Picture src = RandomPicture(wh[0], wh[1], 5u * wh[0] + wh[1]);
        const int blocks[][2] = {{2, 2}, {3, 4}, {5, 2}, {100, 100}};
        for (const auto& b : blocks)
            for (int flags = 0; flags < 4; ++flags) {
                MosaicParams p;
                p.blockWidth = b[0];
                p.blockHeight = b[1];
                p.sync = false;
                p.shift = flags & 1;
                p.tile = flags & 2;
                EXPECT_EQ(Filtered(src, [&](const KernelJob& j) { RunMosaic(j, p, 1); }),
                          RefMosaic(src, b[0], b[1], p.shift, p.tile))
                    << wh[0] << "x" << wh[1] << " block " << b[0] << "x" << b[1] << " flags " << flags;
            }
    }
    // blocks as large as the image: one colour, the mean of everything
    Picture two = qvtest::FlatPicture(6, 5, 10, 20, 30);
    for (int x = 0; x < 6; ++x)
        two.At(x, 0, 0) = 70; // 5 rows: the mean of blue is (4 x 10 + 70) / 5 = 22
    MosaicParams whole;
    whole.blockWidth = 6; // synchronised: 6 x 6 covers 6 x 5
    EXPECT_EQ(Filtered(two, [&](const KernelJob& j) { RunMosaic(j, whole, 1); }),
              qvtest::FlatPicture(6, 5, 22, 20, 30));
}

TEST(EffectFilters, JitterIsPinnedByItsSeed) {
    for (const auto& wh : kSizes) {
        Picture src = RandomPicture(wh[0], wh[1], 9u * wh[0] + wh[1]);
        for (int range : {1, 2, 7, 100}) {
            JitterParams p;
            p.level = 63;
            p.range = range;
            p.seed = 12345u + range;
            EXPECT_EQ(Filtered(src, [&](const KernelJob& j) { RunJitter(j, p, 1); }), RefJitter(src, 63, range, p.seed))
                << wh[0] << "x" << wh[1] << " range " << range;
        }
    }
    // the offsets' ends: range 7 moves from -3 to +4; just below the half the value rounds toward zero
    EXPECT_EQ(JitterOffset(7, 0), -3);
    EXPECT_EQ(JitterOffset(7, 32767), 4);
    EXPECT_EQ(JitterOffset(7, 14042), 0); // 7 x 14042 / 32767 = 2.9998
    JitterRandom r{1};
    EXPECT_EQ(r.Next(), 41); // the run-time library's first rand() without srand
    EXPECT_EQ(r.Next(), 18467);
}

TEST(EffectFilters, EmbossAndEdgesFollowTheirKernels) {
    for (const auto& wh : kSizes) {
        Picture src = RandomPicture(wh[0], wh[1], 13u * wh[0] + wh[1]);
        for (int direction = 0; direction < 8; ++direction)
            for (int level : {1, 9, 16})
                for (bool colour : {false, true}) {
                    EmbossParams p;
                    p.direction = direction;
                    p.level = level;
                    p.colour = colour;
                    EXPECT_EQ(Filtered(src, [&](const KernelJob& j) { RunEmboss(j, p, 1); }),
                              RefEmboss(src, direction, level, colour))
                        << wh[0] << "x" << wh[1] << " direction " << direction << " level " << level << " " << colour;
                }
        const int edge[9] = {1, 1, 1, 1, -8, 1, 1, 1, 1};
        EXPECT_EQ(Filtered(src, [&](const KernelJob& j) { ExtractEdges(j, 1); }), RefConvolve(src, edge, false, 1));
    }
    Picture flat = qvtest::FlatPicture(7, 5, 90, 160, 230);
    EmbossParams up;
    up.direction = 1;
    up.level = 16;
    EXPECT_EQ(Filtered(flat, [&](const KernelJob& j) { RunEmboss(j, up, 1); }),
              qvtest::FlatPicture(7, 5, 127, 127, 127));
    EXPECT_EQ(Filtered(flat, [&](const KernelJob& j) { ExtractEdges(j, 1); }), qvtest::FlatPicture(7, 5, 0, 0, 0));
}

TEST(EffectFilters, SmoothingBlursThenTakesSymmetricNearestNeighboursTwice) {
    for (const auto& wh : kSizes) {
        Picture src = RandomPicture(wh[0], wh[1], 17u * wh[0] + wh[1]), blurred(src.w, src.h);
        // the first step, a full-strength 3 x 3 box
        for (int y = 0; y < src.h; ++y)
            for (int x = 0; x < src.w; ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int i = 0; i < 9; ++i)
                        sum += src.At(Edge(x + i % 3 - 1, src.w), Edge(y + i / 3 - 1, src.h), c);
                    blurred.At(x, y, c) = static_cast<uint8_t>((7281 * sum + 32768) >> 16);
                }
        EXPECT_EQ(Filtered(src, [&](const KernelJob& j) { EXPECT_TRUE(SmoothPreservingEdges(j, 1)); }),
                  RefNearestPass(RefNearestPass(blurred)))
            << wh[0] << "x" << wh[1];
    }
}

TEST(EffectFilters, BandsGiveTheSingleBandsBytesAndTheMaskHolds) {
    uint32_t seed = 4;
    for (int round = 0; round < 4; ++round) {
        seed = seed * 1664525u + 1013904223u;
        int w = 5 + static_cast<int>(seed >> 8) % 120, h = 16 + static_cast<int>(seed >> 20) % 90;
        Picture src = RandomPicture(w, h, seed);
        std::vector<uint8_t> mask = qvtest::StripeMask(w, h);
        NoiseReductionParams noise;
        MosaicParams mosaic;
        mosaic.blockWidth = 7;
        mosaic.blockHeight = 5;
        mosaic.sync = false;
        mosaic.shift = mosaic.tile = true;
        JitterParams jitter;
        EmbossParams emboss;
        emboss.direction = 3;
        std::function<void(const KernelJob&, int)> runs[] = {
            [&](const KernelJob& j, int t) { RunNoiseReduction(j, noise, t); },
            [&](const KernelJob& j, int t) { RunMosaic(j, mosaic, t); },
            [&](const KernelJob& j, int t) { RunJitter(j, jitter, t); },
            [&](const KernelJob& j, int t) { RunEmboss(j, emboss, t); },
            [&](const KernelJob& j, int t) { ExtractEdges(j, t); },
            [&](const KernelJob& j, int t) { SmoothPreservingEdges(j, t); },
        };
        for (size_t i = 0; i < std::size(runs); ++i) {
            Picture one = Filtered(src, [&](const KernelJob& j) { runs[i](j, 1); });
            EXPECT_EQ(Filtered(src, [&](const KernelJob& j) { runs[i](j, 3); }), one) << i << " " << w << "x" << h;
            Picture masked = Filtered(
                src, [&](const KernelJob& j) { runs[i](j, 2); }, mask.data());
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    for (int c = 0; c < 3; ++c) {
                        int m = mask[static_cast<size_t>(y) * w + x], r = one.At(x, y, c), o = src.At(x, y, c);
                        ASSERT_EQ(masked.At(x, y, c), m == 0 ? r : (m == 255 ? o : Blend(127, r) + Blend(128, o)))
                            << i << " " << x << "," << y;
                    }
        }
    }
}

} // namespace
} // namespace qv
