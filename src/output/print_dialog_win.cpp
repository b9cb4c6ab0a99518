#include "output/print_dialog_win.h"

#include <windows.h>

// PrintDlgExW and its records are declared only once the COM interface macros are (its callback
// is an IUnknown), which the lean windows.h leaves out
#include <objbase.h>

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>

#include "image/open_image.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "output/print_image.h"
#include "output/print_layout.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "ui/window_layout_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

// Controls of template 4100.
constexpr int kCtlPrint = 4101;
constexpr int kCtlPageSetup = 4102;
constexpr int kCtlModePosition = 4110;
constexpr int kCtlModeFill = 4111;
constexpr int kCtlFrame = 4120;       // its left edge ends the preview panel
constexpr int kCtlFirstField = 4130;  // left, top, width, height in millimetres
constexpr int kCtlFirstUpDown = 4140; // one per field: field id + 10
constexpr int kCtlFirstLabel = 4150;  // the field labels and units, through 4160
constexpr int kCtlLastLabel = 4160;
constexpr int kCtlEffectiveLabel = 4161;
constexpr int kCtlEffectiveDpi = 4162;
constexpr int kCtlPrinterDpi = 4164;

constexpr int kPanelMargin = 7;
constexpr COLORREF kHandleColour = 0x6000FF;
constexpr int kHandleOutside = 3, kHandleInside = 7;
constexpr DWORD kPageSetupFlags = PSD_MINMARGINS | PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS | PSD_DISABLEMARGINS;

// Kept from the first dialog to the end of the program: the printer the user chose and where the
// image goes on the page.
struct PrinterChoice {
    HGLOBAL devMode = nullptr;
    HGLOBAL devNames = nullptr;
    PrintPlacementSettings placement;
};
PrinterChoice g_printer;

struct PrintDialogState {
    HWND dialog = nullptr;
    HWND panel = nullptr;
    HDC printer = nullptr; // the printer the geometry comes from
    const ImageBuffer* image = nullptr;
    PrintLayout layout;
    bool writing = false; // boxes rewritten by the program do not count as edits
    bool dragging = false;
    PreviewDrag drag;
};

// Replaces a kept handle, freeing the old one unless the system handed the same one back.
void KeepHandle(HGLOBAL* kept, HGLOBAL incoming) {
    if (!incoming || incoming == *kept) return;
    if (*kept) GlobalFree(*kept);
    *kept = incoming;
}

void ForgetPrinter() {
    if (g_printer.devMode) GlobalFree(g_printer.devMode);
    if (g_printer.devNames) GlobalFree(g_printer.devNames);
    g_printer.devMode = g_printer.devNames = nullptr;
}

// The device of the kept settings. The name comes from DEVNAMES when there is one: DEVMODE keeps
// only the first 31 characters of a long printer name.
HDC CreateKeptPrinterDC() {
    if (!g_printer.devMode) return nullptr;
    auto* mode = static_cast<DEVMODEW*>(GlobalLock(g_printer.devMode));
    auto* names = g_printer.devNames ? static_cast<DEVNAMES*>(GlobalLock(g_printer.devNames)) : nullptr;
    HDC dc = nullptr;
    if (mode) {
        const wchar_t* device =
            names ? reinterpret_cast<const wchar_t*>(names) + names->wDeviceOffset : mode->dmDeviceName;
        dc = CreateDCW(L"WINSPOOL", device, nullptr, mode);
    }
    if (names) GlobalUnlock(g_printer.devNames);
    if (mode) GlobalUnlock(g_printer.devMode);
    return dc;
}

// Stored settings that still work, else the default printer (whose first use starts at 100 mm).
HDC ChoosePrinter() {
    if (g_printer.devMode) {
        if (HDC dc = CreateKeptPrinterDC()) return dc;
        ForgetPrinter(); // the printer is gone or its settings no longer fit
    }
    PRINTDLGW pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDC | PD_RETURNDEFAULT;
    if (!PrintDlgW(&pd)) return nullptr;
    g_printer.devMode = pd.hDevMode;
    g_printer.devNames = pd.hDevNames;
    g_printer.placement.width = PrintPlacementSettings{}.width;
    return pd.hDC;
}

