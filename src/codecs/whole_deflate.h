// Inflate and deflate of whole buffers through libdeflate, for the callers that know the entire
// compressed stream and the exact size of its output (a PNG's IDAT run, a ZIP member). Any
// failure here only means "take the streaming zlib path": these functions never decide that
// data is damaged, so broken and cut-short files keep the outcome the zlib path gives them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qv {

// Inflates a zlib stream (PNG) into exactly `outBytes` bytes. False when the stream is damaged,
// produces another length, or fails its Adler-32 check.
bool InflateWholeZlib(const uint8_t* in, size_t inBytes, uint8_t* out, size_t outBytes);

// The same for raw deflate data (ZIP members).
bool InflateWholeRaw(const uint8_t* in, size_t inBytes, uint8_t* out, size_t outBytes);

// Room DeflateWholeZlib needs for `inBytes` of input in the worst case.
size_t DeflateWholeZlibBound(size_t inBytes);

// Compresses `in` as one zlib stream at libdeflate's `level` (0-12) into `out`; returns the compressed size, or
// 0 when it failed or did not fit in `outCapacity`.
size_t DeflateWholeZlib(int level, const uint8_t* in, size_t inBytes, uint8_t* out, size_t outCapacity);

} // namespace qv
