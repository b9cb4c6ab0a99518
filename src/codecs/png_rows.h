// Row kernels of the PNG reader and writer: the five filters forwards and backwards, and the
// unpacking of 1, 2 and 4-bit samples. Plain loops over bytes so the compiler can vectorise them.
#pragma once

#include <cstdint>

namespace qv {

// Undoes `filter` on `row` (`bytes` long) given the previous un-filtered row (zeros for the first
// row of an image or pass). `bpp` is the filter's byte distance (bytes per pixel, at least 1).
// Returns false for a filter type above 4.
// Uses vector code for 3 and 4 bytes per pixel where the processor has SSE2.
bool UnfilterRow(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp);
// The plain loops, the reference the vector code must match byte for byte.
bool UnfilterRowPlain(uint8_t filter, uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp);

// Turns `count` red-green-blue pixels into blue-green-red ones (vector code where there is SSE2;
// never reads or writes past the 3 * count bytes of either).
void SwapRedBlue(const uint8_t* src, uint32_t count, uint8_t* dst);
void SwapRedBluePlain(const uint8_t* src, uint32_t count, uint8_t* dst);

// Applies `filter` to `row` into `out` (same length).
void FilterRow(uint8_t filter, const uint8_t* row, const uint8_t* prev, uint32_t bytes, uint32_t bpp, uint8_t* out);

// Expands `count` packed samples of `bits` (1, 2, 4) into one byte each at dst[0], dst[step], ...
void UnpackSamples(const uint8_t* src, uint32_t count, uint32_t bits, uint8_t* dst, uint32_t step);

} // namespace qv
