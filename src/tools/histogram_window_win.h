// The histogram window (Quorvel_hgmp_class) and its control (Quorvel_hgmc_class): the bars of one
// channel of a LevelsHistogram, one pixel per level, and for the levels tool its black and white
// markers, which the mouse grabs and drags, or sets by a left (black) or right (white) click.
// Command 5111 shows the same window for the current image, without markers. One window at a time.
// Windows only.
#pragma once

#include <windows.h>

#include "tools/levels_kernel.h"

namespace qv {

// What the levels tool lends the window: the current channel's points and where a changed point
// goes. `released` is false while a marker is still being dragged.
struct HistogramMarkers {
    LevelsPoints (*points)() = nullptr;
    void (*moved)(const LevelsPoints& points, bool released) = nullptr;
};

// Opens (or replaces) the window beside `owner`; `markers` null shows the bars only. The window
// keeps its own copy of the counts. False when it cannot be made.
bool OpenHistogramWindow(HWND owner, const LevelsHistogram& histogram, int32_t channel,
                         const HistogramMarkers* markers);
void SetHistogramChannel(int32_t channel);
// The markers moved by other means (the edit boxes): draw them again.
void RefreshHistogramWindow();
void CloseHistogramWindow();
HWND HistogramWindowHandle();

// Command 5111: the histogram of the current image (the selection mask applied as the levels tool
// applies it). False for any other command.
bool HandleHistogramCommand(int32_t command);

} // namespace qv
