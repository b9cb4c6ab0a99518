// The blend table every transparency and mask blend goes through: values pinned from its
// definition, and every entry equal to the definition computed apart from the product.
#include <gtest/gtest.h>

#include "model/blend_table.h"
#include "test_support.h"

namespace qv {
namespace {

TEST(BlendTableTest, HoldsTheDefinedValues) {
    const BlendTable& t = GetBlendTable();
    // worked by hand from the definition
    EXPECT_EQ(t.t[128][255], 128);
    EXPECT_EQ(t.t[255][77], 77);
    EXPECT_EQ(t.t[1][1], 0);
    EXPECT_EQ(t.t[254][254], 253);
    EXPECT_EQ(t.t[128][128], 64); // 128 x floor(128 x 65536 / 255) = 128 x 32896, + 32768, >> 16
    EXPECT_EQ(t.t[127][48], 24);
    EXPECT_EQ(t.t[3][250], 3);
    EXPECT_EQ(t.t[0][200], 0);
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t v = 0; v < 256; ++v)
            ASSERT_EQ(t.t[a][v], qvtest::DefinedBlendValue(a, v)) << a << " " << v;
    EXPECT_EQ(BlendChannel(t, 128, 255, 0x30), 152); // T[128][255] + T[127][0x30]
}

} // namespace
} // namespace qv
