// The tables every tone and colour tool looks values up in: gamma curves, the stretch of a
// black-to-white span onto 0..255, squares for colour distances, the distance weights of a colour
// range, and the luminance tables of the luminance-keeping colour shift. Built once in floating
// point where a curve needs it; the kernels then run on integers only.
#pragma once

#include <cstdint>

namespace qv {

constexpr int32_t kGammaMin = -100;
constexpr int32_t kGammaMax = 100;
constexpr int32_t kColourRangeMax = 150; // the widest colour range a tool offers
// |dY| of the luminance-keeping shift never passes 255 + YG[255] + YR[255] blue units
constexpr int32_t kLuminanceDeltaMax = 255 + 1313 + 668;

struct ToneTables {
    // gamma[k + 100] is G_k: 255 (j / 255)^e_k with e_k = cot(theta_k), theta_k = 2 (k + 100) / 5 + 5
    // degrees; k > 0 brightens, k < 0 darkens, G_0 is the identity
    uint8_t gamma[kGammaMax - kGammaMin + 1][256];
    // stretch[w][j] is S_w[j] for a span w = 1..255 (row 0 unused): j spread from 0..w onto 0..255
    uint8_t stretch[256][256];
    int32_t squares[511]; // squares[d + 255] = d^2 for d = -255..255
    // luminance in blue units: YB[n] = n, lumaGreen[n] = trunc(587 n / 114), lumaRed[n] = trunc(299 n / 114)
    int16_t lumaGreen[256];
    int16_t lumaRed[256];
    // odd-symmetric corrections c(i) of the shift, index i + kLuminanceDeltaMax
    int16_t correctBlue[2 * kLuminanceDeltaMax + 1];
    int16_t correctGreen[2 * kLuminanceDeltaMax + 1];
    int16_t correctRed[2 * kLuminanceDeltaMax + 1];
    // reciprocal[n] = ceil(2^32 / n) for n = 1..510: see DivideSmall
    uint64_t reciprocal[511];
};

// The process-wide tables, built on first use (thread-safe: a function-local static).
const ToneTables& GetToneTables();

inline const uint8_t* GammaCurve(const ToneTables& t, int32_t k) {
    return t.gamma[k - kGammaMin];
}
inline int32_t Square(const ToneTables& t, int32_t d) {
    return t.squares[d + 255];
}
// floor(x / n) for 0 <= x <= 65535 and 1 <= n <= 510, by one multiplication: x ceil(2^32 / n)
// overshoots x / n by less than x / 2^32 < 1 / 510, too little to reach the next integer.
inline uint32_t DivideSmall(const ToneTables& t, uint32_t x, uint32_t n) {
    return static_cast<uint32_t>((x * t.reciprocal[n]) >> 32);
}

// W_R: the weight of a colour at squared distance D from a reference colour, for a range R of
// 0..kColourRangeMax. Inside the range (D <= limit = 3 R^2) the weight falls linearly from 255 at
// the reference to 0 at the edge: W[D] = 255 - floor(D x 255 / limit); range 0 admits only D = 0.
struct DistanceWeights {
    int32_t range = 0;
    int32_t limit = 0;
    uint8_t weight[3 * kColourRangeMax * kColourRangeMax + 1];
};

// Fills `w` for `range` (clamped to 0..kColourRangeMax).
void BuildDistanceWeights(int32_t range, DistanceWeights* w);

// Squared distance of (b, g, r) from (rb, rg, rr) through the squares table.
inline int32_t ColourDistance(const ToneTables& t, int32_t b, int32_t g, int32_t r, int32_t rb, int32_t rg,
                              int32_t rr) {
    return Square(t, b - rb) + Square(t, g - rg) + Square(t, r - rr);
}

inline int32_t ClampInt(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : v > hi ? hi : v;
}
inline uint8_t ClampByte(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

} // namespace qv
