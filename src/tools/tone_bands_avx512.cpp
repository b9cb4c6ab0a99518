#include "tools/tone_bands_avx512.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QV_HAVE_AVX512_BANDS 1
#endif

// GCC 12 warns about the deliberately undefined inputs inside its own 512-bit intrinsics.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace qv {

#ifdef QV_HAVE_AVX512_BANDS

bool HasToneAvx512() {
    static const bool has =
        __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi");
    return has;
}

#define QV_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace {

// The permute indices of the split and the weave, built once: 64 pixels are 192 bytes, three
// vectors. Plane c's lane p comes from byte 3p + c: bytes below 128 from the first two vectors in
// one two-source permute, the rest from the third. Output byte 64j + i is pixel (64j + i) / 3's
// channel (64j + i) % 3: blue and green from one two-source permute, red in a second step.
struct WeaveIndices {
    uint8_t split[3][64];
    uint64_t splitHigh[3]; // lanes of plane c whose byte lies in the third vector
    uint8_t weave[3][64];
    uint64_t weaveRed[3]; // lanes of output vector j that take red
    WeaveIndices() {
        for (int c = 0; c < 3; ++c) {
            splitHigh[c] = 0;
            for (int p = 0; p < 64; ++p) {
                int byte = 3 * p + c;
                split[c][p] = static_cast<uint8_t>(byte);
                if (byte >= 128) splitHigh[c] |= uint64_t{1} << p;
            }
        }
        for (int j = 0; j < 3; ++j) {
            weaveRed[j] = 0;
            for (int i = 0; i < 64; ++i) {
                int pixel = (64 * j + i) / 3, channel = (64 * j + i) % 3;
                weave[j][i] = static_cast<uint8_t>(channel == 2 ? pixel : pixel + 64 * channel);
                if (channel == 2) weaveRed[j] |= uint64_t{1} << i;
            }
        }
    }
};

const WeaveIndices& Indices() {
    static const WeaveIndices indices;
    return indices;
}

struct Planes {
    __m512i blue, green, red;
};

struct Table {
    __m512i low0, low1, high0, high1; // entries 0..63, 64..127, 128..191, 192..255
};

QV_AVX512 inline Table LoadTable(const uint8_t* t) {
    return {_mm512_loadu_si512(t), _mm512_loadu_si512(t + 64), _mm512_loadu_si512(t + 128),
            _mm512_loadu_si512(t + 192)};
}

QV_AVX512 inline __m512i Look(const Table& t, __m512i v) {
    __m512i low = _mm512_permutex2var_epi8(t.low0, v, t.low1);
    __m512i high = _mm512_permutex2var_epi8(t.high0, v, t.high1);
    return _mm512_mask_mov_epi8(low, _mm512_movepi8_mask(v), high);
}

struct Weave {
    __m512i split[3], weave[3];
    __mmask64 splitHigh[3], weaveRed[3];
};

QV_AVX512 inline Weave LoadWeave() {
    const WeaveIndices& w = Indices();
    Weave out;
    for (int c = 0; c < 3; ++c) {
        out.split[c] = _mm512_loadu_si512(w.split[c]);
        out.weave[c] = _mm512_loadu_si512(w.weave[c]);
        out.splitHigh[c] = w.splitHigh[c];
        out.weaveRed[c] = w.weaveRed[c];
    }
    return out;
}

QV_AVX512 inline Planes Split(const Weave& w, const uint8_t* s) {
    __m512i v0 = _mm512_loadu_si512(s), v1 = _mm512_loadu_si512(s + 64), v2 = _mm512_loadu_si512(s + 128);
    __m512i plane[3];
    for (int c = 0; c < 3; ++c) {
        plane[c] = _mm512_permutex2var_epi8(v0, w.split[c], v1);
        plane[c] = _mm512_mask_permutexvar_epi8(plane[c], w.splitHigh[c], w.split[c], v2);
    }
    return {plane[0], plane[1], plane[2]};
}

