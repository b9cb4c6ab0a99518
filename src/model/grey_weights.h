// Grey weights: the grey value of a blue-green-red pixel as three table look-ups. The mask display
// and several tools need a grey value; one set of tables keeps them all rounding the same way.
#pragma once

#include <cstdint>

namespace qv {

// b[i] = round(0.114 i), g[i] = round(0.587 i), r[i] = round(0.299 i), each rounded half up on
// its own; their sum for one pixel never passes 255.
struct GreyWeights {
    uint8_t b[256];
    uint8_t g[256];
    uint8_t r[256];
};

// The process-wide tables; built on first use (start-up calls it once before any thread starts).
const GreyWeights& GetGreyWeights();

inline uint8_t GreyOf(const GreyWeights& w, uint8_t blue, uint8_t green, uint8_t red) {
    return static_cast<uint8_t>(w.b[blue] + w.g[green] + w.r[red]);
}

} // namespace qv
