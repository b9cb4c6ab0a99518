// The byte-table tone passes on 512-bit vectors with byte permutes (AVX-512 VBMI): 64 pixels at a
// time are split into blue, green and red planes, each plane goes through its 256-byte table as
// two 128-byte permutes, and the planes are woven back. Only the whole 64-pixel steps of each row
// run here; the caller's plain loop does the rest, so every byte equals the plain path's.
#pragma once

#include <cstdint>

namespace qv {

// True when the processor and the system run these bands.
bool HasToneAvx512();

// Pixels [0, return value) of one row: out = table[v] per channel (tables blue, green, red).
int32_t LookupRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* blue, const uint8_t* green,
                        const uint8_t* red);

// Pixels [0, return value) of one row: grey = min(255, blue[b] + green[g] + red[r]) into all three
// channels, where each weight table holds bytes.
int32_t GreyRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* blue, const uint8_t* green,
                      const uint8_t* red);

// The luminance-keeping colour shift's per-value tables, cut into bytes for the permutes: the
// shifted blue b', the shifted luminances YG[g'] and YR[r'] and the three lost luminances, each of
// these as a low and a high byte of its 16-bit value (two's complement for the lost ones).
struct LuminanceShiftBytes {
    uint8_t blue[256];
    uint8_t greenLow[256], greenHigh[256];
    uint8_t redLow[256], redHigh[256];
    uint8_t lostLow[3][256], lostHigh[3][256]; // blue, green, red
};

// Pixels [0, return value) of one row through the shift, computing its corrections and the way
// back from blue units with the same integer arithmetic the shift's tables were filled with.
int32_t LuminanceShiftRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const LuminanceShiftBytes& t);

// Pixels [0, return value) of one row through shadow and highlight correction with the distance
// range 127 (the weight 255 - floor(255 D / 48387) of a squared distance D): a colour near black
// takes T[w][shadow[v]] + T[255 - w][v], one near white the same with `highlight`, any other
// stays. A null curve is a side at strength 0, which keeps its colours.
int32_t ShadowHighlightRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* shadow,
                                 const uint8_t* highlight);

// Pixels [0, return value) of one row through colour replacement: a colour at squared distance D
// <= limit from `from` takes T[w][to] + T[255 - w][v] with w = level[255 - floor(255 D / limit)],
// any other stays. Returns 0 (all for the caller) when the limit is 0 or does not fit 16 bits.
int32_t ReplaceColourRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* from,
                               const uint8_t* to, const uint8_t* level, int32_t limit);

} // namespace qv