QV_AVX512 inline void Join(const Weave& w, const Planes& p, uint8_t* d) {
    for (int j = 0; j < 3; ++j) {
        __m512i v = _mm512_permutex2var_epi8(p.blue, w.weave[j], p.green);
        v = _mm512_mask_permutexvar_epi8(v, w.weaveRed[j], w.weave[j], p.red);
        _mm512_storeu_si512(d + 64 * j, v);
    }
}

} // namespace

QV_AVX512 int32_t LookupRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* blue,
                                  const uint8_t* green, const uint8_t* red) {
    const Weave w = LoadWeave();
    const Table b = LoadTable(blue), g = LoadTable(green), r = LoadTable(red);
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        Planes p = Split(w, source + 3 * x);
        Join(w, {Look(b, p.blue), Look(g, p.green), Look(r, p.red)}, dest + 3 * x);
    }
    return x;
}

QV_AVX512 int32_t GreyRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* blue,
                                const uint8_t* green, const uint8_t* red) {
    const Weave w = LoadWeave();
    const Table b = LoadTable(blue), g = LoadTable(green), r = LoadTable(red);
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        Planes p = Split(w, source + 3 * x);
        // saturating adds: once a partial sum reaches 255 the whole sum does
        __m512i grey = _mm512_adds_epu8(_mm512_adds_epu8(Look(b, p.blue), Look(g, p.green)), Look(r, p.red));
        Join(w, {grey, grey, grey}, dest + 3 * x);
    }
    return x;
}

namespace {

struct Words {
    __m512i first, second; // the 16-bit values of a plane's 64 pixels, in unpack order
};

QV_AVX512 inline Words Widen(__m512i low, __m512i high) {
    return {_mm512_unpacklo_epi8(low, high), _mm512_unpackhi_epi8(low, high)};
}

QV_AVX512 inline __m512i Half(const Words& v, int half) {
    return half == 0 ? v.first : v.second;
}

QV_AVX512 inline Words LookWords(const uint8_t* low, const uint8_t* high, __m512i v) {
    return Widen(Look(LoadTable(low), v), Look(LoadTable(high), v));
}

// sign(i) ((factor |i|) >> 12) for |i| <= 4095: |i| 16 times factor, high half of the product.
QV_AVX512 inline __m512i OddShift(__m512i magnitude16, __mmask32 negative, int16_t factor) {
    __m512i c = _mm512_mulhi_epu16(magnitude16, _mm512_set1_epi16(factor));
    return _mm512_mask_sub_epi16(c, negative, _mm512_setzero_si512(), c);
}

// (factor clamp(v, 0, top)) >> bits, with top << (16 - bits) below 2^16.
QV_AVX512 inline __m512i BackFromBlueUnits(__m512i v, int16_t top, int16_t factor, int bits) {
    v = _mm512_min_epi16(_mm512_max_epi16(v, _mm512_setzero_si512()), _mm512_set1_epi16(top));
    return _mm512_mulhi_epu16(_mm512_sll_epi16(v, _mm_cvtsi32_si128(16 - bits)), _mm512_set1_epi16(factor));
}

} // namespace

