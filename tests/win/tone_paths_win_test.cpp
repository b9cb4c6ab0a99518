// The tone tools' 512-bit paths as the Windows compiler builds them: values spilled to a stack
// that Win64 keeps only 16-byte aligned must not crash, and each path must give the plain bytes.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tools/colour_kernel.h"
#include "tools/tone_kernel.h"

namespace qv {
namespace {

TEST(TonePathsWin, VectorPathsGiveThePlainBytes) {
    const int32_t w = 211, h = 9;
    const uint32_t stride = (w * 3 + 3) & ~3u;
    std::vector<uint8_t> src(stride * h + 4), plain(src.size()), vector(src.size());
    uint32_t seed = 7;
    auto next = [&seed] { return static_cast<uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24); };
    for (uint8_t& b : src)
        b = next();
    ChannelLookup lookup;
    for (int v = 0; v < 256; ++v)
        lookup.blue[v] = next(), lookup.green[v] = next(), lookup.red[v] = next();
    GreyscaleOp grey[2];
    auto shadow = std::make_unique<ShadowHighlightOp[]>(2);
    auto shift = std::make_unique<LuminanceShiftOp[]>(2);
    auto replace = std::make_unique<ReplaceColourOp[]>(2);
    ReplaceColourParams rp;
    rp.range = 120;
    for (int i = 0; i < 2; ++i) {
        KernelPath path = i == 0 ? KernelPath::Plain : KernelPath::Best;
        std::vector<uint8_t>& out = i == 0 ? plain : vector;
        for (TonePass pass :
             {LookupPass(&lookup, path), PrepareGreyscale({200, 500, 300}, &grey[i], path),
              PrepareShadowHighlight({40, 25}, &shadow[i], path), PrepareColourBalance({60, -20, 5}, &shift[i], path),
              PrepareReplaceColour(rp, &replace[i], path)}) {
            std::vector<uint8_t> one(src.size());
            RunTonePass(pass, WholeImageJob(src.data(), one.data(), w, h, nullptr), 1);
            out.insert(out.end(), one.begin(), one.end());
        }
    }
    EXPECT_EQ(plain, vector);
}

} // namespace
} // namespace qv
