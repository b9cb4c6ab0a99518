// The program's editing tools, one row each, and its immediate edits. A new tool is a file
// tools/NAME_tool_win.cpp defining its ToolClass (tools/tool_window_win.h) and one row in
// tools/tool_table_win.cpp; its command row (model/command_table.cpp) names the Tools owner.
// Windows only.
#pragma once

#include <cstdint>

#include "tools/immediate_edit_win.h"
#include "tools/tool_window_win.h"

namespace qv {

// The tool opened by `command`, or null.
const ToolClass* FindToolClass(int32_t command);

// The edits that run at once without a window (the turns and flips, negative and equalisation,
// the ImmediateEdit rows): computed on the GUI thread and committed through the common path.
// False for any other command.
bool RunImmediateEdit(int32_t command);

// The tools, as their files define them.
extern const ToolClass kNoiseReductionTool;
// geometry: Trim, Resize, Margins, Turn by angle
extern const ToolClass kTrimTool;
extern const ToolClass kResizeTool;
extern const ToolClass kMarginsTool;
extern const ToolClass kTurnByAngleTool;
// tone and colour
extern const ToolClass kLevelsTool;
extern const ToolClass kGammaTool;
extern const ToolClass kBrightnessTool;
extern const ToolClass kContrastTool;
extern const ToolClass kShadowsHighlightsTool;
extern const ToolClass kColourBalanceTool;
extern const ToolClass kGreyscaleTool;
extern const ToolClass kHueLightnessSaturationTool;
extern const ToolClass kReplaceColourTool;
extern const ToolClass kColourFilterTool;
extern const ToolClass kPosterizeTool;
// filters
extern const ToolClass kUnsharpMaskTool;
extern const ToolClass kSoftenTool;
extern const ToolClass kFocusTool;
extern const ToolClass kMosaicTool;
extern const ToolClass kJitterTool;
extern const ToolClass kEmbossTool;

// The immediate kernel edits, as their files define them.
// filters
extern const ImmediateEdit kEdgeExtractionEdit;
extern const ImmediateEdit kEdgeSmoothingEdit;
// area selection
extern const ToolClass kAreaSelectionTool;
// text and image compositing
extern const ToolClass kTextTool;
extern const ToolClass kCompositeTool;
// brushes
extern const ToolClass kPaintBrushTool;
extern const ToolClass kCorrectionBrushTool;

} // namespace qv
