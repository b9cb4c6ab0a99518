#include "viewer/animation_win.h"

#include <windows.h>

#include <cstring>

#include "app/app_state.h"
#include "codecs/gif_codec.h"
#include "viewer/view_window.h"

namespace qv {

namespace {

// Loops still to play; 0 plays for ever. Only meaningful while the timer runs.
uint32_t g_loopsLeft = 0;

AnimationFrames* PlayableFrames() {
    AnimationFrames* frames = g_app.session.current.animation;
    return frames && frames->frameCount >= 2 ? frames : nullptr;
}

// Every frame block is a full-screen plane of the image's size: only the pixel pointer and the
// palette change. The frame list keeps owning every block (FreeImagePixels frees each once, wherever
// `pixels` points), so nothing is copied or freed here.
void ShowFrame(AnimationFrames* frames, int32_t index) {
    ImageBuffer& image = g_app.session.current;
    image.pixels = frames->frames[index];
    std::memcpy(image.palette, frames->palettes[index], sizeof image.palette);
    frames->shownFrame = index;
}

void ArmTimer(const AnimationFrames& frames, int32_t index) {
    UINT ms = GifPlaybackDelay(frames.delays[index]) * 10;
    SetTimer(g_app.viewWindow, kAnimationTimer, ms, nullptr);
}

} // namespace

void RestartAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (!frames || !g_app.viewWindow || g_app.displayMode == DisplayMode::SubWindow) return;
    if (frames->shownFrame != 0) {
        ShowFrame(frames, 0);
        RepaintView();
    }
    g_loopsLeft = frames->loopCount;
    ArmTimer(*frames, 0);
}

void AdvanceAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (!frames || g_app.displayMode == DisplayMode::SubWindow) return;
    int32_t next = frames->shownFrame + 1;
    bool last = false;
    if (next >= frames->frameCount) {
        next = 0;
        // the last loop ends where the image started: on frame 0
        last = g_loopsLeft > 0 && --g_loopsLeft == 0;
    }
    ShowFrame(frames, next);
    RepaintView();
    if (!last) ArmTimer(*frames, next);
}

void StopAnimationTimer() {
    if (g_app.viewWindow) KillTimer(g_app.viewWindow, kAnimationTimer);
}

void StopAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (frames && frames->shownFrame != 0) {
        ShowFrame(frames, 0);
        RepaintView();
    }
}

} // namespace qv
