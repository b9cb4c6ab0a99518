// The paint brush (5190) and the correction brush (5191): tools without a worker that paint into
// the result image on the GUI thread as the mouse moves over either pane. The working copy stays
// the source of every stamp. Each finished stroke and each fill is one state of the tool's own
// undo list (a temporary file of the whole result), which Undo and Redo step through while the
// brush is open. The kernels are in brush_kernel.h.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/brush_kernel.h"
#include "tools/mask_undo_list.h"
#include "tools/tool_table_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotDpbSize = 121;
constexpr uint16_t kSlotDpbAlpha = 122;
constexpr uint16_t kSlotDpbColour = 123;
constexpr uint16_t kSlotDcbMode = 124;
constexpr uint16_t kSlotDcbSize = 125;
constexpr uint16_t kSlotDcbFirstValue = 126; // DcbGamUp, DcbGamDn, DcbHlsUp, DcbHlsDn, DcbSharp, DcbSoft

enum PaintControl { kPaintSize, kPaintOpacity, kPaintColour, kPaintFill };
enum CorrectionControl { kCorrMode, kCorrSize, kCorrStrength, kCorrFill, kCorrFirstValue };

constexpr ToolControlRow kPaintControls[] = {
    {ToolControlKind::Number, kStrBrushSize, kSlotDpbSize, kBrushSizeMin, kBrushSizeMax, 0, 0, kControlBrushSize},
    {ToolControlKind::Number, kStrBrushOpacity, kSlotDpbAlpha, 0, kBrushOpacityMax},
    {ToolControlKind::Colour, kStrToneColour, kSlotDpbColour},
    {ToolControlKind::Button, kStrBrushFill},
};

// The strength box edits the value of the current mode; each mode's value keeps its own row.
constexpr ToolControlRow ValueRow(int mode) {
    return {ToolControlKind::Stored, 0, static_cast<uint16_t>(kSlotDcbFirstValue + mode), kCorrectionValueMin,
            kCorrectionValueMax};
}
constexpr ToolControlRow kCorrectionControls[] = {
    {ToolControlKind::Combo, kStrBrushModeFirst, kSlotDcbMode, 0, kCorrectionModes - 1},
    {ToolControlKind::Number, kStrBrushSize, kSlotDcbSize, kBrushSizeMin, kBrushSizeMax, 0, 0, kControlBrushSize},
    {ToolControlKind::Number, kStrToneStrength, 0, kCorrectionValueMin, kCorrectionValueMax, kCorrectionValueMin},
    {ToolControlKind::Button, kStrBrushFill},
    ValueRow(kCorrectLighten),
    ValueRow(kCorrectDarken),
    ValueRow(kCorrectSaturate),
    ValueRow(kCorrectDesaturate),
    ValueRow(kCorrectSharpen),
    ValueRow(kCorrectSoften),
};

struct BrushState : ToolState {
    uint8_t* pixels = nullptr; // the result image the brush paints into, once the first preview made it
    int32_t width = 0, height = 0;
    MaskUndoList undo; // whole result images, the opening one first
    bool openingStored = false;
    bool stroking = false;
    BrushStroke stroke;
    BrushTarget target;
    bool hoverShown = false;
    POINT hover{};
    POINT lastClient{};
};

BrushState& StateOf(ToolWindow* tool) {
    return *static_cast<BrushState*>(tool->state.get());
}

bool IsPaint(const ToolWindow& tool) {
    return tool.tool->command == kCmdPaintBrush;
}

int32_t SizeOf(const ToolWindow& tool) {
    return IsPaint(tool) ? ToolValue(tool, kPaintSize) : ToolValue(tool, kCorrSize);
}

void Report(uint32_t message) {
    if (message != 0) ErrorBox(CurrentMainWindow(), message);
}