QV_AVX512 int32_t LuminanceShiftRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width,
                                          const LuminanceShiftBytes& t) {
    const Weave w = LoadWeave();
    const __m512i zero = _mm512_setzero_si512();
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        Planes p = Split(w, source + 3 * x);
        Words blue = Widen(Look(LoadTable(t.blue), p.blue), zero);
        Words green = LookWords(t.greenLow, t.greenHigh, p.green);
        Words red = LookWords(t.redLow, t.redHigh, p.red);
        Words lostBlue = LookWords(t.lostLow[0], t.lostHigh[0], p.blue);
        Words lostGreen = LookWords(t.lostLow[1], t.lostHigh[1], p.green);
        Words lostRed = LookWords(t.lostLow[2], t.lostHigh[2], p.red);
        __m512i out[3][2];
        for (int half = 0; half < 2; ++half) {
            __m512i lost =
                _mm512_add_epi16(_mm512_add_epi16(Half(lostBlue, half), Half(lostGreen, half)), Half(lostRed, half));
            __mmask32 negative = _mm512_movepi16_mask(lost);
            __m512i magnitude16 = _mm512_slli_epi16(_mm512_abs_epi16(lost), 4);
            out[0][half] = _mm512_add_epi16(Half(blue, half), OddShift(magnitude16, negative, 468));
            __m512i g = _mm512_add_epi16(Half(green, half), OddShift(magnitude16, negative, 2406));
            __m512i r = _mm512_add_epi16(Half(red, half), OddShift(magnitude16, negative, 1224));
            out[1][half] = BackFromBlueUnits(g, 1313, 398, 11);
            out[2][half] = BackFromBlueUnits(r, 668, 391, 10);
        }
        // the blue clamp to 0..255 is the pack's own saturation
        Join(w,
             {_mm512_packus_epi16(out[0][0], out[0][1]), _mm512_packus_epi16(out[1][0], out[1][1]),
              _mm512_packus_epi16(out[2][0], out[2][1])},
             dest + 3 * x);
    }
    return x;
}

namespace {

// T[a][v] of the blend table for all a, v: the table's (b floor(m 65536 / 255) + 32768) >> 16 with
// m = min(a, v), b = max(a, v) is (257 a v + 32768) >> 16, since floor(m 65536 / 255) = 257 m below
// 255 and the ends (0, and 255 keeping the other value) come out the same; with t = a v that is
// (t + (t >> 8) + 128) >> 8, which stays inside 16 bits.
QV_AVX512 inline __m512i Blend16(__m512i a, __m512i v) {
    __m512i t = _mm512_mullo_epi16(a, v);
    __m512i sum = _mm512_add_epi16(_mm512_add_epi16(t, _mm512_srli_epi16(t, 8)), _mm512_set1_epi16(128));
    return _mm512_srli_epi16(sum, 8);
}

QV_AVX512 inline __m512i SumOfSquares(__m512i b, __m512i g, __m512i r) {
    return _mm512_adds_epu16(_mm512_adds_epu16(_mm512_mullo_epi16(b, b), _mm512_mullo_epi16(g, g)),
                             _mm512_mullo_epi16(r, r));
}

// floor(255 D / limit) for 0 <= D <= limit < 2^16, what the distance weight 255 - floor(255 D /
// limit) leaves to the source. 255 D stays below 2^24, exact in single precision; the correctly
// rounded quotient is never below the true one and at most rounds up to the next integer, which one
// multiplication back finds and takes away.
QV_AVX512 inline __m512i QuotientPart(__m256i d, __m512i l32) {
    __m512i x = _mm512_mullo_epi32(_mm512_cvtepu16_epi32(d), _mm512_set1_epi32(255));
    __m512i q = _mm512_cvttps_epi32(_mm512_div_ps(_mm512_cvtepi32_ps(x), _mm512_cvtepi32_ps(l32)));
    __mmask16 over = _mm512_cmpgt_epi32_mask(_mm512_mullo_epi32(q, l32), x);
    return _mm512_mask_sub_epi32(q, over, q, _mm512_set1_epi32(1));
}

QV_AVX512 inline __m512i DistanceShare(__m512i d, int32_t limit) {
    const __m512i l32 = _mm512_set1_epi32(limit);
    __m256i low = _mm512_cvtepi32_epi16(QuotientPart(_mm512_castsi512_si256(d), l32));
    __m256i high = _mm512_cvtepi32_epi16(QuotientPart(_mm512_extracti64x4_epi64(d, 1), l32));
    return _mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1);
}

} // namespace

