// Playback of an animated image (the frame list of a GIF) in the ViewWindow and full screen, on
// timer kAnimationTimer of the ViewWindow. Windows only.
#pragma once

namespace qv {

// After a load and on return from the SubWindow: playback from frame 0 with the full loop count,
// when the current image has two or more frames and the ViewWindow (or full screen) shows it.
void RestartAnimation();
// One tick of kAnimationTimer: the next frame, or the end of the last loop.
void AdvanceAnimation();
// Kills the timer only; for the commit step, which is about to free the frames.
void StopAnimationTimer();
// Entering the SubWindow: the timer stops and frame 0 is shown again (the one the tools edit).
void StopAnimation();

} // namespace qv
