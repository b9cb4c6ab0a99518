// Per-channel gamma (5161), brightness (5162) and contrast (5163): one tool in three modes, each a
// value per channel (red, green, blue) and a link check box with which the value typed into any
// channel drives all three. They keep no settings: every opening starts at 0, linked.
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/tone_tables.h"
#include "tools/tone_tool_win.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

enum Control { kRed, kGreen, kBlue, kLink };

constexpr ToolControlRow Channel(uint32_t text, ValueRange range) {
    return {ToolControlKind::Number, text, 0, range.min, range.max};
}
constexpr ToolControlRow kLinkRow = {ToolControlKind::Check, kStrToneLink, 0, 0, 1, 1};

constexpr ValueRange kGammaRange = {kGammaMin, kGammaMax};
constexpr ValueRange kBrightnessRange = {-255, 255};
constexpr ValueRange kContrastRange = {-100, 100};

constexpr ToolControlRow kGammaControls[] = {Channel(kStrToneRed, kGammaRange), Channel(kStrToneGreen, kGammaRange),
                                             Channel(kStrToneBlue, kGammaRange), kLinkRow};
constexpr ToolControlRow kBrightnessControls[] = {Channel(kStrToneRed, kBrightnessRange),
                                                  Channel(kStrToneGreen, kBrightnessRange),
                                                  Channel(kStrToneBlue, kBrightnessRange), kLinkRow};
constexpr ToolControlRow kContrastControls[] = {Channel(kStrToneRed, kContrastRange),
                                                Channel(kStrToneGreen, kContrastRange),
                                                Channel(kStrToneBlue, kContrastRange), kLinkRow};

struct AdjustState : ToolState {
    ChannelLookup lookup{};
    int32_t meanLuminance = 128; // contrast pivots on the whole image's, measured once
};

ChannelAdjustMode ModeOf(const ToolWindow& tool) {
    switch (tool.tool->command) {
    case kCmdBrightness: return ChannelAdjustMode::kBrightness;
    case kCmdContrast: return ChannelAdjustMode::kContrast;
    default: return ChannelAdjustMode::kGamma;
    }
}

ChannelAdjustParams Params(const ToolWindow& tool) {
    ChannelAdjustParams p;
    p.mode = ModeOf(tool);
    p.linked = ToolValue(tool, kLink) != 0;
    ChannelValues& v = p.values[static_cast<int>(p.mode)];
    v.red = ToolValue(tool, kRed);
    v.green = ToolValue(tool, kGreen);
    v.blue = ToolValue(tool, kBlue);
    return p;
}

bool Open(ToolWindow* tool) {
    auto* state = new (std::nothrow) AdjustState;
    if (!state) return false;
    if (ModeOf(*tool) == ChannelAdjustMode::kContrast) state->meanLuminance = MeanLuminance(g_session.current);
    tool->state.reset(state);
    return true;
}

// While linked, the channel just changed sets the other two; linking makes them follow red.
void Changed(ToolWindow* tool, int control) {
    if (!ToolValue(*tool, kLink)) return;
    int32_t value = ToolValue(*tool, control == kLink ? kRed : control);
    for (int c : {kRed, kGreen, kBlue})
        if (ToolValue(*tool, c) != value) SetToolValue(tool, c, value);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    auto* state = static_cast<AdjustState*>(tool->state.get());
    BuildChannelAdjustLookup(Params(*tool), state->meanLuminance, &state->lookup);
    RunTonePreview(LookupPass(&state->lookup), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralChannelAdjust(Params(tool));
}

} // namespace

const ToolClass kGammaTool = {
    .command = kCmdGamma,
    .number = 12,
    .flags = kToolPreviewWorker | kToolKeepsDepth,
    .controls = kGammaControls,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
};

const ToolClass kBrightnessTool = {
    .command = kCmdBrightness,
    .number = 13,
    .flags = kToolPreviewWorker | kToolKeepsDepth,
    .controls = kBrightnessControls,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
};

const ToolClass kContrastTool = {
    .command = kCmdContrast,
    .number = 14,
    .flags = kToolPreviewWorker | kToolKeepsDepth,
    .controls = kContrastControls,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .recompute = Recompute,
};

} // namespace qv
