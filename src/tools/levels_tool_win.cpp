// Levels with histogram (5160): black point, white point and gamma for each of blue, green, red
// and the combined channel. The band shows the current channel's three values; the tool keeps all
// four channels' points and the histogram window shows the current channel's counts with its
// markers. No settings: every opening starts at 0 / 255 / 0 on the combined channel.
#include <atomic>

#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/histogram_window_win.h"
#include "tools/levels_kernel.h"
#include "tools/tone_tables.h"
#include "tools/tone_tool_win.h"
#include "tools/tool_table_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

enum Control { kChannel, kBlack, kWhite, kGamma };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Combo, kStrToneChannelFirst, 0, 0, kLevelsCombined, kLevelsCombined},
    {ToolControlKind::Number, kStrToneBlack, 0, 0, 255, 0},
    {ToolControlKind::Number, kStrToneWhite, 0, 0, 255, 255},
    {ToolControlKind::Number, kStrToneGamma, 0, kGammaMin, kGammaMax, 0},
};

// The points of every channel: the GUI thread writes them, the worker reads them on a recompute.
struct LevelsState : ToolState {
    std::atomic<int32_t> points[4][3] = {{0, 255, 0}, {0, 255, 0}, {0, 255, 0}, {0, 255, 0}};
    ChannelLookup lookup{};
};

ToolWindow* g_levels = nullptr; // the open levels tool, for the histogram window's hooks

LevelsState& StateOf(const ToolWindow& tool) {
    return *static_cast<LevelsState*>(tool.state.get());
}

LevelsPoints PointsOf(const LevelsState& state, int32_t channel) {
    return {state.points[channel][0].load(std::memory_order_relaxed),
            state.points[channel][1].load(std::memory_order_relaxed),
            state.points[channel][2].load(std::memory_order_relaxed)};
}

LevelsParams Params(const ToolWindow& tool) {
    LevelsParams p;
    for (int32_t c = 0; c < 4; ++c)
        p.channel[c] = PointsOf(StateOf(tool), c);
    p.current = ToolValue(tool, kChannel);
    return p;
}

// The current channel's points into the state and the band (a clamped value shows as stored).
void StorePoints(ToolWindow* tool, const LevelsPoints& points) {
    LevelsState& state = StateOf(*tool);
    int32_t channel = ToolValue(*tool, kChannel);
    state.points[channel][0].store(points.black, std::memory_order_relaxed);
    state.points[channel][1].store(points.white, std::memory_order_relaxed);
    state.points[channel][2].store(points.gamma, std::memory_order_relaxed);
    if (ToolValue(*tool, kBlack) != points.black) SetToolValue(tool, kBlack, points.black);
    if (ToolValue(*tool, kWhite) != points.white) SetToolValue(tool, kWhite, points.white);
    if (ToolValue(*tool, kGamma) != points.gamma) SetToolValue(tool, kGamma, points.gamma);
    RefreshHistogramWindow();
}

LevelsPoints CurrentPoints() {
    return g_levels ? PointsOf(StateOf(*g_levels), ToolValue(*g_levels, kChannel)) : LevelsPoints{};
}

// A drag shows its markers at once; the recompute follows the release.
void MarkersMoved(const LevelsPoints& points, bool released) {
    if (!g_levels) return;
    StorePoints(g_levels, points);
    if (released) RequestRecompute(&g_levels->worker);
}

bool Open(ToolWindow* tool) {
    auto* state = new (std::nothrow) LevelsState;
    if (!state) return false;
    tool->state.reset(state);
    const SelectionMask& m = g_session.mask;
    const ImageBuffer& current = g_session.current;
    bool maskFits = HasSelectionMask(m) && m.width == current.header.biWidth && m.height == current.header.biHeight;
    std::unique_ptr<LevelsHistogram> counts(new (std::nothrow) LevelsHistogram);
    if (!counts || !CountLevelsHistogram(current, maskFits ? m.bytes.get() : nullptr, counts.get())) return false;
    g_levels = tool;
    static const HistogramMarkers markers = {CurrentPoints, MarkersMoved};
    // without its window the tool still works from the edit boxes
    OpenHistogramWindow(CurrentMainWindow(), *counts, ToolValue(*tool, kChannel), &markers);
    return true;
}

void Changed(ToolWindow* tool, int control) {
    LevelsPoints points = PointsOf(StateOf(*tool), ToolValue(*tool, kChannel));
    switch (control) {
    case kChannel:
        StorePoints(tool, points);
        SetHistogramChannel(ToolValue(*tool, kChannel));
        return;
    case kBlack: SetLevelsBlack(&points, ToolValue(*tool, kBlack)); break;
    case kWhite: SetLevelsWhite(&points, ToolValue(*tool, kWhite)); break;
    case kGamma: SetLevelsGamma(&points, ToolValue(*tool, kGamma)); break;
    default: return;
    }
    StorePoints(tool, points);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    LevelsState& state = StateOf(*tool);
    BuildLevelsLookup(Params(*tool), &state.lookup);
    RunTonePreview(LookupPass(&state.lookup), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralLevels(Params(tool));
}

void Destroy(ToolWindow*) {
    g_levels = nullptr;
    CloseHistogramWindow();
}

} // namespace

const ToolClass kLevelsTool = {
    .command = kCmdLevels,
    .number = 10,
    .flags = kToolPreviewWorker | kToolKeepsDepth,
    .controls = kControls,
    .open = Open,
    .changed = Changed,
    .neutral = Neutral,
    .destroy = Destroy,
    .recompute = Recompute,
};

} // namespace qv