void PrepareTarget(ToolWindow* tool, BrushTarget* target) {
    if (IsPaint(*tool)) {
        PreparePaintTarget(static_cast<uint32_t>(ToolValue(*tool, kPaintColour)), ToolValue(*tool, kPaintOpacity),
                           target);
        return;
    }
    int32_t mode = ToolValue(*tool, kCorrMode);
    int32_t value = CorrectionHasValue(mode) ? ToolValue(*tool, kCorrFirstValue + mode) : kCorrectionValueMin;
    PrepareCorrectionTarget(mode, value, target);
}

BrushCanvas CanvasOf(ToolWindow* tool) {
    BrushState& s = StateOf(tool);
    return MakeBrushCanvas(tool->working.get(), s.pixels, s.width, s.height, HonouredMask(tool->tool->flags));
}

// A stroke or a fill is done: it becomes the newest state of the undo list.
void PushState(ToolWindow* tool) {
    BrushState& s = StateOf(tool);
    if (!PushMaskState(&s.undo, s.pixels)) Report(kStrMaskStateNotWritten);
}

HWND PaneWindow(int pane) {
    return FindWindowExW(SubWindowHandle(), nullptr, pane == 2 ? kPane2Class : kPane1Class, nullptr);
}

void EndStroke(ToolWindow* tool) {
    BrushState& s = StateOf(tool);
    if (!s.stroking) return;
    s.stroking = false;
    if (HWND captured = GetCapture(); captured && (captured == PaneWindow(1) || captured == PaneWindow(2)))
        ReleaseCapture();
    PushState(tool);
    RepaintToolPanes();
}

// The strength box shows the current mode's value, and is off for the modes without one.
void ShowStrength(ToolWindow* tool) {
    int32_t mode = ToolValue(*tool, kCorrMode);
    bool has = CorrectionHasValue(mode);
    if (has) SetToolValue(tool, kCorrStrength, ToolValue(*tool, kCorrFirstValue + mode));
    EnableToolControl(tool, kCorrStrength, has);
}

// ---- the mouse on the panes -------------------------------------------------------------------

bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& m) {
    BrushState& s = StateOf(tool);
    if (!s.pixels) return false;
    ImagePoint at{m.image.x, m.image.y};
    switch (m.message) {
    case WM_LBUTTONDOWN:
        if (s.stroking || !m.onImage) return true;
        PrepareTarget(tool, &s.target);
        s.stroke = BrushStroke{};
        s.stroke.diameter = SizeOf(*tool);
        s.stroking = true;
        s.lastClient = m.client;
        BeginBrushStroke(CanvasOf(tool), s.target, &s.stroke, at);
        SetCapture(PaneWindow(m.pane));
        RepaintToolPanes();
        return true;
    case WM_MOUSEMOVE:
        s.hover = m.client;
        s.hoverShown = true;
        if (s.stroking) {
            s.lastClient = m.client;
            ExtendBrushStroke(CanvasOf(tool), s.target, &s.stroke, at);
        }
        RepaintToolPanes();
        return true;
    case WM_LBUTTONUP:
        if (s.stroking) {
            ExtendBrushStroke(CanvasOf(tool), s.target, &s.stroke, at);
            EndStroke(tool);
        }
        return true;
    case WM_LBUTTONDBLCLK: return true;
    case WM_CAPTURECHANGED:
        // the capture went elsewhere (a message box): the stroke ends where it was
        EndStroke(tool);
        return true;
    default: return false;
    }
}

void PaintPane(ToolWindow* tool, const ToolPanePaint& paint) {
    BrushState& s = StateOf(tool);
    if (!s.hoverShown) return;
    HDC dc = paint.dc;
    int saved = SaveDC(dc);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SetROP2(dc, R2_XORPEN);
    POINT at = s.stroking ? s.lastClient : s.hover;
    double zoom = paint.geometry && paint.geometry->zoom > 0 ? paint.geometry->zoom : 1.0;
    int radius = std::max(1, static_cast<int>(SizeOf(*tool) * zoom / 2.0 + 0.5));
    Ellipse(dc, at.x - radius, at.y - radius, at.x + radius + 1, at.y + radius + 1);
    RestoreDC(dc, saved);
}

HCURSOR PaneCursor(ToolWindow*, const ToolPaneMouse&) {
    return LoadCursorW(nullptr, IDC_CROSS);
}

