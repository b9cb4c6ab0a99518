#include "viewer/animation_win.h"

#include <windows.h>

#include "image/open_image.h"
#include "viewer/animation_playback.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

// Loops still to play; 0 plays for ever. Only meaningful while the timer runs.
uint32_t g_loopsLeft = 0;

AnimationFrames* PlayableFrames() {
    AnimationFrames* frames = g_session.current.animation;
    return frames && frames->frameCount >= 2 ? frames : nullptr;
}

void ShowFrame(int32_t index) {
    ShowAnimationFrame(&g_session.current, index);
    RepaintView();
}

void ArmTimer(const AnimationFrames& frames, int32_t index) {
    SetTimer(ViewWindowHandle(), kAnimationTimer, FrameDurationMs(frames, index), nullptr);
}

} // namespace

void RestartAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (!frames || !ViewWindowHandle() || CurrentDisplayMode() == DisplayMode::SubWindow) return;
    if (frames->shownFrame != 0) ShowFrame(0);
    g_loopsLeft = frames->loopCount;
    ArmTimer(*frames, 0);
}

void AdvanceAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (!frames || CurrentDisplayMode() == DisplayMode::SubWindow) return;
    PlaybackStep step = NextPlaybackStep(*frames, &g_loopsLeft);
    ShowFrame(step.frame);
    if (!step.last) ArmTimer(*frames, step.frame);
}

void StopAnimationTimer() {
    if (ViewWindowHandle()) KillTimer(ViewWindowHandle(), kAnimationTimer);
}

void StopAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (frames && frames->shownFrame != 0) ShowFrame(0);
}

} // namespace qv
