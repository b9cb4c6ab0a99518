// Turn by angle (5140): the angle in tenths of a degree, shown with one decimal, the reference of a
// straightening line, the grid and the background colour. The worker turns a preview of the
// image's own size by nearest neighbours on every change; Apply computes the bilinear turn with
// its border afterwards, on the GUI thread.
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
    .neutral = Neutral,
    .recompute = Recompute,
    .applyResult = ApplyResult,
};

} // namespace qv
