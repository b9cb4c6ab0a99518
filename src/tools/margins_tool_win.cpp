// Margins (5122): four borders and their colour. No preview: the view shows the image until Apply
// builds the larger one on the GUI thread.
#include "image/open_image.h"
#include "model/command_ids.h"
#include "model/ui_strings.h"
#include "tools/margins_kernel.h"
#include "tools/tool_table_win.h"
#include "viewer/rebar_rules.h"

namespace qv {

namespace {

constexpr uint16_t kSlotMgnT = 186, kSlotMgnB = 187, kSlotMgnL = 188, kSlotMgnR = 189, kSlotMgnBgCol = 190;

enum Control { kTop, kBottom, kLeft, kRight, kColour };

// A typed minus sign is taken, and the margin becomes 0, rather than the text being refused.
bool ParseMargin(const std::wstring& text, int32_t* value) {
    int32_t typed = 0;
    if (!ParseFieldNumber(text.c_str(), INT32_MIN, INT32_MAX, false, &typed)) return false;
    *value = MarginFromField(typed);
    return true;
}

constexpr ToolControlRow Margin(uint32_t text, uint16_t slot) {
    ToolControlRow row{ToolControlKind::Number, text, slot, 0, INT32_MAX};
    row.dragStep = kMarginDragStep;
    row.parse = ParseMargin;
    return row;
}

constexpr ToolControlRow kControls[] = {
    Margin(kStrGeoTop, kSlotMgnT),
    Margin(kStrGeoBottom, kSlotMgnB),
    Margin(kStrGeoLeft, kSlotMgnL),
    Margin(kStrGeoRight, kSlotMgnR),
    {ToolControlKind::Colour, kStrGeoColour, kSlotMgnBgCol},
};

MarginsParams Params(const ToolWindow& tool) {
    MarginsParams m;
    m.top = ToolValue(tool, kTop);
    m.bottom = ToolValue(tool, kBottom);
    m.left = ToolValue(tool, kLeft);
    m.right = ToolValue(tool, kRight);
    m.colour = static_cast<uint32_t>(ToolValue(tool, kColour));
    return m;
}

bool Neutral(const ToolWindow& tool) {
    return MarginsNeutral(Params(tool));
}

uint8_t* ApplyResult(ToolWindow* tool, int32_t* width, int32_t* height, uint16_t* bitCount) {
    *bitCount = 24;
    return AddMargins(g_session.current, Params(*tool), width, height);
}

} // namespace

const ToolClass kMarginsTool = {
    .command = kCmdMargins,
    .number = 8,
    .flags = kToolChangesSize,
    .controls = kControls,
    .neutral = Neutral,
    .applyResult = ApplyResult,
};

} // namespace qv
