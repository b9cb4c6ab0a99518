#include "viewer/animation_win.h"

#include <windows.h>

#include "app/app_state_win.h"
#include "viewer/animation_playback.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

// Loops still to play; 0 plays for ever. Only meaningful while the timer runs.
uint32_t g_loopsLeft = 0;

AnimationFrames* PlayableFrames() {
    AnimationFrames* frames = g_app.session.current.animation;
    return frames && frames->frameCount >= 2 ? frames : nullptr;
}

void ShowFrame(int32_t index) {
    ShowAnimationFrame(&g_app.session.current, index);
    RepaintView();
}

void ArmTimer(const AnimationFrames& frames, int32_t index) {
    SetTimer(g_app.viewWindow, kAnimationTimer, FrameDurationMs(frames, index), nullptr);
}

} // namespace

void RestartAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (!frames || !g_app.viewWindow || g_app.displayMode == DisplayMode::SubWindow) return;
    if (frames->shownFrame != 0) ShowFrame(0);
    g_loopsLeft = frames->loopCount;
    ArmTimer(*frames, 0);
}

void AdvanceAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (!frames || g_app.displayMode == DisplayMode::SubWindow) return;
    PlaybackStep step = NextPlaybackStep(*frames, &g_loopsLeft);
    ShowFrame(step.frame);
    if (!step.last) ArmTimer(*frames, step.frame);
}

void StopAnimationTimer() {
    if (g_app.viewWindow) KillTimer(g_app.viewWindow, kAnimationTimer);
}

void StopAnimation() {
    StopAnimationTimer();
    AnimationFrames* frames = PlayableFrames();
    if (frames && frames->shownFrame != 0) ShowFrame(0);
}

} // namespace qv
