#include "platform/crc32.h"

namespace qv {

namespace {
uint32_t g_table[256];
bool g_built = false;
} // namespace

void BuildCrc32Table() {
    if (g_built) return;
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        g_table[n] = c;
    }
    g_built = true;
}

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length) {
    if (!g_built) BuildCrc32Table();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i)
        c = g_table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

} // namespace qv
