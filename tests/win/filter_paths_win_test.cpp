// The Gaussian's vector paths as the Windows compiler builds them: 256-bit values spilled to a
// stack that Win64 keeps only 16-byte aligned must not crash, and every path must give the plain
// path's bytes here too.
#include <gtest/gtest.h>

#include <vector>

#include "tools/gaussian_blur_kernel.h"

namespace qv {
namespace {

TEST(FilterPathsWin, VectorPathsGiveThePlainBytes) {
    const int32_t w = 211, h = 67;
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::vector<uint8_t> src(stride * h + 4), plain(src.size()), vector(src.size());
    uint32_t seed = 7;
    for (uint8_t& b : src)
        b = static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (int32_t radius : {1, 6, 20}) {
        ASSERT_TRUE(
            RunGaussianBlur(WholeImageJob(src.data(), plain.data(), w, h, nullptr), radius, 1, KernelPath::Plain));
        for (KernelPath path : {KernelPath::Sse2, KernelPath::Avx2}) {
            ASSERT_TRUE(RunGaussianBlur(WholeImageJob(src.data(), vector.data(), w, h, nullptr), radius, 2, path));
            EXPECT_EQ(plain, vector) << radius << " " << static_cast<int>(path);
        }
    }
}

} // namespace
} // namespace qv
