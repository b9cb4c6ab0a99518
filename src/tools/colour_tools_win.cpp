// The small per-colour tone tools on the tool framework: shadow and highlight correction (5166),
// colour balance (5168), greyscale with channel weights (5167), the colour filter (5270) and
// posterize (5275). Each reads its controls into its kernel's parameters, prepares the op on every
// recompute and runs it as a tone pass (an 8-bit image keeps its depth, its palette mapped).
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/colour_kernel.h"
#include "tools/tone_tool_win.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint32_t kToneFlags = kToolPreviewWorker | kToolKeepsDepth;

// ---- shadow and highlight correction: no settings

namespace shadows {

enum Control { kShadow, kHighlight };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrToneShadows, 0, 0, kShadowHighlightMax},
    {ToolControlKind::Number, kStrToneHighlights, 0, 0, kShadowHighlightMax},
};

ShadowHighlightParams Params(const ToolWindow& tool) {
    return {ToolValue(tool, kShadow), ToolValue(tool, kHighlight)};
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunTonePreview(PrepareShadowHighlight(Params(*tool), &ToneOp<ShadowHighlightOp>(tool)), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralShadowHighlight(Params(tool));
}

} // namespace shadows

// ---- colour balance: red, green and blue shifts, no settings

namespace balance {

enum Control { kRed, kGreen, kBlue };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrToneRed, 0, -kColourBalanceMax, kColourBalanceMax},
    {ToolControlKind::Number, kStrToneGreen, 0, -kColourBalanceMax, kColourBalanceMax},
    {ToolControlKind::Number, kStrToneBlue, 0, -kColourBalanceMax, kColourBalanceMax},
};

ColourBalanceParams Params(const ToolWindow& tool) {
    return {ToolValue(tool, kRed), ToolValue(tool, kGreen), ToolValue(tool, kBlue)};
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunTonePreview(PrepareColourBalance(Params(*tool), &ToneOp<LuminanceShiftOp>(tool)), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralColourBalance(Params(tool));
}

} // namespace balance

// ---- greyscale: blue, green and red weights in thousandths and a button back to the defaults

namespace greyscale {

enum Control { kBlue, kGreen, kRed, kReset };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrToneBlue, 0, 0, kGreyWeightMax, kGreyWeightBlueDefault},
    {ToolControlKind::Number, kStrToneGreen, 0, 0, kGreyWeightMax, kGreyWeightGreenDefault},
    {ToolControlKind::Number, kStrToneRed, 0, 0, kGreyWeightMax, kGreyWeightRedDefault},
    {ToolControlKind::Button, kStrToneReset, 0, 0, 1},
};

GreyscaleParams Params(const ToolWindow& tool) {
    return {ToolValue(tool, kBlue), ToolValue(tool, kGreen), ToolValue(tool, kRed)};
}

void Changed(ToolWindow* tool, int control) {
    if (control != kReset) return;
    GreyscaleParams defaults;
    ResetGreyscaleWeights(&defaults);
    SetToolValue(tool, kBlue, defaults.blue);
    SetToolValue(tool, kGreen, defaults.green);
    SetToolValue(tool, kRed, defaults.red);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunTonePreview(PrepareGreyscale(Params(*tool), &ToneOp<GreyscaleOp>(tool)), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralGreyscale(Params(tool));
}

} // namespace greyscale

// ---- colour filter: which of five colours, the five colours, the strength

namespace filter {

constexpr uint16_t kSlotStrength = 109; // PstLevel
constexpr uint16_t kSlotChoice = 110;   // LnsColNum
constexpr uint16_t kSlotColour0 = 111;  // LnsColor0 .. LnsColor4

enum Control { kChoice, kColour0, kStrength = kColour0 + kColourFilterCount };

constexpr ToolControlRow Colour(int i) {
    return {ToolControlKind::Colour, kStrToneFilterFirst + static_cast<uint32_t>(i),
            static_cast<uint16_t>(kSlotColour0 + i)};
}

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Combo, kStrToneFilterFirst, kSlotChoice, 0, kColourFilterCount - 1},
    Colour(0),
    Colour(1),
    Colour(2),
    Colour(3),
    Colour(4),
    {ToolControlKind::Number, kStrToneStrength, kSlotStrength, 0, kColourFilterStrengthMax},
};

