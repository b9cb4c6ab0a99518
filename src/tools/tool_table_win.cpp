#include "tools/tool_table_win.h"

namespace qv {

namespace {

// One row per tool; the framework finds a tool by its command.
const ToolClass* const kTools[] = {
    &kNoiseReductionTool,
};

} // namespace

const ToolClass* FindToolClass(int32_t command) {
    for (const ToolClass* tool : kTools)
        if (tool->command == command) return tool;
    return nullptr;
}

bool RunImmediateEdit(int32_t command) {
    (void)command;
    return false;
}

} // namespace qv
