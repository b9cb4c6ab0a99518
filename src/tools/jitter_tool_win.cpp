// Jitter (5272): each pixel blended with a randomly displaced one. Every recompute draws a new
// pattern from a new seed; Apply keeps the pattern the preview shows. Always recorded.
#include <windows.h>

#include <atomic>

#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/jitter_kernel.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotJitLevel = 145;
constexpr uint16_t kSlotJitRange = 146;

enum Control { kStrength, kRange };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrJitterStrength, kSlotJitLevel, kJitterLevelMin, kJitterLevelMax},
    {ToolControlKind::Number, kStrJitterRange, kSlotJitRange, kJitterRangeMin, kJitterRangeMax},
};

struct JitterState : ToolState {
    std::atomic<uint32_t> seed{kJitterDefaultSeed};
};

bool Open(ToolWindow* tool) {
    auto state = std::make_unique<JitterState>();
    // a pattern of its own for each opening
    state->seed.store(GetTickCount(), std::memory_order_relaxed);
    tool->state = std::move(state);
    return true;
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    JitterParams p;
    p.level = ToolValue(*tool, kStrength);
    p.range = ToolValue(*tool, kRange);
    p.seed = static_cast<JitterState&>(*tool->state).seed.fetch_add(1, std::memory_order_relaxed);
    RunJitter(preview.job, p, preview.threads);
}

} // namespace

const ToolClass kJitterTool = {
    .command = kCmdJitter,
    .number = 25,
    .flags = kToolPreviewWorker | kToolNeedsFiveByFive,
    .controls = kControls,
    .open = Open,
    .recompute = Recompute,
};

} // namespace qv
