#include "viewer/animation_playback.h"

#include <cstring>

#include "codecs/gif_codec.h"

namespace qv {

uint32_t FrameDurationMs(const AnimationFrames& frames, int32_t index) {
    return GifPlaybackDelay(frames.delays[index]) * 10;
}

PlaybackStep NextPlaybackStep(const AnimationFrames& frames, uint32_t* loopsLeft) {
    PlaybackStep step;
    step.frame = frames.shownFrame + 1;
    if (step.frame >= frames.frameCount) {
        step.frame = 0;
        step.last = *loopsLeft > 0 && --*loopsLeft == 0;
    }
    return step;
}

void ShowAnimationFrame(ImageBuffer* image, int32_t index) {
    AnimationFrames* frames = image->animation;
    image->pixels = frames->frames[index];
    std::memcpy(image->palette, frames->palettes[index], sizeof image->palette);
    frames->shownFrame = index;
}

} // namespace qv
