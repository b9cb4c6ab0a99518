// Focus (5172): the strong Gaussian blur of the image is made once when the tool opens; each
// recompute blends it over the image by the level.
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/focus_kernel.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotFcsLevel = 138;

enum Control { kLevel };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrFilterLevel, kSlotFcsLevel, kFocusLevelMin, kFocusLevelMax},
};

struct FocusState : ToolState {
    LargeBlock blur;
};

FocusParams Params(const ToolWindow& tool) {
    FocusParams p;
    p.level = ToolValue(tool, kLevel);
    if (tool.state) p.blur = static_cast<const FocusState&>(*tool.state).blur.get();
    return p;
}

bool Open(ToolWindow* tool) {
    auto state = std::make_unique<FocusState>();
    const ImageBuffer& current = g_session.current;
    state->blur.reset(
        MakeFocusBlur(tool->working.get(), current.header.biWidth, current.header.biHeight, KernelThreadCount()));
    if (!state->blur) return false;
    tool->state = std::move(state);
    return true;
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunFocus(preview.job, Params(*tool), preview.threads);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralFocus(Params(tool));
}

} // namespace

const ToolClass kFocusTool = {
    .command = kCmdFocus,
    .number = 21,
    .flags = kToolPreviewWorker | kToolNeedsFiveByFive,
    .controls = kControls,
    .open = Open,
    .neutral = Neutral,
    .recompute = Recompute,
};

} // namespace qv
