// Mosaic (5271): block width and height, square blocks (the height follows the width and its box
// is disabled), shifted rows and tiles. Always recorded when applied.
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/mosaic_kernel.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotMosSync = 140;
constexpr uint16_t kSlotMosBlockW = 141;
constexpr uint16_t kSlotMosBlockH = 142;
constexpr uint16_t kSlotMosShift = 143;
constexpr uint16_t kSlotMosTile = 144;

enum Control { kWidth, kHeight, kSquare, kShift, kTile };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrMosaicWidth, kSlotMosBlockW, kMosaicBlockMin, kMosaicBlockMax},
    {ToolControlKind::Number, kStrMosaicHeight, kSlotMosBlockH, kMosaicBlockMin, kMosaicBlockMax},
    {ToolControlKind::Check, kStrMosaicSquare, kSlotMosSync},
    {ToolControlKind::Check, kStrMosaicShift, kSlotMosShift},
    {ToolControlKind::Check, kStrMosaicTiles, kSlotMosTile},
};

MosaicParams Params(const ToolWindow& tool) {
    MosaicParams p;
    p.blockWidth = ToolValue(tool, kWidth);
    p.blockHeight = ToolValue(tool, kHeight);
    p.sync = ToolValue(tool, kSquare) != 0;
    p.shift = ToolValue(tool, kShift) != 0;
    p.tile = ToolValue(tool, kTile) != 0;
    return p;
}

// Square blocks: the height box shows the width and takes no input.
void FollowSquare(ToolWindow* tool) {
    const bool square = ToolValue(*tool, kSquare) != 0;
    if (square) SetToolValue(tool, kHeight, ToolValue(*tool, kWidth));
    EnableToolControl(tool, kHeight, !square);
}

void Changed(ToolWindow* tool, int control) {
    if (control == kWidth || control == kSquare) FollowSquare(tool);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunMosaic(preview.job, Params(*tool), preview.threads);
}

} // namespace

const ToolClass kMosaicTool = {
    .command = kCmdMosaic,
    .number = 24,
    .flags = kToolPreviewWorker | kToolNeedsFiveByFive,
    .controls = kControls,
    .shown = FollowSquare,
    .changed = Changed,
    .recompute = Recompute,
};

} // namespace qv
