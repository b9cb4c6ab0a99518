// Area selection (5130): a tool without a worker that edits the selection mask on the GUI thread.
// The result pane shows the mask being edited over the working copy (protected pixels dimmed
// grey); Apply makes that mask current and commits the 24-bit working copy with it, so an 8-bit
// image becomes 24-bit at that moment. The kernels, the combine table and the tool's own undo
// list are in selection_session.h; this file is the band, the mouse on the panes and the
// smooth-edges dialog.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/settings.h"
#include "model/ui_strings.h"
#include "tools/selection_outline.h"
#include "tools/selection_session.h"
#include "tools/tool_result.h"
#include "tools/tool_table_win.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "ui/window_classes.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotAreMode = 97;
constexpr uint16_t kSlotAreType = 98;
constexpr uint16_t kSlotAreSize = 99;
constexpr uint16_t kSlotAreRange = 100;
constexpr uint16_t kSlotAreUnit = 101;
constexpr uint16_t kSlotAreSmooth = 102;

enum Control { kMode, kShape, kValue, kUnit, kInvert, kSmooth, kSize, kRange, kSmoothRadius };

// The value box is one field that edits AreSize for the brush and AreRange for similar colour;
// both keys are kept in rows of their own.
constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Combo, kStrSelectModeFirst, kSlotAreMode, kSelectNew, kSelectAllProtected},
    {ToolControlKind::Radio, kStrSelectShapeFirst, kSlotAreType, kShapeRectangle, kShapeSimilarColour},
    {ToolControlKind::Number, kStrValueBoxBrushSize, 0, 0, kAreRangeMax, 0, 0, 0, kStrValueBoxColourRange},
    {ToolControlKind::Check, kStrSelectConnected, kSlotAreUnit, 0, 1},
    {ToolControlKind::Button, kStrSelectInvert},
    {ToolControlKind::Button, kStrSelectSmoothEdges},
    {ToolControlKind::Stored, 0, kSlotAreSize, kAreSizeMin, kAreSizeMax},
    {ToolControlKind::Stored, 0, kSlotAreRange, kAreRangeMin, kAreRangeMax},
    {ToolControlKind::Stored, 0, kSlotAreSmooth, kAreSmoothMin, kAreSmoothMax},
};

// What the mouse is doing on the panes.
struct Gesture {
    bool active = false;
    int32_t shape = kShapeRectangle;
    POINT pressClient{};
    POINT lastClient{};
    ImagePoint pressImage;
    ImagePoint lastImage;
    FreehandOutline outline;
    std::vector<POINT> outlineClient; // the outline as drawn on the pane
    BrushDisc disc;
    uint8_t brushValue = kMaskProtected;
};

struct SelectionState : ToolState {
    SelectionSession session;
    Gesture gesture;
    int32_t mode = kSelectNew; // the mode the list shows again after an action
    bool bandShown = false;    // the value box follows the shape from the first preview on
    bool hoverShown = false;
    POINT hover{};
};

SelectionState& StateOf(ToolWindow* tool) {
    return *static_cast<SelectionState*>(tool->state.get());
}

void Report(uint32_t message) {
    if (message != 0) ErrorBox(CurrentMainWindow(), message);
}

// After every change of the mask: the display copy again and the panes repainted.
void MaskChanged(ToolWindow* tool, uint32_t message) {
    RecomputeTool(tool);
    Report(message);
}

void ShowValueBox(ToolWindow* tool) {
    int32_t shape = ToolValue(*tool, kShape);
    ValueBoxRule rule = ValueBoxFor(shape);
    if (rule.enabled) {
        SetToolNumberRange(tool, kValue, rule.label, rule.minimum, rule.maximum);
        SetToolValue(tool, kValue, ToolValue(*tool, shape == kShapeBrush ? kSize : kRange));
    }
    EnableToolControl(tool, kValue, rule.enabled);
    EnableToolControl(tool, kUnit, UnitBoxApplies(shape));
}

// ---- the smooth-edges dialog ----------------------------------------------------------------

