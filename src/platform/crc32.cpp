#include "platform/crc32.h"

#include <libdeflate.h>

namespace qv {

namespace {
// g_table[0] is the classic byte table; g_table[k] advances a byte that sits k positions before
// the end of an 8-byte block, so eight bytes take eight independent look-ups (slicing by 8).
uint32_t g_table[8][256];
bool g_built = false;
// Below this length the table is as fast as a library call.
constexpr size_t kLibraryCrcFrom = 64;
} // namespace

void BuildCrc32Table() {
    if (g_built) return;
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        g_table[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n) {
        for (int k = 1; k < 8; ++k)
            g_table[k][n] = g_table[0][g_table[k - 1][n] & 0xFF] ^ (g_table[k - 1][n] >> 8);
    }
    g_built = true;
}

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t length) {
    // libdeflate computes the same CRC with carry-less multiplication where the processor has
    // it, several times faster than the tables; that matters for the IDAT data of a large PNG.
    if (length >= kLibraryCrcFrom) return libdeflate_crc32(crc, data, length);
    if (!g_built) BuildCrc32Table();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        const uint8_t* p = data + i;
        uint32_t lo = c ^ (static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
        c = g_table[7][lo & 0xFF] ^ g_table[6][(lo >> 8) & 0xFF] ^ g_table[5][(lo >> 16) & 0xFF] ^
            g_table[4][lo >> 24] ^ g_table[3][p[4]] ^ g_table[2][p[5]] ^ g_table[1][p[6]] ^ g_table[0][p[7]];
    }
    for (; i < length; ++i)
        c = g_table[0][(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

} // namespace qv
