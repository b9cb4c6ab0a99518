// The edits that run a kernel at once, without a window or a preview (edge extraction,
// edge-preserving smoothing, and the tone family's immediate ones): one ImmediateEdit row each,
// listed in tools/tool_table_win.cpp. The command computes the result on the GUI thread from the
// current image, blending through the selection mask, and commits it with the command as its
// history label. Windows only.
#pragma once

#include <cstdint>

#include "tools/tool_window_win.h"

namespace qv {

struct ImmediateEdit {
    int32_t command = 0;
    uint32_t flags = 0; // kToolNeedsFiveByFive, kToolKeepsDepth (ToolFlag)
    // Fills job.dest (or, for an 8-bit image kept at 8 bits, resultPalette); false without memory.
    bool (*run)(const ToolPreviewJob& job) = nullptr;
};

// Runs `edit` on the current image and commits it; shows 30006 for an image too small for it and
// 30003 when memory runs out, leaving the image as it was.
void RunImmediateKernelEdit(const ImmediateEdit& edit);

} // namespace qv
