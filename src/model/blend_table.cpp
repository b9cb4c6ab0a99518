#include "model/blend_table.h"

namespace qv {

namespace {
BlendTable g_table;
bool g_built = false;

void BuildBlendTable(BlendTable* table) {
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t v = 0; v < 256; ++v) {
            uint32_t value;
            if (a == 0 || v == 0) {
                value = 0;
            } else if (a == 255) {
                value = v;
            } else if (v == 255) {
                value = a;
            } else {
                // the fixed-point reciprocal is taken of the smaller factor, so the table is symmetric
                uint32_t m = a < v ? a : v, big = a < v ? v : a;
                uint32_t c = m * 65536u / 255u;
                value = (big * c + 32768u) >> 16;
            }
            table->t[a][v] = static_cast<uint8_t>(value);
        }
    }
}
} // namespace

const BlendTable& GetBlendTable() {
    if (!g_built) {
        BuildBlendTable(&g_table);
        g_built = true;
    }
    return g_table;
}

} // namespace qv