QV_AVX512 int32_t ShadowHighlightRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* shadow,
                                           const uint8_t* highlight) {
    constexpr int32_t kLimit = 3 * 127 * 127;
    if (shadow == nullptr && highlight == nullptr) return 0;
    const Weave w = LoadWeave();
    const __m512i zero = _mm512_setzero_si512(), top = _mm512_set1_epi16(255),
                  limit = _mm512_set1_epi16(static_cast<int16_t>(kLimit));
    const Table lift = LoadTable(shadow != nullptr ? shadow : highlight);
    const Table lower = LoadTable(highlight != nullptr ? highlight : shadow);
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        Planes p = Split(w, source + 3 * x);
        __m512i plane[3] = {p.blue, p.green, p.red};
        Words v[3];
        for (int c = 0; c < 3; ++c)
            v[c] = Widen(plane[c], zero);
        __mmask32 black[2], white[2];
        __m512i distance[2];
        for (int half = 0; half < 2; ++half) {
            __m512i b = Half(v[0], half), g = Half(v[1], half), r = Half(v[2], half);
            __m512i toBlack = SumOfSquares(b, g, r);
            __m512i toWhite =
                SumOfSquares(_mm512_sub_epi16(top, b), _mm512_sub_epi16(top, g), _mm512_sub_epi16(top, r));
            // the two ranges cannot overlap: 2 x 127 < 255
            black[half] = shadow == nullptr ? 0 : _mm512_cmple_epu16_mask(toBlack, limit);
            white[half] = highlight == nullptr ? 0 : _mm512_cmple_epu16_mask(toWhite, limit);
            white[half] = _kandn_mask32(_mm512_cmple_epu16_mask(toBlack, limit), white[half]);
            distance[half] = _mm512_mask_mov_epi16(toWhite, black[half], toBlack);
        }
        if ((black[0] | white[0] | black[1] | white[1]) == 0) {
            // colours in between, common in photographs: the source as it is
            for (int j = 0; j < 3; ++j)
                _mm512_storeu_si512(dest + 3 * x + 64 * j, _mm512_loadu_si512(source + 3 * x + 64 * j));
            continue;
        }
        // a block rarely holds colours of both ends: look up only the curves it needs
        bool anyBlack = (black[0] | black[1]) != 0, anyWhite = (white[0] | white[1]) != 0;
        Words lifted[3], lowered[3];
        for (int c = 0; c < 3; ++c) {
            if (anyBlack) lifted[c] = Widen(Look(lift, plane[c]), zero);
            if (anyWhite) lowered[c] = Widen(Look(lower, plane[c]), zero);
            if (!anyBlack) lifted[c] = lowered[c];
            if (!anyWhite) lowered[c] = lifted[c];
        }
        __m512i out[3][2];
        for (int half = 0; half < 2; ++half) {
            __m512i rest = DistanceShare(distance[half], kLimit);
            __m512i weight = _mm512_sub_epi16(top, rest);
            __mmask32 moves = black[half] | white[half];
            for (int c = 0; c < 3; ++c) {
                __m512i value = Half(v[c], half);
                __m512i curve = _mm512_mask_mov_epi16(Half(lowered[c], half), black[half], Half(lifted[c], half));
                // the tables keep the low byte of the sum
                __m512i moved = _mm512_and_si512(_mm512_add_epi16(Blend16(weight, curve), Blend16(rest, value)), top);
                out[c][half] = _mm512_mask_mov_epi16(value, moves, moved);
            }
        }
        Join(w,
             {_mm512_packus_epi16(out[0][0], out[0][1]), _mm512_packus_epi16(out[1][0], out[1][1]),
              _mm512_packus_epi16(out[2][0], out[2][1])},
             dest + 3 * x);
    }
    return x;
}

