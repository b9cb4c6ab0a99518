// BlendTable: T[a][v] ~ a x v / 255 as bytes, built once. Blending, the selection mask and the
// PNG and GIF transparency all weigh colours through it, so every path rounds the same way.
#pragma once

#include <cstdint>

namespace qv {

struct BlendTable {
    uint8_t t[256][256];
};

// The process-wide table; built on first use (start-up calls it once before any thread starts).
const BlendTable& GetBlendTable();

// One channel of `foreground` over `background` with weight `alpha`: T[a][fg] + T[255 - a][bg].
inline uint8_t BlendChannel(const BlendTable& table, uint8_t alpha, uint8_t foreground, uint8_t background) {
    return static_cast<uint8_t>(table.t[alpha][foreground] + table.t[255 - alpha][background]);
}

} // namespace qv
