#include "viewer/pixel_readout_win.h"

#include <windowsx.h>

#include "app/app_state_win.h"

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
    if (!g_picking || (keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) || !g_app.subWindow) return;
    PixelColour colour;
    bool found =
        HasCurrentImage(g_app.session) && PixelUnderPoint(g_app.session.current, g_app.geometry,
                                                          ViewPoint{GET_X_LPARAM(point), GET_Y_LPARAM(point)}, &colour);
    std::wstring text = PixelReadoutText(found ? &colour : nullptr);
    SetWindowTextW(g_app.subWindow, text.c_str());
    if (g_picked) g_picked(found ? &colour : nullptr);
}

} // namespace qv