INT_PTR CALLBACK SmoothEdgesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* radius = reinterpret_cast<int32_t*>(GetWindowLongPtrW(dialog, DWLP_USER));
    auto clampField = [&] {
        BOOL ok = FALSE;
        int32_t v = static_cast<int32_t>(GetDlgItemInt(dialog, kCtlSmoothEdgesRadius, &ok, TRUE));
        v = ok ? std::clamp(v, kAreSmoothMin, kAreSmoothMax) : *radius;
        SetDlgItemInt(dialog, kCtlSmoothEdgesRadius, static_cast<UINT>(v), TRUE);
        return v;
    };
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        radius = reinterpret_cast<int32_t*>(lParam);
        SendDlgItemMessageW(dialog, kCtlSmoothEdgesRadius, EM_SETLIMITTEXT, 3, 0);
        HWND upDown = GetDlgItem(dialog, kCtlSmoothEdgesUpDown);
        SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kCtlSmoothEdgesRadius)), 0);
        SendMessageW(upDown, UDM_SETRANGE32, kAreSmoothMin, kAreSmoothMax);
        SendMessageW(upDown, UDM_SETPOS32, 0, *radius);
        SetDlgItemInt(dialog, kCtlSmoothEdgesRadius, static_cast<UINT>(*radius), TRUE);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kCtlSmoothEdgesRadius:
            if (HIWORD(wParam) == EN_KILLFOCUS) clampField();
            return TRUE;
        case IDOK:
            *radius = clampField();
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        }
        break;
    }
    return FALSE;
}

void SmoothEdges(ToolWindow* tool) {
    int32_t radius = ToolValue(*tool, kSmoothRadius);
    if (RunDialog(kDlgSmoothEdges, CurrentMainWindow(), SmoothEdgesProc, reinterpret_cast<LPARAM>(&radius),
                  g_settings.FHeight) != IDOK)
        return;
    SetToolValue(tool, kSmoothRadius, radius);
    SetCursor(Ui().waitCursor);
    uint32_t message = FeatherSelection(&StateOf(tool).session, ToolValue(*tool, kSmoothRadius), KernelThreadCount());
    SetCursor(Ui().arrowCursor);
    MaskChanged(tool, message);
}

// ---- the mouse on the panes -------------------------------------------------------------------

ImagePoint ImageOf(const ToolPaneMouse& m) {
    return ImagePoint{m.image.x, m.image.y};
}

HWND PaneWindow(int pane) {
    return FindWindowExW(SubWindowHandle(), nullptr, pane == 2 ? kPane2Class : kPane1Class, nullptr);
}

// The shape in `inside` combined with the mask in the current mode.
void FinishInside(ToolWindow* tool) {
    SelectionState& s = StateOf(tool);
    MaskChanged(tool, FinishShape(&s.session, s.mode));
}

void EndGesture(ToolWindow* tool, POINT client, ImagePoint at, bool completed) {
    SelectionState& s = StateOf(tool);
    Gesture& g = s.gesture;
    if (!g.active) return;
    g.active = false;
    SelectionSession& session = s.session;
    switch (g.shape) {
    case kShapeRectangle:
    case kShapeEllipse:
        // under one screen pixel in both directions is a click, not a shape
        if (completed && DragMakesShape(g.pressClient.x, g.pressClient.y, client.x, client.y)) {
            ImagePoint a = g.pressImage, b = at;
            if (g.shape == kShapeRectangle)
                FillRectangleShape(session.shape.get(), session.width, session.height, a, b);
            else
                FillEllipseShape(session.shape.get(), session.width, session.height, a, b);
            FinishInside(tool);
        }
        break;
    case kShapeOutline:
        // a stroke cut short still closes: the points drawn are what the user meant
        FillOutlineShape(session.shape.get(), session.width, session.height, g.outline.points.data(),
                         g.outline.points.size());
        FinishInside(tool);
        break;
    case kShapeBrush: MaskChanged(tool, EndBrushStroke(&session)); break;
    default: break;
    }
    g.outline.points.clear();
    g.outlineClient.clear();
    if (HWND captured = GetCapture(); captured == PaneWindow(1) || captured == PaneWindow(2)) ReleaseCapture();
    RepaintToolPanes();
}

void BeginGesture(ToolWindow* tool, const ToolPaneMouse& m) {
    SelectionState& s = StateOf(tool);
    Gesture& g = s.gesture;
    SelectionSession& session = s.session;
    int32_t shape = ToolValue(*tool, kShape);
    ImagePoint at = ImageOf(m);
    if (shape == kShapeSimilarColour) {
        // a click: the colour under it, compared with every pixel or only the connected ones
        if (!m.onImage) return;
        PixelPlane plane = PlaneOf24Bit(tool->working.get(), session.width, session.height);
        SetCursor(Ui().waitCursor);
        bool picked = FillSimilarColour(session.shape.get(), plane, at, ToolValue(*tool, kRange),
                                        ToolValue(*tool, kUnit) != 0, KernelThreadCount());
        SetCursor(Ui().arrowCursor);
        if (picked) FinishInside(tool);
        return;
    }
    g = Gesture{};
    g.active = true;
    g.shape = shape;
    g.pressClient = g.lastClient = m.client;
    g.pressImage = g.lastImage = at;
    if (shape == kShapeOutline) {
        BeginOutline(&g.outline, at);
        g.outlineClient.push_back(m.client);
    } else if (shape == kShapeBrush) {
        g.disc = MakeBrushDisc(ToolValue(*tool, kSize));
        g.brushValue = StartBrushStroke(&session, s.mode);
        StampBrushLine(session.mask.get(), session.width, session.height, g.disc, at, at, g.brushValue);
        RecomputeTool(tool);
    }
    SetCapture(PaneWindow(m.pane));
}

