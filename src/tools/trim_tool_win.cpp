// Trim (5120): a rectangle drawn on the view, everything outside it shown darkened, the ratio list
// and, once a rectangle exists, its edges and sides in edit boxes. No worker: the preview follows
// the rectangle on the GUI thread. Apply copies the rectangle at the image's own depth, so an 8-bit
// image keeps its palette.
#include <memory>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/preset_list_win.h"
#include "tools/tool_table_win.h"
#include "tools/trim_kernel.h"
#include "ui/language_module_win.h"
#include "viewer/view_input_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

constexpr uint16_t kSlotTrmRSel = 166;

enum Control { kRatio, kLeft, kTop, kRight, kBottom, kWidth, kHeight };
constexpr int kFirstField = kLeft;
constexpr int32_t kRatioEditEntry = kPresetSlots + 1; // after "free" and the eight ratios

// The fields' ranges follow the image; construct sets them.
constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Combo, kStrGeoFreeRatio, kSlotTrmRSel, 0, kRatioEditEntry},
    {ToolControlKind::Number, kStrGeoLeft, 0, 0, 0},
    {ToolControlKind::Number, kStrGeoTop, 0, 0, 0},
    {ToolControlKind::Number, kStrGeoRight, 0, 0, 0},
    {ToolControlKind::Number, kStrGeoBottom, 0, 0, 0},
    {ToolControlKind::Number, kStrGeoWidth, 0, 1, 1},
    {ToolControlKind::Number, kStrGeoHeight, 0, 1, 1},
};

enum class Mouse { Waiting, Pressed, Drawing, Dragging };

struct TrimState : ToolState {
    SizePreset ratios[kPresetSlots];
    int32_t selected = 0; // the ratio list's choice, kept while the edit entry is open
    bool hasRect = false;
    TrimRect rect;
    // the mouse
    Mouse mouse = Mouse::Waiting;
    int32_t pressX = 0, pressY = 0;   // screen (client) position of the press
    int32_t anchorX = 0, anchorY = 0; // image position of the first corner
    TrimHit hit = TrimHit::None;      // what a press on the rectangle grabbed
    TrimRect atPress;                 // the rectangle then
    ~TrimState() override { WritePresets(ToolSettingsPath(), kTrimRatioSlots, ratios); }
};

TrimState& StateOf(const ToolWindow& tool) {
    return static_cast<TrimState&>(*tool.state);
}

int32_t ImageWidth() {
    return g_session.current.header.biWidth;
}
int32_t ImageHeight() {
    return g_session.current.header.biHeight;
}

TrimRatio Ratio(const ToolWindow& tool) {
    return TrimRatioForSlot(StateOf(tool).ratios, StateOf(tool).selected);
}

void ShowRect(ToolWindow* tool) {
    const TrimState& state = StateOf(*tool);
    for (int c = kFirstField; c <= kHeight; ++c) {
        EnableToolControl(tool, c, state.hasRect);
        SetToolValue(tool, c, state.hasRect ? TrimFieldValue(state.rect, static_cast<TrimField>(c - kFirstField)) : 0);
    }
}

void SetRect(ToolWindow* tool, const TrimRect& rect) {
    TrimState& state = StateOf(*tool);
    state.hasRect = true;
    state.rect = rect;
    ShowRect(tool);
    RecomputeTool(tool);
}

void Construct(ToolWindow* tool) {
    for (int c = kFirstField; c <= kHeight; ++c)
        TrimFieldRange(static_cast<TrimField>(c - kFirstField), ImageWidth(), ImageHeight(), &tool->rows[c].lo,
                       &tool->rows[c].hi);
    auto state = std::make_unique<TrimState>();
    ReadPresets(ToolSettingsPath(), kTrimRatioSlots, state->ratios);
    state->selected = ToolValue(*tool, kRatio);
    tool->state = std::move(state);
}

bool Open(ToolWindow* tool) {
    for (int c = kFirstField; c <= kHeight; ++c)
        tool->values[c] = tool->rows[c].lo;
    return true;
}

void Changed(ToolWindow* tool, int control) {
    TrimState& state = StateOf(*tool);
    if (control == kRatio) {
        int32_t entry = ToolValue(*tool, kRatio);
        if (entry == kRatioEditEntry) {
            if (EditPresets(CurrentMainWindow(), state.ratios)) RefillToolControl(tool, kRatio);
            SetToolValue(tool, kRatio, state.selected);
        } else {
            state.selected = entry;
        }
        return;
    }
    if (!state.hasRect) return;
    state.rect = EditTrimRect(state.rect, static_cast<TrimField>(control - kFirstField), ToolValue(*tool, control),
                              ImageWidth(), ImageHeight());
    ShowRect(tool);
}

std::wstring EntryText(const ToolWindow& tool, int, int entry) {
    if (entry == 0) return UiText(kStrGeoFreeRatio);
    if (entry == kRatioEditEntry) return UiText(kStrPresetEditEntry);
    return PresetEntryText(StateOf(tool).ratios[entry - 1]);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    const TrimState& state = StateOf(*tool);
    // before the first rectangle the whole image is the rectangle: nothing is darkened
    TrimRect whole{0, 0, preview.job.width - 1, preview.job.height - 1};
    TrimRect rect = state.hasRect ? state.rect : whole;
    RunKernelBands(preview.job, TrimPreviewBand, &rect, preview.threads);
}

bool Neutral(const ToolWindow& tool) {
    const TrimState& state = StateOf(tool);
    return !state.hasRect || !TrimChangesImage(state.rect, ImageWidth(), ImageHeight());
}

uint8_t* ApplyResult(ToolWindow* tool, int32_t* width, int32_t* height, uint16_t* bitCount) {
    const TrimRect& r = StateOf(*tool).rect;
    *width = r.right - r.left + 1;
    *height = r.bottom - r.top + 1;
    *bitCount = g_session.current.header.biBitCount == 8 ? 8 : 24;
    return TrimPixels(g_session.current, r);
}

} // namespace

const ToolClass kTrimTool = {
    .command = kCmdTrim,
    .number = 6,
    .flags = kToolChangesSize,
    .controls = kControls,
    .construct = Construct,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
    .applyResult = ApplyResult,
    .entryText = EntryText,
};

} // namespace qv
