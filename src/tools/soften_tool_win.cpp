// Soften (5171): a mode list (3 x 3 box, 5 x 5 box, Gaussian) and one value for each mode, kept in
// its own slot; only the chosen mode's value is enabled, and switching the mode recomputes.
#include <algorithm>

#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/soften_kernel.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotSftMode = 134;
constexpr uint16_t kSlotSft3 = 135;
constexpr uint16_t kSlotSft5 = 136;
constexpr uint16_t kSlotSftG = 137;

enum Control { kMode, kBox3, kBox5, kRadius };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Combo, kStrSoftenModeFirst, kSlotSftMode, kSoftenBox3, kSoftenGaussian},
    {ToolControlKind::Number, kStrSoftenBox3, kSlotSft3, kSoftenStrengthMin, kSoftenStrengthMax},
    {ToolControlKind::Number, kStrSoftenBox5, kSlotSft5, kSoftenStrengthMin, kSoftenStrengthMax},
    {ToolControlKind::Number, kStrSoftenRadius, kSlotSftG, kSoftenRadiusMin, kSoftenRadiusMax},
};

SoftenParams Params(const ToolWindow& tool) {
    SoftenParams p;
    p.mode = ToolValue(tool, kMode);
    p.strength3 = ToolValue(tool, kBox3);
    p.strength5 = ToolValue(tool, kBox5);
    p.radius = ToolValue(tool, kRadius);
    return p;
}

void EnableModeValue(ToolWindow* tool) {
    const int32_t mode = ToolValue(*tool, kMode);
    EnableToolControl(tool, kBox3, mode == kSoftenBox3);
    EnableToolControl(tool, kBox5, mode == kSoftenBox5);
    EnableToolControl(tool, kRadius, mode == kSoftenGaussian);
}

void Changed(ToolWindow* tool, int control) {
    if (control == kMode) EnableModeValue(tool);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    const KernelJob& job = preview.job;
    // without memory for the Gaussian's rows the preview shows the image unchanged, not a torn one
    if (!RunSoften(job, Params(*tool), preview.threads))
        std::copy(job.source, job.source + static_cast<size_t>(job.stride) * job.height, job.dest);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralSoften(Params(tool));
}

} // namespace

const ToolClass kSoftenTool = {
    .command = kCmdSoften,
    .number = 20,
    .flags = kToolPreviewWorker | kToolNeedsFiveByFive,
    .controls = kControls,
    .shown = EnableModeValue,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
};

} // namespace qv
