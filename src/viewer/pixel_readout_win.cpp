#include "viewer/pixel_readout_win.h"
#include "image/open_image.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

#include <windowsx.h>

namespace qv {

namespace {

bool g_picking = false;
ColourPickedFn g_picked = nullptr;

} // namespace

void SetColourPicking(bool on, ColourPickedFn picked) {
    g_picking = on;
    g_picked = on ? picked : nullptr;
}

bool ColourPickingOn() {
    return g_picking;
}

void PaneColourReadout(WPARAM keys, LPARAM point) {
    if (!g_picking || (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) || !SubWindowHandle()) return;
    PixelColour colour;
    bool found =
        HasCurrentImage(g_session) && PixelUnderPoint(g_session.current, g_viewState.geometry,
                                                      ViewPoint{GET_X_LPARAM(point), GET_Y_LPARAM(point)}, &colour);
    std::wstring text = PixelReadoutText(found ? &colour : nullptr);
    SetWindowTextW(SubWindowHandle(), text.c_str());
    if (g_picked) g_picked(found ? &colour : nullptr);
}

} // namespace qv
