// The pieces every tool kernel runs on: band splitting that cannot change a result, the mask
// blend at its two exact ends, the grey weights and the dimmed display of protected pixels.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "model/grey_weights.h"
#include "tools/gaussian_weights.h"
#include "tools/kernel_job.h"
#include "tools/mask_blend.h"
#include "tools/tool_result.h"

namespace qv {
namespace {

// Each output byte depends on its neighbours above and below, so a band that read or wrote the
// wrong rows would show.
void NeighbourSum(const KernelJob& job, const void*) {
    for (int32_t y = job.rowBegin; y < job.rowEnd; ++y) {
        const uint8_t* up = job.source + static_cast<size_t>(y == 0 ? 0 : y - 1) * job.stride;
        const uint8_t* down = job.source + static_cast<size_t>(y + 1 == job.height ? y : y + 1) * job.stride;
        uint8_t* out = job.dest + static_cast<size_t>(y) * job.stride;
        for (uint32_t i = 0; i < static_cast<uint32_t>(job.width) * 3; ++i)
            out[i] = static_cast<uint8_t>(up[i] + down[i]);
    }
}

TEST(KernelJobTest, BandsGiveTheSameBytesForEveryThreadCount) {
    const int32_t w = 37, h = 203;
    KernelJob probe = WholeImageJob(nullptr, nullptr, w, h, nullptr);
    std::vector<uint8_t> src(probe.stride * h);
    for (size_t i = 0; i < src.size(); ++i)
        src[i] = static_cast<uint8_t>(i * 7919u >> 3);
    std::vector<uint8_t> one(src.size()), many(src.size());
    RunKernelBands(WholeImageJob(src.data(), one.data(), w, h, nullptr), NeighbourSum, nullptr, 1);
    for (int threads : {2, 3, 7, 64}) {
        std::fill(many.begin(), many.end(), 0);
        RunKernelBands(WholeImageJob(src.data(), many.data(), w, h, nullptr), NeighbourSum, nullptr, threads);
        EXPECT_EQ(0, std::memcmp(one.data(), many.data(), one.size())) << threads;
    }
}

TEST(KernelJobTest, MaskKeepsProtectedPixelsExactlyAndBlendsTheRest) {
    const int32_t w = 3, h = 1;
    uint8_t source[12] = {10, 20, 30, 10, 20, 30, 200, 100, 0};
    uint8_t result[12] = {250, 240, 230, 250, 240, 230, 0, 200, 255};
    const uint8_t mask[3] = {255, 0, 128};
    KernelJob job = WholeImageJob(source, result, w, h, mask);
    BlendBandWithMask(job);
    EXPECT_EQ(result[0], 10); // protected: the source byte for byte
    EXPECT_EQ(result[2], 30);
    EXPECT_EQ(result[3], 250); // editable: the result unblended
    const BlendTable& t = GetBlendTable();
    EXPECT_EQ(result[6], t.t[127][0] + t.t[128][200]);
    EXPECT_EQ(result[7], t.t[127][200] + t.t[128][100]);
    EXPECT_EQ(result[8], t.t[127][255] + t.t[128][0]);
}

TEST(KernelJobTest, GreyWeightsRoundEachChannelHalfUp) {
    const GreyWeights& g = GetGreyWeights();
    EXPECT_EQ(g.b[255], 29);  // 29.07
    EXPECT_EQ(g.g[255], 150); // 149.685
    EXPECT_EQ(g.r[255], 76);  // 76.245
    EXPECT_EQ(g.g[1], 1);     // 0.587
    EXPECT_EQ(g.r[5], 1);     // 1.495
    EXPECT_EQ(g.b[5], 1);     // 0.57
    EXPECT_EQ(GreyOf(g, 255, 255, 255), 255);
}

TEST(KernelJobTest, MaskDisplayDimsProtectedPixelsOnly) {
    const uint8_t pixels[12] = {255, 255, 255, 0, 0, 0, 40, 50, 60};
    const uint8_t mask[3] = {255, 255, 0};
    uint8_t display[12] = {};
    BuildMaskDisplay(pixels, mask, 3, 1, display);
    EXPECT_EQ(display[0], 64 + 127); // white: grey 255
    EXPECT_EQ(display[3], 64);       // black: grey 0
    EXPECT_EQ(display[6], 40);       // editable: shown as it is
    EXPECT_EQ(display[8], 60);
}

TEST(KernelJobTest, ToolResultIsDescribedAsAnUncompressedBmp) {
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 5, 2, 8, nullptr));
    image->header.biXPelsPerMeter = 3780;
    image->sourceFormat = kFormatPng;
    image->palette[7].rgbRed = 9;
    uint8_t* copy = MakeWorkingCopy(*image);
    ASSERT_NE(copy, nullptr);
    TakeToolResult(image, copy, 5, 2, 24);
    EXPECT_EQ(image->sourceFormat, kFormatBmp);
    EXPECT_EQ(image->sourceBitDepth, 24u);
    EXPECT_EQ(image->fileSize, 16u * 2 + 54);
    EXPECT_EQ(image->header.biXPelsPerMeter, 3780);
    EXPECT_EQ(image->header.biBitCount, 24);
    FreeImageRecord(image);
}

TEST(KernelJobTest, GaussianWeightsAreSymmetricAndSumToTheirShift) {
    GaussianWeights g;
    ASSERT_TRUE(BuildGaussianWeights(1, &g));
    // H = 2 x 0.5^2: raw weights 35, 255, 35, sum 325, shift = bit length of 162 = 8
    EXPECT_EQ(g.rawSum, 325);
    EXPECT_EQ(g.shift, 8);
    EXPECT_EQ(g.At(0), (255 * 256 * 2 + 325) / 650);
    EXPECT_EQ(g.At(-1), g.At(1));
    for (int32_t r : {2, 6, 20, 100}) {
        ASSERT_TRUE(BuildGaussianWeights(r, &g));
        EXPECT_NEAR(g.weightSum, 1 << g.shift, r + 1) << r; // each weight rounds by at most half
        EXPECT_EQ(g.At(-r), g.At(r));
    }
    EXPECT_FALSE(BuildGaussianWeights(101, &g));
}

} // namespace
} // namespace qv
