// Scaling a 24-bit picture to another size: the Resize tool's Apply and the save pipeline's EXIF
// thumbnail both call it, so an edited image and its thumbnail are scaled alike.
//
// Reduction averages with a division table and carries the part of a pixel that straddles an
// output boundary into the next output pixel; enlargement interpolates linearly and goes at most
// to twice the size per call. When both sides change, the columns are scaled first (into a
// scratch block of width x newHeight) and then the rows. Rounding is half up throughout.
#pragma once

#include <cstdint>

namespace qv {

// One band of a pass: output rows [rowBegin, rowEnd) from the pass's `work`. Bands write only
// their own rows, so they may run at once.
using ResampleBand = void (*)(const void* work, int32_t rowBegin, int32_t rowEnd);
// Runs `band` over rows [0, rows) split among `threads`. The tools hand in their band runner so
// the rows go to several cores; without one every pass runs on the calling thread.
using ResampleRunner = void (*)(ResampleBand band, const void* work, int32_t rows, int threads);

// Scales `source` (width x height, 24-bit rows bottom-up, padded to 4 bytes) into `target`
// (newWidth x newHeight, same layout; the caller allocates it). False, with `target` untouched,
// when a new side is 0 or less, more than twice the old one, or the scratch block does not fit in
// 32 bits or memory. Equal sizes copy the pixels. The result is the same for every runner and
// thread count.
bool Resample(const uint8_t* source, int32_t width, int32_t height, uint8_t* target, int32_t newWidth,
              int32_t newHeight, ResampleRunner runner = nullptr, int threads = 1);

// True when Resample accepts the sizes (each new side 1 ... 2 x the old side).
bool ResampleSizeAllowed(int32_t width, int32_t height, int32_t newWidth, int32_t newHeight);

} // namespace qv
