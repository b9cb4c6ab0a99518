// The frame stepping of an animated image, apart from its timer: which frame comes next, when the
// loop count ends the playback, how long each frame stays, and how a frame is put on show.
#pragma once

#include <cstdint>

#include "model/image_buffer.h"

namespace qv {

struct PlaybackStep {
    int32_t frame = 0;
    bool last = false; // the loops are played: this frame stays and no timer follows
};

// How long frame `index` stays on screen, in milliseconds.
uint32_t FrameDurationMs(const AnimationFrames& frames, int32_t index);

// The step after `frames.shownFrame`. Past the last frame the playback wraps to frame 0 and one
// loop of `*loopsLeft` is used up; the last loop ends there, on frame 0. 0 loops play for ever.
PlaybackStep NextPlaybackStep(const AnimationFrames& frames, uint32_t* loopsLeft);

// Points the image's pixels at frame `index`'s block and copies that frame's palette in. The frame
// list keeps owning every block: FreeImagePixels frees each once wherever `pixels` points.
void ShowAnimationFrame(ImageBuffer* image, int32_t index);

} // namespace qv
