// Hue, lightness and saturation (5164) and colour replacement (5181): the two tools that weigh
// each pixel by its distance from a reference colour, which the user may also pick from the view.
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/colour_kernel.h"
#include "tools/hls_kernel.h"
#include "tools/tone_tool_win.h"
#include "tools/tool_table_win.h"

namespace qv {

namespace {

constexpr uint32_t kToneFlags = kToolPreviewWorker | kToolKeepsDepth;

// The colour of the current image's pixel under a left click on the drawn image of either pane
// (both show the same pixel there), packed as the colour boxes hold it.
bool ClickedColour(const ToolPaneMouse& mouse, uint32_t* colour) {
    const ImageBuffer& image = g_session.current;
    if (mouse.message != WM_LBUTTONDOWN || !mouse.onImage || !image.pixels) return false;
    if (mouse.image.x < 0 || mouse.image.y < 0 || mouse.image.x >= image.header.biWidth ||
        mouse.image.y >= image.header.biHeight)
        return false;
    const uint8_t* row = ImageRowFromTop(&image, static_cast<uint32_t>(mouse.image.y));
    if (image.header.biBitCount == 8) {
        const RGBQUAD& c = image.palette[row[mouse.image.x]];
        *colour = MakeColor(c.rgbRed, c.rgbGreen, c.rgbBlue);
    } else {
        const uint8_t* p = row + static_cast<size_t>(mouse.image.x) * 3;
        *colour = MakeColor(p[2], p[1], p[0]);
    }
    return true;
}

// Over the drawn image the cursor says that a click picks its colour.
HCURSOR PickCursor(ToolWindow*, const ToolPaneMouse& mouse) {
    return mouse.onImage ? LoadCursorW(nullptr, IDC_CROSS) : nullptr;
}

// ---- hue, lightness and saturation

namespace hls {

constexpr uint16_t kSlotHlsColour = 103; // HlsColR, HlsColG, HlsColB
constexpr uint16_t kSlotHlsRange = 104;

enum Control { kHue, kSaturation, kLightness, kReset, kLimit, kReference, kRange };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Number, kStrToneHue, 0, -kHueShiftMax, kHueShiftMax},
    {ToolControlKind::Number, kStrToneSaturation, 0, -kSaturationShiftMax, kSaturationShiftMax},
    {ToolControlKind::Number, kStrToneLightness, 0, -kLightnessShiftMax, kLightnessShiftMax},
    {ToolControlKind::Button, kStrToneReset, 0, 0, 1},
    {ToolControlKind::Check, kStrToneNearColour, 0, 0, 1},
    {ToolControlKind::Colour, kStrToneColour, kSlotHlsColour},
    {ToolControlKind::Number, kStrToneRange, kSlotHlsRange, 0, kColourRangeMax},
};

HlsParams Params(const ToolWindow& tool) {
    HlsParams p;
    p.hue = ToolValue(tool, kHue);
    p.saturation = ToolValue(tool, kSaturation);
    p.lightness = ToolValue(tool, kLightness);
    p.limit = ToolValue(tool, kLimit) != 0;
    p.reference = static_cast<uint32_t>(ToolValue(tool, kReference));
    p.range = ToolValue(tool, kRange);
    return p;
}

void Changed(ToolWindow* tool, int control) {
    if (control != kReset) return;
    HlsParams p = Params(*tool);
    ResetHlsShifts(&p);
    SetToolValue(tool, kHue, p.hue);
    SetToolValue(tool, kSaturation, p.saturation);
    SetToolValue(tool, kLightness, p.lightness);
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunTonePreview(PrepareHls(Params(*tool), &ToneOp<HlsOp>(tool)), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralHls(Params(tool));
}

// A picked colour becomes the reference colour; the weights are rebuilt by the recompute.
bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& mouse) {
    uint32_t colour = 0;
    if (!ClickedColour(mouse, &colour)) return mouse.message == WM_LBUTTONDOWN && mouse.onImage;
    HlsParams p = Params(*tool);
    PickHlsColour(&p, colour);
    SetToolValue(tool, kReference, static_cast<int32_t>(p.reference));
    RecomputeTool(tool);
    return true;
}

} // namespace hls

// ---- colour replacement

namespace replace {

constexpr uint16_t kSlotFrom = 105; // RpcCol0R, RpcCol0G, RpcCol0B
constexpr uint16_t kSlotTo = 106;   // RpcCol1R, RpcCol1G, RpcCol1B
constexpr uint16_t kSlotRange = 107;
constexpr uint16_t kSlotLevel = 108;

enum Control { kFrom, kTo, kRange, kLevel };

constexpr ToolControlRow kControls[] = {
    {ToolControlKind::Colour, kStrToneFrom, kSlotFrom},
    {ToolControlKind::Colour, kStrToneTo, kSlotTo},
    {ToolControlKind::Number, kStrToneRange, kSlotRange, 0, kColourRangeMax},
    {ToolControlKind::Number, kStrToneLevel, kSlotLevel, 0, kReplaceLevelMax},
};

// The colour box chosen last, which a colour picked from the view goes into. GUI thread only.
int32_t g_activeBox = kFrom;

ReplaceColourParams Params(const ToolWindow& tool) {
    ReplaceColourParams p;
    p.activeBox = g_activeBox;
    p.from = static_cast<uint32_t>(ToolValue(tool, kFrom));
    p.to = static_cast<uint32_t>(ToolValue(tool, kTo));
    p.range = ToolValue(tool, kRange);
    p.level = ToolValue(tool, kLevel);
    return p;
}

void Recompute(ToolWindow* tool, const ToolPreviewJob& preview) {
    RunTonePreview(PrepareReplaceColour(Params(*tool), &ToneOp<ReplaceColourOp>(tool)), preview);
}

bool Neutral(const ToolWindow& tool) {
    return IsNeutralReplaceColour(Params(tool));
}

bool Open(ToolWindow* tool) {
    g_activeBox = kFrom;
    return OpenToneOp<ReplaceColourOp>(tool);
}

void Changed(ToolWindow*, int control) {
    if (control == kFrom || control == kTo) g_activeBox = control;
}

bool PaneMouse(ToolWindow* tool, const ToolPaneMouse& mouse) {
    uint32_t colour = 0;
    if (!ClickedColour(mouse, &colour)) return mouse.message == WM_LBUTTONDOWN && mouse.onImage;
    ReplaceColourParams p = Params(*tool);
    PickReplaceColour(&p, colour);
    SetToolValue(tool, kFrom, static_cast<int32_t>(p.from));
    SetToolValue(tool, kTo, static_cast<int32_t>(p.to));
    RecomputeTool(tool);
    return true;
}

} // namespace replace

} // namespace

const ToolClass kHueLightnessSaturationTool = {
    .command = kCmdHueLightnessSaturation,
    .number = 17,
    .flags = kToneFlags,
    .controls = hls::kControls,
    .open = OpenToneOp<HlsOp>,
    .changed = hls::Changed,
    .neutral = hls::Neutral,
    .recompute = hls::Recompute,
    .paneMouse = hls::PaneMouse,
    .paneCursor = PickCursor,
};

const ToolClass kReplaceColourTool = {
    .command = kCmdReplaceColour,
    .number = 18,
    .flags = kToneFlags,
    .controls = replace::kControls,
    .open = replace::Open,
    .changed = replace::Changed,
    .neutral = replace::Neutral,
    .recompute = replace::Recompute,
    .paneMouse = replace::PaneMouse,
    .paneCursor = PickCursor,
};

} // namespace qv
