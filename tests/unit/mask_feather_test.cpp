// Feathering the selection mask: a hand-computed blur, the radius limit, uniform areas kept exactly
// and the same bytes for every thread count.
#include <gtest/gtest.h>

#include <vector>

#include "tools/gaussian_weights.h"
#include "tools/mask_feather.h"

namespace qv {
namespace {

// The blur as written, rows then columns, with no shortcut for uniform areas: near an edge the
// weighted sum over the weights used, inside the weighted sum shifted by s.
std::vector<uint8_t> ReferenceFeather(const std::vector<uint8_t>& mask, int32_t w, int32_t h, int32_t r) {
    GaussianWeights g;
    BuildGaussianWeights(r, &g);
    std::vector<uint8_t> across(mask.size()), out(mask.size());
    auto blur = [&](const std::vector<uint8_t>& in, std::vector<uint8_t>& to, int32_t step, int32_t n, int32_t lines,
                    int32_t lineStep) {
        for (int32_t l = 0; l < lines; ++l)
            for (int32_t i = 0; i < n; ++i) {
                uint64_t sum = 0, used = 0;
                for (int32_t k = -r; k <= r; ++k)
                    if (i + k >= 0 && i + k < n) {
                        sum += static_cast<uint64_t>(g.At(k)) * in[l * lineStep + (i + k) * step];
                        used += g.At(k);
                    }
                bool inside = i >= r && i < n - r;
                to[l * lineStep + i * step] = static_cast<uint8_t>(inside ? sum >> g.shift : sum / used);
            }
    };
    blur(mask, across, 1, w, h, w);
    blur(across, out, w, h, w, 1);
    return out;
}

TEST(MaskFeatherTest, HandComputedRadiusOne) {
    // r = 1: raw weights 35, 255, 35 (sum 325, s = 8) scale to round(35 x 256 / 325) = 28 and
    // round(255 x 256 / 325) = 201. Rows: the middle 255 gives 201 x 255 >> 8 = 200 and beside it,
    // at the edge where only 201 + 28 are used, 28 x 255 / 229 = 31. Columns then: 28 x 31 / 229 = 3,
    // 201 x 31 >> 8 = 24, 28 x 200 / 229 = 24, 201 x 200 >> 8 = 157.
    std::vector<uint8_t> mask = {0, 0, 0, 0, 255, 0, 0, 0, 0};
    ASSERT_TRUE(FeatherMask(mask.data(), 3, 3, 1));
    EXPECT_EQ(mask, (std::vector<uint8_t>{3, 24, 3, 24, 157, 24, 3, 24, 3}));
}

TEST(MaskFeatherTest, RadiusIsLimitedByTheImage) {
    EXPECT_EQ(FeatherRadius(50, 9, 40), 4);
    EXPECT_EQ(FeatherRadius(50, 40, 10), 4);
    EXPECT_EQ(FeatherRadius(150, 1000, 1000), 100);
    EXPECT_EQ(FeatherRadius(0, 1000, 1000), 1);
    EXPECT_EQ(FeatherRadius(5, 2, 1000), 0);

    const int32_t w = 9, h = 40;
    std::vector<uint8_t> stripe(w * h);
    for (int32_t i = 0; i < w * h; ++i)
        stripe[i] = (i % w) < 4 && (i / w) % 10 < 5 ? 255 : 0;
    std::vector<uint8_t> limited = stripe, four = stripe, three = stripe, narrow(2 * 7, 200);
    ASSERT_TRUE(FeatherMask(limited.data(), w, h, 50));
    ASSERT_TRUE(FeatherMask(four.data(), w, h, 4));
    ASSERT_TRUE(FeatherMask(three.data(), w, h, 3));
    EXPECT_EQ(limited, four);
    EXPECT_NE(limited, three);
    narrow[3] = 0;
    std::vector<uint8_t> before = narrow;
    ASSERT_TRUE(FeatherMask(narrow.data(), 2, 7, 10)); // radius 0: nothing to blur
    EXPECT_EQ(narrow, before);
}

TEST(MaskFeatherTest, UniformAreasKeepTheirValueAndThreadsChangeNothing) {
    // Radius 6 rounds its weights to 1022 of 1024: without the centre taking up the shortfall the
    // shift would make 255 into 254.
    for (int32_t r : {1, 6, 14, 50}) {
        std::vector<uint8_t> all(120 * 110, 255);
        ASSERT_TRUE(FeatherMask(all.data(), 120, 110, r));
        EXPECT_EQ(all, std::vector<uint8_t>(120 * 110, 255)) << r;
    }
    // Noise has no uniform stretch; blocks are mostly uniform, with edges at and near the borders.
    const int32_t w = 150, h = 131;
    std::vector<uint8_t> noise(w * h), blocks(w * h);
    for (int32_t i = 0; i < w * h; ++i) {
        noise[i] = static_cast<uint8_t>((i * 2654435761u) >> 24);
        int32_t x = i % w, y = i / w;
        blocks[i] = x < 3 || (x / 37 + y / 23) % 3 == 0 ? 255 : (x / 37 + y / 23) % 3 == 1 ? 100 : 0;
    }
    for (const std::vector<uint8_t>* mask : {&noise, &blocks})
        for (int32_t r : {1, 20}) {
            std::vector<uint8_t> one = *mask, many = *mask;
            ASSERT_TRUE(FeatherMask(one.data(), w, h, r, 1));
            ASSERT_TRUE(FeatherMask(many.data(), w, h, r, 5));
            EXPECT_EQ(one, ReferenceFeather(*mask, w, h, r)) << r;
            EXPECT_EQ(one, many) << r;
        }
}

} // namespace
} // namespace qv
