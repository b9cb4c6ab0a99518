#include "codecs/png_rows.h"

#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codecs/png_format.h"

namespace qv {

namespace {

// Paeth without branches on the data: the compiler turns the selects into conditional moves.
inline uint8_t Paeth(int a, int b, int c) {
    int pa = std::abs(b - c);         // |p - a| where p = a + b - c
    int pb = std::abs(a - c);         // |p - b|
    int pc = std::abs(a + b - 2 * c); // |p - c|
    int nearest = (pb < pa) ? b : a;
    int best = (pb < pa) ? pb : pa;
    return static_cast<uint8_t>((pc < best) ? c : nearest);
}

// The byte distance as a compile-time constant lets the serial filters keep each channel in a
// register of its own.
template <uint32_t kBpp> void UnfilterPaeth(uint8_t* row, const uint8_t* prev, uint32_t bytes) {
    uint32_t n = bytes < kBpp ? bytes : kBpp;
    for (uint32_t i = 0; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    for (uint32_t i = kBpp; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - kBpp], prev[i], prev[i - kBpp]));
}

template <uint32_t kBpp> void UnfilterAverage(uint8_t* row, const uint8_t* prev, uint32_t bytes) {
    uint32_t n = bytes < kBpp ? bytes : kBpp;
    for (uint32_t i = 0; i < n; ++i)
        row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
    for (uint32_t i = kBpp; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + ((row[i - kBpp] + prev[i]) >> 1));
}

template <uint32_t kBpp> void UnfilterSub(uint8_t* row, uint32_t bytes) {
    for (uint32_t i = kBpp; i < bytes; ++i)
        row[i] = static_cast<uint8_t>(row[i] + row[i - kBpp]);
}

void UnfilterPaethAny(uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    switch (bpp) {
    case 1: UnfilterPaeth<1>(row, prev, bytes); break;
    case 2: UnfilterPaeth<2>(row, prev, bytes); break;
    case 3: UnfilterPaeth<3>(row, prev, bytes); break;
    case 4: UnfilterPaeth<4>(row, prev, bytes); break;
    case 6: UnfilterPaeth<6>(row, prev, bytes); break;
    default: UnfilterPaeth<8>(row, prev, bytes); break;
    }
}

void UnfilterAverageAny(uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    switch (bpp) {
    case 1: UnfilterAverage<1>(row, prev, bytes); break;
    case 2: UnfilterAverage<2>(row, prev, bytes); break;
    case 3: UnfilterAverage<3>(row, prev, bytes); break;
    case 4: UnfilterAverage<4>(row, prev, bytes); break;
    case 6: UnfilterAverage<6>(row, prev, bytes); break;
    default: UnfilterAverage<8>(row, prev, bytes); break;
    }
}

void UnfilterSubAny(uint8_t* row, uint32_t bytes, uint32_t bpp) {
    switch (bpp) {
    case 1: UnfilterSub<1>(row, bytes); break;
    case 2: UnfilterSub<2>(row, bytes); break;
    case 3: UnfilterSub<3>(row, bytes); break;
    case 4: UnfilterSub<4>(row, bytes); break;
    case 6: UnfilterSub<6>(row, bytes); break;
    default: UnfilterSub<8>(row, bytes); break;
    }
}

#if defined(__SSE2__)
// Vector forms for 3 and 4 bytes per pixel, the layouts of RGB and RGBA photographs. Each pixel
// depends on the one before it, so they go one pixel per step, all channels at once in 16-bit
// lanes; Sub of 4-byte pixels adds four pixels at a time by shifted prefix sums. Every form gives
// the same bytes as the plain loops above, which the tests hold them to.
// Three bytes are put together in a register: a partial copy through memory would stall the
// load that follows it.
template <uint32_t kBpp> inline __m128i LoadPixel(const uint8_t* p) {
    uint32_t v;
    if (kBpp == 4) {
        std::memcpy(&v, p, 4);
    } else {
        uint16_t low;
        std::memcpy(&low, p, 2);
        v = low | static_cast<uint32_t>(p[2]) << 16;
    }
    return _mm_cvtsi32_si128(static_cast<int>(v));
}

template <uint32_t kBpp> inline void StorePixel(uint8_t* p, __m128i v) {
    uint32_t bits = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
    if (kBpp == 4) {
        std::memcpy(p, &bits, 4);
    } else {
        uint16_t low = static_cast<uint16_t>(bits);
        std::memcpy(p, &low, 2);
        p[2] = static_cast<uint8_t>(bits >> 16);
    }
}

template <uint32_t kBpp> void UnfilterSubVector(uint8_t* row, uint32_t bytes) {
    uint32_t i = 0;
    __m128i left = _mm_setzero_si128();
    if (kBpp == 4) {
        for (; i + 16 <= bytes; i += 16) {
            __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 4));
            x = _mm_add_epi8(x, _mm_slli_si128(x, 8));
            x = _mm_add_epi8(x, left);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), x);
            left = _mm_shuffle_epi32(x, 0xFF); // the last pixel in every lane
        }
    }
    for (; i + kBpp <= bytes; i += kBpp) {
        left = _mm_add_epi8(left, LoadPixel<kBpp>(row + i));
        StorePixel<kBpp>(row + i, left);
    }
}

