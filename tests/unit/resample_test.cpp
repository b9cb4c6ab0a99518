// Resampling: the hand-worked rows, flat pictures staying flat and reductions staying inside the
// range of their inputs for every size, the passes against a line-by-line transcription of the
// rule, every band split giving the same bytes, and the refusals leaving the target untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/resample.h"
#include "tools/resize_kernel.h"

namespace qv {
namespace {

uint32_t Stride(int32_t w) {
    return (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
}

using Plane = std::vector<uint8_t>;

Plane Blank(int32_t w, int32_t h, uint8_t fill = 0) {
    return Plane(static_cast<size_t>(Stride(w)) * h + 4, fill);
}

Plane Scaled(const Plane& src, int32_t w, int32_t h, int32_t nw, int32_t nh, int threads = 1) {
    Plane out = Blank(nw, nh, 0xCD);
    EXPECT_TRUE(Resample(src.data(), w, h, out.data(), nw, nh, ResampleOnKernelBands, threads))
        << w << "x" << h << " -> " << nw << "x" << nh;
    return out;
}

uint8_t At(const Plane& p, int32_t w, int32_t x, int32_t y, int ch) {
    return p[static_cast<size_t>(y) * Stride(w) + static_cast<size_t>(x) * 3 + ch];
}

// One line of values scaled from m to n, written out step by step: a reduction walks the line
// with a floating coverage and a division table, summing in half values when it keeps more than
// half of the line; an enlargement interpolates between neighbours.
std::vector<int> ReferenceLine(const std::vector<int>& line, int n) {
    const int m = static_cast<int>(line.size());
    std::vector<int> out;
    const double d = static_cast<double>(m) / n;
    if (n > m) {
        double t = 0;
        for (int x = 0; x < n; ++x, t += d) {
            int i = static_cast<int>(t);
            double f = t - i;
            out.push_back(i < m - 1 ? static_cast<int>(line[i] * (1 - f) + line[i + 1] * f + 0.5) : line[m - 1]);
        }
        return out;
    }
    const int unit = d < 2 ? 2 : 1;
    const int last = static_cast<int>(d * unit * 255 + 0.5);
    std::vector<int> divide(last + 2);
    for (int i = 0; i <= last; ++i)
        divide[i] = static_cast<int>(i / (d * unit) + 0.5);
    divide[last + 1] = 255;
    int sum = 0;
    double c = 0;
    for (int i = 0; i < m - 1; ++i) {
        int v = line[i] * unit;
        c += 1;
        sum += v;
        if (c >= d) {
            c -= d;
            int k = static_cast<int>(v * c + 0.5);
            out.push_back(divide[sum - k]);
            sum = k;
        }
    }
    out.push_back(divide[sum + line[m - 1] * unit]);
    return out;
}

// The whole picture: every byte column (bottom row first), then every row of each channel.
Plane ReferenceScale(const Plane& src, int32_t w, int32_t h, int32_t nw, int32_t nh) {
    Plane mid = Blank(w, nh);
    for (int32_t x = 0; x < w * 3; ++x) {
        std::vector<int> column;
        for (int32_t y = 0; y < h; ++y)
            column.push_back(src[static_cast<size_t>(y) * Stride(w) + x]);
        std::vector<int> scaled = nh == h ? column : ReferenceLine(column, nh);
        for (int32_t y = 0; y < nh; ++y)
            mid[static_cast<size_t>(y) * Stride(w) + x] = static_cast<uint8_t>(scaled[y]);
    }
    Plane out = Blank(nw, nh);
    for (int32_t y = 0; y < nh; ++y)
        for (int ch = 0; ch < 3; ++ch) {
            std::vector<int> row;
            for (int32_t x = 0; x < w; ++x)
                row.push_back(At(mid, w, x, y, ch));
            std::vector<int> scaled = nw == w ? row : ReferenceLine(row, nw);
            for (int32_t x = 0; x < nw; ++x)
                out[static_cast<size_t>(y) * Stride(nw) + static_cast<size_t>(x) * 3 + ch] =
                    static_cast<uint8_t>(scaled[x]);
        }
    return out;
}

Plane Noise(int32_t w, int32_t h, uint32_t seed, int low = 0, int high = 255) {
    Plane p = Blank(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w * 3; ++x) {
            seed = seed * 1664525u + 1013904223u;
            p[static_cast<size_t>(y) * Stride(w) + x] = static_cast<uint8_t>(low + (seed >> 24) % (high - low + 1));
        }
    return p;
}

bool SamePixels(const Plane& a, const Plane& b, int32_t w, int32_t h) {
    for (int32_t y = 0; y < h; ++y)
        if (std::memcmp(&a[static_cast<size_t>(y) * Stride(w)], &b[static_cast<size_t>(y) * Stride(w)],
                        static_cast<size_t>(w) * 3) != 0)
            return false;
    return true;
}

TEST(ResampleTest, HandWorkedRows) {
    // 10 20 30 40 halved: (10 + 20) / 2 and (30 + 40) / 2
    Plane row = Blank(4, 1);
    const uint8_t values[4] = {10, 20, 30, 40};
    for (int x = 0; x < 4; ++x)
        row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = values[x];
    Plane half = Scaled(row, 4, 1, 2, 1);
    EXPECT_EQ(At(half, 2, 0, 0, 0), 15);
    EXPECT_EQ(At(half, 2, 1, 0, 2), 35);
    // the same four values as a column
    Plane column = Blank(1, 4);
    for (int y = 0; y < 4; ++y)
        column[y * 4 + 1] = values[y];
    Plane low = Scaled(column, 1, 4, 1, 2);
    EXPECT_EQ(At(low, 1, 0, 0, 1), 15);
    EXPECT_EQ(At(low, 1, 0, 1, 1), 35);
    // 30 60 90 to two: the middle pixel splits half and half, (30 + 30) / 1.5 and (30 + 90) / 1.5
    Plane three = Blank(3, 1);
    three[0] = 30, three[3] = 60, three[6] = 90;
    Plane two = Scaled(three, 3, 1, 2, 1);
    EXPECT_EQ(At(two, 2, 0, 0, 0), 40);
    EXPECT_EQ(At(two, 2, 1, 0, 0), 80);
    // 0 100 doubled: the step is half a pixel, and the last source pixel is held
    Plane pair = Blank(2, 1);
    pair[3] = 100;
    Plane four = Scaled(pair, 2, 1, 4, 1);
    EXPECT_EQ(At(four, 4, 0, 0, 0), 0);
    EXPECT_EQ(At(four, 4, 1, 0, 0), 50);
    EXPECT_EQ(At(four, 4, 2, 0, 0), 100);
    EXPECT_EQ(At(four, 4, 3, 0, 0), 100);
    // four 1s to three: rounding the carried parts separately would make the middle one 2
    Plane ones = Blank(4, 1, 1);
    Plane threeOnes = Scaled(ones, 4, 1, 3, 1);
    EXPECT_EQ(At(threeOnes, 3, 1, 0, 0), 1);
}

TEST(ResampleTest, FlatPicturesStayFlatForEverySize) {
    for (uint8_t v : {0, 1, 77, 254, 255})
        for (int32_t w : {1, 2, 3, 4, 7})
            for (int32_t h : {1, 3, 5}) {
                Plane flat = Blank(w, h, v);
                for (int32_t nw = 1; nw <= 2 * w; ++nw)
                    for (int32_t nh = 1; nh <= 2 * h; ++nh) {
                        Plane out = Scaled(flat, w, h, nw, nh);
                        for (int32_t y = 0; y < nh; ++y)
                            for (int32_t x = 0; x < nw * 3; ++x)
                                ASSERT_EQ(out[static_cast<size_t>(y) * Stride(nw) + x], v)
                                    << int(v) << ": " << w << "x" << h << " -> " << nw << "x" << nh;
                    }
            }
    // long lines reach coverages that short ones do not
    for (uint8_t v : {1, 5, 250})
        for (int32_t m : {97, 400})
            for (int32_t n = 1; n < m; n += 1 + n / 8) {
                Plane out = Scaled(Blank(m, 1, v), m, 1, n, 1);
                for (int32_t x = 0; x < n * 3; ++x)
                    ASSERT_EQ(out[x], v) << m << " -> " << n;
            }
}

TEST(ResampleTest, ReductionNeverLeavesTheRangeOfItsInputs) {
    uint32_t seed = 7;
    for (int trial = 0; trial < 300; ++trial) {
        seed = seed * 69069u + 1;
        const int32_t w = 2 + static_cast<int32_t>(seed >> 8) % 40, h = 1 + static_cast<int32_t>(seed >> 16) % 6;
        const int low = static_cast<int>(seed >> 3) % 200, high = low + 1 + static_cast<int>(seed >> 20) % 55;
        const int32_t nw = 1 + static_cast<int32_t>(seed >> 12) % (w - 1),
                      nh = 1 + static_cast<int32_t>(seed % static_cast<uint32_t>(h));
        Plane out = Scaled(Noise(w, h, seed, low, high), w, h, nw, nh);
        for (int32_t y = 0; y < nh; ++y)
            for (int32_t x = 0; x < nw * 3; ++x) {
                int v = out[static_cast<size_t>(y) * Stride(nw) + x];
                ASSERT_TRUE(v >= low && v <= high)
                    << v << " outside " << low << "-" << high << ": " << w << "x" << h << " -> " << nw << "x" << nh;
            }
    }
}

TEST(ResampleTest, PassesMatchTheLineByLineRuleOnEveryBandSplit) {
    const int32_t w = 37, h = 41;
    Plane src = Noise(w, h, 12345);
    const int32_t sizes[][2] = {{18, 20}, {36, 40}, {19, 41}, {37, 13}, {74, 82}, {50, 30}, {1, 1}, {5, 70}, {37, 41}};
    for (const auto& s : sizes) {
        Plane want = ReferenceScale(src, w, h, s[0], s[1]);
        for (int threads : {1, 2, 3}) {
            Plane got = Scaled(src, w, h, s[0], s[1], threads);
            EXPECT_TRUE(SamePixels(got, want, s[0], s[1])) << s[0] << "x" << s[1] << " threads " << threads;
        }
    }
    // a reduction by more than 256 sums past 16 bits
    Plane line = Noise(600, 1, 99);
    Plane want = ReferenceScale(line, 600, 1, 2, 1);
    EXPECT_TRUE(SamePixels(Scaled(line, 600, 1, 2, 1), want, 2, 1));
    Plane column = Noise(1, 600, 98);
    EXPECT_TRUE(SamePixels(Scaled(column, 1, 600, 1, 2), ReferenceScale(column, 1, 600, 1, 2), 1, 2));
}

TEST(ResampleTest, RefusesMoreThanDoubleAndEmptySidesWithoutTouchingTheTarget) {
    Plane src = Noise(100, 100, 3);
    Plane out = Blank(201, 100, 0xAB);
    const Plane before = out;
    EXPECT_FALSE(Resample(src.data(), 100, 100, out.data(), 201, 100));
    EXPECT_FALSE(Resample(src.data(), 100, 100, out.data(), 100, 201));
    EXPECT_FALSE(Resample(src.data(), 100, 100, out.data(), 0, 100));
    EXPECT_FALSE(Resample(src.data(), 100, 100, out.data(), 100, -5));
    EXPECT_EQ(out, before);
    EXPECT_TRUE(Resample(src.data(), 100, 100, out.data(), 200, 100));
    EXPECT_TRUE(ResampleSizeAllowed(1, 1, 2, 2));
    EXPECT_FALSE(ResampleSizeAllowed(1, 1, 3, 1));
}

} // namespace
} // namespace qv
