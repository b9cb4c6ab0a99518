// The program's editing tools, one row each, and its immediate edits. A new tool is a file
// tools/NAME_tool_win.cpp defining its ToolClass (tools/tool_window_win.h) and one row in
// tools/tool_table_win.cpp; its command row (model/command_table.cpp) names the Tools owner.
// Windows only.
#pragma once

#include <cstdint>

#include "tools/tool_window_win.h"

namespace qv {

// The tool opened by `command`, or null.
const ToolClass* FindToolClass(int32_t command);

// The edits that run at once without a window (the turns and flips): computed on the GUI thread
// and committed through the common path. False for any other command.
bool RunImmediateEdit(int32_t command);

// The tools, as their files define them.
extern const ToolClass kNoiseReductionTool;
// area selection
extern const ToolClass kAreaSelectionTool;

} // namespace qv
