// Noise reduction (5182), the model of a tool with a preview worker: one control bound to its
// settings slot, the kernel run on every recompute, and a neutral test. Nothing to construct,
// open or destroy of its own.
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/noise_reduction_kernel.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotNsrLevel = 139;

enum Control { kLevel };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrFilterLevel, kSlotNsrLevel, kNoiseLevelMin, kNoiseLevelMax},
};

NoiseReductionParams Params(const ToolWindow& tool) {
    NoiseReductionParams p;
    p.level = ToolValue(tool, kLevel);
    return p;
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunNoiseReduction(preview.job, Params(*tool), preview.threads);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralNoiseReduction(Params(tool));
}

} // namespace

const ToolClass kNoiseReductionTool = {
    .command = kCmdNoiseReduction,
    .number = 22,
    .flags = kToolPreviewWorker | kToolNeedsFiveByFive,
    .controls = kControls,
    .neutral = Neutral,
    .recompute = Recompute,
};

} // namespace qv