ColourFilterParams Params(const ToolWindow& tool) {
    ColourFilterParams p;
    p.choice = ToolValue(tool, kChoice);
    for (int i = 0; i < kColourFilterCount; ++i)
        p.colours[i] = static_cast<uint32_t>(ToolValue(tool, kColour0 + i));
    p.strength = ToolValue(tool, kStrength);
    return p;
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunTonePreview(PrepareColourFilter(Params(*tool), &ToneOp<LuminanceShiftOp>(tool)), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralColourFilter(Params(tool));
}

} // namespace filter

// ---- posterize: levels for blue, green and red, or one common count while synchronised

namespace posterize {

constexpr uint16_t kSlotBlue = 116; // PstLevelB, then G, R and the common PstLevelC
constexpr uint16_t kSlotSync = 120; // PstSYNC

enum Control { kBlue, kGreen, kRed, kCommon, kSync };

constexpr ToolControlRow Levels(uint32_t text, uint16_t slot) {
    return {ToolControlKind::Number,    text, slot, kPosterizeLevelsMin, kPosterizeLevelsMax, kPosterizeLevelsDefault,
            kPosterizeDragPixelsPerStep};
}

constexpr ToolControlRow kControls[] = {
    Levels(kStrToneBlue, kSlotBlue),
    Levels(kStrToneGreen, kSlotBlue + 1),
    Levels(kStrToneRed, kSlotBlue + 2),
    Levels(kStrToneCommon, kSlotBlue + 3),
    {ToolControlKind::Check, kStrToneSync, kSlotSync, 0, 1},
};

PosterizeParams Params(const ToolWindow& tool) {
    PosterizeParams p;
    p.blue = ToolValue(tool, kBlue);
    p.green = ToolValue(tool, kGreen);
    p.red = ToolValue(tool, kRed);
    p.common = ToolValue(tool, kCommon);
    p.sync = ToolValue(tool, kSync) != 0;
    return p;
}

// Synchronised, the common count maps every channel: the per-channel boxes take no input, and
// without it the common box has nothing to say.
void FollowSync(ToolWindow* tool) {
    const bool sync = ToolValue(*tool, kSync) != 0;
    for (int c : {kBlue, kGreen, kRed})
        EnableToolControl(tool, c, !sync);
    EnableToolControl(tool, kCommon, sync);
}

void Changed(ToolWindow* tool, int control) {
    if (control == kSync) FollowSync(tool);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    ChannelLookup& lookup = ToneOp<ChannelLookup>(tool);
    BuildPosterizeLookup(Params(*tool), &lookup);
    RunTonePreview(LookupPass(&lookup), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralPosterize(Params(tool));
}

} // namespace posterize

} // namespace

const ToolClass kShadowsHighlightsTool = {
    .command = kCmdShadowsHighlights,
    .number = 11,
    .flags = kToneFlags,
    .controls = shadows::kControls,
    .open = OpenToneOp<ShadowHighlightOp>,
    .neutral = shadows::Neutral,
    .recompute = shadows::Recompute,
};

const ToolClass kColourBalanceTool = {
    .command = kCmdColourBalance,
    .number = 15,
    .flags = kToneFlags,
    .controls = balance::kControls,
    .open = OpenToneOp<LuminanceShiftOp>,
    .neutral = balance::Neutral,
    .recompute = balance::Recompute,
};

const ToolClass kGreyscaleTool = {
    .command = kCmdGreyscale,
    .number = 16,
    .flags = kToneFlags,
    .controls = greyscale::kControls,
    .open = OpenToneOp<GreyscaleOp>,
    .changed = greyscale::Changed,
    .neutral = greyscale::Neutral,
    .recompute = greyscale::Recompute,
};

const ToolClass kColourFilterTool = {
    .command = kCmdColourFilter,
    .number = 23,
    .flags = kToneFlags,
    .controls = filter::kControls,
    .open = OpenToneOp<LuminanceShiftOp>,
    .neutral = filter::Neutral,
    .recompute = filter::Recompute,
};

const ToolClass kPosterizeTool = {
    .command = kCmdPosterize,
    .number = 27,
    .flags = kToneFlags,
    .controls = posterize::kControls,
    .open = OpenToneOp<ChannelLookup>,
    .shown = posterize::FollowSync,
    .changed = posterize::Changed,
    .neutral = posterize::Neutral,
    .recompute = posterize::Recompute,
};

} // namespace qv
