#include "tools/weighted_span.h"

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#define QV_HAVE_X86_VECTORS 1
#endif

namespace qv {

namespace {

void SpanPlain(const uint8_t* const* taps, const int32_t* weight, int32_t tapCount, int32_t shift, uint32_t begin,
               uint32_t count, uint8_t* out) {
    for (uint32_t j = begin; j < count; ++j) {
        int32_t sum = 0;
        for (int32_t k = 0; k < tapCount; ++k)
            sum += weight[k] * taps[k][j];
        out[j] = static_cast<uint8_t>(sum >> shift);
    }
}

#ifdef QV_HAVE_X86_VECTORS
// Taps go in pairs: their bytes interleaved and widened to 16 bits meet a (weight, weight) pair in
// one multiply-add, which leaves exact 32-bit sums. An odd last tap pairs with itself at weight 0.
uint32_t SpanSse2(const uint8_t* const* taps, const int32_t* weight, int32_t tapCount, int32_t shift, uint32_t begin,
                  uint32_t count, uint8_t* out) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i bits = _mm_cvtsi32_si128(shift);
    uint32_t j = begin;
    for (; j + 16 <= count; j += 16) {
        __m128i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        for (int32_t k = 0; k < tapCount; k += 2) {
            bool pair = k + 1 < tapCount;
            __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps[k] + j));
            __m128i b = pair ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(taps[k + 1] + j)) : zero;
            __m128i w = _mm_set1_epi32((pair ? weight[k + 1] << 16 : 0) | weight[k]);
            __m128i lo = _mm_unpacklo_epi8(a, b), hi = _mm_unpackhi_epi8(a, b);
            acc0 = _mm_add_epi32(acc0, _mm_madd_epi16(_mm_unpacklo_epi8(lo, zero), w));
            acc1 = _mm_add_epi32(acc1, _mm_madd_epi16(_mm_unpackhi_epi8(lo, zero), w));
            acc2 = _mm_add_epi32(acc2, _mm_madd_epi16(_mm_unpacklo_epi8(hi, zero), w));
            acc3 = _mm_add_epi32(acc3, _mm_madd_epi16(_mm_unpackhi_epi8(hi, zero), w));
        }
        __m128i p01 = _mm_packs_epi32(_mm_srl_epi32(acc0, bits), _mm_srl_epi32(acc1, bits));
        __m128i p23 = _mm_packs_epi32(_mm_srl_epi32(acc2, bits), _mm_srl_epi32(acc3, bits));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_packus_epi16(p01, p23));
    }
    return j;
}

// The same pairing on 256-bit vectors; unpacking and packing stay within each 128-bit half, so the
// bytes come back in order.
__attribute__((target("avx2"))) uint32_t SpanAvx2(const uint8_t* const* taps, const int32_t* weight, int32_t tapCount,
                                                  int32_t shift, uint32_t begin, uint32_t count, uint8_t* out) {
    const __m256i zero = _mm256_setzero_si256();
    const __m128i bits = _mm_cvtsi32_si128(shift);
    uint32_t j = begin;
    for (; j + 32 <= count; j += 32) {
        __m256i acc0 = zero, acc1 = zero, acc2 = zero, acc3 = zero;
        for (int32_t k = 0; k < tapCount; k += 2) {
            bool pair = k + 1 < tapCount;
            __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps[k] + j));
            __m256i b = pair ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(taps[k + 1] + j)) : zero;
            __m256i w = _mm256_set1_epi32((pair ? weight[k + 1] << 16 : 0) | weight[k]);
            __m256i lo = _mm256_unpacklo_epi8(a, b), hi = _mm256_unpackhi_epi8(a, b);
            acc0 = _mm256_add_epi32(acc0, _mm256_madd_epi16(_mm256_unpacklo_epi8(lo, zero), w));
            acc1 = _mm256_add_epi32(acc1, _mm256_madd_epi16(_mm256_unpackhi_epi8(lo, zero), w));
            acc2 = _mm256_add_epi32(acc2, _mm256_madd_epi16(_mm256_unpacklo_epi8(hi, zero), w));
            acc3 = _mm256_add_epi32(acc3, _mm256_madd_epi16(_mm256_unpackhi_epi8(hi, zero), w));
        }
        __m256i p01 = _mm256_packs_epi32(_mm256_srl_epi32(acc0, bits), _mm256_srl_epi32(acc1, bits));
        __m256i p23 = _mm256_packs_epi32(_mm256_srl_epi32(acc2, bits), _mm256_srl_epi32(acc3, bits));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j), _mm256_packus_epi16(p01, p23));
    }
    return j;
}
#endif

} // namespace

void WeightedSpan(const uint8_t* const* taps, const int32_t* weight, int32_t tapCount, int32_t shift, uint32_t count,
                  uint8_t* out, KernelPath path) {
    uint32_t done = 0;
#ifdef QV_HAVE_X86_VECTORS
    // each wider path leaves its tail to the next narrower one
    if (path == KernelPath::Avx2) done = SpanAvx2(taps, weight, tapCount, shift, done, count, out);
    if (path == KernelPath::Avx2 || path == KernelPath::Sse2)
        done = SpanSse2(taps, weight, tapCount, shift, done, count, out);
#endif
    SpanPlain(taps, weight, tapCount, shift, done, count, out);
}

} // namespace qv