bool Dragging(const ToolWindow& tool) {
    return static_cast<const BrushState*>(tool.state.get())->stroking;
}

// ---- the five operations ----------------------------------------------------------------------

bool Open(ToolWindow* tool) {
    auto state = std::make_unique<BrushState>();
    state->width = g_session.current.header.biWidth;
    state->height = g_session.current.header.biHeight;
    tool->state = std::move(state);
    return true;
}

void Shown(ToolWindow* tool) {
    if (!IsPaint(*tool)) ShowStrength(tool);
}

void Changed(ToolWindow* tool, int control) {
    BrushState& s = StateOf(tool);
    bool fill = IsPaint(*tool) ? control == kPaintFill : control == kCorrFill;
    if (fill && s.pixels && !s.stroking) {
        BrushTarget target;
        PrepareTarget(tool, &target);
        SetCursor(Ui().waitCursor);
        FillWithBrushTarget(CanvasOf(tool), target);
        SetCursor(Ui().arrowCursor);
        PushState(tool);
        return;
    }
    if (IsPaint(*tool)) return;
    if (control == kCorrMode) ShowStrength(tool);
    if (control == kCorrStrength) {
        int32_t mode = ToolValue(*tool, kCorrMode);
        if (CorrectionHasValue(mode)) SetToolValue(tool, kCorrFirstValue + mode, ToolValue(*tool, kCorrStrength));
    }
}

// Nothing painted, or every stroke undone.
bool Neutral(const ToolWindow& tool) {
    const auto& s = *static_cast<const BrushState*>(tool.state.get());
    return s.undo.position <= 0 && s.openingStored;
}

// The first preview is the working copy; after that the result holds the strokes and a change of
// a control leaves it as it is.
void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    BrushState& s = StateOf(tool);
    if (s.pixels == preview.job.dest) return;
    const KernelJob& job = preview.job;
    std::memcpy(job.dest, job.source, size_t{job.stride} * static_cast<size_t>(job.height));
    s.pixels = job.dest;
    ResetMaskUndoList(&s.undo, size_t{job.stride} * static_cast<size_t>(job.height));
    s.openingStored = PushMaskState(&s.undo, s.pixels);
    if (!s.openingStored) Report(kStrMaskStateNotWritten); // the brush still works, undo stops short
}

void Destroy(ToolWindow* tool) {
    if (!tool->state) return;
    BrushState& s = StateOf(tool);
    s.stroking = false;
    if (HWND captured = GetCapture(); captured && (captured == PaneWindow(1) || captured == PaneWindow(2)))
        ReleaseCapture();
}

void StepUndo(ToolWindow* tool, int32_t step) {
    BrushState& s = StateOf(tool);
    if (s.stroking || !s.pixels) return;
    MaskStepResult r = StepMaskState(&s.undo, step, s.pixels);
    if (r == MaskStepResult::Unreadable) Report(kStrMaskStateNotRead);
    if (r == MaskStepResult::Moved) RepaintToolPanes();
}

} // namespace

// brushes
const ToolClass kPaintBrushTool = {
    .command = kCmdPaintBrush,
    .number = 2,
    .flags = 0,
    .controls = kPaintControls,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .destroy = Destroy,
    .recompute = Recompute,
    .paneMouse = PaneMouse,
    .paintPane = PaintPane,
    .paneCursor = PaneCursor,
    .dragging = Dragging,
    .stepUndo = StepUndo,
};

const ToolClass kCorrectionBrushTool = {
    .command = kCmdCorrectionBrush,
    .number = 3,
    .flags = 0,
    .controls = kCorrectionControls,
    .open = Open,
    .shown = Shown,
    .changed = Changed,
    .neutral = Neutral,
    .destroy = Destroy,
    .recompute = Recompute,
    .paneMouse = PaneMouse,
    .paintPane = PaintPane,
    .paneCursor = PaneCursor,
    .dragging = Dragging,
    .stepUndo = StepUndo,
};

} // namespace qv
