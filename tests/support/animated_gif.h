// Animated GIF files for tests: every frame one solid colour over the whole logical screen, with
// its own delay, and a NETSCAPE2.0 block carrying the loop count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvtest {

struct SolidFrame {
    uint32_t colour = 0; // red | green << 8 | blue << 16, as COLORREF
    uint16_t delay = 0;  // hundredths of a second
};

// The file's bytes; at most 256 frames (one global table entry each).
std::string SolidAnimatedGif(uint16_t width, uint16_t height, const std::vector<SolidFrame>& frames,
                             uint16_t loopCount);

} // namespace qvtest
