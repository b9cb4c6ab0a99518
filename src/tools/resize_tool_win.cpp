// Resize (5121): width and height fields of 1 ... twice the image's sides, linked by the aspect
// ratio unless the check box says otherwise, and the preset list with its dialog. No preview: the
// view shows the image until Apply scales it on the GUI thread.
#include <memory>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/preset_list_win.h"
#include "tools/resize_kernel.h"
#include "tools/tool_table_win.h"
#include "ui/language_module_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

enum Control { kWidth, kHeight, kIndependent, kPreset };
constexpr int32_t kPresetEditEntry = kPresetSlots + 1; // after the title and the eight presets

// The sides' ranges and label drags follow the image; construct sets them.
constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrGeoWidth, 0, 1, 1},
    {ToolControlKind::Number, kStrGeoHeight, 0, 1, 1},
    {ToolControlKind::Check, kStrGeoIndependent},
    {ToolControlKind::Combo, kStrResizePresetTitle, 0, 0, kPresetEditEntry},
};

struct ResizeState : ToolState {
    SizePreset presets[kPresetSlots];
    ~ResizeState() override { WritePresets(ToolSettingsPath(), kResizePresetSlots, presets); }
};

ResizeState& StateOf(const ToolWindow& tool) {
    return static_cast<ResizeState&>(*tool.state);
}

int32_t ImageWidth() {
    return g_session.current.header.biWidth;
}
int32_t ImageHeight() {
    return g_session.current.header.biHeight;
}

ResizeParams Params(const ToolWindow& tool) {
    return ResizeParams{ToolValue(tool, kWidth), ToolValue(tool, kHeight), ToolValue(tool, kIndependent) != 0};
}

void Show(ToolWindow* tool, const ResizeParams& p) {
    SetToolValue(tool, kWidth, p.width);
    SetToolValue(tool, kHeight, p.height);
    SetToolValue(tool, kIndependent, p.independent ? 1 : 0);
}

void Construct(ToolWindow* tool) {
    const int32_t w = ImageWidth(), h = ImageHeight();
    ToolControlRow& width = tool->rows[kWidth];
    width.hi = 2 * w;
    width.dragStep = w / 256 + 1;
    ToolControlRow& height = tool->rows[kHeight];
    height.hi = 2 * h;
    height.dragStep = h / 256 + 1;
    ResizeParams p = InitialResize(w, h);
    tool->values[kWidth] = p.width;
    tool->values[kHeight] = p.height;
    tool->values[kIndependent] = 0;
    auto state = std::make_unique<ResizeState>();
    ReadPresets(ToolSettingsPath(), kResizePresetSlots, state->presets);
    tool->state = std::move(state);
}

void ChoosePreset(ToolWindow* tool, int32_t entry) {
    ResizeState& state = StateOf(*tool);
    if (entry >= 1 && entry <= kPresetSlots) {
        ResizeParams p = Params(*tool);
        if (ResizeChoosePreset(&p, state.presets[entry - 1], ImageWidth(), ImageHeight())) Show(tool, p);
    } else if (entry == kPresetEditEntry && EditPresets(CurrentMainWindow(), state.presets)) {
        RefillToolControl(tool, kPreset);
    }
    SetToolValue(tool, kPreset, 0); // the list shows its title again
}

void Changed(ToolWindow* tool, int control) {
    ResizeParams p = Params(*tool);
    switch (control) {
    case kWidth: ResizeSetWidth(&p, p.width, ImageWidth(), ImageHeight()); break;
    case kHeight: ResizeSetHeight(&p, p.height, ImageWidth(), ImageHeight()); break;
    case kIndependent: ResizeSetIndependent(&p, p.independent, ImageWidth(), ImageHeight()); break;
    case kPreset: ChoosePreset(tool, ToolValue(*tool, kPreset)); return;
    }
    Show(tool, p);
}

std::wstring EntryText(const ToolWindow& tool, int, int entry) {
    if (entry == 0) return UiText(kStrResizePresetTitle);
    if (entry == kPresetEditEntry) return UiText(kStrPresetEditEntry);
    return PresetEntryText(StateOf(tool).presets[entry - 1]);
}

bool Neutral(const ToolWindow& tool) {
    return !ResizeChangesImage(g_session.current, ToolValue(tool, kWidth), ToolValue(tool, kHeight));
}

uint8_t* ApplyResult(ToolWindow* tool, int32_t* width, int32_t* height, uint16_t* bitCount) {
    *width = ToolValue(*tool, kWidth);
    *height = ToolValue(*tool, kHeight);
    *bitCount = 24;
    return ResizePixels(g_session.current, *width, *height, KernelThreadCount());
}

} // namespace

const ToolClass kResizeTool = {
    .command = kCmdResize,
    .number = 7,
    .flags = kToolChangesSize,
    .controls = kControls,
    .construct = Construct,
    .changed = Changed,
    .neutral = Neutral,
    .applyResult = ApplyResult,
    .entryText = EntryText,
};

} // namespace qv
