#include "tools/tool_table_win.h"

#include "image/open_image.h"
#include "model/ui_strings.h"
#include "tools/immediate_edits_win.h"
#include "tools/immediate_turn.h"
#include "ui/language_module_win.h"
#include "ui/ui_resources_win.h"
#include "viewer/edit_steps_win.h"
#include "viewer/view_window_win.h"

namespace qv {

namespace {

// One row per tool; the framework finds a tool by its command.
const ToolClass* const kTools[] = {
    &kNoiseReductionTool,
    // geometry
    &kTrimTool,
    &kResizeTool,
    &kMarginsTool,
    &kTurnByAngleTool,
    // tone and colour
    &kLevelsTool,
    &kGammaTool,
    &kBrightnessTool,
    &kContrastTool,
    &kShadowsHighlightsTool,
    &kColourBalanceTool,
    &kGreyscaleTool,
    &kHueLightnessSaturationTool,
    &kReplaceColourTool,
    &kColourFilterTool,
    &kPosterizeTool,
    // filters
    &kUnsharpMaskTool,
    &kSoftenTool,
    &kFocusTool,
    &kMosaicTool,
    &kJitterTool,
    &kEmbossTool,
    // area selection
    &kAreaSelectionTool,
    // text and image compositing
    &kTextTool,
    &kCompositeTool,
    // brushes
    &kPaintBrushTool,
    &kCorrectionBrushTool,
};

// One row per immediate kernel edit.
const ImmediateEdit* const kImmediateEdits[] = {
    // filters
    &kEdgeExtractionEdit,
    &kEdgeSmoothingEdit,
};

const ImmediateEdit* FindImmediateEdit(int32_t command) {
    for (const ImmediateEdit* edit : kImmediateEdits)
        if (edit->command == command) return edit;
    return nullptr;
}

} // namespace

const ToolClass* FindToolClass(int32_t command) {
    for (const ToolClass* tool : kTools)
        if (tool->command == command) return tool;
    return nullptr;
}

bool RunImmediateEdit(int32_t command) {
    if (RunImmediatePixelEdit(command)) return true;
    if (const ImmediateEdit* edit = FindImmediateEdit(command)) {
        RunImmediateKernelEdit(*edit);
        return true;
    }
    if (ImmediateTurnCode(command) == kTurnNone) return false;
    if (!HasCurrentImage(g_session)) return true;
    SetCursor(Ui().waitCursor);
    ImageBuffer turned{};
    int32_t pending = g_session.pendingRotation;
    CodecStatus status = kCodecOk;
    if (!ImmediateTurn(g_session.current, command, &pending, &turned, &status)) {
        SetCursor(Ui().arrowCursor);
        ErrorBox(CurrentMainWindow(), kStrCannotProcess);
        return true;
    }
    // committed as a change of size even for the half turn and the flips: every pixel moved, so a
    // selection mask no longer fits and the view's geometry starts again
    CommitAndShowEdit(&turned, command, true, pending);
    FreeImagePixels(&turned);
    SetCursor(Ui().arrowCursor);
    return true;
}

} // namespace qv
