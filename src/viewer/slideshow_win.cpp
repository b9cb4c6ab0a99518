// The slideshow: a timer on the ViewWindow that opens the next entry of the file list, counted
// from the end of each load. While it runs the accelerators are off so that any key stops it.
#include <windows.h>

#include "image/open_image.h"
#include "model/settings.h"
#include "viewer/display_modes_win.h"
#include "viewer/file_commands_win.h"
#include "viewer/hover_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

bool g_running = false;

UINT IntervalMs() {
    int32_t seconds = g_settings.Time > 0 ? g_settings.Time : 1;
    return static_cast<UINT>(seconds) * 1000u;
}

void HideCursorOnce(bool hide) {
    if (hide)
        HideCursorAfterStep();
    else
        SetCursorShown(true);
}

void CALLBACK SlideshowTick(HWND window, UINT, UINT_PTR id, DWORD) {
    KillTimer(window, id);
    if (!g_running) return;
    const FileList& list = g_session.list;
    if (list.count < 2) {
        StopSlideshow();
        return;
    }
    HideCursorOnce(true);
    uint32_t next = list.current + 1;
    if (next >= list.count) {
        if (!g_settings.Repeat) {
            StopSlideshow();
            return;
        }
        next = 0;
    }
    OpenImageIndex(next);
    // without Repeat the show ends on the last entry
    if (!g_settings.Repeat && next + 1 >= g_session.list.count) {
        StopSlideshow();
        return;
    }
    if (g_running) SetTimer(ViewWindowHandle(), kSlideshowTimer, IntervalMs(), SlideshowTick);
}

} // namespace

bool StartSlideshow() {
    const FileList& list = g_session.list;
    if (g_running || list.count < 2) return false;
    if (!g_settings.Repeat && list.current + 1 >= list.count) return false;
    if (!AskUnsavedChanges()) return false;
    CloseListWindow();
    SetCursorShown(false);
    g_running = true;
    SetTimer(ViewWindowHandle(), kSlideshowTimer, IntervalMs(), SlideshowTick);
    return true;
}

void StopSlideshow() {
    if (!g_running) return;
    KillTimer(ViewWindowHandle(), kSlideshowTimer);
    g_running = false;
    HideCursorOnce(false);
}

bool SlideshowRunning() {
    return g_running;
}

bool StopSlideshowOnInput(const MSG& message) {
    if (!g_running) return false;
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN: StopSlideshow(); return true;
    default: return false;
    }
}

} // namespace qv