PageGeometry ReadPageGeometry(HDC dc) {
    return MakePageGeometry(GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                            GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT),
                            GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY),
                            GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES));
}

PrintDialogState* StateOf(HWND window) {
    return reinterpret_cast<PrintDialogState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void SetNumber(PrintDialogState* s, int control, int32_t value) {
    s->writing = true;
    SetDlgItemInt(s->dialog, control, static_cast<UINT>(value), FALSE);
    s->writing = false;
}

void WriteField(PrintDialogState* s, PrintField field) {
    std::wstring text = FormatMillimetres(FieldMillimetres(s->layout, field));
    s->writing = true;
    SetDlgItemTextW(s->dialog, kCtlFirstField + static_cast<int>(field), text.c_str());
    s->writing = false;
}

void WriteFields(PrintDialogState* s, uint32_t fields) {
    for (int f = 0; f < kPrintFieldCount; ++f)
        if (fields & FieldBit(static_cast<PrintField>(f))) WriteField(s, static_cast<PrintField>(f));
    SetNumber(s, kCtlEffectiveDpi, s->layout.effectiveDpi);
}

constexpr uint32_t kAllFields = 0xF;

void Repaint(PrintDialogState* s) {
    if (s->panel) InvalidateRect(s->panel, nullptr, FALSE);
}

// Position mode's labels, boxes and effective resolution take input; fill mode places by itself.
void EnablePositionControls(PrintDialogState* s) {
    BOOL on = s->layout.kept.mode == PrintMode::PositionAndSize;
    for (int id = kCtlFirstLabel; id <= kCtlLastLabel; ++id)
        if (HWND c = GetDlgItem(s->dialog, id)) EnableWindow(c, on);
    for (int f = 0; f < kPrintFieldCount; ++f) {
        EnableWindow(GetDlgItem(s->dialog, kCtlFirstField + f), on);
        EnableWindow(GetDlgItem(s->dialog, kCtlFirstUpDown + f), on);
    }
    EnableWindow(GetDlgItem(s->dialog, kCtlEffectiveLabel), on);
    EnableWindow(GetDlgItem(s->dialog, kCtlEffectiveDpi), on);
}

// A new printer or page: the page in the panel, the placement and every number shown.
void ShowGeometry(PrintDialogState* s, const PageGeometry& page) {
    s->layout.page = page;
    RECT client{};
    GetClientRect(s->panel, &client);
    s->layout.preview = LayOutPreview(page, client.right, client.bottom);
    PlaceImage(&s->layout);
    g_printer.placement = s->layout.kept;
    SetNumber(s, kCtlPrinterDpi, page.dpiX);
    WriteFields(s, kAllFields);
    Repaint(s);
}

void TakePrinter(PrintDialogState* s, HDC dc) {
    if (s->printer && s->printer != dc) DeleteDC(s->printer);
    s->printer = dc;
    ShowGeometry(s, ReadPageGeometry(dc));
}

void AfterPlacementChange(PrintDialogState* s, uint32_t rewrite) {
    g_printer.placement = s->layout.kept;
    WriteFields(s, rewrite);
    Repaint(s);
}

void OnFieldEdited(PrintDialogState* s, int control) {
    wchar_t text[64] = {};
    GetDlgItemTextW(s->dialog, control, text, 64);
    auto field = static_cast<PrintField>(control - kCtlFirstField);
    AfterPlacementChange(s, EditField(&s->layout, field, ParseMillimetres(text)));
}

// An up-down click: the box's value moves by the step, and the placement follows as if typed.
void OnUpDown(PrintDialogState* s, HWND upDown, int position) {
    int control = GetDlgCtrlID(upDown) - 10;
    if (control < kCtlFirstField || control >= kCtlFirstField + kPrintFieldCount) return;
    wchar_t text[64] = {};
    GetDlgItemTextW(s->dialog, control, text, 64);
    auto field = static_cast<PrintField>(control - kCtlFirstField);
    uint32_t rewrite = EditField(&s->layout, field, StepMillimetres(ParseMillimetres(text), position));
    AfterPlacementChange(s, rewrite | FieldBit(field));
    SendMessageW(upDown, UDM_SETPOS32, 0, 0);
}

void OnModeChosen(PrintDialogState* s, PrintMode mode) {
    s->layout.kept.mode = mode;
    g_printer.placement = s->layout.kept;
    EnablePositionControls(s);
    Repaint(s);
}

void OnPageSetup(PrintDialogState* s) {
    PAGESETUPDLGW psd{};
    psd.lStructSize = sizeof psd;
    psd.hwndOwner = s->dialog;
    psd.hDevMode = g_printer.devMode;
    psd.hDevNames = g_printer.devNames;
    psd.Flags = kPageSetupFlags;
    PageMargins m = UnprintableMargins(s->layout.page);
    psd.rtMinMargin = RECT{m.left, m.top, m.right, m.bottom};
    psd.rtMargin = psd.rtMinMargin;
    if (!PageSetupDlgW(&psd)) return;
    KeepHandle(&g_printer.devMode, psd.hDevMode);
    KeepHandle(&g_printer.devNames, psd.hDevNames);
    if (HDC dc = CreateKeptPrinterDC()) TakePrinter(s, dc);
}

void PrintPage(PrintDialogState* s, HDC dc, const PrintImage& image) {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    const std::wstring& name = g_session.list.currentName;
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = name.empty() ? L"Quorvel" : name.c_str();
    if (StartDocW(dc, &doc) <= 0) return;
    if (StartPage(dc) > 0) {
        PrintStretch st = PrintedStretch(s->layout);
        StretchDIBits(dc, st.destination.x, st.destination.y, st.destination.width, st.destination.height, st.sourceX,
                      st.sourceY, st.sourceWidth, st.sourceHeight, image.pixels,
                      reinterpret_cast<const BITMAPINFO*>(&image.header), DIB_RGB_COLORS, SRCCOPY);
        EndPage(dc);
    }
    EndDoc(dc);
}

void OnPrint(PrintDialogState* s) {
    PRINTPAGERANGE ranges[8] = {{1, 1}};
    PRINTDLGEXW pd{};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = s->dialog;
    pd.hDevMode = g_printer.devMode;
    pd.hDevNames = g_printer.devNames;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    pd.nPageRanges = 1;
    pd.nMaxPageRanges = 8;
    pd.lpPageRanges = ranges;
    pd.nMinPage = 1;
    pd.nMaxPage = 1;
    pd.nCopies = 1;
    pd.nStartPage = START_PAGE_GENERAL;
    HRESULT result = PrintDlgExW(&pd);
    KeepHandle(&g_printer.devMode, pd.hDevMode);
    KeepHandle(&g_printer.devNames, pd.hDevNames);
    if (FAILED(result) || pd.dwResultAction == PD_RESULT_CANCEL || !pd.hDC) {
        if (pd.hDC) DeleteDC(pd.hDC);
        return;
    }
    HDC dc = pd.hDC;
    PrintImage image;
    if (!(GetDeviceCaps(dc, RASTERCAPS) & RC_STRETCHDIB) || !PreparePrintImage(*s->image, &image)) {
        DeleteDC(dc);
        ErrorBox(s->dialog, kStrCannotPrint);
        Repaint(s);
        return;
    }
    // the printer chosen now is the one the dialog shows from here on
    ShowGeometry(s, ReadPageGeometry(dc));
    if (pd.dwResultAction == PD_RESULT_PRINT) PrintPage(s, dc, image);
    DeleteDC(dc);
    Repaint(s);
}

// ---- the preview panel ----------------------------------------------------------------------

void DrawHandles(HDC dc, const PrintRect& r) {
    HPEN pen = CreatePen(PS_SOLID, 1, kHandleColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int32_t right = r.x + r.width, bottom = r.y + r.height;
    const POINT corners[4] = {{r.x - kHandleOutside, r.y - kHandleOutside},
                              {right - kHandleInside, r.y - kHandleOutside},
                              {r.x - kHandleOutside, bottom - kHandleInside},
                              {right - kHandleInside, bottom - kHandleInside}};
    const int side = kHandleOutside + kHandleInside;
    for (const POINT& c : corners)
        Rectangle(dc, c.x, c.y, c.x + side, c.y + side);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
}

void FillArea(HDC dc, const PrintRect& r, HBRUSH brush) {
    RECT rect{r.x, r.y, r.x + r.width, r.y + r.height};
    FillRect(dc, &rect, brush);
}

void PaintPreview(PrintDialogState* s, HDC dc) {
    RECT client{};
    GetClientRect(s->panel, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    const PrintLayout& l = s->layout;
    const ImageBuffer& image = *s->image;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    HBRUSH window = GetSysColorBrush(COLOR_WINDOW);
    if (l.kept.mode == PrintMode::FillPrintable) {
        FillArea(dc, l.preview.page, window);
        PrintRect area = PrintablePreviewRect(l);
        StretchDIBits(dc, area.x, area.y, area.width, area.height, l.crop.left, l.crop.bottom, l.crop.width,
                      l.crop.height, image.pixels, AsBitmapInfo(&image), DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    PrintRect r = PlacedPreviewRect(l);
    if (s->dragging) { // an outline follows the pointer faster than the picture could
        FillArea(dc, l.preview.page, window);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, r.x, r.y, r.x + r.width, r.y + r.height);
        SelectObject(dc, oldBrush);
        return;
    }
    FillArea(dc, l.preview.page, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    StretchDIBits(dc, r.x, r.y, r.width, r.height, 0, 0, image.header.biWidth, image.header.biHeight, image.pixels,
                  AsBitmapInfo(&image), DIB_RGB_COLORS, SRCCOPY);
    DrawHandles(dc, r);
}

HCURSOR HitCursor(PreviewHit hit) {
    switch (hit) {
    case PreviewHit::TopLeft:
    case PreviewHit::BottomRight: return LoadCursorW(nullptr, IDC_SIZENWSE);
    case PreviewHit::TopRight:
    case PreviewHit::BottomLeft: return LoadCursorW(nullptr, IDC_SIZENESW);
    default: return Ui().arrowCursor ? Ui().arrowCursor : LoadCursorW(nullptr, IDC_ARROW);
    }
}

LRESULT CALLBACK PreviewPanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    PrintDialogState* s = StateOf(panel);
    if (!s) return DefWindowProcW(panel, message, wParam, lParam);
    const int32_t x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    switch (message) {
    case WM_ERASEBKGND: return 1; // the paint covers everything
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(panel, &ps);
        PaintPreview(s, dc);
        EndPaint(panel, &ps);
        return 0;
    }
    case WM_SETCURSOR: {
        POINT p{};
        GetCursorPos(&p);
        ScreenToClient(panel, &p);
        PreviewHit hit =
            s->layout.kept.mode == PrintMode::PositionAndSize ? HitTestPreview(s->layout, p.x, p.y) : PreviewHit::None;
        SetCursor(HitCursor(s->dragging ? s->drag.hit : hit));
        return TRUE;
    }
    case WM_LBUTTONDOWN:
        s->drag = BeginPreviewDrag(s->layout, x, y);
        if (s->drag.hit == PreviewHit::None) return 0;
        s->dragging = true;
        SetCapture(panel);
        Repaint(s);
        return 0;
    case WM_MOUSEMOVE:
        if (s->dragging) AfterPlacementChange(s, DragPreview(&s->layout, s->drag, x, y));
        return 0;
    case WM_LBUTTONUP:
        if (s->dragging) ReleaseCapture(); // WM_CAPTURECHANGED ends the drag
        return 0;
    case WM_CAPTURECHANGED:
        if (s->dragging) {
            s->dragging = false;
            Repaint(s);
        }
        return 0;
    }
    return DefWindowProcW(panel, message, wParam, lParam);
}

// ---- the dialog -----------------------------------------------------------------------------

void OpenDialog(HWND dialog, PrintDialogState* s) {
    s->dialog = dialog;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    RECT frame{}, client{};
    GetWindowRect(GetDlgItem(dialog, kCtlFrame), &frame);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
    GetClientRect(dialog, &client);
    // the inner size, at least a pixel, plus the static edge's two
    int width = std::max<int>(1, frame.left - 2 * kPanelMargin - 2) + 2;
    int height = std::max<int>(1, client.bottom - 2 * kPanelMargin - 2) + 2;
    s->panel = CreateWindowExW(WS_EX_STATICEDGE, kPrintPreviewClass, nullptr, WS_CHILD | WS_VISIBLE, kPanelMargin,
                               kPanelMargin, width, height, dialog, nullptr, Ui().instance, s);
    for (int f = 0; f < kPrintFieldCount; ++f)
        SendDlgItemMessageW(dialog, kCtlFirstUpDown + f, UDM_SETRANGE32, static_cast<WPARAM>(-1), 1);
    s->layout.kept = g_printer.placement;
    s->layout.imageWidth = s->image->header.biWidth;
    s->layout.imageHeight = s->image->header.biHeight;
    TakePrinter(s, s->printer);
    CheckRadioButton(dialog, kCtlModePosition, kCtlModeFill,
                     s->layout.kept.mode == PrintMode::FillPrintable ? kCtlModeFill : kCtlModePosition);
    EnablePositionControls(s);
    CentreOnOwner(dialog, GetWindow(dialog, GW_OWNER));
}

INT_PTR CALLBACK PrintDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OpenDialog(dialog, reinterpret_cast<PrintDialogState*>(lParam));
        return TRUE;
    }
    PrintDialogState* s = StateOf(dialog);
    if (!s) return FALSE;
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        if (id >= kCtlFirstField && id < kCtlFirstField + kPrintFieldCount) {
            if (code == EN_UPDATE && !s->writing) OnFieldEdited(s, id);
            if (code == EN_KILLFOCUS) WriteField(s, static_cast<PrintField>(id - kCtlFirstField));
            return TRUE;
        }
        switch (id) {
        case kCtlModePosition: OnModeChosen(s, PrintMode::PositionAndSize); return TRUE;
        case kCtlModeFill: OnModeChosen(s, PrintMode::FillPrintable); return TRUE;
        case kCtlPageSetup: OnPageSetup(s); return TRUE;
        case kCtlPrint: OnPrint(s); return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        break;
    }
    case WM_VSCROLL:
        if (LOWORD(wParam) == SB_THUMBPOSITION && lParam)
            OnUpDown(s, reinterpret_cast<HWND>(lParam), static_cast<short>(HIWORD(wParam)));
        return TRUE;
    }
    return FALSE;
}

} // namespace

void PrintCommand() {
    const ImageSession& session = g_session;
    if (!HasCurrentImage(session)) return;
    HWND owner = CurrentMainWindow();
    PrintDialogState state;
    state.image = &session.current;
    state.printer = ChoosePrinter();
    if (!state.printer) {
        ErrorBox(owner, kStrOutOfMemory);
        return;
    }
    WNDCLASSW panelClass{};
    panelClass.lpfnWndProc = PreviewPanelProc;
    panelClass.hInstance = Ui().instance;
    panelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panelClass.lpszClassName = kPrintPreviewClass;
    RegisterClassW(&panelClass);
    RunDialog(kDlgPrint, owner, PrintDialogProc, reinterpret_cast<LPARAM>(&state), g_settings.FHeight);
    UnregisterClassW(kPrintPreviewClass, Ui().instance);
    if (state.printer) DeleteDC(state.printer);
}

} // namespace qv