QV_AVX512 int32_t ReplaceColourRowAvx512(const uint8_t* source, uint8_t* dest, int32_t width, const uint8_t* from,
                                         const uint8_t* to, const uint8_t* level, int32_t limit) {
    if (limit <= 0 || limit >= 65535) return 0; // saturated 16-bit sums must stay past the limit
    const Weave w = LoadWeave();
    const __m512i zero = _mm512_setzero_si512(), top = _mm512_set1_epi16(255),
                  edge = _mm512_set1_epi16(static_cast<int16_t>(limit));
    const Table levels = LoadTable(level);
    __m512i reference[3], target[3];
    for (int c = 0; c < 3; ++c) {
        reference[c] = _mm512_set1_epi8(static_cast<char>(from[c]));
        target[c] = _mm512_set1_epi16(to[c]);
    }
    int32_t x = 0;
    for (; x + 64 <= width; x += 64) {
        Planes p = Split(w, source + 3 * x);
        __m512i plane[3] = {p.blue, p.green, p.red};
        Words v[3], square[3];
        for (int c = 0; c < 3; ++c) {
            v[c] = Widen(plane[c], zero);
            __m512i apart =
                _mm512_or_si512(_mm512_subs_epu8(plane[c], reference[c]), _mm512_subs_epu8(reference[c], plane[c]));
            Words d = Widen(apart, zero);
            square[c] = {_mm512_mullo_epi16(d.first, d.first), _mm512_mullo_epi16(d.second, d.second)};
        }
        __mmask32 inside[2];
        __m512i weight[2];
        for (int half = 0; half < 2; ++half) {
            __m512i distance = _mm512_adds_epu16(_mm512_adds_epu16(Half(square[0], half), Half(square[1], half)),
                                                 Half(square[2], half));
            inside[half] = _mm512_cmple_epu16_mask(distance, edge);
            weight[half] = _mm512_sub_epi16(top, DistanceShare(_mm512_min_epu16(distance, edge), limit));
        }
        if ((inside[0] | inside[1]) == 0) {
            for (int j = 0; j < 3; ++j)
                _mm512_storeu_si512(dest + 3 * x + 64 * j, _mm512_loadu_si512(source + 3 * x + 64 * j));
            continue;
        }
        // the level table on the weights as bytes; the pack undoes the unpack order
        Words leveled = Widen(Look(levels, _mm512_packus_epi16(weight[0], weight[1])), zero);
        __m512i out[3][2];
        for (int half = 0; half < 2; ++half) {
            __m512i toTarget = Half(leveled, half), toSource = _mm512_sub_epi16(top, toTarget);
            for (int c = 0; c < 3; ++c) {
                __m512i value = Half(v[c], half);
                // the plain path keeps the low byte of the sum
                __m512i moved =
                    _mm512_and_si512(_mm512_add_epi16(Blend16(toTarget, target[c]), Blend16(toSource, value)), top);
                out[c][half] = _mm512_mask_mov_epi16(value, inside[half], moved);
            }
        }
        Join(w,
             {_mm512_packus_epi16(out[0][0], out[0][1]), _mm512_packus_epi16(out[1][0], out[1][1]),
              _mm512_packus_epi16(out[2][0], out[2][1])},
             dest + 3 * x);
    }
    return x;
}

#else

bool HasToneAvx512() {
    return false;
}
int32_t LookupRowAvx512(const uint8_t*, uint8_t*, int32_t, const uint8_t*, const uint8_t*, const uint8_t*) {
    return 0;
}
int32_t GreyRowAvx512(const uint8_t*, uint8_t*, int32_t, const uint8_t*, const uint8_t*, const uint8_t*) {
    return 0;
}
int32_t LuminanceShiftRowAvx512(const uint8_t*, uint8_t*, int32_t, const LuminanceShiftBytes&) {
    return 0;
}
int32_t ShadowHighlightRowAvx512(const uint8_t*, uint8_t*, int32_t, const uint8_t*, const uint8_t*) {
    return 0;
}
int32_t ReplaceColourRowAvx512(const uint8_t*, uint8_t*, int32_t, const uint8_t*, const uint8_t*, const uint8_t*,
                               int32_t) {
    return 0;
}

#endif

} // namespace qv
