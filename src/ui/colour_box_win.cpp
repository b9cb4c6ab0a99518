#include "ui/colour_box_win.h"

#include <commdlg.h>

#include "ui/win_handles_win.h"

namespace qv {

namespace {

// The dialog's sixteen custom colours live as long as the program, as users expect them to.
COLORREF g_customColours[16] = {};

void Paint(HWND box) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(box, &ps);
    RECT r;
    GetClientRect(box, &r);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&r, -1, -1);
    GdiObject<HBRUSH> fill(CreateSolidBrush(static_cast<COLORREF>(ColourBoxColour(box))));
    if (fill) FillRect(dc, &r, fill.get());
    EndPaint(box, &ps);
}

void Choose(HWND box) {
    CHOOSECOLORW cc{sizeof cc};
    cc.hwndOwner = GetAncestor(box, GA_ROOT);
    cc.rgbResult = static_cast<COLORREF>(ColourBoxColour(box));
    cc.lpCustColors = g_customColours;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorW(&cc)) return;
    SetColourBoxColour(box, cc.rgbResult);
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), kColourBoxChanged),
                 reinterpret_cast<LPARAM>(box));
}

} // namespace

LRESULT CALLBACK ColourBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: Paint(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONUP: Choose(window); return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS;
    case WM_CHAR:
        if (wParam == L' ') Choose(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SetColourBoxColour(HWND box, uint32_t colour) {
    SetWindowLongPtrW(box, GWLP_USERDATA, static_cast<LONG_PTR>(colour & 0xFFFFFFu));
    InvalidateRect(box, nullptr, FALSE);
}

uint32_t ColourBoxColour(HWND box) {
    return static_cast<uint32_t>(GetWindowLongPtrW(box, GWLP_USERDATA)) & 0xFFFFFFu;
}

} // namespace qv