template <uint32_t kBpp> void UnfilterAverageVector(uint8_t* row, const uint8_t* prev, uint32_t bytes) {
    const __m128i zero = _mm_setzero_si128();
    __m128i left = zero; // 16-bit lanes
    for (uint32_t i = 0; i + kBpp <= bytes; i += kBpp) {
        __m128i up = _mm_unpacklo_epi8(LoadPixel<kBpp>(prev + i), zero);
        __m128i x = _mm_unpacklo_epi8(LoadPixel<kBpp>(row + i), zero);
        // byte adds keep the high bytes zero and wrap the low ones: no mask on the serial path
        left = _mm_add_epi8(x, _mm_srli_epi16(_mm_add_epi16(left, up), 1));
        StorePixel<kBpp>(row + i, _mm_packus_epi16(left, left));
    }
}

inline __m128i Abs16(__m128i v) {
    return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v));
}

inline __m128i Select(__m128i mask, __m128i whenSet, __m128i otherwise) {
    return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, otherwise));
}

template <uint32_t kBpp> void UnfilterPaethVector(uint8_t* row, const uint8_t* prev, uint32_t bytes) {
    const __m128i zero = _mm_setzero_si128();
    __m128i a = zero, c = zero; // left and upper-left, 16-bit lanes
    for (uint32_t i = 0; i + kBpp <= bytes; i += kBpp) {
        __m128i b = _mm_unpacklo_epi8(LoadPixel<kBpp>(prev + i), zero);
        __m128i x = _mm_unpacklo_epi8(LoadPixel<kBpp>(row + i), zero);
        __m128i bc = _mm_sub_epi16(b, c), ac = _mm_sub_epi16(a, c);
        __m128i pa = Abs16(bc), pb = Abs16(ac), pc = Abs16(_mm_add_epi16(bc, ac));
        __m128i nearest = Select(_mm_cmplt_epi16(pb, pa), b, a);
        __m128i predictor = Select(_mm_cmplt_epi16(pc, _mm_min_epi16(pa, pb)), c, nearest);
        a = _mm_add_epi8(x, predictor);
        c = b;
        StorePixel<kBpp>(row + i, _mm_packus_epi16(a, a));
    }
}

// True when a vector form took the row.
bool UnfilterVector(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    if ((bpp != 3 && bpp != 4) || bytes % bpp != 0) return false;
    switch (filter) {
    case kFilterSub: bpp == 3 ? UnfilterSubVector<3>(row, bytes) : UnfilterSubVector<4>(row, bytes); return true;
    case kFilterAverage:
        bpp == 3 ? UnfilterAverageVector<3>(row, prev, bytes) : UnfilterAverageVector<4>(row, prev, bytes);
        return true;
    case kFilterPaeth:
        bpp == 3 ? UnfilterPaethVector<3>(row, prev, bytes) : UnfilterPaethVector<4>(row, prev, bytes);
        return true;
    default: return false;
    }
}
#endif

} // namespace

