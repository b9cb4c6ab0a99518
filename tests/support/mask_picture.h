// Selection planes as pictures for readable expectations: width x height bytes stored bottom-up
// like the mask, drawn top row first, '#' for non-zero and '.' for zero, one line a row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

inline std::string MaskPicture(const std::vector<uint8_t>& plane, int32_t w, int32_t h) {
    std::string out;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x)
            out += plane[static_cast<size_t>(h - 1 - y) * w + x] ? '#' : '.';
        out += '\n';
    }
    return out;
}

// Whether the pixel at (x, y), counted from the top-left, is set.
inline bool MaskAt(const std::vector<uint8_t>& plane, int32_t w, int32_t h, int32_t x, int32_t y) {
    return plane[static_cast<size_t>(h - 1 - y) * w + x] != 0;
}

} // namespace qvtest
