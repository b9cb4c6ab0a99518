#include "tools/filter_tables.h"

namespace qv {

namespace {
FilterTables g_tables;

bool BuildFilterTables(FilterTables* t) {
    for (int32_t i = 0; i <= 100; ++i)
        t->strength[i] = static_cast<uint8_t>((i * 255 * 2 + 100) / 200); // half up
    // index 0 gives 0 by the formula itself
    for (int32_t i = 0; i <= 9 * 255; ++i)
        t->div9[i] = static_cast<uint8_t>((7281 * i + 32768) >> 16);
    for (int32_t i = 0; i <= 25 * 255; ++i)
        t->div25[i] = static_cast<uint8_t>((2621 * i + 32768) >> 16);
    for (int32_t level = 0; level < kUnsharpLevels; ++level)
        for (int32_t d = -128; d <= 127; ++d)
            t->amount[level][d + 128] = static_cast<int16_t>((level * d) >> 3); // arithmetic shift: floor
    for (int32_t x = kClampLowest; x <= kClampHighest; ++x)
        t->clampTable[x - kClampLowest] = static_cast<uint8_t>(x < 0 ? 0 : (x > 255 ? 255 : x));
    for (int32_t d = -255; d <= 255; ++d)
        t->squares[d + 255] = d * d;
    return true;
}
} // namespace

const FilterTables& GetFilterTables() {
    // a function-local static is built exactly once, even when two workers ask first
    static const bool built = BuildFilterTables(&g_tables);
    (void)built;
    return g_tables;
}

} // namespace qv