void SwapRedBluePlain(const uint8_t* src, uint32_t count, uint8_t* dst) {
    for (uint32_t i = 0; i < count; ++i) {
        dst[3 * i] = src[3 * i + 2];
        dst[3 * i + 1] = src[3 * i + 1];
        dst[3 * i + 2] = src[3 * i];
    }
}

void SwapRedBlue(const uint8_t* src, uint32_t count, uint8_t* dst) {
    uint32_t i = 0;
#if defined(__SSE2__)
    // Five pixels a step: the bytes two places up and two places down, each kept where it
    // belongs. The sixteenth byte stored is wrong and is written again by the next step, so the
    // last step stops where it would reach past the row.
    const __m128i first = _mm_setr_epi8(-1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, 0);
    const __m128i middle = _mm_setr_epi8(0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0);
    const __m128i last = _mm_setr_epi8(0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0, 0, -1, 0);
    for (; i + 6 <= count; i += 5) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
        __m128i out = _mm_or_si128(_mm_and_si128(_mm_srli_si128(v, 2), first),
                                   _mm_or_si128(_mm_and_si128(v, middle), _mm_and_si128(_mm_slli_si128(v, 2), last)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), out);
    }
#endif
    SwapRedBluePlain(src + 3 * i, count - i, dst + 3 * i);
}

bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
#if defined(__SSE2__)
    if (UnfilterVector(filter, row, prev, bytes, bpp)) return true;
#endif
    return UnfilterRowPlain(filter, row, prev, bytes, bpp);
}

bool UnfilterRowPlain(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp) {
    switch (filter) {
    case kFilterNone: return true;
    case kFilterSub: UnfilterSubAny(row, bytes, bpp); return true;
    case kFilterUp:
        for (uint32_t i = 0; i < bytes; ++i)
            row[i] = static_cast<uint8_t>(row[i] + prev[i]);
        return true;
    case kFilterAverage: UnfilterAverageAny(row, prev, bytes, bpp); return true;
    case kFilterPaeth: UnfilterPaethAny(row, prev, bytes, bpp); return true;
    default: return false;
    }
}

void FilterRow(uint8_t filter, const uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp, uint8_t* out) {
    uint32_t n = bytes < bpp ? bytes : bpp;
    switch (filter) {
    case kFilterSub:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = row[i];
        for (uint32_t i = bpp; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - row[i - bpp]);
        break;
    case kFilterUp:
        for (uint32_t i = 0; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - prev[i]);
        break;
    case kFilterAverage:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<uint8_t>(row[i] - (prev[i] >> 1));
        for (uint32_t i = bpp; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - ((row[i - bpp] + prev[i]) >> 1));
        break;
    case kFilterPaeth:
        for (uint32_t i = 0; i < n; ++i)
            out[i] = static_cast<uint8_t>(row[i] - prev[i]);
        for (uint32_t i = bpp; i < bytes; ++i)
            out[i] = static_cast<uint8_t>(row[i] - Paeth(row[i - bpp], prev[i], prev[i - bpp]));
        break;
    default:
        for (uint32_t i = 0; i < bytes; ++i)
            out[i] = row[i];
        break;
    }
}

void UnpackSamples(const uint8_t* src, uint32_t count, uint32_t bits, uint8_t* dst, uint32_t step) {
    const uint32_t perByte = 8 / bits;
    const uint8_t mask = static_cast<uint8_t>((1u << bits) - 1);
    uint32_t i = 0;
    for (; i + perByte <= count; i += perByte) {
        uint8_t b = src[i / perByte];
        for (uint32_t k = 0; k < perByte; ++k)
            dst[(i + k) * step] = static_cast<uint8_t>((b >> (8 - bits * (k + 1))) & mask);
    }
    if (i < count) {
        uint8_t b = src[i / perByte];
        for (uint32_t k = 0; i + k < count; ++k)
            dst[(i + k) * step] = static_cast<uint8_t>((b >> (8 - bits * (k + 1))) & mask);
    }
}

} // namespace qv