void MoveGesture(ToolWindow* tool, const ToolPaneMouse& m) {
    SelectionState& s = StateOf(tool);
    Gesture& g = s.gesture;
    SelectionSession& session = s.session;
    ImagePoint at = ImageOf(m);
    switch (g.shape) {
    case kShapeOutline:
        g.outlineClient.push_back(m.client);
        // a full outline closes and counts at once; the rest of the drag adds nothing
        if (AddOutlinePoint(&g.outline, at)) EndGesture(tool, m.client, at, true);
        break;
    case kShapeBrush:
        StampBrushLine(session.mask.get(), session.width, session.height, g.disc, g.lastImage, at, g.brushValue);
        RecomputeTool(tool);
        break;
    default: break;
    }
    g.lastClient = m.client;
    g.lastImage = at;
    RepaintToolPanes();
}

bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& m) {
    SelectionState& s = StateOf(tool);
    Gesture& g = s.gesture;
    switch (m.message) {
    case WM_LBUTTONDOWN:
        if (!g.active) BeginGesture(tool, m);
        return true;
    case WM_MOUSEMOVE:
        if (g.active) {
            MoveGesture(tool, m);
        } else if (ToolValue(*tool, kShape) == kShapeBrush) {
            // the brush outline follows the pointer
            s.hover = m.client;
            s.hoverShown = true;
            RepaintToolPanes();
        }
        return true;
    case WM_LBUTTONUP: EndGesture(tool, m.client, ImageOf(m), true); return true;
    case WM_LBUTTONDBLCLK: return true;
    case WM_CAPTURECHANGED:
        // the capture went elsewhere (a message box, another window): a stroke or an outline ends
        // where it was, a rubber band is dropped
        if (g.active)
            EndGesture(tool, g.lastClient, g.lastImage, g.shape != kShapeRectangle && g.shape != kShapeEllipse);
        return true;
    default: return false;
    }
}

void PaintPane(ToolWindow* tool, const ToolPanePaint& paint) {
    SelectionState& s = StateOf(tool);
    const Gesture& g = s.gesture;
    HDC dc = paint.dc;
    int saved = SaveDC(dc);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SetROP2(dc, R2_XORPEN);
    if (g.active && (g.shape == kShapeRectangle || g.shape == kShapeEllipse)) {
        int l = std::min(g.pressClient.x, g.lastClient.x), r = std::max(g.pressClient.x, g.lastClient.x) + 1;
        int t = std::min(g.pressClient.y, g.lastClient.y), b = std::max(g.pressClient.y, g.lastClient.y) + 1;
        if (g.shape == kShapeRectangle)
            Rectangle(dc, l, t, r, b);
        else
            Ellipse(dc, l, t, r, b);
    } else if (g.active && g.shape == kShapeOutline && g.outlineClient.size() > 1) {
        Polyline(dc, g.outlineClient.data(), static_cast<int>(g.outlineClient.size()));
    }
    if (ToolValue(*tool, kShape) == kShapeBrush && (s.hoverShown || g.active)) {
        POINT at = g.active ? g.lastClient : s.hover;
        double zoom = paint.geometry && paint.geometry->zoom > 0 ? paint.geometry->zoom : 1.0;
        int radius = std::max(1, static_cast<int>(ToolValue(*tool, kSize) * zoom / 2.0 + 0.5));
        Ellipse(dc, at.x - radius, at.y - radius, at.x + radius + 1, at.y + radius + 1);
    }
    RestoreDC(dc, saved);
}

HCURSOR PaneCursor(ToolWindow*, const ToolPaneMouse&) {
    return LoadCursorW(nullptr, IDC_CROSS);
}

bool Dragging(const ToolWindow& tool) {
    return static_cast<const SelectionState*>(tool.state.get())->gesture.active;
}

// ---- the five operations ----------------------------------------------------------------------

