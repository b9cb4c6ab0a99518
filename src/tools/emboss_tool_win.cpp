// Emboss (5273): direction 0-7, level 1-16 and the colour form. Always recorded when applied.
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/emboss_kernel.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotEmbLine = 147;
constexpr uint16_t kSlotEmbLevel = 148;
constexpr uint16_t kSlotEmbColor = 149;

enum Control { kDirection, kLevel, kColour };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrEmbossDirection, kSlotEmbLine, kEmbossDirectionMin, kEmbossDirectionMax},
    {ToolControlKind::Number, kStrFilterLevel, kSlotEmbLevel, kEmbossLevelMin, kEmbossLevelMax},
    {ToolControlKind::Check, kStrEmbossColour, kSlotEmbColor},
};

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    EmbossParams p;
    p.direction = ToolValue(*tool, kDirection);
    p.level = ToolValue(*tool, kLevel);
    p.colour = ToolValue(*tool, kColour) != 0;
    RunEmboss(preview.job, p, preview.threads);
}

} // namespace

const ToolClass kEmbossTool = {
    .command = kCmdEmboss,
    .number = 26,
    .flags = kToolPreviewWorker | kToolNeedsFiveByFive,
    .controls = kControls,
    .recompute = Recompute,
};

} // namespace qv
