// Turn by angle (5140): the angle in tenths of a degree, shown with one decimal, the reference of a
// straightening line, the grid and the background colour. The worker turns a preview of the
// image's own size by nearest neighbours on every change; Apply computes the bilinear turn with
// its border afterwards, on the GUI thread.
#include <algorithm>
#include <memory>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/tool_table_win.h"
#include "tools/turn_kernel.h"

namespace qv {

namespace {

constexpr uint16_t kSlotTurGrid = 183, kSlotTurVLine = 184, kSlotTurBg = 185;

enum Control { kAngle, kVerticalLine, kGrid, kBackground };

constexpr ToolControlRow AngleRow() {
    ToolControlRow row{ToolControlKind::Number, kStrGeoAngle, 0, kTurnAngleMin, kTurnAngleMax};
    row.dragStep = kTurnAngleDragStep;
    row.format = FormatTurnAngle;
    row.parse = ParseTurnAngle;
    return row;
}

constexpr ToolControlRow kControls[] = {
    AngleRow(),
    {ToolControlKind::Check, kStrGeoVerticalLine, kSlotTurVLine},
    {ToolControlKind::Check, kStrGeoGrid, kSlotTurGrid},
    {ToolControlKind::Colour, kStrGeoBackground, kSlotTurBg},
};

uint32_t Background(const ToolWindow& tool) {
    return static_cast<uint32_t>(ToolValue(tool, kBackground));
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    TurnPreviewParams params = MakeTurnPreviewParams(ToolValue(*tool, kAngle), Background(*tool));
    RunKernelBands(preview.job, TurnPreviewBand, &params, preview.threads);
}

// The straightening line while it is drawn, in pane client pixels.
struct TurnState : ToolState {
    bool drawing = false;
    POINT start{}, end{};
};

TurnState& StateOf(const ToolWindow& tool) {
    return static_cast<TurnState&>(*tool.state);
}

bool Open(ToolWindow* tool) {
    tool->state = std::make_unique<TurnState>();
    return tool->state != nullptr;
}

// A line drawn across the view: on release it gives the angle that makes it level (or upright),
// written into the field as if typed.
bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& m) {
    TurnState& s = StateOf(*tool);
    switch (m.message) {
    case WM_LBUTTONDOWN:
        s.drawing = true;
        s.start = s.end = m.client;
        RepaintToolPanes();
        return true;
    case WM_MOUSEMOVE:
        if (!s.drawing) return false;
        s.end = m.client;
        if (!(m.keys & MK_LBUTTON)) s.drawing = false; // the release went elsewhere
        RepaintToolPanes();
        return true;
    case WM_LBUTTONUP: {
        if (!s.drawing) return false;
        s.drawing = false;
        s.end = m.client;
        int32_t angle = 0;
        if (StraighteningAngle(s.start.x, s.start.y, s.end.x, s.end.y, ToolValue(*tool, kAngle),
                               ToolValue(*tool, kVerticalLine) != 0, &angle)) {
            SetToolValue(tool, kAngle, angle);
            RecomputeTool(tool);
        }
        RepaintToolPanes();
        return true;
    }
    case WM_CAPTURECHANGED: s.drawing = false; return false;
    }
    return false;
}

void PaintPane(ToolWindow* tool, const ToolPanePaint& paint) {
    const TurnState& s = StateOf(*tool);
    const ViewGeometry& g = *paint.geometry;
    if (s.drawing) {
        HPEN pen = CreatePen(PS_DOT, 1, RGB(255, 0, 0));
        HGDIOBJ old = SelectObject(paint.dc, pen);
        int oldMode = SetBkMode(paint.dc, OPAQUE);
        MoveToEx(paint.dc, s.start.x, s.start.y, nullptr);
        LineTo(paint.dc, s.end.x, s.end.y);
        SetBkMode(paint.dc, oldMode);
        SelectObject(paint.dc, old);
        DeleteObject(pen);
        return;
    }
    if (!ToolValue(*tool, kGrid) || paint.pane != 2) return;
    constexpr int32_t kMaxLines = 1024;
    int32_t xs[kMaxLines], ys[kMaxLines];
    int32_t nx = std::min(TurnGridLines(g.displayLeft, g.displayWidth, xs, kMaxLines), kMaxLines);
    int32_t ny = std::min(TurnGridLines(g.displayTop, g.displayHeight, ys, kMaxLines), kMaxLines);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    HGDIOBJ old = SelectObject(paint.dc, pen);
    for (int32_t i = 0; i < nx; ++i) {
        MoveToEx(paint.dc, xs[i], g.displayTop, nullptr);
        LineTo(paint.dc, xs[i], g.displayTop + g.displayHeight);
    }
    for (int32_t i = 0; i < ny; ++i) {
        MoveToEx(paint.dc, g.displayLeft, ys[i], nullptr);
        LineTo(paint.dc, g.displayLeft + g.displayWidth, ys[i]);
    }
    SelectObject(paint.dc, old);
    DeleteObject(pen);
}

HCURSOR PaneCursor(ToolWindow*, const ToolPaneMouse&) {
    return LoadCursorW(nullptr, IDC_CROSS);
}

bool Dragging(const ToolWindow& tool) {
    return StateOf(tool).drawing;
}

void Changed(ToolWindow*, int control) {
    if (control == kGrid) RepaintToolPanes();
}

bool Neutral(const ToolWindow& tool) {
    return ToolValue(tool, kAngle) == 0;
}

uint8_t* ApplyResult(ToolWindow* tool, int32_t* width, int32_t* height, uint16_t* bitCount) {
    *bitCount = 24;
    return TurnPixelsByAngle(g_session.current, ToolValue(*tool, kAngle), Background(*tool), KernelThreadCount(), width,
                             height);
}

} // namespace

const ToolClass kTurnByAngleTool = {
    .command = kCmdTurnByAngle,
    .number = 9,
    .flags = kToolPreviewWorker | kToolChangesSize,
    .controls = kControls,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
    .applyResult = ApplyResult,
    .paneMouse = PaneMouse,
    .paintPane = PaintPane,
    .paneCursor = PaneCursor,
    .dragging = Dragging,
};

} // namespace qv