void Construct(ToolWindow* tool) {
    // the actions of the mode list are not modes: a stored one opens in mode new
    if (IsModeAction(ToolValue(*tool, kMode))) SetToolValue(tool, kMode, kSelectNew);
}

bool Open(ToolWindow* tool) {
    const ImageBuffer& current = g_session.current;
    int32_t w = current.header.biWidth, h = current.header.biHeight;
    auto state = std::make_unique<SelectionState>();
    const SelectionMask& mask = g_session.mask;
    bool fits = HasSelectionMask(mask) && mask.width == w && mask.height == h;
    uint32_t message = OpenSelectionSession(&state->session, w, h, fits ? mask.bytes.get() : nullptr);
    if (message == kStrSelectionCannotOpen) return false;
    state->mode = ToolValue(*tool, kMode);
    tool->state = std::move(state);
    Report(message); // the first state could not be written: the tool still works, undo stops short
    return true;
}

void Changed(ToolWindow* tool, int control) {
    SelectionState& s = StateOf(tool);
    switch (control) {
    case kMode: {
        int32_t entry = ToolValue(*tool, kMode);
        if (!IsModeAction(entry)) {
            s.mode = entry;
            break;
        }
        // the list shows the mode again once the action has run
        SetToolValue(tool, kMode, s.mode);
        MaskChanged(tool, RunModeAction(&s.session, entry));
        break;
    }
    case kShape: ShowValueBox(tool); break;
    case kValue:
        if (ToolValue(*tool, kShape) == kShapeBrush) SetToolValue(tool, kSize, ToolValue(*tool, kValue));
        if (ToolValue(*tool, kShape) == kShapeSimilarColour) SetToolValue(tool, kRange, ToolValue(*tool, kValue));
        break;
    case kInvert: MaskChanged(tool, InvertSelection(&s.session)); break;
    case kSmooth: SmoothEdges(tool); break;
    default: break;
    }
}

bool Neutral(const ToolWindow& tool) {
    return !static_cast<const SelectionState*>(tool.state.get())->session.ownMask;
}

// The preview is the mask display of the mask being edited.
void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    SelectionState& s = StateOf(tool);
    if (!s.bandShown) {
        s.bandShown = true;
        ShowValueBox(tool);
    }
    BuildMaskDisplay(preview.job.source, s.session.mask.get(), s.session.width, s.session.height, preview.job.dest);
}

bool TakeEdit(ToolWindow* tool, ImageBuffer* edited, LargeBlock* mask) {
    SelectionSession& s = StateOf(tool).session;
    uint32_t bytes = 0;
    if (!SelectionApplyLabel(s.ownMask) || !SelectionMaskBytes(s.width, s.height, &bytes) || !tool->working)
        return false;
    LargeBlock copy(static_cast<uint8_t*>(AllocLargeBlock(bytes)));
    if (!copy) {
        Report(kStrOutOfMemory);
        return false;
    }
    std::memcpy(copy.get(), s.mask.get(), MaskBytes(s));
    // the working copy is the image as it is (an 8-bit one expanded through its palette)
    edited->header = g_session.current.header;
    TakeToolResult(edited, tool->working.release(), s.width, s.height, 24);
    *mask = std::move(copy);
    return true;
}

// The undo list's files go with the state, after this.
void Destroy(ToolWindow* tool) {
    if (!tool->state) return; // the open step failed
    StateOf(tool).gesture.active = false;
    if (HWND captured = GetCapture(); captured && (captured == PaneWindow(1) || captured == PaneWindow(2)))
        ReleaseCapture();
    RepaintToolPanes();
}

void StepUndo(ToolWindow* tool, int32_t step) {
    SelectionState& s = StateOf(tool);
    if (s.gesture.active) return;
    MaskStepResult r = step < 0 ? UndoSelection(&s.session) : RedoSelection(&s.session);
    if (r == MaskStepResult::Unreadable) Report(kStrMaskStateNotRead);
    if (r == MaskStepResult::Moved) RecomputeTool(tool);
}

} // namespace

const ToolClass kAreaSelectionTool = {
    .command = kCmdAreaSelection,
    .number = 1,
    .flags = 0,
    .controls = kControls,
    .construct = Construct,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .destroy = Destroy,
    .recompute = Recompute,
    .paneMouse = PaneMouse,
    .paintPane = PaintPane,
    .paneCursor = PaneCursor,
    .dragging = Dragging,
    .takeEdit = TakeEdit,
    .stepUndo = StepUndo,
};

} // namespace qv
