// Unsharp mask (5170): the difference of the image and its 5 x 5 blur is made once when the tool
// opens; each recompute moves the pixels whose difference passes the threshold by the amount.
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/tool_table_win.h"
#include "tools/unsharp_kernel.h"

namespace qv {

namespace {

constexpr uint16_t kSlotUsmLevel = 132;
constexpr uint16_t kSlotUsmRange = 133;

enum Control { kAmount, kThreshold };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrUnsharpAmount, kSlotUsmLevel, kUnsharpAmountMin, kUnsharpAmountMax},
    {ToolControlKind::Number, kStrUnsharpThreshold, kSlotUsmRange, kUnsharpThresholdMin, kUnsharpThresholdMax},
};

struct UnsharpState : ToolState {
    LargeBlock difference;
};

UnsharpParams Params(const ToolWindow& tool) {
    UnsharpParams p;
    p.amount = ToolValue(tool, kAmount);
    p.threshold = ToolValue(tool, kThreshold);
    if (tool.state)
        p.difference = reinterpret_cast<const int8_t*>(static_cast<const UnsharpState&>(*tool.state).difference.get());
    return p;
}

bool Open(ToolWindow* tool) {
    auto state = std::make_unique<UnsharpState>();
    const ImageBuffer& current = g_session.current;
    state->difference.reset(reinterpret_cast<uint8_t*>(MakeUnsharpDifference(
        tool->working.get(), current.header.biWidth, current.header.biHeight, KernelThreadCount())));
    if (!state->difference) return false;
    tool->state = std::move(state);
    return true;
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunUnsharp(preview.job, Params(*tool), preview.threads);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralUnsharp(Params(tool));
}

} // namespace

const ToolClass kUnsharpMaskTool = {
    .command = kCmdUnsharpMask,
    .number = 19,
    .flags = kToolPreviewWorker | kToolNeedsFiveByFive,
    .controls = kControls,
    .open = Open,
    .neutral = Neutral,
    .recompute = Recompute,
};

} // namespace qv
